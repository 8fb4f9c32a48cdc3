// Noise and painting primitives. Noise is hash-based (value noise on an integer lattice,
// summed over octaves; Worley's cellular distances on jittered points), so any point can be
// evaluated alone. Shapes are rasterised per pixel over their bounding box with coverage
// (anti-aliased edges), a local shading model and an optional soft cast shadow.
//
// Index: Canvas and random numbers / Noise / Pixel blending / Leaves / Stones / Strokes and blades /
//        Filters
#include "artgen.hpp"

#include <algorithm>
#include <cmath>

//------------------------------------------------------------------------------------------
// Canvas and random numbers
//------------------------------------------------------------------------------------------
Canvas canvas_make(int w, int h, float value) {
    Canvas c;
    c.w = w;
    c.h = h;
    c.px.assign((size_t)w * h, value);
    return c;
}

uint32_t rng_next(Rng& r) {
    // PCG-style: 64-bit LCG state, xorshift-rotate output.
    r.s = r.s * 6364136223846793005ull + 1442695040888963407ull;
    uint32_t x = (uint32_t)(((r.s >> 18) ^ r.s) >> 27);
    uint32_t rot = (uint32_t)(r.s >> 59);
    return (x >> rot) | (x << ((32 - rot) & 31));
}

float rng_unit(Rng& r) { return (float)(rng_next(r) >> 8) * (1.0f / 16777216.0f); }
float rng_range(Rng& r, float lo, float hi) { return lo + (hi - lo) * rng_unit(r); }

//------------------------------------------------------------------------------------------
// Noise
//------------------------------------------------------------------------------------------
uint32_t hash2(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u ^ (uint32_t)x * 0x85EBCA6Bu ^ (uint32_t)y * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

static float lattice(int32_t x, int32_t y, uint32_t seed) {
    return (float)(hash2(x, y, seed) >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

static float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

float value_noise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = (int32_t)fx, iy = (int32_t)fy;
    float u = fade(x - fx), v = fade(y - fy);
    float a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    float c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * u) + ((c + (d - c) * u) - (a + (b - a) * u)) * v;
}

float fbm(float x, float y, int octaves, float gain, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; i++) {
        sum += amp * value_noise(x, y, seed + (uint32_t)i * 101u);
        norm += amp;
        amp *= gain;
        // Rotate a little between octaves so lattice axes do not line up.
        float nx = x * 1.6f - y * 1.2f, ny = x * 1.2f + y * 1.6f;
        x = nx;
        y = ny;
    }
    return sum / norm;
}

float ridged(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; i++) {
        float n = 1.0f - std::fabs(value_noise(x, y, seed + (uint32_t)i * 131u));
        sum += amp * n * n;
        norm += amp;
        amp *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / norm;
}

Cell worley(float x, float y, uint32_t seed) {
    int32_t ix = (int32_t)std::floor(x), iy = (int32_t)std::floor(y);
    Cell best{1e9f, 1e9f, 0, 0, 0};
    for (int dy = -1; dy <= 1; dy++)
        for (int dx = -1; dx <= 1; dx++) {
            uint32_t h = hash2(ix + dx, iy + dy, seed);
            float px = (float)(ix + dx) + (float)(h & 0xffff) / 65536.0f;
            float py = (float)(iy + dy) + (float)(h >> 16) / 65536.0f;
            float d = std::hypot(px - x, py - y);
            if (d < best.f1) {
                best = {d, best.f1, h, px, py};
            } else if (d < best.f2) {
                best.f2 = d;
            }
        }
    return best;
}

//------------------------------------------------------------------------------------------
// Pixel blending
//------------------------------------------------------------------------------------------
void paint_blend(Canvas& c, int x, int y, float value, float alpha) {
    if (x < 0 || y < 0 || x >= c.w || y >= c.h || alpha <= 0) return;
    float& p = at(c, x, y);
    alpha = std::min(alpha, 1.0f);
    p += (value - p) * alpha;
}

void paint_shadow(Canvas& c, int x, int y, float strength) {
    if (x < 0 || y < 0 || x >= c.w || y >= c.h || strength <= 0) return;
    at(c, x, y) *= 1.0f - std::min(strength, 0.95f);
}

