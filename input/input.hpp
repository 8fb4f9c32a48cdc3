// input: named actions bound to keyboard scancodes, read from the engine's key states.
//
// Register an action, bind up to four scancodes, then ask whether it is down, up, pressed or
// released this frame. An unknown name, a full table or a scancode outside the engine's key
// table is a programming error: it stops the program through an assertion.
#pragma once

#include <cstdint>

constexpr int32_t INPUT_MAX_ACTIONS = 16;
constexpr int32_t INPUT_MAX_BINDS = 4;

struct InputBind {
    int32_t kind;      // 0: keyboard scancode, the only kind there is
    int32_t scancode;  // SDL scancode, 0..511
};

struct InputAction {
    const char* name;  // the caller's pointer: keep the text alive and unchanged
    InputBind binds[INPUT_MAX_BINDS];
    int32_t nb_binds;
};

void input_new_action(const char* name);  // names are compared case-sensitively
void input_clear(const char* name);       // drop every bind; the action stays
void input_bind_scancode(const char* name, int32_t scancode);
bool input_down(const char* name);      // some bound key is held
bool input_up(const char* name);        // some bound key is not held
bool input_pressed(const char* name);   // some bound key went down this frame
bool input_released(const char* name);  // some bound key came up this frame
