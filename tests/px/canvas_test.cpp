// The canvas core: the plot rule's order, clipping, clearing, reading back and the colour
// table settings, including the caller errors that stop the program.
//
// Index: Initial state / Plot rule / Clipping and clearing / Colour table settings
#include "px_fixture.hpp"

using Pixels = std::vector<std::pair<int32_t, int32_t>>;

//------------------------------------------------------------------------------------------
// Initial state
//------------------------------------------------------------------------------------------
TEST_F(Canvas, StartsAsAGreyRampWithBlackAndNearWhiteDitherColours) {
    const auto& table = initial_palette();
    EXPECT_EQ(table[0].r, 0);
    EXPECT_EQ(table[1].g, 2);
    EXPECT_EQ(table[251].b, 252);
    EXPECT_EQ(table[252].r, 252);
    EXPECT_EQ(table[254].r, 254);
    EXPECT_EQ(table[254].b, 254);
    EXPECT_EQ(table[255].g, 0);
    for (const PxColor& c : table) {
        EXPECT_EQ(c.r, c.g);
        EXPECT_EQ(c.g, c.b);
        EXPECT_EQ(c.transparent | c.remap | c.dither, 0);
    }
}

TEST_F(Canvas, IntegerHelpers) {
    EXPECT_EQ(px_min(3, -2), -2);
    EXPECT_EQ(px_max(3, -2), 3);
    EXPECT_EQ(px_clamp(0, 700, 639), 639);
    EXPECT_EQ(px_clamp(0, -5, 639), 0);
    EXPECT_EQ(px_clamp(10, 5, 2), 10) << "lo wins when lo > hi";
}

//------------------------------------------------------------------------------------------
// Plot rule
//------------------------------------------------------------------------------------------
TEST_F(Canvas, PlotStoresIndexAndDepthAndReadsBack) {
    px_set_depth(7);
    px_plot(639, 479, 42);
    EXPECT_EQ(px_get(639, 479), 42);
    EXPECT_EQ(px_depth_buffer[PX_PIXELS - 1], 7u);
}

TEST_F(Canvas, DepthTestIsUnsignedAndEqualDepthPasses) {
    px_set_depth(5);
    px_plot(10, 10, 1);
    px_set_depth(4);
    px_plot(10, 10, 2);
    EXPECT_EQ(px_get(10, 10), 1) << "a lower depth leaves the pixel";
    EXPECT_EQ(px_depth_buffer[10 * PX_WIDTH + 10], 5u) << "and its depth";
    px_set_depth(5);
    px_plot(10, 10, 3);
    EXPECT_EQ(px_get(10, 10), 3) << "an equal depth overwrites";
    px_set_depth(0xffffffffu);
    px_plot(10, 10, 4);
    px_set_depth(0x7fffffffu);
    px_plot(10, 10, 5);
    EXPECT_EQ(px_get(10, 10), 4) << "depths compare unsigned";
}

TEST_F(Canvas, ClipIsTestedBeforeDepthAndRemapComesLast) {
    px_clip(20, 20, 10, 10);
    px_plot(19, 25, 9);
    px_plot(25, 30, 9);
    EXPECT_EQ(px_depth_buffer[25 * PX_WIDTH + 19], 0u);
    EXPECT_EQ(px_get(19, 25), 0);
    EXPECT_EQ(px_get(25, 30), 0);
    px_remap({.c0 = 9, .c1 = 0});
    px_set_depth(3);
    px_plot(25, 25, 9);
    EXPECT_EQ(px_get(25, 25), 0) << "a remap to index 0 writes 0";
    EXPECT_EQ(px_depth_buffer[25 * PX_WIDTH + 25], 3u) << "while depth is stored";
    EXPECT_EQ(px_palette[9].remap, 1);
}

TEST_F(Canvas, GetOutsideTheCanvasIsZeroWhateverTheClip) {
    px_clear(77);
    px_clip(0, 0, 0, 0);
    EXPECT_EQ(px_get(0, 0), 77);
    EXPECT_EQ(px_get(-1, 0), 0);
    EXPECT_EQ(px_get(640, 0), 0);
    EXPECT_EQ(px_get(0, 480), 0);
    EXPECT_EQ(px_get(0, -1), 0);
    EXPECT_EQ(px_get(INT32_MIN, INT32_MAX), 0);
}

//------------------------------------------------------------------------------------------
// Clipping and clearing
//------------------------------------------------------------------------------------------
TEST_F(Canvas, ClipIsClampedToTheCanvas) {
    const auto clip = [](int32_t x, int32_t y, int32_t w, int32_t h) {
        px_clip(x, y, w, h);
        const PxClipRect c = px_clip_rect;
        return std::vector<int32_t>{c.x, c.y, c.w, c.h};
    };
    EXPECT_EQ(clip(-5, -5, 1000, 1000), (std::vector<int32_t>{0, 0, 640, 480}));
    EXPECT_EQ(clip(700, 10, 5, 5), (std::vector<int32_t>{639, 10, 1, 5}));
    EXPECT_EQ(clip(10, 470, 50, 50), (std::vector<int32_t>{10, 470, 50, 10}));
    EXPECT_EQ(clip(10, 10, -3, 5), (std::vector<int32_t>{10, 10, 0, 5}));
    EXPECT_EQ(clip(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN),
              (std::vector<int32_t>{0, 479, 640, 0}));
    px_reset_clip();
    EXPECT_EQ(clip(0, 0, 640, 480), (std::vector<int32_t>{0, 0, 640, 480}));
}

