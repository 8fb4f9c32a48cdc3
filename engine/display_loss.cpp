// What happens when the display goes away under a running program: the X server ends, a
// forwarded display drops, the desktop session closes. Xlib reports a broken connection
// through its I/O error handler and then ends the process with exit(1). The exit handlers
// that follow (ORVEX_Quit among them) would tear the window and renderer down through the
// dead connection, and SDL waits there for a reply that never comes: the process would hang,
// spinning, instead of ending. The handler here says what happened and marks the display as
// lost; ORVEX_Quit then leaves video alone and the process ends with status 1.
//
// Index: State / X11
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "engine_state.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
static volatile bool lost = false;

bool display_is_lost(void) { return lost; }

//------------------------------------------------------------------------------------------
// X11
//------------------------------------------------------------------------------------------
#if defined(SDL_VIDEO_DRIVER_X11)
using IOErrorHandler = int (*)(void*);
using SetIOErrorHandlerFn = IOErrorHandler (*)(IOErrorHandler);

// Returning lets Xlib go on to exit(1).
static int on_display_lost(void*) {
    lost = true;
    fputs("ORVEX: the connection to the display was lost\n", stderr);
    return 0;
}

// libX11 is already loaded by SDL's X11 driver; the handler is installed through a lookup,
// not a link, as for the renderer's server check. The library stays loaded while SDL uses it.
void display_loss_watch(void) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0) return;
    void* x11 = SDL_LoadObject("libX11.so.6");
    if (!x11) return;
    auto set = reinterpret_cast<SetIOErrorHandlerFn>(SDL_LoadFunction(x11, "XSetIOErrorHandler"));
    if (set) set(on_display_lost);
    SDL_UnloadObject(x11);
}
#else
// Other video drivers report a lost display as a quit event or not at all.
void display_loss_watch(void) {}
#endif
