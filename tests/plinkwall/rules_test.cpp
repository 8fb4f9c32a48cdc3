// Plinkwall's rules: where the ball goes off the bat, the walls and the bricks, what a brick
// scores, how the lives run out, and how a game starts, restarts and goes back to the title.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "rules.hpp"

namespace {

// A board in play on level 1 with no bricks but the one at (row, col), the ball at pixel
// (x, y) moving (vx, vy) SUB units a turn.
Board in_play(int32_t row, int32_t col, uint8_t brick, int32_t x, int32_t y, int32_t vx,
              int32_t vy) {
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

void step(Board* b, Controls c = {}) { board_step(b, &c); }

int32_t brick_left(int32_t col) { return BRICKS_X + col * BRICK_PITCH_X; }
int32_t brick_top(int32_t row) { return BRICKS_Y + row * BRICK_PITCH_Y; }

}  // namespace

//------------------------------------------------------------------------------------------
// Bat
//------------------------------------------------------------------------------------------
// The angle off the bat follows where the ball struck it, up to 60 degrees either side, at
// the ball's speed, always upwards.
TEST(PlinkwallRules, TheBatSendsTheBallUpAtAnAngleSetByWhereItStruck) {
    const int32_t half = (BAT_W + BALL_SIZE) / 2;
    const struct {
        int32_t offset;  // pixels from the bat's centre
        double degrees;
    } cases[] = {{0, 0},     {half / 2, 30}, {-half / 2, -30},
                 {half, 60}, {-half, -60},   {3 * half, 60}};
    for (const auto& c : cases) {
        Board b;
        board_title(&b, 0);
        bat_bounce(&b, (b.bat_x + BAT_W / 2 + c.offset) * SUB);
        const double angle = std::atan2(b.ball.vx, -b.ball.vy) * 180 / 3.14159265358979;
        EXPECT_NEAR(angle, c.degrees, 1.0) << "offset " << c.offset;
        EXPECT_LT(b.ball.vy, 0) << "offset " << c.offset;
        EXPECT_NEAR(std::hypot(b.ball.vx, b.ball.vy), ball_speed(&b), 1.0);
    }
}

TEST(PlinkwallRules, TheBallBouncesOnTheBatOnlyWhenItFallsOntoIt) {
    const struct {
        int32_t x;  // the ball's left edge, the bat centred at (FIELD_W - BAT_W) / 2
        bool bounces;
    } cases[] = {{FIELD_W / 2, true},
                 {(FIELD_W - BAT_W) / 2 - 2, true},
                 {100, false},
                 {(FIELD_W + BAT_W) / 2 + 4, false}};
    for (const auto& c : cases) {
        Board b = in_play(0, 0, BRICK_NONE, c.x, BAT_Y - BALL_SIZE - 2, 0, 4 * SUB);
        step(&b);
        EXPECT_EQ(b.ball.vy < 0, c.bounces) << "x " << c.x;
        EXPECT_EQ((b.sounds & SOUND_BAT) != 0, c.bounces) << "x " << c.x;
    }
}

//------------------------------------------------------------------------------------------
// Walls and bricks
//------------------------------------------------------------------------------------------
TEST(PlinkwallRules, WallsTurnTheBallBackAndKeepItInside) {
    const struct {
        int32_t x, y, vx, vy;
        bool vx_turns, vy_turns;
    } cases[] = {
        {WALL_LEFT + 1, 300, -5 * SUB, -2 * SUB, true, false},
        {WALL_RIGHT - BALL_SIZE - 1, 300, 5 * SUB, -2 * SUB, true, false},
        {300, WALL_TOP + 1, 1 * SUB, -5 * SUB, false, true},
    };
    for (const auto& c : cases) {
        Board b = in_play(0, 0, BRICK_NONE, c.x, c.y, c.vx, c.vy);
        step(&b);
        EXPECT_EQ(b.ball.vx == -c.vx, c.vx_turns);
        EXPECT_EQ(b.ball.vy == -c.vy, c.vy_turns);
        EXPECT_GE(b.ball.x, WALL_LEFT * SUB);
        EXPECT_LE(b.ball.x, (WALL_RIGHT - BALL_SIZE) * SUB);
        EXPECT_GE(b.ball.y, WALL_TOP * SUB);
        EXPECT_TRUE(b.sounds & SOUND_WALL);
    }
}

// A plain brick breaks and scores by its row; a hard one cracks first and scores nothing
// until its second hit. Either way the ball turns back, whatever its speed: it never passes
// through.
TEST(PlinkwallRules, BricksBreakScoreByRowAndHardOnesCrackFirst) {
    const struct {
        int32_t row;
        uint8_t brick, after;
        int32_t points;
        uint32_t sound;
    } cases[] = {
        {5, BRICK_PLAIN, BRICK_NONE, 10, SOUND_BRICK},
        {0, BRICK_PLAIN, BRICK_NONE, 70, SOUND_BRICK},
        {0, BRICK_HARD, BRICK_CRACKED, 0, SOUND_HARD},
        {0, BRICK_CRACKED, BRICK_NONE, 70, SOUND_BRICK},
    };
    for (int32_t speed : {2 * SUB, 10 * SUB}) {
        for (const auto& c : cases) {
            Board b = in_play(c.row, 3, c.brick, brick_left(3) + 20, brick_top(c.row) + BRICK_H + 1,
                              0, -speed);
            step(&b);
            EXPECT_EQ(b.bricks[c.row][3], c.after) << "row " << c.row << " speed " << speed;
            EXPECT_EQ(b.score, c.points);
            EXPECT_GT(b.ball.vy, 0);
            EXPECT_GE(b.ball.y, (brick_top(c.row) + BRICK_H) * SUB);
            EXPECT_TRUE(b.sounds & c.sound);
        }
    }
    EXPECT_EQ(brick_points(-1), 0);
    EXPECT_EQ(brick_points(BRICK_ROWS), 0);
}

TEST(PlinkwallRules, TheLastBrickClearsTheWallAndTheNextLevelFollows) {
    Board b =
        in_play(2, 4, BRICK_PLAIN, brick_left(4) + 20, brick_top(2) + BRICK_H + 1, 0, -3 * SUB);
    b.bricks_left = 1;
    step(&b);
    EXPECT_EQ(b.phase, PHASE_CLEARED);
    EXPECT_TRUE(b.sounds & SOUND_LEVEL);
    for (int32_t i = 0; i < CLEARED_TURNS; ++i) step(&b);
    EXPECT_EQ(b.phase, PHASE_SERVE);
    EXPECT_EQ(b.level, 2);
    EXPECT_GT(b.bricks_left, 0);
    EXPECT_EQ(b.score, brick_points(2));
}

//------------------------------------------------------------------------------------------
// Lives and phases
//------------------------------------------------------------------------------------------
TEST(PlinkwallRules, AFallenBallCostsALifeAndTheLastOneEndsTheGame) {
    const struct {
        int32_t lives;
        Phase phase;
        uint32_t sound;
        int32_t best;  // with a score of 500 and a best of 300 before
    } cases[] = {{3, PHASE_LOST, SOUND_LOSE, 300}, {1, PHASE_OVER, SOUND_OVER, 500}};
    for (const auto& c : cases) {
        Board b = in_play(0, 0, BRICK_NONE, 300, FIELD_H - 1, 0, 4 * SUB);
        b.lives = c.lives;
        b.score = 500;
        b.best = 300;
        step(&b);
        EXPECT_EQ(b.phase, c.phase);
        EXPECT_EQ(b.lives, c.lives - 1);
        EXPECT_TRUE(b.sounds & c.sound);
        EXPECT_EQ(b.best, c.best);
    }
    Board lost = in_play(0, 0, BRICK_NONE, 300, FIELD_H - 1, 0, 4 * SUB);
    for (int32_t i = 0; i <= LOST_TURNS; ++i) step(&lost);
    EXPECT_EQ(lost.phase, PHASE_SERVE);
    EXPECT_EQ(lost.ball.y, (BAT_Y - BALL_SIZE) * SUB);  // back on the bat
}

// What launch and back do in each phase: start, serve, restart after the game over's pause,
// back to the title (keeping the best score), and leave from the title.
TEST(PlinkwallRules, LaunchAndBackMoveBetweenTitlePlayAndGameOver) {
    const Controls launch = {0, false, 0, true, false}, back = {0, false, 0, false, true};
    const struct {
        Phase phase;
        int32_t timer;
        Controls c;
        Phase then;
        bool quit;
        int32_t lives, score, best;
    } cases[] = {
        {PHASE_TITLE, 5, launch, PHASE_SERVE, false, START_LIVES, 0, 90},
        {PHASE_TITLE, 5, back, PHASE_TITLE, true, 0, 40, 90},
        {PHASE_SERVE, 5, launch, PHASE_PLAY, false, 2, 40, 90},
        {PHASE_PLAY, 5, back, PHASE_TITLE, false, 0, 0, 90},
        {PHASE_OVER, 2, launch, PHASE_OVER, false, 0, 40, 90},
        {PHASE_OVER, OVER_WAIT, launch, PHASE_SERVE, false, START_LIVES, 0, 90},
        {PHASE_OVER, 2, back, PHASE_TITLE, false, 0, 0, 90},
    };
    for (const auto& c : cases) {
        Board b;
        board_title(&b, 90);
        b.phase = c.phase;
        b.timer = c.timer;
        b.lives = c.phase == PHASE_TITLE || c.phase == PHASE_OVER ? 0 : 2;
        b.score = 40;
        board_step(&b, &c.c);
        EXPECT_EQ(b.phase, c.then) << "from phase " << c.phase;
        EXPECT_EQ(b.quit, c.quit) << "from phase " << c.phase;
        EXPECT_EQ(b.lives, c.lives) << "from phase " << c.phase;
        EXPECT_EQ(b.score, c.score) << "from phase " << c.phase;
        EXPECT_EQ(b.best, c.best) << "from phase " << c.phase;
    }
}

TEST(PlinkwallRules, TheBatFollowsKeysOrPointerAndStaysBetweenTheWalls) {
    const struct {
        Controls c;
        int32_t from, to;
    } cases[] = {
        {{1, false, 0, false, false}, 200, 200 + BAT_STEP},
        {{-1, false, 0, false, false}, 200, 200 - BAT_STEP},
        {{-1, false, 0, false, false}, WALL_LEFT + 2, WALL_LEFT},
        {{1, true, 300, false, false}, 200, 300 - BAT_W / 2},
        {{0, true, FIELD_W, false, false}, 200, WALL_RIGHT - BAT_W},
        {{0, true, -50, false, false}, 200, WALL_LEFT},
    };
    for (const auto& c : cases) {
        Board b = in_play(0, 0, BRICK_NONE, 300, 300, 0, -SUB);
        b.bat_x = c.from;
        board_step(&b, &c.c);
        EXPECT_EQ(b.bat_x, c.to) << "from " << c.from;
    }
}
