// What the page asks the running game, exported to JavaScript: frames shown (the first one
// takes the loading screen away), the stage, the music that plays and the renderer SDL
// chose. Plain C names, as JavaScript calls them: Module._quillow_frames() and so on.
#include <emscripten.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <orvex/orvex.hpp>

#include "game.hpp"

extern "C" {

EMSCRIPTEN_KEEPALIVE uint32_t quillow_frames(void) { return ORVEX_GetFrameCount(); }

EMSCRIPTEN_KEEPALIVE int32_t quillow_stage(void) { return stage; }

// The title of the music playing ("Quillow ost", "Quillow rise"), or "" when none plays.
EMSCRIPTEN_KEEPALIVE const char* quillow_music(void) {
    return Mix_PlayingMusic() ? Mix_GetMusicTitle(nullptr) : "";
}

// SDL's name of the renderer: "opengles2" (WebGL) or "software" (a 2D canvas); "" before
// start-up.
EMSCRIPTEN_KEEPALIVE const char* quillow_renderer(void) {
    SDL_RendererInfo info;
    SDL_Renderer* renderer = ORVEX_GetRenderer();
    return renderer && SDL_GetRendererInfo(renderer, &info) == 0 ? info.name : "";
}
}
