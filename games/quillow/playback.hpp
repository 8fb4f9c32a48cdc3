// The game's replay check: its per-frame function wrapped by the engine's (the command line,
// the start of recording or replay and the verdict are the engine's: ORVEX_StartPlayback,
// ORVEX_FinishPlayback).
#pragma once

#include <cstdint>

// The per-frame function of a checked replay: game_frame, until the recording runs out.
int32_t playback_check_frame(void* player);
