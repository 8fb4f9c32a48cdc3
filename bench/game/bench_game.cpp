// One whole drawing frame of the game short of presenting it (update, clear, four shaken
// quadrants, the square, the dither into texture memory), as the game does it and as literal
// per-pixel loops over the same canvas state. The texture memory is a plain buffer laid out as
// a locked streaming texture, so the GL upload stays out of both; a third run adds px_render's
// lock, upload and copy. Allocations are counted through malloc.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>

#include "game.hpp"
#include "player.hpp"
#include "px_internal.hpp"
#include "scene.hpp"
#include "support.hpp"

using namespace support;

//------------------------------------------------------------------------------------------
// World
//------------------------------------------------------------------------------------------
static bool start_world(void) {
    static int32_t started = 0;
    if (started != 0) return started > 0;
    use_headless_drivers();
    const ORVEX_Config config = headless_config(PX_WIDTH, PX_HEIGHT);
    started = ORVEX_Init(&config) == 0 && px_init() == 0 ? 1 : -1;
    if (started > 0) {
        input_new_action("move");
        input_bind_scancode("move", 44);
    }
    return started > 0;
}

//------------------------------------------------------------------------------------------
// Literal frame
//------------------------------------------------------------------------------------------
static uint8_t texture_memory[PX_HEIGHT * PX_ROW_BYTES];

static void literal_dither(void) {
    px_rng_state =
        reference_dither(px_pixels, px_palette, px_rng_state, texture_memory, PX_ROW_BYTES);
}

static void fast_dither(void) {
    px_rng_state =
        px_dither_convert(px_pixels, px_palette, px_rng_state, texture_memory, PX_ROW_BYTES);
}

// The same frame as scene_step and px_render, with the same rand() calls in the same order.
static bool literal_frame(Player* player) {
    player_update(player);
    if (static_cast<uint32_t>(stage) >= static_cast<uint32_t>(STAGE_COUNT)) return false;
    reference_clear(0);
    const PxImage* img = stage_images[stage];
    int32_t wobble = rand();
    SplitPoint split = scene_split(ORVEX_GetFrameCount(), wobble, img->width, img->height);
    for (int32_t q = 0; q < SCENE_QUADRANTS; ++q) {
        int32_t shake_x = rand();
        int32_t shake_y = rand();
        reference_blit(scene_quadrant(img, split, q, shake_x, shake_y));
    }
    int32_t jitter_x = rand();
    int32_t jitter_y = rand();
    reference_blit(player_square(player, jitter_x, jitter_y));
    return true;
}

//------------------------------------------------------------------------------------------
// Benchmarks
//------------------------------------------------------------------------------------------
template <bool (*Frame)(Player*), void (*Dither)(void)>
static void run_frames(benchmark::State& state) {
    if (!start_world()) {
        state.SkipWithError("no engine or canvas");
        return;
    }
    Player player;
    player_init(&player);
    stage = 0;
    Frame(&player);  // warm up outside the count
    Dither();
    const uint64_t before = allocations();
    for (auto _ : state) {
        Frame(&player);
        Dither();
    }
    if (allocation_counting()) {
        state.counters["allocs_per_frame"] =
            static_cast<double>(allocations() - before) / static_cast<double>(state.iterations());
    }
    state.SetItemsProcessed(state.iterations() * PX_PIXELS);
}

static void render(void) { px_render(); }

BENCHMARK(run_frames<literal_frame, literal_dither>)
    ->Name("frame/literal")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(run_frames<scene_step, fast_dither>)->Name("frame/game")->Unit(benchmark::kMicrosecond);
BENCHMARK(run_frames<scene_step, render>)
    ->Name("frame/game_with_upload")
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
