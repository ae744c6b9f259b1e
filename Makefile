# make run  : install what is missing, build, generate the content, start the game
# make test : the same set-up, then every test, and the unit tests again under ASan + UBSan
BUILD   ?= build
ASAN    ?= build-asan
FUZZ    ?= build-fuzz
# Seconds each fuzz harness runs: `make fuzz FUZZ_TIME=600`; the test run uses FUZZ_SMOKE.
FUZZ_TIME  ?= 60
FUZZ_SMOKE ?= 10
JOBS    ?= $(shell nproc)
CTEST   := ctest --output-on-failure --no-tests=error -j$(JOBS)

.PHONY: all deps configure build run test test-asan fuzz fuzz-build bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	cd $(BUILD)/game && ./Quorvex

test: build
	@cmake --build $(BUILD) -j$(JOBS) --target qv_tests qv_bench
	cd $(BUILD) && $(CTEST)
	@$(MAKE) --no-print-directory test-asan

test-asan: deps
	@cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON \
	  -DQV_CONTENT_DIR=$(abspath $(BUILD))/game > /dev/null
	@cmake --build $(ASAN) -j$(JOBS) --target qv_tests Trivec
	cd $(ASAN) && $(CTEST) -L unit
	@$(MAKE) --no-print-directory fuzz FUZZ_TIME=$(FUZZ_SMOKE)

# One libFuzzer harness per file reader (fuzz/), built with clang, ASan and UBSan, each run for
# FUZZ_TIME seconds on a corpus seeded from the generated content.
fuzz-build: build
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON \
	  -DQV_CONTENT_DIR=$(abspath $(BUILD))/game > /dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target qv_fuzz

fuzz: fuzz-build
	fuzz/run $(FUZZ) $(abspath $(BUILD))/game $(FUZZ_TIME)

bench: build
	@cmake --build $(BUILD) -j$(JOBS) --target qv_bench
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ)
