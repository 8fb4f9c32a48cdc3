// The headless world behind the game's tests. The music files are written beside the test
// program (the engine makes that the working directory) by write-then-rename, so test
// processes running side by side never read a half-written file.

#include "game_world.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "input.hpp"
#include "orvex.hpp"
#include "scene.hpp"

//------------------------------------------------------------------------------------------
// Music files
//------------------------------------------------------------------------------------------
namespace {

std::atomic<int32_t> restarts{0};

void count_restart(void) { ++restarts; }

void put(FILE* f, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
    }
}

// A quarter second of 16-bit mono silence whose title tag (a LIST/INFO/INAM chunk) is its own
// file name, so that the mixer can tell which of the two files is playing.
bool write_silent_wav(const std::string& dir, const std::string& name) {
    const uint32_t rate = 22050;
    const uint32_t data = rate / 4 * 2;
    const uint32_t title = static_cast<uint32_t>(name.size() + 2) & ~1u;  // NUL, even size
    const uint32_t list = 4 + 8 + title;
    std::string path = dir + "/" + name;
    std::string tmp = path + "." + std::to_string(getpid());
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f) {
        perror(tmp.c_str());
        return false;
    }
    fputs("RIFF", f), put(f, 4 + 24 + 8 + list + 8 + data, 4), fputs("WAVEfmt ", f);
    put(f, 16, 4), put(f, 1, 2), put(f, 1, 2), put(f, rate, 4), put(f, rate * 2, 4);
    put(f, 2, 2), put(f, 16, 2);
    fputs("LIST", f), put(f, list, 4), fputs("INFOINAM", f), put(f, title, 4);
    fwrite(name.c_str(), 1, name.size(), f);
    for (uint32_t i = static_cast<uint32_t>(name.size()); i < title; ++i) {
        fputc(0, f);
    }
    fputs("data", f), put(f, data, 4);
    for (uint32_t i = 0; i < data; ++i) {
        fputc(0, f);
    }
    bool ok = fclose(f) == 0;
    return ok && rename(tmp.c_str(), path.c_str()) == 0;
}

}  // namespace

//------------------------------------------------------------------------------------------
// Start and stop
//------------------------------------------------------------------------------------------
bool world_start(void) {
    // The game's configuration with pacing off, so that tests run frames at full speed.
    ORVEX_Config config{.reserved = 0,
                        .width = PX_WIDTH,
                        .height = PX_HEIGHT,
                        .scale = 1,
                        .fps = 0,
                        .pixel_perfect = 1,
                        .logical_size = 0,
                        .scale_linear = 0,
                        .show_cursor = 0,
                        .mixer = 1,
                        .title = "Quillow"};
    if (ORVEX_Init(&config) != 0) {
        fprintf(stderr, "ORVEX_Init failed\n");
        return false;
    }
    mkdir("res", 0755);
    if (!write_silent_wav("res", "ost.wav") || !write_silent_wav("res", "rise.wav")) {
        return false;
    }
    if (px_init() != 0) {
        fprintf(stderr, "px_init failed\n");
        return false;
    }
    input_new_action("move");
    for (int32_t key : MOVE_KEYS) {
        input_bind_scancode("move", key);
    }
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
void push_key(int32_t scancode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    SDL_PushEvent(&e);
}

void release_all_keys(void) {
    for (int32_t key : MOVE_KEYS) {
        push_key(key, false);
    }
    ORVEX_Cycle();  // released
    ORVEX_Cycle();  // up
}

int32_t music_restarts(void) { return restarts.load(); }

const char* music_playing(void) { return Mix_GetMusicTitle(nullptr); }

//------------------------------------------------------------------------------------------
// Reference scene
//------------------------------------------------------------------------------------------
namespace {

// The blit as plainly as it can be said: clamp the region to the image, then copy pixel by
// pixel, dropping what falls off the canvas.
void reference_blit(std::vector<uint8_t>& canvas, const PxBlitArgs& a) {
    int32_t w = a.w < 0 ? a.img->width : a.w;
    int32_t h = a.h < 0 ? a.img->height : a.h;
    w = std::min(w, a.img->width - a.ix);
    h = std::min(h, a.img->height - a.iy);
    for (int32_t j = 0; j < h; ++j) {
        for (int32_t i = 0; i < w; ++i) {
            int32_t x = a.x + i, y = a.y + j;
            if (x < 0 || y < 0 || x >= PX_WIDTH || y >= PX_HEIGHT) {
                continue;
            }
            canvas[y * PX_WIDTH + x] = a.img->pixels[(a.iy + j) * a.img->width + a.ix + i];
        }
    }
}

}  // namespace

std::vector<uint8_t> expected_scene(const PxImage* img, uint32_t frame, const int32_t rands[11],
                                    const Player* player) {
    std::vector<uint8_t> canvas(PX_WIDTH * PX_HEIGHT, 0);
    SplitPoint split = scene_split(frame, rands[0], img->width, img->height);
    for (int32_t q = 0; q < SCENE_QUADRANTS; ++q) {
        reference_blit(canvas, scene_quadrant(img, split, q, rands[1 + 2 * q], rands[2 + 2 * q]));
    }
    reference_blit(canvas, player_square(player, rands[9], rands[10]));
    return canvas;
}

std::vector<uint8_t> canvas_snapshot(void) {
    std::vector<uint8_t> canvas(PX_WIDTH * PX_HEIGHT);
    for (int32_t y = 0; y < PX_HEIGHT; ++y) {
        for (int32_t x = 0; x < PX_WIDTH; ++x) {
            canvas[y * PX_WIDTH + x] = px_get(x, y);
        }
    }
    return canvas;
}
