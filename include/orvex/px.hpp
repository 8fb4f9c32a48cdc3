// px: a 640x480 software canvas of 8-bit colour indices with a depth buffer.
//
// Every write goes through one plot rule: clip rectangle, depth test (the current depth must
// be >= the stored one), depth store, then the colour table's draw remap. Once a frame
// px_render turns the canvas into a two-colour stochastic dither in a streaming texture and
// copies it onto the current render target. Drawing needs no set-up; only px_render needs
// px_init (after ORVEX_Init). Caller errors stop the program through an assertion.
//
// Index: Limits and records / Start and stop / Canvas state / Colour table settings /
//        Picture files / Helpers / Drawing / Presentation
#pragma once

#include <cstdint>

//------------------------------------------------------------------------------------------
// Limits and records
//------------------------------------------------------------------------------------------
constexpr int32_t PX_WIDTH = 640;
constexpr int32_t PX_HEIGHT = 480;
constexpr int32_t PX_COLORS = 256;

struct PxColor {
    uint8_t r, g, b;
    uint8_t transparent;  // non-zero: px_blit skips image pixels of this index
    int32_t remap;        // 0 none, else the index written instead is remap - 1
    int32_t dither;       // 0 none, else dither - 1 (low 8 bits) is the dither threshold
};

// Argument records default every field to zero (a text's scale to 1), so designated
// initialisers may name only the fields they set.
struct PxRemapArgs {
    int32_t reserved = 0;
    int32_t c0 = 0;  // colour index to set, or -1 for all (with c1 = -1: clear all)
    int32_t c1 = 0;  // value to set, or -1 together with c0 = -1
};

struct PxTransparentArgs {
    int32_t reserved = 0;
    int32_t color = 0;  // colour index; any value outside 0..255 clears every flag
    uint8_t transparent = 0;
};

struct PxImage {
    int32_t width;
    int32_t height;
    const uint8_t* pixels;  // width * height indices, row-major, stride = width
};

struct PxTextArgs {
    int32_t reserved = 0;
    const char* text = nullptr;  // UTF-8
    int32_t x = 0, y = 0;        // top-left of the first line
    uint8_t color = 0;
    int32_t scale = 1;  // whole-number size, 1 or more
};

struct PxBlitArgs {
    int32_t reserved = 0;
    const PxImage* img = nullptr;
    int32_t x = 0, y = 0;    // canvas position of the region's top-left pixel
    int32_t ix = 0, iy = 0;  // region's top-left within the image; 0 or more
    int32_t w = 0, h = 0;    // region size; negative means up to the image's edge
    uint8_t flip_x = 0, flip_y = 0;
};

// The colour table: grey ramp, entry 0 black (the dither's dark colour) and entry 254 the
// light colour. In place before main runs; programs may change the RGB values freely.
extern PxColor px_palette[PX_COLORS];

//------------------------------------------------------------------------------------------
// Start and stop (need the engine's renderer)
//------------------------------------------------------------------------------------------
int32_t px_init(void);  // create the canvas texture and seed the dither; 0 or -1
void px_deinit(void);   // destroy the texture; harmless when there is none

//------------------------------------------------------------------------------------------
// Canvas state
//------------------------------------------------------------------------------------------
void px_clear(uint8_t color);  // clip rectangle to color and depth 0; no remap, no depth test
void px_clip(int32_t x, int32_t y, int32_t w, int32_t h);  // clamped to the canvas
void px_reset_clip(void);                                  // the whole canvas
void px_set_depth(uint32_t depth);                         // depth of every later write
void px_plot(int32_t x, int32_t y, uint8_t color);         // one write under the plot rule
uint8_t px_get(int32_t x, int32_t y);                      // 0 outside the canvas

//------------------------------------------------------------------------------------------
// Colour table settings (act on later writes and presentations only)
//------------------------------------------------------------------------------------------
void px_remap(PxRemapArgs args);         // draw remap
void px_dither_remap(PxRemapArgs args);  // dither threshold substitute
void px_transparent(PxTransparentArgs args);

//------------------------------------------------------------------------------------------
// Picture files
//------------------------------------------------------------------------------------------
// A PNG, JPEG, QOI or BMP file (told by its content) as a canvas image, read and decoded by the
// engine (no start-up needed; relative paths are read from the working directory, which
// ORVEX_Init makes the program's folder). Opaque pixels become their luma (0.299 R + 0.587 G
// + 0.114 B, rounded, 0..255: the grey ramp of the default colour table); pixels with alpha
// below 128 become `transparent`. 0, or -1 after one line naming the path and the reason (a
// missing, cut, damaged or oversized file, one that is no regular file), with *out empty
// ({0, 0, nullptr}). *out is overwritten, not freed: free an earlier image first.
int32_t px_load_image(const char* path, uint8_t transparent, PxImage* out);
void px_free_image(PxImage* image);  // frees what px_load_image made; null-safe; *image empty

//------------------------------------------------------------------------------------------
// Helpers
//------------------------------------------------------------------------------------------
int32_t px_min(int32_t a, int32_t b);
int32_t px_max(int32_t a, int32_t b);
int32_t px_clamp(int32_t lo, int32_t v, int32_t hi);  // lo wins when lo > hi

//------------------------------------------------------------------------------------------
// Drawing (corners inclusive, in any order)
//------------------------------------------------------------------------------------------
void px_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t color);
void px_rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t color);
void px_fill_rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t color);
void px_blit(PxBlitArgs args);  // image region, mirrored, transparency, clip, depth, remap
// Text in the engine's built-in font, the same glyphs and layout as ORVEX_DrawText, under the
// plot rule: clip, depth, remap. px_measure_text is ORVEX_MeasureText.
void px_text(PxTextArgs args);
void px_measure_text(const char* text, int32_t scale, int32_t* w, int32_t* h);

//------------------------------------------------------------------------------------------
// Presentation
//------------------------------------------------------------------------------------------
int32_t px_render(void);  // dither into the texture and copy it; -1 if it cannot be locked

// Frame digests: a 64-bit hash of everything the last picture of px_render was made from (the
// canvas, the dither's generator state, its thresholds and the two colours), so equal digests
// mean equal pictures. Made only while wanted: always while the engine records or replays
// input (px_render hands each one to ORVEX_SetFrameDigest), and otherwise after
// px_keep_digests(1). 0 before the first.
void px_keep_digests(int32_t on);
uint64_t px_frame_digest(void);
