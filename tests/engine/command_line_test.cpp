// The command line of a recording game as the engine parses it for any game: the program's
// own name, usage and version in what it prints, callers that pass nothing, mistakes that
// reach a log callback as whole lines, and the verdict lines that end a replay check. The
// options themselves, as Quillow takes them, are checked in tests/game/options_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <orvex/orvex.hpp>

namespace {

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
    const struct {
        std::vector<const char*> args;
        int32_t result;
        const char *out, *err;
    } cases[] = {
        {{}, ORVEX_OPTIONS_PLAY, "", ""},
        {{"-h"}, 0, "Usage: brickgame [options]\n", ""},
        {{"--version"}, 0, "brickgame 3.1\n", ""},
        {{"--jump"},
         2,
         "",
         "brickgame: unknown option '--jump'\nTry 'brickgame --help' for more information.\n"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.args);
        EXPECT_EQ(p.result, c.result) << c.out << c.err;
        EXPECT_EQ(p.out, c.out);
        EXPECT_EQ(p.err, c.err);
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
    EXPECT_EQ(ORVEX_ParseGameOptions(nullptr, &options), 2);
    EXPECT_EQ(ORVEX_ParseGameOptions(&nameless, &options), 2);
    EXPECT_EQ(ORVEX_ParseGameOptions(&no_argv, &options), 2);
    EXPECT_EQ(ORVEX_ParseGameOptions(&fine, nullptr), 2);
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
    EXPECT_EQ(lines,
              (std::vector<std::string>{"brickgame: --record and --replay cannot be used together",
                                        "Try 'brickgame --help' for more information."}));
}

//------------------------------------------------------------------------------------------
// Verdicts
//------------------------------------------------------------------------------------------
TEST(PlaybackVerdict, NamesTheFirstDifferenceAnEarlyEndOrAGameThatWentOn) {
    char line[256];
    ORVEX_ReplayStatus s{.turns = 10, .turns_fed = 10, .frames = 9, .frames_checked = 9};
    EXPECT_TRUE(ORVEX_ReplayVerdict(&s, false, line, sizeof line));
    EXPECT_STREQ(line, "replay check passed: all 9 frames of 10 turns match");

    ORVEX_ReplayStatus differs = s;
    differs.frames_differing = 2;
    differs.first_turn = 4;
    differs.first_frame = 3;
    EXPECT_FALSE(ORVEX_ReplayVerdict(&differs, false, line, sizeof line));
    EXPECT_STREQ(line,
                 "replay check failed: frame 3 (turn 4 of 10) is not the recorded one (2 of 9 "
                 "frames differ)");

    ORVEX_ReplayStatus early = s;
    early.turns_fed = 6;
    EXPECT_FALSE(ORVEX_ReplayVerdict(&early, false, line, sizeof line));
    EXPECT_STREQ(line, "replay check failed: the game ended at turn 6 of 10");

    EXPECT_FALSE(ORVEX_ReplayVerdict(&s, true, line, sizeof line));
    EXPECT_STREQ(line, "replay check failed: the recording ended at turn 10 but the game went on");

    ORVEX_ReplayStatus unseen = s;
    unseen.frames_checked = 8;
    EXPECT_FALSE(ORVEX_ReplayVerdict(&unseen, false, line, sizeof line));
    EXPECT_STREQ(line, "replay check failed: 8 of 9 recorded frames were presented");

    // A short buffer gets the line cut to fit; none at all gets nothing.
    char short_line[8];
    EXPECT_TRUE(ORVEX_ReplayVerdict(&s, false, short_line, sizeof short_line));
    EXPECT_STREQ(short_line, "replay ");
    EXPECT_FALSE(ORVEX_ReplayVerdict(&s, false, nullptr, 0));
}

}  // namespace
