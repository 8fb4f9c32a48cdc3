// One whole drawing frame of the game short of presenting it (update, clear, four shaken
// quadrants, the square, the dither into texture memory), as the game does it and as literal
// per-pixel loops over the same canvas state. The texture memory is a plain buffer laid out as
// a locked streaming texture, so the GL upload stays out of both; a third run adds px_render's
// lock, upload and copy. Allocations are counted through malloc.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "game.hpp"
#include "input.hpp"
#include "orvex.hpp"
#include "player.hpp"
#include "px_internal.hpp"
#include "scene.hpp"

//------------------------------------------------------------------------------------------
// Allocation counter
//------------------------------------------------------------------------------------------
extern "C" void* __libc_malloc(size_t size);
static size_t allocations = 0;

extern "C" void* malloc(size_t size) {
    ++allocations;
    return __libc_malloc(size);
}

//------------------------------------------------------------------------------------------
// World
//------------------------------------------------------------------------------------------
static bool start_world(void) {
    static int32_t started = 0;
    if (started != 0) return started > 0;
    ORVEX_Config config{.reserved = 0,
                        .width = PX_WIDTH,
                        .height = PX_HEIGHT,
                        .scale = 1,
                        .fps = 0,
                        .pixel_perfect = 1,
                        .logical_size = 0,
                        .scale_linear = 0,
                        .show_cursor = 0,
                        .mixer = 0,
                        .title = "Quillow"};
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
static void literal_clear(void) {
    for (int32_t y = px_clip_rect.y; y < px_clip_rect.y + px_clip_rect.h; ++y) {
        for (int32_t x = px_clip_rect.x; x < px_clip_rect.x + px_clip_rect.w; ++x) {
            px_pixels[y * PX_WIDTH + x] = 0;
            px_depth_buffer[y * PX_WIDTH + x] = 0;
        }
    }
}

static void literal_blit(const PxBlitArgs& a) {
    int32_t w = a.w < 0 ? a.img->width : a.w;
    int32_t h = a.h < 0 ? a.img->height : a.h;
    w = px_min(w, a.img->width - a.ix);
    h = px_min(h, a.img->height - a.iy);
    for (int32_t j = 0; j < h; ++j) {
        for (int32_t i = 0; i < w; ++i) {
            uint8_t c = a.img->pixels[(a.iy + j) * a.img->width + a.ix + i];
            if (px_palette[c].transparent) continue;
            px_plot_resolved(a.x + i, a.y + j, px_remapped(c));
        }
    }
}

static uint8_t texture_memory[PX_HEIGHT * PX_ROW_BYTES];

static void literal_dither(void) {
    uint8_t* memory = texture_memory;
    int32_t pitch = PX_ROW_BYTES;
    uint32_t s = px_rng_state;
    for (int32_t y = 0; y < PX_HEIGHT; ++y) {
        for (int32_t x = 0; x < PX_WIDTH; ++x) {
            uint8_t i = px_pixels[y * PX_WIDTH + x];
            int32_t d = px_palette[i].dither;
            uint32_t t = d != 0 ? static_cast<uint32_t>(d - 1) & 0xFF : i;
            s = s * PX_RNG_MUL + PX_RNG_ADD;
            uint32_t v = ((s >> 16) & 0x7fff) % 255;
            const PxColor& out = v < t ? px_palette[254] : px_palette[0];
            uint8_t* p = memory + y * pitch + x * 4;
            p[0] = out.b, p[1] = out.g, p[2] = out.r, p[3] = 255;
        }
    }
    px_rng_state = s;
}

static void fast_dither(void) {
    px_rng_state =
        px_dither_convert(px_pixels, px_palette, px_rng_state, texture_memory, PX_ROW_BYTES);
}

// The same frame as scene_step and px_render, with the same rand() calls in the same order.
static bool literal_frame(Player* player) {
    player_update(player);
    if (static_cast<uint32_t>(stage) >= static_cast<uint32_t>(STAGE_COUNT)) return false;
    literal_clear();
    const PxImage* img = stage_images[stage];
    int32_t wobble = rand();
    SplitPoint split = scene_split(ORVEX_GetFrameCount(), wobble, img->width, img->height);
    for (int32_t q = 0; q < SCENE_QUADRANTS; ++q) {
        int32_t shake_x = rand();
        int32_t shake_y = rand();
        literal_blit(scene_quadrant(img, split, q, shake_x, shake_y));
    }
    int32_t jitter_x = rand();
    int32_t jitter_y = rand();
    literal_blit(player_square(player, jitter_x, jitter_y));
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
    size_t before = allocations;
    for (auto _ : state) {
        Frame(&player);
        Dither();
    }
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations - before) / static_cast<double>(state.iterations());
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
