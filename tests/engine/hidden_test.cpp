// The main loop with the window hidden: resting runs no turn until something ends the rest,
// and what arrived meanwhile reaches the next turn; without the setting nothing changes.
// Another thread plays the window system, pushing events while the loop waits.
#include <chrono>
#include <thread>

#include "engine_fixture.hpp"

namespace {

using namespace std::chrono_literals;

struct HiddenLog {
    int calls = 0;
    int stop_at = 0;  // return 1 on this call; 0 never
    KeyState key[4] = {};
    bool hidden[4] = {};
    uint64_t at_ms[4] = {};
};

// Notes what each of the first turns sees of A and the window, and hides it in the second.
int32_t hiding_frame(void* user) {
    HiddenLog* log = static_cast<HiddenLog*>(user);
    const int i = log->calls++;
    if (i < 4) {
        log->key[i] = ORVEX_GetKeyState(SDL_SCANCODE_A);
        log->at_ms[i] = SDL_GetTicks64();
        log->hidden[i] = (SDL_GetWindowFlags(orvex.video.window) & SDL_WINDOW_HIDDEN) != 0;
    }
    if (i == 1) SDL_HideWindow(orvex.video.window);
    return log->calls == log->stop_at ? 1 : 0;
}

struct HiddenLoop : EngineTest {
    void TearDown() override {
        ORVEX_SetPauseWhenHidden(0);
        EngineTest::TearDown();
    }
};

}  // namespace

TEST_F(HiddenLoop, RestsUntilAQuitAndTheNextTurnSeesTheKeyLetGoMeanwhile) {
    start();
    ORVEX_SetPauseWhenHidden(1);
    push_key(SDL_SCANCODE_A, true);
    std::thread window_system([] {
        std::this_thread::sleep_for(300ms);
        push_key(SDL_SCANCODE_A, false);
        std::this_thread::sleep_for(100ms);
        push_quit();
    });
    HiddenLog log;
    EXPECT_EQ(ORVEX_MainLoop(hiding_frame, &log), 0);
    window_system.join();
    ASSERT_EQ(log.calls, 3);  // two turns shown, then only the turn that takes the quit
    EXPECT_EQ(log.key[0], ORVEX_KEY_PRESSED);
    EXPECT_EQ(log.key[1], ORVEX_KEY_DOWN);
    EXPECT_EQ(log.key[2], ORVEX_KEY_RELEASED);
    EXPECT_TRUE(log.hidden[2]);
    EXPECT_GE(log.at_ms[2] - log.at_ms[1], 350u);  // it waited for the quit
}

TEST_F(HiddenLoop, WithoutTheSettingAHiddenWindowKeepsRunningTurns) {
    start();
    HiddenLog log = {.stop_at = 4};
    EXPECT_EQ(ORVEX_MainLoop(hiding_frame, &log), 1);
    EXPECT_EQ(log.calls, 4);
    EXPECT_TRUE(log.hidden[3]);
}
