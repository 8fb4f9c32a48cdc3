// px shapes and image blit: lines, rectangle outlines, filled rectangles and image regions,
// every pixel through the plot rule. Each operation first cuts its work down to the part that
// can land inside the clip rectangle (the rest would be rejected pixel by pixel anyway), so
// far-away coordinates cost nothing and all arithmetic on them is done in 64 bits.
//
// Index: Ranges / Line / Rectangles / Blit
#include <cstring>

#include "log.hpp"
#include "px_internal.hpp"

//------------------------------------------------------------------------------------------
// Ranges
//------------------------------------------------------------------------------------------
struct Span {
    int64_t lo, hi;  // inclusive; empty when lo > hi
};

static int64_t min64(int64_t a, int64_t b) { return a < b ? a : b; }
static int64_t max64(int64_t a, int64_t b) { return a > b ? a : b; }
static int64_t abs64(int64_t a) { return a < 0 ? -a : a; }

static Span intersect(Span a, Span b) { return {max64(a.lo, b.lo), min64(a.hi, b.hi)}; }
static Span clip_columns(void) { return {px_clip_rect.x, px_clip_rect.x + px_clip_rect.w - 1}; }
static Span clip_rows(void) { return {px_clip_rect.y, px_clip_rect.y + px_clip_rect.h - 1}; }

//------------------------------------------------------------------------------------------
// Line
//------------------------------------------------------------------------------------------
// The error-term walk from (x0, y0): dx = |x1 - x0|, dy = -|y1 - y0|, err = dx + dy; each
// step doubles err, steps x when 2err >= dy and y when 2err <= dx. The major axis (x when
// dx >= -dy) advances on every step, and after k steps the minor axis has advanced
// floor((2 * minor * k + major) / (2 * major)) times, so the walk can start at the first
// step whose major coordinate lies inside the clip rectangle and stop at the last one.
struct LineWalk {
    int64_t x, y, err;
    int64_t dx, dy;  // dx >= 0, dy <= 0
    int64_t sx, sy;
};

// Steps k (along the major axis starting at p0 with sign s) whose coordinate lies in span.
static Span steps_inside(int64_t p0, int64_t s, Span span) {
    if (s > 0) return {span.lo - p0, span.hi - p0};
    return {p0 - span.hi, p0 - span.lo};
}

// Moves the walk from its start to step k (k > 0, major > 0) in closed form.
static void jump_to_step(LineWalk* w, int64_t k, bool x_major) {
    const int64_t major = x_major ? w->dx : -w->dy;
    const int64_t minor = x_major ? -w->dy : w->dx;
    const unsigned __int128 num =
        static_cast<unsigned __int128>(2 * minor) * static_cast<uint64_t>(k) +
        static_cast<uint64_t>(major);
    const int64_t m = static_cast<int64_t>(num / static_cast<uint64_t>(2 * major));
    const int64_t kx = x_major ? k : m, ky = x_major ? m : k;
    w->x += w->sx * kx;
    w->y += w->sy * ky;
    // err = dx * (1 + x steps) + dy * (1 + y steps); the products may exceed 64 bits, the
    // result never does.
    const __int128 err =
        static_cast<__int128>(w->dx) * (1 + ky) + static_cast<__int128>(w->dy) * (1 + kx);
    w->err = static_cast<int64_t>(err);
}

static void step(LineWalk* w) {
    const int64_t e2 = 2 * w->err;
    if (e2 >= w->dy) {
        w->err += w->dy;
        w->x += w->sx;
    }
    if (e2 <= w->dx) {
        w->err += w->dx;
        w->y += w->sy;
    }
}

void px_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t color) {
    const uint8_t out = px_remapped(color);
    LineWalk w = {x0,
                  y0,
                  0,
                  abs64(int64_t{x1} - x0),
                  -abs64(int64_t{y1} - y0),
                  x0 < x1 ? 1 : -1,
                  y0 < y1 ? 1 : -1};
    w.err = w.dx + w.dy;
    const bool x_major = w.dx >= -w.dy;
    const int64_t last = x_major ? w.dx : -w.dy;
    const Span inside =
        x_major ? steps_inside(x0, w.sx, clip_columns()) : steps_inside(y0, w.sy, clip_rows());
    const Span walk = intersect(inside, {0, last});
    if (walk.lo > walk.hi) return;
    if (walk.lo > 0) jump_to_step(&w, walk.lo, x_major);
    for (int64_t k = walk.lo;; k++) {
        px_plot_resolved(static_cast<int32_t>(w.x), static_cast<int32_t>(w.y), out);
        if (k == walk.hi) return;
        step(&w);
    }
}

//------------------------------------------------------------------------------------------
// Rectangles
//------------------------------------------------------------------------------------------
// Plots row y from column a to b (inclusive), only the part inside the clip's columns.
static void plot_row(int64_t y, int64_t a, int64_t b, uint8_t out) {
    const Span s = intersect({a, b}, clip_columns());
    for (int64_t x = s.lo; x <= s.hi; x++) {
        px_plot_resolved(static_cast<int32_t>(x), static_cast<int32_t>(y), out);
    }
}

static void plot_column(int64_t x, int64_t a, int64_t b, uint8_t out) {
    const Span s = intersect({a, b}, clip_rows());
    for (int64_t y = s.lo; y <= s.hi; y++) {
        px_plot_resolved(static_cast<int32_t>(x), static_cast<int32_t>(y), out);
    }
}

void px_rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t color) {
    const uint8_t out = px_remapped(color);
    const int32_t left = px_min(x0, x1), right = px_max(x0, x1);
    const int32_t top = px_min(y0, y1), bottom = px_max(y0, y1);
    plot_row(top, left, right, out);
    plot_row(bottom, left, right, out);
    plot_column(left, top, bottom, out);
    plot_column(right, top, bottom, out);
}

