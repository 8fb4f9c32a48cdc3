// Lines and rectangles: exact pixels in both directions, clipping, depth and remap, and the
// line's shortcut past the clip rectangle checked against a literal walk.
//
// Index: Line / Rectangles
#include "px_fixture.hpp"

using Pixels = std::vector<std::pair<int32_t, int32_t>>;

// Pixels a line covers, as a set (the canvas cannot tell the order).
static Pixels line_pixels(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    memset(px_pixels, 0, sizeof px_pixels);
    px_line(x0, y0, x1, y1, 1);
    return lit_pixels();  // row-major order is sorted order
}

static Pixels sorted(Pixels p) {
    std::sort(p.begin(), p.end());
    return p;
}

//------------------------------------------------------------------------------------------
// Line
//------------------------------------------------------------------------------------------
TEST_F(Canvas, LineWalkPixelsInBothDirections) {
    const Pixels shallow = sorted({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}});
    EXPECT_EQ(line_pixels(10, 10, 15, 12), [&] {
        Pixels p;
        for (auto [x, y] : shallow) p.emplace_back(x + 10, y + 10);
        return p;
    }());
    EXPECT_EQ(line_pixels(15, 12, 10, 10), line_pixels(10, 10, 15, 12));
    EXPECT_EQ(line_pixels(0, 0, 2, 1), sorted({{0, 0}, {1, 1}, {2, 1}}));
    EXPECT_EQ(line_pixels(2, 1, 0, 0), sorted({{2, 1}, {1, 0}, {0, 0}})) << "the reverse differs";
    EXPECT_EQ(line_pixels(0, 0, 1, 4), sorted({{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}}));
    EXPECT_EQ(line_pixels(0, 0, 3, 3), sorted({{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(line_pixels(3, 3, 3, 3), sorted({{3, 3}}));
}

TEST_F(Canvas, LineAcrossTheCanvasFillsItsRowInsideTheClip) {
    px_line(-10, 5, 700, 5, 3);
    for (int32_t x = 0; x < PX_WIDTH; x++) ASSERT_EQ(px_get(x, 5), 3) << x;
    EXPECT_EQ(lit_pixels().size(), 640u);
}

TEST_F(Canvas, LineHonoursDepthAndRemap) {
    px_set_depth(5);
    px_plot(2, 0, 1);
    px_set_depth(4);
    px_remap({.c0 = 7, .c1 = 8});
    px_line(0, 0, 4, 0, 7);
    EXPECT_EQ(px_get(1, 0), 8);
    EXPECT_EQ(px_get(2, 0), 1) << "deeper pixel kept";
    EXPECT_EQ(px_depth_buffer[2], 5u);
}

TEST_F(Canvas, LineMatchesTheLiteralWalkForRandomLinesAndClips) {
    for (int32_t n = 0; n < 300; n++) {
        const int32_t span = n < 150 ? 800 : 40000;
        const int32_t x0 = uniform(-span, span), y0 = uniform(-span, span);
        const int32_t x1 = uniform(-span, span), y1 = uniform(-span, span);
        px_clip(uniform(-50, 600), uniform(-50, 450), uniform(0, 700), uniform(0, 500));
        const auto color = static_cast<uint8_t>(uniform(1, 255));
        memset(px_pixels, 0, sizeof px_pixels);
        px_line(x0, y0, x1, y1, color);
        save_canvas(&canvas_copies[0]);
        memset(px_pixels, 0, sizeof px_pixels);
        reference_line(x0, y0, x1, y1, color);
        ASSERT_TRUE(canvas_equals(canvas_copies[0]))
            << x0 << "," << y0 << " -> " << x1 << "," << y1;
    }
}

TEST_F(Canvas, LongLinesMatchTheLiteralWalk) {
    const int32_t ends[][4] = {{-3000000, 5, 3000000, 900},
                               {641, -2000000, 3, 2000000},
                               {4000000, 479, -4000000, 0},
                               {-1000, -2000000, 1500, 1000000}};
    for (const auto& e : ends) {
        memset(px_pixels, 0, sizeof px_pixels);
        px_line(e[0], e[1], e[2], e[3], 9);
        save_canvas(&canvas_copies[0]);
        memset(px_pixels, 0, sizeof px_pixels);
        reference_line(e[0], e[1], e[2], e[3], 9);
        ASSERT_TRUE(canvas_equals(canvas_copies[0])) << e[0] << "," << e[1];
    }
}

TEST_F(Canvas, FarAwayEndPointsNeitherOverflowNorWalkTheInvisiblePart) {
    px_line(-1000000000, 5, 1000000000, 7, 2);
    EXPECT_EQ(lit_pixels().size(), 640u);
    for (int32_t x = 0; x < PX_WIDTH; x++) ASSERT_EQ(px_get(x, 6), 2) << x;

    memset(px_pixels, 0, sizeof px_pixels);
    px_line(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 3);
    Pixels diagonal;
    for (int32_t i = 0; i < PX_HEIGHT; i++) diagonal.emplace_back(i, i);
    EXPECT_EQ(lit_pixels(), diagonal);

    memset(px_pixels, 0, sizeof px_pixels);
    px_line(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, 3);
    px_line(INT32_MIN, 0, INT32_MAX, 0, 3);
    px_line(0, INT32_MAX, 0, INT32_MIN, 3);
    EXPECT_EQ(px_get(0, 0), 3);
    EXPECT_EQ(px_get(639, 0), 3);
    EXPECT_EQ(px_get(0, 479), 3);
}

//------------------------------------------------------------------------------------------
// Rectangles
//------------------------------------------------------------------------------------------
TEST_F(Canvas, RectOutlineHasInclusiveCornersInAnyOrder) {
    px_rect(12, 12, 10, 10, 4);
    EXPECT_EQ(
        lit_pixels(),
        (Pixels{{10, 10}, {11, 10}, {12, 10}, {10, 11}, {12, 11}, {10, 12}, {11, 12}, {12, 12}}));
    memset(px_pixels, 0, sizeof px_pixels);
    px_rect(20, 5, 10, 5, 4);
    const Pixels row = lit_pixels();
    ASSERT_EQ(row.size(), 11u);
    EXPECT_EQ(row.front(), std::make_pair(10, 5));
    EXPECT_EQ(row.back(), std::make_pair(20, 5));
    memset(px_pixels, 0, sizeof px_pixels);
    px_rect(7, 7, 7, 7, 4);
    EXPECT_EQ(lit_pixels(), (Pixels{{7, 7}}));
}

TEST_F(Canvas, FillRectCoversTheInclusiveRectangle) {
    px_fill_rect(2, 3, 0, 0, 6);
    const Pixels lit = lit_pixels();
    EXPECT_EQ(lit.size(), 12u);
    EXPECT_EQ(lit.back(), std::make_pair(2, 3));
}

TEST_F(Canvas, RectanglesStayInsideTheClip) {
    px_clip(10, 20, 30, 25);
    px_fill_rect(0, 0, 100, 100, 6);
    const Pixels lit = lit_pixels();
    EXPECT_EQ(lit.size(), 30u * 25u);
    EXPECT_EQ(lit.front(), std::make_pair(10, 20));
    EXPECT_EQ(lit.back(), std::make_pair(39, 44));
    memset(px_pixels, 0, sizeof px_pixels);
    px_rect(0, 0, 100, 100, 6);
    EXPECT_TRUE(lit_pixels().empty()) << "every edge lies outside the clip";
    px_reset_clip();
    px_rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 6);
    px_fill_rect(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, 6);
    EXPECT_EQ(lit_pixels().size(), static_cast<size_t>(PX_PIXELS));
}

TEST_F(Canvas, RectanglesHonourDepthAndRemap) {
    px_set_depth(9);
    px_plot(1, 1, 50);
    px_plot(5, 1, 50);
    px_set_depth(8);
    px_remap({.c0 = 3, .c1 = 4});
    px_fill_rect(0, 0, 3, 3, 3);
    px_rect(4, 0, 6, 2, 3);
    EXPECT_EQ(px_get(1, 1), 50);
    EXPECT_EQ(px_get(5, 1), 50);
    EXPECT_EQ(px_get(0, 0), 4);
    EXPECT_EQ(px_get(4, 0), 4);
    EXPECT_EQ(px_depth_buffer[0], 8u);
    px_set_depth(9);
    px_fill_rect(1, 1, 1, 1, 7);
    EXPECT_EQ(px_get(1, 1), 7) << "equal depth overwrites";
}
