# make run  : install what is missing, build, generate the content, start the game
# make test : the same set-up, then every test, and the unit tests again under ASan + UBSan
BUILD   ?= build
ASAN    ?= build-asan
JOBS    ?= $(shell nproc)
CTEST   := ctest --output-on-failure --no-tests=error -j$(JOBS)

.PHONY: all deps configure build run test test-asan bench clean

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

bench: build
	@cmake --build $(BUILD) -j$(JOBS) --target qv_bench
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(ASAN)
