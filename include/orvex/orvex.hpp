// orvex: the engine layer over SDL2 and SDL2_mixer.
//
// One window, one renderer, one frame loop, on one thread. The engine owns everything it
// creates through SDL and releases it in ORVEX_Quit. Results: 0 on success and -1 on failure;
// operations that register a resource return its id, 0 on failure; queries return their value.
// Records that an operation takes begin with `reserved`, which is never read: build them with
// designated initialisers. A field you do not mention takes the default written beside it:
// zero for most, and the value that does what the call is for where zero would do nothing
// (a sound's volume 1, an image's whole extent at scale 1, an opaque colour); a zero you
// write still means zero.
//
// A complete program: a window of 320 x 240 pixels shown twice as large, an orange box on
// black, until the window is closed. ORVEX_Init makes the program's own folder the working
// directory, so relative paths (images, sounds, music) are read from beside the program.
//
//     #include <orvex/orvex.hpp>
//
//     static int32_t frame(void*) {  // once a turn; non-zero ends the loop
//         ORVEX_DrawBegin();
//         ORVEX_SetDrawColor8(0, 0, 0, 255);
//         ORVEX_ScreenClear();
//         const ORVEX_ColorArgs orange = {.r = 1, .g = 0.5f, .b = 0};
//         ORVEX_SetDrawColor(&orange);
//         const ORVEX_DrawRectangleArgs box = {.x = 150, .y = 110, .w = 20, .h = 20, .fill = 1};
//         ORVEX_DrawRectangle(&box);
//         ORVEX_DrawEnd();
//         return 0;
//     }
//
//     int main() {
//         const ORVEX_Config config = {.width = 320, .height = 240, .scale = 2, .fps = 60};
//         if (ORVEX_Init(&config) != 0) return 1;
//         ORVEX_MainLoop(frame, nullptr);  // until the window is closed
//         ORVEX_Quit();
//     }
//
// Index: Version / Limits and constants / Configuration, start-up and shutdown /
//        Frame loop, events and device state / Frame presentation /
//        Resource registry and hot reload / Audio / Renderer drawing
#pragma once

#include <cstdint>
#include <string>

struct SDL_Texture;
struct SDL_Renderer;
struct Mix_Chunk;

//------------------------------------------------------------------------------------------
// Version
//------------------------------------------------------------------------------------------
// The engine's version: the one number of the engine, the game and their packages (the build
// reads it from these lines). In 0.x a new minor version may change the interface.
#define ORVEX_VERSION_MAJOR 0
#define ORVEX_VERSION_MINOR 2
#define ORVEX_VERSION_PATCH 0

// "MAJOR.MINOR.PATCH" of the library linked, which may differ from the header compiled.
const char* ORVEX_GetVersion(void);

//------------------------------------------------------------------------------------------
// Limits and constants
//------------------------------------------------------------------------------------------
constexpr int32_t ORVEX_MAX_KEYS = 512;            // key states, indexed by SDL scancode
constexpr int32_t ORVEX_MAX_BUTTONS = 256;         // mouse button states, indexed by SDL button
constexpr int32_t ORVEX_MAX_GAMEPAD_BUTTONS = 32;  // pad button states, SDL_GameControllerButton
constexpr int32_t ORVEX_MAX_GAMEPADS = 8;          // pads open at once; later ones are ignored
constexpr int32_t ORVEX_WHOLE_IMAGE = INT32_MIN;   // ORVEX_DrawImageArgs w/h: the whole extent

