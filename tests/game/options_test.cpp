// The game's command line: the options it takes, the help and version it prints, and every
// kind of mistake it names with exit status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

#include <orvex/orvex.hpp>

#include "options.hpp"

namespace {

struct Parsed {
    int32_t result;
    GameOptions options;
    std::string out, err;
};

Parsed parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv = {"quillow"};
    argv.insert(argv.end(), args);
    Parsed p;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    p.result = parse_options(static_cast<int32_t>(argv.size()), argv.data(), &p.options);
    p.out = testing::internal::GetCapturedStdout();
    p.err = testing::internal::GetCapturedStderr();
    return p;
}

std::string absolute(const char* file) {
    const std::u8string full =
        std::filesystem::absolute(std::u8string(reinterpret_cast<const char8_t*>(file))).u8string();
    return std::string(full.begin(), full.end());
}

TEST(Options, NoArgumentsPlayTheGameAsAlways) {
    const Parsed p = parse({});
    EXPECT_EQ(p.result, OPTIONS_PLAY);
    EXPECT_TRUE(p.options.record.empty());
    EXPECT_TRUE(p.options.replay.empty());
    EXPECT_FALSE(p.options.check);
    EXPECT_EQ(p.out + p.err, "");
}

TEST(Options, FilesComeAfterTheOptionOrAnEqualsSignAndAreMadeAbsolute) {
    EXPECT_EQ(parse({"--record", "play.rec"}).options.record, absolute("play.rec"));
#ifdef _WIN32
    const std::string rooted = absolute("/tmp/a.rec");  // with the current drive added
#else
    const std::string rooted = "/tmp/a.rec";
#endif
    EXPECT_EQ(parse({"--record=/tmp/a.rec"}).options.record, rooted);
    // Names outside ASCII arrive as UTF-8 and stay so.
    EXPECT_EQ(parse({"--replay", "\xC3\xA9t\xC3\xA9.rec"}).options.replay,
              absolute("\xC3\xA9t\xC3\xA9.rec"));
    const Parsed check = parse({"--check", "--replay", "x.rec"});
    EXPECT_EQ(check.result, OPTIONS_PLAY);
    EXPECT_EQ(check.options.replay, absolute("x.rec"));
    EXPECT_TRUE(check.options.check);
}

TEST(Options, HelpAndVersionPrintOnStdoutAndLeaveWithZero) {
    const Parsed help = parse({"--help"});
    EXPECT_EQ(help.result, 0);
    EXPECT_EQ(help.out.rfind("Usage: quillow", 0), 0u);
    EXPECT_NE(help.out.find("--replay FILE"), std::string::npos);
    const Parsed version = parse({"--record", "x", "--version"});
    EXPECT_EQ(version.result, 0);
    EXPECT_EQ(version.out, std::string("quillow ") + ORVEX_GetVersion() + "\n");  // one version
}

TEST(Options, MistakesAreNamedAndLeaveWithTwo) {
    const struct {
        std::initializer_list<const char*> args;
        const char* said;
    } cases[] = {
        {{"--fly"}, "quillow: unknown option '--fly'\n"},
        {{"-x"}, "quillow: unknown option '-x'\n"},
        {{"game.rec"}, "quillow: unexpected argument 'game.rec'\n"},
        {{"--record"}, "quillow: --record needs a file name\n"},
        {{"--replay="}, "quillow: --replay needs a file name\n"},
        {{"--record", "a", "--record", "b"}, "quillow: --record is given twice\n"},
        {{"--record", "a", "--replay", "b"},
         "quillow: --record and --replay cannot be used together\n"},
        {{"--check"}, "quillow: --check needs --replay FILE\n"},
        {{"--check", "--check", "--replay", "a"}, "quillow: --check is given twice\n"},
        {{"--record", "--check"},
         "quillow: --record needs a file name, not '--check' (a file named so is given as "
         "./--check)\n"},
        {{"--replay=--help"},
         "quillow: --replay needs a file name, not '--help' (a file named so is given as "
         "./--help)\n"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.args);
        EXPECT_EQ(p.result, 2) << c.said;
        EXPECT_EQ(p.err, std::string(c.said) + "Try 'quillow --help' for more information.\n");
        EXPECT_EQ(p.out, "");
    }
}

}  // namespace
