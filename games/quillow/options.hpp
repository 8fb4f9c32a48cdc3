// The game's command line: record a play, replay one in the window, or check one as fast as
// the machine goes; --help and --version. No arguments: the game as always.
#pragma once

#include <cstdint>
#include <string>

// Files are absolute, since start-up moves into the program's own folder.
struct GameOptions {
    std::string record;  // --record FILE; empty when not given
    std::string replay;  // --replay FILE
    bool check = false;  // --check (with --replay)
};

constexpr int32_t OPTIONS_PLAY = -1;

// Reads the arguments after argv[0] into *options. OPTIONS_PLAY to go on and start the game;
// otherwise the exit status to leave with at once: 0 after --help or --version (printed on
// stdout), 2 after a mistake (one line on stderr naming it, and where to find the usage).
int32_t parse_options(int32_t argc, const char* const* argv, GameOptions* options);
