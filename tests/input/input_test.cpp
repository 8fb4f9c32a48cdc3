// Named actions read back from real key events: events are pushed onto SDL's queue and one
// engine turn drains them, exactly as the frame loop does. Caller errors end in assertions.
//
// Index: Queries over real key states / Caller errors stop the program
#include <SDL.h>
#include <gtest/gtest.h>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>

#include "input_internal.hpp"
#include "support.hpp"
#include "virtual_pad.hpp"

using namespace support;

namespace {

enum : int32_t { KEY_A = SDL_SCANCODE_A, KEY_B = SDL_SCANCODE_B, KEY_C = SDL_SCANCODE_C };

struct Answers {
    bool down, up, pressed, released;
    bool operator==(const Answers&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Answers& a) {
    return os << "{down " << a.down << ", up " << a.up << ", pressed " << a.pressed << ", released "
              << a.released << "}";
}

Answers ask(const char* name) {
    return {input_down(name), input_up(name), input_pressed(name), input_released(name)};
}

class InputActions : public testing::Test {
protected:
    void SetUp() override {
        input_reset();
        const ORVEX_Config config = headless_config(64, 64);
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");  // no focus offscreen
        ASSERT_EQ(ORVEX_Init(&config), 0);
    }
    void TearDown() override { ORVEX_Quit(); }
};

class InputErrors : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        input_reset();
    }
};

}  // namespace

//------------------------------------------------------------------------------------------
// Queries over real key states
//------------------------------------------------------------------------------------------
TEST_F(InputActions, AnActionWithNoBindsAnswersFalseToEveryQuery) {
    input_new_action("idle");
    push_key(KEY_A, true);
    ORVEX_Cycle();
    EXPECT_EQ(ask("idle"), (Answers{false, false, false, false}));

    input_new_action("cleared");
    input_bind_scancode("cleared", KEY_A);
    EXPECT_TRUE(input_down("cleared"));
    input_clear("cleared");
    EXPECT_EQ(ask("cleared"), (Answers{false, false, false, false}));
}

TEST_F(InputActions, AKeyFollowsPressedDownReleasedUpAcrossTurns) {
    input_new_action("move");
    input_bind_scancode("move", KEY_A);
    EXPECT_EQ(ask("move"), (Answers{false, true, false, false}));
    push_key(KEY_A, true);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{true, false, true, false}));
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{true, false, false, false}));
    push_key(KEY_A, false);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{false, true, false, true}));
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{false, true, false, false}));
}

TEST_F(InputActions, TwoKeysOneHeldAreBothDownAndUp) {
    input_new_action("move");
    input_bind_scancode("move", KEY_A);
    input_bind_scancode("move", KEY_B);
    push_key(KEY_B, true);
    ORVEX_Cycle();
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{true, true, false, false}));
}

TEST_F(InputActions, PressAndReleaseWithinOneTurnOverTwoKeys) {
    input_new_action("move");
    input_bind_scancode("move", KEY_A);
    input_bind_scancode("move", KEY_B);
    push_key(KEY_A, true);
    ORVEX_Cycle();
    ORVEX_Cycle();  // A now held
    push_key(KEY_B, true);
    ORVEX_Cycle();
    EXPECT_TRUE(input_pressed("move"));  // B went down while A stays held
    EXPECT_TRUE(input_down("move"));

    // A goes up while B stays held.
    push_key(KEY_A, false);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{true, true, false, true}));

    // A press and a release of one key within a turn read as released, never as pressed.
    push_key(KEY_A, true);
    push_key(KEY_A, false);
    ORVEX_Cycle();
    EXPECT_TRUE(input_released("move"));
    EXPECT_FALSE(input_pressed("move"));
}

TEST_F(InputActions, ADuplicateNameTakesASlotButEveryLookupFindsTheFirst) {
    input_new_action("jump");
    input_new_action("jump");
    EXPECT_EQ(nb_actions, 2);
    input_bind_scancode("jump", KEY_C);
    EXPECT_EQ(input[0].nb_binds, 1);
    EXPECT_EQ(input[1].nb_binds, 0);
    push_key(KEY_C, true);
    ORVEX_Cycle();
    EXPECT_TRUE(input_down("jump"));
}

