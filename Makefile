# The front door: `make run` plays, `make test` proves, `make check` is the quick proof while
# editing. Each sets the machine up first.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD  ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 5
WEB_BUILD   ?= build-web
# make test replays the committed seeds only: new random inputs make a run's verdict depend
# on luck; fuzzing for new finds is `make fuzz-smoke` or `make fuzz`.
TEST_FUZZ_SECONDS ?= 0
WIN_BUILD   ?= build-windows
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run build check test test-asan bench fuzz fuzz-smoke fuzz-build art-preview screenshots \
	format format-check deps deps-test clean package deps-package playthrough \
	plinkwall-playthrough web web-zip \
	web-serve web-bench test-web deps-web windows windows-zip test-windows host-tools \
	deps-windows native-tests windows-libs

#-------------------------------------------------------------------------------------------
# Build folders
#-------------------------------------------------------------------------------------------
# Each build folder is configured by one definition here, which every target building there
# calls; $(1) adds options for one use. CMake keeps what a folder was configured with, so a
# later plain configure keeps those options (make build after make test keeps the tests).
configure-native = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(1) $(CMAKE_FLAGS)
configure-asan = cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUILLOW_TESTS=ON \
	-DQUILLOW_SANITIZE=ON $(CMAKE_FLAGS)
configure-bench = cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUILLOW_BENCH=ON \
	$(CMAKE_FLAGS)
configure-fuzz = cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOW_FUZZ=ON \
	-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 $(CMAKE_FLAGS)
# The browser build: its picture and music generators are the native ones of $(BUILD)/, its SDL
# the WebAssembly one web/build-sdl.sh keeps in $(WEB_BUILD)/sdl/.
configure-web = emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release $(WEB_CMAKE_FLAGS) \
	-DQUILLOW_NATIVE_TOOLS=$(CURDIR)/$(BUILD)/tools -DQUILLOW_WASM_SDL=$(CURDIR)/$(WEB_BUILD)/sdl
# The Windows build: the native generators of $(BUILD)/ and the libraries windows/build-deps.sh
# keeps in $(WIN_BUILD)/deps/.
configure-windows = cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/windows/mingw-w64.cmake \
	-DQUILLOW_WINDOWS_PREFIX=$(CURDIR)/$(WIN_BUILD)/deps/prefix \
	-DQUILLOW_NATIVE_TOOLS=$(CURDIR)/$(BUILD)/tools $(1)

# The tests of the native build; the options pick some (-L LABEL) or leave some out (-LE).
native-ctest = cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# What make check leaves to make test, by ctest label: the end-to-end tests under Xvfb (the
# heavy packaging tests carry that label too) and the packaging tests.
CHECK_LEAVES_OUT = e2e|packaging

#-------------------------------------------------------------------------------------------
# Playing and proving
#-------------------------------------------------------------------------------------------

run: build
	./$(BUILD)/quillow

build: deps
	$(call configure-native)
	cmake --build $(BUILD) -j$(JOBS)

# The native build with its tests, as make check, make test and make screenshots run them.
native-tests: deps-test
	$(call configure-native,-DQUILLOW_TESTS=ON)
	cmake --build $(BUILD) -j$(JOBS)

# The edit loop: the native build's unit and integration tests (the examples' runs included),
# then the formatting. A few minutes on a warm build; make test runs what it leaves out.
check: native-tests
	$(native-ctest) -LE '$(CHECK_LEAVES_OUT)'
	@$(MAKE) --no-print-directory format-check
	@echo "check: passed. Left out: the end-to-end tests under Xvfb, packaging, ASan+UBSan," \
		"fuzz seeds, the browser and the Windows builds; 'make test' runs them all."

# Every test in the normal build (end-to-end ones included, under their own Xvfb), then the
# unit and integration tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then a short fuzz run of every fuzz target over its committed seeds.
test: format-check native-tests
	$(native-ctest)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory fuzz-smoke FUZZ_SMOKE_SECONDS=$(TEST_FUZZ_SECONDS)
	$(MAKE) --no-print-directory test-web
	$(MAKE) --no-print-directory test-windows