//------------------------------------------------------------------------------------------
// Configuration, start-up and shutdown
//------------------------------------------------------------------------------------------
struct ORVEX_Config {
    int32_t reserved = 0;
    int32_t width = 0;  // logical size in pixels
    int32_t height = 0;
    int32_t scale = 0;            // window size multiplier at creation; <= 0 counts as 1
    int32_t fps = 0;              // frame rate to pace to; <= 0 turns pacing off
    uint8_t pixel_perfect = 0;    // cut letterbox scales above 1 to a whole number
    uint8_t logical_size = 0;     // no target texture: SDL's logical size letterboxes instead
    uint8_t scale_linear = 0;     // linear texture filtering for textures created after start-up
    uint8_t show_cursor = 0;      // 0 hides the mouse cursor
    int32_t mixer = 0;            // 0 no audio, 1 open the device, 2 also initialise FLAC first
    const char* title = nullptr;  // window title; read during ORVEX_Init only
};

// Every line the engine, px and input would print (without its newline) goes to `fn`
// instead, ORVEX_Init's too when set before it; null restores the default (stderr; stdout
// for the files a capture saved; SDL's log for SDL's own failures).
void ORVEX_SetLogCallback(void (*fn)(void* user, const char* line), void* user);
// Starts SDL, the window, renderer and audio, and makes the program's folder the working
// directory (relative paths are read from there). 0, or -1 after logging the cause.
int32_t ORVEX_Init(const ORVEX_Config* config);
void ORVEX_Quit(void);  // releases everything; safe to call twice
// The renderer, for modules that draw with SDL (px); null before start-up.
SDL_Renderer* ORVEX_GetRenderer(void);
// A count that changes whenever the renderer is created or destroyed. SDL destroys a
// renderer's textures with it: a module that keeps one notes the count when it creates it,
// and once the count differs the texture is gone (even if a new renderer has the old
// renderer's address).
uint32_t ORVEX_GetRendererGeneration(void);

//------------------------------------------------------------------------------------------
// Frame loop, events and device state
//------------------------------------------------------------------------------------------
enum KeyState : int32_t {
    ORVEX_KEY_UP = 0,
    ORVEX_KEY_DOWN = 1,
    ORVEX_KEY_RELEASED = 2,  // went up during the last turn
    ORVEX_KEY_PRESSED = 3,   // went down during the last turn
};

enum : int32_t { ORVEX_EVENT_QUIT = 0, ORVEX_EVENT_KEY_DOWN = 1, ORVEX_EVENT_KEY_UP = 2 };

struct ORVEX_Event {
    int32_t kind;  // ORVEX_EVENT_*
    int32_t code;  // SDL scancode of a key event
};

// Runs ORVEX_Cycle then frame(user) until the window is closed (returns 0) or frame returns
// non-zero (returns 1); -1 at once when frame is null.
// In a browser (built with Emscripten) the page must not block, so the loop differs:
//  - the call does not return: the browser runs one turn per display frame, paced to the
//    configured fps (a faster display does not speed the game up; a 60 Hz one runs at most
//    60 turns a second), and nothing waits or sleeps, in ORVEX_DrawEnd neither;
//  - main never returns either, so its locals stay valid: one may be the user pointer;
//  - when the loop ends, the program exits with status 0: the exit handlers run (in a module
//    linked with -sEXIT_RUNTIME=1, as web/ links the game) and the page hears of it through
//    Module.onExit; a closed tab ends the program without running them.
int32_t ORVEX_MainLoop(int32_t (*frame)(void* user), void* user);
int32_t ORVEX_Cycle(void);                      // change scan, key aging, event drain; 0
int32_t ORVEX_PumpEvents(ORVEX_Event* event);   // 1 at a quit event, 0 when the queue is empty
KeyState ORVEX_GetKeyState(int32_t scancode);   // scancodes outside 0..511 read as up
bool ORVEX_IsKeyDown(int32_t scancode);         // down or pressed
bool ORVEX_IsKeyPressed(int32_t scancode);      // pressed this turn
bool ORVEX_IsKeyReleased(int32_t scancode);     // released this turn
bool ORVEX_IsKeyUp(int32_t scancode);           // up or released
KeyState ORVEX_GetButtonState(int32_t button);  // mouse buttons, 0..255; others read as up
uint32_t ORVEX_GetFrameCount(void);             // frames presented so far
int32_t ORVEX_ShouldQuit(void);                 // 1 once a quit event arrived
// Game controllers: every pad is opened when it is plugged in (also while running) and
// closed when it is pulled out. One state per button (SDL_CONTROLLER_BUTTON_A, ...), merged
// over all pads: down while any pad holds it, aged like keys; pulling a pad out releases
// what it held. Numbers outside 0..31 read as up. ORVEX_Cycle reads the pads: SDL's own read
// on every event poll is turned off (SDL_HINT_AUTO_UPDATE_JOYSTICKS), so a program that reads
// other joysticks through SDL calls SDL_JoystickUpdate itself.
KeyState ORVEX_GetGamepadButtonState(int32_t button);
int32_t ORVEX_GetGamepadCount(void);  // pads open now

