// Immediate drawing with the SDL renderer onto its current target: image resources with a
// source rectangle, scale, mirroring, rotation and centring, and lines, points and rectangles.
// One draw colour (four floats, 0..1) serves as the renderer's colour and as image modulation.
//
// SDL's cost for a line or an image grows with its whole size, not with what is seen (a
// line is turned into one point per pixel of its length, a rotated image into a surface of
// its size), so far-off coordinates could cost gigabytes. Lines and images that reach far
// beyond the target are therefore cut to the target here first (see "Far from the target").
//
// Index: Reporting / Conversions / Draw colour / Far from the target / Images /
//        Lines, points and rectangles
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine_state.hpp"
#include "log.hpp"
#include "resources_internal.hpp"

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
static int32_t fail_sdl(void) {
    orvex_report_sdl();
    return -1;
}

//------------------------------------------------------------------------------------------
// Conversions
//------------------------------------------------------------------------------------------
// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
static int32_t to_i32(double v) {
    if (std::isnan(v)) return 0;
    if (v <= double(INT32_MIN)) return INT32_MIN;
    if (v >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(v);
}

// A rotation in turns without its whole turns, so that 360 x it stays small and exact for
// any finite value; below one turn it is the value itself.
static float turn_fraction(float turns) {
    return std::fabs(turns) < 1.0f ? turns : std::fmod(turns, 1.0f);
}

static int32_t clamp_i32(int64_t v) {
    return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : int32_t(v);
}

// A colour component as SDL takes it: x 255 in single precision, truncated, and clamped to
// 0..255 so that a component above 1.0 stays full instead of wrapping round.
static uint8_t channel8(float v) {
    float p = v * 255.0f;
    if (!(p > 0.0f)) return 0;
    if (p >= 255.0f) return 255;
    return uint8_t(p);
}

//------------------------------------------------------------------------------------------
// Draw colour
//------------------------------------------------------------------------------------------
int32_t draw_color_apply(void) {
    const auto& c = orvex.draw_color;
    if (SDL_SetRenderDrawColor(orvex.video.renderer, channel8(c.r), channel8(c.g), channel8(c.b),
                               channel8(c.a)) != 0) {
        return fail_sdl();
    }
    return 0;
}

int32_t ORVEX_SetDrawColor8(int32_t r, int32_t g, int32_t b, int32_t a) {
    // Only the low 8 bits count; the stored colour changes even if SDL then refuses it.
    orvex.draw_color = {float(r & 0xFF) / 255.0f, float(g & 0xFF) / 255.0f,
                        float(b & 0xFF) / 255.0f, float(a & 0xFF) / 255.0f};
    return draw_color_apply();
}

int32_t ORVEX_SetDrawColor(const ORVEX_ColorArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_SetDrawColor: args is NULL\n");
        return -1;
    }
    auto& c = orvex.draw_color;
    // A negative component keeps the current one.
    c = {args->r < 0 ? c.r : args->r, args->g < 0 ? c.g : args->g, args->b < 0 ? c.b : args->b,
         args->a < 0 ? c.a : args->a};
    return draw_color_apply();
}

