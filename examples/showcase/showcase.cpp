// A tour of the engine beyond the game: a BMP sprite and a WAV blip loaded through the
// resource registry, the sprite drawn scaled, turning and mirrored in the draw colour's tint,
// rectangles and lines, the blip on the space bar, and the sprite reloaded when its file
// changes on disk (edit showcase/sprite.bmp while it runs). Both files are made at start-up.
//
//   orvex_showcase [--frames N] [--edit-at K] [--screenshot FILE]   (see run_options.hpp)
//
// Index: State / Making the files / Frame / Entry
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <orvex/orvex.hpp>

#include "../run_options.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
static const char* const SPRITE_PATH = "showcase/sprite.bmp";
static const char* const BLIP_PATH = "showcase/blip.wav";

static struct {
    RunOptions options;
    ResourceId sprite, blip;
    int32_t sprite_w, sprite_h;  // last size seen, to notice a reload
    bool reloaded;
    bool failed;  // the screenshot could not be saved
    int32_t frame;
} demo;

//------------------------------------------------------------------------------------------
// Making the files
//------------------------------------------------------------------------------------------
// A w x h sprite of concentric rings, its hue set by `tone`; SDL writes it as BMP.
static bool write_sprite(int32_t w, int32_t h, uint8_t tone) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return false;
    for (int32_t y = 0; y < h; ++y) {
        uint32_t* row =
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int32_t x = 0; x < w; ++x) {
            int32_t ring = int32_t(std::hypot(x - w / 2, y - h / 2)) / 3;
            row[x] = ring % 2 ? 0xFF000000u | uint32_t(tone) << 16 | 0x40FF : 0xFFFFFFFFu;
        }
    }
    bool ok = SDL_SaveBMP(s, SPRITE_PATH) == 0;
    SDL_FreeSurface(s);
    return ok;
}

static void put_le(FILE* f, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) fputc(int((v >> (8 * i)) & 0xFF), f);
}

// A tenth of a second of a falling square-wave blip, 16-bit mono PCM at 48 kHz.
static bool write_blip(void) {
    FILE* f = fopen(BLIP_PATH, "wb");
    if (!f) return false;
    const uint32_t frames = 4800;
    fputs("RIFF", f);
    put_le(f, 36 + frames * 2, 4);
    fputs("WAVEfmt ", f);
    put_le(f, 16, 4);
    put_le(f, 1, 2);  // PCM
    put_le(f, 1, 2);  // mono
    put_le(f, 48000, 4);
    put_le(f, 96000, 4);
    put_le(f, 2, 2);
    put_le(f, 16, 2);
    fputs("data", f);
    put_le(f, frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        uint32_t period = 40 + i / 40;
        int16_t v = (i / (period / 2)) % 2 ? 6000 : -6000;
        put_le(f, uint16_t(v * int32_t(frames - i) / int32_t(frames)), 2);
    }
    return fclose(f) == 0;
}

//------------------------------------------------------------------------------------------
// Frame
//------------------------------------------------------------------------------------------
static void notice_reload(void) {
    int32_t w = ORVEX_GetImageWidth(demo.sprite), h = ORVEX_GetImageHeight(demo.sprite);
    if (w == demo.sprite_w && h == demo.sprite_h) return;
    printf("sprite reloaded: %dx%d\n", w, h);
    fflush(stdout);
    demo.sprite_w = w;
    demo.sprite_h = h;
    demo.reloaded = true;
}

static void draw_sprites(void) {
    ORVEX_DrawImageArgs a{};
    a.id = demo.sprite;
    a.w = a.h = ORVEX_WHOLE_IMAGE;
    a.x = 100;
    a.y = 120;
    a.centered = 1;
    a.scale_x = a.scale_y = 2.0f;
    a.rotation = float(demo.frame % 240) / 240.0f;
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    ORVEX_DrawImage(&a);
    a.x = 220;
    a.rotation = 0.0f;
    a.scale_x = -2.0f;  // mirrored, tinted orange
    ORVEX_SetDrawColor8(255, 170, 60, 255);
    ORVEX_DrawImage(&a);
}

static void draw_shapes(void) {
    ORVEX_SetDrawColor8(90, 200, 255, 255);
    ORVEX_DrawRectangleArgs frame{};
    frame.x = 8;
    frame.y = 8;
    frame.w = 304;
    frame.h = 224;
    ORVEX_DrawRectangle(&frame);
    ORVEX_DrawRectangleArgs dot{};
    dot.x = 160 + int32_t(60 * std::sin(demo.frame / 20.0));
    dot.y = 200;
    dot.w = dot.h = 9;
    dot.fill = 1;
    dot.centered = 1;
    ORVEX_DrawRectangle(&dot);
    for (int32_t x = 16; x < 304; x += 16) ORVEX_DrawLine(x, 28, x + 8, 20);
}

static int32_t frame(void*) {
    demo.frame += 1;
    if (demo.frame == demo.options.edit_at) write_sprite(48, 24, 200);
    notice_reload();
    if (ORVEX_IsKeyPressed(SDL_SCANCODE_SPACE) && demo.blip) {
        ORVEX_PlaySoundArgs s{};
        s.id = demo.blip;
        s.volume = 0.8f;
        ORVEX_PlaySound(&s);
    }
    ORVEX_DrawBegin();
    ORVEX_SetDrawColor8(16, 20, 40, 255);
    ORVEX_ScreenClear();
    draw_sprites();
    draw_shapes();
    if (!screenshot_if_last(demo.options, demo.frame)) demo.failed = true;
    ORVEX_DrawEnd();
    return last_frame(demo.options, demo.frame) ? 1 : 0;
}

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
// Files are made beside the program, which start-up made the working directory.
static bool make_files(void) {
    std::error_code exists_already;
    std::filesystem::create_directory("showcase", exists_already);
    if (!write_sprite(32, 32, 40) || !write_blip()) {
        perror("showcase");
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    demo.options = parse_run_options(argc, argv);
    ORVEX_Config config{};
    config.width = 320;
    config.height = 240;
    config.scale = 2;
    config.fps = 60;
    config.mixer = 1;
    config.show_cursor = 1;
    config.title = "Orvex showcase";
    if (ORVEX_Init(&config) != 0) return 1;
    atexit(ORVEX_Quit);
    if (!make_files()) return 1;
    demo.sprite = ORVEX_LoadResource(SPRITE_PATH);
    demo.blip = ORVEX_LoadResource(BLIP_PATH);  // 0 without audio: the demo stays silent
    if (demo.sprite == 0) return 1;
    demo.sprite_w = ORVEX_GetImageWidth(demo.sprite);
    demo.sprite_h = ORVEX_GetImageHeight(demo.sprite);
    ORVEX_MainLoop(frame, nullptr);
    if (demo.options.edit_at && !demo.reloaded) {
        fprintf(stderr, "showcase: the sprite was rewritten but never reloaded\n");
        return 1;
    }
    return demo.failed ? 1 : 0;
}
