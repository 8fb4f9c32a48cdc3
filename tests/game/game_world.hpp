// A headless world for the game's tests: the engine started offscreen with pacing off, the
// canvas, the action "move" bound as the game binds it, two short silent music files in
// res/, and keys driven by pushed SDL events (support::push_key).
#pragma once

#include <cstdint>
#include <vector>

#include <orvex/px.hpp>

#include "player.hpp"

constexpr int32_t KEY_SPACE = 44;
constexpr int32_t KEY_J = 13;
constexpr int32_t KEY_F = 9;
constexpr int32_t KEY_X = 27;
constexpr int32_t MOVE_KEYS[] = {KEY_SPACE, KEY_J, KEY_F, KEY_X};

// Starts everything once per test program; false after reporting what failed.
bool world_start(void);
void world_stop(void);

void release_all_keys(void);  // and age them back to up

// Music restarts seen by the mixer (every restart halts what was playing) and the title of
// what plays now: the test files carry their own file name as title ("" for silence).
int32_t music_restarts(void);
const char* music_playing(void);

// The canvas as the game should have drawn it from these rand() results, painted over the
// canvas by the reference blit: take what the game drew first.
std::vector<uint8_t> expected_scene(const PxImage* img, uint32_t frame, const int32_t rands[11],
                                    const Player* player);
