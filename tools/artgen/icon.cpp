// The application icon, painted at any size from the game's own pieces: a dark rounded plate,
// the sine the square bobs on drawn as a fading trail, and the square itself, framed in light
// and filled with a window of the bark texture it carries in the game, in the game's
// two-colour dither. The plate and the trail average 4x4 samples a pixel for smooth edges;
// the square is laid on whole pixels, up to 32 texels across and never less than one pixel
// a texel, so it stays crisp down to 16x16.
#include "artgen.hpp"

#include <algorithm>
#include <cmath>

//------------------------------------------------------------------------------------------
// Layout (in units of the icon's side unless named _px)
//------------------------------------------------------------------------------------------
namespace {

constexpr float PLATE_MARGIN = 1.0f / 32;  // transparent border around the plate
constexpr float PLATE_RADIUS = 0.16f;      // rounded corners
constexpr float SQUARE_CX = 0.64f, SQUARE_CY = 0.5f;
constexpr float SQUARE_INNER = 0.34f;  // the textured part of the square
constexpr float SQUARE_FRAME = 0.025f;
constexpr float WAVE_X0 = 0.1f;           // the trail starts here, thin and faint
constexpr float WAVE_AMP = 0.12f;         // and bobs this far above and below the square's centre
constexpr float WAVE_PERIOD = 0.5f;       // with this wavelength
constexpr int MAX_TEXELS = 32;            // the game's square shows 32x32 texels of the bark
constexpr int BARK_X = 184, BARK_Y = 96;  // where the window sits in the texture
constexpr int SAMPLES = 4;                // per pixel and axis, for the smooth shapes
constexpr float LIGHT = 0.96f;            // the frame and the trail
constexpr float TWO_PI = 6.2831853f;

struct Shade {
    float grey, alpha;  // 0..1 each
};

// The square, whole pixels so that its frame and texels stay crisp at every size.
struct Square {
    int left, top, side, frame, texels;
};

Square square_at(int size) {
    const int frame = std::max(1, (int)std::lround(SQUARE_FRAME * size));
    const int side = (int)std::lround(SQUARE_INNER * size) + 2 * frame;
    return {(int)std::lround(SQUARE_CX * size - side / 2.0f),
            (int)std::lround(SQUARE_CY * size - side / 2.0f), side, frame,
            std::min(MAX_TEXELS, side - 2 * frame)};
}

//------------------------------------------------------------------------------------------
// Plate and trail
//------------------------------------------------------------------------------------------
// Signed distance to a rounded square centred at (0.5, 0.5): negative inside.
float plate_distance(float u, float v) {
    const float half = 0.5f - PLATE_MARGIN - PLATE_RADIUS;
    const float dx = std::max(std::fabs(u - 0.5f) - half, 0.0f);
    const float dy = std::max(std::fabs(v - 0.5f) - half, 0.0f);
    return std::sqrt(dx * dx + dy * dy) - PLATE_RADIUS;
}

// A soft vertical gradient with a lighter rim that lifts the plate off dark panels.
Shade plate(float u, float v, int size) {
    const float d = plate_distance(u, v);
    if (d >= 0) return {0, 0};
    const bool rim = d > -std::max(1.0f / size, 0.012f);
    return {0.11f + 0.06f * (1 - v) + (rim ? 0.16f : 0), 1};
}

Shade over(Shade top, Shade under) {
    const float a = top.alpha + under.alpha * (1 - top.alpha);
    const float g = top.grey * top.alpha + under.grey * under.alpha * (1 - top.alpha);
    return {a > 0 ? g / a : 0, a};
}

// The sine the square bobs on, behind it: thicker and brighter the nearer it comes.
Shade trail(float u, float v, float end) {
    if (u < WAVE_X0 || u >= end) return {0, 0};
    const float k = TWO_PI / WAVE_PERIOD, phase = k * (u - SQUARE_CX);
    const float y = SQUARE_CY - WAVE_AMP * std::sin(phase);
    const float slope = WAVE_AMP * k * std::cos(phase);
    const float t = (u - WAVE_X0) / (end - WAVE_X0);
    const float distance = std::fabs(v - y) / std::sqrt(1 + slope * slope);
    if (distance > 0.006f + 0.02f * t) return {0, 0};
    return {LIGHT, 0.15f + 0.85f * t};
}

//------------------------------------------------------------------------------------------
// Square
//------------------------------------------------------------------------------------------
// The bark texel (tx, ty) of the window in the game's dither: light when a draw from the
// game's generator falls below its grey. One fixed draw per texel keeps the icon stable.
float texel(const std::vector<uint8_t>& bark, int bark_w, int tx, int ty) {
    const uint8_t grey = bark[(size_t)(BARK_Y + ty) * bark_w + BARK_X + tx];
    uint32_t state = (uint32_t)(ty * MAX_TEXELS + tx) * 2654435761u + 1u;
    uint8_t out = 0;
    dither_preview(&grey, 1, &state, &out);
    return out / 255.0f;
}

float square_pixel(const Square& q, int x, int y, const std::vector<uint8_t>& bark, int bark_w) {
    const int qx = x - q.left, qy = y - q.top, inner = q.side - 2 * q.frame;
    if (qx < q.frame || qy < q.frame || qx >= q.side - q.frame || qy >= q.side - q.frame)
        return LIGHT;
    return texel(bark, bark_w, (qx - q.frame) * q.texels / inner,
                 (qy - q.frame) * q.texels / inner);
}

// Plate and trail at one pixel, averaged over SAMPLES x SAMPLES points.
Shade smooth_pixel(int x, int y, int size, float trail_end) {
    float premul = 0, alpha = 0;
    for (int j = 0; j < SAMPLES; j++)
        for (int i = 0; i < SAMPLES; i++) {
            const float u = (x + (i + 0.5f) / SAMPLES) / size,
                        v = (y + (j + 0.5f) / SAMPLES) / size;
            const Shade sh = over(trail(u, v, trail_end), plate(u, v, size));
            premul += sh.grey * sh.alpha, alpha += sh.alpha;
        }
    return {alpha > 0 ? premul / alpha : 0, alpha / (SAMPLES * SAMPLES)};
}

}  // namespace

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
const int icon_sizes[7] = {16, 24, 32, 48, 64, 128, 256};

