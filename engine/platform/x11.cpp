// The X11-only pieces of the engine, reached through libX11 looked up at run time: SDL's X11
// driver has it loaded already, so the engine links nothing of X11.
//
// Display loss: Xlib reports a broken connection through its I/O error handler.
//
// The renderer's cheap check: on X11, Mesa reaches a GPU only through the X server's DRI3 or
// DRI2 extension, and NVIDIA's driver through its own NV-GLX; a server that offers none of
// them (Xvfb, VNC and RDP servers, forwarded displays) leaves Mesa its software rasteriser,
// unless the machine routes that path to a GPU anyway (WSL's /dev/dxg, or GALLIUM_DRIVER
// naming a hardware driver).
//
// Index: Display loss / Renderer check
#include "x11.hpp"

#include <SDL.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <SDL_syswm.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "engine_state.hpp"

//------------------------------------------------------------------------------------------
// Display loss
//------------------------------------------------------------------------------------------
using IOErrorHandler = int (*)(void*);
using SetIOErrorHandlerFn = IOErrorHandler (*)(IOErrorHandler);

// The handler is installed through a lookup, not a link, as for the renderer check. The
// library stays loaded while SDL uses it.
void x11_watch_connection(int (*handler)(void*)) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0) return;
    void* x11 = SDL_LoadObject("libX11.so.6");
    if (!x11) return;
    auto set = reinterpret_cast<SetIOErrorHandlerFn>(SDL_LoadFunction(x11, "XSetIOErrorHandler"));
    if (set) set(handler);
    SDL_UnloadObject(x11);
}

//------------------------------------------------------------------------------------------
// Renderer check
//------------------------------------------------------------------------------------------
// GALLIUM_DRIVER picks Mesa's driver for the software window path; only unset or a CPU
// rasteriser keeps that path on the CPU.
static bool gallium_driver_is_cpu(void) {
    const char* d = getenv("GALLIUM_DRIVER");
    return !d || !*d || renderer_name_is_cpu(d);
}

using ListExtensionsFn = char** (*)(Display*, int*);
using FreeExtensionListFn = int (*)(char**);

// Whether the window's X server offers any of the extensions through which a GL driver
// reaches a GPU: one request for the server's whole list.
static bool x11_offers_gpu_path(Display* display) {
    void* x11 = SDL_LoadObject("libX11.so.6");
    if (!x11) return true;  // cannot tell: assume a GPU
    auto list = reinterpret_cast<ListExtensionsFn>(SDL_LoadFunction(x11, "XListExtensions"));
    auto free_list =
        reinterpret_cast<FreeExtensionListFn>(SDL_LoadFunction(x11, "XFreeExtensionList"));
    int count = 0;
    char** names = list && free_list ? list(display, &count) : nullptr;
    bool offered = !names;
    for (int i = 0; i < count && names; i++)
        for (const char* gpu_path : {"DRI3", "DRI2", "NV-GLX"})
            if (strcmp(names[i], gpu_path) == 0) offered = true;
    if (names) free_list(names);
    SDL_UnloadObject(x11);
    return offered;
}

bool x11_window_is_cpu_only(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    if (access("/dev/dxg", F_OK) == 0 || !gallium_driver_is_cpu()) return false;
    return !x11_offers_gpu_path(info.info.x11.display);
}

#else
// Other video drivers report a lost display as a quit event or not at all, and give the
// renderer choice no cheap check.
void x11_watch_connection(int (*)(void*)) {}
bool x11_window_is_cpu_only(SDL_Window*) { return false; }
#endif
