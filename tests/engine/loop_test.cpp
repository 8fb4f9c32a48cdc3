// The frame loop against real SDL events: key and button aging across turns, the pump's
// out-record, quit handling and the two results of the main loop.
//
// Index: Key states / Event pump / Mouse / Main loop
#include "engine_fixture.hpp"

constexpr int32_t KEY_A = SDL_SCANCODE_A;
constexpr int32_t KEY_SPACE = SDL_SCANCODE_SPACE;

//------------------------------------------------------------------------------------------
// Key states
//------------------------------------------------------------------------------------------
using KeyStates = EngineTest;

TEST_F(KeyStates, AHeldKeyReadsPressedInItsFirstTurnOnlyThenDown) {
    start();
    push_key(KEY_A, true);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_PRESSED);
    EXPECT_TRUE(ORVEX_IsKeyPressed(KEY_A));
    EXPECT_TRUE(ORVEX_IsKeyDown(KEY_A));
    for (int turn = 0; turn < 3; ++turn) {
        ORVEX_Cycle();
        EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_DOWN);
        EXPECT_FALSE(ORVEX_IsKeyPressed(KEY_A));
        EXPECT_TRUE(ORVEX_IsKeyDown(KEY_A));
        EXPECT_FALSE(ORVEX_IsKeyUp(KEY_A));
    }
    push_key(KEY_A, false);
    ORVEX_Cycle();
    EXPECT_TRUE(ORVEX_IsKeyReleased(KEY_A));
    EXPECT_TRUE(ORVEX_IsKeyUp(KEY_A));
    EXPECT_FALSE(ORVEX_IsKeyDown(KEY_A));
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_UP);
    EXPECT_FALSE(ORVEX_IsKeyReleased(KEY_A));
}

TEST_F(KeyStates, APressAndReleaseInOneTurnReadsReleasedThenUp) {
    start();
    push_key(KEY_SPACE, true);
    push_key(KEY_SPACE, false);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_SPACE), ORVEX_KEY_RELEASED);
    EXPECT_FALSE(ORVEX_IsKeyPressed(KEY_SPACE));
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_SPACE), ORVEX_KEY_UP);
}

TEST_F(KeyStates, AutoRepeatIsIgnoredButARealSecondPressCounts) {
    start();
    push_key(KEY_A, true);
    ORVEX_Cycle();
    ORVEX_Cycle();
    push_key(KEY_A, true, true);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_DOWN);
    push_key(KEY_A, true);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_PRESSED);
}

TEST_F(KeyStates, ScancodesOutsideTheTableReadAsUpAndAreNeverStored) {
    start();
    for (int32_t code : {-1, ORVEX_MAX_KEYS, 100000, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(ORVEX_GetKeyState(code), ORVEX_KEY_UP) << code;
        EXPECT_TRUE(ORVEX_IsKeyUp(code));
        EXPECT_FALSE(ORVEX_IsKeyDown(code));
        EXPECT_FALSE(ORVEX_IsKeyPressed(code));
        EXPECT_FALSE(ORVEX_IsKeyReleased(code));
    }
    push_key(ORVEX_MAX_KEYS + 88, true);
    ORVEX_Event ev = {};
    EXPECT_EQ(ORVEX_PumpEvents(&ev), 0);
    EXPECT_EQ(ev.kind, ORVEX_EVENT_KEY_DOWN);
    EXPECT_EQ(ev.code, ORVEX_MAX_KEYS + 88);
    for (int32_t code = 0; code < ORVEX_MAX_KEYS; ++code)
        ASSERT_EQ(ORVEX_GetKeyState(code), ORVEX_KEY_UP);
}

//------------------------------------------------------------------------------------------
// Event pump
//------------------------------------------------------------------------------------------
using Pump = EngineTest;

TEST_F(Pump, TheOutRecordHoldsTheLastKeyEventOfTheCall) {
    start();
    ORVEX_Event ev = {.kind = 77, .code = 77};
    EXPECT_EQ(ORVEX_PumpEvents(&ev), 0);
    EXPECT_EQ(ev.kind, 77);  // empty queue: untouched
    EXPECT_EQ(ev.code, 77);
    push_key(KEY_A, true);
    push_key(KEY_SPACE, false);
    push_motion(5, 6);
    EXPECT_EQ(ORVEX_PumpEvents(&ev), 0);
    EXPECT_EQ(ev.kind, ORVEX_EVENT_KEY_UP);
    EXPECT_EQ(ev.code, KEY_SPACE);
}

TEST_F(Pump, AutoRepeatLeavesTheOutRecordAlone) {
    start();
    ORVEX_Event ev = {.kind = 77, .code = 77};
    push_key(KEY_A, true, true);
    EXPECT_EQ(ORVEX_PumpEvents(&ev), 0);
    EXPECT_EQ(ev.kind, 77);
    EXPECT_EQ(ev.code, 77);
}

TEST_F(Pump, AQuitStopsTheCallAndLeavesLaterEventsQueued) {
    start();
    ORVEX_Event ev = {.kind = 5, .code = 42};
    push_quit();
    push_key(KEY_A, true);
    EXPECT_EQ(ORVEX_PumpEvents(&ev), 1);
    EXPECT_EQ(ev.kind, ORVEX_EVENT_QUIT);
    EXPECT_EQ(ev.code, 42);  // a quit carries no code
    EXPECT_EQ(ORVEX_ShouldQuit(), 1);
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_UP);
    EXPECT_EQ(ORVEX_PumpEvents(nullptr), 0);
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_PRESSED);
}

