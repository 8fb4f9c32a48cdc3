// The eight pictures, each painted back to front: a noise-built ground or sky, then layers
// of shapes (leaves, stones, blades, branches) that occlude and shade what lies behind, soft
// light over the whole, a caption on some, and a touch of film grain. Each has its own seed.
//
// Index: Shared layers / Stage 0 / Stage 1 / Stage 2 / Stage 3 / Stage 4 / Stage 5 / Stage 6 /
//        Player texture / Inventory
#include "artgen.hpp"

#include <algorithm>
#include <cmath>

//------------------------------------------------------------------------------------------
// Shared layers
//------------------------------------------------------------------------------------------
// Fractal ground: two scales of noise over a base tone.
static void fill_ground(Canvas& c, float base, float contrast, float scale, uint32_t seed) {
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            float n = fbm(x * scale, y * scale, 6, 0.55f, seed);
            float fine = value_noise(x * 0.45f, y * 0.45f, seed + 77);
            at(c, x, y) = base + contrast * n + 0.04f * fine;
        }
}

// Broad soft light: a low-frequency field multiplied over everything painted so far.
static void soft_light(Canvas& c, float amount, uint32_t seed) {
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++)
            at(c, x, y) *= 1.0f + amount * fbm(x * 0.004f, y * 0.004f, 3, 0.5f, seed);
}

// A dense mass of small leaves in an ellipse; leaves deeper inside (painted first) are darker,
// the outer shell is lighter, so the mass reads as a lit rounded bush.
static void shrub(Canvas& c, float cx, float cy, float rx, float ry, int leaves, float tone,
                  float size, Rng& rng) {
    for (int i = 0; i < leaves; i++) {
        float depth = (float)i / leaves;  // 0 inner .. 1 outer shell
        float a = rng_range(rng, 0, 6.2831853f),
              rad = std::sqrt(rng_unit(rng)) * (0.4f + 0.6f * depth);
        float x = cx + std::cos(a) * rx * rad, y = cy + std::sin(a) * ry * rad;
        float lit = 0.55f + 0.45f * depth - 0.25f * (y - cy) / ry;
        paint_leaf(c, x, y, size * rng_range(rng, 0.7f, 1.3f), size * rng_range(rng, 0.22f, 0.34f),
                   rng_range(rng, 0, 6.2831853f), tone * lit * rng_range(rng, 0.8f, 1.15f), 0.25f);
    }
}

// A young tree: a thin trunk that forks into tapering branches, with leaf clusters at the tips.
static void branch(Canvas& c, float x, float y, float ang, float len, float w, int depth,
                   float tone, Rng& rng) {
    // Two segments with a kink, so limbs wander a little instead of running straight.
    float kink = ang + rng_range(rng, -0.25f, 0.25f);
    float xm = x + std::cos(ang) * len * 0.5f, ym = y + std::sin(ang) * len * 0.5f;
    float x1 = xm + std::cos(kink) * len * 0.5f, y1 = ym + std::sin(kink) * len * 0.5f;
    paint_stroke(c, x, y, xm, ym, w, w * 0.85f, tone);
    paint_stroke(c, xm, ym, x1, y1, w * 0.85f, w * 0.7f, tone);
    ang = kink;
    if (depth == 0 || len < 6) {
        for (int i = 0; i < 14; i++)
            paint_leaf(c, x1 + rng_range(rng, -14, 14), y1 + rng_range(rng, -12, 10),
                       rng_range(rng, 6, 10), rng_range(rng, 1.8f, 3.0f), rng_range(rng, 0, 6.28f),
                       tone * rng_range(rng, 0.9f, 1.6f), 0.15f);
        return;
    }
    int forks = 2 + (rng_next(rng) % 2);
    for (int i = 0; i < forks; i++)
        branch(c, x1, y1, ang + (i - (forks - 1) * 0.5f) * 0.55f + rng_range(rng, -0.3f, 0.3f),
               len * rng_range(rng, 0.55f, 0.8f), w * 0.65f, depth - 1, tone, rng);
}

