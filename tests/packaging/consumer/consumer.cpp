// A game maker's first program, built against the engine, installed or inside its own build:
// the engine's window and frame loop, the canvas with a bar that grows while the action "grow"
// is held, and SDL's own header beside the engine's. It stops by itself after 30 frames and
// prints what it drew.
#include <SDL.h>
#include <orvex/input.hpp>
#include <orvex/orvex.hpp>
#include <orvex/px.hpp>

#include <cstdio>
#include <cstdlib>

static int32_t frame(void* user) {
    int32_t* frames = static_cast<int32_t*>(user);
    px_clear(0);
    px_fill_rect(8, 8, 16 + (input_down("grow") ? *frames : 0), 16, 254);
    if (ORVEX_DrawBegin() != 0 || px_render() != 0 || ORVEX_DrawEnd() != 0) return -1;
    return ++*frames >= 30 ? 1 : 0;
}

int main(int, char**) {
    const ORVEX_Config config = {
        .width = 320, .height = 240, .scale = 1, .fps = 0, .title = "Orvex consumer"};
    if (ORVEX_Init(&config) != 0) return 1;
    atexit(ORVEX_Quit);
    if (px_init() != 0) return 1;
    atexit(px_deinit);
    input_new_action("grow");
    input_bind_scancode("grow", SDL_SCANCODE_SPACE);
    int32_t frames = 0;
    ORVEX_MainLoop(frame, &frames);
    std::printf("frames %d, pixel %u, frame count %u\n", frames, px_get(10, 10),
                ORVEX_GetFrameCount());
    return frames == 30 && px_get(10, 10) == 254 ? 0 : 1;
}
