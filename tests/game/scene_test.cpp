// The scene's placement arithmetic from known rand() values: the wobbling split point, the
// four shaken quadrants and the jittered square with its scrolling texture window.
//
// Index: Split point / Quadrants / Player square / Stage table

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>

#include "game.hpp"
#include "images.hpp"
#include "player.hpp"
#include "scene.hpp"

namespace {

PxImage picture(int32_t w, int32_t h) {
    return PxImage{.width = w, .height = h, .pixels = nullptr};
}

}  // namespace

//------------------------------------------------------------------------------------------
// Split point
//------------------------------------------------------------------------------------------
TEST(SplitPoint, FirstFrameSplitsOnTheVerticalCentreLineAndWobblesDownOnly) {
    // Frame 0: the angle is 0, so the whole wobble goes into y.
    for (int32_t a = 0; a < 5; ++a) {
        SplitPoint s = scene_split(0, a, 640, 480);
        EXPECT_EQ(s.x, 320) << "wobble " << a;
        EXPECT_EQ(s.y, static_cast<int32_t>(128.0 * std::sin(a / 7.0) + 240.0)) << "wobble " << a;
    }
    EXPECT_EQ(scene_split(0, 0, 640, 480).y, 240);
    EXPECT_EQ(scene_split(0, 4, 640, 480).y, 309);  // 128 sin(4/7) = 69.2
}

TEST(SplitPoint, OnlyTheWobbleRemainderCounts) {
    for (int32_t r : {7, 12, 1000003, 2147483647}) {
        SplitPoint a = scene_split(123, r, 640, 480);
        SplitPoint b = scene_split(123, r % 5, 640, 480);
        EXPECT_EQ(a.x, b.x) << r;
        EXPECT_EQ(a.y, b.y) << r;
    }
}

TEST(SplitPoint, StaysInsideTheCentralBandOverManyTurns) {
    for (uint32_t f = 0; f < 5000; f += 7) {
        for (int32_t a = 0; a < 5; ++a) {
            SplitPoint s = scene_split(f, a, 640, 480);
            ASSERT_GE(s.x, 192) << f;
            ASSERT_LE(s.x, 448) << f;
            ASSERT_GE(s.y, 112) << f;
            ASSERT_LE(s.y, 368) << f;
        }
    }
}

TEST(SplitPoint, FrameCountWrapsWithoutLeavingTheBand) {
    SplitPoint s = scene_split(0xFFFFFFFFu, 4, 640, 480);  // frame + wobble wraps to 3
    EXPECT_GE(s.x, 192);
    EXPECT_LE(s.x, 448);
    EXPECT_GE(s.y, 112);
    EXPECT_LE(s.y, 368);
}

//------------------------------------------------------------------------------------------
// Quadrants
//------------------------------------------------------------------------------------------
TEST(Quadrant, RegionsTileThePictureAtTheSplit) {
    PxImage img = picture(640, 480);
    SplitPoint s{300, 200};
    PxBlitArgs q[4];
    for (int32_t i = 0; i < 4; ++i) {
        q[i] = scene_quadrant(&img, s, i, 4, 4);  // 4 % 9 - 4 == 0: no shake
        EXPECT_EQ(q[i].img, &img);
        EXPECT_EQ(q[i].flip_x, 0);
        EXPECT_EQ(q[i].flip_y, 0);
        EXPECT_EQ(q[i].x, q[i].ix) << "unshaken quadrant " << i << " sits where it came from";
        EXPECT_EQ(q[i].y, q[i].iy) << i;
    }
    EXPECT_EQ((std::array{q[0].ix, q[0].iy, q[0].w, q[0].h}), (std::array{0, 0, 300, 200}));
    EXPECT_EQ((std::array{q[1].ix, q[1].iy, q[1].w, q[1].h}), (std::array{300, 0, 340, 200}));
    EXPECT_EQ((std::array{q[2].ix, q[2].iy, q[2].w, q[2].h}), (std::array{0, 200, 300, 280}));
    EXPECT_EQ((std::array{q[3].ix, q[3].iy, q[3].w, q[3].h}), (std::array{300, 200, 340, 280}));
}

TEST(Quadrant, ShakeIsFourMinusRemainderOnTheLowSideAndRemainderMinusFourOnTheHigh) {
    PxImage img = picture(640, 480);
    SplitPoint s{320, 240};
    // Raw values 9 and 17: remainders 0 and 8.
    PxBlitArgs tl = scene_quadrant(&img, s, 0, 9, 17);
    EXPECT_EQ(tl.x, 4);
    EXPECT_EQ(tl.y, -4);
    PxBlitArgs tr = scene_quadrant(&img, s, 1, 9, 17);
    EXPECT_EQ(tr.x, 320 - 4);
    EXPECT_EQ(tr.y, -4);
    PxBlitArgs bl = scene_quadrant(&img, s, 2, 9, 17);
    EXPECT_EQ(bl.x, 4);
    EXPECT_EQ(bl.y, 240 + 4);
    PxBlitArgs br = scene_quadrant(&img, s, 3, 9, 17);
    EXPECT_EQ(br.x, 320 - 4);
    EXPECT_EQ(br.y, 240 + 4);
}

