// Record and replay against real SDL events: a scripted stretch of play replays to the same
// state in every turn while live input is ignored, the hand-over at the end, the frame digest
// check, the rand() and frame counter reset, and files that must be refused (every cut, every
// flipped byte, foreign and newer ones) or cannot be written (a full disk). Pads and the
// mouse in a window of another size replay as recorded too.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "engine_fixture.hpp"
#include "virtual_pad.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int32_t KEY_A = SDL_SCANCODE_A;
constexpr int32_t KEY_B = SDL_SCANCODE_B;
constexpr int32_t KEY_Q = SDL_SCANCODE_Q;

using Bytes = std::vector<uint8_t>;

Bytes read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// What a program can read of one turn's input.
struct TurnState {
    KeyState a, b, q, left, pad_a;
    int32_t mouse_x, mouse_y;
    int32_t quit;
    int32_t a_presses, b_presses, left_presses, pad_a_presses;
    bool operator==(const TurnState&) const = default;
};

TurnState turn_state(void) {
    TurnState s{ORVEX_GetKeyState(KEY_A),
                ORVEX_GetKeyState(KEY_B),
                ORVEX_GetKeyState(KEY_Q),
                ORVEX_GetButtonState(SDL_BUTTON_LEFT),
                ORVEX_GetGamepadButtonState(SDL_CONTROLLER_BUTTON_A),
                0,
                0,
                ORVEX_ShouldQuit(),
                ORVEX_GetKeyPresses(KEY_A),
                ORVEX_GetKeyPresses(KEY_B),
                ORVEX_GetButtonPresses(SDL_BUTTON_LEFT),
                ORVEX_GetGamepadButtonPresses(SDL_CONTROLLER_BUTTON_A)};
    ORVEX_GetMousePos(&s.mouse_x, &s.mouse_y);
    return s;
}

// Turn by turn: A held over turns 1..4, B tapped within turn 3, the mouse moved and clicked,
// and A still held when the recording ends. Each turn presents a frame with digest 100 + turn.
constexpr int32_t SCRIPT_TURNS = 8;

void push_script_turn(int32_t turn) {
    switch (turn) {
    case 1: push_key(KEY_A, true); break;
    case 3:
        push_key(KEY_B, true);
        push_key(KEY_B, false);
        push_motion(40, 50);
        break;
    case 5: push_button(SDL_BUTTON_LEFT, true, 41, 52); break;
    case 6: push_button(SDL_BUTTON_LEFT, false, 41, 52); break;
    case 7: push_key(KEY_A, true); break;  // a second press of a held key
    default: break;
    }
}

class Record : public EngineTest {
protected:
    TempDir tmp;
    const fs::path dir = tmp.path;
    std::string file = tmp / "play.rec";

    void SetUp() override {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");  // no focus offscreen
        start();
    }

    // Records the script; answers the state the program read in each turn.
    std::vector<TurnState> record_script(void) {
        EXPECT_EQ(ORVEX_RecordInput(file.c_str()), 0);
        std::vector<TurnState> seen;
        for (int32_t turn = 1; turn <= SCRIPT_TURNS; ++turn) {
            push_script_turn(turn);
            ORVEX_Cycle();
            seen.push_back(turn_state());
            ORVEX_SetFrameDigest(100 + turn);
        }
        EXPECT_EQ(ORVEX_StopRecording(), 0);
        return seen;
    }

    // Back to a quiet engine: nothing held, the mouse elsewhere.
    void settle(void) {
        push_key(KEY_A, false);
        push_motion(300, 200);
        ORVEX_Cycle();
        ORVEX_Cycle();
    }

    std::string refusal(void) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(ORVEX_ReplayInput(file.c_str()), -1);
        EXPECT_EQ(ORVEX_IsReplaying(), 0);
        return testing::internal::GetCapturedStderr();
    }
};