// Presses in the last turn: how many times a key, mouse button or pad button went down during
// the last ORVEX_Cycle's drain (key repeats are no presses; each pad's press of a button counts).
// The states above keep only the last edge, so a press and release within one turn reads as
// released; these keep the press: act on a count above 0 and a tap of any length works.
// Numbers outside the state tables answer 0; counts stop at 65535.
int32_t ORVEX_GetKeyPresses(int32_t scancode);
int32_t ORVEX_GetButtonPresses(int32_t button);
int32_t ORVEX_GetGamepadButtonPresses(int32_t button);

//------------------------------------------------------------------------------------------
// Record and replay
//------------------------------------------------------------------------------------------
// A recording holds every turn's input from the next ORVEX_Cycle on (keys, mouse buttons,
// the mouse position in logical pixels as ORVEX_GetMousePos reads it, pad buttons, quit) and
// the digest of each frame presented in it (see ORVEX_SetFrameDigest). Starting a recording,
// and starting its replay, reseed rand() with a seed kept in the file and set the frame
// counter to where the recording began: a program that starts both at the same point of its
// set-up (before anything else draws from rand(), px_init included) draws the same numbers
// and frames again. A replay also refuses a file made with another C library's rand().
//
// The file is written beside `path` as "<path>.part" in checksummed blocks and renamed to
// `path` when the recording stops (ORVEX_StopRecording, or ORVEX_Quit), so a crash or a
// full disk leaves no file that replays wrongly, and an older file at `path` stays until then.
int32_t ORVEX_RecordInput(const char* path);  // 0, or -1 after saying why (not while recording)
// 0 once `path` is complete (or nothing was recording); -1 if the recording was lost.
int32_t ORVEX_StopRecording(void);
int32_t ORVEX_IsRecording(void);  // 1 while recording
// Feeds a recording from the next turn on in place of the live keys, buttons, pads and mouse
// (a live quit still quits; ORVEX_GetMousePos answers the recorded logical position, whatever
// the window's size now); after its last turn every key and button it held is released and
// live input takes over. The whole file is checked first: a missing, corrupt, cut, foreign or
// newer file is refused with one line on stderr and -1, and nothing changes.
int32_t ORVEX_ReplayInput(const char* path);
int32_t ORVEX_IsReplaying(void);  // 1 from ORVEX_ReplayInput until live input takes over
// The keyboard as the player holds it: ORVEX_GetKeyState and ORVEX_GetKeyPresses, except
// during a replay, which these keys still follow (for the program's own controls: fullscreen,
// captures). A recording keeps each turn's press counts too, so a replay answers them again.
KeyState ORVEX_GetLiveKeyState(int32_t scancode);
int32_t ORVEX_GetLiveKeyPresses(int32_t scancode);

// The digest of the frame this turn presents (px_render hands in its own): kept with the
// turn while recording; compared with the recorded one while replaying, where the first frame
// that differs is reported on stderr. One frame a turn; outside both it is ignored.
void ORVEX_SetFrameDigest(uint64_t digest);

