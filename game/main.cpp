// The game's entry: fills the engine configuration, starts the engine, registers its
// shutdown to run at exit and hands the frame loop the game's per-frame function. Exit
// status 0 once the loop ends (window closed or game over), 1 when start-up fails.
#include <cstdio>
#include <cstdlib>

#include "orvex.hpp"

//------------------------------------------------------------------------------------------
// Frame
//------------------------------------------------------------------------------------------
static int32_t empty_frame(void*) {
    ORVEX_DrawBegin();
    ORVEX_ScreenClear();
    ORVEX_DrawEnd();
    return 0;
}

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
int main(int, char**) {
    const ORVEX_Config config = {
        .reserved = 0,
        .width = 640,
        .height = 480,
        .scale = 1,
        .fps = 60,
        .pixel_perfect = 1,
        .logical_size = 0,
        .scale_linear = 0,
        .show_cursor = 0,
        .mixer = 1,
        .title = "Quillow",
    };
    if (ORVEX_Init(&config) != 0) return 1;
    if (atexit(ORVEX_Quit) != 0) {
        perror("main:atexit");
        ORVEX_Quit();
        return 1;
    }
    ORVEX_MainLoop(empty_frame, nullptr);
    return 0;
}
