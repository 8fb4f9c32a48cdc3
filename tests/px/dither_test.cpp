// The dither conversion on plain memory: every path this CPU runs must equal, byte for byte
// and in the final generator state, a per-pixel loop written straight from the rule; plus
// the threshold rule, the dither map, the two output colours and row padding. The browser
// build runs these tests too, under node, for its SIMD128 path (tests/web).
//
// Index: Every path against the reference / Threshold rule and dither map / Generator
#include "px_fixture.hpp"

constexpr int32_t kPaddedPitch = PX_ROW_BYTES + 36;

struct Dither : Canvas {
    std::vector<uint8_t> fast =
        std::vector<uint8_t>(static_cast<size_t>(kPaddedPitch) * PX_HEIGHT, 0xcd);
    std::vector<uint8_t> slow = fast;

    void TearDown() override {
        px_set_render_path(PX_PATH_AUTO);
        Canvas::TearDown();
    }

    static std::vector<PxRenderPath> paths() {
        std::vector<PxRenderPath> p;
        for (PxRenderPath path :
             {PX_PATH_SCALAR, PX_PATH_SSE2, PX_PATH_AVX2, PX_PATH_AVX512, PX_PATH_SIMD128})
            if (px_render_path_supported(path)) p.push_back(path);
        return p;
    }

    uint32_t convert(uint32_t state, int32_t pitch = PX_ROW_BYTES) {
        return px_dither_convert(px_pixels, px_palette, state, fast.data(), pitch);
    }

    // Light texels of the canvas row y after a conversion at the unpadded pitch.
    size_t light_count(uint8_t light_blue = 254) const {
        size_t n = 0;
        for (int32_t i = 0; i < PX_PIXELS; i++) n += fast[4 * static_cast<size_t>(i)] == light_blue;
        return n;
    }
};

//------------------------------------------------------------------------------------------
// Every path against the reference
//------------------------------------------------------------------------------------------
TEST_F(Dither, EveryPathIsBitIdenticalToTheReference) {
    ASSERT_GE(paths().size(), 1u);
    for (int32_t round = 0; round < 6; round++) {
        for (uint8_t& p : px_pixels) p = static_cast<uint8_t>(uniform(0, 255));
        for (PxColor& c : px_palette) {
            c.r = static_cast<uint8_t>(uniform(0, 255));
            c.g = static_cast<uint8_t>(uniform(0, 255));
            c.b = static_cast<uint8_t>(uniform(0, 255));
        }
        // Odd rounds map some entries; the last maps every entry, so a lookup that mixes up
        // any two entries of the table shows.
        if (round % 2 == 1)
            for (int32_t k = 0; k < 40; k++) px_palette[uniform(0, 255)].dither = uniform(-5, 700);
        if (round == 5)
            for (PxColor& c : px_palette) c.dither = uniform(-5, 700);
        const uint32_t seed = round == 0 ? 0u : rng();
        const int32_t pitch = round < 3 ? PX_ROW_BYTES : kPaddedPitch;
        std::fill(slow.begin(), slow.end(), 0xcd);
        const uint32_t want = reference_dither(px_pixels, px_palette, seed, slow.data(), pitch);
        for (PxRenderPath path : paths()) {
            ASSERT_TRUE(px_set_render_path(path));
            std::fill(fast.begin(), fast.end(), 0xcd);
            EXPECT_EQ(convert(seed, pitch), want) << "path " << path << " round " << round;
            ASSERT_TRUE(fast == slow) << "path " << path << " round " << round;
        }
    }
}

TEST_F(Dither, PathsCanBeForcedOnlyWhereTheCpuRunsThem) {
    EXPECT_TRUE(px_render_path_supported(PX_PATH_SCALAR));
    EXPECT_TRUE(px_set_render_path(PX_PATH_SCALAR));
    EXPECT_EQ(px_render_path(), PX_PATH_SCALAR);
    EXPECT_FALSE(px_set_render_path(static_cast<PxRenderPath>(9)));
    EXPECT_EQ(px_render_path(), PX_PATH_SCALAR);
    EXPECT_TRUE(px_set_render_path(PX_PATH_AUTO));
    EXPECT_NE(px_render_path(), PX_PATH_AUTO);
#if defined(__wasm_simd128__)
    EXPECT_EQ(px_render_path(), PX_PATH_SIMD128) << "a SIMD128 build takes its SIMD path";
#elif defined(__wasm__)
    EXPECT_EQ(px_render_path(), PX_PATH_SCALAR);
    EXPECT_FALSE(px_render_path_supported(PX_PATH_SIMD128));
#endif
#if defined(__x86_64__)
    EXPECT_FALSE(px_render_path_supported(PX_PATH_SIMD128));
    EXPECT_TRUE(px_render_path_supported(PX_PATH_SSE2));
    EXPECT_EQ(px_render_path_supported(PX_PATH_AVX2), __builtin_cpu_supports("avx2") != 0);
    const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                        __builtin_cpu_supports("avx512vbmi");
    EXPECT_EQ(px_render_path_supported(PX_PATH_AVX512), avx512);
    if (avx512) {
        EXPECT_EQ(px_render_path(), PX_PATH_AVX512);
    } else if (__builtin_cpu_supports("avx2")) {
        EXPECT_EQ(px_render_path(), PX_PATH_AVX2);
    }
#endif
}