struct ORVEX_ReplayStatus {
    int32_t reserved = 0;
    int32_t replaying = 0;          // ORVEX_IsReplaying()
    uint32_t turns = 0;             // turns in the recording
    uint32_t turns_fed = 0;         // turns fed so far
    uint32_t frames = 0;            // recorded frame digests
    uint32_t frames_checked = 0;    // of those, compared with a presented frame
    uint32_t frames_differing = 0;  // compared and different, or recorded and not presented
    uint32_t first_turn = 0;        // the first difference: its turn (1-based), 0 for none
    uint32_t first_frame = 0;       // and ORVEX_GetFrameCount() during it
};

// The current replay's counts, or the last one's after it ended; all zero before any. 0, or
// -1 when status is null.
int32_t ORVEX_GetReplayStatus(ORVEX_ReplayStatus* status);

//------------------------------------------------------------------------------------------
// Command line of a recording game
//------------------------------------------------------------------------------------------
// The options a game that records its play takes, the same in every game on the engine:
//   --record FILE   record the play to FILE (written when the game ends)
//   --replay FILE   play FILE back in the window; at its end live input takes over
//   --check         with --replay: as fast as possible, every frame compared with the file
//   --help, -h      print the game's usage on stdout;  --version  "<name> <version>"
// A file follows its option or an "=". Each option is given once, and a file name starting
// with "--" is refused as a slip (./--name reaches such a file). A mistake is named on stderr
// as "<name>: <what>" followed by "Try '<name> --help' for more information.".
struct ORVEX_CommandLineArgs {
    int32_t reserved = 0;
    int32_t argc = 0;                   // main's arguments; argv[0] is not read
    const char* const* argv = nullptr;  // UTF-8, as SDL's main hands them over
    const char* name = nullptr;         // the program's name in every line it prints
    const char* usage = nullptr;        // what --help prints, as it is
    const char* version = nullptr;      // what --version prints after the name
};

struct ORVEX_GameOptions {
    int32_t reserved = 0;
    const char* name = nullptr;  // ORVEX_CommandLineArgs::name, for ORVEX_FinishPlayback's lines
    std::string record;          // --record FILE, made absolute; empty when not given
    std::string replay;          // --replay FILE, made absolute (start-up changes folder)
    bool check = false;          // --check
};

constexpr int32_t ORVEX_OPTIONS_PLAY = -1;  // ORVEX_ParseGameOptions: go on and play

// The lines of a usage text that describe these options, for a game to put in its own:
//   "Usage: mygame [--record FILE | --replay FILE [--check]]\n" "...\n\n" ORVEX_GAME_OPTIONS_HELP
#define ORVEX_GAME_OPTIONS_HELP                                                                  \
    "  --record FILE   record this play to FILE (written when the game ends)\n"                  \
    "  --replay FILE   play FILE back in the window; at its end your own input takes over\n"     \
    "  --check         with --replay: play it back as fast as possible, compare every frame\n"   \
    "                  with the recording and say whether all match (exit status 0 only then)\n" \
    "  --help          show this help and exit\n"                                                \
    "  --version       show the version and exit\n"

// Fills *options from the arguments: ORVEX_OPTIONS_PLAY to go on and start the game;
// otherwise the exit status to leave with at once: 0 after --help or --version, 2 after a
// mistake (also null args, argv, name or options).
int32_t ORVEX_ParseGameOptions(const ORVEX_CommandLineArgs* args, ORVEX_GameOptions* options);
// Starts the recording or the replay the options ask for: after ORVEX_Init, before anything
// draws from rand() (px_init included). 0, or -1 after the engine said why.
int32_t ORVEX_StartPlayback(const ORVEX_GameOptions* options);
// The per-frame function of a checked replay calls this with the game's own: frame(user)
// while the recording lasts; once it has run out with the game still going, 1 (the loop
// ends and the verdict says the game went on).
int32_t ORVEX_CheckedFrame(int32_t (*frame)(void* user), void* user);
// After the frame loop: finishes a recording ("<name>: recording saved to FILE" on stdout)
// and, for --check, prints the verdict line on stdout. The exit status: 0, or 1 when the
// recording was lost or the check failed.
int32_t ORVEX_FinishPlayback(const ORVEX_GameOptions* options);
// The verdict of a checked replay that ended as *status says (`went_on`: the recording ran
// out with the game still going), written into line (size bytes, cut to fit). True when it
// passed: every recorded frame presented with its digest, and the game ending in the last
// recorded turn.
bool ORVEX_ReplayVerdict(const ORVEX_ReplayStatus* status, bool went_on, char* line, int32_t size);