//------------------------------------------------------------------------------------------
// Far from the target
//------------------------------------------------------------------------------------------
// An axis-aligned box in drawing coordinates, bounds included.
struct Box {
    double x0, y0, x1, y1;
    bool holds(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// What the current target shows, in drawing coordinates, with a pixel to spare on each side.
static Box visible_box(void) {
    SDL_Rect view = {0, 0, 0, 0};
    SDL_RenderGetViewport(orvex.video.renderer, &view);
    return {-1.0, -1.0, double(view.w), double(view.h)};
}

// Drawing that stays within the visible box grown by its own size on every side goes to
// SDL unchanged, exactly as it always has; its cost is then at most a few times the
// target's.
static Box near_box(const Box& b) {
    const double w = b.x1 - b.x0, h = b.y1 - b.y0;
    return {b.x0 - w, b.y0 - h, b.x1 + w, b.y1 + h};
}

// A line that leaves the near box is cut to steps along its major axis (x when |dx| >= |dy|,
// as SDL walks it) inside the box, and that part goes to SDL, so its cost follows the box,
// not the line. The cut ends are the line's own pixels: SDL's walk from (x0, y0) puts step i
// of a line of n major and m minor steps i * m / n across, rounded half up. Between the box's
// edge and what the target shows, each end is cut where the line passes closest to a
// pixel's centre, so that the part follows the whole line: pixel for pixel when the line
// passes through a pixel centre there (a slope of small denominator does within its own
// denominator of steps), else at most a pixel across at the few places where the line runs
// almost exactly between two pixels.
struct LineSteps {
    int64_t major0, minor0;          // start
    int64_t major_step, minor_step;  // +1 or -1
    int64_t n, m;
    bool x_major;
};

static LineSteps line_steps(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const int64_t major = x_major ? dx : dy, minor = x_major ? dy : dx;
    return {x_major ? x0 : y0,
            x_major ? y0 : x0,
            major >= 0 ? 1 : -1,
            minor >= 0 ? 1 : -1,
            std::abs(major),
            std::abs(minor),
            x_major};
}

// The steps [*lo, *hi] whose major coordinate lies in the box (*lo > *hi when none), not
// limited to the line's own 0..n.
static void steps_in(const LineSteps& l, const Box& box, int64_t* lo, int64_t* hi) {
    const int64_t a = int64_t(l.x_major ? box.x0 : box.y0),
                  b = int64_t(l.x_major ? box.x1 : box.y1);
    *lo = l.major_step > 0 ? a - l.major0 : l.major0 - b;
    *hi = l.major_step > 0 ? b - l.major0 : l.major0 - a;
}

// The pixel of step i, exactly: i, m <= n < 2^32, so i * m fits 64 bits unsigned.
static SDL_Point line_pixel(const LineSteps& l, int64_t i) {
    const uint64_t p = uint64_t(i) * uint64_t(l.m), n = uint64_t(l.n);
    const int64_t across = n == 0 ? 0 : int64_t(p / n + (2 * (p % n) >= n));
    const int major = int(l.major0 + l.major_step * i),
              minor = int(l.minor0 + l.minor_step * across);
    return l.x_major ? SDL_Point{major, minor} : SDL_Point{minor, major};
}

// From step `from` towards step `to`, the first step where the line passes closest to the
// centre of its pixel: i * m mod n, the line's distance past a pixel centre in n-ths of a
// pixel, steps by m each time, so no step needs a division.
static int64_t closest_step(const LineSteps& l, int64_t from, int64_t to) {
    const uint64_t n = uint64_t(l.n);
    if (n == 0) return from;
    const int64_t dir = to >= from ? 1 : -1;
    const uint64_t add = dir > 0 ? uint64_t(l.m) : n - uint64_t(l.m);
    uint64_t r = uint64_t(from) * uint64_t(l.m) % n, best_miss = n;
    int64_t best = from;
    for (int64_t i = from;; i += dir) {
        const uint64_t miss = std::min(r, n - r);
        if (miss < best_miss) best = i, best_miss = miss;
        if (i == to || miss == 0) return best;
        r = r + add >= n ? r + add - n : r + add;
    }
}

static int32_t draw_line_in_box(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const Box& near,
                                const Box& seen) {
    const LineSteps l = line_steps(x0, y0, x1, y1);
    int64_t lo, hi, seen_lo, seen_hi;
    steps_in(l, near, &lo, &hi);
    steps_in(l, seen, &seen_lo, &seen_hi);
    lo = std::max<int64_t>(lo, 0);
    hi = std::min(hi, l.n);
    if (std::max(lo, seen_lo) > std::min(hi, seen_hi)) return 0;  // no step on the target
    lo = closest_step(l, lo, std::clamp(seen_lo, lo, hi));
    hi = closest_step(l, hi, std::clamp(seen_hi, lo, hi));
    const SDL_Point from = line_pixel(l, lo), to = line_pixel(l, hi);
    // Wholly to one side across (its ends may then lie far off): nothing to see.
    const int across_from = l.x_major ? from.y : from.x, across_to = l.x_major ? to.y : to.x;
    const double low = l.x_major ? seen.y0 : seen.x0, high = l.x_major ? seen.y1 : seen.x1;
    if (std::max(across_from, across_to) < low || std::min(across_from, across_to) > high) return 0;
    if (SDL_RenderDrawLine(orvex.video.renderer, from.x, from.y, to.x, to.y) < 0) return fail_sdl();
    return 0;
}

// A vertex of an image's quad: position on the target and texture coordinates.
struct QuadVertex {
    double x, y, u, v;
};

// Keeps the part of a convex polygon on the inner side of one box edge (Sutherland-Hodgman);
// `axis` 0 tests x, 1 tests y; `keep_above` keeps values >= limit, else <= limit.
static int32_t clip_edge(const QuadVertex* in, int32_t n, QuadVertex* out, int axis, double limit,
                         bool keep_above) {
    auto coord = [axis](const QuadVertex& p) { return axis == 0 ? p.x : p.y; };
    auto inside = [&](const QuadVertex& p) {
        return keep_above ? coord(p) >= limit : coord(p) <= limit;
    };
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i) {
        const QuadVertex& a = in[i];
        const QuadVertex& b = in[(i + 1) % n];
        if (inside(a)) out[count++] = a;
        if (inside(a) != inside(b)) {
            const double t = (limit - coord(a)) / (coord(b) - coord(a));
            out[count++] = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.u + t * (b.u - a.u),
                            a.v + t * (b.v - a.v)};
        }
    }
    return count;
}

