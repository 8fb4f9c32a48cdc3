// The rules, one turn at a time. The ball moves in small sub-steps (never more than three
// pixels), first along x and then along y, so that it never passes through a brick and each
// axis reflects on its own: a wall or brick met along x turns vx round, along y turns vy.
// Off the bat the ball leaves at an angle set by where it struck, up to 60 degrees either
// side of straight up, so the player aims by catching it off-centre.
//
// Index: Bricks / Ball / Phases / Turn / Digest
#include "rules.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

//------------------------------------------------------------------------------------------
// Bricks
//------------------------------------------------------------------------------------------
namespace {

constexpr int32_t MAX_STEP = 3 * SUB;  // longest sub-step along either axis
constexpr double MAX_ANGLE = 60.0 * 3.14159265358979323846 / 180.0;
constexpr double SERVE_ANGLE = 20.0 * 3.14159265358979323846 / 180.0;

// Three walls in turn: full; a pyramid; stripes with a hard top row.
uint8_t brick_in_level(int32_t level, int32_t row, int32_t col) {
    switch ((level - 1) % 3) {
    case 0: return row == 0 ? BRICK_HARD : BRICK_PLAIN;
    case 1:
        return (col >= row / 2 + 1 && col < BRICK_COLS - row / 2 - 1) || row >= 4 ? BRICK_PLAIN
                                                                                  : BRICK_NONE;
    default:
        if (row % 2) return col % 2 ? BRICK_PLAIN : BRICK_NONE;
        return row == 0 ? BRICK_HARD : BRICK_PLAIN;
    }
}

void build_wall(Board* b) {
    b->bricks_left = 0;
    for (int32_t row = 0; row < BRICK_ROWS; ++row) {
        for (int32_t col = 0; col < BRICK_COLS; ++col) {
            b->bricks[row][col] = brick_in_level(b->level, row, col);
            b->bricks_left += b->bricks[row][col] != BRICK_NONE ? 1 : 0;
        }
    }
}

// Strikes the first standing brick the ball overlaps; true when there was one.
bool strike_brick(Board* b) {
    const int32_t x0 = b->ball.x / SUB - BRICKS_X, y0 = b->ball.y / SUB - BRICKS_Y;
    const int32_t x1 = x0 + BALL_SIZE - 1, y1 = y0 + BALL_SIZE - 1;
    for (int32_t row = 0; row < BRICK_ROWS; ++row) {
        for (int32_t col = 0; col < BRICK_COLS; ++col) {
            const int32_t bx = col * BRICK_PITCH_X, by = row * BRICK_PITCH_Y;
            uint8_t* brick = &b->bricks[row][col];
            if (*brick == BRICK_NONE || x1 < bx || x0 >= bx + BRICK_W || y1 < by ||
                y0 >= by + BRICK_H)
                continue;
            b->hits += 1;
            if (*brick == BRICK_HARD) {
                *brick = BRICK_CRACKED;
                b->sounds |= SOUND_HARD;
                return true;
            }
            *brick = BRICK_NONE;
            b->bricks_left -= 1;
            b->score += brick_points(row);
            b->sounds |= SOUND_BRICK;
            return true;
        }
    }
    return false;
}

}  // namespace

int32_t brick_points(int32_t row) {
    static constexpr int32_t POINTS[BRICK_ROWS] = {70, 50, 40, 30, 20, 10};
    return row >= 0 && row < BRICK_ROWS ? POINTS[row] : 0;
}

//------------------------------------------------------------------------------------------
// Ball
//------------------------------------------------------------------------------------------
// 4.5 pixels a turn at first, faster with each level and every eight bricks, at most 10.
int32_t ball_speed(const Board* b) {
    const int32_t speed = 72 + 8 * (b->level - 1) + 4 * (b->hits / 8);
    return speed < 10 * SUB ? speed : 10 * SUB;
}

