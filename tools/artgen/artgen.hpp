// The picture generator's shared surface: a float canvas, procedural noise, the painting
// primitives the scenes are built from, the tone mapping that gives each picture its final
// grey levels, and the PNG contact sheet. Everything is deterministic: fixed seeds, no clock.
//
// Index: Canvas / Random numbers and noise / Painting primitives / Scenes / Tone mapping / Preview
#pragma once

#include <cstdint>
#include <string>
#include <vector>

//------------------------------------------------------------------------------------------
// Canvas
//------------------------------------------------------------------------------------------
// Brightness in floats, roughly 0 (black) .. 1 (white); the tone mapping only uses the order
// of values, so painting may overshoot either end.
struct Canvas {
    int w = 0, h = 0;
    std::vector<float> px;
};

Canvas canvas_make(int w, int h, float value);
inline float& at(Canvas& c, int x, int y) { return c.px[(size_t)y * c.w + x]; }

//------------------------------------------------------------------------------------------
// Random numbers and noise
//------------------------------------------------------------------------------------------
struct Rng {
    uint64_t s;
};
uint32_t rng_next(Rng& r);
float rng_unit(Rng& r);                       // 0 .. 1
float rng_range(Rng& r, float lo, float hi);  // lo .. hi

uint32_t hash2(int32_t x, int32_t y, uint32_t seed);
float value_noise(float x, float y, uint32_t seed);                   // -1 .. 1, smooth
float fbm(float x, float y, int octaves, float gain, uint32_t seed);  // about -1 .. 1
float ridged(float x, float y, int octaves, uint32_t seed);           // 0 .. 1, sharp crests

struct Cell {
    float f1, f2;  // distance to the nearest and second-nearest feature point
    uint32_t id;   // hash of the nearest point's cell
    float cx, cy;  // position of the nearest point
};
Cell worley(float x, float y, uint32_t seed);

//------------------------------------------------------------------------------------------
// Painting primitives (all blend with coverage, later shapes occlude earlier ones)
//------------------------------------------------------------------------------------------
void paint_blend(Canvas& c, int x, int y, float value, float alpha);
void paint_shadow(Canvas& c, int x, int y, float strength);  // multiplies towards black

// A leaf: pointed oval of length len and half-width wid, turned by ang, with midrib,
// side lighting and a soft cast shadow below-right.
void paint_leaf(Canvas& c, float cx, float cy, float len, float wid, float ang, float tone,
                float shadow);
// A stone: irregular rounded blob lit from the upper left, with grain and a cast shadow.
void paint_stone(Canvas& c, float cx, float cy, float r, float tone, uint32_t seed, float squash,
                 float shadow);
// A broken, sharp-edged chunk of rubble: flat facets lit from the upper left, cast shadow.
void paint_chunk(Canvas& c, float cx, float cy, float r, float tone, uint32_t seed, float shadow);
// A tapered round stroke, lit across its width like a cylinder (twigs, branches, trunks).
void paint_stroke(Canvas& c, float x0, float y0, float x1, float y1, float w0, float w1,
                  float tone);
// A grass blade: a tapered curve from its base (x, y) with lean and bend.
void paint_blade(Canvas& c, float x, float y, float len, float lean, float bend, float width,
                 float tone);
// One line of hand-lettered capitals, light on the picture.
void paint_caption(Canvas& c, float x, float y, float size, const char* text, uint32_t seed);

void blur(Canvas& c, int radius);  // box blur, three passes approximate a Gaussian
void add_grain(Canvas& c, float amount, uint32_t seed);

//------------------------------------------------------------------------------------------
// Scenes
//------------------------------------------------------------------------------------------
struct ImageSpec {
    const char* name;  // record name, also the raw file's base name
    int w, h;
    Canvas (*paint)(int w, int h);
};
extern const ImageSpec image_specs[8];

//------------------------------------------------------------------------------------------
// Tone mapping
//------------------------------------------------------------------------------------------
// The grey-level statistics a finished picture must have (shares in percent).
struct ToneTarget {
    int min, max;
    double mean, stddev;
    int median;
    double above127, below64, zero;
    int distinct;
};
extern const ToneTarget tone_targets[8];

// Histogram of counts for values 0..255 that meets the target for n pixels.
std::vector<uint32_t> tone_histogram(const ToneTarget& t, uint32_t n);
// Gives the picture exactly that histogram, keeping the order of its painted values.
std::vector<uint8_t> tone_map(const Canvas& c, const std::vector<uint32_t>& hist);

//------------------------------------------------------------------------------------------
// Preview
//------------------------------------------------------------------------------------------
// The dither the game shows: threshold = value, one LCG step per pixel, light when v < t.
void dither_preview(const uint8_t* grey, int n, uint32_t* state, uint8_t* out);
bool write_png_grey(const std::string& path, const uint8_t* pix, int w, int h);
bool write_png_rgba(const std::string& path, const uint8_t* pix, int w, int h);
std::vector<uint8_t> png_rgba(const uint8_t* pix, int w, int h);  // the file's bytes

//------------------------------------------------------------------------------------------
// Icon
//------------------------------------------------------------------------------------------
// The application icon at size x size pixels, RGBA8888 (bytes R, G, B, A), row-major from the
// top, straight alpha. `bark` is the tone-mapped player texture, bark_w pixels wide.
std::vector<uint8_t> paint_icon(int size, const std::vector<uint8_t>& bark, int bark_w);
extern const int icon_sizes[7];  // the hicolor sizes artgen --icon writes

// A Windows icon file holding one PNG image per size (sizes[i] x sizes[i] pixels, 1 to 256),
// as Windows since Vista reads them.
std::vector<uint8_t> ico_file(const std::vector<std::vector<uint8_t>>& pngs, const int* sizes);
