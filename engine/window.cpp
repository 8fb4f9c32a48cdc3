// Window settings a program may change while it runs: desktop fullscreen, where the window
// covers its display without changing the display's mode and the letterbox of the next
// present fits the new size, and the window's icon, taken from RGBA pixels in memory.
//
// Leaving fullscreen, the engine asks for the window's old size again itself: SDL leaves
// that to the window manager, and where there is none (or on the offscreen driver) SDL would
// go on believing the window still covers the display.
//
// Index: Reporting / Fullscreen / Icon
#include <SDL.h>

#include "engine_state.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
static bool has_window(const char* op) {
    if (orvex.video.window) return true;
    orvex_report_line("%s: the engine is not started\n", op);
    return false;
}

//------------------------------------------------------------------------------------------
// Fullscreen
//------------------------------------------------------------------------------------------
int32_t ORVEX_SetFullscreen(int32_t on) {
    if (!has_window("ORVEX_SetFullscreen")) return -1;
    SDL_Window* window = orvex.video.window;
    const bool was_on = ORVEX_IsFullscreen();
    if (on && !was_on) SDL_GetWindowSize(window, &orvex.video.windowed_w, &orvex.video.windowed_h);
    if (SDL_SetWindowFullscreen(window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) < 0) {
        orvex_report_sdl();
        return -1;
    }
    if (!on && was_on) SDL_SetWindowSize(window, orvex.video.windowed_w, orvex.video.windowed_h);
    return 0;
}

int32_t ORVEX_IsFullscreen(void) {
    if (!orvex.video.window) return 0;
    return (SDL_GetWindowFlags(orvex.video.window) & SDL_WINDOW_FULLSCREEN) ? 1 : 0;
}

//------------------------------------------------------------------------------------------
// Icon
//------------------------------------------------------------------------------------------
// The largest icon taken: window systems scale icons down to a few dozen pixels anyway. With
// the pitch bound, height * pitch stays inside 32 bits.
constexpr int32_t MAX_ICON_SIDE = 1024;
constexpr int32_t MAX_ICON_PITCH = INT32_MAX / MAX_ICON_SIDE;

static bool icon_args_usable(const ORVEX_WindowIconArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_SetWindowIcon: args is NULL\n");
        return false;
    }
    if (!args->pixels) {
        orvex_report_line("ORVEX_SetWindowIcon: args->pixels is NULL\n");
        return false;
    }
    if (args->width <= 0 || args->height <= 0 || args->width > MAX_ICON_SIDE ||
        args->height > MAX_ICON_SIDE) {
        orvex_report_line("ORVEX_SetWindowIcon: %dx%d is not an icon size (1..%d a side)\n",
                          args->width, args->height, MAX_ICON_SIDE);
        return false;
    }
    if (args->pitch != 0 && (args->pitch < args->width * 4 || args->pitch > MAX_ICON_PITCH)) {
        orvex_report_line("ORVEX_SetWindowIcon: pitch %d does not fit a row of %d pixels\n",
                          args->pitch, args->width);
        return false;
    }
    return true;
}

// SDL reads the caller's pixels in place and copies them into the window system's icon.
int32_t ORVEX_SetWindowIcon(const ORVEX_WindowIconArgs* args) {
    if (!icon_args_usable(args) || !has_window("ORVEX_SetWindowIcon")) return -1;
    const int32_t pitch = args->pitch ? args->pitch : args->width * 4;
    SDL_Surface* icon =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(args->pixels), args->width,
                                           args->height, 32, pitch, SDL_PIXELFORMAT_RGBA32);
    if (!icon) {
        orvex_report_sdl();
        return -1;
    }
    SDL_SetWindowIcon(orvex.video.window, icon);
    SDL_FreeSurface(icon);
    return 0;
}