//------------------------------------------------------------------------------------------
// Replaying what was recorded
//------------------------------------------------------------------------------------------
TEST_F(Record, EveryTurnReplaysToTheRecordedStateWhateverTheLiveInputDoes) {
    const std::vector<TurnState> recorded = record_script();
    ASSERT_TRUE(fs::exists(file));
    EXPECT_FALSE(fs::exists(file + ".part"));
    settle();
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    EXPECT_EQ(ORVEX_IsReplaying(), 1);
    for (int32_t turn = 1; turn <= SCRIPT_TURNS; ++turn) {
        // Live noise on every key and button the script uses; none of it may show.
        push_key(KEY_B, turn % 2 != 0);
        push_key(KEY_Q, true);
        push_motion(600 - turn, 400 + turn);
        push_button(SDL_BUTTON_LEFT, true, 1, 1);
        ORVEX_Cycle();
        EXPECT_EQ(turn_state(), recorded[turn - 1]) << "turn " << turn;
        EXPECT_EQ(ORVEX_GetLiveKeyPresses(KEY_Q), 1) << "turn " << turn;  // the player's own
        EXPECT_EQ(ORVEX_GetKeyPresses(KEY_Q), 0) << "turn " << turn;
        ORVEX_SetFrameDigest(100 + turn);
    }
    ORVEX_ReplayStatus status;
    ASSERT_EQ(ORVEX_GetReplayStatus(&status), 0);
    EXPECT_EQ(status.turns, uint32_t(SCRIPT_TURNS));
    EXPECT_EQ(status.turns_fed, uint32_t(SCRIPT_TURNS));
    EXPECT_EQ(status.frames, uint32_t(SCRIPT_TURNS));
    EXPECT_EQ(status.frames_checked, uint32_t(SCRIPT_TURNS));
    EXPECT_EQ(status.frames_differing, 0u);
    EXPECT_EQ(status.first_turn, 0u);
}

TEST_F(Record, AtTheEndWhatTheReplayHeldIsReleasedAndTheLiveInputTakesOver) {
    record_script();
    settle();
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    push_key(KEY_Q, true);  // held by the player through the whole replay
    push_motion(7, 9);
    for (int32_t turn = 1; turn <= SCRIPT_TURNS; ++turn) {
        ORVEX_Cycle();
        ORVEX_SetFrameDigest(100 + turn);
        EXPECT_EQ(ORVEX_GetKeyState(KEY_Q), ORVEX_KEY_UP);
        EXPECT_TRUE(ORVEX_GetLiveKeyState(KEY_Q) ==
                    (turn == 1 ? ORVEX_KEY_PRESSED : ORVEX_KEY_DOWN));
    }
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_DOWN);  // held to the script's end
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_IsReplaying(), 0);
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_RELEASED);
    EXPECT_EQ(ORVEX_GetKeyState(KEY_Q), ORVEX_KEY_PRESSED);
    EXPECT_EQ(orvex.input.mouse_x, 7);
    EXPECT_EQ(orvex.input.mouse_y, 9);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_A), ORVEX_KEY_UP);
    EXPECT_EQ(ORVEX_GetKeyState(KEY_Q), ORVEX_KEY_DOWN);
    push_key(KEY_Q, false);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetKeyState(KEY_Q), ORVEX_KEY_RELEASED);
}

TEST_F(Record, PadButtonsReplayWhateverTheLivePadDoesAndAreReleasedAtTheEnd) {
    constexpr int32_t PAD_A = SDL_CONTROLLER_BUTTON_A;
    VirtualPad pad;
    ORVEX_Cycle();
    ASSERT_EQ(ORVEX_GetGamepadCount(), 1);
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    pad.set(PAD_A, true);
    std::vector<KeyState> recorded;
    for (int32_t turn = 0; turn < 3; ++turn) {
        ORVEX_Cycle();
        recorded.push_back(ORVEX_GetGamepadButtonState(PAD_A));
    }
    ASSERT_EQ(ORVEX_StopRecording(), 0);  // A still held
    EXPECT_EQ(recorded, (std::vector<KeyState>{ORVEX_KEY_PRESSED, ORVEX_KEY_DOWN, ORVEX_KEY_DOWN}));
    pad.set(PAD_A, false);
    ORVEX_Cycle();
    ORVEX_Cycle();

    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    for (int32_t turn = 0; turn < 3; ++turn) {
        if (turn == 1) pad.set(PAD_A, true);  // the player's pad presses and is pulled out
        if (turn == 2) pad.unplug();
        ORVEX_Cycle();
        EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), recorded[turn]) << "turn " << turn;
    }
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_IsReplaying(), 0);
    EXPECT_EQ(ORVEX_GetGamepadCount(), 0);
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_RELEASED);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetGamepadButtonState(PAD_A), ORVEX_KEY_UP);
}