// When even single source pixels are larger than the target, the turned quad itself is cut
// to the box and drawn as triangles with SDL's geometry, whose cost follows what is left
// (SDL's software renderer places texture coordinates there only to the whole pixel). The
// draw colour goes on the vertices, and the texture's own modulation is lifted meanwhile so
// that it does not apply twice.
static int32_t draw_quad_in_box(SDL_Texture* texture, QuadVertex quad[4], const Box& box) {
    QuadVertex a[8], b[8];
    int32_t n = clip_edge(quad, 4, a, 0, box.x0, true);
    n = clip_edge(a, n, b, 0, box.x1, false);
    n = clip_edge(b, n, a, 1, box.y0, true);
    n = clip_edge(a, n, b, 1, box.y1, false);
    if (n < 3) return 0;
    const auto& c = orvex.draw_color;
    const SDL_Color color = {channel8(c.r), channel8(c.g), channel8(c.b), channel8(c.a)};
    SDL_Vertex vertices[8];
    int indices[18];
    for (int32_t i = 0; i < n; ++i) {
        vertices[i] = {{float(b[i].x), float(b[i].y)}, color, {float(b[i].u), float(b[i].v)}};
    }
    for (int32_t i = 1; i + 1 < n; ++i) {
        indices[3 * (i - 1)] = 0;
        indices[3 * (i - 1) + 1] = i;
        indices[3 * (i - 1) + 2] = i + 1;
    }
    SDL_SetTextureColorMod(texture, 255, 255, 255);
    SDL_SetTextureAlphaMod(texture, 255);
    const int result =
        SDL_RenderGeometry(orvex.video.renderer, texture, vertices, n, indices, 3 * (n - 2));
    SDL_SetTextureColorMod(texture, color.r, color.g, color.b);
    SDL_SetTextureAlphaMod(texture, color.a);
    return result < 0 ? fail_sdl() : 0;
}

