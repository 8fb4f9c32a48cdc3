// Hand-lettered captions. Each capital is a few strokes on a 4x6 grid; every point is nudged
// by a seeded wobble and the baseline drifts, so no two letters come out alike, and the
// strokes are painted with the same round tapered brush as twigs, in a light tone.
#include "artgen.hpp"

#include <cmath>
#include <cstring>

//------------------------------------------------------------------------------------------
// Glyphs
//------------------------------------------------------------------------------------------
// Strokes separated by spaces; each stroke is a run of "xy" digit pairs (x 0..4, y 0..6).
static const char* const glyphs[26] = {
    "062046 1333",
    "06003041423303 3344453606",  // A B
    "4130100105163645",
    "06002042442606",  // C D
    "400006 4606 0333",
    "400006 0333",  // E F
    "41301001051636454323",
    "0006 4046 0343",  // G H
    "1030 2026 1636",
    "3035261605",  // I J
    "0006 4004 1346",
    "000646",  // K L
    "0600244046",
    "06004640",  // M N
    "100105163645413010",
    "06003041423303",  // O P
    "100105163645413010 2446",
    "06003041423303 2346",  // Q R
    "413010010213334445361605",
    "0040 2026",  // S T
    "000516364540",
    "002640",  // U V
    "0016233640",
    "0046 4006",  // W X
    "0023 4023 2326",
    "00404606",  // Y Z
};

//------------------------------------------------------------------------------------------
// Lettering
//------------------------------------------------------------------------------------------
static void paint_glyph(Canvas& c, const char* g, float ox, float oy, float s, Rng& rng) {
    float wob = s * 0.09f, slant = 0.12f;
    while (*g) {
        if (*g == ' ') {
            g++;
            continue;
        }
        float px = 0, py = 0;
        bool first = true;
        for (; g[0] >= '0' && g[0] <= '9' && g[1] >= '0' && g[1] <= '9'; g += 2) {
            float gx = (float)(g[0] - '0'), gy = (float)(g[1] - '0');
            float x = ox + (gx + (6 - gy) * slant) * s * 0.25f + rng_range(rng, -wob, wob);
            float y = oy + gy * s / 6.0f + rng_range(rng, -wob, wob);
            if (!first) paint_stroke(c, px, py, x, y, s * 0.085f, s * 0.075f, 1.35f);
            px = x;
            py = y;
            first = false;
        }
        if (first) g++;  // a lone digit: skip it rather than loop forever
    }
}

void paint_caption(Canvas& c, float x, float y, float size, const char* text, uint32_t seed) {
    Rng rng{seed};
    for (const char* p = text; *p; p++) {
        char ch = *p;
        if (ch >= 'a' && ch <= 'z') ch = (char)(ch - 'a' + 'A');
        float drift = 0.6f * std::sin(x * 0.05f + (float)seed);
        if (ch >= 'A' && ch <= 'Z')
            paint_glyph(c, glyphs[ch - 'A'], x, y + drift, size, rng);
        else if (ch == '.' || ch == ',')
            paint_stroke(c, x + 1, y + size, x + 0.5f, y + size + (ch == ',' ? 2.5f : 0.5f), 0.9f,
                         0.7f, 1.35f);
        x += (ch == ' ' ? 0.8f : 1.3f) * size + rng_range(rng, -0.6f, 0.6f);
    }
}
