// The game's record, replay and replay check, started from the command line (options.hpp).
#pragma once

#include <cstdint>

#include "options.hpp"

// Starts recording or replaying as the options ask, before anything draws from rand() (the
// canvas seeds its dither from it). 0, or 1 after the engine said why.
int32_t playback_start(const GameOptions* options);

// The per-frame function of a checked replay: game_frame, until the recording runs out.
int32_t playback_check_frame(void* player);

// After the frame loop: finishes a recording (1 if it could not be written) and, for a
// checked replay, prints the verdict line and answers 0 only when every frame matched.
int32_t playback_finish(const GameOptions* options);

// The verdict line for a checked replay that ended as `status` says; `went_on` when the
// recording ran out while the game was still going. True when it passed.
struct ORVEX_ReplayStatus;
bool playback_verdict(const ORVEX_ReplayStatus* status, bool went_on, char* line, int32_t size);
