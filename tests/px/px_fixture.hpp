// Shared by the canvas tests: a fixture that puts the canvas back to its start-of-program
// state around every test, and random numbers for the tests that draw at random. Snapshots,
// test images and the reference loops come from the shared test support.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "px_internal.hpp"
#include "support.hpp"

using namespace support;

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

    std::mt19937 rng{12345};
    int32_t uniform(int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
    }
};
