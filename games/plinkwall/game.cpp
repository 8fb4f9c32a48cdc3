// The turn: the player's keys, pad, mouse or touch read through the actions into Controls,
// the rules stepped, the turn's sounds and music played, the picture drawn and its digest
// handed to the engine (what a recording keeps and a replay compares).
//
// Index: Actions / Controls / Sounds / Turn
#include "game.hpp"

#include <SDL_gamecontroller.h>
#include <SDL_mouse.h>
#include <SDL_scancode.h>

#include <orvex/input.hpp>

//------------------------------------------------------------------------------------------
// Actions
//------------------------------------------------------------------------------------------
namespace {

struct Binding {
    const char* action;
    int32_t keys[INPUT_MAX_BINDS];            // 0 ends the list
    int32_t buttons[INPUT_MAX_DEVICE_BINDS];  // pad buttons; -1 ends the list
    int32_t mouse;                            // a mouse button, or 0
};

// Touch arrives as the left mouse button: a tap launches, a drag steers (the pointer).
constexpr Binding BINDINGS[] = {
    {"left", {SDL_SCANCODE_LEFT, SDL_SCANCODE_A}, {SDL_CONTROLLER_BUTTON_DPAD_LEFT, -1}, 0},
    {"right", {SDL_SCANCODE_RIGHT, SDL_SCANCODE_D}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, -1}, 0},
    {"launch",
     {SDL_SCANCODE_SPACE, SDL_SCANCODE_RETURN, SDL_SCANCODE_UP, SDL_SCANCODE_W},
     {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_DPAD_UP, -1},
     SDL_BUTTON_LEFT},
    {"back",
     {SDL_SCANCODE_ESCAPE, SDL_SCANCODE_BACKSPACE},
     {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_BACK, -1},
     0},
};

void bind_actions(void) {
    for (const Binding& b : BINDINGS) {
        input_new_action(b.action);
        for (int32_t i = 0; i < INPUT_MAX_BINDS && b.keys[i] != 0; ++i) {
            input_bind_scancode(b.action, b.keys[i]);
        }
        for (int32_t i = 0; i < INPUT_MAX_DEVICE_BINDS && b.buttons[i] >= 0; ++i) {
            input_bind_gamepad_button(b.action, b.buttons[i]);
        }
        if (b.mouse != 0) input_bind_mouse_button(b.action, b.mouse);
    }
}

//------------------------------------------------------------------------------------------
// Controls
//------------------------------------------------------------------------------------------
// The bat follows the pointer only when it moves, so that keys and pad steer while the mouse
// rests. The first turn only notes where the pointer is: a replay then starts from the
// recorded position, whatever the live one was before it.
Controls read_controls(Game* g) {
    Controls c{};
    c.steer = (input_down("right") ? 1 : 0) - (input_down("left") ? 1 : 0);
    int32_t x = 0, y = 0;
    ORVEX_GetMousePos(&x, &y);
    c.pointer = g->mouse_seen && (x != g->mouse_x || y != g->mouse_y);
    c.pointer_x = x;
    g->mouse_x = x;
    g->mouse_y = y;
    g->mouse_seen = true;
    // Presses, not the turn's last edge: a tap within one turn still launches.
    c.launch = input_presses("launch") > 0;
    c.back = input_presses("back") > 0;
    return c;
}

// The window's own key follows the player's keyboard, also while a replay feeds the game.
void fullscreen_key(void) {
    if (ORVEX_GetLiveKeyPresses(SDL_SCANCODE_F11) > 0) {
        ORVEX_SetFullscreen(!ORVEX_IsFullscreen());
    }
}

//------------------------------------------------------------------------------------------
// Sounds
//------------------------------------------------------------------------------------------
// The music stops at the game over and starts again with the next game.
void play_sounds(const Game* g) {
    const uint32_t bits = g->board.sounds;
    if (bits & SOUND_OVER) ORVEX_StopMusic();
    if (bits & SOUND_START) ORVEX_PlayMusic(MUSIC_FILE, -1);
    for (int32_t i = 0; i < SOUND_COUNT; ++i) {
        if (!(bits & (1u << i)) || g->sounds[i] == 0) continue;
        ORVEX_PlaySoundArgs args{};
        args.id = g->sounds[i];
        ORVEX_PlaySound(&args);
    }
}

}  // namespace

//------------------------------------------------------------------------------------------
// Turn
//------------------------------------------------------------------------------------------
bool game_start(Game* g) {
    *g = Game{};
    bind_actions();
    g->sheet = ORVEX_LoadResource(SHEET_FILE);
    if (g->sheet == 0) return false;
    // Without an audio device the sounds cannot be decoded for it: the game plays silent.
    for (int32_t i = 0; i < SOUND_COUNT && ORVEX_IsAudioOpen(); ++i) {
        g->sounds[i] = ORVEX_LoadResource(SOUND_FILES[i]);
    }
    board_title(&g->board, 0);
    return true;
}

int32_t game_frame(void* game) {
    Game* g = static_cast<Game*>(game);
    fullscreen_key();
    const Controls controls = read_controls(g);
    board_step(&g->board, &controls);
    if (g->board.quit) return 1;
    play_sounds(g);
    ORVEX_DrawBegin();
    game_draw(g);
    ORVEX_SetFrameDigest(board_digest(&g->board));
    ORVEX_DrawEnd();
    return 0;
}