static void aim(Ball* ball, int32_t speed, double angle) {
    ball->vx = static_cast<int32_t>(std::lround(speed * std::sin(angle)));
    ball->vy = -static_cast<int32_t>(std::lround(speed * std::cos(angle)));
}

void bat_bounce(Board* b, int32_t ball_centre) {
    const int32_t half = (BAT_W + BALL_SIZE) / 2 * SUB;
    const int32_t offset = ball_centre - (b->bat_x * SUB + BAT_W * SUB / 2);
    const double reach = static_cast<double>(offset < -half  ? -half
                                             : offset > half ? half
                                                             : offset);
    aim(&b->ball, ball_speed(b), reach / half * MAX_ANGLE);
}

static void enter(Board* b, Phase phase) {
    b->phase = phase;
    b->timer = 0;
}

static void sit_on_bat(Board* b) {
    b->ball = Ball{(b->bat_x + (BAT_W - BALL_SIZE) / 2) * SUB, (BAT_Y - BALL_SIZE) * SUB, 0, 0};
}

// Along x: the side walls and the bricks turn vx round.
static void move_x(Board* b, int32_t dx) {
    Ball* ball = &b->ball;
    ball->x += dx;
    if (ball->x < WALL_LEFT * SUB || ball->x > (WALL_RIGHT - BALL_SIZE) * SUB) {
        ball->x = ball->x < WALL_LEFT * SUB ? WALL_LEFT * SUB : (WALL_RIGHT - BALL_SIZE) * SUB;
        ball->vx = -ball->vx;
        b->sounds |= SOUND_WALL;
    } else if (strike_brick(b)) {
        ball->x -= dx;
        ball->vx = -ball->vx;
    }
}

// Along y: the top wall and the bricks turn vy round; the bat sends the ball back up only
// while it falls onto the bat's top.
static void move_y(Board* b, int32_t dy) {
    Ball* ball = &b->ball;
    const int32_t bottom_before = ball->y + BALL_SIZE * SUB;
    ball->y += dy;
    const int32_t centre = ball->x + BALL_SIZE * SUB / 2;
    if (ball->y < WALL_TOP * SUB) {
        ball->y = WALL_TOP * SUB;
        ball->vy = -ball->vy;
        b->sounds |= SOUND_WALL;
    } else if (strike_brick(b)) {
        ball->y -= dy;
        ball->vy = -ball->vy;
    } else if (dy > 0 && bottom_before <= BAT_Y * SUB && ball->y + BALL_SIZE * SUB > BAT_Y * SUB &&
               centre >= (b->bat_x - BALL_SIZE / 2) * SUB &&
               centre <= (b->bat_x + BAT_W + BALL_SIZE / 2) * SUB) {
        ball->y = (BAT_Y - BALL_SIZE) * SUB;
        bat_bounce(b, centre);
        b->sounds |= SOUND_BAT;
    }
}

// The turn's motion in equal sub-steps, the remainders spread so that they add up exactly; a
// bounce turns the velocity, and the rest of the turn follows the new one.
static void move_ball(Board* b) {
    const int32_t longest = std::max(std::abs(b->ball.vx), std::abs(b->ball.vy));
    const int32_t steps = longest / MAX_STEP + 1;
    for (int32_t i = 0; i < steps && b->phase == PHASE_PLAY; ++i) {
        move_x(b, b->ball.vx * (i + 1) / steps - b->ball.vx * i / steps);
        move_y(b, b->ball.vy * (i + 1) / steps - b->ball.vy * i / steps);
        if (b->bricks_left == 0) {
            b->sounds |= SOUND_LEVEL;
            enter(b, PHASE_CLEARED);
        }
    }
}

//------------------------------------------------------------------------------------------
// Phases
//------------------------------------------------------------------------------------------
void board_title(Board* b, int32_t best) {
    *b = Board{};
    b->phase = PHASE_TITLE;
    b->best = best;
    b->level = 1;
    b->bat_x = (FIELD_W - BAT_W) / 2;
    build_wall(b);
    sit_on_bat(b);
}

