// The player: a jittering 32x32 square that scrolls its own texture, bobs on a sine and,
// while "move" is held, crosses the scene, turning (and advancing the stage) at each wall.
#pragma once

#include <cstdint>

struct Player {
    double x, y;                  // centre of the square, canvas pixels
    int32_t count;                // updates so far: the bobbing phase
    uint32_t scroll_x, scroll_y;  // top-left of the 32x32 window into player_texture
    int32_t speed;                // pixels per held frame; the sign is the direction
};

void player_init(Player* player);
void player_update(Player* player);
void player_draw(const Player* player);
