// Plinkwall's rules: the field, the bat, the ball and the wall of bricks, the score, the lives
// and the phases from the title to the game over, advanced one turn at a time from the
// player's controls. Nothing here draws, plays or reads a device: main.cpp turns the engine's
// input into Controls, and draw.cpp and the sounds follow the Board.
#pragma once

#include <cstdint>

//------------------------------------------------------------------------------------------
// Field
//------------------------------------------------------------------------------------------
constexpr int32_t FIELD_W = 640, FIELD_H = 480;
constexpr int32_t SUB = 16;  // the ball moves in sixteenths of a pixel
constexpr int32_t WALL_LEFT = 16, WALL_RIGHT = 624, WALL_TOP = 48;  // the inner edges

constexpr int32_t BRICK_ROWS = 6, BRICK_COLS = 10;
constexpr int32_t BRICK_W = 58, BRICK_H = 20;              // drawn size
constexpr int32_t BRICK_PITCH_X = 60, BRICK_PITCH_Y = 24;  // cell size: the gaps let light in
constexpr int32_t BRICKS_X = 21, BRICKS_Y = 96;            // top-left of the first cell

// What a brick cell holds: a hard brick cracks at its first hit and breaks at its second.
enum : uint8_t { BRICK_NONE = 0, BRICK_PLAIN = 1, BRICK_CRACKED = 2, BRICK_HARD = 3 };

constexpr int32_t BAT_W = 80, BAT_H = 12, BAT_Y = 440, BAT_STEP = 8;  // BAT_STEP: per held turn
constexpr int32_t BALL_SIZE = 8;
constexpr int32_t START_LIVES = 3;

// Turns a phase lasts before it moves on by itself, or before it listens to the player.
constexpr int32_t LOST_TURNS = 60;     // a lost ball, then the next serve
constexpr int32_t CLEARED_TURNS = 90;  // a cleared wall, then the next level
constexpr int32_t OVER_WAIT = 45;      // the game over screen ignores a launch this long

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
enum Phase : int32_t {
    PHASE_TITLE,    // title screen: launch starts a game
    PHASE_SERVE,    // the ball sits on the bat until launched
    PHASE_PLAY,     // the ball is in play
    PHASE_LOST,     // a ball fell past the bat; the next serve follows
    PHASE_CLEARED,  // the wall is down; the next level follows
    PHASE_OVER,     // no lives left: launch plays again
};

// What a turn sounded, for the game to play: one bit each.
enum : uint32_t {
    SOUND_BAT = 1u << 0,
    SOUND_WALL = 1u << 1,
    SOUND_BRICK = 1u << 2,
    SOUND_HARD = 1u << 3,  // a hard brick cracked but still standing
    SOUND_LOSE = 1u << 4,
    SOUND_OVER = 1u << 5,
    SOUND_LEVEL = 1u << 6,
    SOUND_START = 1u << 7,
};

struct Ball {
    int32_t x, y;    // top-left, in SUB units
    int32_t vx, vy;  // SUB units per turn
};

struct Board {
    Phase phase;
    int32_t timer;  // turns spent in this phase
    int32_t bat_x;  // left edge, pixels
    Ball ball;
    uint8_t bricks[BRICK_ROWS][BRICK_COLS];  // BRICK_*
    int32_t bricks_left;
    int32_t hits;    // bricks hit in this level: the ball speeds up with them
    int32_t serves;  // serves so far: they leave left and right in turn
    int32_t score, best, lives, level;
    uint32_t sounds;  // SOUND_* of the last turn
    bool quit;        // the player left from the title screen
};

// The player's wishes for one turn, from whatever device.
struct Controls {
    int32_t steer;      // -1 left, +1 right, 0 neither (keys, pad)
    bool pointer;       // the pointer moved: the bat centres on pointer_x
    int32_t pointer_x;  // field pixels
    bool launch;        // start, serve, play again
    bool back;          // to the title screen; from there, quit
};

//------------------------------------------------------------------------------------------
// Operations
//------------------------------------------------------------------------------------------
void board_title(Board* b, int32_t best);  // the title screen, remembering the best score
void board_step(Board* b, const Controls* c);

// What the rules decide, for the tests and the scripted player as much as for the turn.
int32_t brick_points(int32_t row);               // score for breaking a brick of that row
int32_t ball_speed(const Board* b);              // SUB units per turn for the next bounce
void bat_bounce(Board* b, int32_t ball_centre);  // new velocity after the bat at that x (SUB)
// A 64-bit digest of everything the picture is drawn from: equal digests, equal frames.
uint64_t board_digest(const Board* b);
