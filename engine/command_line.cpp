// The command line every recording game shares: --record, --replay, --check, --help and
// --version parsed into ORVEX_GameOptions, the recording or replay they ask for started, the
// checked replay's frame wrapper, and the verdict line that ends a check. A check passes when
// the game, fed the recorded input, presents every recorded frame with the same digest and
// ends in the recording's last turn: a game that ends sooner, goes on longer or draws anything
// else fails, and the verdict says where. Mistakes end the program with status 2, the usual
// status of a command used wrongly.
//
// Index: Mistakes / Options with a file / Parsing / Playback / Verdict
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include <orvex/orvex.hpp>

#include "log.hpp"

//------------------------------------------------------------------------------------------
// Mistakes
//------------------------------------------------------------------------------------------
static int32_t mistake(const char* name, const std::string& what) {
    orvex_report_line("%s: %s\n", name, what.c_str());
    orvex_report_line("Try '%s --help' for more information.\n", name);
    return 2;
}

//------------------------------------------------------------------------------------------
// Options with a file
//------------------------------------------------------------------------------------------
// SDL hands the command line over as UTF-8 on every platform, and the engine takes paths so;
// std::filesystem would read plain text in the system's code page on Windows.
static std::string absolute_utf8(std::string_view text) {
    std::error_code failed;
    const std::u8string full =
        std::filesystem::absolute(std::u8string(text.begin(), text.end()), failed).u8string();
    return failed ? std::string(text) : std::string(full.begin(), full.end());
}

// "--name FILE" or "--name=FILE": stores the file and answers true, or answers false after
// naming the mistake in *error. *i moves past what was used.
static bool take_file(const ORVEX_CommandLineArgs* a, int32_t* i, std::string_view name,
                      std::string* slot, std::string* error) {
    const std::string_view arg = a->argv[*i];
    const char* file = nullptr;
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        file = a->argv[*i] + name.size() + 1;
    } else if (*i + 1 < a->argc) {
        file = a->argv[++*i];
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
    *slot = absolute_utf8(file);
    return true;
}

static bool is_option(std::string_view arg, std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

//------------------------------------------------------------------------------------------
// Parsing
//------------------------------------------------------------------------------------------
static int32_t check_combination(const ORVEX_GameOptions* o) {
    if (!o->record.empty() && !o->replay.empty())
        return mistake(o->name, "--record and --replay cannot be used together");
    if (o->check && o->replay.empty()) return mistake(o->name, "--check needs --replay FILE");
    return ORVEX_OPTIONS_PLAY;
}

// One argument; ORVEX_OPTIONS_PLAY to go on with the next.
static int32_t take_argument(const ORVEX_CommandLineArgs* a, int32_t* i, ORVEX_GameOptions* o) {
    const std::string_view arg = a->argv[*i];
    std::string error;
    if (arg == "--help" || arg == "-h") {
        orvex_log(ORVEX_LOG_STDOUT, "%s", a->usage ? a->usage : "");
        return 0;
    }
    if (arg == "--version") {
        orvex_log(ORVEX_LOG_STDOUT, "%s %s\n", a->name, a->version ? a->version : "unknown");
        return 0;
    }
    if (arg == "--check") {
        if (o->check) return mistake(a->name, "--check is given twice");
        o->check = true;
    } else if (is_option(arg, "--record") || is_option(arg, "--replay")) {
        const bool record = is_option(arg, "--record");
        if (!take_file(a, i, record ? "--record" : "--replay", record ? &o->record : &o->replay,
                       &error))
            return mistake(a->name, error);
    } else if (arg.size() > 1 && arg[0] == '-') {
        return mistake(a->name, "unknown option '" + std::string(arg) + "'");
    } else {
        return mistake(a->name, "unexpected argument '" + std::string(arg) + "'");
    }
    return ORVEX_OPTIONS_PLAY;
}

int32_t ORVEX_ParseGameOptions(const ORVEX_CommandLineArgs* args, ORVEX_GameOptions* options) {
    if (!args || !options || !args->name || (args->argc > 1 && !args->argv)) {
        orvex_report_line(
            "ORVEX_ParseGameOptions: args, its argv and name and options are "
            "needed\n");
        return 2;
    }
    *options = {};
    options->name = args->name;
    for (int32_t i = 1; i < args->argc; ++i) {
        if (!args->argv[i]) break;  // the C standard ends argv with a null pointer
        const int32_t leave = take_argument(args, &i, options);
        if (leave != ORVEX_OPTIONS_PLAY) return leave;
    }
    return check_combination(options);
}

//------------------------------------------------------------------------------------------
// Playback
//------------------------------------------------------------------------------------------
static bool went_on = false;  // the checked recording ran out with the game still going

int32_t ORVEX_StartPlayback(const ORVEX_GameOptions* options) {
    went_on = false;
    if (!options) return 0;
    if (!options->record.empty() && ORVEX_RecordInput(options->record.c_str()) != 0) return -1;
    if (!options->replay.empty() && ORVEX_ReplayInput(options->replay.c_str()) != 0) return -1;
    return 0;
}

int32_t ORVEX_CheckedFrame(int32_t (*frame)(void* user), void* user) {
    if (!ORVEX_IsReplaying()) {
        went_on = true;
        return 1;
    }
    return frame ? frame(user) : 1;
}

int32_t ORVEX_FinishPlayback(const ORVEX_GameOptions* options) {
    if (!options) return 0;
    const char* name = options->name ? options->name : "game";
    if (!options->record.empty()) {
        if (ORVEX_StopRecording() != 0) return 1;
        orvex_log(ORVEX_LOG_STDOUT, "%s: recording saved to %s\n", name, options->record.c_str());
    }
    if (!options->check) return 0;
    ORVEX_ReplayStatus status;
    ORVEX_GetReplayStatus(&status);
    char line[256];
    const bool passed = ORVEX_ReplayVerdict(&status, went_on, line, sizeof line);
    orvex_log(ORVEX_LOG_STDOUT, "%s\n", line);
    return passed ? 0 : 1;
}

//------------------------------------------------------------------------------------------
// Verdict
//------------------------------------------------------------------------------------------
bool ORVEX_ReplayVerdict(const ORVEX_ReplayStatus* s, bool recording_ran_out, char* line,
                         int32_t size) {
    if (!s || !line || size <= 0) return false;
    const size_t room = static_cast<size_t>(size);
    if (s->frames_differing != 0) {
        snprintf(line, room,
                 "replay check failed: frame %u (turn %u of %u) is not the recorded one "
                 "(%u of %u frames differ)",
                 s->first_frame, s->first_turn, s->turns, s->frames_differing, s->frames);
    } else if (s->turns_fed < s->turns) {
        snprintf(line, room, "replay check failed: the game ended at turn %u of %u", s->turns_fed,
                 s->turns);
    } else if (recording_ran_out) {
        snprintf(line, room,
                 "replay check failed: the recording ended at turn %u but the game went on",
                 s->turns);
    } else if (s->frames_checked != s->frames) {
        snprintf(line, room, "replay check failed: %u of %u recorded frames were presented",
                 s->frames_checked, s->frames);
    } else {
        snprintf(line, room, "replay check passed: all %u frames of %u turns match", s->frames,
                 s->turns);
        return true;
    }
    return false;
}