// A thick pruned branch ending in a light, ringed cut face.
static void cut_branch(Canvas& c, float x0, float y0, float x1, float y1, float w, float tone,
                       uint32_t seed) {
    paint_stroke(c, x0, y0, x1, y1, w * 1.15f, w, tone);
    float ang = std::atan2(y1 - y0, x1 - x0);
    float ca = std::cos(ang), sa = std::sin(ang);
    int r = (int)w + 2;
    for (int y = (int)y1 - r; y <= (int)y1 + r; y++)
        for (int x = (int)x1 - r; x <= (int)x1 + r; x++) {
            float dx = x - x1, dy = y - y1;
            float u = (dx * ca + dy * sa) / (w * 0.45f), v = (-dx * sa + dy * ca) / w;
            float d = std::sqrt(u * u + v * v);
            if (d > 1.05f) continue;
            float rings = 0.9f + 0.1f * std::sin(d * 22 + value_noise(u * 3, v * 3, seed) * 2);
            float bark = d > 0.85f ? 0.55f : 1.0f;
            paint_blend(c, x, y, 1.02f * rings * bark * (1 - 0.15f * d),
                        std::clamp((1.05f - d) * 8, 0.0f, 1.0f));
        }
}

// Scattered leaves over a region, with cast shadows.
static void leaf_litter(Canvas& c, int count, float lmin, float lmax, float tone, float spread,
                        Rng& rng) {
    for (int i = 0; i < count; i++) {
        float len = rng_range(rng, lmin, lmax);
        paint_leaf(c, rng_range(rng, -20, c.w + 20), rng_range(rng, -20, c.h + 20), len,
                   len * rng_range(rng, 0.22f, 0.4f), rng_range(rng, 0, 6.2831853f),
                   tone * rng_range(rng, 1 - spread, 1 + spread), 0.35f);
    }
}

//------------------------------------------------------------------------------------------
// Stage 0: dense shrubs and young trees under a pale sky
//------------------------------------------------------------------------------------------
static Canvas paint_shrubs_and_trees(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            at(c, x, y) = 0.97f - 0.12f * y / h + 0.05f * fbm(x * 0.006f, y * 0.012f, 4, 0.5f, 11);
    // Distant tree line, hazy and lighter than the foreground.
    for (int x = 0; x < w; x++) {
        int top = (int)(170 + 40 * fbm(x * 0.01f, 0.5f, 5, 0.6f, 12));
        for (int y = std::max(0, top); y < h; y++)
            at(c, x, y) = 0.62f + 0.08f * fbm(x * 0.05f, y * 0.05f, 4, 0.5f, 13);
    }
    blur(c, 2);
    Rng rng{1000};
    for (int i = 0; i < 7; i++) {
        float x = 40 + i * 92 + rng_range(rng, -20, 20);
        branch(c, x, (float)h, -1.5708f + rng_range(rng, -0.12f, 0.12f), rng_range(rng, 130, 190),
               rng_range(rng, 3.0f, 5.0f), 4, 0.32f, rng);
    }
    for (int i = 0; i < 9; i++)
        shrub(c, rng_range(rng, 0, (float)w), rng_range(rng, 330, 450), rng_range(rng, 80, 140),
              rng_range(rng, 60, 100), 1400, 0.62f, 9, rng);
    soft_light(c, 0.15f, 14);
    paint_caption(c, 24, 448, 11, "the hedge in march", 15);
    add_grain(c, 0.02f, 16);
    return c;
}

