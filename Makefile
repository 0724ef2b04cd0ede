# Selvane: the entry points. `make demo` and `make test` set up a fresh
# Debian 12 machine themselves (as root), then build.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup configure build demo test bench install artwork snapshot sanitize clean

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS); fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-render
	$(BUILD_DIR)/tools/selvane-render --demo demo-out.wav

# The concurrency test under ThreadSanitizer first (a build of its own), then
# the whole suite.
test: build
	JOBS=$(JOBS) bash scripts/sanitizer-tests.sh thread
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The unit tests under AddressSanitizer + UBSan (a slow build: not part of make test).
sanitize: setup
	JOBS=$(JOBS) bash scripts/sanitizer-tests.sh address

bench: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-bench
	$(BUILD_DIR)/bench/selvane-bench

# Redraws the editor's pictures into resources/ (identical bytes unless the drawing code changed).
artwork: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-artwork
	$(BUILD_DIR)/tools/selvane-artwork resources

# Renders the editor and its parts to PNG files under build/snapshots/.
snapshot: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target selvane-snapshot
	$(BUILD_DIR)/tools/selvane-snapshot $(BUILD_DIR)/snapshots

# make install: the per-user plug-in folders; make install PREFIX=/usr/local: PREFIX/lib/{vst,vst3,lv2}
install: build
	bash scripts/install-plugins.sh $(BUILD_DIR) $(PREFIX)

clean:
	rm -rf $(BUILD_DIR) build-tsan build-asan
