// Start-up and shutdown of the engine: the one EngineState instance, the configuration copy,
// SDL, the working directory, window, renderer, target texture and audio device. ORVEX_Init
// creates them in a fixed order; ORVEX_Quit releases them in reverse and forgets each handle,
// so it skips what was never created and may run any number of times.
//
// Index: State / Reporting / Configuration checks / Start-up / Shutdown
#include <SDL.h>
#include <SDL_mixer.h>

#include <strings.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "engine_state.hpp"
#include "files.hpp"
#include "log.hpp"
#include "resources_internal.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
// Constant-initialised, so every engine query is safe before start-up: no window, no keys,
// and (from the member initialisers in engine_state.hpp) a letterbox at scale 1 with offsets
// 1 and 1 and an opaque black draw colour.
constinit EngineState orvex{};

SDL_Renderer* ORVEX_GetRenderer(void) { return orvex.video.renderer; }

uint32_t ORVEX_GetRendererGeneration(void) { return orvex.video.generation; }

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
static void report_caller(const char* what) { orvex_report_line("ORVEX_Init: %s\n", what); }

//------------------------------------------------------------------------------------------
// Configuration checks
//------------------------------------------------------------------------------------------
// Rejects records that would divide by zero in the letterbox or overflow the window size.
static bool config_is_usable(const ORVEX_Config* config) {
    if (!config) {
        report_caller("config is null");
        return false;
    }
    if (config->width <= 0 || config->height <= 0) {
        report_caller("width and height must be positive");
        return false;
    }
    const int64_t scale = config->scale > 0 ? config->scale : 1;
    const int64_t w = int64_t{config->width} * scale;
    const int64_t h = int64_t{config->height} * scale;
    if (w > INT32_MAX || h > INT32_MAX || w < INT32_MIN || h < INT32_MIN) {
        report_caller("scale * width or scale * height does not fit in 32 bits");
        return false;
    }
    return true;
}

//------------------------------------------------------------------------------------------
// Start-up
//------------------------------------------------------------------------------------------
// Everything a previous run may have left behind goes back to its start value, so that one
// process can start and stop the engine many times.
static void reset_run_state(void) {
    memset(&orvex.input, 0, sizeof orvex.input);
    orvex.time = {};
    orvex.letterbox = {};
    orvex.draw_color = {};
}

// True when `name` is one of the comma-separated driver names in `list`.
static bool names_driver(const char* list, const char* name) {
    const size_t n = strlen(name);
    for (const char* p = list; p && *p; p = strchr(p, ',') ? strchr(p, ',') + 1 : nullptr) {
        while (*p == ' ') ++p;
        if (strncasecmp(p, name, n) == 0 && (p[n] == '\0' || p[n] == ',' || p[n] == ' '))
            return true;
    }
    return false;
}

// Without a display SDL falls back to a video driver that shows nothing, and the game would
// run unseen. Those drivers serve only when asked for by name through SDL_VIDEODRIVER (as
// the tests do); otherwise start-up fails with SDL's error set to say why.
static bool display_missing(void) {
    static const char* const blind[] = {"offscreen", "dummy", "evdev"};
    const char* driver = SDL_GetCurrentVideoDriver();
    for (const char* name : blind) {
        if (!driver || strcmp(driver, name) != 0) continue;
        if (names_driver(SDL_GetHint(SDL_HINT_VIDEODRIVER), name)) return false;
        SDL_SetError(
            "no display: SDL could start only its \"%s\" video driver, which shows "
            "nothing (set SDL_VIDEODRIVER=%s to run without a display on purpose)",
            name, name);
        return true;
    }
    return false;
}

static void init_flac(void) {
    if (Mix_Init(MIX_INIT_FLAC) != MIX_INIT_FLAC) {
        orvex_log(ORVEX_LOG_SDL, "%s", SDL_GetError());
        orvex.config.mixer = 0;
    }
}

// The program's own directory becomes the working directory, so relative resource paths
// such as "res/ost.wav" resolve beside the binary wherever it was started from.
static int32_t enter_base_directory(void) {
    char* base = SDL_GetBasePath();
    if (!base) {
        orvex_report_sdl();
        return -1;
    }
    const int32_t rc = orvex_enter_directory(base);
    SDL_free(base);
    if (rc != 0) {
        orvex_report_errno("ORVEX_Init");
        return 1;  // not an SDL failure: the caller leaves SDL as it is
    }
    return 0;
}