//------------------------------------------------------------------------------------------
// Stage 1: shrubs with cut branches
//------------------------------------------------------------------------------------------
static Canvas paint_cut_shrubs(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    fill_ground(c, 0.22f, 0.12f, 0.01f, 21);
    Rng rng{2000};
    for (int i = 0; i < 26; i++)
        shrub(c, rng_range(rng, -40, w + 40.0f), rng_range(rng, -40, h + 40.0f),
              rng_range(rng, 70, 130), rng_range(rng, 60, 110), 1100, 0.62f, 10, rng);
    for (int i = 0; i < 6; i++) {
        float x0 = rng_range(rng, 0, (float)w), y0 = (float)h + 10;
        float x1 = x0 + rng_range(rng, -160, 160), y1 = rng_range(rng, 80, 330);
        float wid = rng_range(rng, 7, 14);
        // Side shoots first, so the main stem covers their roots; all are cut short.
        float t = rng_range(rng, 0.3f, 0.7f), sx = x0 + (x1 - x0) * t, sy = y0 + (y1 - y0) * t;
        cut_branch(c, sx, sy, sx + rng_range(rng, -60, 60), sy - rng_range(rng, 30, 70), wid * 0.4f,
                   0.4f, 40 + i);
        cut_branch(c, x0, y0, x1, y1, wid, 0.42f, 22 + i);
    }
    for (int i = 0; i < 5; i++)
        shrub(c, rng_range(rng, 0, (float)w), rng_range(rng, 380, 500), rng_range(rng, 50, 90),
              rng_range(rng, 40, 70), 500, 0.62f, 10, rng);
    soft_light(c, 0.2f, 23);
    paint_caption(c, 400, 30, 11, "cut back", 24);
    add_grain(c, 0.02f, 25);
    return c;
}

//------------------------------------------------------------------------------------------
// Stage 2: grass and fallen leaves around a round plastic lid
//------------------------------------------------------------------------------------------
static void plastic_lid(Canvas& c, float cx, float cy, float r, float squash) {
    for (int y = (int)(cy - r * squash - 8); y <= (int)(cy + r * squash + 14); y++)
        for (int x = (int)(cx - r - 8); x <= (int)(cx + r + 8); x++) {
            float dx = x - cx, dy = (y - cy) / squash, d = std::hypot(dx, dy) / r;
            float sd = std::hypot(x - cx - 6, (y - cy - 9) / squash) / r;
            if (sd < 1.04f && d >= 1.0f)
                paint_shadow(c, x, y, 0.5f * std::clamp((1.04f - sd) * 25, 0.0f, 1.0f));
            if (d >= 1.0f) continue;
            float v = 0.9f - 0.12f * dy / r;  // light falls from above
            if (d > 0.9f)
                v = 1.02f - 0.3f * (d - 0.9f) / 0.1f;  // rolled rim
            else if (d > 0.78f && d < 0.84f)
                v *= 0.72f;  // pressed groove
            float glint = std::exp(-std::pow((dx + 0.35f * r) / (0.18f * r), 2) -
                                   std::pow((dy + 0.4f * r) / (0.1f * r), 2));
            v += 0.15f * glint + 0.05f * fbm(x * 0.03f, y * 0.03f, 3, 0.5f, 31);  // grime
            paint_blend(c, x, y, v, std::clamp((1 - d) * r, 0.0f, 1.0f));
        }
}

static void grass(Canvas& c, int count, float ymin, float ymax, float tone, Rng& rng) {
    for (int i = 0; i < count; i++) {
        float y = rng_range(rng, ymin, ymax);
        paint_blade(c, rng_range(rng, -10, c.w + 10.0f), y, rng_range(rng, 25, 70),
                    rng_range(rng, -0.4f, 0.4f), rng_range(rng, -0.5f, 0.5f),
                    rng_range(rng, 1.0f, 2.2f), tone * rng_range(rng, 0.7f, 1.3f));
    }
}

static Canvas paint_lid(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    fill_ground(c, 0.28f, 0.12f, 0.02f, 31);
    Rng rng{3000};
    leaf_litter(c, 160, 22, 40, 0.5f, 0.35f, rng);
    grass(c, 1600, 0, (float)h + 60, 0.55f, rng);
    plastic_lid(c, 330, 250, 120, 0.78f);
    paint_leaf(c, 300, 220, 44, 13, 0.6f, 0.55f, 0.4f);
    grass(c, 500, 300, (float)h + 60, 0.6f, rng);
    leaf_litter(c, 40, 20, 36, 0.45f, 0.3f, rng);
    soft_light(c, 0.2f, 32);
    add_grain(c, 0.02f, 33);
    return c;
}