TEST_F(InputActions, ClearingLetsFourNewBindsInStartingAtTheFirstEntry) {
    input_new_action("move");
    for (int32_t sc : {4, 5, 6, 7}) input_bind_scancode("move", sc);
    input_clear("move");
    for (int32_t sc : {int32_t(KEY_C), 9, 10, 11}) input_bind_scancode("move", sc);
    EXPECT_EQ(input[0].nb_binds, 4);
    EXPECT_EQ(input[0].binds[0].scancode, KEY_C);
    push_key(KEY_A, true);  // bound before the clear only
    ORVEX_Cycle();
    EXPECT_FALSE(input_down("move"));
    push_key(KEY_C, true);
    ORVEX_Cycle();
    EXPECT_TRUE(input_pressed("move"));
}

TEST_F(InputActions, TheEdgesOfTheKeyTableCanBeBound) {
    input_new_action("edges");
    input_bind_scancode("edges", 0);
    input_bind_scancode("edges", ORVEX_MAX_KEYS - 1);
    EXPECT_EQ(ask("edges"), (Answers{false, true, false, false}));
}

//------------------------------------------------------------------------------------------
// Pad and mouse buttons
//------------------------------------------------------------------------------------------
TEST_F(InputActions, APadButtonAndAMouseButtonEachDriveTheActionLikeAKey) {
    input_new_action("move");
    input_bind_scancode("move", KEY_A);
    input_bind_gamepad_button("move", SDL_CONTROLLER_BUTTON_B);
    input_bind_mouse_button("move", SDL_BUTTON_LEFT);
    VirtualPad pad;
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{false, true, false, false}));

    pad.set(SDL_CONTROLLER_BUTTON_A, true);  // not bound
    push_button(SDL_BUTTON_RIGHT, true);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{false, true, false, false}));

    pad.set(SDL_CONTROLLER_BUTTON_B, true);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{true, true, true, false}));  // A still up
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{true, true, false, false}));
    pad.set(SDL_CONTROLLER_BUTTON_B, false);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{false, true, false, true}));

    push_button(SDL_BUTTON_LEFT, true);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{true, true, true, false}));
    push_button(SDL_BUTTON_LEFT, false);
    ORVEX_Cycle();
    EXPECT_EQ(ask("move"), (Answers{false, true, false, true}));
}

TEST_F(InputActions, ButtonsHaveTheirOwnRoomBesideTheFourKeysAndGoWithAClear) {
    input_new_action("move");
    for (int32_t sc : {4, 5, 6, 7}) input_bind_scancode("move", sc);
    for (int32_t b = 0; b < INPUT_MAX_DEVICE_BINDS / 2; ++b) {
        input_bind_gamepad_button("move", b);
        input_bind_mouse_button("move", b + 1);
    }
    EXPECT_EQ(input[0].nb_binds, INPUT_MAX_BINDS);
    EXPECT_EQ(input[0].nb_device_binds, INPUT_MAX_DEVICE_BINDS);
    push_button(1, true);
    ORVEX_Cycle();
    EXPECT_TRUE(input_down("move"));
    input_clear("move");
    EXPECT_EQ(ask("move"), (Answers{false, false, false, false}));
    input_bind_mouse_button("move", 2);
    EXPECT_EQ(input[0].device_binds[0].button, 2);
}

// Presses are summed over every bind of every kind (a key bound twice counts twice), and a tap
// within one turn counts though input_pressed misses it; other actions' binds add nothing.
TEST_F(InputActions, PressesAreSummedOverEveryBindOfTheAction) {
    input_new_action("jump");
    for (int32_t key : {KEY_A, KEY_B, KEY_B}) input_bind_scancode("jump", key);
    input_bind_mouse_button("jump", SDL_BUTTON_LEFT);
    input_bind_gamepad_button("jump", SDL_CONTROLLER_BUTTON_A);
    input_new_action("other");
    input_bind_scancode("other", KEY_C);
    VirtualPad pad;
    ORVEX_Cycle();
    const int32_t id = SDL_JoystickGetDeviceInstanceID(0);
    push_key(KEY_A, true), push_key(KEY_A, false), push_key(KEY_C, true);
    ORVEX_Cycle();
    EXPECT_EQ(input_presses("jump"), 1);
    EXPECT_FALSE(input_pressed("jump"));
    EXPECT_EQ(input_presses("other"), 1);
    push_key(KEY_B, true), push_button(SDL_BUTTON_LEFT, true);
    push_pad_button(id, SDL_CONTROLLER_BUTTON_A, true), push_pad_button(id, 1, true);
    ORVEX_Cycle();
    EXPECT_EQ(input_presses("jump"), 4);  // B twice, the button and the pad's A, not its B
    EXPECT_EQ(input_presses("other"), 0);
}

