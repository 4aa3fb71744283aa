# Quick start: `make run` opens the window, `make test` runs every test.
# Both install missing Debian packages first and rebuild only what changed.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Under CI (CI=true) every build treats compiler warnings as errors.
WERROR := $(if $(filter true,$(CI)),-DQUENBY_WERROR=ON)
CONFIGURE := cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(WERROR)
# cmake --build runs make again, which would name every folder it enters.
MAKEFLAGS += --no-print-directory

.PHONY: all setup setup-run configure build run test bench package package-check format \
	format-check clean test-sanitize fuzz-build fuzz

all: build

# The Debian packages every target needs, from debian/control: everything,
# or for `make run` only what building and running need.
setup:
	@bash scripts/setup.sh
setup-run:
	@bash scripts/setup.sh run

# Configures $(BUILD) with the tests and benchmarks: afresh, or again when
# `make run` configured it without them.
configure: setup
	@grep -qs '^QUENBY_BUILD_TESTS:BOOL=ON$$' $(BUILD)/CMakeCache.txt && \
		grep -qs '^QUENBY_BUILD_BENCH:BOOL=ON$$' $(BUILD)/CMakeCache.txt || \
		$(CONFIGURE) -DQUENBY_BUILD_TESTS=ON -DQUENBY_BUILD_BENCH=ON

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The window program alone: a new $(BUILD) is configured without the tests
# and benchmarks, which need more packages.
run: setup-run
	@test -f $(BUILD)/CMakeCache.txt || \
		$(CONFIGURE) -DQUENBY_BUILD_TESTS=OFF -DQUENBY_BUILD_BENCH=OFF
	@cmake --build $(BUILD) -j $(JOBS) --target quenby
	$(BUILD)/quenby

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/bench/engine_bench

# The Debian packages, made afresh by dpkg-buildpackage (debian/) from a copy
# of the source, with the tests run as part of the build
# (DEB_BUILD_OPTIONS=nocheck leaves them out): $(BUILD)/package/ holds
# quenby_VERSION-REVISION_ARCH.deb, its debugging symbols in
# quenby-dbgsym_VERSION-REVISION_ARCH.deb, and the .changes and .buildinfo.
package: setup
	@BUILD=$(BUILD) JOBS=$(JOBS) bash scripts/package.sh

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