// The destination rectangle turned by `angle` degrees about its centre, as SDL turns it
// (clockwise on the target), with the source rectangle's texture coordinates at its corners.
static void image_quad(const SDL_Rect& src, const SDL_Rect& dst, int32_t tex_w, int32_t tex_h,
                       double angle, int flip, QuadVertex quad[4]) {
    double u0 = double(src.x) / tex_w, u1 = double(src.x + src.w) / tex_w;
    double v0 = double(src.y) / tex_h, v1 = double(src.y + src.h) / tex_h;
    if (flip & SDL_FLIP_HORIZONTAL) std::swap(u0, u1);
    if (flip & SDL_FLIP_VERTICAL) std::swap(v0, v1);
    const double x0 = dst.x, y0 = dst.y, x1 = x0 + double(dst.w), y1 = y0 + double(dst.h);
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const double r = angle * (std::numbers::pi / 180.0), cs = std::cos(r), sn = std::sin(r);
    const QuadVertex corners[4] = {
        {x0, y0, u0, v0}, {x1, y0, u1, v0}, {x1, y1, u1, v1}, {x0, y1, u0, v1}};
    for (int i = 0; i < 4; ++i) {
        const double px = corners[i].x - cx, py = corners[i].y - cy;
        quad[i] = {cx + px * cs - py * sn, cy + px * sn + py * cs, corners[i].u, corners[i].v};
    }
}

// The smallest upright box around a turned image.
static Box quad_bounds(const QuadVertex quad[4]) {
    Box b = {quad[0].x, quad[0].y, quad[0].x, quad[0].y};
    for (int i = 1; i < 4; ++i) {
        b.x0 = std::min(b.x0, quad[i].x);
        b.x1 = std::max(b.x1, quad[i].x);
        b.y0 = std::min(b.y0, quad[i].y);
        b.y1 = std::max(b.y1, quad[i].y);
    }
    return b;
}

// SDL's own copy costs what the turned image covers, wherever it lies, so an image no more
// than a few targets wide and high goes to SDL unchanged.
static bool quad_small(const Box& bounds, const Box& near) {
    return bounds.x1 - bounds.x0 <= near.x1 - near.x0 && bounds.y1 - bounds.y0 <= near.y1 - near.y0;
}

// A small image wholly outside the near box cannot be seen, and SDL must not be handed it:
// its edges (a corner near the largest int plus the size) would overflow SDL's arithmetic.
static bool quad_away(const Box& bounds, const Box& near) {
    return bounds.x1 < near.x0 || bounds.x0 > near.x1 || bounds.y1 < near.y0 || bounds.y0 > near.y1;
}

// A larger image is cut to the whole source pixels that can reach the box, and those go to
// SDL's own copy, turned about the same centre, so that they land and are sampled as the
// whole image would have been. This one axis: the source columns (or rows) [*a0, *a1) that
// the box's corners, taken back into the unturned image, can reach, and where they start
// in the destination. `pos` holds the corners' coordinates along this axis in the unturned
// destination; `size` is the source extent, `origin` and `extent` the destination's.
static bool visible_texels(const double pos[4], int32_t size, double origin, double extent,
                           bool flipped, int32_t* a0, int32_t* a1, double* dest) {
    const double per_texel = extent / size;
    double lo = INFINITY, hi = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        const double u = (pos[i] - origin) / per_texel;
        lo = std::min(lo, flipped ? size - u : u);
        hi = std::max(hi, flipped ? size - u : u);
    }
    lo = std::max(std::floor(lo), 0.0);
    hi = std::min(std::ceil(hi), double(size));
    if (!(lo < hi)) return false;
    *a0 = int32_t(lo);
    *a1 = int32_t(hi);
    *dest = origin + (flipped ? size - hi : lo) * per_texel;
    return true;
}

