// The image blit: region clamping, mirroring, clipping, transparency decided before the
// remap, depth, source reads that never leave the image, and random blits against a
// literal per-pixel loop.
#include "px_fixture.hpp"

TEST_F(Canvas, NegativeSizeMeansUpToTheImageEdge) {
    TestImage t(400, 256, TestImage::pattern);
    px_blit({.img = &t.img, .ix = 10, .w = -1, .h = -1});
    const auto lit = lit_pixels();
    EXPECT_EQ(lit.size(), 390u * 256u);
    EXPECT_EQ(px_get(0, 0), TestImage::pattern(10, 0));
    EXPECT_EQ(px_get(389, 255), TestImage::pattern(399, 255));
}

TEST_F(Canvas, RegionIsClampedToTheImageBeforeMirroring) {
    TestImage t(640, 8, TestImage::pattern);
    px_blit({.img = &t.img, .w = 1000, .h = 1});
    EXPECT_EQ(lit_pixels().size(), 640u);
    px_blit({.img = &t.img, .y = 1, .w = 1000, .h = 1, .flip_x = 1});
    EXPECT_EQ(px_get(0, 1), TestImage::pattern(639, 0));
    EXPECT_EQ(px_get(639, 1), TestImage::pattern(0, 0));
}

TEST_F(Canvas, FlipYPutsTheRegionsLastRowFirst) {
    TestImage t(64, 64, TestImage::pattern);
    px_blit({.img = &t.img, .x = 100, .y = 50, .ix = 3, .iy = 10, .w = 32, .h = 32, .flip_y = 1});
    EXPECT_EQ(px_get(100, 50), TestImage::pattern(3, 41));
    EXPECT_EQ(px_get(131, 81), TestImage::pattern(34, 10));
}

TEST_F(Canvas, OffCanvasPositionsLoseOnlyTheirOutsidePart) {
    TestImage t(16, 16, TestImage::pattern);
    px_blit({.img = &t.img, .x = -4, .w = 8, .h = 1});
    EXPECT_EQ(lit_pixels().size(), 4u);
    EXPECT_EQ(px_get(0, 0), TestImage::pattern(4, 0));
    px_blit({.img = &t.img, .x = INT32_MAX, .y = INT32_MIN, .w = -1, .h = -1});
    px_blit({.img = &t.img, .x = INT32_MIN, .y = INT32_MAX, .w = -1, .h = -1});
    px_blit({.img = &t.img, .x = 636, .y = 476, .w = -1, .h = -1});
    EXPECT_EQ(px_get(639, 479), TestImage::pattern(3, 3));
}

TEST_F(Canvas, EmptyRegionsDrawNothing) {
    TestImage t(16, 16, TestImage::pattern);
    px_blit({.img = &t.img, .w = 0});
    px_blit({.img = &t.img, .h = 0});
    px_blit({.img = &t.img, .ix = 16});
    px_blit({.img = &t.img, .iy = 16, .h = -1});
    EXPECT_TRUE(lit_pixels().empty());
}

TEST_F(Canvas, TransparencyIsDecidedOnTheImageIndexAndWritesNoDepth) {
    const uint8_t data[] = {5, 6, 5, 6};
    const PxImage img = {4, 1, data};
    px_transparent({.color = 5, .transparent = 1});
    px_set_depth(3);
    px_blit({.img = &img, .w = -1, .h = -1});
    EXPECT_EQ(px_get(0, 0), 0);
    EXPECT_EQ(px_depth_buffer[0], 0u) << "a skipped pixel leaves depth too";
    EXPECT_EQ(px_get(1, 0), 6);
    px_remap({.c0 = 5, .c1 = 9});
    px_blit({.img = &img, .y = 1, .w = -1, .h = -1});
    EXPECT_EQ(px_get(0, 1), 0) << "index 5 skipped although it would write 9";
    px_transparent({.color = -1});
    px_transparent({.color = 9, .transparent = 1});
    px_blit({.img = &img, .y = 2, .w = -1, .h = -1});
    EXPECT_EQ(px_get(0, 2), 9) << "drawn as 9 although 9 is transparent";
}

