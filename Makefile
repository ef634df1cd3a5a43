# make run    installs what the program needs, builds, and starts zovtray
# make test   installs what the tests need, builds (warnings are errors) and runs
#             every test, then again under AddressSanitizer + UBSan
# make bench  builds and runs the benchmarks, then times zov beside Timewarrior
# make package  builds the Debian packages zov_*.deb and zov-dev_*.deb here
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
CMAKE_FLAGS ?=

.PHONY: run test build test-main test-asan test-consumer test-package package bench fuzz clean

run:
	scripts/deps.sh run
	cmake -S . -B $(BUILD) -DZOV_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target zovtray
	scripts/run-zovtray.sh $(BUILD)/tray/zovtray

build:
	cmake -S . -B $(BUILD) -DZOV_WERROR=ON -DZOV_BUILD_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test:
	scripts/deps.sh test
	$(MAKE) test-main test-package test-asan test-consumer fuzz

test-main: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B $(ASAN_BUILD) -DZOV_WERROR=ON -DZOV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The installed package must serve a project outside this tree.
test-consumer: build
	scripts/test-consumer.sh $(BUILD)

# Each libFuzzer target for FUZZ_SECONDS, under AddressSanitizer + UBSan (clang).
FUZZ_SECONDS ?= 60
fuzz:
	cmake -S fuzz -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

# The packages from the build folder as it is (a fresh one builds without
# the tests): CPack installs the programs, libraries and files into them.
package:
	scripts/deps.sh package
	cmake -S . -B $(BUILD) $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DZOV_BUILD_TESTS=OFF) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target zov zovtray zov_package_files
	rm -f $(BUILD)/zov_*.deb $(BUILD)/zov-dev_*.deb zov_*.deb zov-dev_*.deb
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/zov_*.deb $(BUILD)/zov-dev_*.deb .

# Installs the package on this machine, uses it and purges it (as root).
test-package: build package
	tests/package/install_test.sh . $(BUILD)

bench:
	scripts/deps.sh bench
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DZOV_BUILD_TESTS=OFF -DZOV_BUILD_BENCH=ON
	cmake --build $(BUILD)-bench -j $(JOBS)
	$(BUILD)-bench/bench/zov_bench
	$(BUILD)-bench/bench/zov_memory_bench
	xvfb-run -a -s "-screen 0 1600x1200x24" $(BUILD)-bench/bench/zov_timeline_bench
	bench/compare.sh $(BUILD)-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BUILD)-bench zov_*.deb zov-dev_*.deb
