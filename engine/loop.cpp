// The frame loop and the device state it keeps: one engine turn scans the registry for
// changed files, ages key, mouse button and pad button states (pressed -> down, released ->
// up) so that the edges last exactly one turn, clears the press counts, lets SDL read the
// game controllers, then drains SDL's whole event queue into those states and counts, the
// mouse position and the quit flag.
// Around the drain, a recording notes what it changed and a replay feeds its own (record.cpp).
//
// In a browser the loop hands one pass per display frame to the browser (Browser loop).
//
// Index: Event pump / Turn and loop / Browser loop / Queries
#include <SDL.h>

#include <cstdio>
#include <cstring>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "engine_state.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// Event pump
//------------------------------------------------------------------------------------------
static bool is_key(int32_t scancode) { return scancode >= 0 && scancode < ORVEX_MAX_KEYS; }

static bool is_button(int32_t button) { return button >= 0 && button < ORVEX_MAX_BUTTONS; }

// Events pushed by a program may carry any scancode; only those inside the table are kept.
static void set_key(int32_t scancode, KeyState state) {
    if (is_key(scancode)) orvex.input.keys[scancode] = state;
}

// The scancode as the number the event carries: one pushed by a program may lie outside the
// enumeration (a negative one, say), and loading it as the enumeration would be undefined.
static int32_t scancode_of(const SDL_KeyboardEvent& key) {
    int32_t code;
    static_assert(sizeof code == sizeof key.keysym.scancode);
    memcpy(&code, &key.keysym.scancode, sizeof code);
    return code;
}

static void on_key(const SDL_KeyboardEvent& key, ORVEX_Event* out) {
    if (key.type == SDL_KEYDOWN && key.repeat) return;  // auto-repeat is not a new press
    const bool down = key.type == SDL_KEYDOWN;
    const int32_t code = scancode_of(key);
    out->kind = down ? ORVEX_EVENT_KEY_DOWN : ORVEX_EVENT_KEY_UP;
    out->code = code;
    set_key(code, down ? ORVEX_KEY_PRESSED : ORVEX_KEY_RELEASED);
    if (down && is_key(code)) presses_add(&orvex.input.presses, code, 1);
}

static void on_mouse(int32_t x, int32_t y) {
    orvex.input.mouse_x = x;
    orvex.input.mouse_y = y;
}

static void on_button(const SDL_MouseButtonEvent& button) {
    on_mouse(button.x, button.y);
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    orvex.input.buttons[button.button] = down ? ORVEX_KEY_PRESSED : ORVEX_KEY_RELEASED;
    if (down) presses_add(&orvex.input.presses, INPUT_FIRST_BUTTON + button.button, 1);
}

int32_t ORVEX_PumpEvents(ORVEX_Event* event) {
    ORVEX_Event scratch = {};
    ORVEX_Event* out = event ? event : &scratch;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            out->kind = ORVEX_EVENT_QUIT;
            orvex.input.quit = 1;
            return 1;  // later events stay queued for the next call
        case SDL_KEYDOWN:
        case SDL_KEYUP: on_key(e.key, out); break;
        case SDL_MOUSEMOTION: on_mouse(e.motion.x, e.motion.y); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: on_button(e.button); break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: gamepads_on_event(e); break;
        default: break;
        }
    }
    return 0;
}

//------------------------------------------------------------------------------------------
// Turn and loop
//------------------------------------------------------------------------------------------
// A recording watches the state the program reads, so while a replay runs it sees the
// replayed turn: it notes its "before" ahead of the swap and its "after" behind the feed.
int32_t ORVEX_Cycle(void) {
    ORVEX_HotReload();
    age_key_states(orvex.input.keys, ORVEX_MAX_KEYS);
    age_key_states(orvex.input.buttons, ORVEX_MAX_BUTTONS);
    age_key_states(orvex.input.pad_buttons, ORVEX_MAX_GAMEPAD_BUTTONS);
    presses_clear(&orvex.input.presses);  // the drain counts this turn's presses afresh
    gamepads_update();
    recording_note_before();
    replay_swap_in_live();  // while a replay runs, the drain writes the player's input aside
    // A quit stops one pump call, not the turn: the queue is always emptied.
    while (ORVEX_PumpEvents(nullptr) != 0) {}
    replay_feed_turn();  // the recorded turn takes the place of the live one
    recording_note_turn();
    return 0;
}