// The program reads the mouse in picture pixels: a replay in a window twice the size (or in
// fullscreen) must point at the same ones, not at the recorded window pixels.
TEST_F(Record, TheMouseReplaysToTheSamePicturePixelsInAWindowOfAnotherSize) {
    const auto present = [] {
        ASSERT_EQ(ORVEX_DrawBegin(), 0);
        ASSERT_EQ(ORVEX_DrawEnd(), 0);
    };
    present();
    ASSERT_EQ(orvex.letterbox.scale, 1.0f);
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    std::vector<std::pair<int32_t, int32_t>> recorded;
    for (int32_t turn = 0; turn < 4; ++turn) {
        if (turn != 2) push_motion(100 + 50 * turn, 60 + 40 * turn);
        ORVEX_Cycle();
        int32_t x, y;
        ORVEX_GetMousePos(&x, &y);
        recorded.emplace_back(x, y);
        present();
    }
    ASSERT_EQ(ORVEX_StopRecording(), 0);
    EXPECT_EQ(recorded[0], std::make_pair(100, 60));

    SDL_SetWindowSize(orvex.video.window, 1280, 960);
    present();
    ASSERT_EQ(orvex.letterbox.scale, 2.0f);
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    for (int32_t turn = 0; turn < 4; ++turn) {
        push_motion(7 * turn, 5 * turn);  // the player's mouse
        ORVEX_Cycle();
        int32_t x, y;
        ORVEX_GetMousePos(&x, &y);
        EXPECT_EQ(std::make_pair(x, y), recorded[turn]) << "turn " << turn;
        present();
    }
    ORVEX_Cycle();
    int32_t x, y;
    ORVEX_GetMousePos(&x, &y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(10, 7));  // (21, 15) at scale 2: live again
}

// A file of format version 1, made by the engine before it kept press counts (a fuzz seed:
// fuzz_record's "keys" script), replays with counts read from its state changes: a key that
// reads pressed went down once, and so did one released without having been held.
TEST_F(Record, AVersionOneFileReplaysWithPressesReadFromItsStateChanges) {
#ifdef _WIN32
    GTEST_SKIP() << "the file was made with glibc's rand(), which a Windows build refuses";
#endif
    constexpr int32_t SPACE = SDL_SCANCODE_SPACE, SHIFT = SDL_SCANCODE_LSHIFT;
    const struct {
        int32_t a, b, space, shift;
    } turns[] = {
        {1, 0, 0, 0}, {0, 0, 0, 0}, {0, 1, 0, 0},  // B tapped within turn 3
        {0, 0, 0, 0},                              // A repeating
        {0, 0, 1, 1},                              // A let go, Space and Shift pressed
        {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
    };
    ASSERT_EQ(ORVEX_ReplayInput(ORVEX_V1_RECORDING), 0);
    for (uint32_t t = 1; t <= std::size(turns); ++t) {
        ORVEX_Cycle();
        const auto& want = turns[t - 1];
        EXPECT_EQ(ORVEX_GetKeyPresses(KEY_A), want.a) << "turn " << t;
        EXPECT_EQ(ORVEX_GetKeyPresses(KEY_B), want.b) << "turn " << t;
        EXPECT_EQ(ORVEX_GetKeyPresses(SPACE), want.space) << "turn " << t;
        EXPECT_EQ(ORVEX_GetKeyPresses(SHIFT), want.shift) << "turn " << t;
        if (t % 4 != 0) ORVEX_SetFrameDigest(0x5EED000000000000u + t);  // as the script did
    }
    ORVEX_ReplayStatus status;
    ASSERT_EQ(ORVEX_GetReplayStatus(&status), 0);
    EXPECT_EQ(status.turns_fed, std::size(turns));
    EXPECT_EQ(status.frames_differing, 0u);
}

TEST_F(Record, ARecordingWithoutTurnsHandsBackAtOnce) {
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    ASSERT_EQ(ORVEX_StopRecording(), 0);
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    push_key(KEY_Q, true);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_IsReplaying(), 0);
    EXPECT_EQ(ORVEX_GetKeyState(KEY_Q), ORVEX_KEY_PRESSED);
}

