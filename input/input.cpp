// Named actions bound to keyboard scancodes and to gamepad and mouse buttons, answered from
// the engine's device states. A fixed table of 16 actions, looked up by a linear scan on the
// exact name; scancodes and buttons have separate rooms in each action. Nothing is allocated.
// Caller errors (unknown name, full table, code outside the engine's table) stop through
// assert.

// The checks below guard against programming errors in every build type, release included.
#undef NDEBUG
#include <cassert>
#include <cstring>

#include <orvex/orvex.hpp>

#include "input_internal.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
InputAction input[INPUT_MAX_ACTIONS];
int32_t nb_actions;

//------------------------------------------------------------------------------------------
// Lookup
//------------------------------------------------------------------------------------------
// Index of the first action called `name`; an unknown name prints "<op>: bind '<name>' not
// found" and stops. The message comes first so that it names what the caller asked for.
static int32_t find_action(const char* op, const char* name) {
    for (int32_t i = 0; i < nb_actions; ++i) {
        if (name && strcmp(input[i].name, name) == 0) return i;
    }
    orvex_report_line("%s: bind '%s' not found\n", op, name ? name : "(null)");
    assert(0);
    return -1;
}

// The state of a pad or mouse button bind, from the engine.
static KeyState device_state(const InputDeviceBind& bind) {
    return bind.kind == INPUT_BIND_GAMEPAD_BUTTON ? ORVEX_GetGamepadButtonState(bind.button)
                                                  : ORVEX_GetButtonState(bind.button);
}

// One question asked of every bind: of the scancodes through the engine's key query, of the
// buttons through the same test on their state.
struct Question {
    const char* op;
    bool (*key)(int32_t scancode);
    bool (*state)(KeyState state);
};

static bool any_bind(int32_t i, const Question& q) {
    for (int32_t b = 0; b < input[i].nb_binds; ++b) {
        if (q.key(input[i].binds[b].scancode)) return true;
    }
    for (int32_t b = 0; b < input[i].nb_device_binds; ++b) {
        if (q.state(device_state(input[i].device_binds[b]))) return true;
    }
    return false;
}

static bool ask(const Question& q, const char* name) {
    return any_bind(find_action(q.op, name), q);
}

//------------------------------------------------------------------------------------------
// Registration and binding
//------------------------------------------------------------------------------------------
void input_new_action(const char* name) {
    assert(nb_actions < INPUT_MAX_ACTIONS);
    assert(name != nullptr);
    input[nb_actions].name = name;
    nb_actions += 1;
}

void input_clear(const char* name) {
    int32_t i = find_action("input_clear", name);
    input[i].nb_binds = 0;
    input[i].nb_device_binds = 0;
}

void input_bind_scancode(const char* name, int32_t scancode) {
    int32_t i = find_action("input_bind_scancode", name);
    if (scancode < 0 || scancode >= ORVEX_MAX_KEYS) {
        orvex_report_line("input_bind_scancode: scancode %d of '%s' is outside 0..%d\n", scancode,
                          name, ORVEX_MAX_KEYS - 1);
    }
    assert(scancode >= 0 && scancode < ORVEX_MAX_KEYS);
    assert(input[i].nb_binds < INPUT_MAX_BINDS);
    input[i].binds[input[i].nb_binds] =
        InputBind{.kind = INPUT_BIND_SCANCODE, .scancode = scancode};
    input[i].nb_binds += 1;
}

// Pad and mouse buttons share one room per action; each kind has its own table in the engine.
static void bind_device(const char* op, const char* name, int32_t kind, int32_t button,
                        int32_t limit) {
    int32_t i = find_action(op, name);
    if (button < 0 || button >= limit) {
        orvex_report_line("%s: button %d of '%s' is outside 0..%d\n", op, button, name, limit - 1);
    }
    assert(button >= 0 && button < limit);
    assert(input[i].nb_device_binds < INPUT_MAX_DEVICE_BINDS);
    input[i].device_binds[input[i].nb_device_binds] =
        InputDeviceBind{.kind = kind, .button = button};
    input[i].nb_device_binds += 1;
}

void input_bind_gamepad_button(const char* name, int32_t button) {
    bind_device("input_bind_gamepad_button", name, INPUT_BIND_GAMEPAD_BUTTON, button,
                ORVEX_MAX_GAMEPAD_BUTTONS);
}

void input_bind_mouse_button(const char* name, int32_t button) {
    bind_device("input_bind_mouse_button", name, INPUT_BIND_MOUSE_BUTTON, button,
                ORVEX_MAX_BUTTONS);
}

void input_reset(void) {
    memset(input, 0, sizeof(input));
    nb_actions = 0;
}

//------------------------------------------------------------------------------------------
// Queries
//------------------------------------------------------------------------------------------
static bool held(KeyState s) { return s == ORVEX_KEY_DOWN || s == ORVEX_KEY_PRESSED; }
static bool not_held(KeyState s) { return s == ORVEX_KEY_UP || s == ORVEX_KEY_RELEASED; }
static bool went_down(KeyState s) { return s == ORVEX_KEY_PRESSED; }
static bool came_up(KeyState s) { return s == ORVEX_KEY_RELEASED; }

bool input_down(const char* name) { return ask({"input_down", ORVEX_IsKeyDown, held}, name); }

bool input_up(const char* name) { return ask({"input_up", ORVEX_IsKeyUp, not_held}, name); }

bool input_pressed(const char* name) {
    return ask({"input_pressed", ORVEX_IsKeyPressed, went_down}, name);
}

bool input_released(const char* name) {
    return ask({"input_released", ORVEX_IsKeyReleased, came_up}, name);
}

int32_t input_presses(const char* name) {
    const InputAction& action = input[find_action("input_presses", name)];
    int32_t sum = 0;
    for (int32_t b = 0; b < action.nb_binds; ++b) {
        sum += ORVEX_GetKeyPresses(action.binds[b].scancode);
    }
    for (int32_t b = 0; b < action.nb_device_binds; ++b) {
        const InputDeviceBind& bind = action.device_binds[b];
        sum += bind.kind == INPUT_BIND_GAMEPAD_BUTTON ? ORVEX_GetGamepadButtonPresses(bind.button)
                                                      : ORVEX_GetButtonPresses(bind.button);
    }
    return sum;
}
