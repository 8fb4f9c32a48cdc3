// Start-up without a display: SDL would fall back to a video driver that shows nothing and
// the game would run unseen, so start-up fails and says why, unless that driver was asked
// for by name (as every other test does through SDL_VIDEODRIVER).
#include <cstdlib>
#include <string>

#include "engine_fixture.hpp"

namespace {

// Sets or unsets an environment variable for one test and puts it back after.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        const char* old = getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace

using NoDisplay = EngineTest;

TEST_F(NoDisplay, AFallbackThatShowsNothingFailsStartUpUnlessAskedFor) {
    EnvVar display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
    {
        EnvVar driver("SDL_VIDEODRIVER", nullptr);
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
    EnvVar driver("SDL_VIDEODRIVER", "x11,Offscreen");
    start();
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
}
