// The one way out for every line: a program's log callback hears each line of the engine, the
// canvas and the actions without its newline, and nothing reaches the streams meanwhile; a
// null callback gives the lines back to the streams they always went to, byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>
#include <orvex/px.hpp>

#include "support.hpp"

using namespace support;

namespace {

// The callback set for the lifetime of one of these, collecting what it hears.
struct Listening {
    Listening() { ORVEX_SetLogCallback(collect, &lines); }
    ~Listening() { ORVEX_SetLogCallback(nullptr, nullptr); }
    static void collect(void* user, const char* line) {
        static_cast<std::vector<std::string>*>(user)->emplace_back(line);
    }
    std::vector<std::string> lines;
};

// One line each from the engine's caller checks, its file reads, SDL's log, and the canvas.
struct Case {
    const char* what;
    std::function<void()> act;
    std::string line;      // as printed, without its newline
    bool sdl_log = false;  // SDL's log by default, else stderr
};

class Log : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.started); }

    std::vector<Case> cases() const {
        const std::string missing = dir / "missing.bmp";
        // Past the 1 KiB the line is first formatted into.
        std::string deep = dir / "folder";
        while (deep.size() < 1500) deep += "/folder";
        deep += "/missing.bmp";
        return {
            {"an unknown id", [] { ORVEX_ReloadResource(77); },
             "ORVEX_ReloadResource: no resource with id 77"},
            {"a file that is not there", [=] { ORVEX_LoadResource(missing.c_str()); },
             missing + ": No such file or directory"},
            {"a long line", [=] { ORVEX_LoadResource(deep.c_str()); },
             deep + ": No such file or directory"},
            {"SDL's log", [] { ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_SOUND, "RIFF", 4); },
             "audio mixer disabled, skip loading", true},
            {"the canvas", [] { px_blit({}); }, "px_blit: args.img has no pixels"},
        };
    }

    Engine engine;
    TempDir dir;
};

TEST_F(Log, TheCallbackHearsEachLineWithoutItsNewlineAndTheStreamsNothing) {
    for (const Case& c : cases()) {
        Listening listening;
        SdlLogCapture sdl;
        EXPECT_EQ(stderr_of(c.act), "") << c.what;
        EXPECT_TRUE(sdl.lines().empty()) << c.what;
        EXPECT_EQ(listening.lines, std::vector<std::string>{c.line}) << c.what;
    }
}

TEST_F(Log, NullGivesEachLineBackToItsStream) {
    { Listening once; }
    for (const Case& c : cases()) {
        SdlLogCapture sdl;
        const std::string err = stderr_of(c.act);
        if (c.sdl_log) {
            EXPECT_EQ(sdl.lines(), std::vector<std::string>{c.line}) << c.what;
        } else {
            EXPECT_EQ(err, c.line + "\n") << c.what;
            EXPECT_TRUE(sdl.lines().empty()) << c.what;
        }
    }
}

// The actions' caller errors stop the program, after their line.
void say_marked(void*, const char* line) { fprintf(stderr, "heard: %s|\n", line); }

TEST(LogDeathTest, TheActionsLineReachesTheCallbackBeforeTheAssertion) {
    EXPECT_DEATH(
        {
            ORVEX_SetLogCallback(say_marked, nullptr);
            input_clear("x");
        },
        "heard: input_clear: bind 'x' not found\\|\n.*Assertion");
}

}  // namespace
