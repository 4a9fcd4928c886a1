# The two commands of the README: `make demo` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build demo example test test-asan bench clean

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

# ctest runs every test program, the window layer's (fw_ui_tests, qor_visual_tests,
# example_tests) on Qt's offscreen platform; example_tests writes the example form's
# screenshots to $(BUILD)/example-form.png and $(BUILD)/example-form@2x.png.
test: build test-asan
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@echo "Screenshots of the example form: $(BUILD)/example-form.png $(BUILD)/example-form@2x.png"

# The window layer's example form in a real window (needs a display).
example: build
	$(BUILD)/examples/qor-example-form

# Every layer again, under AddressSanitizer and UndefinedBehaviorSanitizer (the window
# layer's tests run clean there, Qt's own allocations included).
ASAN_TESTS := fw_core_tests fw_stream_tests fw_data_tests fw_engine_tests qor_base_tests demo_tests \
              fw_ui_tests qor_visual_tests example_tests
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQOR_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target $(ASAN_TESTS)
	@for t in $(ASAN_TESTS); do echo "== $$t (sanitizers)"; $(BUILD_ASAN)/tests/$$t --gtest_brief=1 || exit 1; done

# Benchmarks (optimised build, run by hand).
bench: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_BENCH=ON -DQOR_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target qor_data_bench qor_engine_bench
	build-bench/bench/qor_data_bench
	build-bench/bench/qor_engine_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) build-bench
