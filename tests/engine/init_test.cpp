// Start-up and shutdown: what ORVEX_Init creates from the configuration, how it reports
// what it cannot start, and that shutdown is safe to repeat and start-up to run again.
//
// Index: What start-up creates / Audio / Failures / Shutdown and restart
#include <SDL_mixer.h>

#include <climits>
#include <filesystem>
#include <string>

#include "engine_fixture.hpp"

//------------------------------------------------------------------------------------------
// What start-up creates
//------------------------------------------------------------------------------------------
using Startup = EngineTest;

TEST_F(Startup, OpensAResizableWindowOfScaleTimesTheLogicalSize) {
    config.scale = 2;
    start();
    int w = 0, h = 0;
    SDL_GetWindowSize(orvex.video.window, &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    EXPECT_STREQ(SDL_GetWindowTitle(orvex.video.window), "engine test");
    EXPECT_TRUE(SDL_GetWindowFlags(orvex.video.window) & SDL_WINDOW_RESIZABLE);
    uint32_t format = 0;
    int access = 0;
    ASSERT_EQ(SDL_QueryTexture(orvex.video.target, &format, &access, &w, &h), 0);
    EXPECT_EQ(format, uint32_t{SDL_PIXELFORMAT_RGB888});
    EXPECT_EQ(access, SDL_TEXTUREACCESS_TARGET);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(ORVEX_GetRenderer(), orvex.video.renderer);
}

TEST_F(Startup, KeepsACopyOfTheConfigurationButNotTheTitle) {
    {
        ORVEX_Config local = config;
        local.fps = 60;
        ASSERT_EQ(ORVEX_Init(&local), 0);
        local.width = 1;  // the engine's copy is its own
    }
    EXPECT_EQ(orvex.config.width, 640);
    EXPECT_EQ(orvex.config.fps, 60);
    EXPECT_EQ(orvex.config.title, nullptr);
    EXPECT_EQ(orvex.time.frame_time, 16);
    EXPECT_EQ(orvex.time.frame_count, 0u);
}

// The library linked answers the version of the header compiled against it, needing no start.
TEST(Version, TheLibraryAnswersTheHeadersVersion) {
    const std::string expected = std::to_string(ORVEX_VERSION_MAJOR) + "." +
                                 std::to_string(ORVEX_VERSION_MINOR) + "." +
                                 std::to_string(ORVEX_VERSION_PATCH);
    EXPECT_EQ(ORVEX_GetVersion(), expected);
}

TEST_F(Startup, MakesTheProgramsDirectoryTheWorkingDirectory) {
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    start();
    char* base = SDL_GetBasePath();
    ASSERT_NE(base, nullptr);
    const std::filesystem::path expected(std::u8string(reinterpret_cast<const char8_t*>(base)));
    SDL_free(base);
    EXPECT_EQ(std::filesystem::current_path() / "", expected);  // SDL's ends in a separator
}

TEST_F(Startup, PrimesTheMouseAtTheLogicalCentreAndAppliesTheHints) {
    config.width = 321;
    config.height = 199;
    config.show_cursor = 0;
    config.scale_linear = 1;
    start();
    EXPECT_EQ(orvex.input.mouse_x, 160);
    EXPECT_EQ(orvex.input.mouse_y, 99);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_RENDER_SCALE_QUALITY), "1");
}