//------------------------------------------------------------------------------------------
// Caller errors stop the program
//------------------------------------------------------------------------------------------
TEST_F(InputErrors, TheSeventeenthActionStops) {
    static const char* const names[] = {"a", "b", "c", "d", "e", "f", "g", "h",
                                        "i", "j", "k", "l", "m", "n", "o", "p"};
    for (const char* n : names) input_new_action(n);
    EXPECT_EQ(nb_actions, INPUT_MAX_ACTIONS);
    EXPECT_DEATH(input_new_action("q"), "Assertion.*nb_actions < INPUT_MAX_ACTIONS");
}

TEST_F(InputErrors, TheFifthBindStops) {
    input_new_action("move");
    for (int32_t sc : {44, 13, 9, 27}) input_bind_scancode("move", sc);
    EXPECT_DEATH(input_bind_scancode("move", 4),
                 "Assertion.*input\\[i\\].nb_binds < INPUT_MAX_BINDS");
}

TEST_F(InputErrors, AnUnknownNamePrintsItThenStops) {
    input_new_action("move");
    EXPECT_DEATH(input_down("Move"), "input_down: bind 'Move' not found\n.*Assertion.*0");
    EXPECT_DEATH(input_up("mov"), "input_up: bind 'mov' not found\n");
    EXPECT_DEATH(input_pressed("moved"), "input_pressed: bind 'moved' not found\n");
    EXPECT_DEATH(input_released(""), "input_released: bind '' not found\n");
    EXPECT_DEATH(input_presses("jump"), "input_presses: bind 'jump' not found\n");
    EXPECT_DEATH(input_clear("x"), "input_clear: bind 'x' not found\n");
    EXPECT_DEATH(input_bind_scancode("x", 4), "input_bind_scancode: bind 'x' not found\n");
}

TEST_F(InputErrors, AScancodeOutsideTheKeyTableStopsAtBindTime) {
    input_new_action("move");
    EXPECT_DEATH(input_bind_scancode("move", ORVEX_MAX_KEYS), "outside 0..511\n.*Assertion");
    EXPECT_DEATH(input_bind_scancode("move", -1), "scancode -1 of 'move' is outside");
    EXPECT_EQ(input[0].nb_binds, 0);
}

TEST_F(InputErrors, ANinthButtonBindOrAButtonOutsideItsTableStops) {
    input_new_action("move");
    EXPECT_DEATH(input_bind_gamepad_button("move", ORVEX_MAX_GAMEPAD_BUTTONS),
                 "input_bind_gamepad_button: button 32 of 'move' is outside 0..31\n.*Assertion");
    EXPECT_DEATH(input_bind_mouse_button("move", ORVEX_MAX_BUTTONS), "outside 0..255\n");
    EXPECT_DEATH(input_bind_mouse_button("move", -1), "button -1 of 'move' is outside");
    EXPECT_DEATH(input_bind_gamepad_button("x", 0),
                 "input_bind_gamepad_button: bind 'x' not found");
    EXPECT_DEATH(input_bind_mouse_button("x", 1), "input_bind_mouse_button: bind 'x' not found");
    for (int32_t b = 0; b < INPUT_MAX_DEVICE_BINDS; ++b) input_bind_gamepad_button("move", b);
    EXPECT_DEATH(input_bind_mouse_button("move", 1),
                 "Assertion.*input\\[i\\].nb_device_binds < INPUT_MAX_DEVICE_BINDS");
}
