// Window settings a program may change while it runs: desktop fullscreen, where the window
// covers its display without changing the display's mode and the letterbox of the next
// present fits the new size, and the window's icon, taken from RGBA pixels in memory.
//
// Leaving fullscreen, the engine asks for the window's old size again itself: SDL leaves
// that to the window manager, and where there is none (or on the offscreen driver) SDL would
// go on believing the window still covers the display.
//
// On a scaled display the window opens as large as its picture looks unscaled, by a whole
// number so that the pixels stay sharp.
//
// Index: Reporting / Opening size / Fullscreen / Icon
#include <SDL.h>

#include <cmath>

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
// Opening size
//------------------------------------------------------------------------------------------
constexpr float UNSCALED_DPI = 96.0f;  // what desktops count as 100%
constexpr int32_t MAX_OPENING_SCALE = 16;

static bool too_large(int64_t extent, int32_t usable) { return usable > 0 && extent > usable; }

int32_t display_window_scale(float dpi, int32_t width, int32_t height, int32_t usable_w,
                             int32_t usable_h) {
    if (!(dpi > 0.0f)) return 1;  // unknown (NaN too)
    const float times = std::round(dpi / UNSCALED_DPI);
    int32_t scale = times >= MAX_OPENING_SCALE ? MAX_OPENING_SCALE
                    : times < 1.0f             ? 1
                                               : static_cast<int32_t>(times);
    while (scale > 1 && (too_large(int64_t{width} * scale, usable_w) ||
                         too_large(int64_t{height} * scale, usable_h)))
        --scale;
    return scale;
}

// Windows leaves a scaled display's enlarging to a program that declares itself DPI-aware
// (quillow.exe does, in its manifest), and SDL's window there counts pixels: the display's
// DPI says how much larger to open. Elsewhere the window system scales the window itself
// (Wayland, macOS: the renderer's output then has more pixels than the window has units, and
// the letterbox fills them), or SDL's DPI is the screen's physical one (X11), no setting.
int32_t window_opening_scale(int32_t width, int32_t height) {
#ifdef _WIN32
    float dpi = 0.0f;
    SDL_Rect usable = {};
    if (SDL_GetDisplayDPI(0, nullptr, &dpi, nullptr) < 0 ||
        SDL_GetDisplayUsableBounds(0, &usable) < 0)
        return 1;
    return display_window_scale(dpi, width, height, usable.w, usable.h);
#else
    (void)width;
    (void)height;
    return 1;
#endif
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
