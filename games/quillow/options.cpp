// Parsing the game's command line. Options take their file as the next argument or after
// "="; each may be given once. Mistakes are named on stderr and end the program with status 2,
// the usual status of a command used wrongly.
#include "options.hpp"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#ifndef QUILLOW_VERSION
#define QUILLOW_VERSION "unknown"
#endif

//------------------------------------------------------------------------------------------
// Texts
//------------------------------------------------------------------------------------------
static const char USAGE[] =
    "Usage: quillow [--record FILE | --replay FILE [--check]]\n"
    "A one-button arcade game: hold Space (or J, F, X, a gamepad's A, B, X or Y, or the left\n"
    "mouse button) to move the square; seven wall turns end the game.\n"
    "\n"
    "  --record FILE   record this play to FILE (written when the game ends)\n"
    "  --replay FILE   play FILE back in the window; at its end your own input takes over\n"
    "  --check         with --replay: play it back as fast as possible, compare every frame\n"
    "                  with the recording and say whether all match (exit status 0 only then)\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "While playing: F11 or Alt+Enter switches fullscreen, M mutes or unmutes the sound,\n"
    "F12 saves a screenshot and F9 starts or stops an animated GIF (both go to your\n"
    "pictures folder, under Quillow).\n";

static int32_t mistake(const std::string& what) {
    fprintf(stderr, "quillow: %s\nTry 'quillow --help' for more information.\n", what.c_str());
    return 2;
}

//------------------------------------------------------------------------------------------
// Options with a file
//------------------------------------------------------------------------------------------
// "--name FILE" or "--name=FILE": stores the file and answers true, or answers false after
// naming the mistake in *error. *i moves past what was used.
static bool take_file(int32_t argc, const char* const* argv, int32_t* i, std::string_view name,
                      std::string* slot, std::string* error) {
    const std::string_view arg = argv[*i];
    const char* file = nullptr;
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        file = argv[*i] + name.size() + 1;
    } else if (*i + 1 < argc) {
        file = argv[++*i];
    }
    if (!slot->empty()) {
        *error = std::string(name) + " is given twice";
        return false;
    }
    if (!file || !*file) {
        *error = std::string(name) + " needs a file name";
        return false;
    }
    // An option where its file should be (--record --check) is a slip, not a file name.
    if (std::string_view(file).substr(0, 2) == "--") {
        *error = std::string(name) + " needs a file name, not '" + file +
                 "' (a file named so is given as ./" + file + ")";
        return false;
    }
    // SDL hands the command line over as UTF-8 on every platform, and the engine takes paths
    // so; std::filesystem would read plain text in the system's code page on Windows.
    const std::string_view text(file);
    std::error_code failed;
    const std::u8string full =
        std::filesystem::absolute(std::u8string(text.begin(), text.end()), failed).u8string();
    *slot = failed ? std::string(text) : std::string(full.begin(), full.end());
    return true;
}

static bool is_option(std::string_view arg, std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

//------------------------------------------------------------------------------------------
// Parsing
//------------------------------------------------------------------------------------------
static int32_t check_combination(const GameOptions* o) {
    if (!o->record.empty() && !o->replay.empty())
        return mistake("--record and --replay cannot be used together");
    if (o->check && o->replay.empty()) return mistake("--check needs --replay FILE");
    return OPTIONS_PLAY;
}

int32_t parse_options(int32_t argc, const char* const* argv, GameOptions* options) {
    *options = {};
    std::string error;
    for (int32_t i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            fputs(USAGE, stdout);
            return 0;
        }
        if (arg == "--version") {
            printf("quillow %s\n", QUILLOW_VERSION);
            return 0;
        }
        if (arg == "--check") {
            if (options->check) return mistake("--check is given twice");
            options->check = true;
        } else if (is_option(arg, "--record")) {
            if (!take_file(argc, argv, &i, "--record", &options->record, &error))
                return mistake(error);
        } else if (is_option(arg, "--replay")) {
            if (!take_file(argc, argv, &i, "--replay", &options->replay, &error))
                return mistake(error);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return mistake("unknown option '" + std::string(arg) + "'");
        } else {
            return mistake("unexpected argument '" + std::string(arg) + "'");
        }
    }
    return check_combination(options);
}
