// A game controller for tests: one of SDL's virtual joysticks with every standard button,
// which SDL presents as a game controller. Its buttons are set by the test and reach the
// program at the next read of the pads (an engine turn); it is pulled out when it goes.
// SDL drops pad presses while no window of the program has keyboard focus: tests on the
// offscreen driver set SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS first.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

class VirtualPad {
public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc = {};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.name = "virtual test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        joystick_ = SDL_JoystickOpen(index);
        EXPECT_NE(joystick_, nullptr) << SDL_GetError();
        id_ = SDL_JoystickInstanceID(joystick_);
    }
    ~VirtualPad() { unplug(); }

    void set(int32_t button, bool down) {
        ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0), 0)
            << SDL_GetError();
    }

    // Virtual pads are detached by device index, which moves as pads come and go.
    void unplug() {
        if (!joystick_) return;
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id_) SDL_JoystickDetachVirtual(i);
        }
    }

private:
    SDL_Joystick* joystick_ = nullptr;
    SDL_JoystickID id_ = -1;
};
