// Capture of the presented picture: a PNG of one frame, or an animated GIF of every frame
// presented while it runs. ORVEX_DrawEnd reads the target texture (the picture at the logical
// size, without the letterbox bars) just before it letterboxes, and writes the files after
// the present, so the frame on screen is the one saved.
//
// The GIF's palette is the first frame's colours when it has at most 256 (a two-colour game
// makes 2-colour, few-bit frames), otherwise a fixed 3-3-2 colour cube; a later colour outside
// the palette takes its nearest entry. GIF delays are whole hundredths and players stretch
// anything under two, so at most one frame per 20 ms is kept, shown for 20 ms. Buffers are
// made when a capture starts: nothing is allocated per frame.
//
// Index: Files and folders / Reading the picture / Screenshots / GIF palette / GIF frames /
//        GIF start and stop / Frame hooks
#include <SDL.h>
#include <SDL_image.h>
#include <gif_lib.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "engine_state.hpp"
#include "files.hpp"
#include "hash_table.hpp"
#include "log.hpp"

namespace fs = std::filesystem;

// A GIF's colour table holds at most 256 colours; the lookup of them is a quarter full at most.
constexpr int32_t GIF_MAX_COLORS = 256;
constexpr uint64_t PALETTE_SLOTS = 4 * GIF_MAX_COLORS;
// GIF delays are whole hundredths and players stretch one under two: at most one frame per
// this many milliseconds is kept.
constexpr uint64_t GIF_FRAME_MS = 20;

//------------------------------------------------------------------------------------------
// Files and folders
//------------------------------------------------------------------------------------------
static std::string window_title(void) {
    const char* t = orvex.video.window ? SDL_GetWindowTitle(orvex.video.window) : nullptr;
    std::string title = t && *t ? t : "orvex";
    for (char& c : title) {
        if (c == '/' || c == '\\' || c == ':') c = '-';
    }
    return title;
}

// <pictures>/<title>/, made when missing; else the engine's preference folder.
static std::string capture_folder(void) {
    const std::string title = window_title();
    const std::string pictures = orvex_pictures_folder();
    std::error_code error;
    if (!pictures.empty()) {
        const fs::path folder = orvex_path(pictures) / orvex_path(title);
        fs::create_directories(folder, error);
        if (!error) return orvex_utf8(folder);
    }
    char* pref = SDL_GetPrefPath("", title.c_str());
    if (!pref) return std::string();
    std::string folder = pref;
    SDL_free(pref);
    return folder;
}

// "<title>-YYYYMMDD-HHMMSS<ext>" in the capture folder, "-2", "-3"... when taken.
static std::string new_capture_path(const char* ext) {
    const std::string folder = capture_folder();
    if (folder.empty()) return std::string();
    std::string stem;
    for (char c : window_title())
        stem += static_cast<char>(isalnum(static_cast<unsigned char>(c)) ? tolower(c) : '-');
    char stamp[32];
    const time_t now = time(nullptr);
    const struct tm local = orvex_local_time(now);
    strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local);
    const std::string base = orvex_utf8(orvex_path(folder) / (stem + stamp));
    std::error_code error;
    for (int32_t n = 1; n < 1000; ++n) {
        char suffix[16] = "";
        if (n > 1) snprintf(suffix, sizeof suffix, "-%d", n);
        std::string path = base;
        path.append(suffix).append(ext);
        if (!fs::exists(orvex_path(path), error)) return path;
    }
    return std::string();
}

static void say_saved(const char* what, const std::string& path) {
    orvex_log(ORVEX_LOG_STDOUT, "%s %s\n", what, path.c_str());
}

//------------------------------------------------------------------------------------------
// Reading the picture
//------------------------------------------------------------------------------------------
static struct {
    uint32_t* pixels;  // the last picture read, RGB888 (top byte unused), width x height
    bool grabbed;      // pixels hold this frame's picture
    bool shot;         // a screenshot is asked for
    std::string shot_path;
    struct {
        GifFileType* file;
        FILE* stream;  // what `file` writes to
        std::string path;
        uint8_t* indices;
        uint32_t frame;  // presented frames since the start
        uint32_t kept;   // frames written
        bool started;    // screen descriptor written
        uint32_t colors[GIF_MAX_COLORS];
        int32_t count;                  // palette entries in use
        int32_t bits;                   // colour table size is 1 << bits
        uint32_t slots[PALETTE_SLOTS];  // colour -> entry + 1 (hash_table.hpp)
        uint8_t* nearest;               // 32768 entries, 5 bits per channel; made at the first miss
        int32_t frame_ms;
    } gif;
} cap;

