// The pixel canvas on its own: four panels drawn into the 640x480 canvas of colour indices
// every frame, then shown through the two-colour stochastic dither. Top left, a turning fan
// of lines cut by a clip rectangle; top right, filled rectangles of a grey ramp (an index is
// its chance, in 255ths, of coming out light) inside outlines; bottom left, one sprite blitted
// plain and mirrored three ways; bottom right, the same sprite with its background index
// opaque, transparent, and drawn through a remap of its colours. Each panel has a caption in
// the built-in font on a dark plate the size px_measure_text gives.
//
//   orvex_canvas [--frames N] [--screenshot FILE]   (see run_options.hpp)
//
// Index: Sprite / Panels / Frame / Entry
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include <orvex/orvex.hpp>
#include <orvex/px.hpp>

#include "../run_options.hpp"

//------------------------------------------------------------------------------------------
// Sprite
//------------------------------------------------------------------------------------------
// Colour indices: index 0 is always dark, 255 always light, anything between is dithered.
constexpr uint8_t BLACK = 0, WHITE = 255, GREY = 128, BACKDROP = 40;
constexpr int32_t SPRITE = 48;  // the sprite is SPRITE x SPRITE pixels

static struct {
    RunOptions options;
    int32_t frame;
    bool failed;  // the screenshot could not be saved
    std::vector<uint8_t> sprite_pixels;
    PxImage sprite;
} demo;

// An arrow pointing right with a flag in its top-left corner, so every mirroring shows: a
// white body, a grey outline and a backdrop index that the transparency demo hides.
static bool arrow_body(int32_t u, int32_t v) {
    const bool shaft = u >= 6 && u < 30 && v >= 20 && v < 28;
    const bool head = u >= 30 && u < 44 && std::abs(v - 24) < 44 - u;
    const bool flag = u >= 6 && u < 16 && v >= 6 && v < 14;
    return shaft || head || flag;
}

static void make_sprite(void) {
    demo.sprite_pixels.resize(SPRITE * SPRITE);
    for (int32_t v = 0; v < SPRITE; v++) {
        for (int32_t u = 0; u < SPRITE; u++) {
            const bool edge = arrow_body(u - 1, v) || arrow_body(u + 1, v) ||
                              arrow_body(u, v - 1) || arrow_body(u, v + 1);
            uint8_t c = arrow_body(u, v) ? WHITE : edge ? GREY : BACKDROP;
            demo.sprite_pixels[v * SPRITE + u] = c;
        }
    }
    demo.sprite = {SPRITE, SPRITE, demo.sprite_pixels.data()};
}

//------------------------------------------------------------------------------------------
// Panels
//------------------------------------------------------------------------------------------
// Lines from one corner, turning slowly; the clip rectangle cuts them at the panel's inner
// edge, however far they reach.
static void draw_lines(void) {
    px_clip(8, 8, 304, 224);
    const double turn = demo.frame * 0.01;
    for (int32_t i = 0; i < 24; i++) {
        const double a = turn + i * (std::numbers::pi / 48);
        const int32_t x = int32_t(20 + 1000 * std::cos(a)), y = int32_t(220 - 1000 * std::sin(a));
        px_line(20, 220, x, y, WHITE);
    }
    px_reset_clip();
}

// A grey ramp of filled squares, each inside a white outline: the dither shows index n as
// light in about n of every 255 pixels.
static void draw_ramp(void) {
    for (int32_t i = 0; i < 8; i++) {
        const int32_t x = 336 + (i % 4) * 74, y = 24 + (i / 4) * 104;
        px_rect(x, y, x + 65, y + 89, WHITE);
        px_fill_rect(x + 4, y + 4, x + 61, y + 85, uint8_t(i * 255 / 7));
    }
}

// The sprite as it is, mirrored left to right, upside down, and both.
static void draw_flips(void) {
    const int32_t bob = int32_t(6 * std::sin(demo.frame * 0.1));
    for (int32_t i = 0; i < 4; i++) {
        px_blit({.img = &demo.sprite,
                 .x = 24 + i * 72,
                 .y = 336 + (i % 2 ? bob : -bob),
                 .w = -1,
                 .h = -1,
                 .flip_x = uint8_t(i & 1),
                 .flip_y = uint8_t(i >> 1)});
    }
}

// Over stripes: the sprite with its backdrop drawn, with the backdrop transparent, and with
// its colours remapped: the body black, the outline white. Settings of the colour table act on later
// writes only, so each is set just before its blit and undone after.
static void draw_remap_and_transparency(void) {
    for (int32_t y = 264; y < 456; y += 16) px_fill_rect(336, y, 623, y + 7, GREY);
    const PxBlitArgs sprite = {.img = &demo.sprite, .y = 336, .w = -1, .h = -1};
    PxBlitArgs opaque = sprite, see_through = sprite, remapped = sprite;
    opaque.x = 360;
    see_through.x = 456;
    remapped.x = 552;
    px_blit(opaque);
    px_transparent({.color = BACKDROP, .transparent = 1});
    px_blit(see_through);
    px_remap({.c0 = WHITE, .c1 = BLACK});
    px_remap({.c0 = GREY, .c1 = WHITE});
    px_blit(remapped);
    px_remap({.c0 = -1, .c1 = -1});
    px_transparent({.color = -1});
}

// A caption with its top-left at (x, y), on a dark plate two pixels larger on every side.
static void caption(const char* text, int32_t x, int32_t y) {
    int32_t w = 0, h = 0;
    px_measure_text(text, 1, &w, &h);
    px_fill_rect(x - 2, y - 2, x + w + 1, y + h + 1, BLACK);
    px_text({.text = text, .x = x, .y = y, .color = WHITE});
}

//------------------------------------------------------------------------------------------
// Frame
//------------------------------------------------------------------------------------------
static void draw_canvas(void) {
    px_clear(BLACK);
    px_rect(0, 0, 639, 479, WHITE);
    px_line(320, 0, 320, 479, WHITE);
    px_line(0, 240, 639, 240, WHITE);
    draw_lines();
    draw_ramp();
    draw_flips();
    draw_remap_and_transparency();
    caption("px_line, cut by px_clip", 8, 226);
    caption("px_fill_rect inside px_rect", 336, 226);
    caption("px_blit: plain, flip_x, flip_y, both", 8, 462);
    caption("opaque, transparent, remapped", 336, 462);
}

static int32_t frame(void*) {
    demo.frame++;
    draw_canvas();
    ORVEX_DrawBegin();
    px_render();
    if (!screenshot_if_last(demo.options, demo.frame)) demo.failed = true;
    ORVEX_DrawEnd();
    return last_frame(demo.options, demo.frame) ? 1 : 0;
}

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
int main(int argc, char** argv) {
    demo.options = parse_run_options(argc, argv);
    const ORVEX_Config config = {
        .width = PX_WIDTH,
        .height = PX_HEIGHT,
        .scale = 1,
        .fps = 60,
        .pixel_perfect = 1,
        .show_cursor = 1,
        .title = "Canvas example",
    };
    if (ORVEX_Init(&config) != 0) return 1;
    atexit(ORVEX_Quit);
    if (px_init() != 0) return 1;
    atexit(px_deinit);  // registered last, so it runs first: the texture before the renderer
    make_sprite();
    ORVEX_MainLoop(frame, nullptr);
    return demo.failed ? 1 : 0;
}
