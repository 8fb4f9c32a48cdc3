// Picture files as canvas images: the engine reads and decodes the file (engine/
// image_file.hpp: its file seam, size checks and decoders, so PNG, JPEG, QOI and BMP), and
// each pixel becomes one 8-bit index: its luma for an opaque pixel, the caller's transparent
// index for a pixel mostly see-through. The indices are the grey ramp of the default colour
// table, so a picture shows as itself until the program changes the table.
#include <SDL.h>

#include <cstdlib>

#include <orvex/px.hpp>

#include "image_file.hpp"
#include "log.hpp"

// Rec. 601 weights in thousandths, rounded half up: 0..255 for any RGB.
static uint8_t luma(const uint8_t* rgba) {
    return static_cast<uint8_t>((299 * rgba[0] + 587 * rgba[1] + 114 * rgba[2] + 500) / 1000);
}

static void to_indices(const SDL_Surface* rgba, uint8_t transparent, uint8_t* out) {
    for (int32_t y = 0; y < rgba->h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch;
        for (int32_t x = 0; x < rgba->w; ++x, ++out) {
            const uint8_t* p = row + x * 4;
            *out = p[3] < 128 ? transparent : luma(p);
        }
    }
}

int32_t px_load_image(const char* path, uint8_t transparent, PxImage* out) {
    if (!out) {
        orvex_report_line("px_load_image: out is null\n");
        return -1;
    }
    *out = {0, 0, nullptr};
    if (!path || !*path) {
        orvex_report_line("px_load_image: path is empty\n");
        return -1;
    }
    SDL_Surface* rgba = image_file_load("px_load_image", path);
    if (!rgba) return -1;
    const size_t count = static_cast<size_t>(rgba->w) * static_cast<size_t>(rgba->h);
    uint8_t* pixels = static_cast<uint8_t*>(malloc(count));
    if (!pixels) {
        orvex_report_line("px_load_image: %s: out of memory for %dx%d pixels\n", path, rgba->w,
                          rgba->h);
    } else {
        to_indices(rgba, transparent, pixels);
        *out = {rgba->w, rgba->h, pixels};
    }
    SDL_FreeSurface(rgba);
    return pixels ? 0 : -1;
}

void px_free_image(PxImage* image) {
    if (!image) return;
    free(const_cast<uint8_t*>(image->pixels));
    *image = {0, 0, nullptr};
}