//------------------------------------------------------------------------------------------
// Frame presentation
//------------------------------------------------------------------------------------------
int32_t ORVEX_DrawBegin(void);    // the target texture becomes the render target
int32_t ORVEX_ScreenClear(void);  // clear the current target with the renderer's colour
int32_t ORVEX_DrawEnd(void);      // letterbox into the window, wait, present, count
void ORVEX_GetMousePos(int32_t* x, int32_t* y);      // logical coordinates; null skips
void ORVEX_WindowToLogical(int32_t* x, int32_t* y);  // in place; null skips

//------------------------------------------------------------------------------------------
// Capture
//------------------------------------------------------------------------------------------
// Files of the presented picture at the logical size, without the letterbox bars (not in
// logical_size mode, which has no picture of its own). A null path names a new file in the
// pictures folder ($XDG_PICTURES_DIR, else the desktop's, else ~/Pictures), in a folder named
// after the window title, with the date and time in its name; the engine's preference folder
// when that cannot be made. Each file written is named on stdout ("Screenshot saved: PATH");
// a failed write is said on stderr and play goes on.
int32_t ORVEX_SaveScreenshot(const char* path);  // PNG of the next frame presented; 0 or -1
// An animated GIF of every frame presented from the next one on, at most 50 a second (one per
// 20 ms of the configured frame rate), looping; the first frame's colours are the palette when
// there are at most 256, else a fixed colour cube. 0, or -1 (also while one runs).
int32_t ORVEX_StartGifCapture(const char* path);
int32_t ORVEX_StopGifCapture(void);  // finish the file; 0, or -1 when it is lost (or empty)
int32_t ORVEX_IsCapturingGif(void);  // 1 while capturing

//------------------------------------------------------------------------------------------
// Window
//------------------------------------------------------------------------------------------
struct ORVEX_WindowIconArgs {
    int32_t reserved = 0;
    const void* pixels = nullptr;   // width x height pixels, bytes R, G, B, A; read during the call
    int32_t width = 0, height = 0;  // 1..1024 each
    int32_t pitch = 0;              // bytes from one row to the next; 0 means width * 4
};

// Desktop fullscreen (on != 0) covers the display without a mode change; 0 gives the window
// back. The letterbox follows at the next ORVEX_DrawEnd. 0, or -1 after logging.
int32_t ORVEX_SetFullscreen(int32_t on);
int32_t ORVEX_IsFullscreen(void);  // 1 while fullscreen, else 0 (also before start-up)
int32_t ORVEX_SetWindowIcon(const ORVEX_WindowIconArgs* args);  // 0, or -1 after logging

// Resting while the window is hidden, off at first. When on, ORVEX_MainLoop runs no turn
// while the window is minimised or hidden: no ORVEX_Cycle, no frame, nothing presented or
// recorded. Playing music and sounds pause (what the program paused itself stays paused) and
// the loop sleeps until the window system has news. Events that arrive meanwhile are kept
// for the next turn (a key let go while hidden reads released there; a quit still ends the
// loop). Once the window shows again, sound resumes and the frame pacing starts afresh, so
// the game neither rushes to catch up nor counts the time away. In a browser the page's
// display frames stop while its tab is hidden, and with them the loop; the page suspends
// its audio (web/page does) and the pacing starts afresh when the tab comes back.
void ORVEX_SetPauseWhenHidden(int32_t on);  // on != 0 rests, 0 runs turns regardless