test-asan: deps-test
	$(configure-asan)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS) -LE e2e

# The game for Windows, cross-built with mingw-w64 into $(WIN_BUILD)/: quillow.exe, SDL2.dll,
# SDL2_mixer.dll, SDL2_image.dll and res/. SDL and giflib come from Debian's source packages,
# built once into $(WIN_BUILD)/deps/; the picture and music generators are the native ones of
# $(BUILD)/.
windows: windows-libs
	$(call configure-windows)
	cmake --build $(WIN_BUILD) --target quillow -j$(JOBS)

# The zip players download: $(WIN_BUILD)/quillow-<version>-windows.zip.
windows-zip: windows
	cmake --build $(WIN_BUILD) --target windows_zip

# The unit and integration tests cross-built and run under Wine, and the game under Wine
# on a private X server (windows/test.sh).
test-windows: windows-libs
	$(call configure-windows,-DQUILLOW_TESTS=ON)
	cmake --build $(WIN_BUILD) --target all windows_zip -j$(JOBS)
	bash windows/test.sh $(WIN_BUILD) -j$(JOBS)

# The Windows libraries, cross-built once from Debian's sources and kept.
windows-libs: deps-windows host-tools
	JOBS=$(JOBS) bash windows/build-deps.sh $(WIN_BUILD)/deps

# The picture and music generators, run natively by the browser and Windows builds.
host-tools: deps
	$(call configure-native)
	cmake --build $(BUILD) --target artgen musicgen -j$(JOBS)

