# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
XVFB = xvfb-run -a -s "-screen 0 1024x768x24"

.PHONY: all deps configure build run test check-sanitizers check-replay check-fuzz fuzz bench \
	install screenshots assets format clean

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

# The whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer, and the mixer's
# threads under ThreadSanitizer, on the virtual device and on SDL's real callback path (its
# disk driver). Any report fails the run.
SAN_ENV = ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
check-sanitizers: deps
	@cmake -S . -B $(BUILD)-asan -G Ninja -DZANDOR_SANITIZE=address,undefined -DZANDOR_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && $(SAN_ENV) $(XVFB) ctest --output-on-failure -j $(JOBS) -LE assets --timeout 900
	@cmake -S . -B $(BUILD)-tsan -G Ninja -DZANDOR_SANITIZE=thread -DZANDOR_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS) --target test_audio
	$(SAN_ENV) $(BUILD)-tsan/tests/test_audio --gtest_filter='MixerStress*:MixerTest*:OutputTick*:HandleTable*:SoundApi*:SDLOutput*' --gtest_repeat=3

# One recorded game replayed by an unoptimised (-O0) and the optimised build: the per-frame
# state hashes must match exactly.
check-replay: build
	CMAKE_FLAGS="$(CMAKE_FLAGS)" scripts/check-replay $(BUILD) $(BUILD)-O0

# libFuzzer (clang) on every loader and parser: a short fixed run of each target for CI, and
# `make fuzz FUZZ_SECONDS=n` for long runs. Corpora grow in $(BUILD)-fuzz/corpus.
FUZZ_SECONDS ?= 600
check-fuzz: deps
	CMAKE_FLAGS="$(CMAKE_FLAGS)" scripts/fuzz $(BUILD)-fuzz 10
fuzz: deps
	CMAKE_FLAGS="$(CMAKE_FLAGS)" scripts/fuzz $(BUILD)-fuzz $(FUZZ_SECONDS)

# The executable, desktop entry, icons and AppStream metainfo; DESTDIR is honoured.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The README's pictures: the real game under Xvfb, driven by xdotool.
screenshots: build
	scripts/screenshots $(BUILD)/game/zandor docs/screenshots

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