//------------------------------------------------------------------------------------------
// Mouse
//------------------------------------------------------------------------------------------
using Mouse = EngineTest;

TEST_F(Mouse, MotionAndButtonsMoveTheRawPositionAndAgeLikeKeys) {
    start();
    int32_t x = 0, y = 0;
    push_motion(10, 20);
    ORVEX_Cycle();
    EXPECT_EQ(orvex.input.mouse_x, 10);
    EXPECT_EQ(orvex.input.mouse_y, 20);
    push_button(SDL_BUTTON_LEFT, true, 30, 40);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetButtonState(SDL_BUTTON_LEFT), ORVEX_KEY_PRESSED);
    EXPECT_EQ(orvex.input.mouse_x, 30);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetButtonState(SDL_BUTTON_LEFT), ORVEX_KEY_DOWN);
    push_button(SDL_BUTTON_LEFT, false, 50, 60);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetButtonState(SDL_BUTTON_LEFT), ORVEX_KEY_RELEASED);
    ORVEX_GetMousePos(&x, &y);  // before any present: offsets 1, scale 1
    EXPECT_EQ(x, 49);
    EXPECT_EQ(y, 59);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetButtonState(SDL_BUTTON_LEFT), ORVEX_KEY_UP);
    push_button(255, true, 1, 1);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetButtonState(255), ORVEX_KEY_PRESSED);
}

TEST_F(Mouse, OtherEventsDoNotMoveTheMouse) {
    start();
    push_wheel(99, 99);
    ORVEX_Cycle();
    EXPECT_EQ(orvex.input.mouse_x, 320);
    EXPECT_EQ(orvex.input.mouse_y, 240);
}

TEST_F(Mouse, ButtonNumbersOutsideTheTableReadAsUp) {
    start();
    for (int32_t b : {-1, ORVEX_MAX_BUTTONS, INT32_MAX, INT32_MIN})
        EXPECT_EQ(ORVEX_GetButtonState(b), ORVEX_KEY_UP);
}

//------------------------------------------------------------------------------------------
// Main loop
//------------------------------------------------------------------------------------------
struct FrameLog {
    int calls = 0;
    int stop_at = 0;  // return 1 on this call; 0 never
    KeyState key_seen = ORVEX_KEY_UP;
};

static int32_t logging_frame(void* user) {
    FrameLog* log = static_cast<FrameLog*>(user);
    log->calls++;
    log->key_seen = ORVEX_GetKeyState(KEY_A);
    return log->calls == log->stop_at ? 1 : 0;
}

using MainLoop = EngineTest;

TEST_F(MainLoop, AQuitStillDrainsTheQueueAndRunsTheFrameOnceMore) {
    start();
    push_quit();
    push_key(KEY_A, true);
    FrameLog log;
    EXPECT_EQ(ORVEX_MainLoop(logging_frame, &log), 0);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.key_seen, ORVEX_KEY_PRESSED);
    ORVEX_Event ev = {.kind = 9, .code = 9};
    EXPECT_EQ(ORVEX_PumpEvents(&ev), 0);  // nothing was left behind
    EXPECT_EQ(ev.kind, 9);
}

TEST_F(MainLoop, AFrameAskingToStopEndsTheLoopWithOne) {
    start();
    FrameLog first = {.stop_at = 1};
    EXPECT_EQ(ORVEX_MainLoop(logging_frame, &first), 1);
    EXPECT_EQ(first.calls, 1);
    FrameLog fifth = {.stop_at = 5};
    EXPECT_EQ(ORVEX_MainLoop(logging_frame, &fifth), 1);
    EXPECT_EQ(fifth.calls, 5);
}

TEST_F(MainLoop, ALoopStartedAfterQuitRunsNoTurnAtAll) {
    start();
    push_quit();
    ORVEX_Cycle();
    FrameLog log;
    EXPECT_EQ(ORVEX_MainLoop(logging_frame, &log), 0);
    EXPECT_EQ(log.calls, 0);
}

TEST_F(MainLoop, ANullFrameFunctionIsRefusedWithAMessage) {
    start();
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(ORVEX_MainLoop(nullptr, nullptr), -1); }),
              "ORVEX_MainLoop: frame is null\n");
}
