// Shared set-up of the engine tests: an engine started per test on the offscreen video
// driver (pacing off, no audio unless a test asks), stopped again after it, and helpers that
// feed real SDL events into the queue the engine drains.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_state.hpp"

//------------------------------------------------------------------------------------------
// Fixture
//------------------------------------------------------------------------------------------
class EngineTest : public ::testing::Test {
protected:
    ORVEX_Config config = {
        .reserved = 0,
        .width = 640,
        .height = 480,
        .scale = 1,
        .fps = 0,
        .pixel_perfect = 1,
        .logical_size = 0,
        .scale_linear = 0,
        .show_cursor = 1,
        .mixer = 0,
        .title = "engine test",
    };

    void start() { ASSERT_EQ(ORVEX_Init(&config), 0); }
    void TearDown() override { ORVEX_Quit(); }
};

//------------------------------------------------------------------------------------------
// Events
//------------------------------------------------------------------------------------------
inline void push_key(uint32_t type, int32_t scancode, uint8_t repeat = 0) {
    SDL_Event e = {};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

inline void push_quit(void) {
    SDL_Event e = {};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

inline void push_motion(int32_t x, int32_t y) {
    SDL_Event e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

inline void push_button(uint32_t type, uint8_t button, int32_t x, int32_t y) {
    SDL_Event e = {};
    e.type = type;
    e.button.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

//------------------------------------------------------------------------------------------
// SDL log capture
//------------------------------------------------------------------------------------------
// Collects what SDL_Log writes while it lives, so tests can assert the exact report.
class SdlLogCapture {
public:
    SdlLogCapture() {
        SDL_LogGetOutputFunction(&previous_, &previous_data_);
        SDL_LogSetOutputFunction(&SdlLogCapture::collect, this);
    }
    ~SdlLogCapture() { SDL_LogSetOutputFunction(previous_, previous_data_); }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    static void collect(void* self, int, SDL_LogPriority, const char* message) {
        static_cast<SdlLogCapture*>(self)->lines_.emplace_back(message);
    }
    SDL_LogOutputFunction previous_ = nullptr;
    void* previous_data_ = nullptr;
    std::vector<std::string> lines_;
};
