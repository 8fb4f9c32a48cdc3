// The game driven the way the loop drives it: engine turns fed by pushed key events, then
// player_update or the whole game_frame. Checks the square's path and turns, the end of the
// game, the exact use of rand(), the music switching and the drawn canvas.
//
// Index: Set-up and the square's rules / Music / The drawn frame

#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <orvex/orvex.hpp>

#include "game.hpp"
#include "game_world.hpp"
#include "images.hpp"
#include "player.hpp"
#include "support.hpp"

using namespace support;

namespace {

class World : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(world_start()); }
    void TearDown() override { world_stop(); }
};

[[maybe_unused]] auto* const world = ::testing::AddGlobalTestEnvironment(new World);

std::vector<int32_t> rand_sequence(unsigned seed, int32_t n) {
    srand(seed);
    std::vector<int32_t> values(n);
    for (int32_t& v : values) {
        v = rand();
    }
    return values;
}

size_t mismatches(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        n += a[i] != b[i];
    }
    return n;
}

constexpr int32_t FIRST_TURN = 289;  // held frames from the start to the first turn
constexpr int32_t LATER_TURN = 290;  // held frames between later turns

class Game : public ::testing::Test {
protected:
    Player player{};

    void SetUp() override {
        release_all_keys();
        stage = 0;
        player_init(&player);
        ORVEX_PlayMusic("res/ost.wav", 2147483647);
        restarts_before = music_restarts();
    }

    // One engine turn and one update, as the loop runs them, without drawing.
    void update(int32_t n = 1) {
        for (int32_t i = 0; i < n; ++i) {
            ORVEX_Cycle();
            player_update(&player);
        }
    }

    int32_t frame(void) {
        ORVEX_Cycle();
        return game_frame(&player);
    }

    int32_t restarts(void) const { return music_restarts() - restarts_before; }

    // Holds "move" from the start up to the frame before the seventh turn.
    void play_to_last_turn(void) {
        push_key(KEY_SPACE, true);
        update(FIRST_TURN + 5 * LATER_TURN + LATER_TURN - 1);
        ASSERT_EQ(stage, 6);
    }

    int32_t restarts_before = 0;
};

}  // namespace

//------------------------------------------------------------------------------------------
// Set-up and the square's rules
//------------------------------------------------------------------------------------------
TEST_F(Game, InitSetsTheStartingRecordAndLeavesTheStageAlone) {
    stage = 3;
    std::memset(&player, 0xAB, sizeof player);
    player_init(&player);
    EXPECT_EQ(player.x, 32.0);
    EXPECT_EQ(player.y, 240.0);
    EXPECT_EQ(player.count, 0);
    EXPECT_EQ(player.scroll_x, 0u);
    EXPECT_EQ(player.scroll_y, 0u);
    EXPECT_EQ(player.speed, 2);
    EXPECT_EQ(stage, 3);
}

TEST_F(Game, BobsOnASineStartingExactlyOnTheCentreLine) {
    update();
    EXPECT_EQ(player.y, 240.0) << "the first update uses phase 0";
    EXPECT_EQ(player.count, 1);
    double lo = 240.0, hi = 240.0;
    for (int32_t n = 1; n < 400; ++n) {
        update();
        EXPECT_DOUBLE_EQ(player.y, std::sin(n * 2 / 60.0) * 96.0 + 240.0) << n;
        lo = std::min(lo, player.y);
        hi = std::max(hi, player.y);
    }
    EXPECT_NEAR(lo, 144.0, 0.1);
    EXPECT_NEAR(hi, 336.0, 0.1);
}

TEST_F(Game, TextureWindowScrollsAndWrapsInsideTheTexture) {
    for (uint32_t n = 1; n <= 1200; ++n) {
        update();
        ASSERT_EQ(player.scroll_x, 2 * n % 368) << n;
        ASSERT_EQ(player.scroll_y, 3 * n % 224) << n;
    }
}

