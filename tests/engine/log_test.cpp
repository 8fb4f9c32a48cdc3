// The one way out for every line: a program's log callback hears each line of the engine, the
// canvas and the actions without its newline, and the streams nothing; a null callback gives
// the lines back to the streams they always went to, byte for byte.
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

void collect(void* lines, const char* line) {
    static_cast<std::vector<std::string>*>(lines)->emplace_back(line);
}

TEST(Log, TheCallbackHearsEachLineAndNullGivesItBackToItsStream) {
    Engine engine;
    ASSERT_TRUE(engine.started);
    TempDir dir;
    const std::string missing = dir / "missing.bmp";
    std::string deep = dir / "folder";  // past the 1 KiB a line is first formatted into
    while (deep.size() < 1500) deep += "/folder";
    const struct {
        std::function<void()> act;
        std::string line;      // as printed, without its newline
        bool sdl_log = false;  // SDL's log by default, else stderr
    } cases[] = {
        {[] { ORVEX_ReloadResource(77); }, "ORVEX_ReloadResource: no resource with id 77"},
        {[&] { ORVEX_LoadResource(missing.c_str()); }, missing + ": No such file or directory"},
        {[&] { ORVEX_LoadResource(deep.c_str()); }, deep + ": No such file or directory"},
        {[] { ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_SOUND, "RIFF", 4); },
         "audio mixer disabled, skip loading", true},
        {[] { px_blit({}); }, "px_blit: args.img has no pixels"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> heard;
        SdlLogCapture sdl;
        ORVEX_SetLogCallback(collect, &heard);
        EXPECT_EQ(stderr_of(c.act), "") << c.line;
        ORVEX_SetLogCallback(nullptr, nullptr);
        EXPECT_EQ(heard, std::vector<std::string>{c.line});
        EXPECT_EQ(stderr_of(c.act), c.sdl_log ? "" : c.line + "\n");
        // SDL's log heard nothing while the callback was set.
        EXPECT_EQ(sdl.lines(), c.sdl_log ? heard : std::vector<std::string>{});
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
