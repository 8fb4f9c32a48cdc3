// Resting while the window is hidden: when the program asks for it, the desktop loop runs no
// turn while the window is minimised or hidden. It pauses what plays, then sleeps in SDL's
// event wait until the window shows again. The events that wake it are taken out of SDL's
// queue (or the wait would return at once, again and again) and kept here; they go back into
// the queue, in order, before the next turn, so its drain sees them as if they had just come:
// a recording notes them in that turn, and a key let go meanwhile reads released there.
//
// In a browser the page's display frames stop with a hidden tab, and the loop with them;
// nothing here runs there (SDL's wait would block the page).
//
// Index: Setting / Kept events / Rest
#include <SDL.h>

#include "engine_state.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// Setting
//------------------------------------------------------------------------------------------
static bool pause_when_hidden = false;

void ORVEX_SetPauseWhenHidden(int32_t on) { pause_when_hidden = on != 0; }

//------------------------------------------------------------------------------------------
// Kept events
//------------------------------------------------------------------------------------------
// A hidden window receives few events: the keys released as it lost the keyboard, window
// and device news. Only those the engine's drain reads are kept; the mouse's moves collapse
// into the last one.
constexpr int32_t KEPT_EVENTS = 1024;

static struct {
    SDL_Event events[KEPT_EVENTS];
    int32_t count;
    int32_t motion;  // index of the kept mouse move, or -1
    bool quit;
    bool overflow_said;
} kept;

static bool drain_reads(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT:
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: return true;
    default: return false;
    }
}

static void keep(const SDL_Event& e) {
    if (!drain_reads(e)) return;
    if (e.type == SDL_QUIT) kept.quit = true;
    if (e.type == SDL_MOUSEMOTION && kept.motion >= 0) {
        kept.events[kept.motion] = e;
        return;
    }
    if (kept.count == KEPT_EVENTS) {
        if (!kept.overflow_said)
            orvex_report_line("ORVEX: more than %d events while hidden; later ones are lost\n",
                              KEPT_EVENTS);
        kept.overflow_said = true;
        return;
    }
    if (e.type == SDL_MOUSEMOTION) kept.motion = kept.count;
    kept.events[kept.count++] = e;
}

// Back into SDL's queue, in their order: what came in behind the last one the wait took
// joins them first. SDL's wait leaves a marker in the queue where its next poll is to stop;
// left before them, it would end the next turn's drain ahead of them.
static void hand_back(void) {
    SDL_FlushEvent(SDL_POLLSENTINEL);
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) keep(e);
    if (kept.count > 0 && SDL_PeepEvents(kept.events, kept.count, SDL_ADDEVENT, 0, 0) < 0)
        orvex_report_sdl();
    kept.count = 0;
    kept.motion = -1;
    kept.quit = false;
}

//------------------------------------------------------------------------------------------
// Rest
//------------------------------------------------------------------------------------------
// Each state change comes with an event that ends the wait; the timeout only bounds it.
constexpr int32_t REST_WAKE_MS = 1000;

static bool window_hidden(void) {
    SDL_Window* window = orvex.video.window;
    constexpr uint32_t away = SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN;
    return window && (SDL_GetWindowFlags(window) & away) != 0;
}

void hidden_rest(void) {
#ifndef __EMSCRIPTEN__
    if (!pause_when_hidden || !window_hidden()) return;
    audio_rest();
    kept.motion = -1;
    SDL_Event e;
    while (window_hidden() && !kept.quit) {
        if (SDL_WaitEventTimeout(&e, REST_WAKE_MS)) keep(e);
    }
    hand_back();
    audio_wake();
    // The time away is not the game's: the next frame waits one frame time from now.
    orvex.time.next_deadline = static_cast<uint32_t>(SDL_GetTicks64());
#endif
}
