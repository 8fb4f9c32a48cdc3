// px core: owns the canvas buffers, clip rectangle, current depth, colour table, generator
// state and the canvas texture. Every buffer is a fixed static array and the colour table is
// constant-initialised, so drawing works before main runs and nothing here allocates.
//
// Index: State / Colour table / Start and stop / Canvas state / Colour table settings / Helpers
#undef NDEBUG  // the caller-error assertions stay in every build type
#include <cassert>
#include <cstdlib>
#include <cstring>

#include <SDL.h>

#include <orvex/orvex.hpp>

#include "log.hpp"
#include "px_internal.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
uint8_t px_pixels[PX_PIXELS];
uint32_t px_depth_buffer[PX_PIXELS];
PxClipRect px_clip_rect = {0, 0, PX_WIDTH, PX_HEIGHT};
uint32_t px_current_depth = 0;
SDL_Texture* px_texture = nullptr;
static uint32_t px_texture_generation = 0;  // the renderer generation px_texture belongs to
uint32_t px_rng_state = 1;

//------------------------------------------------------------------------------------------
// Colour table
//------------------------------------------------------------------------------------------
// A grey ramp: 0 is black, 1..251 are i + 1, 252..254 are i and 255 is black again. Entry 0
// is the dither's dark colour and entry 254 its light one.
static constexpr uint8_t initial_grey(int32_t i) {
    if (i == 0 || i == 255) return 0;
    return static_cast<uint8_t>(i <= 251 ? i + 1 : i);
}

#define PX_GREY(i) \
    { initial_grey(i), initial_grey(i), initial_grey(i), 0, 0, 0 }
#define PX_GREY4(i) PX_GREY(i), PX_GREY(i + 1), PX_GREY(i + 2), PX_GREY(i + 3)
#define PX_GREY16(i) PX_GREY4(i), PX_GREY4(i + 4), PX_GREY4(i + 8), PX_GREY4(i + 12)
#define PX_GREY64(i) PX_GREY16(i), PX_GREY16(i + 16), PX_GREY16(i + 32), PX_GREY16(i + 48)

constinit PxColor px_palette[PX_COLORS] = {PX_GREY64(0), PX_GREY64(64), PX_GREY64(128),
                                           PX_GREY64(192)};

#undef PX_GREY64
#undef PX_GREY16
#undef PX_GREY4
#undef PX_GREY

//------------------------------------------------------------------------------------------
// Start and stop
//------------------------------------------------------------------------------------------
// The canvas's SDL failures are plain lines on stderr, not SDL_Log's.
static void report_sdl(void) { orvex_report_line("%s\n", SDL_GetError()); }

int32_t px_init(void) {
    SDL_Texture* texture = SDL_CreateTexture(ORVEX_GetRenderer(), SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STREAMING, PX_WIDTH, PX_HEIGHT);
    // Every texel the dither writes is opaque, so blending would only spend a per-pixel test
    // (SDL's software renderer really blends) on a result a plain copy gives as well.
    if (texture == nullptr || SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE) != 0) {
        report_sdl();
        if (texture) SDL_DestroyTexture(texture);
        return -1;
    }
    px_deinit();  // a second px_init replaces the texture rather than leaking it
    px_texture = texture;
    px_texture_generation = ORVEX_GetRendererGeneration();
    px_rng_state = static_cast<uint32_t>(rand());
    return 0;
}

SDL_Texture* px_canvas_texture(void) {
    if (px_texture && px_texture_generation != ORVEX_GetRendererGeneration()) px_texture = nullptr;
    return px_texture;
}

void px_deinit(void) {
    if (px_canvas_texture() == nullptr) return;
    SDL_DestroyTexture(px_texture);
    px_texture = nullptr;
}

//------------------------------------------------------------------------------------------
// Canvas state
//------------------------------------------------------------------------------------------
void px_clear(uint8_t color) {
    const PxClipRect c = px_clip_rect;
    if (c.h <= 0 || c.w <= 0) return;
    // Full-width rows are contiguous: one block each for indices and depths.
    const int32_t rows = c.w == PX_WIDTH ? 1 : c.h;
    const size_t run =
        c.w == PX_WIDTH ? static_cast<size_t>(PX_WIDTH) * c.h : static_cast<size_t>(c.w);
    for (int32_t r = 0; r < rows; r++) {
        const int32_t pos = (c.y + r) * PX_WIDTH + c.x;
        memset(px_pixels + pos, color, run);
        memset(px_depth_buffer + pos, 0, run * sizeof(uint32_t));
    }
}

void px_clip(int32_t x, int32_t y, int32_t w, int32_t h) {
    x = px_clamp(0, x, PX_WIDTH - 1);
    y = px_clamp(0, y, PX_HEIGHT - 1);
    w = px_max(0, px_min(w, PX_WIDTH - x));
    h = px_max(0, px_min(h, PX_HEIGHT - y));
    px_clip_rect = {x, y, w, h};
}

void px_reset_clip(void) { px_clip_rect = {0, 0, PX_WIDTH, PX_HEIGHT}; }

void px_set_depth(uint32_t depth) { px_current_depth = depth; }

void px_plot(int32_t x, int32_t y, uint8_t color) { px_plot_resolved(x, y, px_remapped(color)); }

uint8_t px_get(int32_t x, int32_t y) {
    if (static_cast<uint32_t>(y) >= static_cast<uint32_t>(PX_HEIGHT)) return 0;
    if (static_cast<uint32_t>(x) >= static_cast<uint32_t>(PX_WIDTH)) return 0;
    return px_pixels[y * PX_WIDTH + x];
}

//------------------------------------------------------------------------------------------
// Colour table settings
//------------------------------------------------------------------------------------------
// Sets one table field of entry c0 to c1 + 1, or clears it in every entry when both are -1.
// A c0 outside 0..255 (other than -1) is reported and ignored: it names no entry.
static void set_table_field(const PxRemapArgs* args, int32_t PxColor::*field, const char* op) {
    assert((args->c0 == -1) ^ (args->c1 != -1));
    if (args->c0 == -1) {
        for (PxColor& entry : px_palette) entry.*field = 0;
        return;
    }
    if (static_cast<uint32_t>(args->c0) >= static_cast<uint32_t>(PX_COLORS)) {
        orvex_report_line("%s: colour %d is outside 0..255\n", op, args->c0);
        return;
    }
    // In unsigned arithmetic so that any c1 wraps instead of overflowing.
    px_palette[args->c0].*field = static_cast<int32_t>(static_cast<uint32_t>(args->c1) + 1u);
}

void px_remap(PxRemapArgs args) { set_table_field(&args, &PxColor::remap, "px_remap"); }

void px_dither_remap(PxRemapArgs args) {
    set_table_field(&args, &PxColor::dither, "px_dither_remap");
}

void px_transparent(PxTransparentArgs args) {
    if (static_cast<uint32_t>(args.color) >= static_cast<uint32_t>(PX_COLORS)) {
        for (PxColor& entry : px_palette) entry.transparent = 0;
        return;
    }
    px_palette[args.color].transparent = args.transparent;
}

//------------------------------------------------------------------------------------------
// Helpers
//------------------------------------------------------------------------------------------
int32_t px_min(int32_t a, int32_t b) { return b <= a ? b : a; }
int32_t px_max(int32_t a, int32_t b) { return b >= a ? b : a; }
int32_t px_clamp(int32_t lo, int32_t v, int32_t hi) { return px_max(lo, px_min(v, hi)); }