// Calls f(x, y) for every canvas pixel in the box around (cx, cy) of half-size r.
template <class F>
static void for_box(const Canvas& c, float cx, float cy, float r, F f) {
    int x0 = std::max(0, (int)std::floor(cx - r)), x1 = std::min(c.w - 1, (int)std::ceil(cx + r));
    int y0 = std::max(0, (int)std::floor(cy - r)), y1 = std::min(c.h - 1, (int)std::ceil(cy + r));
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) f(x, y);
}

static float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

//------------------------------------------------------------------------------------------
// Leaves
//------------------------------------------------------------------------------------------
// Signed distance-like edge value of the leaf at leaf coordinates (u along, v across):
// positive inside, in pixels.
static float leaf_edge(float u, float v, float len, float wid) {
    float t = u / len + 0.5f;
    if (t <= 0 || t >= 1 || std::fabs(v) > wid + 1) return -100;  // well outside
    // Skewing t towards the tip makes the base round and the tip pointed.
    float s = std::sin(3.14159265f * t * (1.2f - 0.2f * t));
    float hw = wid * s * (1.25f - 0.25f * s);
    return hw - std::fabs(v);
}

void paint_leaf(Canvas& c, float cx, float cy, float len, float wid, float ang, float tone,
                float shadow) {
    float ca = std::cos(ang), sa = std::sin(ang), r = len * 0.5f + 2;
    float sx = cx + len * 0.08f + 1.5f, sy = cy + len * 0.12f + 2.0f;
    if (shadow > 0)
        for_box(c, sx, sy, r + 2, [&](int x, int y) {
            float dx = x - sx, dy = y - sy;
            float e = leaf_edge(dx * ca + dy * sa, -dx * sa + dy * ca, len, wid + 1.5f);
            paint_shadow(c, x, y, shadow * clamp01((e + 1.5f) / 3.0f));
        });
    for_box(c, cx, cy, r, [&](int x, int y) {
        float dx = x - cx, dy = y - cy;
        float u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
        float e = leaf_edge(u, v, len, wid);
        if (e <= -0.5f) return;
        float side = v / (wid + 0.01f);             // -1 .. 1 across the blade
        float lit = tone * (0.86f - 0.22f * side);  // folded along the midrib
        float rib = std::fabs(v) < 0.7f && std::fabs(u) < len * 0.45f ? 0.82f : 1.0f;
        float sv = std::sin((u * 0.9f - std::fabs(v)) * 1.3f), sv2 = sv * sv;
        float vein = 1.0f - 0.06f * sv2 * sv2 * sv2 * sv2;  // fine side veins
        float rim = e < 1.0f ? 0.85f : 1.0f;                // darker, curled edge
        float blotch =
            1.0f + 0.14f * value_noise(u * 0.12f + cx, v * 0.25f + cy, 3);  // decay spots
        paint_blend(c, x, y, lit * rib * vein * rim * blotch, clamp01(e + 0.5f));
    });
    if (len >= 14) {  // the stalk, from the base backwards
        float bx = cx - ca * len * 0.5f, by = cy - sa * len * 0.5f, sl = len * 0.2f;
        paint_stroke(c, bx + ca, by + sa, bx - ca * sl, by - sa * sl, 0.9f, 0.6f, tone * 0.8f);
    }
}

//------------------------------------------------------------------------------------------
// Stones
//------------------------------------------------------------------------------------------
static float stone_radius(float ang, float r, uint32_t seed) {
    float a = ang / 6.2831853f * 7.0f;
    // Wrap the angle noise around the circle by blending the two ends.
    float n0 = value_noise(a, 0.5f, seed), n1 = value_noise(a - 7.0f, 0.5f, seed);
    float w = a / 7.0f;
    float n = n0 * (1 - w) + n1 * w;
    return r * (1.0f + 0.18f * n + 0.06f * std::cos(ang * 3 + (float)(seed & 7)));
}

