// Named actions bound to keyboard scancodes, answered from the engine's key states.
// A fixed table of 16 actions, looked up by a linear scan on the exact name; nothing is
// allocated. Caller errors (unknown name, full table, bad scancode) stop through assert.

// The checks below guard against programming errors in every build type, release included.
#undef NDEBUG
#include <cassert>
#include <cstdio>
#include <cstring>

#include "input_internal.hpp"
#include "orvex.hpp"

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
    fprintf(stderr, "%s: bind '%s' not found\n", op, name ? name : "(null)");
    assert(0);
    return -1;
}

// True when `query` answers true for one of the action's bound scancodes.
static bool any_bind(int32_t i, bool (*query)(int32_t)) {
    for (int32_t b = 0; b < input[i].nb_binds; ++b) {
        if (query(input[i].binds[b].scancode)) return true;
    }
    return false;
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
}

void input_bind_scancode(const char* name, int32_t scancode) {
    int32_t i = find_action("input_bind_scancode", name);
    if (scancode < 0 || scancode >= ORVEX_MAX_KEYS) {
        fprintf(stderr, "input_bind_scancode: scancode %d of '%s' is outside 0..%d\n", scancode,
                name, ORVEX_MAX_KEYS - 1);
    }
    assert(scancode >= 0 && scancode < ORVEX_MAX_KEYS);
    assert(input[i].nb_binds < INPUT_MAX_BINDS);
    input[i].binds[input[i].nb_binds] = InputBind{.kind = 0, .scancode = scancode};
    input[i].nb_binds += 1;
}

void input_reset(void) {
    memset(input, 0, sizeof(input));
    nb_actions = 0;
}

//------------------------------------------------------------------------------------------
// Queries
//------------------------------------------------------------------------------------------
bool input_down(const char* name) {
    return any_bind(find_action("input_down", name), ORVEX_IsKeyDown);
}

bool input_up(const char* name) { return any_bind(find_action("input_up", name), ORVEX_IsKeyUp); }

bool input_pressed(const char* name) {
    return any_bind(find_action("input_pressed", name), ORVEX_IsKeyPressed);
}

bool input_released(const char* name) {
    return any_bind(find_action("input_released", name), ORVEX_IsKeyReleased);
}
