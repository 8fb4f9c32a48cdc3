// What the page asks the running game, exported to JavaScript: frames shown (the first one
// takes the loading screen away), the stage, the music that plays, the renderer SDL chose
// and whether the sound is muted (which the page's mute button also sets). Plain C names, as
// JavaScript calls them: Module._quillow_frames() and so on.
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

// 1 while muted (the M key in the game, or the page's button), else 0.
EMSCRIPTEN_KEEPALIVE int32_t quillow_muted(void) { return ORVEX_IsMuted(); }

EMSCRIPTEN_KEEPALIVE void quillow_set_muted(int32_t on) { ORVEX_SetMuted(on); }
}