std::vector<uint8_t> paint_icon(int size, const std::vector<uint8_t>& bark, int bark_w) {
    const Square q = square_at(size);
    const float trail_end = (float)q.left / size;
    std::vector<uint8_t> rgba((size_t)size * size * 4);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            const bool in_square =
                x >= q.left && y >= q.top && x < q.left + q.side && y < q.top + q.side;
            const Shade sh = in_square ? Shade{square_pixel(q, x, y, bark, bark_w), 1}
                                       : smooth_pixel(x, y, size, trail_end);
            uint8_t* p = &rgba[((size_t)y * size + x) * 4];
            p[0] = p[1] = p[2] = (uint8_t)std::lround(std::clamp(sh.grey, 0.0f, 1.0f) * 255);
            p[3] = (uint8_t)std::lround(sh.alpha * 255);
        }
    return rgba;
}

// ICONDIR (reserved, type 1 = icon, count), one 16-byte ICONDIRENTRY per image (width and
// height, 0 meaning 256; no palette; 1 plane; 32 bits; byte count; offset), then the images.
std::vector<uint8_t> ico_file(const std::vector<std::vector<uint8_t>>& pngs, const int* sizes) {
    std::vector<uint8_t> out;
    const auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++) out.push_back((uint8_t)(v >> (8 * i)));
    };
    put(0, 2), put(1, 2), put((uint32_t)pngs.size(), 2);
    uint32_t offset = 6 + 16 * (uint32_t)pngs.size();
    for (size_t i = 0; i < pngs.size(); i++) {
        put(sizes[i] & 0xff, 1), put(sizes[i] & 0xff, 1), put(0, 1), put(0, 1);
        put(1, 2), put(32, 2), put((uint32_t)pngs[i].size(), 4), put(offset, 4);
        offset += (uint32_t)pngs[i].size();
    }
    for (const std::vector<uint8_t>& p : pngs) out.insert(out.end(), p.begin(), p.end());
    return out;
}
