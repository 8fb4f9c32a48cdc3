// Private to the engine: the one instance of engine state that every engine source file
// shares, and the few internal steps one file offers another. Nothing outside engine/
// includes this; programs go through orvex.hpp.
#pragma once

#include <orvex/orvex.hpp>

struct SDL_Window;
struct SDL_Renderer;
struct _Mix_Music;

// One index space over the three state tables: keys, then mouse buttons, then pad buttons. The
// press counts and the recordings name a key or button by its slot here.
constexpr int32_t INPUT_FIRST_BUTTON = ORVEX_MAX_KEYS;
constexpr int32_t INPUT_FIRST_PAD_BUTTON = INPUT_FIRST_BUTTON + ORVEX_MAX_BUTTONS;
constexpr int32_t INPUT_SLOTS = INPUT_FIRST_PAD_BUTTON + ORVEX_MAX_GAMEPAD_BUTTONS;

// The presses (down events, key repeats excluded) each slot received in one turn's drain,
// saturating at PRESS_COUNT_MAX, and the slots that received any, in the order of their first
// press: a new turn clears those alone, so a quiet turn costs nothing (presses.cpp).
constexpr uint32_t PRESS_COUNT_MAX = UINT16_MAX;
struct PressCounts {
    uint16_t counts[INPUT_SLOTS];
    uint16_t touched[INPUT_SLOTS];
    int32_t nb_touched;
};

void presses_clear(PressCounts* p);
void presses_add(PressCounts* p, int32_t slot, uint32_t n);  // slot in 0..INPUT_SLOTS-1
void presses_copy(PressCounts* to, const PressCounts* from);

struct EngineState {
    ORVEX_Config config;  // the engine's copy; config.title is not kept
    struct {
        SDL_Window* window;
        SDL_Renderer* renderer;
        SDL_Texture* target;             // null in logical_size mode
        int32_t windowed_w, windowed_h;  // window size before fullscreen, given back after it
        uint32_t generation;             // bumped when the renderer is created or destroyed
    } video;
    struct {
        int32_t frame_time;      // milliseconds per frame
        uint32_t next_deadline;  // 32-bit millisecond tick
        uint32_t frame_count;
        double next_turn;  // browser loop: when the next turn is due, milliseconds
    } time;
    struct {
        float scale = 1.0f;    // output pixels per logical pixel at the last present
        int32_t x = 1, y = 1;  // top-left of the last destination rectangle, output pixels
        int32_t window_w = 0, window_h = 0;  // the window's size in its own units (0: unknown)
        int32_t pixels_w = 0, pixels_h = 0;  // and the renderer's output size in pixels
    } letterbox;
    struct {
        KeyState keys[ORVEX_MAX_KEYS];
        KeyState buttons[ORVEX_MAX_BUTTONS];
        KeyState pad_buttons[ORVEX_MAX_GAMEPAD_BUTTONS];  // merged over every open pad
        int32_t mouse_x, mouse_y;                         // window pixels
        int32_t quit;
        PressCounts presses;  // of the last turn's drain (or the replayed turn's)
    } input;
    struct {
        float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
    } draw_color;
};

extern EngineState orvex;

// The current music (audio.cpp), or null; shutdown frees it before the audio device closes.
_Mix_Music* audio_music(void);
void audio_close_music(void);
// The mute step at the end of every mix, registered once the device opens; pausing what
// plays while the loop rests (hidden.cpp) and resuming exactly that.
void audio_watch_mute(void);
void audio_rest(void);
void audio_wake(void);

// While the window is hidden and the program asked for it, waits until it shows again or a
// quit arrives, keeping the events for the next turn (hidden.cpp); otherwise returns at once.
void hidden_rest(void);

// Registry steps used by start-up, shutdown and the frame loop.
void release_resources(void);

// Game controllers, started and stopped with the engine; the pump hands them controller
// events, and each turn lets SDL read the open pads (and, now and then, look for new ones).
void gamepads_start(void);
void gamepads_stop(void);
void gamepads_update(void);
void gamepads_on_event(const union SDL_Event& event);

// The whole-number factor the window opens at, beyond the configured scale, for a window of
// width x height pixels on a scaled display (window.cpp); 1 where the window system scales
// windows itself.
int32_t window_opening_scale(int32_t width, int32_t height);

// Creates the renderer for a fresh window: SDL's first accelerated renderer, or its software
// renderer where the accelerated one would rasterise on the CPU (renderer_choice.cpp). May
// replace *window by a fresh one. Null, with SDL's error set, on failure.
SDL_Renderer* orvex_create_renderer(SDL_Window** window);

// Watches for the display going away under the running program (display_loss.cpp), after
// which shutdown must not touch video: the window and renderer live on a dead connection.
void display_loss_watch(void);
bool display_is_lost(void);

// Whether a GL_RENDERER string names a CPU rasteriser (llvmpipe, softpipe, SwiftShader, ...).
bool renderer_name_is_cpu(const char* gl_renderer);

