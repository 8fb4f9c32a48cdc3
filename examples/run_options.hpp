// The options every example takes so that it can run headless under a test; they are not
// part of what the examples show. A relative screenshot path is taken from where the program
// was started, before start-up makes the program's own directory the working directory.
//
//   --frames N         stop by itself after N frames (0, the default, runs until closed)
//   --edit-at K        rewrite the watched file at frame K, as an editor would, and fail
//                      unless the program picked the change up
//   --screenshot FILE  save the last frame as a BMP file
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <orvex/orvex.hpp>

struct RunOptions {
    int32_t frames = 0;
    int32_t edit_at = 0;
    std::string screenshot;
};

inline RunOptions parse_run_options(int argc, char** argv) {
    RunOptions o;
    for (int i = 1; i + 1 < argc; ++i) {
        if (strcmp(argv[i], "--frames") == 0) o.frames = atoi(argv[i + 1]);
        if (strcmp(argv[i], "--edit-at") == 0) o.edit_at = atoi(argv[i + 1]);
        if (strcmp(argv[i], "--screenshot") == 0)
            o.screenshot = std::filesystem::absolute(argv[i + 1]).string();
    }
    return o;
}

// Whether the frame numbered `frame` (from 1) is the last one of a bounded run.
inline bool last_frame(const RunOptions& o, int32_t frame) {
    return o.frames > 0 && frame >= o.frames;
}

// Saves what the current render target holds as a BMP file: call it between ORVEX_DrawBegin
// and ORVEX_DrawEnd, once the frame is drawn. Reports SDL's error and answers false on failure.
inline bool save_target_bmp(const std::string& path) {
    SDL_Renderer* renderer = ORVEX_GetRenderer();
    SDL_Texture* target = renderer ? SDL_GetRenderTarget(renderer) : nullptr;
    int w = 0, h = 0;
    if (!target || SDL_QueryTexture(target, nullptr, nullptr, &w, &h) != 0) {
        SDL_Log("screenshot: no render target to read\n");
        return false;
    }
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    bool ok =
        s && SDL_RenderReadPixels(renderer, nullptr, s->format->format, s->pixels, s->pitch) == 0 &&
        SDL_SaveBMP(s, path.c_str()) == 0;
    if (!ok) SDL_Log("screenshot: %s\n", SDL_GetError());
    SDL_FreeSurface(s);
    return ok;
}

// On the last frame of a bounded run, saves the screenshot asked for (call it where
// save_target_bmp may be called); false only when that failed.
inline bool screenshot_if_last(const RunOptions& o, int32_t frame) {
    if (o.screenshot.empty() || !last_frame(o, frame)) return true;
    return save_target_bmp(o.screenshot);
}