void paint_stone(Canvas& c, float cx, float cy, float r, float tone, uint32_t seed, float squash,
                 float shadow) {
    float rr = r * 1.3f + 3;
    if (shadow > 0)
        for_box(c, cx + r * 0.25f, cy + r * 0.3f, rr + 2, [&](int x, int y) {
            float dx = (x - cx - r * 0.25f), dy = (y - cy - r * 0.3f) / squash;
            float d = std::hypot(dx, dy), a = std::atan2(dy, dx) + 3.14159265f;
            float e = stone_radius(a, r, seed) + 2.0f - d;
            paint_shadow(c, x, y, shadow * clamp01(e / 4.0f));
        });
    for_box(c, cx, cy, rr, [&](int x, int y) {
        float dx = x - cx, dy = (y - cy) / squash;
        float d = std::hypot(dx, dy), a = std::atan2(dy, dx) + 3.14159265f;
        float rad = stone_radius(a, r, seed);
        float e = rad - d;
        if (e <= -0.5f) return;
        // Dome height and its normal; light from the upper left, a little from the front.
        float q = std::min(d / rad, 0.999f);
        float nz = std::sqrt(1 - q * q * 0.85f);
        float nx = dx / rad, ny = dy / rad;
        float lambert = std::max(0.0f, -0.55f * nx - 0.6f * ny + 0.6f * nz);
        float grain = 0.12f * fbm(x * 0.35f, y * 0.35f, 3, 0.55f, seed) +
                      0.06f * value_noise(x * 1.3f, y * 1.3f, seed + 9);
        float v = tone * (0.35f + 0.85f * lambert) + grain * tone;
        paint_blend(c, x, y, v, clamp01(e + 0.5f));
    });
}

// A broken chunk: an irregular polygon raised to a ridge point, so each edge carries one flat
// facet whose normal sets its brightness; sharp-edged, unlike a water-worn stone.
struct Chunk {
    int n;
    float vx[8], vy[8];  // outline, relative to the centre
    float ax, ay, az;    // ridge point
};

static Chunk chunk_make(float r, uint32_t seed) {
    Rng rng{seed};
    Chunk k{5 + (int)(rng_next(rng) % 4),
            {},
            {},
            rng_range(rng, -0.3f, 0.3f) * r,
            rng_range(rng, -0.3f, 0.3f) * r,
            r * rng_range(rng, 0.5f, 0.9f)};
    float a = rng_range(rng, 0, 6.2831853f);
    for (int i = 0; i < k.n; i++) {
        a += 6.2831853f / k.n * rng_range(rng, 0.7f, 1.3f);
        float rad = r * rng_range(rng, 0.7f, 1.15f);
        k.vx[i] = std::cos(a) * rad;
        k.vy[i] = std::sin(a) * rad;
    }
    return k;
}

static float cross(float ax, float ay, float bx, float by) { return ax * by - ay * bx; }

// Brightness of the facet over edge i, or -1 when (x, y) lies outside the angular sector of
// that facet seen from the ridge point. *inside is the distance inwards from the outer edge.
static float chunk_facet(const Chunk& k, int i, float x, float y, float* inside) {
    int j = (i + 1) % k.n;
    float ix = k.vx[i] - k.ax, iy = k.vy[i] - k.ay, jx = k.vx[j] - k.ax, jy = k.vy[j] - k.ay;
    float px = x - k.ax, py = y - k.ay;
    if (cross(ix, iy, px, py) < 0 || cross(px, py, jx, jy) < 0) return -1;
    float ex = k.vx[j] - k.vx[i], ey = k.vy[j] - k.vy[i], el = std::sqrt(ex * ex + ey * ey) + 1e-6f;
    float apex_side = cross(ex, ey, -ix, -iy);
    *inside = cross(ex, ey, x - k.vx[i], y - k.vy[i]) / el * (apex_side < 0 ? -1.0f : 1.0f);
    // Facet normal: the cross product of the edge and the spoke up to the raised ridge point.
    float sx = -ix, sy = -iy, sz = k.az;
    float nx = ey * sz, ny = -ex * sz, nz = cross(ex, ey, sx, sy);
    if (nz < 0) nx = -nx, ny = -ny, nz = -nz;
    float len = std::sqrt(nx * nx + ny * ny + nz * nz) + 1e-6f;
    return std::max(0.0f, (-0.55f * nx - 0.6f * ny + 0.6f * nz) / len);
}

