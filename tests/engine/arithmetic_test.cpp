// The pacing deadline and letterbox arithmetic on their own: exact values, no window, no
// clock.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>

#include "engine_state.hpp"

//------------------------------------------------------------------------------------------
// Pacing
//------------------------------------------------------------------------------------------
TEST(Pacing, FrameTimeIsThousandOverFpsTruncated) {
    EXPECT_EQ(pacing_frame_time(60), 16);
    EXPECT_EQ(pacing_frame_time(30), 33);
    EXPECT_EQ(pacing_frame_time(1000), 1);
    EXPECT_EQ(pacing_frame_time(1001), 0);
    EXPECT_EQ(pacing_frame_time(0), 0);
    EXPECT_EQ(pacing_frame_time(-60), 0);
}

TEST(Pacing, AnEarlyFrameWaitsForTheRestOfItsSlot) {
    uint32_t deadline = 1000;
    EXPECT_EQ(pacing_wait(60, 16, &deadline, 1010), 6u);
    EXPECT_EQ(deadline, 1016u);
    // The next slot is counted from the deadline, not from when the wait ended.
    EXPECT_EQ(pacing_wait(60, 16, &deadline, 1017), 15u);
    EXPECT_EQ(deadline, 1032u);
}

TEST(Pacing, ALateFrameIsNotWaitedForAndRestartsTheDeadline) {
    uint32_t deadline = 1000;
    EXPECT_EQ(pacing_wait(60, 16, &deadline, 1040), 0u);
    EXPECT_EQ(deadline, 1040u);
    // No catching up: the following frame gets a whole slot from the late tick.
    EXPECT_EQ(pacing_wait(60, 16, &deadline, 1045), 11u);
    EXPECT_EQ(deadline, 1056u);
}

TEST(Pacing, AFrameExactlyOnItsDeadlineDoesNotWait) {
    uint32_t deadline = 1000;
    EXPECT_EQ(pacing_wait(60, 16, &deadline, 1016), 0u);
    EXPECT_EQ(deadline, 1016u);
}

TEST(Pacing, PacingOffNeverWaitsNorMovesTheDeadline) {
    for (int32_t fps : {0, -1, INT32_MIN}) {
        uint32_t deadline = 500;
        EXPECT_EQ(pacing_wait(fps, 16, &deadline, 0), 0u);
        EXPECT_EQ(deadline, 500u);
    }
}

TEST(Pacing, AFrameTimeOfZeroNeverWaits) {
    uint32_t deadline = 100;
    EXPECT_EQ(pacing_wait(2000, 0, &deadline, 100), 0u);
    EXPECT_EQ(pacing_wait(2000, 0, &deadline, 250), 0u);
    EXPECT_EQ(deadline, 250u);
}

TEST(Pacing, AnEarlyFrameAcrossTheTickWrapWaitsTheTrueRest) {
    uint32_t deadline = 0xFFFFFFF8u;  // plus 16 wraps to 8
    EXPECT_EQ(pacing_wait(60, 16, &deadline, 0xFFFFFFFCu), 12u);
    EXPECT_EQ(deadline, 8u);
}

TEST(Pacing, ALateFrameAcrossTheTickWrapDoesNotWaitForAnAge) {
    // The deadline is just before the wrap, the tick just after it: a plain unsigned
    // comparison would call this frame four billion milliseconds early.
    uint32_t deadline = 0xFFFFFF00u;
    EXPECT_EQ(pacing_wait(60, 16, &deadline, 5), 0u);
    EXPECT_EQ(deadline, 5u);
}

TEST(Pacing, NoFrameEverWaitsLongerThanOneFrameTime) {
    for (uint32_t base : {0u, 1000u, 0x7FFFFFF0u, 0xFFFFFFE0u, 0xFFFFFFFFu}) {
        for (uint32_t step = 0; step < 64; ++step) {
            for (uint32_t delta : {0u, 1u, 15u, 16u, 17u, 40u, 0x80000000u, 0xFFFFFFF0u}) {
                uint32_t deadline = base + step;
                const uint32_t wait = pacing_wait(60, 16, &deadline, base + delta);
                ASSERT_LE(wait, 16u) << base << " " << step << " " << delta;
            }
        }
    }
}

