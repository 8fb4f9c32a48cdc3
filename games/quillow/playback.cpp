// Record, replay and the replay check. A check passes when the game, fed the recorded input,
// presents every recorded frame with the same digest and ends in the recording's last turn:
// a game that ends sooner, goes on longer or draws anything else fails, and the verdict says
// where.
#include "playback.hpp"

#include <cstdio>

#include <orvex/orvex.hpp>

#include "game.hpp"

//------------------------------------------------------------------------------------------
// Start and frame
//------------------------------------------------------------------------------------------
static bool went_on = false;  // the checked recording ran out with the game still going

int32_t playback_start(const GameOptions* options) {
    if (!options->record.empty() && ORVEX_RecordInput(options->record.c_str()) != 0) return 1;
    if (!options->replay.empty() && ORVEX_ReplayInput(options->replay.c_str()) != 0) return 1;
    return 0;
}

int32_t playback_check_frame(void* player) {
    if (!ORVEX_IsReplaying()) {
        went_on = true;
        return 1;
    }
    return game_frame(player);
}

//------------------------------------------------------------------------------------------
// Verdict
//------------------------------------------------------------------------------------------
bool playback_verdict(const ORVEX_ReplayStatus* s, bool recording_ran_out, char* line,
                      int32_t size) {
    if (s->frames_differing != 0) {
        snprintf(line, size,
                 "replay check failed: frame %u (turn %u of %u) is not the recorded one "
                 "(%u of %u frames differ)",
                 s->first_frame, s->first_turn, s->turns, s->frames_differing, s->frames);
    } else if (s->turns_fed < s->turns) {
        snprintf(line, size, "replay check failed: the game ended at turn %u of %u", s->turns_fed,
                 s->turns);
    } else if (recording_ran_out) {
        snprintf(line, size,
                 "replay check failed: the recording ended at turn %u but the game went on",
                 s->turns);
    } else if (s->frames_checked != s->frames) {
        snprintf(line, size, "replay check failed: %u of %u recorded frames were presented",
                 s->frames_checked, s->frames);
    } else {
        snprintf(line, size, "replay check passed: all %u frames of %u turns match", s->frames,
                 s->turns);
        return true;
    }
    return false;
}

int32_t playback_finish(const GameOptions* options) {
    if (!options->record.empty()) {
        if (ORVEX_StopRecording() != 0) return 1;
        printf("quillow: recording saved to %s\n", options->record.c_str());
    }
    if (!options->check) return 0;
    ORVEX_ReplayStatus status;
    ORVEX_GetReplayStatus(&status);
    char line[256];
    const bool passed = playback_verdict(&status, went_on, line, sizeof line);
    printf("%s\n", line);
    return passed ? 0 : 1;
}
