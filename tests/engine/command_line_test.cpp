// The command line of a recording game as the engine parses it for any game: the program's
// own name, usage and version in what it prints, callers that pass nothing, mistakes that
// reach a log callback as whole lines, and the verdict lines that end a replay check. The
// options themselves, as Quillow takes them, are checked in tests/game/options_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include <orvex/orvex.hpp>

namespace {

const std::string TRY = "Try 'brickgame --help' for more information.";

struct Parsed {
    int32_t result;
    ORVEX_GameOptions options;
    std::string out, err;
};

Parsed parse(std::vector<const char*> argv) {
    argv.insert(argv.begin(), "brickgame");
    const ORVEX_CommandLineArgs args = {.argc = int32_t(argv.size()),
                                        .argv = argv.data(),
                                        .name = "brickgame",
                                        .usage = "Usage: brickgame [options]\n",
                                        .version = "3.1"};
    Parsed p;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    p.result = ORVEX_ParseGameOptions(&args, &p.options);
    p.out = testing::internal::GetCapturedStdout();
    p.err = testing::internal::GetCapturedStderr();
    return p;
}

TEST(CommandLine, EveryLineCarriesTheProgramsOwnNameUsageAndVersion) {
    const std::tuple<std::vector<const char*>, int32_t, std::string, std::string> cases[] = {
        {{}, ORVEX_OPTIONS_PLAY, "", ""},
        {{"-h"}, 0, "Usage: brickgame [options]\n", ""},
        {{"--version"}, 0, "brickgame 3.1\n", ""},
        {{"--jump"}, 2, "", "brickgame: unknown option '--jump'\n" + TRY + "\n"},
    };
    for (const auto& [args, result, out, err] : cases) {
        const Parsed p = parse(args);
        EXPECT_EQ(std::tuple(p.result, p.out, p.err), std::tuple(result, out, err));
        EXPECT_STREQ(p.options.name, "brickgame");
    }
}

TEST(CommandLine, ACallerThatPassesNothingIsToldAndGetsTheMistakeStatus) {
    ORVEX_GameOptions options;
    const char* argv[] = {"game", "--check"};
    const ORVEX_CommandLineArgs nameless = {.argc = 2, .argv = argv};
    const ORVEX_CommandLineArgs no_argv = {.argc = 2, .name = "game"};
    const ORVEX_CommandLineArgs fine = {.argc = 1, .argv = argv, .name = "game"};
    testing::internal::CaptureStderr();
    const std::pair<const ORVEX_CommandLineArgs*, ORVEX_GameOptions*> calls[] = {
        {nullptr, &options}, {&nameless, &options}, {&no_argv, &options}, {&fine, nullptr}};
    for (const auto& [args, out] : calls) EXPECT_EQ(ORVEX_ParseGameOptions(args, out), 2);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ORVEX_ParseGameOptions: "), std::string::npos) << err;
    EXPECT_EQ(ORVEX_ParseGameOptions(&fine, &options), ORVEX_OPTIONS_PLAY);
}

TEST(CommandLine, AMistakeReachesALogCallbackAsTwoWholeLines) {
    std::vector<std::string> lines;
    ORVEX_SetLogCallback(
        [](void* user, const char* line) {
            static_cast<std::vector<std::string>*>(user)->push_back(line);
        },
        &lines);
    const Parsed p = parse({"--record", "a", "--replay", "b"});
    ORVEX_SetLogCallback(nullptr, nullptr);
    EXPECT_EQ(p.result, 2);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "brickgame: --record and --replay cannot be used together", TRY}));
}

//------------------------------------------------------------------------------------------
// Verdicts
//------------------------------------------------------------------------------------------
TEST(PlaybackVerdict, NamesTheFirstDifferenceAnEarlyEndOrAGameThatWentOn) {
    // Of 10 turns and 9 frames: the turns fed, the frames checked and differing, the first
    // difference's turn and frame, whether the game went on, then the verdict and its line.
    const std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, bool, bool, const char*>
        cases[] = {
            {10, 9, 0, 0, 0, false, true, "replay check passed: all 9 frames of 10 turns match"},
            {10, 9, 2, 4, 3, false, false,
             "replay check failed: frame 3 (turn 4 of 10) is not the recorded one (2 of 9 frames "
             "differ)"},
            {6, 9, 0, 0, 0, false, false, "replay check failed: the game ended at turn 6 of 10"},
            {10, 9, 0, 0, 0, true, false,
             "replay check failed: the recording ended at turn 10 but the game went on"},
            {10, 8, 0, 0, 0, false, false,
             "replay check failed: 8 of 9 recorded frames were presented"},
        };
    char line[256];
    for (const auto& [fed, checked, differing, turn, frame, went_on, passed, expected] : cases) {
        const ORVEX_ReplayStatus s{0, 0, 10, fed, 9, checked, differing, turn, frame};
        EXPECT_EQ(ORVEX_ReplayVerdict(&s, went_on, line, sizeof line), passed) << expected;
        EXPECT_STREQ(line, expected);
    }
    // A short buffer gets the line cut to fit; none at all gets nothing.
    const ORVEX_ReplayStatus s{0, 0, 10, 10, 9, 9};
    char short_line[8];
    EXPECT_TRUE(ORVEX_ReplayVerdict(&s, false, short_line, sizeof short_line));
    EXPECT_STREQ(short_line, "replay ");
    EXPECT_FALSE(ORVEX_ReplayVerdict(&s, false, nullptr, 0));
}

}  // namespace
