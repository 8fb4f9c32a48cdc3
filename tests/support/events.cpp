// Building each SDL event record the way SDL itself fills it, then pushing it.
#include "events.hpp"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace support {

static void push(SDL_Event& e) {
    if (SDL_PushEvent(&e) == 1) return;
    fprintf(stderr, "support: SDL refused event 0x%x: %s\n", e.type, SDL_GetError());
    abort();
}

//------------------------------------------------------------------------------------------
// Keyboard and window
//------------------------------------------------------------------------------------------
void push_key(int32_t scancode, bool down, bool repeat) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    push(e);
}

void push_quit(void) {
    SDL_Event e{};
    e.type = SDL_QUIT;
    push(e);
}

//------------------------------------------------------------------------------------------
// Mouse
//------------------------------------------------------------------------------------------
void push_motion(int32_t x, int32_t y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    push(e);
}

void push_button(uint8_t button, bool down, int32_t x, int32_t y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    push(e);
}

void push_wheel(int32_t dx, int32_t dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.x = dx;
    e.wheel.y = dy;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    push(e);
}

//------------------------------------------------------------------------------------------
// Game controllers
//------------------------------------------------------------------------------------------
void push_pad_added(int32_t device_index) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERDEVICEADDED;
    e.cdevice.which = device_index;
    push(e);
}

void push_pad_removed(int32_t pad) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERDEVICEREMOVED;
    e.cdevice.which = pad;
    push(e);
}

void push_pad_button(int32_t pad, uint8_t button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    e.cbutton.which = pad;
    e.cbutton.button = button;
    e.cbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    push(e);
}

void push_pad_axis(int32_t pad, uint8_t axis, int16_t value) {
    SDL_Event e{};
    e.type = SDL_CONTROLLERAXISMOTION;
    e.caxis.which = pad;
    e.caxis.axis = axis;
    e.caxis.value = value;
    push(e);
}

}  // namespace support
