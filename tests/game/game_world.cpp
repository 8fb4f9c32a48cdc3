// The headless world behind the game's tests. The music files are written beside the test
// program (the engine makes that the working directory) by write-then-rename, so test
// processes running side by side never read a half-written file.

#include "game_world.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>

#include "scene.hpp"
#include "support.hpp"

using namespace support;

//------------------------------------------------------------------------------------------
// Start and stop
//------------------------------------------------------------------------------------------
namespace {

std::atomic<int32_t> restarts{0};

void count_restart(void) { ++restarts; }

// A quarter second of silence whose title is its own file name, so that the mixer can tell
// which of the two files is playing.
bool write_music(const std::string& name) {
    return write_file_atomic(
        "res/" + name, wav({.frames = 22050 / 4, .rate = 22050, .silent = true, .title = name}));
}

}  // namespace

bool world_start(void) {
    // The game's configuration with pacing off, so that tests run frames at full speed.
    ORVEX_Config config = headless_config(PX_WIDTH, PX_HEIGHT, 1);
    config.show_cursor = 0;
    config.title = "Quillow";
    if (ORVEX_Init(&config) != 0) {
        fprintf(stderr, "ORVEX_Init failed\n");
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directory("res", ignored);
    if (!write_music("ost.wav") || !write_music("rise.wav")) {
        perror("res/");
        return false;
    }
    if (px_init() != 0) {
        fprintf(stderr, "px_init failed\n");
        return false;
    }
    input_new_action("move");
    for (int32_t key : MOVE_KEYS) input_bind_scancode("move", key);
    Mix_HookMusicFinished(count_restart);
    return true;
}

void world_stop(void) {
    Mix_HookMusicFinished(nullptr);
    px_deinit();
    ORVEX_Quit();
}

//------------------------------------------------------------------------------------------
// Keys and music
//------------------------------------------------------------------------------------------
void release_all_keys(void) {
    for (int32_t key : MOVE_KEYS) push_key(key, false);
    ORVEX_Cycle();  // released
    ORVEX_Cycle();  // up
}

int32_t music_restarts(void) { return restarts.load(); }

const char* music_playing(void) { return Mix_GetMusicTitle(nullptr); }

//------------------------------------------------------------------------------------------
// Reference scene
//------------------------------------------------------------------------------------------
std::vector<uint8_t> expected_scene(const PxImage* img, uint32_t frame, const int32_t rands[11],
                                    const Player* player) {
    reference_clear(0);
    SplitPoint split = scene_split(frame, rands[0], img->width, img->height);
    for (int32_t q = 0; q < SCENE_QUADRANTS; ++q) {
        reference_blit(scene_quadrant(img, split, q, rands[1 + 2 * q], rands[2 + 2 * q]));
    }
    reference_blit(player_square(player, rands[9], rands[10]));
    return canvas_pixels();
}