TEST_F(Canvas, BlitLeavesDeeperAreasUntouched) {
    TestImage t(32, 32, TestImage::pattern);
    px_set_depth(10);
    px_fill_rect(0, 0, 15, 31, 200);
    px_set_depth(5);
    px_blit({.img = &t.img, .w = -1, .h = -1});
    EXPECT_EQ(px_get(15, 31), 200);
    EXPECT_EQ(px_depth_buffer[31 * PX_WIDTH + 15], 10u);
    EXPECT_EQ(px_get(16, 31), TestImage::pattern(16, 31));
    EXPECT_EQ(px_depth_buffer[31 * PX_WIDTH + 16], 5u);
}

TEST_F(Canvas, NegativeImageOriginNeverReadsOutsideTheImage) {
    // Under AddressSanitizer a read before the vector's storage would stop the test.
    TestImage t(8, 8, TestImage::pattern);
    px_blit({.img = &t.img, .x = 10, .y = 10, .ix = -3, .iy = -2, .w = 6, .h = 5});
    EXPECT_EQ(px_get(10, 10), 0) << "the part before the image draws nothing";
    EXPECT_EQ(px_get(13, 12), TestImage::pattern(0, 0)) << "the rest lands where it would";
    EXPECT_EQ(px_get(15, 14), TestImage::pattern(2, 2));
    EXPECT_EQ(lit_pixels().size(), 3u * 3u);
    px_blit({.img = &t.img, .x = 30, .ix = -3, .w = 6, .h = 1, .flip_x = 1});
    EXPECT_EQ(px_get(30, 0), TestImage::pattern(2, 0))
        << "mirrored, the missing part is on the right";
    EXPECT_EQ(px_get(33, 0), 0);
    px_blit({.img = &t.img, .ix = INT32_MIN, .iy = INT32_MIN, .w = -1, .h = -1});
}

TEST_F(Canvas, BlitWithoutPixelsIsReported) {
    const PxImage none = {4, 4, nullptr};
    const std::string err = stderr_of([&] {
        px_blit({.img = nullptr});
        px_blit({.img = &none});
    });
    EXPECT_NE(err.find("px_blit: args.img has no pixels"), std::string::npos);
    const PxImage odd = {-4, 4, reinterpret_cast<const uint8_t*>("x")};
    px_blit({.img = &odd, .w = 2, .h = 2});
    EXPECT_TRUE(lit_pixels().empty());
}

TEST_F(Canvas, RandomBlitsMatchTheLiteralLoop) {
    TestImage t(57, 43, TestImage::pattern);
    for (int32_t n = 0; n < 150; n++) {
        memcpy(px_palette, initial_palette().data(), sizeof px_palette);
        for (int32_t k = 0; k < uniform(0, 6); k++)
            px_transparent({.color = uniform(0, 255), .transparent = 1});
        for (int32_t k = 0; k < uniform(0, 6); k++)
            px_remap({.c0 = uniform(0, 255), .c1 = uniform(0, 255)});
        for (int32_t i = 0; i < 2000; i++)
            px_depth_buffer[uniform(0, PX_PIXELS - 1)] = uniform(0, 6);
        px_set_depth(uniform(0, 6));
        px_clip(uniform(-10, 639), uniform(-10, 479), uniform(0, 700), uniform(0, 500));
        const PxBlitArgs a = {.img = &t.img,
                              .x = uniform(-70, 650),
                              .y = uniform(-50, 490),
                              .ix = uniform(0, 60),
                              .iy = uniform(0, 45),
                              .w = uniform(-2, 70),
                              .h = uniform(-2, 50),
                              .flip_x = static_cast<uint8_t>(uniform(0, 1)),
                              .flip_y = static_cast<uint8_t>(uniform(0, 1))};
        save_canvas(&canvas_copies[0]);
        px_blit(a);
        save_canvas(&canvas_copies[1]);
        restore_canvas(canvas_copies[0]);
        reference_blit(a);
        ASSERT_TRUE(canvas_equals(canvas_copies[1])) << "blit " << n;
    }
}
