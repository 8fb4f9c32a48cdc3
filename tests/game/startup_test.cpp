// The line the player reads after the engine's own messages when the game cannot start or
// starts without its music.

#include "startup.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support.hpp"

using namespace support;

TEST(StartupAdvice, AWindowFailureNamesTheLikelyCauseAndWhatToTry) {
    const std::string no_display =
        "cannot open a window (no display?): run it from a desktop session, or set DISPLAY";
    struct Case {
        const char *display, *wayland, *driver;
        bool directory_failed;
        std::string line;
    } cases[] = {
        {nullptr, nullptr, nullptr, false, no_display},
        {"", "", "x11", false, no_display},  // asked for X, but there is none
        {":99", nullptr, nullptr, false,
         "cannot open a window on display :99 (see above): check that the display is running "
         "and lets you in"},
        {nullptr, "wayland-0", "Wayland", false,
         "cannot open a window on Wayland display wayland-0 (see above): check that the desktop "
         "session is running"},
        {":0", nullptr, "kmsdrm", false,
         "cannot open a window with SDL_VIDEODRIVER=kmsdrm: unset it, or name a video driver "
         "this system has"},
        {":0", nullptr, nullptr, true,
         "cannot enter the program's own directory (see above): check its permissions"},
    };
    for (Case& c : cases) {
#ifdef _WIN32
        // Windows has one window system: no display to name, whatever the variables say.
        if (c.line.find("display") != std::string::npos)
            c.line = "cannot open a window (see above): check the graphics driver";
#endif
        EXPECT_EQ(engine_failure_line(c.display, c.wayland, c.driver, c.directory_failed), c.line)
            << (c.display ? c.display : "no DISPLAY") << ", " << (c.driver ? c.driver : "");
    }
}

// Run beside a res/ of the test's own making: the game looks for its music relative to the
// working directory that start-up chose.
TEST(StartupAdvice, MissingMusicIsNamedAndAllPresentSaysNothing) {
    ASSERT_TRUE(ORVEX_IsAudioOpen()) << "the game tests run with the dummy audio device";
    TempDir dir;
    std::filesystem::create_directory(dir.path / "res");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    const auto advice = [](bool playing) { return stderr_of([&] { explain_sound(playing); }); };
    const std::string tail =
        " beside the program; the game goes on without it (build it again "
        "with make, or reinstall)\n";

    EXPECT_EQ(advice(false), "quillow: music missing: res/ost.wav and res/rise.wav" + tail);
    write_file("res/ost.wav", wav());
    EXPECT_EQ(advice(true), "quillow: music missing: res/rise.wav" + tail);
    write_file("res/rise.wav", wav());
    EXPECT_EQ(advice(true), "");
    EXPECT_EQ(advice(false),
              "quillow: cannot play res/ost.wav (see above), so the game goes on silent: build "
              "it again with make, or reinstall\n");
    std::filesystem::current_path(before);
}
