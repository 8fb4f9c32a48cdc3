// What the asset generator makes and the game loads: the files in res/ beside the program and
// where each sprite lies on the sprite sheet. Both sides include this, so they cannot drift.
#pragma once

#include <cstdint>

#include "rules.hpp"

//------------------------------------------------------------------------------------------
// Files
//------------------------------------------------------------------------------------------
constexpr const char* SHEET_FILE = "res/sheet.png";
constexpr const char* MUSIC_FILE = "res/music.wav";

// The sounds, in the order of the SOUND_* bits of rules.hpp.
constexpr int32_t SOUND_COUNT = 8;
constexpr const char* SOUND_FILES[SOUND_COUNT] = {
    "res/bat.wav",  "res/wall.wav", "res/brick.wav", "res/hard.wav",
    "res/lose.wav", "res/over.wav", "res/level.wav", "res/start.wav",
};

//------------------------------------------------------------------------------------------
// Sprite sheet
//------------------------------------------------------------------------------------------
struct SheetRect {
    int32_t x, y, w, h;
};

constexpr int32_t SHEET_W = 256, SHEET_H = 128;

// Brick slots: the six row colours, then the hard brick and the cracks drawn over it.
constexpr int32_t BRICK_SLOTS = BRICK_ROWS + 2;
constexpr int32_t SLOT_HARD = BRICK_ROWS, SLOT_CRACKS = BRICK_ROWS + 1;
constexpr SheetRect brick_slot(int32_t slot) {
    return {64 * (slot / 4), 24 * (slot % 4), BRICK_W, BRICK_H};
}

constexpr SheetRect SPRITE_BAT = {128, 0, BAT_W, BAT_H};
constexpr SheetRect SPRITE_BALL = {128, 16, BALL_SIZE, BALL_SIZE};
constexpr SheetRect SPRITE_LIFE = {144, 16, 12, 12};
constexpr SheetRect SPRITE_WALL = {128, 32, 16, 16};
constexpr SheetRect SPRITE_BACK = {160, 32, 32, 32};

// The wall tiles fill the side walls and the top bar exactly.
static_assert(WALL_LEFT == SPRITE_WALL.w && FIELD_W - WALL_RIGHT == SPRITE_WALL.w);
static_assert(FIELD_W % SPRITE_BACK.w == 0 && FIELD_H % SPRITE_BACK.h == 0);