void paint_chunk(Canvas& c, float cx, float cy, float r, float tone, uint32_t seed, float shadow) {
    Chunk k = chunk_make(r, seed);
    for_box(c, cx + r * 0.3f, cy + r * 0.35f, r * 1.3f, [&](int x, int y) {
        float in = 0;
        for (int i = 0; i < k.n; i++)
            if (chunk_facet(k, i, x - cx - r * 0.3f, y - cy - r * 0.35f, &in) >= 0 && in > 0)
                paint_shadow(c, x, y, shadow * clamp01(in / 3));
    });
    for_box(c, cx, cy, r * 1.2f, [&](int x, int y) {
        for (int i = 0; i < k.n; i++) {
            float in = 0, lit = chunk_facet(k, i, x - cx, y - cy, &in);
            if (lit < 0 || in <= -0.5f) continue;
            float grain = 0.1f * fbm(x * 0.4f, y * 0.4f, 3, 0.55f, seed);
            paint_blend(c, x, y, tone * (0.3f + 0.8f * lit + grain), clamp01(in + 0.5f));
            return;
        }
    });
}

//------------------------------------------------------------------------------------------
// Strokes and blades
//------------------------------------------------------------------------------------------
void paint_stroke(Canvas& c, float x0, float y0, float x1, float y1, float w0, float w1,
                  float tone) {
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy + 1e-6f;
    float wmax = std::max(w0, w1) + 1;
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float r = std::sqrt(len2) * 0.5f + wmax;
    for_box(c, cx, cy, r, [&](int x, int y) {
        float t = clamp01(((x - x0) * dx + (y - y0) * dy) / len2);
        float px = x0 + dx * t, py = y0 + dy * t;
        float sd = ((x - x0) * dy - (y - y0) * dx) / std::sqrt(len2);  // signed, across
        float w = w0 + (w1 - w0) * t;
        float e = w - std::hypot(x - px, y - py);
        if (e <= -0.5f) return;
        float n = std::clamp(sd / (w + 0.01f), -1.0f, 1.0f);
        float lit = 0.55f + 0.45f * std::sqrt(1 - n * n) - 0.2f * n;
        float rough = 0.9f + 0.2f * value_noise(x * 0.5f, y * 0.5f, 5);  // bark and grit
        paint_blend(c, x, y, tone * lit * rough, clamp01(e + 0.5f));
    });
}

void paint_blade(Canvas& c, float x, float y, float len, float lean, float bend, float width,
                 float tone) {
    const int steps = std::max(4, (int)(len / 3));
    float px = x, py = y;
    for (int i = 1; i <= steps; i++) {
        float t = (float)i / steps;
        float nx = x + lean * len * t + bend * len * t * t;
        float ny = y - len * t + std::fabs(bend) * len * 0.35f * t * t;
        float w0 = width * (1 - (t - 1.0f / steps)), w1 = width * (1 - t) + 0.25f;
        paint_stroke(c, px, py, nx, ny, w0, w1, tone * (0.75f + 0.4f * t));
        px = nx;
        py = ny;
    }
}

//------------------------------------------------------------------------------------------
// Filters
//------------------------------------------------------------------------------------------
static void blur_line(float* p, int n, int stride, int r, std::vector<float>& tmp) {
    tmp.resize(n);
    float sum = 0;
    for (int i = -r; i <= r; i++) sum += p[std::clamp(i, 0, n - 1) * stride];
    for (int i = 0; i < n; i++) {
        tmp[i] = sum / (2 * r + 1);
        sum += p[std::min(i + r + 1, n - 1) * stride] - p[std::max(i - r, 0) * stride];
    }
    for (int i = 0; i < n; i++) p[i * stride] = tmp[i];
}

void blur(Canvas& c, int radius) {
    std::vector<float> tmp;
    for (int pass = 0; pass < 3; pass++) {
        for (int y = 0; y < c.h; y++) blur_line(&c.px[(size_t)y * c.w], c.w, 1, radius, tmp);
        for (int x = 0; x < c.w; x++) blur_line(&c.px[x], c.h, c.w, radius, tmp);
    }
}

void add_grain(Canvas& c, float amount, uint32_t seed) {
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++)
            at(c, x, y) += amount * ((float)(hash2(x, y, seed) >> 8) / 16777216.0f - 0.5f);
}