constexpr int32_t LOOP_GOES_ON = -1;

// One pass of the loop: LOOP_GOES_ON, or the loop's result. The quit flag is tested only
// before a turn, so the frame still runs in the turn that received the quit.
static int32_t loop_pass(int32_t (*frame)(void* user), void* user) {
    if (orvex.input.quit) return 0;
    hidden_rest();  // while the window is hidden (when asked for), waits here instead
    ORVEX_Cycle();
    return frame(user) != 0 ? 1 : LOOP_GOES_ON;
}

#ifdef __EMSCRIPTEN__
static void run_in_browser(int32_t (*frame)(void* user), void* user);
#endif

int32_t ORVEX_MainLoop(int32_t (*frame)(void* user), void* user) {
    if (!frame) {
        orvex_report_line("ORVEX_MainLoop: frame is null\n");
        return -1;
    }
#ifdef __EMSCRIPTEN__
    run_in_browser(frame, user);  // does not return
#endif
    int32_t result = LOOP_GOES_ON;
    while (result == LOOP_GOES_ON) result = loop_pass(frame, user);
    return result;
}

#ifdef __EMSCRIPTEN__
//------------------------------------------------------------------------------------------
// Browser loop
//------------------------------------------------------------------------------------------
// A page that never returns to the browser never shows a frame, so the browser calls
// browser_pass once per display frame instead, and it runs a turn only when the game's
// frame time has come: a 120 Hz display runs the game at its own speed, not twice as fast.
static struct {
    int32_t (*frame)(void* user);
    void* user;
} browser_loop;

static void browser_pass(void*) {
    if (!pacing_due(orvex.config.fps, orvex.time.frame_time, &orvex.time.next_turn,
                    emscripten_get_now()))
        return;
    if (loop_pass(browser_loop.frame, browser_loop.user) == LOOP_GOES_ON) return;
    // The end of the loop is the end of the program, as when main returns on the desktop:
    // the exit handlers run and the page hears of it (Module.onExit).
    emscripten_cancel_main_loop();
    emscripten_force_exit(0);
}

static void run_in_browser(int32_t (*frame)(void* user), void* user) {
    browser_loop = {frame, user};
    orvex.time.next_turn = emscripten_get_now();
    // Frame rate 0: one call per display frame (requestAnimationFrame). The last argument
    // unwinds the caller, so locals of main stay in place for the user pointer.
    emscripten_set_main_loop_arg(browser_pass, nullptr, 0, 1);
}
#endif

//------------------------------------------------------------------------------------------
// Queries
//------------------------------------------------------------------------------------------
KeyState ORVEX_GetKeyState(int32_t scancode) {
    return is_key(scancode) ? orvex.input.keys[scancode] : ORVEX_KEY_UP;
}

bool ORVEX_IsKeyDown(int32_t scancode) {
    const KeyState s = ORVEX_GetKeyState(scancode);
    return s == ORVEX_KEY_DOWN || s == ORVEX_KEY_PRESSED;
}

bool ORVEX_IsKeyPressed(int32_t scancode) {
    return ORVEX_GetKeyState(scancode) == ORVEX_KEY_PRESSED;
}

bool ORVEX_IsKeyReleased(int32_t scancode) {
    return ORVEX_GetKeyState(scancode) == ORVEX_KEY_RELEASED;
}

bool ORVEX_IsKeyUp(int32_t scancode) {
    const KeyState s = ORVEX_GetKeyState(scancode);
    return s == ORVEX_KEY_UP || s == ORVEX_KEY_RELEASED;
}

KeyState ORVEX_GetButtonState(int32_t button) {
    return is_button(button) ? orvex.input.buttons[button] : ORVEX_KEY_UP;
}

uint32_t ORVEX_GetFrameCount(void) { return orvex.time.frame_count; }

int32_t ORVEX_ShouldQuit(void) { return orvex.input.quit; }
