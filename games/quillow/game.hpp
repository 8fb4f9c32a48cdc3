// The game's frame: update the player, draw the shaken stage picture and the square into
// the canvas, dither it onto the screen. The stage counter advances at every wall turn; the
// game ends when it runs past the last picture.
#pragma once

#include <cstdint>

#include <orvex/px.hpp>

constexpr int32_t STAGE_COUNT = 7;

extern int32_t stage;  // index into stage_images
extern const PxImage* const stage_images[STAGE_COUNT];

int32_t game_frame(void* player);  // 0 to go on, 1 once the last stage is passed

// F11, or Enter with either Alt key held, pressed during this turn (a tap of any length)
// switches between the window and fullscreen; game_frame asks at the start of every frame.
void game_fullscreen_keys(void);

// F12 pressed during this turn saves a screenshot of the next frame; F9 starts or stops an
// animated GIF. Both follow the player's own keyboard, also during a replay.
void game_capture_keys(void);

// M pressed this turn mutes every sound of the game, or gives it back; from the player's own
// keyboard, also during a replay.
void game_sound_keys(void);
