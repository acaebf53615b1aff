# Quick start: `make run` and `make test` on a fresh Debian 12 machine.
BUILD      ?= build
TSAN_BUILD ?= build-tsan
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build test test-tsan test-asan fuzz-smoke package-check deb run bench clean

all: build

deps:
	@tools/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Every test of the ordinary build, the installed tree and the .deb made from that same build,
# then the pipeline stress test under ThreadSanitizer and the fuzz targets.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) package-check
	$(MAKE) test-tsan
	$(MAKE) fuzz-smoke

test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DKESTRUNE_SANITIZE=thread -DKESTRUNE_BUILD_GUI=OFF -DKESTRUNE_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target kestrune_stress_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -L stress

# The unit, interop and stress suites under AddressSanitizer and UndefinedBehaviorSanitizer (not part
# of `make test`: the instrumented build and run take most of an hour on two cores).
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DKESTRUNE_SANITIZE=address -DKESTRUNE_BUILD_GUI=OFF -DKESTRUNE_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Installs into a staging root, runs the installed programs, builds and unpacks the .deb.
package-check: deps $(BUILD)/build.ninja
	tools/package-check $(BUILD)

# The Debian package kestrune_<version>_<arch>.deb in this folder: sudo apt install ./kestrune_*.deb
deb: deps $(BUILD)/build.ninja
	tools/deb $(BUILD) .

# The fuzz targets under ASan and UBSan, a few seconds each (FUZZ_SECONDS to run longer).
fuzz-smoke: deps
	tools/fuzz-smoke

run: build
	@tools/run $(BUILD) $(FILES)

bench: build
	bench/run $(BUILD)

clean:
	rm -rf $(BUILD) $(TSAN_BUILD) $(ASAN_BUILD) build-fuzz kestrune_*.deb