TEST_F(Record, ARecordedQuitQuitsAndALiveQuitStillQuitsDuringAReplay) {
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    ORVEX_Cycle();
    push_quit();
    ORVEX_Cycle();
    ASSERT_EQ(ORVEX_StopRecording(), 0);
    orvex.input.quit = 0;
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_ShouldQuit(), 0);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_ShouldQuit(), 1);

    orvex.input.quit = 0;
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    push_quit();
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_ShouldQuit(), 1);
}

TEST_F(Record, RandAndTheFrameCounterStartWhereTheRecordingStarted) {
    orvex.time.frame_count = 77;
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    const int r0 = rand(), r1 = rand(), r2 = rand();
    ORVEX_Cycle();
    ASSERT_EQ(ORVEX_StopRecording(), 0);
    orvex.time.frame_count = 5;
    srand(12345);
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    EXPECT_EQ(ORVEX_GetFrameCount(), 77u);
    EXPECT_EQ(rand(), r0);
    EXPECT_EQ(rand(), r1);
    EXPECT_EQ(rand(), r2);
}

//------------------------------------------------------------------------------------------
// Frame digests
//------------------------------------------------------------------------------------------
TEST_F(Record, TheFirstFrameThatDiffersIsReportedWithItsTurnAndFrame) {
    record_script();
    settle();
    orvex.time.frame_count = 0;
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    testing::internal::CaptureStderr();
    for (int32_t turn = 1; turn <= SCRIPT_TURNS; ++turn) {
        ORVEX_Cycle();
        if (turn != 6) ORVEX_SetFrameDigest(turn == 3 || turn == 5 ? 1 : 100 + turn);
        orvex.time.frame_count++;
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "ORVEX_ReplayInput: frame 2 (turn 3 of 8) differs from the recording\n");
    ORVEX_ReplayStatus status;
    ORVEX_Cycle();  // closes turn 8 and hands over
    ASSERT_EQ(ORVEX_GetReplayStatus(&status), 0);
    EXPECT_EQ(status.replaying, 0);
    EXPECT_EQ(status.first_turn, 3u);
    EXPECT_EQ(status.first_frame, 2u);
    EXPECT_EQ(status.frames_checked, 7u);    // turn 6 presented nothing
    EXPECT_EQ(status.frames_differing, 3u);  // turns 3, 5 and 6
}

TEST_F(Record, AFrameTheRecordingDoesNotHaveIsADifference) {
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    ORVEX_Cycle();  // no frame in this turn
    ASSERT_EQ(ORVEX_StopRecording(), 0);
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    ORVEX_Cycle();
    testing::internal::CaptureStderr();
    ORVEX_SetFrameDigest(42);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("is not in the recording"),
              std::string::npos);
    ORVEX_ReplayStatus status;
    ORVEX_GetReplayStatus(&status);
    EXPECT_EQ(status.frames, 0u);
    EXPECT_EQ(status.frames_differing, 1u);
}

//------------------------------------------------------------------------------------------
// Files that are refused
//------------------------------------------------------------------------------------------
TEST_F(Record, EveryCutOfARecordingIsRefusedAndNothingIsFed) {
    record_script();
    const Bytes whole = read_bytes(file);
    ASSERT_GT(whole.size(), 60u);
    for (size_t n = 0; n < whole.size(); ++n) {
        write_bytes(file, Bytes(whole.begin(), whole.begin() + n));
        const std::string err = refusal();
        EXPECT_NE(err.find(n == 0 ? "empty" : "cut short"), std::string::npos)
            << "cut at " << n << ": " << err;
    }
    write_bytes(file, whole);
    EXPECT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
}

