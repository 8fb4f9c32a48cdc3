// Canvas speed: the dither conversion on every path against a literal per-pixel loop, the
// game's frame of blits against a literal plot loop, and a line whose walk lies mostly off
// the canvas. Baselines run in the same process, so the ratios compare like with like.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "px_internal.hpp"

//------------------------------------------------------------------------------------------
// Fixtures
//------------------------------------------------------------------------------------------
static std::vector<uint8_t> random_bytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

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
// The rule written out per pixel, as the test's reference.
static uint32_t literal_dither(uint32_t s, uint8_t* out) {
    for (int32_t y = 0; y < PX_HEIGHT; y++) {
        for (int32_t x = 0; x < PX_WIDTH; x++) {
            const uint8_t i = px_pixels[y * PX_WIDTH + x];
            const uint8_t t =
                px_palette[i].dither ? static_cast<uint8_t>(px_palette[i].dither - 1) : i;
            s = s * 1103515245u + 12345u;
            const uint32_t v = ((s >> 16) & 0x7fff) % 255;
            const PxColor& c = v < t ? px_palette[254] : px_palette[0];
            uint8_t* p = out + y * PX_ROW_BYTES + 4 * x;
            p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 255;
        }
    }
    return s;
}

static void BM_DitherLiteral(benchmark::State& state) {
    set_dither_map(state.range(0));
    memcpy(px_pixels, stage_pixels.data(), PX_PIXELS);
    uint32_t s = 1;
    for (auto _ : state) {
        s = literal_dither(s, texture.data());
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
struct Region {
    int32_t x, y, ix, iy, w, h;
};

static const Region frame_regions[] = {
    {-2, 1, 0, 0, 327, 235},
    {329, -1, 327, 0, -1, 235},
    {1, 237, 0, 235, 327, -1},
    {326, 236, 327, 235, -1, -1},
};

static void literal_blit(const PxImage& im, const Region& r) {
    int32_t W = r.w < 0 ? im.width : r.w;
    if (im.width - r.ix < W) W = im.width - r.ix;
    int32_t H = r.h < 0 ? im.height : r.h;
    if (im.height - r.iy < H) H = im.height - r.iy;
    for (int32_t j = 0; j < H; j++) {
        for (int32_t i = 0; i < W; i++) {
            const uint8_t c = im.pixels[(r.iy + j) * im.width + r.ix + i];
            if (px_palette[c].transparent) continue;
            px_plot(r.x + i, r.y + j, c);
        }
    }
}

static void BM_FrameLiteral(benchmark::State& state) {
    for (auto _ : state) {
        for (int32_t y = 0; y < PX_HEIGHT; y++) {
            for (int32_t x = 0; x < PX_WIDTH; x++) {
                px_pixels[y * PX_WIDTH + x] = 0;
                px_depth_buffer[y * PX_WIDTH + x] = 0;
            }
        }
        for (const Region& r : frame_regions) literal_blit(stage, r);
        literal_blit(square, {300, 200, 17, 9, 32, 32});
        benchmark::DoNotOptimize(px_pixels);
    }
}
BENCHMARK(BM_FrameLiteral)->Unit(benchmark::kMicrosecond);

static void BM_Frame(benchmark::State& state) {
    for (auto _ : state) {
        px_clear(0);
        for (const Region& r : frame_regions)
            px_blit(
                {.img = &stage, .x = r.x, .y = r.y, .ix = r.ix, .iy = r.iy, .w = r.w, .h = r.h});
        px_blit({.img = &square, .x = 300, .y = 200, .ix = 17, .iy = 9, .w = 32, .h = 32});
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

BENCHMARK_MAIN();