// 1 when the cut image was drawn (or nothing of it can be seen), 0 when the visible source
// pixels still cover more than a few targets (a handful of huge pixels), -1 on failure.
static int32_t draw_visible_texels(SDL_Texture* texture, const SDL_Rect& src, const SDL_Rect& dst,
                                   double angle, int flip, const Box& box, const Box& near) {
    const double cx = dst.x + dst.w / 2.0, cy = dst.y + dst.h / 2.0;
    const double r = -angle * (std::numbers::pi / 180.0), cs = std::cos(r), sn = std::sin(r);
    const double bx[4] = {box.x0, box.x1 + 1, box.x1 + 1, box.x0};
    const double by[4] = {box.y0, box.y0, box.y1 + 1, box.y1 + 1};
    double ux[4], uy[4];
    for (int i = 0; i < 4; ++i) {  // the box's corners turned back about the centre
        ux[i] = cx + (bx[i] - cx) * cs - (by[i] - cy) * sn;
        uy[i] = cy + (bx[i] - cx) * sn + (by[i] - cy) * cs;
    }
    int32_t a0, a1, b0, b1;
    double x, y;
    if (!visible_texels(ux, src.w, dst.x, dst.w, flip & SDL_FLIP_HORIZONTAL, &a0, &a1, &x) ||
        !visible_texels(uy, src.h, dst.y, dst.h, flip & SDL_FLIP_VERTICAL, &b0, &b1, &y)) {
        return 1;
    }
    const double w = (a1 - a0) * (double(dst.w) / src.w), h = (b1 - b0) * (double(dst.h) / src.h);
    if (w > near.x1 - near.x0 || h > near.y1 - near.y0) return 0;
    const SDL_Rect part = {src.x + a0, src.y + b0, a1 - a0, b1 - b0};
    const SDL_FRect at = {float(x), float(y), float(w), float(h)};
    const SDL_FPoint centre = {float(cx - x), float(cy - y)};
    if (SDL_RenderCopyExF(orvex.video.renderer, texture, &part, &at, angle, &centre,
                          SDL_RendererFlip(flip)) < 0) {
        return fail_sdl();
    }
    return 1;
}

//------------------------------------------------------------------------------------------
// Images
//------------------------------------------------------------------------------------------
// One axis of the source rectangle: the size (the whole image for the marker), cut at the
// image's edge, and the scale factor, which takes over the sign of a negative size.
struct Axis {
    int32_t size;
    float factor;
};

static Axis source_axis(int32_t size, int32_t origin, int32_t image_size, float scale) {
    int64_t s = size == ORVEX_WHOLE_IMAGE ? image_size : size;
    float f = scale;
    if (s < 0) {
        s = -s;
        f = -f;
    }
    if (int64_t(origin) + s > image_size) s = int64_t(image_size) - origin;
    return {clamp_i32(s), f};
}

// The corner of the destination along one axis: a negative factor draws to the left of (or
// above) the point; centring puts the image's middle on the point whatever the signs.
static int32_t dest_origin(int32_t pos, int32_t extent, Axis a, bool centered) {
    int32_t corner = a.factor < 0 ? clamp_i32(int64_t(pos) - extent) : pos;
    if (!centered) return corner;
    return to_i32(float(corner) - a.factor * float(a.size) * 0.5f);
}

static int32_t modulate(SDL_Texture* texture) {
    const auto& c = orvex.draw_color;
    if (SDL_SetTextureColorMod(texture, channel8(c.r), channel8(c.g), channel8(c.b)) != 0 ||
        SDL_SetTextureAlphaMod(texture, channel8(c.a)) != 0) {
        return fail_sdl();
    }
    return 0;
}

