// Plinkwall's entry: reads the command line (the engine's parser, shared by every recording
// game), starts the engine with sound, starts the recording or replay asked for, loads the
// game's sheet and sounds and hands the frame loop the game's turn. Exit status 0 once the
// player leaves (or the window closes), 1 when start-up fails or a replay check does not
// match, 2 for a command line that cannot be understood.
// On Windows SDL's start-up shim calls SDL_main, the name SDL_main.h gives main there.
#include <SDL_main.h>

#include <cstdio>
#include <cstdlib>

#include <orvex/orvex.hpp>

#include "game.hpp"

#ifndef PLINKWALL_VERSION
#define PLINKWALL_VERSION "unknown"
#endif

static const char USAGE[] =
    "Usage: plinkwall [--record FILE | --replay FILE [--check]]\n"
    "Break the wall of bricks with the ball and keep it from falling past your bat.\n"
    "Steer with the mouse or a finger, the arrow keys, A and D or a pad's d-pad; launch with\n"
    "Space, a click or tap, or the pad's A; Escape goes back to the title, and quits from it.\n"
    "\n" ORVEX_GAME_OPTIONS_HELP
    "\n"
    "While playing: F11 switches fullscreen.\n";

// The checked replay's turn: the game's own until the recording runs out.
static int32_t checked_frame(void* game) { return ORVEX_CheckedFrame(game_frame, game); }

static int32_t start_engine(bool check) {
    ORVEX_Config config{};
    config.width = FIELD_W;
    config.height = FIELD_H;
    config.scale = 1;
    config.fps = check ? 0 : 60;  // a check runs as fast as it can
    config.pixel_perfect = 1;
    config.show_cursor = 0;
    config.mixer = 1;
    config.title = "Plinkwall";
    if (ORVEX_Init(&config) != 0) {
        fprintf(stderr, "plinkwall: the game could not start (see above)\n");
        return 1;
    }
    if (atexit(ORVEX_Quit) != 0) {
        perror("plinkwall: atexit");
        ORVEX_Quit();
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    const ORVEX_CommandLineArgs args = {.argc = argc,
                                        .argv = argv,
                                        .name = "plinkwall",
                                        .usage = USAGE,
                                        .version = PLINKWALL_VERSION};
    ORVEX_GameOptions options;
    const int32_t leave = ORVEX_ParseGameOptions(&args, &options);
    if (leave != ORVEX_OPTIONS_PLAY) return leave;
    if (start_engine(options.check) != 0 || ORVEX_StartPlayback(&options) != 0) return 1;
    static Game game;
    if (!game_start(&game)) {
        fprintf(stderr, "plinkwall: cannot load %s beside the program (see above)\n", SHEET_FILE);
        return 1;
    }
    if (ORVEX_PlayMusic(MUSIC_FILE, -1) != 0) {
        fprintf(stderr, "plinkwall: no sound device or music: playing silently\n");
    }
    ORVEX_SetPauseWhenHidden(1);  // minimised, the game stands still, silent and idle
    ORVEX_MainLoop(options.check ? checked_frame : game_frame, &game);
    return ORVEX_FinishPlayback(&options);
}
