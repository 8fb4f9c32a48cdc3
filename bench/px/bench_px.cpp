// Canvas speed: the dither conversion on every path against a literal per-pixel loop, the
// game's frame of blits against a literal plot loop, a line whose walk lies mostly off the
// canvas, and a line of text against one rectangle of its size. Baselines run in the same
// process, so the ratios compare like with like.
//
// Index: Fixtures / Dither / The game's frame / Lines / Text
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "px_internal.hpp"
#include "support.hpp"

using namespace support;

//------------------------------------------------------------------------------------------
// Fixtures
//------------------------------------------------------------------------------------------
static std::vector<uint8_t> texture(PX_ROW_BYTES* PX_HEIGHT);
static const std::vector<uint8_t> stage_pixels = random_bytes(640 * 480, 1);
static const std::vector<uint8_t> square_pixels = random_bytes(400 * 256, 2);
static const PxImage stage = {640, 480, stage_pixels.data()};
static const PxImage square = {400, 256, square_pixels.data()};

static void set_dither_map(bool on) {
    for (int32_t i = 0; i < PX_COLORS; i++) px_palette[i].dither = on && i % 3 == 0 ? 256 - i : 0;
}

//------------------------------------------------------------------------------------------
// Dither
//------------------------------------------------------------------------------------------
static void BM_DitherLiteral(benchmark::State& state) {
    set_dither_map(state.range(0));
    memcpy(px_pixels, stage_pixels.data(), PX_PIXELS);
    uint32_t s = 1;
    for (auto _ : state) {
        s = reference_dither(px_pixels, px_palette, s, texture.data(), PX_ROW_BYTES);
        benchmark::DoNotOptimize(texture.data());
    }
    set_dither_map(false);
}
BENCHMARK(BM_DitherLiteral)->ArgName("map")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_DitherConvert(benchmark::State& state) {
    const auto path = static_cast<PxRenderPath>(state.range(0));
    if (!px_set_render_path(path)) {
        state.SkipWithError("path not supported on this CPU");
        return;
    }
    set_dither_map(state.range(1));
    memcpy(px_pixels, stage_pixels.data(), PX_PIXELS);
    uint32_t s = 1;
    for (auto _ : state) {
        s = px_dither_convert(px_pixels, px_palette, s, texture.data(), PX_ROW_BYTES);
        benchmark::DoNotOptimize(texture.data());
    }
    set_dither_map(false);
    px_set_render_path(PX_PATH_AUTO);
}
BENCHMARK(BM_DitherConvert)
    ->ArgNames({"path", "map"})
    ->ArgsProduct({{PX_PATH_SCALAR, PX_PATH_SSE2, PX_PATH_AVX2, PX_PATH_AVX512}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The floor: writing the 1.2 MB of output and nothing else.
static void BM_DitherOutputOnly(benchmark::State& state) {
    for (auto _ : state) {
        memset(texture.data(), 0xff, texture.size());
        benchmark::DoNotOptimize(texture.data());
    }
}
BENCHMARK(BM_DitherOutputOnly)->Unit(benchmark::kMicrosecond);

//------------------------------------------------------------------------------------------
// The game's frame: clear, four shaken quadrants of a stage picture, one 32x32 square
//------------------------------------------------------------------------------------------
// The four quadrants of a shaken stage picture and the 32x32 square.
static const PxBlitArgs frame_blits[] = {
    {.img = &stage, .x = -2, .y = 1, .w = 327, .h = 235},
    {.img = &stage, .x = 329, .y = -1, .ix = 327, .w = -1, .h = 235},
    {.img = &stage, .x = 1, .y = 237, .iy = 235, .w = 327, .h = -1},
    {.img = &stage, .x = 326, .y = 236, .ix = 327, .iy = 235, .w = -1, .h = -1},
    {.img = &square, .x = 300, .y = 200, .ix = 17, .iy = 9, .w = 32, .h = 32},
};

static void BM_FrameLiteral(benchmark::State& state) {
    for (auto _ : state) {
        reference_clear(0);
        for (const PxBlitArgs& b : frame_blits) reference_blit(b);
        benchmark::DoNotOptimize(px_pixels);
    }
}
BENCHMARK(BM_FrameLiteral)->Unit(benchmark::kMicrosecond);

static void BM_Frame(benchmark::State& state) {
    for (auto _ : state) {
        px_clear(0);
        for (const PxBlitArgs& b : frame_blits) px_blit(b);
        benchmark::DoNotOptimize(px_pixels);
    }
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);

// The frame's share that is the clear alone.
static void BM_Clear(benchmark::State& state) {
    for (auto _ : state) {
        px_clear(0);
        benchmark::DoNotOptimize(px_pixels);
    }
}
BENCHMARK(BM_Clear)->Unit(benchmark::kMicrosecond);

//------------------------------------------------------------------------------------------
// Lines
//------------------------------------------------------------------------------------------
static void BM_LineAcrossTheCanvas(benchmark::State& state) {
    for (auto _ : state) px_line(0, 5, 639, 7, 9);
}
BENCHMARK(BM_LineAcrossTheCanvas)->Unit(benchmark::kMicrosecond);

static void BM_LineFromFarAway(benchmark::State& state) {
    for (auto _ : state) px_line(-1000000000, 5, 1000000000, 7, 9);
}
BENCHMARK(BM_LineFromFarAway)->Unit(benchmark::kMicrosecond);

//------------------------------------------------------------------------------------------
// Text
//------------------------------------------------------------------------------------------
// A 40-character line (239 x 8 pixels at scale 1), and the same box as one filled rectangle.
static const char* const LINE_40 = "SCORE 0012345  HI 0099999  LIVES 3  GO!!";

static void BM_Text40(benchmark::State& state) {
    const int32_t scale = int32_t(state.range(0));
    for (auto _ : state) {
        px_text({.text = LINE_40, .x = 8, .y = 8, .color = 200, .scale = scale});
        benchmark::DoNotOptimize(px_pixels);
    }
}
BENCHMARK(BM_Text40)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

static void BM_FillRectSameArea(benchmark::State& state) {
    int32_t w = 0, h = 0;
    px_measure_text(LINE_40, int32_t(state.range(0)), &w, &h);
    for (auto _ : state) {
        px_fill_rect(8, 8, 8 + w - 1, 8 + h - 1, 200);
        benchmark::DoNotOptimize(px_pixels);
    }
}
BENCHMARK(BM_FillRectSameArea)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Most of the line far off the canvas at the largest scale: the cost of skipping it.
static void BM_Text40FromFarAway(benchmark::State& state) {
    for (auto _ : state) {
        px_text({.text = LINE_40, .x = INT32_MIN, .y = -1000000, .color = 200, .scale = 1 << 20});
        benchmark::DoNotOptimize(px_pixels);
    }
}
BENCHMARK(BM_Text40FromFarAway)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
