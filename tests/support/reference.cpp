// The literal loops. Nothing here is clever on purpose: each is the definition its fast
// counterpart must meet.
#include "reference.hpp"

namespace support {

//------------------------------------------------------------------------------------------
// Plot and clear
//------------------------------------------------------------------------------------------
void reference_plot(int32_t x, int32_t y, uint8_t color) {
    const PxClipRect& c = px_clip_rect;
    if (x < c.x || x >= c.x + c.w) return;
    if (y < c.y || y >= c.y + c.h) return;
    uint32_t& depth = px_depth_buffer[y * PX_WIDTH + x];
    if (px_current_depth < depth) return;
    depth = px_current_depth;
    const int32_t remap = px_palette[color].remap;
    px_pixels[y * PX_WIDTH + x] = remap != 0 ? uint8_t(remap - 1) : color;
}

void reference_clear(uint8_t color) {
    const PxClipRect& c = px_clip_rect;
    for (int32_t y = c.y; y < c.y + c.h; y++) {
        for (int32_t x = c.x; x < c.x + c.w; x++) {
            px_pixels[y * PX_WIDTH + x] = color;
            px_depth_buffer[y * PX_WIDTH + x] = 0;
        }
    }
}

//------------------------------------------------------------------------------------------
// Line and blit
//------------------------------------------------------------------------------------------
void reference_line(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint8_t color) {
    const int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int64_t dy = y1 > y0 ? y0 - y1 : y1 - y0;
    const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy, x = x0, y = y0;
    for (;;) {
        if (x >= INT32_MIN && x <= INT32_MAX && y >= INT32_MIN && y <= INT32_MAX)
            reference_plot(int32_t(x), int32_t(y), color);
        if (x == x1 && y == y1) return;
        const int64_t e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

void reference_blit(const PxBlitArgs& a) {
    const PxImage& im = *a.img;
    int32_t w = a.w < 0 ? im.width : a.w;
    if (im.width - a.ix < w) w = im.width - a.ix;
    int32_t h = a.h < 0 ? im.height : a.h;
    if (im.height - a.iy < h) h = im.height - a.iy;
    for (int32_t j = 0; j < h; j++) {
        for (int32_t i = 0; i < w; i++) {
            const int32_t u = a.ix + (a.flip_x ? w - 1 - i : i);
            const int32_t v = a.iy + (a.flip_y ? h - 1 - j : j);
            const uint8_t c = im.pixels[v * im.width + u];
            if (px_palette[c].transparent) continue;
            reference_plot(a.x + i, a.y + j, c);
        }
    }
}

//------------------------------------------------------------------------------------------
// Dither
//------------------------------------------------------------------------------------------
uint32_t reference_dither(const uint8_t* pixels, const PxColor* palette, uint32_t s, uint8_t* out,
                          int32_t pitch) {
    for (int32_t y = 0; y < PX_HEIGHT; y++) {
        for (int32_t x = 0; x < PX_WIDTH; x++) {
            const uint8_t i = pixels[y * PX_WIDTH + x];
            const uint8_t t = palette[i].dither ? uint8_t(palette[i].dither - 1) : i;
            s = s * 1103515245u + 12345u;
            const uint32_t v = ((s >> 16) & 0x7fff) % 255;
            const PxColor& c = v < t ? palette[254] : palette[0];
            uint8_t* p = out + y * pitch + 4 * x;
            p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 255;
        }
    }
    return s;
}

}  // namespace support
