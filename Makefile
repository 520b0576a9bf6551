# The two commands a newcomer needs: `make run` (the packages to build and play, then the game
# alone) and `make test` (every package, everything built, every test).
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
XVFB = xvfb-run -a -s "-screen 0 1024x768x24"

.PHONY: all deps deps-play configure configure-play build run test check-sanitizers check-replay \
	check-fuzz fuzz bench install screenshots assets format clean package check-package deps-web \
	web serve-web web-zip check-web deps-windows windows check-windows

all: build

deps:
	@scripts/install-deps play test

deps-play:
	@scripts/install-deps play

# The tests and benchmarks are on here, so a missing test library stops the configuration.
configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DZANDOR_TESTS=ON -DZANDOR_BENCH=ON $(CMAKE_FLAGS) >/dev/null

# A new build folder is configured for the game alone: a machine may have GoogleTest without
# the other test packages, and the play set installs none of them. A folder that `make test`
# configured keeps its tests; only the game is built either way.
PLAY_ONLY = $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DZANDOR_TESTS=OFF -DZANDOR_BENCH=OFF)
configure-play: deps-play
	@cmake -S . -B $(BUILD) -G Ninja $(PLAY_ONLY) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: configure-play
	@cmake --build $(BUILD) -j $(JOBS) --target zandor
	$(BUILD)/game/zandor

# Every test runs under a virtual X server, so the display tests find one; the others
# never open a window.
test: build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -j $(JOBS) --timeout 600

# The whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer, and the mixer's
# threads under ThreadSanitizer, on the virtual device and on SDL's real callback path (its
# disk driver). Any report fails the run. The window tests run without the leak check: at
# their exit, with Mesa's llvmpipe threads about, LeakSanitizer's own tracer crashes in some of
# them (a fault of the tool, not a leak report), so only that one check is left out there.
SAN_ENV = ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
check-sanitizers: deps
	@cmake -S . -B $(BUILD)-asan -G Ninja -DZANDOR_SANITIZE=address,undefined -DZANDOR_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && $(SAN_ENV) $(XVFB) ctest --output-on-failure -j $(JOBS) -LE 'assets|display' --timeout 900
	cd $(BUILD)-asan && $(SAN_ENV) ASAN_OPTIONS=detect_leaks=0 $(XVFB) ctest --output-on-failure -j $(JOBS) -L display --timeout 900
	@cmake -S . -B $(BUILD)-tsan -G Ninja -DZANDOR_SANITIZE=thread -DZANDOR_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS) --target test_audio
	$(SAN_ENV) $(BUILD)-tsan/tests/test_audio --gtest_filter='MixerStress*:MixerTest*:OutputTick*:HandleTable*:SoundApi*:SDLOutput*' --gtest_repeat=3

# The two recorded games, each replayed by an unoptimised (-O0) and the optimised build: the
# per-frame state hashes must match exactly.
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

# The Debian package zandor_VERSION_ARCH.deb, built in $(BUILD)-package/, and the proof that it
# is lintian clean, installs into a minimal bookworm and runs there (root; see the script).
package: deps
	@JOBS=$(JOBS) CMAKE_FLAGS="$(CMAKE_FLAGS)" scripts/make-deb $(BUILD)-package
check-package: package
	scripts/check-package $(BUILD)-package/zandor_*.deb

# The README's pictures: the real game under Xvfb, driven by xdotool, and the browser picture
# that the last `make check-web` took ($(WEB_BUILD)/browser.png).
screenshots: build
	scripts/screenshots $(BUILD)/game/zandor docs/screenshots
	@if [ -f $(WEB_BUILD)/browser.png ]; then cp $(WEB_BUILD)/browser.png docs/screenshots/browser.png; \
	  else echo "screenshots: no $(WEB_BUILD)/browser.png; run make check-web for the browser picture"; fi

# The browser build: build-web/site holds the page, zandor.js and zandor.wasm, the service
# worker, the web manifest and its icons, each text and program file with brotli and gzip
# copies beside it (web/build-site). The libraries come from scripts/build-web-libs (cached
# outside the tree, so only the first build on a machine pays for them).
WEB_BUILD ?= build-web
WEB_PORT ?= 8014
EMCMAKE = NODE_PATH=/usr/share/nodejs emcmake
deps-web:
	@scripts/install-deps web
web: deps-web
	@prefix=$$(JOBS=$(JOBS) scripts/build-web-libs) && \
	  $(EMCMAKE) cmake -S . -B $(WEB_BUILD)/cmake -G Ninja -DZANDOR_WEB_PREFIX=$$prefix \
	    -DZANDOR_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
	    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" $(WEB_CMAKE_FLAGS) >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD)/cmake -j $(JOBS) --target zandor
	@web/build-site $(WEB_BUILD)/cmake/game $(WEB_BUILD)/site >/dev/null
	@echo "web build: $(WEB_BUILD)/site"
# web/serve.mjs sends the precompressed copies, which python's http.server cannot.
serve-web: web
	@node web/serve.mjs $(WEB_BUILD)/site --port $(WEB_PORT)
# The site as one zip for a browser-games host: index.html at its root, relative paths only,
# without the precompressed copies (such hosts compress for themselves).
web-zip: web
	@rm -f $(WEB_BUILD)/zandor-web.zip
	@cd $(WEB_BUILD)/site && zip -q -X -r ../zandor-web.zip . -x '*.br' '*.gz'
	@! grep -n -E '(src|href)="/|url\(/|https?://' $(WEB_BUILD)/site/index.html || \
	  { echo "web-zip: the page names an absolute address" >&2; exit 1; }
	@python3 -c 'import sys, zipfile; sys.exit("index.html" not in zipfile.ZipFile(sys.argv[1]).namelist())' \
	  $(WEB_BUILD)/zandor-web.zip
	@echo "web zip: $(WEB_BUILD)/zandor-web.zip ($$(stat -c %s $(WEB_BUILD)/zandor-web.zip) bytes)"
# The stored recordings replayed by the wasm replay tool under node against the native
# tool, then the page in headless Chromium (scripts/check-web).
check-web: web configure
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD)/cmake -j $(JOBS) --target zandor-replay
	scripts/check-web $(BUILD) $(WEB_BUILD)

# The 64-bit Windows build, cross-compiled with mingw-w64 (scripts/windows-build):
# $(BUILD)-windows/game/zandor.exe, tools/replay/zandor-replay.exe and the release zip
# zandor-<version>-win64.zip. The libraries are built once per machine and cached.
deps-windows:
	@scripts/install-deps windows
windows: deps-windows
	@JOBS=$(JOBS) CMAKE_FLAGS="$(CMAKE_FLAGS)" scripts/windows-build $(BUILD)-windows O2
	@echo "windows build: $$(ls $(BUILD)-windows/zandor-*-win64.zip)"

# The Windows build under Wine on a private X server: the recordings replayed by the -O2 and
# -O0 replay tools against the native one, the executable's imports and resources, and the
# game played against the native game's title frame and shot sound (scripts/check-windows).
check-windows: windows configure
	@cmake --build $(BUILD) -j $(JOBS) --target zandor zandor-replay
	scripts/check-windows $(BUILD) $(BUILD)-windows

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
