// The eight image records and the icon's pixels. Their pixel arrays are raw bytes assembled into read-only data
// (images_data.S, from the generator's raw files); the records only point at them, so all
// of it is constant data in place before main runs.
#include "images.hpp"

#include <cstdint>

//------------------------------------------------------------------------------------------
// Pixel arrays (defined in assembly, hidden outside this library)
//------------------------------------------------------------------------------------------
extern "C" {
extern const uint8_t images_pixels_stage_0[];
extern const uint8_t images_pixels_stage_1[];
extern const uint8_t images_pixels_stage_2[];
extern const uint8_t images_pixels_stage_3[];
extern const uint8_t images_pixels_stage_4[];
extern const uint8_t images_pixels_stage_5[];
extern const uint8_t images_pixels_stage_6[];
extern const uint8_t images_pixels_player[];
extern const uint8_t images_pixels_icon[];
}

//------------------------------------------------------------------------------------------
// Records
//------------------------------------------------------------------------------------------
constinit const PxImage stage_image_0 = {640, 480, images_pixels_stage_0};
constinit const PxImage stage_image_1 = {640, 480, images_pixels_stage_1};
constinit const PxImage stage_image_2 = {640, 480, images_pixels_stage_2};
constinit const PxImage stage_image_3 = {640, 480, images_pixels_stage_3};
constinit const PxImage stage_image_4 = {640, 480, images_pixels_stage_4};
constinit const PxImage stage_image_5 = {640, 480, images_pixels_stage_5};
constinit const PxImage stage_image_6 = {640, 480, images_pixels_stage_6};
constinit const PxImage player_texture = {400, 256, images_pixels_player};
constinit const uint8_t* const game_icon_rgba = images_pixels_icon;
