// Input as the player makes it: real SDL events pushed onto the queue that the engine drains
// in its next turn (ORVEX_Cycle or ORVEX_PumpEvents). Scancodes and button numbers are SDL's;
// nothing is checked here, so tests may push values the engine must refuse. A push that SDL
// rejects stops the program: a test that cannot feed its input proves nothing.
#pragma once

#include <cstdint>

namespace support {

//------------------------------------------------------------------------------------------
// Keyboard and window
//------------------------------------------------------------------------------------------
void push_key(int32_t scancode, bool down, bool repeat = false);
void push_quit(void);  // what closing the window sends

//------------------------------------------------------------------------------------------
// Mouse (window pixels)
//------------------------------------------------------------------------------------------
void push_motion(int32_t x, int32_t y);
void push_button(uint8_t button, bool down, int32_t x = 0, int32_t y = 0);
void push_wheel(int32_t dx, int32_t dy);

//------------------------------------------------------------------------------------------
// Game controllers (`pad` is the joystick instance id SDL reports for the device); to plug in
// a pad the engine can open and read, see virtual_pad.hpp
//------------------------------------------------------------------------------------------
void push_pad_added(int32_t device_index);
void push_pad_removed(int32_t pad);
void push_pad_button(int32_t pad, uint8_t button, bool down);  // SDL_CONTROLLER_BUTTON_*
void push_pad_axis(int32_t pad, uint8_t axis, int16_t value);  // SDL_CONTROLLER_AXIS_*

}  // namespace support
