// Private to the engine: the one instance of engine state that every engine source file
// shares, and the few internal steps one file offers another. Nothing outside engine/
// includes this; programs go through orvex.hpp.
#pragma once

#include "orvex.hpp"

struct SDL_Window;
struct SDL_Renderer;
struct _Mix_Music;

struct EngineState {
    ORVEX_Config config;  // the engine's copy; config.title is not kept
    struct {
        SDL_Window* window;
        SDL_Renderer* renderer;
        SDL_Texture* target;  // null in logical_size mode
    } video;
    struct {
        int32_t frame_time;      // milliseconds per frame
        uint32_t next_deadline;  // 32-bit millisecond tick
        uint32_t frame_count;
    } time;
    struct {
        float scale;  // window pixels per logical pixel at the last present
        int32_t x, y; // top-left of the last destination rectangle
    } letterbox;
    struct {
        KeyState keys[ORVEX_MAX_KEYS];
        KeyState buttons[ORVEX_MAX_BUTTONS];
        int32_t mouse_x, mouse_y;  // window pixels
        int32_t quit;
    } input;
    struct {
        ResourceEntry* table;
        uint64_t count;
        uint64_t capacity;
    } registry;
    _Mix_Music* music;  // the current music, or null
    struct {
        float r, g, b, a;
    } draw_color;
};

extern EngineState orvex;

// Registry steps used by start-up, shutdown and the frame loop.
void release_resources(void);
