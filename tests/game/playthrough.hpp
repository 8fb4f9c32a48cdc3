// The whole game played through in the test's world (game_world.hpp), "move" held from the
// first turn to the last, the way the game sets it up: recording or replay first, then the
// canvas, whose dither seed comes from rand(). Each run answers the digest of every frame it
// presented.
#pragma once

#include <cstdint>
#include <vector>

#include "player.hpp"

struct PlaythroughRun {
    std::vector<uint64_t> digests;  // one per presented frame, in order
    uint32_t turns = 0;             // engine turns the loop ran
    int32_t loop_result = 0;        // ORVEX_MainLoop's result
    uint32_t first_frame = 0;       // the frame counter in the first turn
};

// Records the play-through to `path`; false if the recording could not be made or finished.
bool playthrough_record(const char* path, PlaythroughRun* run);

// Replays `path` as `quillow --replay FILE --check` does (no live input is pushed); `change`,
// when given, alters the player before the first turn, as a changed game would.
bool playthrough_replay(const char* path, PlaythroughRun* run, void (*change)(Player*) = nullptr);