TEST_F(Record, EveryFlippedByteIsRefused) {
    record_script();
    const Bytes whole = read_bytes(file);
    for (size_t i = 0; i < whole.size(); ++i) {
        Bytes bad = whole;
        bad[i] ^= 0x10;
        write_bytes(file, bad);
        const std::string err = refusal();
        EXPECT_NE(err.find("ORVEX_ReplayInput: " + file + ": "), std::string::npos)
            << "byte " << i << ": " << err;
    }
}

TEST_F(Record, ForeignNewerMissingAndOtherRandFilesAreRefusedWithTheirReason) {
    record_script();
    const Bytes whole = read_bytes(file);

    write_bytes(file, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13});
    EXPECT_NE(refusal().find("not a recording"), std::string::npos);

    Bytes newer = whole;
    newer[8] = 3;  // the format version
    write_bytes(file, newer);
    EXPECT_NE(refusal().find("made by a newer version of the engine (recording format 3; this "
                             "one reads 2)"),
              std::string::npos);

    Bytes trailing = whole;
    trailing.push_back(0);
    write_bytes(file, trailing);
    EXPECT_NE(refusal().find("data after the end record"), std::string::npos);

    Bytes other_rand = whole;
    other_rand[16] ^= 1;  // the first rand() value after seeding, as another C library gives it
    const uint64_t sum = XXH3_64bits(other_rand.data(), 32);
    for (int i = 0; i < 8; ++i) other_rand[32 + i] = uint8_t(sum >> (8 * i));
    write_bytes(file, other_rand);
    EXPECT_NE(refusal().find("made with another C library's rand()"), std::string::npos);

    fs::remove(file);
    EXPECT_NE(refusal().find("No such file or directory"), std::string::npos);
    const std::string saved = file;
    file = dir.string();
    EXPECT_NE(refusal().find(dir.string()), std::string::npos);
    file = saved;
}

TEST_F(Record, ARefusedFileLeavesARunningReplayAlone) {
    record_script();
    settle();
    ASSERT_EQ(ORVEX_ReplayInput(file.c_str()), 0);
    ORVEX_Cycle();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ORVEX_ReplayInput((dir / "missing.rec").string().c_str()), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ORVEX_IsReplaying(), 1);
    ORVEX_ReplayStatus status;
    ORVEX_GetReplayStatus(&status);
    EXPECT_EQ(status.turns_fed, 1u);
}

//------------------------------------------------------------------------------------------
// Files that cannot be written
//------------------------------------------------------------------------------------------
TEST_F(Record, AFolderThatIsNotThereIsSaidAtOnce) {
    const std::string path = (dir / "no" / "such" / "play.rec").string();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ORVEX_RecordInput(path.c_str()), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(path + ".part"), std::string::npos);
    EXPECT_EQ(ORVEX_IsRecording(), 0);
}

TEST_F(Record, AFullDiskEndsTheRecordingWithoutAFileAndPlayGoesOn) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is made with a file size limit, which Windows does not have";
#else
    write_bytes(file, {'o', 'l', 'd'});
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;  // writes past 4 KiB fail as on a full disk
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    testing::internal::CaptureStderr();
    for (int32_t turn = 0; turn < 20000 && ORVEX_IsRecording(); ++turn) {
        push_key(KEY_A, turn % 2 == 0);
        push_motion(turn, turn);
        ORVEX_Cycle();
        ORVEX_SetFrameDigest(turn);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    const bool still = ORVEX_IsRecording();
    const int32_t stopped = ORVEX_StopRecording();
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(still);
    EXPECT_EQ(stopped, -1);
    EXPECT_NE(err.find("the recording has stopped"), std::string::npos) << err;
    EXPECT_EQ(read_bytes(file), (Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(fs::exists(file + ".part"));
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_StopRecording(), 0);
#endif
}

TEST_F(Record, ASecondRecordingWaitsForTheFirstToStop) {
    ASSERT_EQ(ORVEX_RecordInput(file.c_str()), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ORVEX_RecordInput((dir / "other.rec").string().c_str()), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("already recording"), std::string::npos);
    EXPECT_EQ(ORVEX_StopRecording(), 0);
    EXPECT_EQ(ORVEX_StopRecording(), 0);  // nothing left to stop
}

}  // namespace
