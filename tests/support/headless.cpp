// The headless engine: drivers chosen through the environment before SDL starts, and the
// engine's start and stop tied to a scope.
#include "headless.hpp"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace support {

//------------------------------------------------------------------------------------------
// Drivers and configuration
//------------------------------------------------------------------------------------------
void use_headless_drivers(void) {
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 0);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 0);
}

ORVEX_Config headless_config(int32_t width, int32_t height, int32_t mixer) {
    return ORVEX_Config{
        .width = width,
        .height = height,
        .scale = 1,
        .fps = 0,
        .pixel_perfect = 1,
        .show_cursor = 1,
        .mixer = mixer,
        .title = "quillow test",
    };
}

//------------------------------------------------------------------------------------------
// Engine
//------------------------------------------------------------------------------------------
Engine::Engine(const ORVEX_Config& config) : started(ORVEX_Init(&config) == 0) {}

Engine::~Engine() { ORVEX_Quit(); }

uint32_t render_pixel(int32_t x, int32_t y) {
    const SDL_Rect r = {x, y, 1, 1};
    uint32_t pixel = 0;
    if (SDL_RenderReadPixels(ORVEX_GetRenderer(), &r, SDL_PIXELFORMAT_ARGB8888, &pixel, 4) == 0)
        return pixel & 0xFFFFFFu;
    fprintf(stderr, "support: cannot read pixel (%d, %d): %s\n", x, y, SDL_GetError());
    return 0xFF000000u;
}

//------------------------------------------------------------------------------------------
// Environment
//------------------------------------------------------------------------------------------
// SDL2 can set a variable but not remove one, so removal goes to the C library.
static void unset_env(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = SDL_getenv(name)) previous_ = old;
    if (value) {
        SDL_setenv(name, value, 1);
    } else {
        unset_env(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (previous_) {
        SDL_setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
        unset_env(name_.c_str());
    }
}

}  // namespace support