//------------------------------------------------------------------------------------------
// Browser pacing: turns on display frames
//------------------------------------------------------------------------------------------
// Turns run in `seconds` of display frames at `hz`, each frame off its ideal time by
// +-jitter milliseconds, for a game paced to 60 fps (16 ms turns).
static int32_t turns_on_display(double hz, double seconds, double jitter = 0.0) {
    double deadline = 0.0;
    int32_t turns = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(hz * seconds); ++i) {
        const double now = i * 1000.0 / hz + (i % 2 ? jitter : -jitter);
        turns += pacing_due(60, 16, &deadline, now) ? 1 : 0;
    }
    return turns;
}

TEST(BrowserPacing, A60HzDisplayRunsATurnOnEveryFrameJitterOrNot) {
    EXPECT_EQ(turns_on_display(60, 10), 600);
    EXPECT_EQ(turns_on_display(60, 10, 2.0), 600);
    EXPECT_EQ(turns_on_display(30, 10), 300) << "a slow display gets a turn per frame";
}

TEST(BrowserPacing, FasterDisplaysKeepTheGamesOwnRate) {
    for (double hz : {75.0, 90.0, 120.0, 144.0, 165.0, 240.0, 360.0}) {
        const int32_t turns = turns_on_display(hz, 10, 0.5);
        EXPECT_LE(turns, 626) << hz << " Hz: 62.5 turns a second at most";
        EXPECT_GE(turns, 610) << hz << " Hz";
    }
}

TEST(BrowserPacing, AStallIsNotMadeUpByABurst) {
    double deadline = 0.0;
    EXPECT_TRUE(pacing_due(60, 16, &deadline, 0.0));
    // Two seconds without display frames (a hidden tab), then a 240 Hz display again.
    EXPECT_TRUE(pacing_due(60, 16, &deadline, 2000.0));
    for (double now = 2004.0; now < 2012.0; now += 4.0)
        EXPECT_FALSE(pacing_due(60, 16, &deadline, now)) << now;
    EXPECT_TRUE(pacing_due(60, 16, &deadline, 2016.0));
}

TEST(BrowserPacing, PacingOffRunsATurnOnEveryDisplayFrame) {
    double deadline = 50.0;
    for (double now : {0.0, 0.1, 0.2}) {
        EXPECT_TRUE(pacing_due(0, 0, &deadline, now));
        EXPECT_TRUE(pacing_due(-1, 16, &deadline, now));
    }
    EXPECT_EQ(deadline, 50.0);
}

//------------------------------------------------------------------------------------------
// Letterbox
//------------------------------------------------------------------------------------------
static void expect_fit(LetterboxRect r, float scale, int32_t x, int32_t y, int32_t w, int32_t h) {
    EXPECT_FLOAT_EQ(r.scale, scale);
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.w, w);
    EXPECT_EQ(r.h, h);
}

TEST(Letterbox, FitsTheLargestScaleCentredWithBars) {
    expect_fit(letterbox_fit(640, 480, 640, 480, true), 1.0f, 0, 0, 640, 480);
    expect_fit(letterbox_fit(1280, 960, 640, 480, true), 2.0f, 0, 0, 1280, 960);
    expect_fit(letterbox_fit(1000, 480, 640, 480, true), 1.0f, 180, 0, 640, 480);
    expect_fit(letterbox_fit(1000, 1000, 640, 480, false), 1.5625f, 0, 125, 1000, 750);
}

TEST(Letterbox, PixelPerfectCutsOnlyScalesAboveOne) {
    expect_fit(letterbox_fit(1000, 1000, 640, 480, true), 1.0f, 180, 260, 640, 480);
    expect_fit(letterbox_fit(2000, 1500, 640, 480, true), 3.0f, 40, 30, 1920, 1440);
    expect_fit(letterbox_fit(320, 240, 640, 480, true), 0.5f, 0, 0, 320, 240);
    expect_fit(letterbox_fit(320, 240, 640, 480, false), 0.5f, 0, 0, 320, 240);
}

