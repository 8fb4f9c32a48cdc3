// Plinkwall's rules: where the ball goes off the bat, the walls and the bricks, what a brick
// scores, how the lives run out, and how a game starts, restarts and goes back to the title.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <tuple>

#include "rules.hpp"

namespace {

// A board in play on level 1, the ball at pixel (x, y) moving (vx, vy) SUB units a turn, with
// no bricks but the one at (row, col).
Board in_play(int32_t x, int32_t y, int32_t vx, int32_t vy, int32_t row = 0, int32_t col = 0,
              uint8_t brick = BRICK_NONE) {
    Board b;
    board_title(&b, 0);
    b.phase = PHASE_PLAY;
    b.lives = START_LIVES;
    std::memset(b.bricks, BRICK_NONE, sizeof b.bricks);
    b.bricks[row][col] = brick;
    b.bricks_left = 2;  // one more somewhere, so that a break does not end the level
    b.ball = Ball{x * SUB, y * SUB, vx, vy};
    return b;
}

// A board with the ball just under the brick at (row, col) of the given kind, rising at speed.
Board under_brick(int32_t row, int32_t col, uint8_t brick, int32_t speed) {
    const int32_t x = BRICKS_X + col * BRICK_PITCH_X + 20;
    return in_play(x, BRICKS_Y + row * BRICK_PITCH_Y + BRICK_H + 1, 0, -speed, row, col, brick);
}

void step(Board* b, Controls c = {}) { board_step(b, &c); }

}  // namespace

//------------------------------------------------------------------------------------------
// Bat
//------------------------------------------------------------------------------------------
// The angle off the bat follows where the ball struck it, up to 60 degrees either side, at
// the ball's speed, always upwards.
TEST(PlinkwallRules, TheBatSendsTheBallUpAtAnAngleSetByWhereItStruck) {
    const int32_t half = (BAT_W + BALL_SIZE) / 2;
    const std::pair<int32_t, double> cases[] = {{0, 0},     {half / 2, 30}, {-half / 2, -30},
                                                {half, 60}, {-half, -60},   {3 * half, 60}};
    for (const auto& [offset, degrees] : cases) {
        SCOPED_TRACE(offset);
        Board b;
        board_title(&b, 0);
        bat_bounce(&b, (b.bat_x + BAT_W / 2 + offset) * SUB);
        EXPECT_NEAR(std::atan2(b.ball.vx, -b.ball.vy) * 180 / std::numbers::pi, degrees, 1.0);
        EXPECT_LT(b.ball.vy, 0);
        EXPECT_NEAR(std::hypot(b.ball.vx, b.ball.vy), ball_speed(&b), 1.0);
    }
}

TEST(PlinkwallRules, TheBallBouncesOnTheBatOnlyWhenItFallsOntoIt) {
    // The ball's left edge, the bat centred at (FIELD_W - BAT_W) / 2.
    const std::pair<int32_t, bool> cases[] = {{FIELD_W / 2, true},
                                              {(FIELD_W - BAT_W) / 2 - 2, true},
                                              {100, false},
                                              {(FIELD_W + BAT_W) / 2 + 4, false}};
    for (const auto& [x, bounces] : cases) {
        Board b = in_play(x, BAT_Y - BALL_SIZE - 2, 0, 4 * SUB);
        step(&b);
        EXPECT_EQ(b.ball.vy < 0, bounces) << "x " << x;
        EXPECT_EQ((b.sounds & SOUND_BAT) != 0, bounces) << "x " << x;
    }
}

// From wherever the bat is, keys move it a step, a pointer centres it, and the walls stop it.
TEST(PlinkwallRules, TheBatFollowsKeysOrPointerAndStaysBetweenTheWalls) {
    const std::tuple<Controls, int32_t, int32_t> cases[] = {
        {{1, false, 0, false, false}, 200, 200 + BAT_STEP},
        {{-1, false, 0, false, false}, 200, 200 - BAT_STEP},
        {{-1, false, 0, false, false}, WALL_LEFT + 2, WALL_LEFT},
        {{1, true, 300, false, false}, 200, 300 - BAT_W / 2},
        {{0, true, FIELD_W, false, false}, 200, WALL_RIGHT - BAT_W},
        {{0, true, -50, false, false}, 200, WALL_LEFT},
    };
    for (const auto& [c, from, to] : cases) {
        Board b = in_play(300, 300, 0, -SUB);
        b.bat_x = from;
        step(&b, c);
        EXPECT_EQ(b.bat_x, to) << "from " << from;
    }
}

//------------------------------------------------------------------------------------------
// Walls and bricks
//------------------------------------------------------------------------------------------
TEST(PlinkwallRules, WallsTurnTheBallBackAndKeepItInside) {
    const std::tuple<int32_t, int32_t, int32_t, int32_t, bool, bool> cases[] = {
        {WALL_LEFT + 1, 300, -5 * SUB, -2 * SUB, true, false},
        {WALL_RIGHT - BALL_SIZE - 1, 300, 5 * SUB, -2 * SUB, true, false},
        {300, WALL_TOP + 1, 1 * SUB, -5 * SUB, false, true},
    };
    for (const auto& [x, y, vx, vy, vx_turns, vy_turns] : cases) {
        Board b = in_play(x, y, vx, vy);
        step(&b);
        EXPECT_EQ(std::pair(b.ball.vx == -vx, b.ball.vy == -vy), std::pair(vx_turns, vy_turns));
        EXPECT_GE(b.ball.x, WALL_LEFT * SUB);
        EXPECT_LE(b.ball.x, (WALL_RIGHT - BALL_SIZE) * SUB);
        EXPECT_GE(b.ball.y, WALL_TOP * SUB);
        EXPECT_TRUE(b.sounds & SOUND_WALL);
    }
}

