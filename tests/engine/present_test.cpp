// Presentation on the offscreen driver: the letterbox the window actually shows for the
// sizes a player may drag it to, the mouse mapping that follows it, the logical-size mode
// and the frame counter.
//
// Index: Helpers / Letterbox / Mouse mapping / Logical-size mode / Frame counting and failures
#include "engine_fixture.hpp"

//------------------------------------------------------------------------------------------
// Helpers
//------------------------------------------------------------------------------------------
// The window as the last frame put it there, 0xRRGGBB row-major, read after the letterbox
// step and before the present (after it, only the software renderer still holds it).
static std::vector<uint32_t> window_pixels;
static int32_t window_width = 0;

static void read_window(void) {
    int w = 0, h = 0;
    ASSERT_EQ(SDL_GetRendererOutputSize(ORVEX_GetRenderer(), &w, &h), 0) << SDL_GetError();
    window_width = w;
    window_pixels.assign(static_cast<size_t>(w) * h, 0);
    ASSERT_EQ(SDL_RenderReadPixels(ORVEX_GetRenderer(), nullptr, SDL_PIXELFORMAT_RGB888,
                                   window_pixels.data(), w * 4),
              0)
        << SDL_GetError();
}

// Ends a frame like the game does, keeping what the window showed.
static void end_frame(void) {
    ASSERT_EQ(letterbox_into_window(), 0);
    read_window();
    ASSERT_EQ(ORVEX_DrawEnd(), 0);
}

// Draws a frame whose target is all white, so the letterbox is white inside, black outside.
static void present_white_frame(void) {
    ASSERT_EQ(ORVEX_DrawBegin(), 0);
    ASSERT_EQ(SDL_SetRenderDrawColor(ORVEX_GetRenderer(), 255, 255, 255, 255), 0);
    ASSERT_EQ(ORVEX_ScreenClear(), 0);
    end_frame();
}

// One window pixel of the last frame, as 0xRRGGBB.
static uint32_t window_pixel(int32_t x, int32_t y) {
    return window_pixels.at(static_cast<size_t>(y) * window_width + x) & 0xFFFFFFu;
}

static void resize(int32_t w, int32_t h) {
    SDL_SetWindowSize(orvex.video.window, w, h);
    int got_w = 0, got_h = 0;
    SDL_GetWindowSize(orvex.video.window, &got_w, &got_h);
    ASSERT_EQ(got_w, w);
    ASSERT_EQ(got_h, h);
}

static void expect_letterbox(float scale, int32_t x, int32_t y) {
    EXPECT_FLOAT_EQ(orvex.letterbox.scale, scale);
    EXPECT_EQ(orvex.letterbox.x, x);
    EXPECT_EQ(orvex.letterbox.y, y);
}

//------------------------------------------------------------------------------------------
// Letterbox
//------------------------------------------------------------------------------------------
// The offscreen driver's OpenGL surface keeps its first size when the window is resized, so
// the window pixels of resized windows are checked on the software renderer; the letterbox
// arithmetic is the same for every renderer, and the picture of unresized windows is compared
// across renderers in the canvas tests.
class Letterboxing : public EngineTest {
protected:
    void start() {
        SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
        EngineTest::start();
    }
};

TEST_F(Letterboxing, AWiderWindowGetsBarsLeftAndRight) {
    start();
    resize(1000, 480);
    present_white_frame();
    expect_letterbox(1.0f, 180, 0);
    EXPECT_EQ(window_pixel(179, 240), 0x000000u);
    EXPECT_EQ(window_pixel(180, 240), 0xFFFFFFu);
    EXPECT_EQ(window_pixel(819, 0), 0xFFFFFFu);
    EXPECT_EQ(window_pixel(820, 479), 0x000000u);
}