static bool capture_possible(const char* op) {
    if (!orvex.video.renderer) {
        orvex_report_line("%s: the engine is not started\n", op);
        return false;
    }
    if (!orvex.video.target) {
        orvex_report_line("%s: needs the target texture, which logical_size mode has not\n", op);
        return false;
    }
    return true;
}

static bool make_pixels(const char* op) {
    if (cap.pixels) return true;
    const size_t n = size_t(orvex.config.width) * size_t(orvex.config.height);
    cap.pixels = static_cast<uint32_t*>(malloc(n * 4));
    if (!cap.pixels) orvex_report_errno(op);
    return cap.pixels != nullptr;
}

// The target texture as the frame left it; the render target is the texture afterwards. Read
// in the texture's own format: a conversion would make SDL's software renderer allocate on
// every read.
static bool read_picture(void) {
    SDL_Renderer* r = orvex.video.renderer;
    if (SDL_SetRenderTarget(r, orvex.video.target) < 0 ||
        SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_RGB888, cap.pixels,
                             orvex.config.width * 4) < 0) {
        orvex_report_sdl();
        return false;
    }
    return true;
}

//------------------------------------------------------------------------------------------
// Screenshots
//------------------------------------------------------------------------------------------
int32_t ORVEX_SaveScreenshot(const char* path) {
    if (!capture_possible("ORVEX_SaveScreenshot") || !make_pixels("ORVEX_SaveScreenshot"))
        return -1;
    cap.shot = true;
    cap.shot_path = path ? path : "";
    return 0;
}

static void save_screenshot(void) {
    cap.shot = false;
    const std::string path = cap.shot_path.empty() ? new_capture_path(".png") : cap.shot_path;
    if (path.empty()) {
        orvex_report_line("ORVEX_SaveScreenshot: no folder to save it in\n");
        return;
    }
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(cap.pixels, orvex.config.width, orvex.config.height, 32,
                                           orvex.config.width * 4, SDL_PIXELFORMAT_RGB888);
    const bool saved = surface && IMG_SavePNG(surface, path.c_str()) == 0;
    if (surface) SDL_FreeSurface(surface);
    if (!saved) {
        orvex_report_line("ORVEX_SaveScreenshot: %s: %s\n", path.c_str(), SDL_GetError());
        std::error_code ignored;
        fs::remove(orvex_path(path), ignored);
        return;
    }
    say_saved("Screenshot saved:", path);
}

//------------------------------------------------------------------------------------------
// GIF palette
//------------------------------------------------------------------------------------------
static HashTable palette_table(void) { return HashTable{cap.gif.slots, PALETTE_SLOTS}; }

static bool palette_find(uint32_t color, uint8_t* index) {
    const uint32_t entry = hash_probe(palette_table(), hash_u32(color), [color](uint32_t e) {
        return cap.gif.colors[e - 1] == color;
    });
    if (entry == 0) return false;
    *index = static_cast<uint8_t>(entry - 1);
    return true;
}

static void palette_add(uint32_t color) {
    cap.gif.colors[cap.gif.count++] = color;
    hash_put(palette_table(), hash_u32(color), static_cast<uint32_t>(cap.gif.count));
}

static void palette_clear(void) {
    cap.gif.count = 0;
    memset(cap.gif.slots, 0, sizeof cap.gif.slots);
}

// The first frame's colours if there are at most 256 of them, else the 3-3-2 cube.
static void choose_palette(const uint32_t* pixels, size_t n) {
    palette_clear();
    uint8_t ignored;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = pixels[i] & 0xFFFFFFu;
        if (palette_find(c, &ignored)) continue;
        if (cap.gif.count == GIF_MAX_COLORS) {
            palette_clear();
            for (uint32_t k = 0; k < GIF_MAX_COLORS; ++k) {
                const uint32_t r = (k >> 5) * 255 / 7, g = ((k >> 2) & 7) * 255 / 7,
                               b = (k & 3) * 255 / 3;
                palette_add(r << 16 | g << 8 | b);
            }
            break;
        }
        palette_add(c);
    }
    cap.gif.bits = 1;
    while ((1 << cap.gif.bits) < cap.gif.count) cap.gif.bits++;
}

static uint8_t nearest_entry(uint32_t color) {
    int32_t best = 0;
    int64_t best_d = INT64_MAX;
    for (int32_t i = 0; i < cap.gif.count; ++i) {
        const uint32_t p = cap.gif.colors[i];
        const int64_t dr = int64_t(p >> 16 & 255) - (color >> 16 & 255);
        const int64_t dg = int64_t(p >> 8 & 255) - (color >> 8 & 255);
        const int64_t db = int64_t(p & 255) - (color & 255);
        const int64_t d = dr * dr + dg * dg + db * db;
        if (d < best_d) best_d = d, best = i;
    }
    return static_cast<uint8_t>(best);
}

