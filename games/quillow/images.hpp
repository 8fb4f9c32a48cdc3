// The compiled-in pictures: seven 640x480 stage pictures and the 400x256 texture of the
// player square, raw 8-bit colour indices, and the window icon; read-only, in place before
// main runs.
#pragma once

#include <orvex/px.hpp>

extern const PxImage stage_image_0;
extern const PxImage stage_image_1;
extern const PxImage stage_image_2;
extern const PxImage stage_image_3;
extern const PxImage stage_image_4;
extern const PxImage stage_image_5;
extern const PxImage stage_image_6;
extern const PxImage player_texture;

// The window icon: the application icon at 64x64, 4 bytes a pixel (R, G, B, A), rows from
// the top, as the art generator paints it for the desktop too.
constexpr int32_t GAME_ICON_SIZE = 64;
extern const uint8_t* const game_icon_rgba;
