// The game's entry: fills the engine configuration, starts the engine and the canvas,
// registers their shutdown to run at exit, starts the main theme, binds "move" (four keys,
// the pad's face buttons, the left mouse button or a touch) and hands the frame loop the
// game's per-frame function. Exit status 0 once the loop ends (window closed
// or game over), 1 when start-up fails. After the engine's own messages, a failed start-up
// or a start without sound gets one line in the player's words (startup.cpp). The command
// line (options.cpp, parsed by the engine) may ask to record the play, replay one, or check
// a replay (playback.cpp); 2 when it cannot be understood.
// On Windows SDL's start-up shim calls SDL_main, the name SDL_main.h gives main there (with
// C linkage); elsewhere it changes nothing.
#include <SDL_gamecontroller.h>
#include <SDL_main.h>
#include <SDL_messagebox.h>
#include <SDL_mouse.h>
#include <SDL_scancode.h>

#include <cstdio>
#include <cstdlib>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>
#include <orvex/px.hpp>

#include "game.hpp"
#include "images.hpp"
#include "music.hpp"
#include "options.hpp"
#include "playback.hpp"
#include "player.hpp"
#include "startup.hpp"

//------------------------------------------------------------------------------------------
// Set-up
//------------------------------------------------------------------------------------------
static constexpr int32_t MOVE_KEYS[] = {SDL_SCANCODE_SPACE, SDL_SCANCODE_J, SDL_SCANCODE_F,
                                        SDL_SCANCODE_X};
static constexpr int32_t MOVE_PAD_BUTTONS[] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
                                               SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y};

// Touch arrives as the left mouse button.
static void bind_move(void) {
    input_new_action("move");
    for (int32_t scancode : MOVE_KEYS) {
        input_bind_scancode("move", scancode);
    }
    for (int32_t button : MOVE_PAD_BUTTONS) {
        input_bind_gamepad_button("move", button);
    }
    input_bind_mouse_button("move", SDL_BUTTON_LEFT);
}

// Without it the window system shows its default icon; the game goes on either way.
static void set_window_icon(void) {
    const ORVEX_WindowIconArgs icon = {
        .pixels = game_icon_rgba, .width = GAME_ICON_SIZE, .height = GAME_ICON_SIZE};
    ORVEX_SetWindowIcon(&icon);
}

// The canvas texture must go before the renderer: registered after ORVEX_Quit, it runs first.
static int32_t start_canvas(void) {
    if (px_init() != 0) {
        explain_canvas_failure();
        return 1;
    }
    if (atexit(px_deinit) != 0) {
        perror("main:atexit");
        px_deinit();
        return 1;
    }
    return 0;
}

// A Windows program started from Explorer has no console, so what start-up reports is lost
// there: while the game starts, every line the engine, canvas and actions print is kept (the
// last one is shown to the player in a message box) and still written to stderr.
#ifdef _WIN32
static char last_log[512];

static void keep_log_line(void*, const char* line) {
    snprintf(last_log, sizeof last_log, "%s", line);
    fprintf(stderr, "%s\n", line);
}
#endif

static void watch_start(void) {
#ifdef _WIN32
    ORVEX_SetLogCallback(keep_log_line, nullptr);
#endif
}

// Once started, the lines go where the engine prints them (the saved captures on stdout).
static void watch_stop(void) {
#ifdef _WIN32
    ORVEX_SetLogCallback(nullptr, nullptr);
#endif
}

static int start_failed(void) {
#ifdef _WIN32
    char text[sizeof last_log + 64];
    snprintf(text, sizeof text, "Quillow could not start.\n\n%s", last_log);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Quillow", text, nullptr);
#endif
    return 1;
}

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
int main(int argc, char** argv) {
    GameOptions options;
    const int32_t leave = parse_options(argc, argv, &options);
    if (leave != OPTIONS_PLAY) return leave;
    const ORVEX_Config config = {
        .reserved = 0,
        .width = 640,
        .height = 480,
        .scale = 1,
        .fps = options.check ? 0 : 60,  // a check runs as fast as it can
        .pixel_perfect = 1,
        .logical_size = 0,
        .scale_linear = 0,
        .show_cursor = 0,
        .mixer = 1,
        .title = "Quillow",
    };
    watch_start();
    if (ORVEX_Init(&config) != 0) {
        explain_engine_failure();
        return start_failed();
    }
    if (atexit(ORVEX_Quit) != 0) {
        perror("main:atexit");
        ORVEX_Quit();
        return 1;
    }
    set_window_icon();
    ORVEX_SetPauseWhenHidden(1);  // minimised, the game stands still, silent and idle
    if (ORVEX_StartPlayback(&options) != 0) return 1;
    if (start_canvas() != 0) return start_failed();
    watch_stop();
    // Without the files or an audio device the game goes on silent.
    explain_sound(ORVEX_PlayMusic(THEME_MUSIC, MUSIC_LOOPS) == 0);
    bind_move();
    Player player;
    player_init(&player);
    ORVEX_MainLoop(options.check ? playback_check_frame : game_frame, &player);
    return ORVEX_FinishPlayback(&options);
}
