// Building each SDL event record the way SDL itself fills it, then pushing it.
#include "events.hpp"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace support {

static SDL_Event event(uint32_t type) {
    SDL_Event e{};
    e.type = type;
    return e;
}

static void push(SDL_Event e) {
    if (SDL_PushEvent(&e) == 1) return;
    fprintf(stderr, "support: SDL refused event 0x%x: %s\n", e.type, SDL_GetError());
    abort();
}

static uint8_t state(bool down) { return down ? SDL_PRESSED : SDL_RELEASED; }

//------------------------------------------------------------------------------------------
// Keyboard and window
//------------------------------------------------------------------------------------------
void push_key(int32_t scancode, bool down, bool repeat) {
    SDL_Event e = event(down ? SDL_KEYDOWN : SDL_KEYUP);
    e.key.state = state(down);
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    push(e);
}

void push_quit(void) { push(event(SDL_QUIT)); }

//------------------------------------------------------------------------------------------
// Mouse
//------------------------------------------------------------------------------------------
void push_motion(int32_t x, int32_t y) {
    SDL_Event e = event(SDL_MOUSEMOTION);
    e.motion.x = x;
    e.motion.y = y;
    push(e);
}

void push_button(uint8_t button, bool down, int32_t x, int32_t y) {
    SDL_Event e = event(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
    e.button.button = button;
    e.button.state = state(down);
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    push(e);
}

void push_wheel(int32_t dx, int32_t dy) {
    SDL_Event e = event(SDL_MOUSEWHEEL);
    e.wheel.x = dx;
    e.wheel.y = dy;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    push(e);
}

//------------------------------------------------------------------------------------------
// Game controllers
//------------------------------------------------------------------------------------------
void push_pad_added(int32_t device_index) {
    SDL_Event e = event(SDL_CONTROLLERDEVICEADDED);
    e.cdevice.which = device_index;
    push(e);
}

void push_pad_removed(int32_t pad) {
    SDL_Event e = event(SDL_CONTROLLERDEVICEREMOVED);
    e.cdevice.which = pad;
    push(e);
}

void push_pad_button(int32_t pad, uint8_t button, bool down) {
    SDL_Event e = event(down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP);
    e.cbutton.which = pad;
    e.cbutton.button = button;
    e.cbutton.state = state(down);
    push(e);
}

void push_pad_axis(int32_t pad, uint8_t axis, int16_t value) {
    SDL_Event e = event(SDL_CONTROLLERAXISMOTION);
    e.caxis.which = pad;
    e.caxis.axis = axis;
    e.caxis.value = value;
    push(e);
}

}  // namespace support