TEST(Quadrant, EveryShakeStaysWithinFourPixels) {
    PxImage img = picture(640, 480);
    SplitPoint s{250, 300};
    for (int32_t r = 0; r < 40; ++r) {
        for (int32_t i = 0; i < 4; ++i) {
            PxBlitArgs q = scene_quadrant(&img, s, i, r, r + 1);
            EXPECT_LE(std::abs(q.x - q.ix), 4);
            EXPECT_LE(std::abs(q.y - q.iy), 4);
        }
    }
}

TEST(Quadrant, SplitOutsideASmallPictureNeverAsksForANegativeRegion) {
    // A negative size means "to the edge" to px_blit: a split off a small picture must give
    // empty quadrants instead of whole-picture ones.
    PxImage img = picture(100, 60);
    for (SplitPoint s : {SplitPoint{-50, -20}, SplitPoint{170, 90}}) {
        int32_t area = 0;
        for (int32_t i = 0; i < 4; ++i) {
            PxBlitArgs q = scene_quadrant(&img, s, i, 4, 4);
            EXPECT_GE(q.w, 0);
            EXPECT_GE(q.h, 0);
            EXPECT_GE(q.ix, 0);
            EXPECT_GE(q.iy, 0);
            area += q.w * q.h;
        }
        EXPECT_EQ(area, 100 * 60) << "the quadrants still tile the picture exactly";
    }
}

//------------------------------------------------------------------------------------------
// Player square
//------------------------------------------------------------------------------------------
TEST(PlayerSquare, CentredOnTheRoundedPositionWithinTwoPixels) {
    Player p;
    player_init(&p);
    p.y = 200.5;                              // rounds half away from zero: 201
    PxBlitArgs lo = player_square(&p, 0, 5);  // remainders 0, 0
    EXPECT_EQ(lo.x, 32 - 18);
    EXPECT_EQ(lo.y, 201 - 18);
    PxBlitArgs hi = player_square(&p, 9, 14);  // remainders 4, 4
    EXPECT_EQ(hi.x, 32 - 14);
    EXPECT_EQ(hi.y, 201 - 14);
    EXPECT_EQ(hi.img, &player_texture);
    EXPECT_EQ(hi.w, 32);
    EXPECT_EQ(hi.h, 32);
    p.y = 200.49;
    EXPECT_EQ(player_square(&p, 0, 0).y, 200 - 18);
}

TEST(PlayerSquare, ShowsTheScrolledWindowOfTheTexture) {
    Player p;
    player_init(&p);
    p.scroll_x = 367;
    p.scroll_y = 223;
    PxBlitArgs a = player_square(&p, 0, 0);
    EXPECT_EQ(a.ix, 367);
    EXPECT_EQ(a.iy, 223);
    EXPECT_LE(a.ix + a.w, player_texture.width);
    EXPECT_LE(a.iy + a.h, player_texture.height);
}

TEST(PlayerSquare, ARecordOutOfRangeStillReadsInsideTheTexture) {
    Player p;
    player_init(&p);
    p.scroll_x = 0xFFFFFFFFu;  // would be ix = -1 if passed through
    p.scroll_y = 100000;
    p.x = 1e300;
    p.y = std::nan("");
    PxBlitArgs a = player_square(&p, 0, 0);
    EXPECT_GE(a.ix, 0);
    EXPECT_GE(a.iy, 0);
    EXPECT_LE(a.ix + a.w, player_texture.width);
    EXPECT_LE(a.iy + a.h, player_texture.height);
    EXPECT_TRUE(a.x >= PX_WIDTH || a.x + a.w <= 0) << "far off the canvas";
    EXPECT_TRUE(a.y >= PX_HEIGHT || a.y + a.h <= 0);
}

//------------------------------------------------------------------------------------------
// Stage table
//------------------------------------------------------------------------------------------
TEST(StageTable, HoldsTheSevenPicturesInOrder) {
    const PxImage* expected[] = {&stage_image_0, &stage_image_1, &stage_image_2, &stage_image_3,
                                 &stage_image_4, &stage_image_5, &stage_image_6};
    for (int32_t s = 0; s < STAGE_COUNT; ++s) {
        EXPECT_EQ(stage_images[s], expected[s]) << s;
        EXPECT_EQ(stage_images[s]->width, PX_WIDTH);
        EXPECT_EQ(stage_images[s]->height, PX_HEIGHT);
    }
    EXPECT_GT(player_texture.width, PLAYER_SIDE);
    EXPECT_GT(player_texture.height, PLAYER_SIDE);
}
