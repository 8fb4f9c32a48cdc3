// The canvas seen from outside: test images that own their pixels, snapshots of both canvas
// buffers for whole-canvas comparisons, and the pixels a drawing lit.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "px_internal.hpp"

namespace support {

//------------------------------------------------------------------------------------------
// Test images
//------------------------------------------------------------------------------------------
// A w x h image whose pixel (u, v) is pixel(u, v). Not copyable: img points into data.
struct TestImage {
    TestImage(int32_t w, int32_t h, const std::function<uint8_t(int32_t, int32_t)>& pixel);
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;
    // (u + 7v) % 250 + 1: no pixel is index 0 and neighbours differ in both directions.
    static uint8_t pattern(int32_t u, int32_t v) { return uint8_t((u + 7 * v) % 250 + 1); }
    std::vector<uint8_t> data;
    PxImage img;
};

std::vector<uint8_t> random_bytes(size_t n, uint32_t seed);

//------------------------------------------------------------------------------------------
// Snapshots
//------------------------------------------------------------------------------------------
// A copy of both buffers. Keep these in static storage (canvas_copies): comparisons run
// hundreds of times, and fresh allocations of this size would fault in every page each time.
struct CanvasCopy {
    uint8_t pixels[PX_PIXELS];
    uint32_t depth[PX_PIXELS];
};
inline CanvasCopy canvas_copies[2];

void save_canvas(CanvasCopy* copy);
void restore_canvas(const CanvasCopy& copy);
bool canvas_equals(const CanvasCopy& copy);  // both buffers, byte for byte

std::vector<uint8_t> canvas_pixels(void);  // the colour indices, row-major
// Pixels (x, y) holding a non-zero index, in row-major order.
std::vector<std::pair<int32_t, int32_t>> lit_pixels(void);

}  // namespace support
