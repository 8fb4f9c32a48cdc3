// The running game: the rules' Board, the sprite sheet and the sounds it was loaded with, and
// the turn that joins them: the player's input read into Controls, the rules stepped, the
// turn's sounds played and the field drawn with the renderer (draw.cpp).
#pragma once

#include <cstdint>

#include <orvex/orvex.hpp>

#include "assets.hpp"
#include "rules.hpp"

struct Game {
    Board board;
    ResourceId sheet;                // the sprite sheet
    ResourceId sounds[SOUND_COUNT];  // 0 for a sound that could not be loaded
    int32_t mouse_x, mouse_y;        // last turn's pointer, to tell when it moves
    bool mouse_seen;                 // false until the first turn has read the pointer
};

// Binds the actions, loads the sheet and the sounds from res/ and shows the title screen.
// False when the sheet cannot be loaded (the engine said why); without sounds it plays silent.
bool game_start(Game* g);
// One turn; 1 once the player has left from the title screen, else 0.
int32_t game_frame(void* game);
// Draws the whole picture of the board onto the render target (draw.cpp).
void game_draw(const Game* g);
