// The checked replay's frame: the engine ends the loop once the recording runs out, and the
// game's own frame runs while it lasts.
#include "playback.hpp"

#include <orvex/orvex.hpp>

#include "game.hpp"

int32_t playback_check_frame(void* player) { return ORVEX_CheckedFrame(game_frame, player); }
