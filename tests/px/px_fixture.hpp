// Shared by the canvas tests: a fixture that puts the canvas back to its start-of-program
// state around every test, and a snapshot of both buffers for whole-canvas comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "px_internal.hpp"

struct CanvasSnapshot {
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> depth;
    bool operator==(const CanvasSnapshot&) const = default;
};

inline CanvasSnapshot snapshot_canvas() {
    return {std::vector<uint8_t>(px_pixels, px_pixels + PX_PIXELS),
            std::vector<uint32_t>(px_depth_buffer, px_depth_buffer + PX_PIXELS)};
}

inline void restore_canvas(const CanvasSnapshot& s) {
    memcpy(px_pixels, s.pixels.data(), PX_PIXELS);
    memcpy(px_depth_buffer, s.depth.data(), PX_PIXELS * sizeof(uint32_t));
}

// The colour table as the program starts with it, taken before any test runs.
inline const std::vector<PxColor>& initial_palette() {
    static const std::vector<PxColor> table(px_palette, px_palette + PX_COLORS);
    return table;
}
inline const bool px_initial_palette_taken = (initial_palette(), true);

class Canvas : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        memcpy(px_palette, initial_palette().data(), sizeof px_palette);
        memset(px_pixels, 0, sizeof px_pixels);
        memset(px_depth_buffer, 0, sizeof px_depth_buffer);
        px_reset_clip();
        px_set_depth(0);
    }

    // Pixels (x, y) holding a non-zero index, in row-major order.
    static std::vector<std::pair<int32_t, int32_t>> lit_pixels() {
        std::vector<std::pair<int32_t, int32_t>> lit;
        for (int32_t y = 0; y < PX_HEIGHT; y++)
            for (int32_t x = 0; x < PX_WIDTH; x++)
                if (px_get(x, y) != 0) lit.emplace_back(x, y);
        return lit;
    }

    std::mt19937 rng{12345};
    int32_t uniform(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); }
};