// A plain brick breaks and scores by its row; a hard one cracks first and scores nothing
// until its second hit. Either way the ball turns back, whatever its speed: it never passes
// through. The last brick clears the wall, and the next level follows.
TEST(PlinkwallRules, BricksBreakScoreByRowHardOnesCrackFirstAndTheLastClearsTheWall) {
    const std::tuple<int32_t, uint8_t, uint8_t, int32_t, uint32_t> cases[] = {
        {5, BRICK_PLAIN, BRICK_NONE, 10, SOUND_BRICK},
        {0, BRICK_PLAIN, BRICK_NONE, 70, SOUND_BRICK},
        {0, BRICK_HARD, BRICK_CRACKED, 0, SOUND_HARD},
        {0, BRICK_CRACKED, BRICK_NONE, 70, SOUND_BRICK},
    };
    for (int32_t speed : {2 * SUB, 10 * SUB}) {
        for (const auto& [row, brick, after, points, sound] : cases) {
            SCOPED_TRACE(testing::Message() << "row " << row << " speed " << speed);
            Board b = under_brick(row, 3, brick, speed);
            step(&b);
            EXPECT_EQ(std::pair(b.bricks[row][3], b.score), std::pair(after, points));
            EXPECT_GT(b.ball.vy, 0);
            EXPECT_GE(b.ball.y, (BRICKS_Y + row * BRICK_PITCH_Y + BRICK_H) * SUB);
            EXPECT_TRUE(b.sounds & sound);
        }
    }
    EXPECT_EQ(std::pair(brick_points(-1), brick_points(BRICK_ROWS)), std::pair(0, 0));

    Board b = under_brick(2, 4, BRICK_PLAIN, 3 * SUB);
    b.bricks_left = 1;
    step(&b);
    EXPECT_EQ(b.phase, PHASE_CLEARED);
    EXPECT_TRUE(b.sounds & SOUND_LEVEL);
    for (int32_t i = 0; i < CLEARED_TURNS; ++i) step(&b);
    EXPECT_EQ(std::tuple(b.phase, b.level, b.score), std::tuple(PHASE_SERVE, 2, brick_points(2)));
    EXPECT_GT(b.bricks_left, 0);
}

//------------------------------------------------------------------------------------------
// Lives and phases
//------------------------------------------------------------------------------------------
TEST(PlinkwallRules, AFallenBallCostsALifeAndTheLastOneEndsTheGame) {
    // Lives before, then the phase, the sound and the best score, from a score of 500 over 300.
    const std::tuple<int32_t, Phase, uint32_t, int32_t> cases[] = {
        {3, PHASE_LOST, SOUND_LOSE, 300}, {1, PHASE_OVER, SOUND_OVER, 500}};
    for (const auto& [lives, phase, sound, best] : cases) {
        Board b = in_play(300, FIELD_H - 1, 0, 4 * SUB);
        b.lives = lives;
        b.score = 500;
        b.best = 300;
        step(&b);
        EXPECT_EQ(std::tuple(b.phase, b.lives, b.best), std::tuple(phase, lives - 1, best));
        EXPECT_TRUE(b.sounds & sound);
    }
    Board lost = in_play(300, FIELD_H - 1, 0, 4 * SUB);
    for (int32_t i = 0; i <= LOST_TURNS; ++i) step(&lost);
    EXPECT_EQ(lost.phase, PHASE_SERVE);
    EXPECT_EQ(lost.ball.y, (BAT_Y - BALL_SIZE) * SUB);  // back on the bat
}

// What launch and back do in each phase: start, serve, restart after the game over's pause,
// back to the title (keeping the best score), and leave from the title.
TEST(PlinkwallRules, LaunchAndBackMoveBetweenTitlePlayAndGameOver) {
    const Controls launch = {0, false, 0, true, false}, back = {0, false, 0, false, true};
    // From a phase and its timer, with lives and a score of 40 and a best of 90: the phase after
    // the controls, whether the game quits, the lives and the score. The best stays.
    const std::tuple<Phase, int32_t, Controls, Phase, bool, int32_t, int32_t> cases[] = {
        {PHASE_TITLE, 5, launch, PHASE_SERVE, false, START_LIVES, 0},
        {PHASE_TITLE, 5, back, PHASE_TITLE, true, 0, 40},
        {PHASE_SERVE, 5, launch, PHASE_PLAY, false, 2, 40},
        {PHASE_PLAY, 5, back, PHASE_TITLE, false, 0, 0},
        {PHASE_OVER, 2, launch, PHASE_OVER, false, 0, 40},
        {PHASE_OVER, OVER_WAIT, launch, PHASE_SERVE, false, START_LIVES, 0},
        {PHASE_OVER, 2, back, PHASE_TITLE, false, 0, 0},
    };
    for (const auto& [phase, timer, c, then, quit, lives, score] : cases) {
        Board b;
        board_title(&b, 90);
        b.phase = phase;
        b.timer = timer;
        b.lives = phase == PHASE_TITLE || phase == PHASE_OVER ? 0 : 2;
        b.score = 40;
        step(&b, c);
        EXPECT_EQ(std::tuple(b.phase, b.quit, b.lives, b.score, b.best),
                  std::tuple(then, quit, lives, score, 90))
            << "from phase " << phase;
    }
}