// For colours outside the palette: the nearest entry of each 5-5-5 colour, made once.
static uint8_t approximate(uint32_t color) {
    if (!cap.gif.nearest) {
        cap.gif.nearest = static_cast<uint8_t*>(malloc(32768));
        if (!cap.gif.nearest) return 0;
        for (uint32_t k = 0; k < 32768; ++k) {
            const uint32_t r = (k >> 10) << 3 | 4, g = ((k >> 5) & 31) << 3 | 4,
                           b = (k & 31) << 3 | 4;
            cap.gif.nearest[k] = nearest_entry(r << 16 | g << 8 | b);
        }
    }
    return cap.gif.nearest[(color >> 19 & 31) << 10 | (color >> 11 & 31) << 5 | (color >> 3 & 31)];
}

// The two colours met last are remembered with their entries, the latest first. A dithered
// picture alternates between two colours from pixel to pixel: choosing between the two is
// branch-free, and only a third colour takes the (rarely mispredicted) lookup.
static void index_picture(const uint32_t* pixels, uint8_t* out, size_t n) {
    uint32_t latest = 0xFFFFFFFFu, other = 0xFFFFFFFFu;
    uint8_t latest_index = 0, other_index = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = pixels[i] & 0xFFFFFFu;
        // Zero when c is either colour: one branch, which compilers keep from splitting.
        const uint64_t neither = uint64_t(c ^ latest) * uint64_t(c ^ other);
        if (neither != 0) {
            other = latest;
            other_index = latest_index;
            if (!palette_find(c, &latest_index)) latest_index = approximate(c);
            latest = c;
        }
        out[i] = c == latest ? latest_index : other_index;
    }
}

//------------------------------------------------------------------------------------------
// GIF frames
//------------------------------------------------------------------------------------------
bool gif_frame_kept(uint32_t frame, int32_t frame_ms, int32_t* delay_cs) {
    const uint64_t ms = frame_ms > 0 ? uint64_t(frame_ms) : 16;
    const uint64_t t = uint64_t(frame) * ms;
    const uint64_t slot = t / GIF_FRAME_MS;
    if (frame != 0 && (t - ms) / GIF_FRAME_MS == slot) return false;
    const uint64_t next = (t + ms) / GIF_FRAME_MS;
    *delay_cs = static_cast<int32_t>(2 * (next > slot ? next - slot : 1));
    return true;
}

// giflib writes through this to a file opened through the engine's file seam, which takes
// UTF-8 paths on every platform.
static int write_gif(GifFileType* gif, const GifByteType* bytes, int n) {
    return static_cast<int>(fwrite(bytes, 1, size_t(n), static_cast<FILE*>(gif->UserData)));
}

// Ends the GIF and closes its file; false with *error set when either fails.
static bool close_gif(int* error) {
    bool closed = EGifCloseFile(cap.gif.file, error) != GIF_ERROR;
    if (fclose(cap.gif.stream) != 0 && closed) {
        closed = false;
        *error = E_GIF_ERR_WRITE_FAILED;
    }
    cap.gif.file = nullptr;
    cap.gif.stream = nullptr;
    return closed;
}

static bool gif_failed(const char* step) {
    const int32_t code = cap.gif.file ? cap.gif.file->Error : 0;
    orvex_report_line("GIF capture: %s: %s: %s; the capture has stopped and the file is removed\n",
                      cap.gif.path.c_str(), step, GifErrorString(code));
    int ignored;
    close_gif(&ignored);
    std::error_code gone;
    fs::remove(orvex_path(cap.gif.path), gone);
    return false;
}