TEST(Letterbox, EmptyOrNegativeSizesCountAsOnePixel) {
    const LetterboxRect r = letterbox_fit(0, -5, 640, 480, true);
    EXPECT_FLOAT_EQ(r.scale, 1.0f / 640.0f);
    EXPECT_GE(r.w, 0);
    EXPECT_GE(r.h, 0);
    expect_fit(letterbox_fit(10, 10, 0, 0, true), 10.0f, 0, 0, 10, 10);
}

TEST(Letterbox, WindowPixelsMapBackToLogicalOnes) {
    EXPECT_EQ(letterbox_to_logical(101, 0, 2.0f), 50);
    EXPECT_EQ(letterbox_to_logical(51, 0, 2.0f), 25);
    EXPECT_EQ(letterbox_to_logical(101, 1, 1.0f), 100);
    EXPECT_EQ(letterbox_to_logical(100, 180, 1.0f), -80);
    EXPECT_EQ(letterbox_to_logical(-3, 0, 2.0f), -1);  // truncated toward zero
}

TEST(Letterbox, ExtremeCoordinatesSaturateInsteadOfOverflowing) {
    EXPECT_EQ(letterbox_to_logical(INT32_MIN, 1, 1.0f), INT32_MIN);
    EXPECT_EQ(letterbox_to_logical(INT32_MAX, -1, 1.0f), INT32_MAX);
    EXPECT_EQ(letterbox_to_logical(INT32_MAX, 0, 1.0f / 640.0f), INT32_MAX);
    EXPECT_EQ(letterbox_to_logical(INT32_MIN, 0, 1.0f / 640.0f), INT32_MIN);
}

//------------------------------------------------------------------------------------------
// High-DPI displays
//------------------------------------------------------------------------------------------
// A window of 1000x700 units whose renderer has twice as many pixels each way: the picture
// sits at scale 2 on whole pixels, and a mouse position in window units lands on the
// logical pixel under it.
TEST(HighDpi, AtTwiceThePixelsThePictureSitsOnWholePixelsAndTheMouseFollows) {
    const LetterboxRect fit = letterbox_fit(2000, 1400, 640, 480, true);
    expect_fit(fit, 2.0f, 360, 220, 1280, 960);
    const std::pair<int32_t, int32_t> moves[] = {{180, 0}, {500, 320}, {819, 639}, {179, -1}};
    for (const auto& [window, logical] : moves) {
        const int32_t pixel = window_to_pixels(window, 1000, 2000);
        EXPECT_EQ(letterbox_to_logical(pixel, fit.x, fit.scale), logical) << window;
    }
}

TEST(HighDpi, WindowUnitsBecomeOutputPixelsSafely) {
    const struct {
        int32_t v, window, pixels, want;
    } cases[] = {{100, 640, 640, 100}, {100, 640, 1280, 200}, {101, 640, 960, 151},
                 {-3, 100, 200, -6},   {7, 0, 1280, 7},       {7, 640, 0, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(window_to_pixels(c.v, c.window, c.pixels), c.want)
            << c.v << " " << c.window << " " << c.pixels;
    EXPECT_EQ(window_to_pixels(INT32_MAX, 1, 4), INT32_MAX);
    EXPECT_EQ(window_to_pixels(INT32_MIN, 1, 4), INT32_MIN);
}

// 125% stays at 1, 150% and 200% open at 2, and a window that would not fit the desktop
// is opened smaller.
TEST(HighDpi, TheWindowOpensAtTheDisplaysWholeScaleThatFits) {
    const struct {
        float dpi;
        int32_t usable_w, usable_h, want;
    } cases[] = {{96.0f, 1920, 1040, 1},  {120.0f, 1920, 1040, 1}, {144.0f, 1920, 1040, 2},
                 {192.0f, 3840, 2100, 2}, {288.0f, 3840, 2100, 3}, {192.0f, 1280, 800, 1},
                 {288.0f, 1920, 1040, 2}, {0.0f, 1920, 1040, 1},   {-96.0f, 0, 0, 1},
                 {NAN, 1920, 1040, 1},    {1e9f, 0, 0, 16},        {192.0f, 0, 0, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(display_window_scale(c.dpi, 640, 480, c.usable_w, c.usable_h), c.want)
            << c.dpi << " dpi on " << c.usable_w << "x" << c.usable_h;
}
