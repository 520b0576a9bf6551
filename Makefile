# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
XVFB = xvfb-run -a -s "-screen 0 1024x768x24"

.PHONY: all deps configure build run test bench assets format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/game/zandor

# Every test runs under a virtual X server, so the display tests find one; the others
# never open a window.
test: build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -j $(JOBS) --timeout 600

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $(XVFB) $$b; done

# Regenerates every picture and sound in assets/ (deterministic: the same bytes each time).
assets: configure
	cmake --build $(BUILD) --target assetgen
	$(BUILD)/tools/assetgen/assetgen assets

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