//------------------------------------------------------------------------------------------
// Stage 3: dark wet ground from above, scattered debris
//------------------------------------------------------------------------------------------
// Standing water: wet patches go darker and smoother, with small glints on the ripples.
static void wet_sheen(Canvas& c, uint32_t seed) {
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            float puddle = fbm(x * 0.006f, y * 0.006f, 4, 0.5f, seed);
            float film = std::clamp((puddle - 0.1f) * 5, 0.0f, 1.0f);
            float glint =
                std::max(0.0f, fbm(x * 0.08f, y * 0.08f, 3, 0.5f, seed + 5) - 0.25f) * 1.2f;
            at(c, x, y) = at(c, x, y) * (1 - 0.45f * film) + film * 0.5f * glint;
        }
}

static Canvas paint_wet_ground(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    fill_ground(c, 0.35f, 0.2f, 0.015f, 41);
    Rng rng{4000};
    for (int i = 0; i < 500; i++)
        paint_stone(c, rng_range(rng, 0, (float)w), rng_range(rng, 0, (float)h),
                    rng_range(rng, 1.5f, 5), rng_range(rng, 0.3f, 0.6f), 4100 + i,
                    rng_range(rng, 0.7f, 1.0f), 0.3f);
    wet_sheen(c, 42);
    for (int i = 0; i < 70; i++) {
        float x = rng_range(rng, 0, (float)w), y = rng_range(rng, 0, (float)h),
              a = rng_range(rng, 0, 6.28f);
        float len = rng_range(rng, 15, 70);
        paint_stroke(c, x, y, x + std::cos(a) * len, y + std::sin(a) * len, rng_range(rng, 1, 2.5f),
                     0.8f, 0.45f);
    }
    leaf_litter(c, 60, 12, 30, 0.3f, 0.4f, rng);
    soft_light(c, 0.25f, 43);
    paint_caption(c, 30, 36, 11, "after the rain", 44);
    add_grain(c, 0.03f, 45);
    return c;
}

//------------------------------------------------------------------------------------------
// Stage 4: a carpet of fallen leaves
//------------------------------------------------------------------------------------------
static Canvas paint_leaf_carpet(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    fill_ground(c, 0.15f, 0.1f, 0.02f, 51);
    Rng rng{5000};
    leaf_litter(c, 900, 30, 60, 0.5f, 0.45f, rng);
    leaf_litter(c, 700, 26, 52, 0.7f, 0.4f, rng);
    leaf_litter(c, 300, 24, 46, 0.85f, 0.3f, rng);
    soft_light(c, 0.25f, 52);
    add_grain(c, 0.02f, 53);
    return c;
}

//------------------------------------------------------------------------------------------
// Stage 5: an old mossy stone wall
//------------------------------------------------------------------------------------------
// Stones are Worley cells in a squashed frame (wider than tall); the gap to the nearest
// border (f2 - f1) gives mortar joints and a bevelled, lit edge.
static float wall_edge(float x, float y, Cell* cell) {
    *cell = worley(x / 58.0f, y / 34.0f, 61);
    return (cell->f2 - cell->f1);
}

// Rounded stone face: rises quickly from the joint and flattens on top.
static float wall_height(float x, float y, Cell* cell) {
    float e = std::clamp(wall_edge(x, y, cell) / 0.14f, 0.0f, 1.0f);
    float bevel = e * e * (3 - 2 * e);
    return bevel *
           (1.0f + 0.25f * fbm(x * 0.04f, y * 0.04f, 3, 0.5f, cell->id));  // worn, uneven face
}

static float wall_pixel(int x, int y) {
    Cell cell, near;
    float hgt = wall_height((float)x, (float)y, &cell);
    float slope = hgt - wall_height((float)x - 1.5f, (float)y - 1.5f, &near);  // lit from top left
    float tone = 0.45f + 0.25f * (float)(cell.id & 255) / 255.0f;
    float grain = 0.1f * fbm(x * 0.08f, y * 0.08f, 4, 0.6f, cell.id) -
                  0.06f * ridged(x * 0.03f, y * 0.05f, 2, 62);
    float stone = (tone + grain) * (0.2f + 0.8f * std::min(hgt, 1.0f)) - slope * 2.5f;
    // Moss grows in clumps, more towards the foot of the wall and in the joints.
    float where = fbm(x * 0.012f, y * 0.012f, 5, 0.55f, 63) * 2.2f + 0.1f + (y - 240) / 500.0f +
                  0.3f * (1 - hgt);
    float moss = std::clamp(where, 0.0f, 1.0f);
    Cell tuft = worley(x * 0.22f, y * 0.22f, 64);
    float mossy = 0.4f + 0.35f * (1 - tuft.f1) + 0.12f * value_noise(x * 0.7f, y * 0.7f, 65);
    return stone * (1 - moss) + mossy * moss * (0.55f + 0.45f * hgt);
}