TEST_F(Canvas, EmptyClipStopsPlotsAndClears) {
    px_clip(10, 10, -3, 5);
    px_plot(10, 10, 5);
    px_clear(9);
    EXPECT_TRUE(lit_pixels().empty());
}

TEST_F(Canvas, ClearFillsOnlyTheClipAndResetsDepthToZero) {
    px_set_depth(10);
    px_plot(5, 5, 1);
    px_plot(100, 100, 1);
    px_clip(0, 0, 50, 50);
    px_clear(200);
    EXPECT_EQ(px_get(5, 5), 200) << "no remap, no depth test";
    EXPECT_EQ(px_depth_buffer[5 * PX_WIDTH + 5], 0u);
    EXPECT_EQ(px_get(49, 49), 200);
    EXPECT_EQ(px_get(50, 49), 0);
    EXPECT_EQ(px_get(100, 100), 1);
    px_set_depth(0);
    px_plot(5, 5, 3);
    EXPECT_EQ(px_get(5, 5), 3) << "a plot at depth 0 lands after the clear";
    px_reset_clip();
    px_clear(4);
    EXPECT_EQ(px_get(639, 479), 4);
}

TEST_F(Canvas, ClearIgnoresTheDrawRemap) {
    px_remap({.c0 = 4, .c1 = 8});
    px_clear(4);
    EXPECT_EQ(px_get(320, 240), 4);
}

//------------------------------------------------------------------------------------------
// Colour table settings
//------------------------------------------------------------------------------------------
TEST_F(Canvas, RemapActsOnLaterWritesAndClearsWithMinusOne) {
    px_plot(1, 1, 5);
    px_remap({.c0 = 5, .c1 = 9});
    px_plot(2, 1, 5);
    EXPECT_EQ(px_get(1, 1), 5) << "pixels already drawn stay";
    EXPECT_EQ(px_get(2, 1), 9);
    px_dither_remap({.c0 = 5, .c1 = 300});
    EXPECT_EQ(px_palette[5].dither, 301);
    px_remap({.c0 = -1, .c1 = -1});
    px_dither_remap({.c0 = -1, .c1 = -1});
    for (const PxColor& c : px_palette) EXPECT_EQ(c.remap | c.dither, 0);
}

TEST_F(Canvas, RemapTargetsAreCutToEightBits) {
    px_remap({.c0 = 5, .c1 = 258});
    px_plot(0, 0, 5);
    EXPECT_EQ(px_get(0, 0), 2);
    px_remap({.c0 = 6, .c1 = INT32_MAX});  // stored wrapped, never overflowing
    px_plot(1, 0, 6);
    EXPECT_EQ(px_get(1, 0), 255);
}

TEST_F(Canvas, RemapOfAColourOutsideTheTableIsReportedAndWritesNothing) {
    const std::vector<PxColor> before(px_palette, px_palette + PX_COLORS);
    for (int32_t c0 : {256, -2, INT32_MIN, INT32_MAX}) {
        const std::string err = stderr_of([&] {
            px_remap({.c0 = c0, .c1 = 3});
            px_dither_remap({.c0 = c0, .c1 = 3});
        });
        EXPECT_NE(err.find("px_remap: colour " + std::to_string(c0) + " is outside 0..255"),
                  std::string::npos)
            << err;
        EXPECT_NE(err.find("px_dither_remap: colour"), std::string::npos) << err;
    }
    EXPECT_EQ(memcmp(before.data(), px_palette, sizeof px_palette), 0);
}

using CanvasDeathTest = Canvas;

// A WebAssembly build cannot fork a dying child: there the check is skipped.
TEST_F(CanvasDeathTest, InconsistentRemapArgumentsStopTheProgram) {
    const char* text = "\\(args->c0 == -1\\) \\^ \\(args->c1 != -1\\)";
    EXPECT_DEATH_IF_SUPPORTED(px_remap({.c0 = 5, .c1 = -1}), text);
    EXPECT_DEATH_IF_SUPPORTED(px_remap({.c0 = -1, .c1 = 5}), text);
    EXPECT_DEATH_IF_SUPPORTED(px_dither_remap({.c0 = 5, .c1 = -1}), text);
    EXPECT_DEATH_IF_SUPPORTED(px_dither_remap({.c0 = -1, .c1 = 5}), text);
}

TEST_F(Canvas, TransparentSetsOneFlagOrClearsAllForAnyOutOfRangeColour) {
    px_transparent({.color = 3, .transparent = 1});
    px_transparent({.color = 4, .transparent = 2});
    EXPECT_EQ(px_palette[3].transparent, 1);
    EXPECT_EQ(px_palette[4].transparent, 2);
    px_transparent({.color = 256, .transparent = 1});
    EXPECT_EQ(px_palette[3].transparent | px_palette[4].transparent, 0);
    px_transparent({.color = 3, .transparent = 1});
    px_transparent({.color = -1, .transparent = 1});
    for (const PxColor& c : px_palette) EXPECT_EQ(c.transparent, 0);
}
