// Game controllers through SDL's virtual joysticks: pads plugged in before start-up and while
// running, button states merged over pads and aged like keys, and pads pulled out while a
// button is held.
#include "engine_fixture.hpp"
#include "virtual_pad.hpp"

namespace {

constexpr int32_t PAD_A = SDL_CONTROLLER_BUTTON_A;
constexpr int32_t PAD_START = SDL_CONTROLLER_BUTTON_START;

// SDL drops pad presses while none of the program's windows has keyboard focus, and an
// offscreen window never has it.
class Gamepads : public EngineTest {
protected:
    void SetUp() override { SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1"); }
};

}  // namespace

//------------------------------------------------------------------------------------------
// Plugging in and out
//------------------------------------------------------------------------------------------
TEST_F(Gamepads, APadPluggedInWhileRunningOpensAtTheNextTurnAndClosesWhenPulledOut) {
    start();
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadCount(), 0);
    {
        VirtualPad pad;
        ORVEX_Cycle();
        EXPECT_EQ(ORVEX_GetGamepadCount(), 1);
        VirtualPad second;
        ORVEX_Cycle();
        EXPECT_EQ(ORVEX_GetGamepadCount(), 2);
    }
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadCount(), 0);
}

TEST_F(Gamepads, APadPluggedInBeforeStartUpIsOpenedByTheFirstTurn) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    VirtualPad pad;
    start();
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadCount(), 1);
    pad.set(PAD_A, true);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_PRESSED);
    pad.unplug();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

//------------------------------------------------------------------------------------------
// Button states
//------------------------------------------------------------------------------------------
TEST_F(Gamepads, AHeldButtonReadsPressedInItsFirstTurnOnlyThenDownThenReleasedThenUp) {
    start();
    VirtualPad pad;
    ORVEX_Cycle();
    pad.set(PAD_START, true);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_START), ORVEX_KEY_PRESSED);
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_UP);
    for (int turn = 0; turn < 3; ++turn) {
        ORVEX_Cycle();
        EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_START), ORVEX_KEY_DOWN);
    }
    pad.set(PAD_START, false);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_START), ORVEX_KEY_RELEASED);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_START), ORVEX_KEY_UP);
}

TEST_F(Gamepads, AButtonStaysDownWhileAnyPadHoldsIt) {
    start();
    VirtualPad one, two;
    ORVEX_Cycle();
    one.set(PAD_A, true);
    ORVEX_Cycle();
    two.set(PAD_A, true);  // already held: no second press
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_DOWN);
    one.set(PAD_A, false);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_DOWN);
    two.set(PAD_A, false);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_RELEASED);
}

TEST_F(Gamepads, PullingOutAPadReleasesWhatItHeldButNotWhatAnotherPadHolds) {
    start();
    VirtualPad stays, goes;
    ORVEX_Cycle();
    stays.set(PAD_A, true);
    goes.set(PAD_A, true);
    goes.set(PAD_START, true);
    ORVEX_Cycle();
    ORVEX_Cycle();
    goes.unplug();
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadCount(), 1);
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_START), ORVEX_KEY_RELEASED);
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_DOWN);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_START), ORVEX_KEY_UP);
}

TEST_F(Gamepads, ButtonNumbersOutsideTheTableReadAsUp) {
    start();
    for (int32_t b : {-1, ORVEX_MAX_GAMEPAD_BUTTONS, INT32_MAX, INT32_MIN})
        EXPECT_EQ(ORVEX_GetGamepadButtonState(b), ORVEX_KEY_UP) << b;
}

TEST_F(Gamepads, EventsNamingPadsThatAreNotThereChangeNothing) {
    start();
    push_pad_added(99);  // no such device index
    push_pad_button(1234, PAD_A, true);
    push_pad_axis(1234, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    push_pad_removed(1234);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadCount(), 0);
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_UP);
}
