# The front door: `make run` plays, `make test` proves. Both set the machine up first.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
BENCH_BUILD ?= build-bench
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run build test test-asan bench art-preview deps deps-test clean

run: build
	./$(BUILD)/quillow

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

# Every test in the normal build (end-to-end ones included, under their own Xvfb), then the
# unit and integration tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test: deps-test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOW_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory test-asan

test-asan: deps-test
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUILLOW_TESTS=ON -DQUILLOW_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS) -LE e2e

# Benchmarks (Release build), headless like the tests.
bench: deps-test
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUILLOW_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	@for b in $(BENCH_BUILD)/bench/*/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; \
		SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$$b" || exit 1; done

# A PNG contact sheet of the eight compiled-in pictures, each beside its dithered view.
art-preview: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) --target game_images -j$(JOBS)
	./$(BUILD)/tools/artgen --sheet $(BUILD)/game/images $(BUILD)/art-preview.png

deps:
	@bash tools/deps.sh

deps-test:
	@bash tools/deps.sh test

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
