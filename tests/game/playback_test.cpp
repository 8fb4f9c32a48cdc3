// The game recorded and replayed whole: a scripted play-through replays frame for frame in
// this process and in a fresh `quillow --replay FILE --check`, and a changed game is caught at
// its first frame. The world is test_game's (game_test.cpp); the engine's tests check the
// verdict lines themselves (tests/engine/command_line_test.cpp).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <orvex/orvex.hpp>

#include "game.hpp"
#include "playback.hpp"
#include "playthrough.hpp"
#include "support.hpp"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t TURNS_TO_END = 289 + 6 * 290;  // held turns up to the seventh wall turn

class Playback : public ::testing::Test {
protected:
    static inline std::string file;
    static inline PlaythroughRun recorded;

    // One recording for the whole suite: a play-through takes a few seconds.
    static void SetUpTestSuite() {
        file = (fs::temp_directory_path() / ("quillow-play-" + std::to_string(getpid()) + ".rec"))
                   .string();
        ASSERT_TRUE(playthrough_record(file.c_str(), &recorded));
    }
    static void TearDownTestSuite() { fs::remove(file); }

    static ORVEX_ReplayStatus status(void) {
        ORVEX_ReplayStatus s;
        ORVEX_GetReplayStatus(&s);
        return s;
    }
};

TEST_F(Playback, TheRecordedPlayEndsAtTheSeventhTurnLikeAnUnrecordedOne) {
    EXPECT_EQ(recorded.loop_result, 1);
    EXPECT_EQ(recorded.turns, TURNS_TO_END);
    EXPECT_EQ(recorded.digests.size(), TURNS_TO_END - 1);  // the last turn draws nothing
}

TEST_F(Playback, ReplayedInTheSameProcessEveryFrameIsTheRecordedOne) {
    PlaythroughRun replayed;
    ASSERT_TRUE(playthrough_replay(file.c_str(), &replayed));
    EXPECT_EQ(replayed.loop_result, 1);
    EXPECT_EQ(replayed.turns, recorded.turns);  // the seventh turn on the same frame
    EXPECT_EQ(replayed.digests, recorded.digests);
    const ORVEX_ReplayStatus s = status();
    EXPECT_EQ(s.turns, TURNS_TO_END);
    EXPECT_EQ(s.turns_fed, TURNS_TO_END);
    EXPECT_EQ(s.frames, TURNS_TO_END - 1);
    EXPECT_EQ(s.frames_checked, TURNS_TO_END - 1);
    EXPECT_EQ(s.frames_differing, 0u);
    char line[256];
    EXPECT_TRUE(ORVEX_ReplayVerdict(&s, false, line, sizeof line)) << line;
}

TEST_F(Playback, ReplayedByTheGameInAFreshProcessEveryFrameMatches) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows shell cannot start the game by its build path; the replay "
                    "check of the committed play-through runs it instead";
#else
    const std::string command = std::string(QUILLOW_BINARY) + " --replay '" + file + "' --check";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    char line[256] = {};
    std::string said;
    while (fgets(line, sizeof line, out)) said += line;
    const int status = pclose(out);
    EXPECT_EQ(said, "replay check passed: all 2028 frames of 2029 turns match\n");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

TEST_F(Playback, AGameThatPlaysDifferentlyIsCaughtAtItsFirstFrame) {
    testing::internal::CaptureStderr();
    PlaythroughRun replayed;
    ASSERT_TRUE(playthrough_replay(file.c_str(), &replayed, [](Player* p) { p->speed = 3; }));
    const std::string err = testing::internal::GetCapturedStderr();
    const ORVEX_ReplayStatus s = status();
    EXPECT_EQ(s.first_turn, 1u);
    EXPECT_EQ(s.first_frame, recorded.first_frame);
    const std::string said = "frame " + std::to_string(recorded.first_frame) +
                             " (turn 1 of 2029) differs from the recording";
    EXPECT_NE(err.find(said), std::string::npos) << err;
    EXPECT_LT(replayed.turns, TURNS_TO_END);  // a faster square ends the game sooner
    char line[256];
    EXPECT_FALSE(ORVEX_ReplayVerdict(&s, false, line, sizeof line));
}

//------------------------------------------------------------------------------------------
// Hostile paths, given to the game itself
//------------------------------------------------------------------------------------------
#ifndef _WIN32
struct GameRun {
    int status;  // exit status; 124 (timeout's) when it still ran after 20 s
    std::string said;
};

GameRun run_game(const std::string& args) {
    const std::string command = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 20 " +
                                std::string(QUILLOW_BINARY) + " " + args + " 2>&1 </dev/null";
    FILE* out = popen(command.c_str(), "r");
    GameRun run = {-1, ""};
    if (!out) return run;
    char line[512];
    while (fgets(line, sizeof line, out)) run.said += line;
    const int status = pclose(out);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Nothing that is not a regular file is opened in a way that waits: each ends at once with
// status 1 and says what the path leads to.
TEST(HostilePaths, RecordingsThatAreNoFileEndAtOnceWithTheReason) {
    support::TempDir dir;
    ASSERT_EQ(mkfifo((dir / "fifo.rec").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "part.rec.part").c_str(), 0600), 0);
    fs::create_directory(dir.path / "folder.rec");
    fs::create_symlink(dir.path / "none" / "x", dir.path / "dangling.rec");
    fs::create_symlink(dir.path / "none" / "x", dir.path / "dangling.rec.part");
    const struct {
        const char* option;
        std::string path;
        std::string reason;
    } cases[] = {
        {"--replay", dir / "fifo.rec", dir / "fifo.rec: is a FIFO"},
        {"--replay", dir / "folder.rec", dir / "folder.rec: is a directory"},
        {"--replay", "/proc/self/status", "/proc/self/status: not a recording"},
        {"--replay", "/dev/null", "/dev/null: is a character device"},
        {"--replay", dir / "dangling.rec", dir / "dangling.rec: No such file or directory"},
        {"--record", dir / "fifo.rec", dir / "fifo.rec: is a FIFO"},
        {"--record", dir / "part.rec", dir / "part.rec.part: is a FIFO"},
        {"--record", dir / "folder.rec", dir / "folder.rec: is a directory"},
        {"--record", "/dev/null", "/dev/null: is a character device"},
        {"--record", "/proc/self/status", "/proc/self/status.part: No such file or directory"},
        {"--record", dir / "dangling.rec", dir / "dangling.rec.part: No such file or directory"},
    };
    for (const auto& c : cases) {
        const bool replay = std::string(c.option) == "--replay";
        const GameRun run =
            run_game(std::string(c.option) + " '" + c.path + "'" + (replay ? " --check" : ""));
        EXPECT_EQ(run.status, 1) << c.option << " " << c.path << ": " << run.said;
        EXPECT_NE(run.said.find(c.reason), std::string::npos) << run.said;
    }
}
#endif

}  // namespace