//------------------------------------------------------------------------------------------
// Threshold rule and dither map
//------------------------------------------------------------------------------------------
TEST_F(Dither, IndexZeroIsAlwaysDarkAndIndex255AlwaysLight) {
    uint32_t a, c;
    px_rng_jump(PX_PIXELS, &a, &c);
    for (PxRenderPath path : paths()) {
        px_set_render_path(path);
        memset(px_pixels, 0, sizeof px_pixels);
        EXPECT_EQ(convert(77), a * 77 + c) << "307,200 steps however certain the outcome";
        EXPECT_EQ(light_count(), 0u);
        EXPECT_EQ(fast[0], 0);
        EXPECT_EQ(fast[3], 255);
        memset(px_pixels, 255, sizeof px_pixels);
        EXPECT_EQ(convert(77), a * 77 + c);
        EXPECT_EQ(light_count(), static_cast<size_t>(PX_PIXELS));
        EXPECT_EQ(std::vector<uint8_t>(fast.begin(), fast.begin() + 4),
                  (std::vector<uint8_t>{254, 254, 254, 255}));
    }
}

TEST_F(Dither, MiddleIndexIsLightInAboutHalfThePixelsInANewPatternEachFrame) {
    memset(px_pixels, 128, sizeof px_pixels);
    const uint32_t next = convert(px_rng_state);
    const std::vector<uint8_t> first(fast.begin(), fast.begin() + PX_ROW_BYTES * PX_HEIGHT);
    // 129 * 128 / 32768 of the 15-bit values fall below 128: 50.39 %.
    EXPECT_NEAR(static_cast<double>(light_count()) / PX_PIXELS, 0.5039, 0.005);
    convert(next);
    EXPECT_FALSE(std::equal(first.begin(), first.end(), fast.begin()));
}

TEST_F(Dither, DitherMapSubstitutesTheThresholdFromItsLowEightBits) {
    memset(px_pixels, 7, sizeof px_pixels);
    px_dither_remap({.c0 = 7, .c1 = 255});
    convert(5);
    EXPECT_EQ(light_count(), static_cast<size_t>(PX_PIXELS));
    px_dither_remap({.c0 = 7, .c1 = 0});
    memset(px_pixels, 200, PX_PIXELS / 2);
    px_dither_remap({.c0 = 200, .c1 = 0});
    convert(5);
    EXPECT_EQ(light_count(), 0u) << "threshold 0 is dark whatever the index";
    // 300 acts as 44: about (129 * 44) / 32768 light.
    memset(px_pixels, 7, sizeof px_pixels);
    px_dither_remap({.c0 = 7, .c1 = 300});
    convert(5);
    EXPECT_NEAR(static_cast<double>(light_count()) / PX_PIXELS, 129.0 * 44 / 32768, 0.004);
}

TEST_F(Dither, OnlyEntries0And254ReachTheTexture) {
    for (uint8_t& p : px_pixels) p = static_cast<uint8_t>(uniform(0, 255));
    px_palette[254] = {255, 0, 0, 0, 0, 0};
    px_palette[0] = {0, 0, 9, 0, 0, 0};
    convert(3);
    for (int32_t i = 0; i < PX_PIXELS; i++) {
        const uint8_t* p = &fast[4 * static_cast<size_t>(i)];
        const bool light = p[0] == 0 && p[1] == 0 && p[2] == 255 && p[3] == 255;
        const bool dark = p[0] == 9 && p[1] == 0 && p[2] == 0 && p[3] == 255;
        ASSERT_TRUE(light || dark) << i;
    }
}

TEST_F(Dither, PaddedRowsKeepTheirPaddingAndShortPitchesWriteNothing) {
    for (PxRenderPath path : paths()) {
        px_set_render_path(path);
        std::fill(fast.begin(), fast.end(), 0xcd);
        memset(px_pixels, 255, sizeof px_pixels);
        convert(1, kPaddedPitch);
        for (int32_t y = 0; y < PX_HEIGHT; y++) {
            const uint8_t* row = fast.data() + static_cast<size_t>(y) * kPaddedPitch;
            ASSERT_EQ(row[PX_ROW_BYTES - 1], 255) << y;
            for (int32_t b = PX_ROW_BYTES; b < kPaddedPitch; b++) ASSERT_EQ(row[b], 0xcd) << y;
        }
        std::fill(fast.begin(), fast.end(), 0xcd);
        EXPECT_EQ(convert(1234, PX_ROW_BYTES - 4), 1234u);
        EXPECT_EQ(fast[0], 0xcd);
    }
}

//------------------------------------------------------------------------------------------
// Generator
//------------------------------------------------------------------------------------------
TEST_F(Dither, JumpAheadEqualsStepping) {
    for (uint32_t k : {0u, 1u, 2u, 7u, 16u, 32u, 1000u, static_cast<uint32_t>(PX_PIXELS)}) {
        uint32_t s = 0xdeadbeef;
        for (uint32_t i = 0; i < k; i++) s = s * PX_RNG_MUL + PX_RNG_ADD;
        uint32_t a, c;
        px_rng_jump(k, &a, &c);
        EXPECT_EQ(a * 0xdeadbeefu + c, s) << k;
    }
}

TEST_F(Dither, SequenceRunsOnAcrossFrames) {
    for (uint8_t& p : px_pixels) p = static_cast<uint8_t>(uniform(0, 255));
    const uint32_t second = convert(99);
    convert(second);
    const std::vector<uint8_t> frame2 = fast;
    // The same two frames computed as one reference run of twice the length.
    reference_dither(px_pixels, px_palette, 99, slow.data(), PX_ROW_BYTES);
    const uint32_t end = reference_dither(px_pixels, px_palette, second, slow.data(), PX_ROW_BYTES);
    EXPECT_TRUE(frame2 == slow);
    uint32_t a, c;
    px_rng_jump(2 * PX_PIXELS, &a, &c);
    EXPECT_EQ(end, a * 99 + c);
}