TEST_F(Game, HeldFromTheStartTheSquareTurnsAfter289FramesThenEvery290) {
    push_key(KEY_SPACE, true);
    std::vector<int32_t> turns;
    std::vector<double> turn_x;
    for (int32_t n = 1; n <= 2100 && turns.size() < 7; ++n) {
        int32_t before = stage;
        update();
        if (stage != before) {
            turns.push_back(n);
            turn_x.push_back(player.x);
        }
    }
    std::vector<int32_t> expected;
    for (int32_t k = 0; k < 7; ++k) {
        expected.push_back(FIRST_TURN + k * LATER_TURN);
    }
    EXPECT_EQ(turns, expected);
    EXPECT_EQ(turn_x, (std::vector<double>{610, 30, 610, 30, 610, 30, 610}));
    EXPECT_EQ(stage, 7);
}

TEST_F(Game, NeverMovesOrTurnsWhileMoveIsNotHeld) {
    update(2000);
    EXPECT_EQ(player.x, 32.0);
    EXPECT_EQ(stage, 0);

    push_key(KEY_J, true);
    update(150);
    push_key(KEY_J, false);
    double x = player.x;
    update(1000);
    EXPECT_EQ(player.x, x) << "the square waits while nothing is held";
    EXPECT_EQ(stage, 0);

    push_key(KEY_F, true);
    update(FIRST_TURN - 150 - 1);
    EXPECT_EQ(stage, 0) << "held frames count, not elapsed ones";
    update();
    EXPECT_EQ(stage, 1);
}

TEST_F(Game, AnyOfTheFourKeysMovesTheSquare) {
    for (int32_t key : MOVE_KEYS) {
        double x = player.x;
        push_key(key, true);
        update(3);
        push_key(key, false);
        update();
        EXPECT_EQ(player.x, x + 6) << "scancode " << key;
    }
}

//------------------------------------------------------------------------------------------
// Music
//------------------------------------------------------------------------------------------
TEST_F(Game, PressingRestartsTheRisingCueAndLettingGoRestartsTheTheme) {
    EXPECT_STREQ(music_playing(), "ost.wav");
    push_key(KEY_SPACE, true);
    update();
    EXPECT_STREQ(music_playing(), "rise.wav");
    EXPECT_EQ(restarts(), 1);
    update(30);
    EXPECT_EQ(restarts(), 1) << "holding does not restart the cue";
    push_key(KEY_SPACE, false);
    update();
    EXPECT_STREQ(music_playing(), "ost.wav");
    EXPECT_EQ(restarts(), 2);
    update(30);
    EXPECT_EQ(restarts(), 2);
}

TEST_F(Game, TheThemeWaitsUntilTheLastHeldKeyComesUp) {
    push_key(KEY_SPACE, true);
    update();
    push_key(KEY_J, true);
    update();
    EXPECT_EQ(restarts(), 2) << "a second key restarts the rising cue";
    EXPECT_STREQ(music_playing(), "rise.wav");

    push_key(KEY_SPACE, false);
    update();
    EXPECT_EQ(restarts(), 2) << "J is still held";
    EXPECT_STREQ(music_playing(), "rise.wav");

    push_key(KEY_J, false);
    update();
    EXPECT_EQ(restarts(), 3);
    EXPECT_STREQ(music_playing(), "ost.wav");
}

TEST_F(Game, APressAndAnotherReleaseInOneFrameKeepTheRisingCue) {
    push_key(KEY_X, true);
    update();
    push_key(KEY_X, false);
    push_key(KEY_F, true);
    update();
    EXPECT_EQ(restarts(), 2);
    EXPECT_STREQ(music_playing(), "rise.wav");
}

//------------------------------------------------------------------------------------------
// The drawn frame
//------------------------------------------------------------------------------------------
TEST_F(Game, FirstFrameDrawsTheShakenFirstPictureAndTheSquare) {
    uint32_t presented = ORVEX_GetFrameCount();
    std::vector<int32_t> r = rand_sequence(1234, 12);
    srand(1234);
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(rand(), r[11]) << "exactly 11 rand() calls";
    EXPECT_EQ(ORVEX_GetFrameCount(), presented + 1) << "the frame was presented";
    const std::vector<uint8_t> drawn = canvas_pixels();
    EXPECT_EQ(mismatches(drawn, expected_scene(stage_images[0], presented, r.data(), &player)), 0u);
}