// High-DPI drawables where the platform has them: the renderer then draws in the display's
// own pixels, and the letterbox scales the picture by whole numbers of them.
static int32_t open_video(const ORVEX_Config* config) {
    const ORVEX_Config* c = &orvex.config;
    const int32_t scale =
        c->scale * window_opening_scale(c->scale * c->width, c->scale * c->height);
    orvex.video.window = SDL_CreateWindow(
        config->title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, scale * c->width,
        scale * c->height, SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!orvex.video.window) return -1;
    orvex.video.renderer = orvex_create_renderer(&orvex.video.window);
    if (!orvex.video.renderer) return -1;
    orvex.video.generation += 1;
    if (c->logical_size)
        return SDL_RenderSetLogicalSize(orvex.video.renderer, c->width, c->height) < 0 ? -1 : 0;
    orvex.video.target = SDL_CreateTexture(orvex.video.renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_TARGET, c->width, c->height);
    return orvex.video.target ? 0 : -1;
}

static void prime_frame_and_mouse(void) {
    const ORVEX_Config* c = &orvex.config;
    orvex.time.frame_count = 0;
    if (c->fps > 0) {
        orvex.time.frame_time = pacing_frame_time(c->fps);
        orvex.time.next_deadline = static_cast<uint32_t>(SDL_GetTicks64());
    }
    if (!c->show_cursor) SDL_ShowCursor(SDL_DISABLE);
    orvex.input.mouse_x = c->width / 2;
    orvex.input.mouse_y = c->height / 2;
}

// A device that cannot be opened leaves the engine running silently.
static void open_audio(void) {
    if (!orvex.config.mixer) return;
    if (Mix_OpenAudio(48000, AUDIO_S16LSB, 8, 1024) < 0) {
        orvex_report_sdl();
        Mix_Quit();
        orvex.config.mixer = 0;
        return;
    }
    audio_watch_mute();
}

static int32_t fail_start(void) {
    orvex_report_sdl();
    ORVEX_Quit();
    return -1;
}

int32_t ORVEX_Init(const ORVEX_Config* config) {
    if (!config_is_usable(config)) return -1;
    if (orvex.video.window) {
        report_caller("the engine is already started; call ORVEX_Quit first");
        return -1;
    }
    orvex.config = *config;
    orvex.config.title = nullptr;  // the caller's string need not outlive this call
    if (orvex.config.scale <= 0) orvex.config.scale = 1;  // SDL would make 0 or less 1x1
    reset_run_state();
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || display_missing()) return fail_start();
    display_loss_watch();
    if (orvex.config.mixer == 2) init_flac();
    const int32_t dir = enter_base_directory();
    if (dir < 0) return fail_start();
    if (dir > 0) return -1;
    if (open_video(config) < 0) return fail_start();
    gamepads_start();
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, orvex.config.scale_linear ? "1" : "0");
    prime_frame_and_mouse();
    open_audio();
    return 0;
}

//------------------------------------------------------------------------------------------
// Shutdown
//------------------------------------------------------------------------------------------
// The music goes first: it belongs to the audio device that closes below.
static void close_audio(void) {
    audio_close_music();
    if (!orvex.config.mixer) return;
    Mix_CloseAudio();
    Mix_Quit();
    orvex.config.mixer = 0;
}

// After the display went away, the process is ending (see display_loss.cpp): a recording and a
// GIF being written are finished and the audio device is closed; the window, renderer and the
// images on it are left to the system, since touching them would wait forever on the dead
// connection.
void ORVEX_Quit(void) {
    // Files only, finished even when the display is gone.
    record_shutdown();
    capture_shutdown();
    if (display_is_lost()) {
        close_audio();
        return;
    }
    release_resources();
    image_decoders_stop();
    gamepads_stop();
    // SDL keeps a copy of the target's state while a texture is the render target and frees
    // it only when the target is set back, so the window becomes the target first.
    if (orvex.video.renderer) SDL_SetRenderTarget(orvex.video.renderer, nullptr);
    if (orvex.video.target) SDL_DestroyTexture(orvex.video.target);
    orvex.video.target = nullptr;
    if (orvex.video.renderer) {
        SDL_DestroyRenderer(orvex.video.renderer);
        orvex.video.generation += 1;
    }
    orvex.video.renderer = nullptr;
    if (orvex.video.window) SDL_DestroyWindow(orvex.video.window);
    orvex.video.window = nullptr;
    close_audio();
    SDL_Quit();
}