int32_t ORVEX_DrawImage(const ORVEX_DrawImageArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_DrawImage: args is NULL\n");
        return -1;
    }
    const ResourceEntry* entry = registry_lookup_arg("ORVEX_DrawImage", args->id);
    if (!entry) return -1;
    if (!std::isfinite(args->rotation)) {
        orvex_report_line("ORVEX_DrawImage: rotation %f is not a finite number of turns\n",
                          double(args->rotation));
        return -1;
    }
    if (entry->type != ORVEX_RESOURCE_IMAGE) {
        orvex_report_line("%u isn't an image\n", args->id);
        return -1;
    }
    const auto& img = entry->payload.image;
    if (modulate(img.texture) != 0) return -1;
    Axis ax = source_axis(args->w, args->ix, img.width, args->scale_x);
    Axis ay = source_axis(args->h, args->iy, img.height, args->scale_y);
    // Nothing of the image lies inside the source rectangle: nothing to draw.
    if (ax.size <= 0 || ay.size <= 0) return 0;
    int flip = ((ax.factor < 0) != bool(args->flip_x) ? SDL_FLIP_HORIZONTAL : 0) |
               ((ay.factor < 0) != bool(args->flip_y) ? SDL_FLIP_VERTICAL : 0);
    int32_t dw = to_i32(double(ax.size) * std::fabs(double(ax.factor)));
    int32_t dh = to_i32(double(ay.size) * std::fabs(double(ay.factor)));
    SDL_Rect src = {args->ix, args->iy, ax.size, ay.size};
    SDL_Rect dst = {dest_origin(args->x, dw, ax, args->centered),
                    dest_origin(args->y, dh, ay, args->centered), dw, dh};
    const double angle = double(360.0f * turn_fraction(args->rotation));
    const Box box = visible_box();
    QuadVertex quad[4];
    image_quad(src, dst, img.width, img.height, angle, flip, quad);
    const Box near = near_box(box), bounds = quad_bounds(quad);
    if (!quad_small(bounds, near)) {
        const int32_t cut = draw_visible_texels(img.texture, src, dst, angle, flip, box, near);
        if (cut != 0) return cut < 0 ? -1 : 0;
        return draw_quad_in_box(img.texture, quad, box);
    }
    if (quad_away(bounds, near)) return 0;
    if (SDL_RenderCopyEx(orvex.video.renderer, img.texture, &src, &dst, angle, nullptr,
                         SDL_RendererFlip(flip)) < 0) {
        return fail_sdl();
    }
    return 0;
}

//------------------------------------------------------------------------------------------
// Lines, points and rectangles
//------------------------------------------------------------------------------------------
int32_t ORVEX_DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const Box seen = visible_box(), near = near_box(seen);
    if (orvex.video.renderer && (!near.holds(x0, y0) || !near.holds(x1, y1)))
        return draw_line_in_box(x0, y0, x1, y1, near, seen);
    if (SDL_RenderDrawLine(orvex.video.renderer, x0, y0, x1, y1) < 0) return fail_sdl();
    return 0;
}

int32_t ORVEX_DrawPoint(int32_t x, int32_t y) {
    // A point far outside the target cannot be seen (and SDL's sizes could overflow on it).
    if (orvex.video.renderer && !near_box(visible_box()).holds(x, y)) return 0;
    if (SDL_RenderDrawPoint(orvex.video.renderer, x, y) < 0) return fail_sdl();
    return 0;
}

// One axis of a rectangle: first and last pixel from `start` and `size` (as SDL takes them,
// x + w - 1), each moved into [lo, hi]. A far edge moves to the border of the near box and
// stays outside the target, so what the target shows is unchanged, and SDL, which overflows
// on far rectangles, gets small ones.
static void rect_axis(int64_t start, int64_t size, double lo, double hi, int* at, int* length) {
    const int64_t a = std::clamp<int64_t>(start, int64_t(lo), int64_t(hi));
    const int64_t b = std::clamp<int64_t>(start + size - 1, int64_t(lo), int64_t(hi));
    *at = int(a);
    *length = int(b - a + 1);
}

int32_t ORVEX_DrawRectangle(const ORVEX_DrawRectangleArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_DrawRectangle: args is NULL\n");
        return -1;
    }
    // Centring moves the corner back by half the size, halves truncating toward zero.
    int64_t c = args->centered ? 1 : 0;
    SDL_Rect r = {clamp_i32(args->x - (args->w / 2) * c), clamp_i32(args->y - (args->h / 2) * c),
                  args->w, args->h};
    if (orvex.video.renderer) {
        const Box near = near_box(visible_box());
        rect_axis(r.x, r.w, near.x0, near.x1, &r.x, &r.w);
        rect_axis(r.y, r.h, near.y0, near.y1, &r.y, &r.h);
    }
    int result = args->fill ? SDL_RenderFillRect(orvex.video.renderer, &r)
                            : SDL_RenderDrawRect(orvex.video.renderer, &r);
    if (result < 0) return fail_sdl();
    return 0;
}