TEST_F(Startup, LogicalSizeModeMakesNoTargetTexture) {
    config.logical_size = 1;
    start();
    EXPECT_EQ(orvex.video.target, nullptr);
    int w = 0, h = 0;
    SDL_RenderGetLogicalSize(orvex.video.renderer, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
}

//------------------------------------------------------------------------------------------
// Audio
//------------------------------------------------------------------------------------------
using Audio = EngineTest;

TEST_F(Audio, MixerModeOneOpensTheDeviceAndShutdownClosesIt) {
    config.mixer = 1;
    start();
    int freq = 0, channels = 0;
    uint16_t format = 0;
    ASSERT_EQ(Mix_QuerySpec(&freq, &format, &channels), 1);
    EXPECT_EQ(freq, 48000);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_TRUE(ORVEX_IsAudioOpen());
    ORVEX_Quit();
    EXPECT_EQ(Mix_QuerySpec(&freq, &format, &channels), 0);
    EXPECT_FALSE(ORVEX_IsAudioOpen());
}

TEST_F(Audio, MixerModeZeroOpensNoDevice) {
    start();
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
    EXPECT_FALSE(ORVEX_IsAudioOpen());
}

TEST_F(Audio, AFailingDeviceLeavesTheEngineRunningSilently) {
    ScopedEnv no_audio("SDL_AUDIODRIVER", "no-such-driver");
    config.mixer = 1;
    SdlLogCapture log;
    start();
    EXPECT_FALSE(ORVEX_IsAudioOpen());
    EXPECT_NE(orvex.video.renderer, nullptr);
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST_F(Audio, ShutdownFreesTheCurrentMusicBeforeClosingTheDevice) {
    config.mixer = 1;
    start();
    TempDir dir;
    const std::string silence = dir / "silence.wav";
    ASSERT_TRUE(write_file(silence, wav({.silent = true})));
    ASSERT_EQ(ORVEX_PlayMusic(silence.c_str(), INT32_MAX), 0);
    ASSERT_NE(audio_music(), nullptr);
    ORVEX_Quit();  // LeakSanitizer reports the stream if this forgets it
    EXPECT_EQ(audio_music(), nullptr);
}

//------------------------------------------------------------------------------------------
// Failures
//------------------------------------------------------------------------------------------
using StartupFailure = EngineTest;

TEST_F(StartupFailure, UnusableConfigurationsAreRefusedWithAMessage) {
    struct Case {
        int32_t width, height, scale;
        const char* message;
    } cases[] = {
        {0, 480, 1, "ORVEX_Init: width and height must be positive\n"},
        {640, -1, 1, "ORVEX_Init: width and height must be positive\n"},
        {640, 480, INT32_MAX,
         "ORVEX_Init: scale * width or scale * height does not fit in 32 bits\n"},
    };
    for (const Case& c : cases) {
        config.width = c.width;
        config.height = c.height;
        config.scale = c.scale;
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_Init(&config), -1); }), c.message);
        EXPECT_EQ(ORVEX_GetRenderer(), nullptr);
    }
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(ORVEX_Init(nullptr), -1); }),
              "ORVEX_Init: config is null\n");
}

TEST_F(StartupFailure, AVideoFailureIsLoggedAndLeavesNothingBehind) {
    SdlLogCapture log;
    {
        ScopedEnv no_video("SDL_VIDEODRIVER", "no-such-driver");
        EXPECT_EQ(ORVEX_Init(&config), -1);
    }
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("no-such-driver"), std::string::npos) << log.lines()[0];
    EXPECT_EQ(orvex.video.window, nullptr);
    EXPECT_EQ(orvex.video.renderer, nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(StartupFailure, ASecondStartWhileRunningIsRefusedAndHarmsNothing) {
    start();
    SDL_Window* window = orvex.video.window;
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_Init(&config), -1); }),
              "ORVEX_Init: the engine is already started; call ORVEX_Quit first\n");
    EXPECT_EQ(orvex.video.window, window);
    EXPECT_EQ(ORVEX_DrawBegin(), 0);
    EXPECT_EQ(ORVEX_DrawEnd(), 0);
}

//------------------------------------------------------------------------------------------
// Shutdown and restart
//------------------------------------------------------------------------------------------
using Shutdown = EngineTest;

TEST_F(Shutdown, QuitForgetsEveryHandleAndIsSafeTwiceAndBeforeStart) {
    ORVEX_Quit();
    start();
    ORVEX_Quit();
    EXPECT_EQ(orvex.video.window, nullptr);
    EXPECT_EQ(orvex.video.renderer, nullptr);
    EXPECT_EQ(orvex.video.target, nullptr);
    EXPECT_EQ(ORVEX_GetRenderer(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    ORVEX_Quit();
}

TEST_F(Shutdown, ARestartBeginsFromCleanDeviceState) {
    start();
    push_key(SDL_SCANCODE_J, true);
    push_button(SDL_BUTTON_RIGHT, true, 7, 7);
    push_quit();
    ORVEX_Cycle();
    SDL_SetWindowSize(orvex.video.window, 1280, 960);
    ASSERT_EQ(ORVEX_DrawEnd(), 0);
    ASSERT_EQ(ORVEX_ShouldQuit(), 1);
    ORVEX_Quit();

    start();
    EXPECT_EQ(ORVEX_GetKeyState(SDL_SCANCODE_J), ORVEX_KEY_UP);
    EXPECT_EQ(ORVEX_GetButtonState(SDL_BUTTON_RIGHT), ORVEX_KEY_UP);
    EXPECT_EQ(ORVEX_ShouldQuit(), 0);
    EXPECT_EQ(ORVEX_GetFrameCount(), 0u);
    EXPECT_FLOAT_EQ(orvex.letterbox.scale, 1.0f);
    EXPECT_EQ(orvex.letterbox.x, 1);
    EXPECT_EQ(orvex.input.mouse_x, 320);
}
