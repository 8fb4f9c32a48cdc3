// The game's command line: record a play, replay one in the window, or check one as fast as
// the machine goes; --help and --version. No arguments: the game as always. The engine parses
// it (ORVEX_ParseGameOptions); the game gives its name, usage text and version.
#pragma once

#include <cstdint>

#include <orvex/orvex.hpp>

using GameOptions = ORVEX_GameOptions;

constexpr int32_t OPTIONS_PLAY = ORVEX_OPTIONS_PLAY;

// Reads the arguments after argv[0] into *options. OPTIONS_PLAY to go on and start the game;
// otherwise the exit status to leave with at once: 0 after --help or --version (printed on
// stdout), 2 after a mistake (one line on stderr naming it, and where to find the usage).
int32_t parse_options(int32_t argc, const char* const* argv, GameOptions* options);
