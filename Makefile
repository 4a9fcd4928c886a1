# The two commands of the README: `make demo` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
BUILD_CLANG ?= build-clang
# Warnings as errors in the clang leg.
CLANG_WERROR ?= ON
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build demo example test test-asan test-clang test-fuzz fuzz fuzz-build bench clean

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
test: build test-asan test-clang test-fuzz
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@echo "Screenshots of the example form: $(BUILD)/example-form.png $(BUILD)/example-form@2x.png"

# The window layer's example form in a real window (needs a display).
example: build
	$(BUILD)/examples/qor-example-form

# Every layer again, under AddressSanitizer and UndefinedBehaviorSanitizer (the window
# layer's tests run clean there, Qt's own allocations included).
ASAN_TESTS := fw_core_tests fw_stream_tests fw_data_tests fw_engine_tests qor_base_tests demo_tests \
              fw_ui_tests qor_visual_tests example_tests fw_controls_tests fw_dbctrls_tests
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQOR_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target $(ASAN_TESTS)
	@for t in $(ASAN_TESTS); do echo "== $$t (sanitizers)"; $(BUILD_ASAN)/tests/$$t --gtest_brief=1 || exit 1; done

# Fuzz targets (libFuzzer, clang, under AddressSanitizer and UndefinedBehaviorSanitizer):
# the form-file reader and writer, the filter language, the sort-clause routines. Seeds
# and dictionaries are in fuzz/; new inputs go to $(BUILD_FUZZ)/corpus/TARGET, crashes to
# $(BUILD_FUZZ)/artifacts/, each run's output to $(BUILD_FUZZ)/logs/TARGET.log.
FUZZ_TARGETS      := form filter orderby
FUZZ_SECONDS      ?= 60
FUZZ_TEST_SECONDS ?= 5
FUZZ_FLAGS        := -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
export ASAN_OPTIONS  ?= detect_leaks=1
export UBSAN_OPTIONS ?= print_stacktrace=1

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DQOR_BUILD_FUZZ=ON -DQOR_BUILD_TESTS=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))

# Runs each target for $(1) seconds from its seeds plus the corpus directory $(2)/TARGET,
# where new inputs are written; stops at the first target that fails, showing its log.
define run-fuzzers
	@mkdir -p $(BUILD_FUZZ)/artifacts $(BUILD_FUZZ)/logs
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(2)/$$t; \
	  echo "== fuzz_$$t ($(1) s)"; \
	  if $(BUILD_FUZZ)/fuzz/fuzz_$$t $(FUZZ_FLAGS) -max_total_time=$(1) -dict=fuzz/dict/$$t.dict \
	       -artifact_prefix=$(BUILD_FUZZ)/artifacts/$$t- $(2)/$$t fuzz/corpus/$$t \
	       > $(BUILD_FUZZ)/logs/$$t.log 2>&1; then \
	    grep -E "^Done [0-9]+ runs" $(BUILD_FUZZ)/logs/$$t.log; \
	  else \
	    tail -n 60 $(BUILD_FUZZ)/logs/$$t.log; echo "fuzz_$$t failed: $(BUILD_FUZZ)/logs/$$t.log"; exit 1; \
	  fi; \
	done
endef

# Every target for $(FUZZ_SECONDS) seconds, keeping what it finds for the next run.
fuzz: fuzz-build
	$(call run-fuzzers,$(FUZZ_SECONDS),$(BUILD_FUZZ)/corpus)

# Every target briefly over its seeds, so that a regression shows in `make test`.
test-fuzz: fuzz-build
	@rm -rf $(BUILD_FUZZ)/test-corpus
	$(call run-fuzzers,$(FUZZ_TEST_SECONDS),$(BUILD_FUZZ)/test-corpus)

# The libraries and programs built again with clang and -Wall -Wextra, which report what GCC does not (a
# member that hides an overloaded virtual function, an unused private field). A Debug build
# (quickest to compile) through ccache, of the libraries and programs; the tests ran above.
CLANG_TARGETS := fw_core fw_stream fw_data fw_engine qor_base qor_demo qorform \
                 fw_ui fw_ui_qt fw_controls fw_dbctrls qor_visual
test-clang: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_CLANG) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DQOR_WERROR=$(CLANG_WERROR)
	cmake --build $(BUILD_CLANG) -j $(JOBS) --target $(CLANG_TARGETS)

# Benchmarks (optimised build, run by hand).
bench: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_BENCH=ON -DQOR_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target qor_data_bench qor_engine_bench qor_grid_bench
	build-bench/bench/qor_data_bench
	build-bench/bench/qor_engine_bench
	build-bench/bench/qor_grid_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_CLANG) build-bench
