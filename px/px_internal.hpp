// Private to px: the canvas state every px source file shares, the plot rule written once,
// and the pure dither conversion with its SIMD paths, exposed so that tests and benchmarks
// can drive them on plain memory. Programs go through px.hpp.
#pragma once

#include <orvex/px.hpp>

struct SDL_Texture;

//------------------------------------------------------------------------------------------
// Limits
//------------------------------------------------------------------------------------------
constexpr int32_t PX_PIXELS = PX_WIDTH * PX_HEIGHT;
constexpr int32_t PX_ROW_BYTES = PX_WIDTH * 4;  // one ARGB8888 texture row without padding

//------------------------------------------------------------------------------------------
// Module state (one instance, defined in px.cpp)
//------------------------------------------------------------------------------------------
struct PxClipRect {
    int32_t x, y, w, h;  // half-open; x in 0..639, y in 0..479, w and h never negative
};

extern uint8_t px_pixels[PX_PIXELS];
extern uint32_t px_depth_buffer[PX_PIXELS];
extern PxClipRect px_clip_rect;
extern uint32_t px_current_depth;
extern SDL_Texture* px_texture;  // read it through px_canvas_texture
extern uint32_t px_rng_state;

// The canvas texture, or null when there is none or the engine's renderer it was made on
// has been destroyed since (SDL destroyed the texture with it; the handle is then dropped).
SDL_Texture* px_canvas_texture(void);

//------------------------------------------------------------------------------------------
// Plot rule
//------------------------------------------------------------------------------------------
// The index a write of `color` stores: the draw remap's target, or the colour itself.
inline uint8_t px_remapped(uint8_t color) {
    const uint32_t e = static_cast<uint32_t>(px_palette[color].remap);
    return static_cast<uint8_t>(e != 0 ? e - 1u : color);
}

// Clip (x before y), depth test (equal passes), depth store, then store `out`, an index that
// has already been through the draw remap.
inline void px_plot_resolved(int32_t x, int32_t y, uint8_t out) {
    const PxClipRect c = px_clip_rect;
    if (x < c.x || x >= c.x + c.w) return;
    if (y < c.y || y >= c.y + c.h) return;
    const int32_t pos = y * PX_WIDTH + x;
    if (px_current_depth < px_depth_buffer[pos]) return;
    px_depth_buffer[pos] = px_current_depth;
    px_pixels[pos] = out;
}

//------------------------------------------------------------------------------------------
// Dither conversion
//------------------------------------------------------------------------------------------
// The generator: s = s * 1103515245 + 12345 (mod 2^32), one step per canvas pixel.
constexpr uint32_t PX_RNG_MUL = 1103515245u;
constexpr uint32_t PX_RNG_ADD = 12345u;

enum PxRenderPath : int32_t {
    PX_PATH_AUTO = 0,    // the fastest path this CPU runs
    PX_PATH_SCALAR = 1,  // plain C++
    PX_PATH_SSE2 = 2,
    PX_PATH_AVX2 = 3,
    PX_PATH_AVX512 = 4,   // AVX-512 F, BW and VBMI
    PX_PATH_SIMD128 = 5,  // WebAssembly SIMD128, in a build made with it
};

// Dithers a 640x480 canvas into ARGB8888 rows `pitch` bytes apart (pitch >= 2560; the bytes
// past 2560 in each row are left untouched) starting from generator state `state`, and
// returns the state after the last pixel. Reads `palette` (dither map, entries 0 and 254)
// once at the start. Returns `state` unchanged and writes nothing if pitch < 2560.
uint32_t px_dither_convert(const uint8_t* pixels, const PxColor* palette, uint32_t state,
                           uint8_t* out, int32_t pitch);

// Forces the path px_dither_convert takes (PX_PATH_AUTO restores the choice by CPU). Returns
// false, changing nothing, for a path this CPU cannot run.
bool px_set_render_path(PxRenderPath path);
bool px_render_path_supported(PxRenderPath path);
PxRenderPath px_render_path(void);  // the path in use now (never PX_PATH_AUTO)

// The generator's jump-ahead: s(n + k) = a * s(n) + c (mod 2^32); writes a and c for k steps.
void px_rng_jump(uint32_t k, uint32_t* a, uint32_t* c);

//------------------------------------------------------------------------------------------
// Frame digests
//------------------------------------------------------------------------------------------
// The digest of the picture the dither makes of `pixels` from generator state `state`.
uint64_t px_digest_of(const uint8_t* pixels, const PxColor* palette, uint32_t state);
bool px_digest_wanted(void);         // a digest of each picture is wanted now
void px_note_frame(uint32_t state);  // digests the canvas about to be dithered from `state`