static void new_game(Board* b) {
    board_title(b, b->best);
    b->lives = START_LIVES;
    b->sounds = SOUND_START;
    enter(b, PHASE_SERVE);
}

static void serve(Board* b) {
    b->serves += 1;
    aim(&b->ball, ball_speed(b), b->serves % 2 ? SERVE_ANGLE : -SERVE_ANGLE);
    b->sounds |= SOUND_BAT;
    enter(b, PHASE_PLAY);
}

static void lose_ball(Board* b) {
    b->lives -= 1;
    if (b->lives > 0) {
        b->sounds |= SOUND_LOSE;
        enter(b, PHASE_LOST);
        return;
    }
    b->sounds |= SOUND_OVER;
    if (b->score > b->best) b->best = b->score;
    enter(b, PHASE_OVER);
}

static void next_level(Board* b) {
    b->level += 1;
    b->hits = 0;
    build_wall(b);
    sit_on_bat(b);
    enter(b, PHASE_SERVE);
}

//------------------------------------------------------------------------------------------
// Turn
//------------------------------------------------------------------------------------------
static void move_bat(Board* b, const Controls* c) {
    int32_t x = c->pointer ? c->pointer_x - BAT_W / 2 : b->bat_x + c->steer * BAT_STEP;
    if (x < WALL_LEFT) x = WALL_LEFT;
    if (x > WALL_RIGHT - BAT_W) x = WALL_RIGHT - BAT_W;
    b->bat_x = x;
}

static void play_turn(Board* b, const Controls* c) {
    move_bat(b, c);
    switch (b->phase) {
    case PHASE_SERVE:
        sit_on_bat(b);
        if (c->launch) serve(b);
        break;
    case PHASE_PLAY:
        move_ball(b);
        if (b->phase == PHASE_PLAY && b->ball.y > FIELD_H * SUB) lose_ball(b);
        break;
    case PHASE_LOST:
        if (b->timer >= LOST_TURNS) {
            enter(b, PHASE_SERVE);
            sit_on_bat(b);
        }
        break;
    case PHASE_CLEARED:
        if (b->timer >= CLEARED_TURNS) next_level(b);
        break;
    default: break;
    }
}

void board_step(Board* b, const Controls* c) {
    b->sounds = 0;
    b->timer += 1;
    if (c->back) {
        if (b->phase == PHASE_TITLE) {
            b->quit = true;
        } else {
            board_title(b, b->score > b->best ? b->score : b->best);
        }
        return;
    }
    if (b->phase == PHASE_TITLE) {
        if (c->launch) new_game(b);
    } else if (b->phase == PHASE_OVER) {
        if (c->launch && b->timer > OVER_WAIT) new_game(b);
    } else {
        play_turn(b, c);
    }
}

//------------------------------------------------------------------------------------------
// Digest
//------------------------------------------------------------------------------------------
// FNV-1a over the fields, one at a time (the record's padding is never read).
static void mix(uint64_t* h, int64_t v) {
    for (int32_t i = 0; i < 8; ++i) {
        *h ^= static_cast<uint8_t>(v >> (8 * i));
        *h *= 1099511628211ull;
    }
}

uint64_t board_digest(const Board* b) {
    uint64_t h = 14695981039346656037ull;
    for (int64_t v : {int64_t(b->phase), int64_t(b->timer), int64_t(b->bat_x), int64_t(b->ball.x),
                      int64_t(b->ball.y), int64_t(b->ball.vx), int64_t(b->ball.vy),
                      int64_t(b->score), int64_t(b->best), int64_t(b->lives), int64_t(b->level)})
        mix(&h, v);
    for (const auto& row : b->bricks)
        for (uint8_t brick : row) mix(&h, brick);
    return h;
}