static Canvas paint_wall(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) at(c, x, y) = wall_pixel(x, y);
    Rng rng{6000};
    for (int i = 0; i < 70; i++)  // pale lichen rosettes
        paint_stone(c, rng_range(rng, 0, (float)w), rng_range(rng, 0, (float)h),
                    rng_range(rng, 2, 6), 0.8f, 6100 + i, rng_range(rng, 0.7f, 1.0f), 0);
    soft_light(c, 0.2f, 66);
    paint_caption(c, 340, 450, 11, "old wall, north side", 67);
    add_grain(c, 0.02f, 68);
    return c;
}

//------------------------------------------------------------------------------------------
// Stage 6: loose stones and rubble among leaves
//------------------------------------------------------------------------------------------
static Canvas paint_rubble(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    fill_ground(c, 0.3f, 0.15f, 0.02f, 71);
    Rng rng{7000};
    leaf_litter(c, 350, 20, 45, 0.55f, 0.4f, rng);
    for (int i = 0; i < 260; i++)
        paint_stone(c, rng_range(rng, 0, (float)w), rng_range(rng, 0, (float)h),
                    rng_range(rng, 3, 9), rng_range(rng, 0.4f, 0.8f), 7100 + i,
                    rng_range(rng, 0.6f, 1.0f), 0.4f);
    for (int i = 0; i < 70; i++)
        paint_chunk(c, rng_range(rng, 0, (float)w), rng_range(rng, 0, (float)h),
                    rng_range(rng, 6, 22), rng_range(rng, 0.5f, 0.9f), 7300 + i, 0.5f);
    for (int i = 0; i < 25; i++)
        paint_stone(c, rng_range(rng, 0, (float)w), rng_range(rng, 0, (float)h),
                    rng_range(rng, 12, 38), rng_range(rng, 0.5f, 0.9f), 7400 + i,
                    rng_range(rng, 0.55f, 0.9f), 0.5f);
    leaf_litter(c, 90, 20, 40, 0.6f, 0.35f, rng);
    soft_light(c, 0.2f, 72);
    add_grain(c, 0.02f, 73);
    return c;
}

//------------------------------------------------------------------------------------------
// Player texture: a close-up of rough bark
//------------------------------------------------------------------------------------------
static float bark_height(float x, float y) {
    Cell plate = worley(x / 26.0f, y / 70.0f, 81);
    float furrow = std::clamp((plate.f2 - plate.f1) * 3.0f, 0.0f, 1.0f);
    float ridges = ridged(x * 0.06f, y * 0.012f, 4, 82);
    return 0.6f * furrow + 0.3f * ridges + 0.1f * fbm(x * 0.2f, y * 0.2f, 3, 0.5f, 83);
}

static Canvas paint_bark(int w, int h) {
    Canvas c = canvas_make(w, h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float hgt = bark_height((float)x, (float)y);
            float slope = hgt - bark_height((float)x - 1.5f, (float)y - 1.5f);
            at(c, x, y) = 0.2f + 0.6f * hgt + 1.5f * slope;  // deep cracks dark, crests lit
        }
    add_grain(c, 0.03f, 84);
    return c;
}

//------------------------------------------------------------------------------------------
// Inventory
//------------------------------------------------------------------------------------------
const ImageSpec image_specs[8] = {
    {"stage_image_0", 640, 480, paint_shrubs_and_trees},
    {"stage_image_1", 640, 480, paint_cut_shrubs},
    {"stage_image_2", 640, 480, paint_lid},
    {"stage_image_3", 640, 480, paint_wet_ground},
    {"stage_image_4", 640, 480, paint_leaf_carpet},
    {"stage_image_5", 640, 480, paint_wall},
    {"stage_image_6", 640, 480, paint_rubble},
    {"player_texture", 400, 256, paint_bark},
};
