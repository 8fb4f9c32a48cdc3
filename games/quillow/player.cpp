// The player module: the rules of the square (texture scroll, bobbing, music on press and
// release of "move", sideways motion, wall turns that advance the stage) and its drawing.
// Everything is in doubles except the counters; the square takes two rand() values a frame.
//
// Index: Rules / Player

#include <cassert>
#include <cmath>
#include <cstdlib>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>

#include "game.hpp"
#include "images.hpp"
#include "music.hpp"
#include "player.hpp"
#include "scene.hpp"

//------------------------------------------------------------------------------------------
// Rules
//------------------------------------------------------------------------------------------
namespace {

constexpr const char* MOVE = "move";

constexpr double START_X = 32.0;
constexpr int32_t START_SPEED = 2;
constexpr double LEFT_WALL = 32.0;    // turn when x < 32 while moving left
constexpr double RIGHT_WALL = 608.0;  // turn when x > 608 while moving right

constexpr uint32_t SCROLL_STEP_X = 2;
constexpr uint32_t SCROLL_STEP_Y = 3;

constexpr double BOB_DIVISOR = 60.0;          // phase = 2 * count / 60: a period of ~188.5 frames
constexpr double BOB_AMPLITUDE = 32.0 * 3.0;  // so y runs through 144..336
constexpr double BOB_CENTRE = 240.0;

constexpr double SQUARE_OFFSET = PLAYER_SIDE / 2 + 2;  // half the square plus the jitter range
constexpr int32_t SQUARE_JITTER = 5;                   // 0..4, i.e. -2..+2 around the centre

// Counters wrap instead of overflowing: after 2^31 frames the bobbing phase jumps, but the
// program keeps running with defined behaviour.
int32_t wrapping_add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// Keeps the 32x32 window inside the texture: it wraps at extent - 32, or stays at 0 for a
// texture no larger than the window.
uint32_t scroll_wrap(uint32_t position, int32_t extent) {
    if (extent <= PLAYER_SIDE) {
        return 0;
    }
    return position % static_cast<uint32_t>(extent - PLAYER_SIDE);
}

void scroll_texture(Player* p) {
    p->scroll_x = scroll_wrap(p->scroll_x + SCROLL_STEP_X, player_texture.width);
    p->scroll_y = scroll_wrap(p->scroll_y + SCROLL_STEP_Y, player_texture.height);
}

void bob(Player* p) {
    double phase = static_cast<double>(wrapping_add(p->count, p->count)) / BOB_DIVISOR;
    p->y = std::sin(phase) * BOB_AMPLITUDE + BOB_CENTRE;
    p->count = wrapping_add(p->count, 1);
}

// Pressing restarts the rising cue; letting go of the last held key restarts the theme.
void switch_music(void) {
    if (input_pressed(MOVE)) {
        ORVEX_PlayMusic(RISE_MUSIC, MUSIC_LOOPS);
    }
    if (input_released(MOVE) && !input_down(MOVE)) {
        ORVEX_PlayMusic(THEME_MUSIC, MUSIC_LOOPS);
    }
}

void move(Player* p) {
    int32_t held = input_down(MOVE) ? 1 : 0;
    p->x += static_cast<double>(p->speed * held);
}

// Checked every update, moved or not; a speed of 0 never turns.
void turn_at_walls(Player* p) {
    bool right = p->speed > 0 && p->x > RIGHT_WALL;
    bool left = p->speed < 0 && p->x < LEFT_WALL;
    if (right || left) {
        p->speed = -p->speed;
        stage = wrapping_add(stage, 1);
    }
}

// Truncates a canvas coordinate toward zero, keeping far-off or non-finite positions off the
// canvas instead of overflowing the conversion.
int32_t canvas_coord(double v) {
    constexpr double LIMIT = 1 << 20;
    if (!(v > -LIMIT)) {
        return -static_cast<int32_t>(LIMIT);
    }
    return static_cast<int32_t>(std::fmin(v, LIMIT));
}

}  // namespace

//------------------------------------------------------------------------------------------
// Player
//------------------------------------------------------------------------------------------
void player_init(Player* player) {
    assert(player && "player_init needs a Player record");
    *player = Player{.x = START_X,
                     .y = BOB_CENTRE,
                     .count = 0,
                     .scroll_x = 0,
                     .scroll_y = 0,
                     .speed = START_SPEED};
}

void player_update(Player* player) {
    assert(player && "player_update needs a Player record");
    scroll_texture(player);
    bob(player);
    switch_music();
    move(player);
    turn_at_walls(player);
}

PxBlitArgs player_square(const Player* player, int32_t jitter_x, int32_t jitter_y) {
    double x = std::round(player->x) - SQUARE_OFFSET + jitter_x % SQUARE_JITTER;
    double y = std::round(player->y) - SQUARE_OFFSET + jitter_y % SQUARE_JITTER;
    return PxBlitArgs{
        .reserved = 0,
        .img = &player_texture,
        .x = canvas_coord(x),
        .y = canvas_coord(y),
        .ix = static_cast<int32_t>(scroll_wrap(player->scroll_x, player_texture.width)),
        .iy = static_cast<int32_t>(scroll_wrap(player->scroll_y, player_texture.height)),
        .w = PLAYER_SIDE,
        .h = PLAYER_SIDE,
        .flip_x = 0,
        .flip_y = 0,
    };
}

void player_draw(const Player* player) {
    assert(player && "player_draw needs a Player record");
    int32_t jitter_x = rand();  // the x shake is drawn before the y shake
    int32_t jitter_y = rand();
    px_blit(player_square(player, jitter_x, jitter_y));
}
