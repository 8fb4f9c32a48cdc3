// The scripted play-through shared by the replay tests and the program that writes the
// committed recording (record_playthrough.cpp).
#include "playthrough.hpp"

#include <orvex/orvex.hpp>
#include <orvex/px.hpp>

#include "game.hpp"
#include "game_world.hpp"
#include "playback.hpp"
#include "player.hpp"
#include "support.hpp"

namespace {

struct Loop {
    Player player;
    int32_t (*frame)(void*);
    PlaythroughRun* run;
};

// The game's frame, with the digest of each frame it presents noted down.
int32_t noted_frame(void* user) {
    Loop* loop = static_cast<Loop*>(user);
    loop->run->turns++;
    const int32_t result = loop->frame(&loop->player);
    if (result == 0) loop->run->digests.push_back(px_frame_digest());
    return result;
}

bool run_game(bool (*start)(const char*), const char* path, int32_t (*frame)(void*), bool hold_move,
              void (*change)(Player*), PlaythroughRun* run) {
    *run = {};
    release_all_keys();
    stage = 0;
    Loop loop{{}, frame, run};
    player_init(&loop.player);
    if (change) change(&loop.player);
    if (!start(path) || px_init() != 0) return false;
    run->first_frame = ORVEX_GetFrameCount();
    if (hold_move) support::push_key(KEY_SPACE, true);
    run->loop_result = ORVEX_MainLoop(noted_frame, &loop);
    return true;
}

bool start_recording(const char* path) { return ORVEX_RecordInput(path) == 0; }
bool start_replay(const char* path) { return ORVEX_ReplayInput(path) == 0; }

}  // namespace

bool playthrough_record(const char* path, PlaythroughRun* run) {
    const bool played = run_game(start_recording, path, game_frame, true, nullptr, run);
    return ORVEX_StopRecording() == 0 && played;
}

bool playthrough_replay(const char* path, PlaythroughRun* run, void (*change)(Player*)) {
    return run_game(start_replay, path, playback_check_frame, false, change, run);
}
