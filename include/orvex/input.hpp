// input: named actions bound to keyboard scancodes, gamepad buttons and mouse buttons, read
// from the engine's device states.
//
// Register an action, bind up to four scancodes and up to eight pad or mouse buttons, then
// ask whether it is down, up, pressed or released this frame, or how many presses it had;
// each question is answered over every bind of every kind. Touch arrives as the left mouse button. An unknown name, a full
// table or a code outside the engine's tables is a programming error: it stops the program
// through an assertion.
#pragma once

#include <cstdint>

constexpr int32_t INPUT_MAX_ACTIONS = 16;
constexpr int32_t INPUT_MAX_BINDS = 4;         // scancodes per action
constexpr int32_t INPUT_MAX_DEVICE_BINDS = 8;  // gamepad and mouse buttons per action

enum : int32_t {
    INPUT_BIND_SCANCODE = 0,
    INPUT_BIND_GAMEPAD_BUTTON = 1,
    INPUT_BIND_MOUSE_BUTTON = 2,
};

struct InputBind {
    int32_t kind;      // INPUT_BIND_SCANCODE
    int32_t scancode;  // SDL scancode, 0..511
};

struct InputDeviceBind {
    int32_t kind;    // INPUT_BIND_GAMEPAD_BUTTON or INPUT_BIND_MOUSE_BUTTON
    int32_t button;  // SDL_CONTROLLER_BUTTON_* (0..31) or SDL_BUTTON_* (0..255)
};

struct InputAction {
    const char* name;  // the caller's pointer: keep the text alive and unchanged
    InputBind binds[INPUT_MAX_BINDS];
    int32_t nb_binds;
    InputDeviceBind device_binds[INPUT_MAX_DEVICE_BINDS];
    int32_t nb_device_binds;
};

void input_new_action(const char* name);  // names are compared case-sensitively
void input_clear(const char* name);       // drop every bind; the action stays
void input_bind_scancode(const char* name, int32_t scancode);
void input_bind_gamepad_button(const char* name, int32_t button);  // any pad's button
void input_bind_mouse_button(const char* name, int32_t button);    // touch: SDL_BUTTON_LEFT
bool input_down(const char* name);      // some bound key or button is held
bool input_up(const char* name);        // some bound key or button is not held
bool input_pressed(const char* name);   // some bound key or button went down this frame
bool input_released(const char* name);  // some bound key or button came up this frame
// Presses of the bound keys and buttons in the last turn, summed over every bind (see
// ORVEX_GetKeyPresses): a tap that went down and up within one turn counts though
// input_pressed misses it. A key bound twice counts twice.
int32_t input_presses(const char* name);
