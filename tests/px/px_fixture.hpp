// Shared by the canvas tests: a fixture that puts the canvas back to its start-of-program
// state around every test, and a snapshot of both buffers for whole-canvas comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "px_internal.hpp"

// A copy of both buffers, kept in static storage: the comparisons run hundreds of times and
// fresh allocations of this size would cost a page fault per page each time.
struct CanvasCopy {
    uint8_t pixels[PX_PIXELS];
    uint32_t depth[PX_PIXELS];
};
inline CanvasCopy canvas_copies[2];

inline void save_canvas(CanvasCopy* c) {
    memcpy(c->pixels, px_pixels, sizeof px_pixels);
    memcpy(c->depth, px_depth_buffer, sizeof px_depth_buffer);
}

inline void restore_canvas(const CanvasCopy& c) {
    memcpy(px_pixels, c.pixels, sizeof px_pixels);
    memcpy(px_depth_buffer, c.depth, sizeof px_depth_buffer);
}

inline bool canvas_equals(const CanvasCopy& c) {
    return memcmp(c.pixels, px_pixels, sizeof px_pixels) == 0 &&
           memcmp(c.depth, px_depth_buffer, sizeof px_depth_buffer) == 0;
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
    int32_t uniform(int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
    }
};
