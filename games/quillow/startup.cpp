// Start-up advice for the player. The engine reports what SDL said; this says it in a
// player's words, with the one thing to try. The window line is chosen from the environment
// SDL picked its video driver from, since by the time start-up has failed SDL has been shut
// down again; sound is judged after start-up from the engine's audio state and the files.
#include "startup.hpp"

#include <SDL.h>

#include <cstdio>
#include <filesystem>

#include <orvex/orvex.hpp>

#include "music.hpp"

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
static void tell_player(const std::string& line) { fprintf(stderr, "quillow: %s\n", line.c_str()); }

//------------------------------------------------------------------------------------------
// Window
//------------------------------------------------------------------------------------------
// A driver the user named that is not one of the desktop's own.
static bool unusual_driver(const char* driver) {
    if (!driver || !*driver) return false;
    return SDL_strcasecmp(driver, "x11") != 0 && SDL_strcasecmp(driver, "wayland") != 0;
}

#if !defined(_WIN32) && !defined(__APPLE__)
static bool empty(const char* s) { return !s || !*s; }
#endif

std::string engine_failure_line(const char* display, const char* wayland_display,
                                const char* video_driver, bool directory_failed) {
    if (directory_failed)
        return "cannot enter the program's own directory (see above): check its permissions";
    if (unusual_driver(video_driver))
        return std::string("cannot open a window with SDL_VIDEODRIVER=") + video_driver +
               ": unset it, or name a video driver this system has";
#if defined(_WIN32) || defined(__APPLE__)
    (void)display, (void)wayland_display;
    return "cannot open a window (see above): check the graphics driver";
#else
    if (empty(display) && empty(wayland_display))
        return "cannot open a window (no display?): run it from a desktop session, or set DISPLAY";
    if (!empty(display))
        return std::string("cannot open a window on display ") + display +
               " (see above): check that the display is running and lets you in";
    return std::string("cannot open a window on Wayland display ") + wayland_display +
           " (see above): check that the desktop session is running";
#endif
}

// Start-up leaves SDL running only when it stopped at the program's directory.
void explain_engine_failure(void) {
    const bool directory_failed = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    tell_player(engine_failure_line(SDL_getenv("DISPLAY"), SDL_getenv("WAYLAND_DISPLAY"),
                                    SDL_getenv("SDL_VIDEODRIVER"), directory_failed));
}

void explain_canvas_failure(void) {
    tell_player(
        "cannot make the picture's texture (see above): close other programs, or check the "
        "graphics driver");
}

//------------------------------------------------------------------------------------------
// Sound
//------------------------------------------------------------------------------------------
static const char* const MUSIC_FILES[] = {THEME_MUSIC, RISE_MUSIC};

static std::string missing_music(void) {
    std::string missing;
    std::error_code error;
    for (const char* file : MUSIC_FILES) {
        if (std::filesystem::exists(file, error)) continue;
        missing += missing.empty() ? file : std::string(" and ") + file;
    }
    return missing;
}

void explain_sound(bool theme_playing) {
    if (!ORVEX_IsAudioOpen()) {
        tell_player(
            "no audio device (see above), so the game goes on silent: check the sound "
            "settings, or name a driver with SDL_AUDIODRIVER");
        return;
    }
    const std::string missing = missing_music();
    if (!missing.empty()) {
        tell_player("music missing: " + missing +
                    " beside the program; the game goes on without it (build it again "
                    "with make, or reinstall)");
    } else if (!theme_playing) {
        tell_player(std::string("cannot play ") + THEME_MUSIC +
                    " (see above), so the game goes on silent: build it again with make, or "
                    "reinstall");
    }
}
