// Sequences of canvas operations against a model that applies the plot rule literally: every
// pixel of every shape visited in the written-down order, nothing cut short in advance. After
// each input both canvases (indices and depths) must be equal. The canvas cuts shapes and
// text to the clip rectangle and jumps along lines in closed form; the model does neither.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "font.hpp"
#include "fuzz_support.hpp"
#include "px_internal.hpp"

namespace {

//------------------------------------------------------------------------------------------
// Model
//------------------------------------------------------------------------------------------
struct Model {
    uint8_t pixels[PX_PIXELS];
    uint32_t depth[PX_PIXELS];
    int32_t cx = 0, cy = 0, cw = PX_WIDTH, ch = PX_HEIGHT;
    uint32_t current = 0;
    int32_t remap[PX_COLORS];
    uint8_t transparent[PX_COLORS];

    void reset() {
        memset(pixels, 0, sizeof pixels);
        memset(depth, 0, sizeof depth);
        cx = cy = 0;
        cw = PX_WIDTH;
        ch = PX_HEIGHT;
        current = 0;
        memset(remap, 0, sizeof remap);
        memset(transparent, 0, sizeof transparent);
    }

    void plot(int64_t x, int64_t y, uint8_t c) {
        if (x < cx || x >= int64_t(cx) + cw) return;
        if (y < cy || y >= int64_t(cy) + ch) return;
        const int64_t pos = y * PX_WIDTH + x;
        if (current < depth[pos]) return;
        depth[pos] = current;
        pixels[pos] = uint8_t(remap[c] != 0 ? remap[c] - 1 : c);
    }

    void line(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint8_t c) {
        const int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
        const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int64_t err = dx + dy, x = x0, y = y0;
        for (;;) {
            plot(x, y, c);
            if (x == x1 && y == y1) return;
            const int64_t e2 = 2 * err;
            if (e2 >= dy) err += dy, x += sx;
            if (e2 <= dx) err += dx, y += sy;
        }
    }

    // Rows and columns outside the canvas cannot pass the plot rule; the model leaves them out
    // only so that far corners stay affordable. Every pixel inside is visited.
    void fill_rect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint8_t c) {
        const int64_t l = std::max(std::min(x0, x1), int64_t{-1});
        const int64_t r = std::min(std::max(x0, x1), int64_t{PX_WIDTH});
        const int64_t t = std::max(std::min(y0, y1), int64_t{-1});
        const int64_t b = std::min(std::max(y0, y1), int64_t{PX_HEIGHT});
        for (int64_t y = t; y <= b; ++y)
            for (int64_t x = l; x <= r; ++x) plot(x, y, c);
    }

    void rect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint8_t c) {
        const int64_t l = std::min(x0, x1), r = std::max(x0, x1);
        const int64_t t = std::min(y0, y1), b = std::max(y0, y1);
        for (int64_t x = std::max(l, int64_t{-1}); x <= std::min(r, int64_t{PX_WIDTH}); ++x) {
            plot(x, t, c);
            plot(x, b, c);
        }
        for (int64_t y = std::max(t, int64_t{-1}); y <= std::min(b, int64_t{PX_HEIGHT}); ++y) {
            plot(l, y, c);
            plot(r, y, c);
        }
    }

    void blit(const PxBlitArgs& a) {
        const PxImage& im = *a.img;
        int32_t W = a.w < 0 ? im.width : a.w;
        if (im.width - a.ix < W) W = im.width - a.ix;
        int32_t H = a.h < 0 ? im.height : a.h;
        if (im.height - a.iy < H) H = im.height - a.iy;
        for (int32_t j = 0; j < H; j++) {
            for (int32_t i = 0; i < W; i++) {
                const int32_t su = a.ix + (a.flip_x ? W - 1 - i : i);
                const int32_t sv = a.iy + (a.flip_y ? H - 1 - j : j);
                const uint8_t c = im.pixels[sv * im.width + su];
                if (transparent[c]) continue;
                plot(int64_t(a.x) + i, int64_t(a.y) + j, c);
            }
        }
    }

    // Every lit glyph pixel of every cell as a filled square of s x s, wherever it lands.
    void text(const char* t, int64_t x, int64_t y, int64_t s, uint8_t c) {
        int64_t column = 0, line = 0;
        for (const char* p = t; *p;) {
            if (*p == '\n') {
                p++, line++, column = 0;
                continue;
            }
            const uint8_t* rows = font_glyph_rows(font_glyph_of(font_decode(&p)));
            for (int64_t r = 0; r < FONT_GLYPH_H; r++) {
                for (int64_t q = 0; q < FONT_GLYPH_W; q++) {
                    if ((rows[r] >> (FONT_GLYPH_W - 1 - q) & 1) == 0) continue;
                    const int64_t left = x + (column * FONT_CELL_W + q) * s;
                    const int64_t top = y + (line * FONT_CELL_H + r) * s;
                    fill_rect(left, top, left + s - 1, top + s - 1, c);
                }
            }
            column++;
        }
    }

    void clear(uint8_t c) {
        for (int32_t y = cy; y < cy + ch; ++y)
            for (int32_t x = cx; x < cx + cw; ++x) {
                pixels[y * PX_WIDTH + x] = c;
                depth[y * PX_WIDTH + x] = 0;
            }
    }

    void clip(int32_t x, int32_t y, int32_t w, int32_t h) {
        x = x > PX_WIDTH - 1 ? PX_WIDTH - 1 : x < 0 ? 0 : x;
        y = y > PX_HEIGHT - 1 ? PX_HEIGHT - 1 : y < 0 ? 0 : y;
        if (w > PX_WIDTH - x) w = PX_WIDTH - x;
        if (w < 0) w = 0;
        if (h > PX_HEIGHT - y) h = PX_HEIGHT - y;
        if (h < 0) h = 0;
        cx = x, cy = y, cw = w, ch = h;
    }
};

