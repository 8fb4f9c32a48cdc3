// Press counts against real SDL events: a table of event sequences over turns, for a key, a
// mouse button and a pad button, each checked for its count and its unchanged state in every
// turn; numbers outside the tables answer 0 and are never counted.
#include <initializer_list>
#include <vector>

#include "engine_fixture.hpp"
#include "virtual_pad.hpp"

namespace {

enum Device { KEY, MOUSE, PAD };

// One event of a turn: down, up, or a key's auto-repeat.
enum Step { DOWN, UP, REPEAT };

struct Turn {
    std::vector<Step> steps;
    int32_t presses;
    KeyState state;
};

struct Sequence {
    const char* name;
    Device device;
    std::vector<Turn> turns;
};

constexpr int32_t KEY_CODE = SDL_SCANCODE_F12;
constexpr uint8_t MOUSE_CODE = SDL_BUTTON_LEFT;
constexpr uint8_t PAD_CODE = SDL_CONTROLLER_BUTTON_A;

void push(Device device, Step step, int32_t pad_id) {
    const bool down = step != UP;
    switch (device) {
    case KEY: push_key(KEY_CODE, down, step == REPEAT); break;
    case MOUSE: push_button(MOUSE_CODE, down); break;
    case PAD: push_pad_button(pad_id, PAD_CODE, down); break;
    }
}

int32_t presses(Device device) {
    switch (device) {
    case KEY: return ORVEX_GetKeyPresses(KEY_CODE);
    case MOUSE: return ORVEX_GetButtonPresses(MOUSE_CODE);
    default: return ORVEX_GetGamepadButtonPresses(PAD_CODE);
    }
}

KeyState state(Device device) {
    switch (device) {
    case KEY: return ORVEX_GetKeyState(KEY_CODE);
    case MOUSE: return ORVEX_GetButtonState(MOUSE_CODE);
    default: return ORVEX_GetGamepadButtonState(PAD_CODE);
    }
}

using S = std::vector<Step>;
const Sequence SEQUENCES[] = {
    {"tap in one turn", KEY, {{S{DOWN, UP}, 1, ORVEX_KEY_RELEASED}, {S{}, 0, ORVEX_KEY_UP}}},
    {"two taps in one turn", KEY, {{S{DOWN, UP, DOWN, UP}, 2, ORVEX_KEY_RELEASED}}},
    {"held across turns",
     KEY,
     {{S{DOWN}, 1, ORVEX_KEY_PRESSED}, {S{}, 0, ORVEX_KEY_DOWN}, {S{UP}, 0, ORVEX_KEY_RELEASED}}},
    {"repeats are no presses",
     KEY,
     {{S{DOWN, REPEAT}, 1, ORVEX_KEY_PRESSED},
      {S{REPEAT, REPEAT}, 0, ORVEX_KEY_DOWN},
      {S{UP, DOWN}, 1, ORVEX_KEY_PRESSED}}},
    {"mouse tap", MOUSE, {{S{DOWN, UP}, 1, ORVEX_KEY_RELEASED}, {S{}, 0, ORVEX_KEY_UP}}},
    {"mouse held",
     MOUSE,
     {{S{DOWN}, 1, ORVEX_KEY_PRESSED}, {S{UP, DOWN, UP}, 1, ORVEX_KEY_RELEASED}}},
    {"pad tap", PAD, {{S{DOWN, UP}, 1, ORVEX_KEY_RELEASED}, {S{}, 0, ORVEX_KEY_UP}}},
    {"pad held", PAD, {{S{DOWN}, 1, ORVEX_KEY_PRESSED}, {S{DOWN}, 0, ORVEX_KEY_DOWN}}},
};

class Presses : public EngineTest {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");  // no focus offscreen
        start();
    }
};

}  // namespace

TEST_F(Presses, EachTurnCountsItsDownEventsAndTheStatesStayAsTheyWere) {
    VirtualPad pad;
    ORVEX_Cycle();
    const int32_t pad_id = SDL_JoystickGetDeviceInstanceID(0);
    for (const Sequence& seq : SEQUENCES) {
        for (size_t t = 0; t < seq.turns.size(); ++t) {
            for (Step step : seq.turns[t].steps) push(seq.device, step, pad_id);
            ORVEX_Cycle();
            EXPECT_EQ(presses(seq.device), seq.turns[t].presses) << seq.name << ", turn " << t;
            EXPECT_EQ(state(seq.device), seq.turns[t].state) << seq.name << ", turn " << t;
        }
        push(seq.device, UP, pad_id);  // quiet again for the next sequence
        ORVEX_Cycle();
        ORVEX_Cycle();
        ASSERT_EQ(presses(seq.device), 0) << seq.name;
    }
}

TEST_F(Presses, NumbersOutsideTheTablesAnswerZeroAndAreNeverCounted) {
    push_key(-1, true);
    push_key(ORVEX_MAX_KEYS, true);
    push_key(ORVEX_MAX_KEYS + 300, true);
    ORVEX_Cycle();
    for (int32_t n : {-1, ORVEX_MAX_KEYS, ORVEX_MAX_KEYS + 300, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(ORVEX_GetKeyPresses(n), 0) << n;
        EXPECT_EQ(ORVEX_GetLiveKeyPresses(n), 0) << n;
    }
    for (int32_t n : {-1, ORVEX_MAX_BUTTONS, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(ORVEX_GetButtonPresses(n), 0) << n;
    }
    for (int32_t n : {-1, ORVEX_MAX_GAMEPAD_BUTTONS, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(ORVEX_GetGamepadButtonPresses(n), 0) << n;
    }
    EXPECT_EQ(orvex.input.presses.nb_touched, 0);
}
