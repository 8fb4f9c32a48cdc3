// Shared set-up of the engine tests: an engine started per test on the offscreen video
// driver (pacing off, no audio unless a test asks), stopped again after it; events, log
// capture and files come from the shared test support.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "engine_state.hpp"
#include "support.hpp"

using namespace support;

class EngineTest : public ::testing::Test {
protected:
    ORVEX_Config config = [] {
        ORVEX_Config c = headless_config();
        c.title = "engine test";
        return c;
    }();

    void start() { ASSERT_EQ(ORVEX_Init(&config), 0); }
    void TearDown() override { ORVEX_Quit(); }
};