Model model;

//------------------------------------------------------------------------------------------
// Inputs
//------------------------------------------------------------------------------------------
// Coordinates: mostly around the canvas, sometimes anywhere in 32 bits.
int32_t coordinate(FuzzedDataProvider& in) {
    if (in.ConsumeIntegralInRange(0, 7) == 0) return in.ConsumeIntegral<int32_t>();
    return in.ConsumeIntegralInRange<int32_t>(-1000, 1700);
}

// Line ends stay within 16 bits, so that the model's literal walk stays affordable.
int32_t line_end(FuzzedDataProvider& in) { return in.ConsumeIntegral<int16_t>(); }

void reset_canvas(void) {
    memset(px_pixels, 0, sizeof px_pixels);
    memset(px_depth_buffer, 0, sizeof px_depth_buffer);
    px_reset_clip();
    px_set_depth(0);
    px_remap({.c0 = -1, .c1 = -1});
    px_transparent({.color = -1});
    model.reset();
}

void one_operation(FuzzedDataProvider& in, const PxImage& image) {
    const uint8_t c = in.ConsumeIntegral<uint8_t>();
    switch (in.ConsumeIntegralInRange(0, 11)) {
    case 0: {
        const int32_t x = coordinate(in), y = coordinate(in);
        px_plot(x, y, c);
        model.plot(x, y, c);
        break;
    }
    case 1: {
        const int32_t x0 = line_end(in), y0 = line_end(in), x1 = line_end(in), y1 = line_end(in);
        px_line(x0, y0, x1, y1, c);
        model.line(x0, y0, x1, y1, c);
        break;
    }
    case 2:
    case 3: {
        const int32_t x0 = coordinate(in), y0 = coordinate(in);
        const int32_t x1 = coordinate(in), y1 = coordinate(in);
        if (in.ConsumeBool()) {
            px_rect(x0, y0, x1, y1, c);
            model.rect(x0, y0, x1, y1, c);
        } else {
            px_fill_rect(x0, y0, x1, y1, c);
            model.fill_rect(x0, y0, x1, y1, c);
        }
        break;
    }
    case 4: {
        PxBlitArgs a{};
        a.img = &image;
        a.x = coordinate(in);
        a.y = coordinate(in);
        a.ix = in.ConsumeIntegralInRange(0, 80);
        a.iy = in.ConsumeIntegralInRange(0, 80);
        a.w = in.ConsumeIntegralInRange(-2, 100);
        a.h = in.ConsumeIntegralInRange(-2, 100);
        a.flip_x = in.ConsumeBool();
        a.flip_y = in.ConsumeBool();
        px_blit(a);
        model.blit(a);
        break;
    }
    case 5: {
        const int32_t x = coordinate(in), y = coordinate(in), w = coordinate(in),
                      h = coordinate(in);
        px_clip(x, y, w, h);
        model.clip(x, y, w, h);
        break;
    }
    case 6:
        px_reset_clip();
        model.clip(0, 0, PX_WIDTH, PX_HEIGHT);
        break;
    case 7: {
        const uint32_t d =
            in.ConsumeBool() ? in.ConsumeIntegralInRange(0u, 4u) : in.ConsumeIntegral<uint32_t>();
        px_set_depth(d);
        model.current = d;
        break;
    }
    case 8:
        px_clear(c);
        model.clear(c);
        break;
    case 9: {
        if (in.ConsumeIntegralInRange(0, 5) == 0) {
            px_remap({.c0 = -1, .c1 = -1});
            memset(model.remap, 0, sizeof model.remap);
        } else {
            const uint8_t to = in.ConsumeIntegral<uint8_t>();
            px_remap({.c0 = c, .c1 = to});
            model.remap[c] = to + 1;
        }
        break;
    }
    case 10: {
        const int32_t color = in.ConsumeIntegralInRange(-1, 256);
        const uint8_t flag = in.ConsumeIntegral<uint8_t>();
        px_transparent({.color = color, .transparent = flag});
        if (color < 0 || color > 255)
            memset(model.transparent, 0, sizeof model.transparent);
        else
            model.transparent[color] = flag;
        break;
    }
    case 11: {
        const auto text = fuzz::text(in, 24);
        const int32_t x = coordinate(in), y = coordinate(in);
        const int32_t scale =
            in.ConsumeBool() ? in.ConsumeIntegralInRange(-1, 6) : in.ConsumeIntegral<int32_t>();
        px_text({.text = text.get(), .x = x, .y = y, .color = c, .scale = scale});
        model.text(text.get(), x, y, scale < 1 ? 1 : scale, c);
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // An image of up to 64 x 64 from the input itself.
    const int32_t w = in.ConsumeIntegralInRange(1, 64), h = in.ConsumeIntegralInRange(1, 64);
    std::vector<uint8_t> pixels = in.ConsumeBytes<uint8_t>(size_t(w * h));
    pixels.resize(size_t(w * h), 0);
    const PxImage image = {w, h, pixels.data()};
    reset_canvas();
    for (int n = 0; n < 64 && in.remaining_bytes() > 0; ++n) one_operation(in, image);
    if (memcmp(px_pixels, model.pixels, sizeof px_pixels) != 0 ||
        memcmp(px_depth_buffer, model.depth, sizeof px_depth_buffer) != 0) {
        abort();  // the canvas and the literal plot rule disagree
    }
    return 0;
}