void px_fill_rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t color) {
    const uint8_t out = px_remapped(color);
    const Span cols = intersect({px_min(x0, x1), px_max(x0, x1)}, clip_columns());
    const Span rows = intersect({px_min(y0, y1), px_max(y0, y1)}, clip_rows());
    const uint32_t depth = px_current_depth;
    for (int64_t y = rows.lo; y <= rows.hi; y++) {
        uint8_t* pix = px_pixels + y * PX_WIDTH;
        uint32_t* dep = px_depth_buffer + y * PX_WIDTH;
        for (int64_t x = cols.lo; x <= cols.hi; x++) {
            if (depth < dep[x]) continue;
            dep[x] = depth;
            pix[x] = out;
        }
    }
}

//------------------------------------------------------------------------------------------
// Blit
//------------------------------------------------------------------------------------------
// The colour table as one blit sees it: the index each image index writes, and whether it is
// skipped. `plain` means no index is skipped or remapped, so rows can be copied.
struct BlitTable {
    uint8_t out[PX_COLORS];
    uint8_t skip[PX_COLORS];
    bool plain;
};

static void build_blit_table(BlitTable* t) {
    t->plain = true;
    for (int32_t c = 0; c < PX_COLORS; c++) {
        t->out[c] = px_remapped(static_cast<uint8_t>(c));
        t->skip[c] = px_palette[c].transparent != 0;
        if (t->skip[c] || t->out[c] != c) t->plain = false;
    }
}

// One destination row of n pixels; the source advances by `dir` (+1, or -1 when mirrored).
static void blit_row_general(const uint8_t* src, int64_t dir, uint8_t* pix, uint32_t* dep,
                             int64_t n, const BlitTable* t) {
    const uint32_t depth = px_current_depth;
    for (int64_t i = 0; i < n; i++, src += dir) {
        const uint8_t c = *src;
        if (t->skip[c] || depth < dep[i]) continue;
        dep[i] = depth;
        pix[i] = t->out[c];
    }
}

// The common case: nothing skipped or remapped, not mirrored. A row whose stored depths all
// equal the current one (the game's frame: cleared, drawn at depth 0) is one block copy,
// found by a cheap XOR scan; a row where all pass is a copy and a depth fill; a row with
// deeper pixels is tested pixel by pixel, without branches.
static void blit_row_plain(const uint8_t* src, uint8_t* pix, uint32_t* dep, int64_t n) {
    const uint32_t depth = px_current_depth;
    uint32_t differs = 0;
    for (int64_t i = 0; i < n; i++) differs |= dep[i] ^ depth;
    if (differs == 0) {
        memcpy(pix, src, static_cast<size_t>(n));
        return;
    }
    uint32_t highest = 0;
    for (int64_t i = 0; i < n; i++) highest = dep[i] > highest ? dep[i] : highest;
    if (highest <= depth) {
        memcpy(pix, src, static_cast<size_t>(n));
        for (int64_t i = 0; i < n; i++) dep[i] = depth;
        return;
    }
    for (int64_t i = 0; i < n; i++) {
        const bool pass = depth >= dep[i];
        dep[i] = pass ? depth : dep[i];
        pix[i] = pass ? src[i] : pix[i];
    }
}

// Region steps whose source lies inside the image: source = origin + (flip ? size-1-i : i),
// which must be >= 0 (the far edge was already cut by the region's clamping).
static Span source_inside(int64_t origin, int64_t size, bool flip) {
    return flip ? Span{0, origin + size - 1} : Span{-origin, size - 1};
}

static int64_t region_size(int32_t requested, int32_t full, int32_t origin) {
    const int64_t size = requested < 0 ? full : requested;
    return min64(size, int64_t{full} - origin);
}

void px_blit(PxBlitArgs args) {
    const PxImage* img = args.img;
    if (img == nullptr || img->pixels == nullptr) {
        orvex_report_line("px_blit: args.img has no pixels\n");
        return;
    }
    if (img->width <= 0 || img->height <= 0) return;
    const int64_t W = region_size(args.w, img->width, args.ix);
    const int64_t H = region_size(args.h, img->height, args.iy);
    if (W <= 0 || H <= 0) return;
    // Region columns i and rows j that land in the clip rectangle and read inside the image.
    const Span cols =
        intersect(intersect({0, W - 1}, {clip_columns().lo - args.x, clip_columns().hi - args.x}),
                  source_inside(args.ix, W, args.flip_x));
    const Span rows =
        intersect(intersect({0, H - 1}, {clip_rows().lo - args.y, clip_rows().hi - args.y}),
                  source_inside(args.iy, H, args.flip_y));
    if (cols.lo > cols.hi || rows.lo > rows.hi) return;
    BlitTable table;
    build_blit_table(&table);
    const int64_t n = cols.hi - cols.lo + 1;
    const int64_t su = args.ix + (args.flip_x ? W - 1 - cols.lo : cols.lo);
    for (int64_t j = rows.lo; j <= rows.hi; j++) {
        const int64_t sv = args.iy + (args.flip_y ? H - 1 - j : j);
        const uint8_t* src = img->pixels + sv * img->width + su;
        const int64_t pos = (args.y + j) * PX_WIDTH + args.x + cols.lo;
        if (table.plain && !args.flip_x) {
            blit_row_plain(src, px_pixels + pos, px_depth_buffer + pos, n);
        } else {
            blit_row_general(src, args.flip_x ? -1 : 1, px_pixels + pos, px_depth_buffer + pos, n,
                             &table);
        }
    }
}