// Screen descriptor with the palette, and the loop-forever extension browsers know.
static bool start_gif_stream(void) {
    ColorMapObject map = {};
    GifColorType colors[GIF_MAX_COLORS] = {};
    for (int32_t i = 0; i < cap.gif.count; ++i) {
        colors[i] = {GifByteType(cap.gif.colors[i] >> 16), GifByteType(cap.gif.colors[i] >> 8),
                     GifByteType(cap.gif.colors[i])};
    }
    map.ColorCount = 1 << cap.gif.bits;
    map.BitsPerPixel = cap.gif.bits;
    map.Colors = colors;
    GifFileType* g = cap.gif.file;
    EGifSetGifVersion(g, true);
    if (EGifPutScreenDesc(g, orvex.config.width, orvex.config.height, cap.gif.bits, 0, &map) ==
        GIF_ERROR)
        return gif_failed("header");
    static const GifByteType loop[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(g, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(g, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(g, 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(g) == GIF_ERROR)
        return gif_failed("header");
    cap.gif.started = true;
    return true;
}

static bool write_gif_frame(int32_t delay_cs) {
    const int32_t w = orvex.config.width, h = orvex.config.height;
    if (!cap.gif.started) {
        choose_palette(cap.pixels, size_t(w) * size_t(h));
        if (!start_gif_stream()) return false;
    }
    index_picture(cap.pixels, cap.gif.indices, size_t(w) * size_t(h));
    GraphicsControlBlock gcb = {DISPOSAL_UNSPECIFIED, false, delay_cs, NO_TRANSPARENT_COLOR};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    GifFileType* g = cap.gif.file;
    if (EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_ERROR ||
        EGifPutImageDesc(g, 0, 0, w, h, false, nullptr) == GIF_ERROR)
        return gif_failed("frame");
    for (int32_t y = 0; y < h; ++y) {
        if (EGifPutLine(g, cap.gif.indices + size_t(y) * w, w) == GIF_ERROR)
            return gif_failed("frame");
    }
    cap.gif.kept++;
    return true;
}

//------------------------------------------------------------------------------------------
// GIF start and stop
//------------------------------------------------------------------------------------------
static void release_gif(void) {
    free(cap.gif.indices);
    cap.gif.indices = nullptr;
    free(cap.gif.nearest);
    cap.gif.nearest = nullptr;
}

// The buffer of colour indices, the file and giflib's writer on it; false after reporting,
// with nothing left behind.
static bool open_gif(void) {
    cap.gif.indices =
        static_cast<uint8_t*>(malloc(size_t(orvex.config.width) * orvex.config.height));
    int error = 0;
    const char* opened = nullptr;
    cap.gif.stream = cap.gif.indices ? orvex_file_create(cap.gif.path.c_str(), &opened) : nullptr;
    cap.gif.file = cap.gif.stream ? EGifOpen(cap.gif.stream, write_gif, &error) : nullptr;
    if (cap.gif.file) return true;
    orvex_report_line("ORVEX_StartGifCapture: %s: %s\n", cap.gif.path.c_str(),
                      !cap.gif.indices ? "out of memory"
                      : opened         ? opened
                                       : GifErrorString(error));
    if (cap.gif.stream) {
        fclose(cap.gif.stream);
        cap.gif.stream = nullptr;
        std::error_code ignored;
        fs::remove(orvex_path(cap.gif.path), ignored);
    }
    release_gif();
    return false;
}

int32_t ORVEX_StartGifCapture(const char* path) {
    if (cap.gif.file) {
        orvex_report_line("ORVEX_StartGifCapture: already capturing to %s\n", cap.gif.path.c_str());
        return -1;
    }
    if (!capture_possible("ORVEX_StartGifCapture") || !make_pixels("ORVEX_StartGifCapture"))
        return -1;
    cap.gif.path = path ? path : new_capture_path(".gif");
    if (cap.gif.path.empty()) {
        orvex_report_line("ORVEX_StartGifCapture: no folder to save it in\n");
        return -1;
    }
    if (!open_gif()) return -1;
    cap.gif.frame = cap.gif.kept = 0;
    cap.gif.started = false;
    cap.gif.frame_ms = orvex.time.frame_time;
    say_saved("GIF capture started:", cap.gif.path);
    return 0;
}

int32_t ORVEX_StopGifCapture(void) {
    if (!cap.gif.file) return 0;
    int error = 0;
    const bool empty = !cap.gif.started;
    const bool closed = close_gif(&error);
    release_gif();
    std::error_code ignored;
    if (!closed || empty) {
        orvex_report_line("ORVEX_StopGifCapture: %s: %s; the file is removed\n",
                          cap.gif.path.c_str(),
                          empty ? "no frame was presented" : GifErrorString(error));
        fs::remove(orvex_path(cap.gif.path), ignored);
        return -1;
    }
    orvex_log(ORVEX_LOG_STDOUT, "GIF saved: %s (%u frames)\n", cap.gif.path.c_str(), cap.gif.kept);
    return 0;
}

int32_t ORVEX_IsCapturingGif(void) { return cap.gif.file ? 1 : 0; }

//------------------------------------------------------------------------------------------
// Frame hooks
//------------------------------------------------------------------------------------------
void capture_grab(void) {
    cap.grabbed = false;
    if (!cap.shot && !cap.gif.file) return;
    cap.grabbed = read_picture();
    if (!cap.grabbed) cap.shot = false;
}

void capture_store(void) {
    if (!cap.grabbed) return;
    cap.grabbed = false;
    if (cap.shot) save_screenshot();
    if (!cap.gif.file) return;
    int32_t delay = 0;
    if (gif_frame_kept(cap.gif.frame++, cap.gif.frame_ms, &delay) && !write_gif_frame(delay))
        release_gif();
}

void capture_shutdown(void) {
    ORVEX_StopGifCapture();
    cap.shot = false;
    free(cap.pixels);
    cap.pixels = nullptr;
}