//------------------------------------------------------------------------------------------
// Resource registry and hot reload
//------------------------------------------------------------------------------------------
using ResourceId = uint32_t;  // 1-based, valid until ORVEX_Quit; 0 is none or failure

enum ResourceType : uint32_t {
    ORVEX_RESOURCE_RAW = 0,
    ORVEX_RESOURCE_IMAGE = 1,
    ORVEX_RESOURCE_SOUND = 2,
    ORVEX_RESOURCE_INVALID = 0xFFFFFFFFu,  // what ORVEX_GetResourceType answers for a bad id
};

union ResourcePayload {
    struct {
        uint8_t* data;  // owned copy of the bytes
        int64_t size;
    } raw;
    struct {
        int32_t width;
        int32_t height;
        SDL_Texture* texture;
    } image;
    struct {
        Mix_Chunk* chunk;
    } sound;
};

// The file fields describe the file as it was last read or scanned; all are 0 for an entry
// from memory and while the file is missing. The change scan reloads the entry when any of
// them differs from the file on disk.
struct ResourceEntry {
    ResourceType type;
    char* path;          // owned copy of the file path; null for entries from memory
    int64_t mtime;       // modification time, seconds
    int64_t mtime_nsec;  // sub-second part and size catch a file saved twice in one second
    int64_t file_size;
    int64_t ctime;       // status-change time and identity catch contents replaced with the old
    int64_t ctime_nsec;  // time and size (cp -p, tar x, a link pointed at another file)
    uint64_t inode;
    uint64_t device;
    ResourcePayload payload;
};

// A file is read to its end (also one that reports no size, as under /proc) and its bytes
// are held once. A path that names no regular file (a directory, FIFO, device or socket)
// fails at once, with a message that says what it is; it is never opened. Images: PNG,
// JPEG, QOI and BMP. Sounds: WAV and what the mixer decodes as music (Ogg Vorbis, FLAC,
// MP3, modules); AIFF, 8SVX, VOC and MIDI sounds are refused with a message.
ResourceId ORVEX_LoadResource(const char* path);  // type from the extension
ResourceId ORVEX_LoadResourceTyped(ResourceType type, const char* path);
ResourceId ORVEX_LoadResourceFromMemory(ResourceType type, const void* bytes, uint32_t size);
// Re-reads the entry's file; a failure leaves the old payload in place.
int32_t ORVEX_ReloadResource(ResourceId id);
// Reloads every entry whose file changed since it was loaded or last scanned (also one
// deleted and created again); each change is tried once, whether or not the reload works.
// ORVEX_Cycle calls it at the start of each turn. On Linux inotify tells which files may
// have changed, so a turn without change costs the same whatever the number of entries;
// other files are compared with their file every turn.
void ORVEX_HotReload(void);
// Accessors: an id of 0 or above the count is reported on stderr and answers null,
// ORVEX_RESOURCE_INVALID or 0 (the image sizes also answer 0 for an entry that is no image).
// Entry and payload addresses are valid until the next registration.
ResourceEntry* ORVEX_GetResource(ResourceId id);
ResourceType ORVEX_GetResourceType(ResourceId id);
const char* ORVEX_GetResourcePath(ResourceId id);
ResourcePayload* ORVEX_GetResourceData(ResourceId id);
int32_t ORVEX_GetImageWidth(ResourceId id);
int32_t ORVEX_GetImageHeight(ResourceId id);

//------------------------------------------------------------------------------------------
// Audio
//------------------------------------------------------------------------------------------
struct ORVEX_PlaySoundArgs {
    int32_t reserved = 0;
    ResourceId id = 0;  // a sound entry
    int32_t loops = 0;  // extra repetitions, -1 for endless
    float volume = 1;   // 1.0 is full volume
};

