# Selvane: the entry points. `make demo` and `make test` set up a fresh
# Debian 12 machine themselves (as root), then build.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup configure build check demo test bench bench-instructions install artwork snapshot sanitize fuzz soak windows windows-installer package docs clean

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS); fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The loop of seconds while changing code: the engine, processor, editor and
# AAX-layer unit tests, built and run (ctest -L unit). No set-up step: run
# make test (or make configure) once first.
UNIT_TEST_TARGETS = selvane-dsp-tests selvane-processor-tests selvane-editor-tests selvane-aax-tests \
	selvane-allocation-tests selvane-concurrency-tests
check:
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then $(MAKE) configure; fi
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(UNIT_TEST_TARGETS)
	ctest --test-dir $(BUILD_DIR) -L unit --output-on-failure -j $(JOBS)

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-render
	$(BUILD_DIR)/tools/selvane-render --demo demo-out.wav

# The Windows plug-ins, the concurrency test under ThreadSanitizer, the engine
# and processor tests under ASan + UBSan with a minute of fuzzing (each in a
# build folder of its own), then the whole suite.
test: build windows windows-installer package
	JOBS=$(JOBS) bash scripts/sanitizer-tests.sh thread
	JOBS=$(JOBS) bash scripts/fuzz.sh --unit-tests 20
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The Windows plug-ins (build-windows/): the VST3 bundle for 64- and 32-bit hosts,
# and the VST 2.x library for each.
windows: setup
	JOBS=$(JOBS) bash scripts/windows-build.sh

# The Windows installer, build-windows/Selvane-VERSION-setup.exe (NSIS; the presets come from the Linux build).
windows-installer: windows build
	bash scripts/windows-installer.sh $(BUILD_DIR) build-windows

# The manual's plots (docs/manual/*.svg), drawn from selvane-render's output (a test checks them).
docs: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-render
	/usr/bin/python3 scripts/manual-pictures.py $(BUILD_DIR)/tools/selvane-render docs/manual

# The Debian package, build/selvane_VERSION-REVISION_amd64.deb (scripts/package-deb.sh).
package: build
	bash scripts/package-deb.sh $(BUILD_DIR)

# Fuzzing for as long as you like: make fuzz FUZZ_SECONDS=3600 (per target).
FUZZ_SECONDS ?= 600
fuzz: setup
	JOBS=$(JOBS) bash scripts/fuzz.sh $(FUZZ_SECONDS)

# The hostile-host battery at length (blocks per sample rate and format), then long fuzzing.
SOAK_BLOCKS ?= 3000
soak: build
	SELVANE_STRESS_BLOCKS=$(SOAK_BLOCKS) scripts/with-xvfb.sh $(BUILD_DIR)/tests/selvane-host-tests --gtest_filter=Formats/Stress*
	JOBS=$(JOBS) bash scripts/fuzz.sh $(FUZZ_SECONDS)

# Every unit test suite under AddressSanitizer + UBSan, then a short hostile-host
# run with all three formats instrumented (a slow build: not part of make test).
sanitize: setup
	JOBS=$(JOBS) bash scripts/sanitizer-tests.sh address

bench: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-bench selvane-instruction-count
	$(BUILD_DIR)/bench/selvane-bench
	bash scripts/bench-instructions.sh $(BUILD_DIR)

# Instructions per frame of processBlock in each benchmark case, under callgrind.
bench-instructions: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-instruction-count
	bash scripts/bench-instructions.sh $(BUILD_DIR)

# Redraws the editor's pictures into resources/ (identical bytes unless the drawing code changed).
artwork: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-artwork
	$(BUILD_DIR)/tools/selvane-artwork resources

# Renders the editor (at 1x and 2x) and its parts to PNG files under build/snapshots/.
snapshot: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-snapshot
	$(BUILD_DIR)/tools/selvane-snapshot $(BUILD_DIR)/snapshots

# make install: the per-user plug-in folders; make install PREFIX=/usr/local: PREFIX/lib/{vst,vst3,lv2}
install: build
	bash scripts/install-plugins.sh $(BUILD_DIR) $(PREFIX)

clean:
	rm -rf $(BUILD_DIR) build-tsan build-asan build-fuzz build-windows