TEST_F(Game, EveryDrawingFrameCallsRandElevenTimes) {
    push_key(KEY_SPACE, true);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        if (seed == 20) {
            push_key(KEY_SPACE, false);
        }
        std::vector<int32_t> r = rand_sequence(seed, 12);
        srand(seed);
        ASSERT_EQ(frame(), 0);
        ASSERT_EQ(rand(), r[11]) << "seed " << seed;
    }
}

TEST_F(Game, TheTurningFrameAlreadyShowsTheNextPicture) {
    push_key(KEY_SPACE, true);
    update(FIRST_TURN - 1);
    ASSERT_EQ(stage, 0);
    uint32_t presented = ORVEX_GetFrameCount();
    std::vector<int32_t> r = rand_sequence(99, 11);
    srand(99);
    ASSERT_EQ(frame(), 0);
    EXPECT_EQ(stage, 1);
    const std::vector<uint8_t> drawn = canvas_pixels();
    EXPECT_EQ(mismatches(drawn, expected_scene(stage_images[1], presented, r.data(), &player)), 0u);
}

TEST_F(Game, TheSeventhTurnEndsTheGameWithoutDrawingOrPresenting) {
    play_to_last_turn();
    px_clear(77);
    uint32_t presented = ORVEX_GetFrameCount();
    std::vector<int32_t> r = rand_sequence(5, 1);
    srand(5);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(stage, 7);
    EXPECT_EQ(rand(), r[0]) << "the last frame calls rand() not at all";
    EXPECT_EQ(ORVEX_GetFrameCount(), presented);
    EXPECT_EQ(px_get(0, 0), 77);
    EXPECT_EQ(px_get(639, 479), 77);
    EXPECT_EQ(px_get(320, 240), 77);
}

TEST_F(Game, TheMainLoopReturnsOneAtTheSeventhTurn) {
    play_to_last_turn();
    int32_t count = player.count;
    EXPECT_EQ(ORVEX_MainLoop(game_frame, &player), 1);
    EXPECT_EQ(player.count, count + 1) << "the loop stopped after that one frame";
    EXPECT_EQ(stage, 7);
}

TEST_F(Game, AStageCounterPastTheTableNeverIndexesIt) {
    for (int32_t bad : {7, 100, -1, INT32_MIN}) {
        stage = bad;
        px_clear(55);
        EXPECT_EQ(frame(), 1) << bad;
        EXPECT_EQ(px_get(10, 10), 55) << bad;
    }
}

TEST_F(Game, TheBobbingPhaseOutlivesTheCounterRange) {
    player.count = INT32_MAX;  // wraps instead of overflowing
    update();
    EXPECT_EQ(player.count, INT32_MIN);
    EXPECT_GE(player.y, 144.0);
    EXPECT_LE(player.y, 336.0);
}

//------------------------------------------------------------------------------------------
// Fullscreen keys
//------------------------------------------------------------------------------------------
TEST_F(Game, F11OrAltEnterSwitchesFullscreenEveryPressButEnterAloneDoesNot) {
    auto tap = [this](int32_t key) {
        push_key(key, true);
        frame();
        push_key(key, false);
        frame();
    };
    ASSERT_EQ(ORVEX_IsFullscreen(), 0);
    tap(SDL_SCANCODE_F11);
    EXPECT_EQ(ORVEX_IsFullscreen(), 1);
    tap(SDL_SCANCODE_RETURN);
    EXPECT_EQ(ORVEX_IsFullscreen(), 1);
    push_key(SDL_SCANCODE_RALT, true);
    tap(SDL_SCANCODE_RETURN);
    EXPECT_EQ(ORVEX_IsFullscreen(), 0);
    tap(SDL_SCANCODE_KP_ENTER);
    EXPECT_EQ(ORVEX_IsFullscreen(), 1);
    push_key(SDL_SCANCODE_RALT, false);
    tap(SDL_SCANCODE_F11);
    EXPECT_EQ(ORVEX_IsFullscreen(), 0);
}