bool ORVEX_IsAudioOpen(void);  // whether start-up opened the audio device (and it is still open)
int32_t ORVEX_PlayMusic(const char* path, int32_t loops);  // restarts from the beginning
void ORVEX_StopMusic(void);
int32_t ORVEX_PlaySound(const ORVEX_PlaySoundArgs* args);  // on the first free channel
// Mute silences everything the device plays, music and every channel (also what starts
// while muted), without touching the volumes a program set: unmuting plays them as before.
// A setting of the program, kept across ORVEX_Quit and ORVEX_Init; off at first.
void ORVEX_SetMuted(int32_t on);  // on != 0 mutes, 0 unmutes
int32_t ORVEX_IsMuted(void);      // 1 while muted, else 0

//------------------------------------------------------------------------------------------
// Renderer drawing (onto the current render target, in the draw colour)
//------------------------------------------------------------------------------------------
struct ORVEX_DrawImageArgs {
    int32_t reserved = 0;
    ResourceId id = 0;               // an image entry
    int32_t x = 0, y = 0;            // destination, target pixels
    int32_t ix = 0, iy = 0;          // top-left of the source rectangle
    int32_t w = ORVEX_WHOLE_IMAGE;   // source size; ORVEX_WHOLE_IMAGE for all of it; negative
    int32_t h = ORVEX_WHOLE_IMAGE;   // mirrors
    float rotation = 0;              // fraction of a full turn, clockwise
    float scale_x = 1, scale_y = 1;  // negative mirrors
    uint8_t centered = 0;            // (x, y) is the centre
    uint8_t flip_x = 0, flip_y = 0;
};

struct ORVEX_DrawRectangleArgs {
    int32_t reserved = 0;
    int32_t x = 0, y = 0, w = 0, h = 0;
    uint8_t fill = 0;
    uint8_t centered = 0;
};

struct ORVEX_ColorArgs {
    int32_t reserved = 0;
    float r = 0, g = 0, b = 0;  // 0..1; a negative component keeps the current one
    float a = 1;                // opaque unless said otherwise
};

struct ORVEX_DrawTextArgs {
    int32_t reserved = 0;
    const char* text = nullptr;  // UTF-8
    int32_t x = 0, y = 0;        // top-left of the first line, target pixels
    int32_t scale = 1;           // whole-number size, 1 or more
};

int32_t ORVEX_DrawImage(const ORVEX_DrawImageArgs* args);
int32_t ORVEX_DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
int32_t ORVEX_DrawPoint(int32_t x, int32_t y);
int32_t ORVEX_DrawRectangle(const ORVEX_DrawRectangleArgs* args);
int32_t ORVEX_SetDrawColor8(int32_t r, int32_t g, int32_t b, int32_t a);  // low 8 bits count
int32_t ORVEX_SetDrawColor(const ORVEX_ColorArgs* args);                  // above 1.0 clamps to 255
// Text in the built-in 5x8 font, 6x9 pixel cells at scale 1: printable ASCII; any other code
// point, control character or invalid byte draws as a box; '\n' starts a line. A null or
// empty text draws nothing; a scale below 1 counts as 1. Drawn as filled rectangles, so the
// renderer's draw blend mode applies as to ORVEX_DrawRectangle (alpha blends after
// ORVEX_DrawBegin). 0, or -1 after logging (null args, before start-up).
int32_t ORVEX_DrawText(const ORVEX_DrawTextArgs* args);  // in the draw colour
// The box ORVEX_DrawText (and px_text) draws in from (x, y): (6 x the longest line's glyphs
// - 1) x (9 x the lines - 1), times the scale, saturating at INT32_MAX; 0 x 0 for null or
// empty text, 0 wide for newlines alone. Null w or h is skipped.
void ORVEX_MeasureText(const char* text, int32_t scale, int32_t* w, int32_t* h);
