// The pure pieces of the game's frame: where the stage picture splits, where each shaken
// quadrant lands and where the square is blitted, each computed from raw rand() values so
// that the frame itself only decides the order of the calls. Private to games/quillow/ and
// its tests.
#pragma once

#include <cstdint>

#include <orvex/px.hpp>

#include "player.hpp"

//------------------------------------------------------------------------------------------
// Limits
//------------------------------------------------------------------------------------------
constexpr int32_t SCENE_QUADRANTS = 4;         // top left, top right, bottom left, bottom right
constexpr int32_t SCENE_RANDS_PER_FRAME = 11;  // wobble, 4 x (x, y) quadrant shakes, square x, y
constexpr int32_t PLAYER_SIDE = 32;            // the square, and its window into the texture

//------------------------------------------------------------------------------------------
// Stage picture
//------------------------------------------------------------------------------------------
struct SplitPoint {
    int32_t x, y;
};

// The wobbling split point of a width x height picture in engine frame `frame`; `wobble` is
// the frame's first rand() result.
SplitPoint scene_split(uint32_t frame, int32_t wobble, int32_t width, int32_t height);

// The blit of one quadrant (0..3, in drawing order) of `img` split at `split`, shaken by two
// raw rand() results: `shake_x` for the destination x, then `shake_y` for y.
PxBlitArgs scene_quadrant(const PxImage* img, SplitPoint split, int32_t quadrant, int32_t shake_x,
                          int32_t shake_y);

//------------------------------------------------------------------------------------------
// Frame
//------------------------------------------------------------------------------------------
// One frame up to the presentation: updates the player and draws the stage picture and the
// square into the canvas. False, with nothing drawn, once the last stage has been passed.
bool scene_step(Player* player);

//------------------------------------------------------------------------------------------
// Player square
//------------------------------------------------------------------------------------------
// The blit of the square centred on the player, jittered by two raw rand() results.
PxBlitArgs player_square(const Player* player, int32_t jitter_x, int32_t jitter_y);