// Ages key, mouse button and pad button states for a new turn, so that an edge lasts exactly
// one turn: pressed -> down, released -> up, down and up stay. The encoding makes it one mask
// on the low bit, branch-free, so the states age in a few vector steps.
static_assert(ORVEX_KEY_PRESSED % 2 == ORVEX_KEY_DOWN && ORVEX_KEY_RELEASED % 2 == ORVEX_KEY_UP);
inline void age_key_states(KeyState* states, int32_t count) {
    for (int32_t i = 0; i < count; ++i) states[i] = static_cast<KeyState>(states[i] & 1);
}

// Record and replay around each turn's event drain (record.cpp), in this order: the recording
// notes the state the program reads (aged already); a running replay swaps the player's live
// input in, so that the drain writes it aside; after the drain the replay puts the recorded
// turn in its place; the recording notes what changed. Each does nothing when its side is
// idle. Shutdown finishes a recording and drops a replay.
void recording_note_before(void);
void replay_swap_in_live(void);
void replay_feed_turn(void);
void recording_note_turn(void);
void record_shutdown(void);
// While a replay feeds turns, the logical mouse position it recorded (ORVEX_GetMousePos
// answers it); false otherwise.
bool record_replayed_mouse(int32_t* x, int32_t* y);

// Captures around each present: ORVEX_DrawEnd reads the picture before it letterboxes and
// writes the files after it presents; shutdown finishes a GIF.
void capture_grab(void);
void capture_store(void);
void capture_shutdown(void);

//------------------------------------------------------------------------------------------
// Pacing and letterbox arithmetic (pure: no SDL, callable from tests)
//------------------------------------------------------------------------------------------
// Milliseconds per frame for a frame rate: 1000 / fps truncated; 0 when fps <= 0.
int32_t pacing_frame_time(int32_t fps);

// Advances *next_deadline by one frame and answers how long to wait before presenting at
// tick `now`. A frame that is late (or whose deadline compares more than one frame time
// ahead, which only a wrap of the 32-bit tick can cause) waits nothing and restarts the
// deadline at `now`. With fps <= 0 nothing waits and the deadline is left alone.
uint32_t pacing_wait(int32_t fps, int32_t frame_time, uint32_t* next_deadline, uint32_t now);

// The browser's pacing, which runs a turn on some display frames and skips others instead of
// waiting: whether a display frame at `now` (milliseconds) runs a turn. A due turn moves
// *next_deadline one frame time on, or to one frame time after `now` when the turn is more
// than a frame late. True on every display frame with fps <= 0 or a frame time of 0; over
// time never more turns than the frame time allows.
bool pacing_due(int32_t fps, int32_t frame_time, double* next_deadline, double now);

struct LetterboxRect {
    float scale;         // output pixels per logical pixel
    int32_t x, y, w, h;  // destination in output pixels
};

// The largest fit of a logical_w x logical_h picture into a window_w x window_h window,
// centred; scales above 1 are cut to a whole number when pixel_perfect is set. A window
// dimension of 0 or less counts as 1, and so does a logical one.
LetterboxRect letterbox_fit(int32_t window_w, int32_t window_h, int32_t logical_w,
                            int32_t logical_h, bool pixel_perfect);

// The program's draw colour (orvex.draw_color) given to the renderer again, as after
// ORVEX_SetDrawColor: each frame starts with it, whatever the letterbox last drew with.
// 0, or -1 after logging.
int32_t draw_color_apply(void);

// The letterbox step of ORVEX_DrawEnd on its own: the target texture copied into the window
// with black bars, not yet presented (tests read the window here, since after a present only
// the software renderer still holds it). 0, or -1 after logging.
int32_t letterbox_into_window(void);

// Output pixel -> logical pixel along one axis, for a letterbox of this scale and offset.
int32_t letterbox_to_logical(int32_t v, int32_t offset, float scale);

// Window unit -> output pixel along one axis: v x pixel_extent / window_extent, rounded down,
// saturating; v itself when either extent is 0 or less (sizes not known yet).
int32_t window_to_pixels(int32_t v, int32_t window_extent, int32_t pixel_extent);

// The whole-number factor a window opens at on a display that enlarges everything to `dpi`
// (96 is unscaled, 144 is 150%): dpi / 96 rounded, at least 1, and no more than lets a
// width x height window (in pixels) fit a usable_w x usable_h desktop (0 or less: no limit).
int32_t display_window_scale(float dpi, int32_t width, int32_t height, int32_t usable_w,
                             int32_t usable_h);

// Whether the GIF keeps presented frame number `frame` (0 = the first since the start) of a
// game paced at `frame_ms` (0 or less: 16) and, if so, for how many hundredths it shows: the
// first frame of each 20 ms, shown until the next kept one.
bool gif_frame_kept(uint32_t frame, int32_t frame_ms, int32_t* delay_cs);
