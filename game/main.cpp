// The game's entry: fills the engine configuration, starts the engine and the canvas,
// registers their shutdown to run at exit, starts the main theme, binds "move" and hands the
// frame loop the game's per-frame function. Exit status 0 once the loop ends (window closed
// or game over), 1 when start-up fails.
#include <cstdio>
#include <cstdlib>

#include "game.hpp"
#include "input.hpp"
#include "orvex.hpp"
#include "player.hpp"
#include "px.hpp"

//------------------------------------------------------------------------------------------
// Set-up
//------------------------------------------------------------------------------------------
static constexpr int32_t MOVE_KEYS[] = {44, 13, 9, 27};  // space, J, F, X
static constexpr int32_t MUSIC_LOOPS = 2147483647;       // for the life of the program

static void bind_move(void) {
    input_new_action("move");
    for (int32_t scancode : MOVE_KEYS) {
        input_bind_scancode("move", scancode);
    }
}

// The canvas texture must go before the renderer: registered after ORVEX_Quit, it runs first.
static int32_t start_canvas(void) {
    if (px_init() != 0) return 1;
    if (atexit(px_deinit) != 0) {
        perror("main:atexit");
        px_deinit();
        return 1;
    }
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
    if (start_canvas() != 0) return 1;
    ORVEX_PlayMusic("res/ost.wav", MUSIC_LOOPS);  // without the file the game goes on silent
    bind_move();
    Player player;
    player_init(&player);
    ORVEX_MainLoop(game_frame, &player);
    return 0;
}
