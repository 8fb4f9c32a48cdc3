// Test images and canvas snapshots.
#include "canvas.hpp"

#include <cstring>
#include <random>

namespace support {

//------------------------------------------------------------------------------------------
// Test images
//------------------------------------------------------------------------------------------
TestImage::TestImage(int32_t w, int32_t h, const std::function<uint8_t(int32_t, int32_t)>& pixel)
    : data(size_t(w) * size_t(h)), img{w, h, data.data()} {
    for (int32_t v = 0; v < h; v++)
        for (int32_t u = 0; u < w; u++) data[size_t(v) * size_t(w) + size_t(u)] = pixel(u, v);
}

std::vector<uint8_t> random_bytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes) b = uint8_t(rng());
    return bytes;
}

//------------------------------------------------------------------------------------------
// Snapshots
//------------------------------------------------------------------------------------------
void save_canvas(CanvasCopy* copy) {
    memcpy(copy->pixels, px_pixels, sizeof px_pixels);
    memcpy(copy->depth, px_depth_buffer, sizeof px_depth_buffer);
}

void restore_canvas(const CanvasCopy& copy) {
    memcpy(px_pixels, copy.pixels, sizeof px_pixels);
    memcpy(px_depth_buffer, copy.depth, sizeof px_depth_buffer);
}

bool canvas_equals(const CanvasCopy& copy) {
    return memcmp(copy.pixels, px_pixels, sizeof px_pixels) == 0 &&
           memcmp(copy.depth, px_depth_buffer, sizeof px_depth_buffer) == 0;
}

std::vector<uint8_t> canvas_pixels(void) {
    return std::vector<uint8_t>(px_pixels, px_pixels + PX_PIXELS);
}

std::vector<std::pair<int32_t, int32_t>> lit_pixels(void) {
    std::vector<std::pair<int32_t, int32_t>> lit;
    for (int32_t y = 0; y < PX_HEIGHT; y++)
        for (int32_t x = 0; x < PX_WIDTH; x++)
            if (px_pixels[y * PX_WIDTH + x] != 0) lit.emplace_back(x, y);
    return lit;
}

}  // namespace support
