// Press counts against real SDL events: for a key, a mouse button and a pad button, a table of
// event sequences over turns, each turn checked for its count and its unchanged state; numbers
// outside the tables answer 0 and are never counted.
#include <utility>
#include <vector>

#include "engine_fixture.hpp"
#include "virtual_pad.hpp"

namespace {

// A turn's events, in order: 'd' down, 'u' up, 'r' a key's auto-repeat.
struct Turn {
    const char* events;
    int32_t presses;
    KeyState state;
};

constexpr int32_t KEY = SDL_SCANCODE_F12;
constexpr KeyState UP = ORVEX_KEY_UP, DOWN = ORVEX_KEY_DOWN;
constexpr KeyState PRESSED = ORVEX_KEY_PRESSED, RELEASED = ORVEX_KEY_RELEASED;

const struct {
    const char* name;
    char device;  // 'k' key, 'm' mouse button, 'p' pad button
    std::vector<Turn> turns;
} SEQUENCES[] = {
    {"tap in one turn", 'k', {{"du", 1, RELEASED}, {"", 0, UP}}},
    {"two taps in one turn", 'k', {{"dudu", 2, RELEASED}}},
    {"held across turns", 'k', {{"d", 1, PRESSED}, {"", 0, DOWN}, {"u", 0, RELEASED}}},
    {"repeats are no presses", 'k', {{"dr", 1, PRESSED}, {"rr", 0, DOWN}, {"ud", 1, PRESSED}}},
    {"mouse button", 'm', {{"du", 1, RELEASED}, {"d", 1, PRESSED}, {"udu", 1, RELEASED}}},
    {"pad button", 'p', {{"du", 1, RELEASED}, {"d", 1, PRESSED}, {"d", 0, DOWN}}},
};

void push(char device, char event, int32_t pad) {
    const bool down = event != 'u';
    if (device == 'k') push_key(KEY, down, event == 'r');
    if (device == 'm') push_button(SDL_BUTTON_LEFT, down);
    if (device == 'p') push_pad_button(pad, SDL_CONTROLLER_BUTTON_A, down);
}

std::pair<int32_t, KeyState> read(char device) {
    if (device == 'k') return {ORVEX_GetKeyPresses(KEY), ORVEX_GetKeyState(KEY)};
    if (device == 'm') return {ORVEX_GetButtonPresses(1), ORVEX_GetButtonState(1)};
    return {ORVEX_GetGamepadButtonPresses(0), ORVEX_GetGamepadButtonState(0)};
}

using Presses = EngineTest;

}  // namespace

TEST_F(Presses, EachTurnCountsItsPressesAndTheStatesStayAsTheyWere) {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");  // no focus offscreen
    start();
    VirtualPad pad;
    ORVEX_Cycle();
    const int32_t pad_id = SDL_JoystickGetDeviceInstanceID(0);
    for (const auto& seq : SEQUENCES) {
        for (size_t t = 0; t < seq.turns.size(); ++t) {
            const Turn& turn = seq.turns[t];
            for (const char* e = turn.events; *e; ++e) push(seq.device, *e, pad_id);
            ORVEX_Cycle();
            EXPECT_EQ(read(seq.device), std::pair(turn.presses, turn.state))
                << seq.name << ", turn " << t;
        }
        push(seq.device, 'u', pad_id);  // quiet again for the next sequence
        ORVEX_Cycle();
    }
}

TEST_F(Presses, PressNumbersOutsideTheTablesAnswerZeroAndAreNeverCounted) {
    start();
    for (int32_t code : {-1, ORVEX_MAX_KEYS, ORVEX_MAX_KEYS + 300}) push_key(code, true);
    ORVEX_Cycle();
    EXPECT_EQ(orvex.input.presses.nb_touched, 0);
    for (int32_t n :
         {-1, ORVEX_MAX_KEYS, ORVEX_MAX_BUTTONS, ORVEX_MAX_GAMEPAD_BUTTONS, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(ORVEX_GetKeyPresses(n) + ORVEX_GetLiveKeyPresses(n), 0) << n;
        EXPECT_EQ(ORVEX_GetButtonPresses(n) + ORVEX_GetGamepadButtonPresses(n), 0) << n;
    }
}
