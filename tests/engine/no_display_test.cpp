// Start-up without a display: SDL would fall back to a video driver that shows nothing and
// the game would run unseen, so start-up fails and says why, unless that driver was asked
// for by name (as every other test does through SDL_VIDEODRIVER).
#include <string>

#include "engine_fixture.hpp"

using NoDisplay = EngineTest;

TEST_F(NoDisplay, AFallbackThatShowsNothingFailsStartUpUnlessAskedFor) {
    ScopedEnv display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
    {
        ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
        SdlLogCapture log;
        const int32_t result = ORVEX_Init(&config);
        const std::string used = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : "";
        if (result == 0 && used != "offscreen" && used != "dummy") {
            GTEST_SKIP() << "this machine has a display without DISPLAY: " << used;
        }
        EXPECT_EQ(result, -1);
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_NE(log.lines()[0].find("no display: SDL could start only its \"offscreen\" video "
                                      "driver, which shows nothing"),
                  std::string::npos)
            << log.lines()[0];
        EXPECT_EQ(orvex.video.window, nullptr);  // nothing is left running
    }
    // Asked for, among others, it serves.
    ScopedEnv driver("SDL_VIDEODRIVER", "x11,Offscreen");
    start();
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
}
