// The game's usage text and version, handed to the engine's parser of the command line that
// every recording game shares.
#include "options.hpp"

#ifndef QUILLOW_VERSION
#define QUILLOW_VERSION "unknown"
#endif

static const char USAGE[] =
    "Usage: quillow [--record FILE | --replay FILE [--check]]\n"
    "A one-button arcade game: hold Space (or J, F, X, a gamepad's A, B, X or Y, or the left\n"
    "mouse button) to move the square; seven wall turns end the game.\n"
    "\n" ORVEX_GAME_OPTIONS_HELP
    "\n"
    "While playing: F11 or Alt+Enter switches fullscreen, M mutes or unmutes the sound,\n"
    "F12 saves a screenshot and F9 starts or stops an animated GIF (both go to your\n"
    "pictures folder, under Quillow).\n";

int32_t parse_options(int32_t argc, const char* const* argv, GameOptions* options) {
    const ORVEX_CommandLineArgs args = {
        .argc = argc, .argv = argv, .name = "quillow", .usage = USAGE, .version = QUILLOW_VERSION};
    return ORVEX_ParseGameOptions(&args, options);
}
