// Window settings on the offscreen driver: the window size a scale of 0 or less gives,
// desktop fullscreen and back with the letterbox that follows it, and the icon's argument
// checks.
#include <vector>

#include "engine_fixture.hpp"

namespace {

using Window = EngineTest;

void window_size(int* w, int* h) { SDL_GetWindowSize(orvex.video.window, w, h); }

void present_frame(void) {
    ASSERT_EQ(ORVEX_DrawBegin(), 0);
    ASSERT_EQ(ORVEX_DrawEnd(), 0);
}

}  // namespace

//------------------------------------------------------------------------------------------
// Size at start-up
//------------------------------------------------------------------------------------------
TEST_F(Window, AScaleOfZeroOrLessOpensTheWindowAtTheLogicalSize) {
    for (int32_t scale : {0, -3, INT32_MIN}) {
        config.scale = scale;
        start();
        int w = 0, h = 0;
        window_size(&w, &h);
        EXPECT_EQ(w, 640) << scale;
        EXPECT_EQ(h, 480) << scale;
        ORVEX_Quit();
    }
}

//------------------------------------------------------------------------------------------
// Fullscreen
//------------------------------------------------------------------------------------------
TEST_F(Window, FullscreenCoversTheDisplayWithAnExactLetterboxAndGivesTheWindowBack) {
    start();
    EXPECT_EQ(ORVEX_IsFullscreen(), 0);
    ASSERT_EQ(ORVEX_SetFullscreen(1), 0);
    EXPECT_EQ(ORVEX_IsFullscreen(), 1);
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();
    int w = 0, h = 0;
    window_size(&w, &h);
    EXPECT_EQ(w, desktop.w);
    EXPECT_EQ(h, desktop.h);
    present_frame();
    const LetterboxRect fit = letterbox_fit(desktop.w, desktop.h, 640, 480, true);
    EXPECT_FLOAT_EQ(orvex.letterbox.scale, fit.scale);
    EXPECT_EQ(orvex.letterbox.x, fit.x);
    EXPECT_EQ(orvex.letterbox.y, fit.y);

    ASSERT_EQ(ORVEX_SetFullscreen(0), 0);
    EXPECT_EQ(ORVEX_IsFullscreen(), 0);
    window_size(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    present_frame();
    EXPECT_FLOAT_EQ(orvex.letterbox.scale, 1.0f);
    EXPECT_EQ(orvex.letterbox.x, 0);
    EXPECT_EQ(orvex.letterbox.y, 0);
}

TEST_F(Window, WithoutAWindowFullscreenIsRefusedAndReadsOff) {
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_SetFullscreen(1), -1); }),
              "ORVEX_SetFullscreen: the engine is not started\n");
    EXPECT_EQ(ORVEX_IsFullscreen(), 0);
}

//------------------------------------------------------------------------------------------
// Icon
//------------------------------------------------------------------------------------------
TEST_F(Window, AnIconIsTakenFromPixelsInMemoryWithOrWithoutAPitch) {
    start();
    std::vector<uint8_t> pixels(40 * 32 * 4, 0x80);
    ORVEX_WindowIconArgs icon{.pixels = pixels.data(), .width = 32, .height = 32};
    EXPECT_EQ(ORVEX_SetWindowIcon(&icon), 0);
    icon.pitch = 40 * 4;  // a 32x32 corner of a wider sheet
    EXPECT_EQ(ORVEX_SetWindowIcon(&icon), 0);
}

TEST_F(Window, IconArgumentsThatCannotBeReadSafelyAreRefused) {
    uint8_t pixels[16] = {};
    struct Case {
        ORVEX_WindowIconArgs args;
        const char* message;
    } cases[] = {
        {{.pixels = nullptr, .width = 2, .height = 2},
         "ORVEX_SetWindowIcon: args->pixels is NULL\n"},
        {{.pixels = pixels, .width = 0, .height = 2},
         "ORVEX_SetWindowIcon: 0x2 is not an icon size (1..1024 a side)\n"},
        {{.pixels = pixels, .width = 2, .height = 1025},
         "ORVEX_SetWindowIcon: 2x1025 is not an icon size (1..1024 a side)\n"},
        {{.pixels = pixels, .width = 2, .height = 2, .pitch = 7},
         "ORVEX_SetWindowIcon: pitch 7 does not fit a row of 2 pixels\n"},
        {{.pixels = pixels, .width = 2, .height = 2, .pitch = -8},
         "ORVEX_SetWindowIcon: pitch -8 does not fit a row of 2 pixels\n"},
    };
    start();
    for (const Case& c : cases) {
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_SetWindowIcon(&c.args), -1); }), c.message);
    }
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_SetWindowIcon(nullptr), -1); }),
              "ORVEX_SetWindowIcon: args is NULL\n");
    ORVEX_Quit();
    const ORVEX_WindowIconArgs usable{.pixels = pixels, .width = 2, .height = 2};
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_SetWindowIcon(&usable), -1); }),
              "ORVEX_SetWindowIcon: the engine is not started\n");
}