# Benchmarks (Release build), headless like the tests; those named *_xvfb need a real X
# server and get a private Xvfb. Then the game itself: start-up to its first presented frame
# and peak memory of a play-through, on the renderer it picks and on forced OpenGL, and the
# replay check of the committed play-through, timed.
bench: deps-test
	$(configure-bench)
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	@for b in $(BENCH_BUILD)/bench/*/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; \
		case "$$b" in \
		*_xvfb) SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" \
			env -u SDL_VIDEODRIVER "$$b" || exit 1 ;; \
		*) SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$$b" || exit 1 ;; \
		esac; done
	@echo "== the game, renderer picked by the engine"; \
		env -u SDL_RENDER_DRIVER bash bench/game/measure_run.sh $(BENCH_BUILD)/quillow 9
	@echo "== the game, SDL_RENDER_DRIVER=opengl"; \
		SDL_RENDER_DRIVER=opengl bash bench/game/measure_run.sh $(BENCH_BUILD)/quillow 9
	@echo "== replay check of the whole play-through (2029 turns; 32.5 s at 62.5 frames a second)"
	@SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy bash -c 'time ./$(BENCH_BUILD)/quillow \
		--replay tests/data/playthrough.rec --check'

# Rewrites tests/data/playthrough.rec, the recording of a whole play-through that make test
# replays with `quillow --replay FILE --check`: run it when the game is meant to play differently.
playthrough: deps-test
	$(call configure-native,-DQUILLOW_TESTS=ON)
	cmake --build $(BUILD) --target record_playthrough -j$(JOBS)
	SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
		./$(BUILD)/tests/game/record_playthrough tests/data/playthrough.rec

# Rewrites tests/data/plinkwall.rec, the second game's recording of a whole game by its scripted
# player, and docs/plinkwall.png, a moment of the same play: run it when Plinkwall is meant to
# play or look differently.
plinkwall-playthrough: deps-test
	$(call configure-native,-DQUILLOW_TESTS=ON)
	cmake --build $(BUILD) --target record_plinkwall -j$(JOBS)
	SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./$(BUILD)/games/plinkwall/record_plinkwall \
		tests/data/plinkwall.rec docs/plinkwall.png

# The browser build (web/): the page and all it loads in $(WEB_BUILD)/site/. The generators
# run natively from $(BUILD)/; SDL2, SDL2_mixer and SDL2_image for WebAssembly are compiled
# once from Debian's source packages into $(WEB_BUILD)/sdl/ and kept there.
web: export NODE_PATH = /usr/share/nodejs
web: deps-web host-tools
	bash web/build-sdl.sh $(WEB_BUILD)/sdl $(JOBS)
	$(configure-web)
	cmake --build $(WEB_BUILD) -j$(JOBS)

# The site as one zip, as game sites take it: $(WEB_BUILD)/quillow-web.zip.
WEB_FILES = index.html quillow-page.js quillow.js quillow.wasm quillow-scalar.js \
	quillow-scalar.wasm quillow.data quillow.data.js
web-zip: web
	rm -f $(WEB_BUILD)/quillow-web.zip
	cd $(WEB_BUILD)/site && cmake -E tar cf ../quillow-web.zip --format=zip $(WEB_FILES)
	@echo "web-zip: $(WEB_BUILD)/quillow-web.zip"

# Plays the page at http://127.0.0.1:8000/ (Ctrl+C stops the server).
web-serve: web
	node tests/web/serve.js $(WEB_BUILD)/site 8000

# The browser build's tests: the canvas under node, the page in headless chromium.
test-web: deps-test
	$(MAKE) --no-print-directory web WEB_CMAKE_FLAGS=-DQUILLOW_TESTS=ON
	cmake --build $(WEB_BUILD) --target web_tests -j$(JOBS)
	cd $(WEB_BUILD) && ctest --output-on-failure -j$(JOBS)

# The browser build's figures: the dither in WebAssembly (scalar and SIMD128, under node),
# then the page in headless chromium on both renderers (bench/web/).
web-bench: web
	cmake --build $(WEB_BUILD) --target web_bench -j$(JOBS)
	node $(WEB_BUILD)/bench/web/bench_dither_wasm_simd128.js
	node $(WEB_BUILD)/bench/web/bench_dither_wasm_scalar.js
	node bench/web/page_bench.js $(WEB_BUILD)/site

# Debian packages from the built tree into $(BUILD)/: quillow_*.deb for players,
# liborvex-dev_*.deb for game makers (packaging/debian.cmake).
package: deps-package build
	cd $(BUILD) && cpack -G DEB

# Fuzzing (libFuzzer through clang-14, with ASan and UBSan; see fuzz/README.md): `make fuzz`
# runs each target for FUZZ_SECONDS, `make fuzz-smoke` runs every committed seed once and
# then fuzzes each target for FUZZ_SMOKE_SECONDS. Either fails on any crash or report.
fuzz-build: deps-test
	$(configure-fuzz)
	cmake --build $(FUZZ_BUILD) --target fuzz_targets -j$(JOBS)

fuzz: fuzz-build
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	bash fuzz/run.sh --smoke $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)

# A PNG contact sheet of the eight compiled-in pictures, each beside its dithered view.
art-preview: deps
	$(call configure-native)
	cmake --build $(BUILD) --target game_images -j$(JOBS)
	./$(BUILD)/tools/artgen --sheet $(BUILD)/games/quillow/images $(BUILD)/art-preview.png

# The examples' screenshots in docs/: their tests run them headless and keep their last frame.
screenshots: native-tests
	cd $(BUILD) && EXAMPLE_SCREENSHOTS=$(CURDIR)/docs ctest --output-on-failure -L example

# Every C and C++ source in the repository, formatted by .clang-format; format-check fails
# (and names the files) when one is not.
FORMAT_FILES = git ls-files -z -- '*.cpp' '*.hpp' '*.c' '*.h'

format:
	$(FORMAT_FILES) | xargs -0 clang-format -i

format-check: deps-test
	@$(FORMAT_FILES) | xargs -0 clang-format --dry-run --Werror \
		|| { echo "format-check: run 'make format' to format the files above"; exit 1; }

deps:
	@bash tools/deps.sh

deps-test:
	@bash tools/deps.sh test

deps-package:
	@bash tools/deps.sh package

deps-web:
	@bash tools/deps.sh web

deps-windows:
	@bash tools/deps.sh windows

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) $(WIN_BUILD)
