# The two commands of the README: `make demo` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_CLANG ?= build-clang
# Warnings as errors in the clang leg: ON once the whole tree builds without warnings.
CLANG_WERROR ?= OFF
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build demo test test-asan test-clang bench clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# Until the windows exist, the demo runs the demonstration's start-up without windows on
# its tables in build/demo-data (made there on first run) and prints what it shows.
demo: build
	@echo "== qorlookup-demo --check $(BUILD)/demo-data (the windows come later) =="
	$(BUILD)/demo/qorlookup-demo --check $(BUILD)/demo-data

test: build test-asan test-clang
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The non-visual layers again, under AddressSanitizer and UndefinedBehaviorSanitizer.
ASAN_TESTS := fw_core_tests fw_stream_tests fw_data_tests fw_engine_tests qor_base_tests demo_tests
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQOR_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target $(ASAN_TESTS)
	@for t in $(ASAN_TESTS); do echo "== $$t (sanitizers)"; $(BUILD_ASAN)/tests/$$t --gtest_brief=1 || exit 1; done

# Everything built again with clang and -Wall -Wextra, which report what GCC does not (a
# member that hides an overloaded virtual function, an unused private field). A Debug build
# (quickest to compile) through ccache; the tests ran above and do not run again.
test-clang: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_CLANG) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DQOR_WERROR=$(CLANG_WERROR)
	cmake --build $(BUILD_CLANG) -j $(JOBS)

# Benchmarks (optimised build, run by hand).
bench: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_BENCH=ON -DQOR_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target qor_data_bench qor_engine_bench
	build-bench/bench/qor_data_bench
	build-bench/bench/qor_engine_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_CLANG) build-bench
