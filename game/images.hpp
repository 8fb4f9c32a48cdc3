// The compiled-in pictures: seven 640x480 stage pictures and the 400x256 texture of the
// player square, raw 8-bit colour indices, read-only, in place before main runs.
#pragma once

#include "px.hpp"

extern const PxImage stage_image_0;
extern const PxImage stage_image_1;
extern const PxImage stage_image_2;
extern const PxImage stage_image_3;
extern const PxImage stage_image_4;
extern const PxImage stage_image_5;
extern const PxImage stage_image_6;
extern const PxImage player_texture;
