# Quick start: `make run` opens the window, `make test` runs every test.
# Both install missing Debian packages first and rebuild only what changed.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Under CI (CI=true) every build treats compiler warnings as errors.
WERROR := $(if $(filter true,$(CI)),-DQUENBY_WERROR=ON)

.PHONY: all setup configure build run test bench package package-check format format-check \
	clean test-sanitize fuzz-build fuzz

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
		$(WERROR)

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/quenby

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/bench/engine_bench

# The Debian package, $(BUILD)/quenby_VERSION-REVISION_ARCH.deb (CPack), made
# afresh: one of an older version goes first.
package: build
	rm -f $(BUILD)/quenby_*.deb
	cd $(BUILD) && cpack

# The package checked as a user gets it, without installing it: lintian, the
# desktop entry and AppStream validators, and its programs run from a folder
# it is unpacked into.
package-check: package
	BUILD=$(BUILD) bash scripts/package-check.sh

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# built in Debug (assertions on) at -O1 in its own folder. Every report stops
# the test that made it; leaks are reported too, but for the few system
# libraries in scripts/lsan-suppressions.txt.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all
SANITIZE_ENV := QT_QPA_PLATFORM=offscreen \
	ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions.txt:print_suppressions=0

test-sanitize: setup
	@test -f $(SANITIZE_BUILD)/CMakeCache.txt || cmake -S . -B $(SANITIZE_BUILD) \
		-DCMAKE_BUILD_TYPE=Debug -DQUENBY_BUILD_BENCH=OFF $(WERROR) \
		-DCMAKE_CXX_FLAGS="-O1 $(SANITIZE_FLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# The fuzz targets as libFuzzer programs: clang, with the libraries they test
# compiled in the same build for coverage and sanitizers. `make fuzz` runs each
# target FUZZ_SECONDS seconds (scripts/fuzz.sh).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all

fuzz-build: setup
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENBY_FUZZ=ON -DQUENBY_BUILD_BENCH=OFF $(WERROR) \
		-DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target quenby_fuzzers

fuzz: fuzz-build
	FUZZ_BUILD=$(FUZZ_BUILD) bash scripts/fuzz.sh $(FUZZ_SECONDS)

format: setup
	@git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i

# Fails, naming each place, when a tracked C++ file is not as clang-format
# would leave it.
format-check: setup
	@git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD)