TEST_F(Letterboxing, PixelPerfectKeepsWholeScalesAndCentres) {
    start();
    resize(1000, 1000);
    present_white_frame();
    expect_letterbox(1.0f, 180, 260);
    EXPECT_EQ(window_pixel(180, 259), 0x000000u);
    EXPECT_EQ(window_pixel(180, 260), 0xFFFFFFu);
    EXPECT_EQ(window_pixel(819, 739), 0xFFFFFFu);
    EXPECT_EQ(window_pixel(819, 740), 0x000000u);
    resize(1280, 960);
    present_white_frame();
    expect_letterbox(2.0f, 0, 0);
    EXPECT_EQ(window_pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(window_pixel(1279, 959), 0xFFFFFFu);
}

TEST_F(Letterboxing, WithoutPixelPerfectTheScaleFillsTheWindow) {
    config.pixel_perfect = 0;
    start();
    resize(1000, 1000);
    present_white_frame();
    expect_letterbox(1.5625f, 0, 125);
    EXPECT_EQ(window_pixel(500, 124), 0x000000u);
    EXPECT_EQ(window_pixel(500, 125), 0xFFFFFFu);
    EXPECT_EQ(window_pixel(999, 874), 0xFFFFFFu);
    EXPECT_EQ(window_pixel(500, 875), 0x000000u);
}

TEST_F(Letterboxing, ASmallerWindowShrinksWhateverTheSetting) {
    start();
    resize(320, 240);
    present_white_frame();
    expect_letterbox(0.5f, 0, 0);
    ORVEX_Quit();
    config.pixel_perfect = 0;
    start();
    resize(320, 240);
    present_white_frame();
    expect_letterbox(0.5f, 0, 0);
}

TEST_F(Letterboxing, TheTargetKeepsItsPictureAcrossFrames) {
    start();
    present_white_frame();
    ASSERT_EQ(ORVEX_DrawBegin(), 0);  // draws nothing this time
    EXPECT_EQ(SDL_GetRenderTarget(ORVEX_GetRenderer()), orvex.video.target);
    end_frame();
    EXPECT_EQ(SDL_GetRenderTarget(ORVEX_GetRenderer()), nullptr);
    EXPECT_EQ(window_pixel(320, 240), 0xFFFFFFu);
    uint8_t r = 1, g = 1, b = 1, a = 0;
    SDL_GetRenderDrawColor(ORVEX_GetRenderer(), &r, &g, &b, &a);
    EXPECT_EQ(r + g + b, 0);  // the bars' black stays the draw colour
    EXPECT_EQ(a, 255);
}

//------------------------------------------------------------------------------------------
// Mouse mapping
//------------------------------------------------------------------------------------------
using MouseMapping = EngineTest;

TEST_F(MouseMapping, FollowsTheLastPresentedLetterbox) {
    start();
    push_motion(101, 51);
    ORVEX_Cycle();
    int32_t x = 0, y = 0;
    ORVEX_GetMousePos(&x, &y);
    EXPECT_EQ(x, 100);  // before the first present: offsets 1 and 1 at scale 1
    EXPECT_EQ(y, 50);
    resize(1280, 960);
    ORVEX_GetMousePos(&x, &y);
    EXPECT_EQ(x, 100);  // a resize counts from the next present on
    present_white_frame();
    ORVEX_GetMousePos(&x, &y);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 25);
    ORVEX_GetMousePos(nullptr, &y);
    EXPECT_EQ(y, 25);
    resize(1000, 480);
    present_white_frame();
    x = 180;
    y = 479;
    ORVEX_WindowToLogical(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 479);
    ORVEX_WindowToLogical(nullptr, nullptr);
}

//------------------------------------------------------------------------------------------
// Logical-size mode
//------------------------------------------------------------------------------------------
using LogicalSize = EngineTest;

TEST_F(LogicalSize, DrawsStraightToTheWindowAndOnlyPacesPresentsAndCounts) {
    config.logical_size = 1;
    start();
    resize(1280, 960);
    EXPECT_EQ(ORVEX_DrawBegin(), 0);
    EXPECT_EQ(SDL_GetRenderTarget(ORVEX_GetRenderer()), nullptr);
    EXPECT_EQ(ORVEX_ScreenClear(), 0);
    EXPECT_EQ(ORVEX_DrawEnd(), 0);
    EXPECT_EQ(ORVEX_GetFrameCount(), 1u);
    expect_letterbox(1.0f, 1, 1);
    push_motion(101, 51);
    ORVEX_Cycle();
    int32_t x = 0, y = 0;
    ORVEX_GetMousePos(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    ORVEX_Quit();
    SdlLogCapture log;
    EXPECT_EQ(ORVEX_DrawEnd(), -1);  // nothing to present to: not a frame
    EXPECT_EQ(ORVEX_GetFrameCount(), 1u);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "ORVEX_DrawEnd: the engine is not started");
}

//------------------------------------------------------------------------------------------
// Frame counting and failures
//------------------------------------------------------------------------------------------
using Frames = EngineTest;

TEST_F(Frames, EveryPresentedFrameCountsOnce) {
    start();
    for (int i = 0; i < 5; ++i) present_white_frame();
    EXPECT_EQ(ORVEX_GetFrameCount(), 5u);
}

TEST_F(Frames, DrawingWithoutAnEngineFailsWithALogAndCountsNothing) {
    start();
    present_white_frame();
    ORVEX_Quit();
    SdlLogCapture log;
    EXPECT_EQ(ORVEX_DrawBegin(), -1);
    EXPECT_EQ(ORVEX_ScreenClear(), -1);
    EXPECT_EQ(ORVEX_DrawEnd(), -1);
    EXPECT_EQ(ORVEX_GetFrameCount(), 1u);
    EXPECT_EQ(log.lines().size(), 3u);
}

TEST_F(Frames, PacingHoldsFramesToTheirSlots) {
    config.fps = 100;  // 10 ms slots
    start();
    const uint32_t started = orvex.time.next_deadline;  // the tick taken at start-up
    for (int i = 0; i < 5; ++i) ASSERT_EQ(ORVEX_DrawEnd(), 0);
    // Only a lower bound: a busy machine may be slower, never faster than the slots.
    EXPECT_GE(static_cast<uint32_t>(SDL_GetTicks64()) - started, 50u);
}
