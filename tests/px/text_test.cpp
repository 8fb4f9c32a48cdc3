// Text on both layers: the sizes measured for a table of texts (lines, UTF-8, bad bytes,
// controls, scales), the same lit pixels from px_text and ORVEX_DrawText, every one inside
// the measured box, clipping at the edges and from the ends of the 32-bit range, and the
// plot rule on the canvas.
//
// Index: Fixture / Measuring / Both layers / The plot rule
#include <SDL.h>

#include <algorithm>
#include <climits>
#include <string>

#include "px_fixture.hpp"

//------------------------------------------------------------------------------------------
// Fixture
//------------------------------------------------------------------------------------------
using Pixels = std::vector<std::pair<int32_t, int32_t>>;

struct Placed {
    const char* text;
    int32_t x, y, scale;
};

// The canvas in white through px_text, the renderer in white onto a canvas-sized target.
class Text : public Canvas {
protected:
    void SetUp() override {
        Canvas::SetUp();
        ASSERT_TRUE(engine.started);
        SDL_Renderer* r = ORVEX_GetRenderer();
        target = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, PX_WIDTH,
                                   PX_HEIGHT);
        ASSERT_EQ(SDL_SetRenderTarget(r, target), 0) << SDL_GetError();
        ORVEX_SetDrawColor8(255, 255, 255, 255);
    }
    void TearDown() override {
        if (target) SDL_DestroyTexture(target);
        Canvas::TearDown();
    }
    static Pixels canvas(const Placed& p) {
        reset();
        px_text({.text = p.text, .x = p.x, .y = p.y, .color = 254, .scale = p.scale});
        return lit_pixels();
    }
    Pixels renderer(const Placed& p) {
        SDL_Renderer* r = ORVEX_GetRenderer();
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        const ORVEX_DrawTextArgs args = {.text = p.text, .x = p.x, .y = p.y, .scale = p.scale};
        EXPECT_EQ(ORVEX_DrawText(&args), 0);
        std::vector<uint32_t> argb(PX_PIXELS);
        EXPECT_EQ(
            SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, argb.data(), PX_WIDTH * 4),
            0);
        Pixels lit;
        for (int32_t i = 0; i < PX_PIXELS; i++)
            if ((argb[size_t(i)] & 0xFFFFFF) != 0) lit.emplace_back(i % PX_WIDTH, i / PX_WIDTH);
        return lit;
    }
    Engine engine;
    SDL_Texture* target = nullptr;
};

// Whether every pixel lies in the box measured for `p` at its position.
static bool inside_measured_box(const Pixels& lit, const Placed& p) {
    int32_t w = -1, h = -1;
    px_measure_text(p.text, p.scale, &w, &h);
    for (auto [x, y] : lit)
        if (x < p.x || y < p.y || int64_t{x} >= int64_t{p.x} + w || int64_t{y} >= int64_t{p.y} + h)
            return false;
    return true;
}

//------------------------------------------------------------------------------------------
// Measuring
//------------------------------------------------------------------------------------------
TEST(TextMeasure, BothLayersMeasureTheCellsOfTheLongestLineAndOfEveryLine) {
    const struct {
        const char* text;
        int32_t scale, w, h;
    } sizes[] = {{nullptr, 1, 0, 0},
                 {"", 3, 0, 0},
                 {"A", 1, 5, 8},
                 {"A", 0, 5, 8},
                 {"A", -9, 5, 8},
                 {"A", 3, 15, 24},
                 {"AB\nC", 1, 11, 17},
                 {"A\nBCD\n", 2, 34, 52},
                 {"\n", 1, 0, 17},
                 {"\xC3\xA9t\xC3\xA9", 1, 17, 8},          // two-byte code points
                 {"\xF0\x9F\x98\x80", 1, 5, 8},            // one four-byte code point
                 {"\xE2\x82", 1, 11, 8},                   // cut: one box per byte
                 {"\xC0\xAF\x80", 1, 17, 8},               // overlong, stray continuation
                 {"\xED\xA0\x80", 1, 17, 8},               // a surrogate
                 {"\xF4\x90\x80\x80", 1, 23, 8},           // above U+10FFFF
                 {"a\tb\r\x7F", 1, 29, 8},                 // controls are boxes
                 {"WIDE", 1 << 28, INT32_MAX, INT32_MAX},  // saturates
                 {"A", 1 << 28, 5 << 28, INT32_MAX}};
    for (const auto& s : sizes) {
        int32_t w = -1, h = -1, pw = -1, ph = -1;
        ORVEX_MeasureText(s.text, s.scale, &w, &h);
        px_measure_text(s.text, s.scale, &pw, &ph);
        EXPECT_EQ(std::pair(w, h), std::pair(s.w, s.h)) << (s.text ? s.text : "null") << s.scale;
        EXPECT_EQ(std::pair(pw, ph), std::pair(w, h));
    }
    int32_t h = 0;
    ORVEX_MeasureText("AB", 1, nullptr, &h);  // a null side is skipped
    EXPECT_EQ(h, 8);
}

//------------------------------------------------------------------------------------------
// Both layers
//------------------------------------------------------------------------------------------
TEST_F(Text, BothLayersLightTheSamePixelsInsideTheMeasuredBox) {
    const Placed placed[] = {{"Hello, World!", 10, 20, 1},
                             {"gjpqy_|{}", 3, 5, 2},
                             {"two\nlines, 3 wide", 100, 50, 3},
                             {"\xC3\xA9\xE2\x82\x01", 200, 300, 4},
                             {"@$%&", 0, 0, 40},
                             {"edge", -7, -3, 2},
                             {"edge", 630, 475, 2},
                             {"", 5, 5, 1},
                             {nullptr, 5, 5, 1},
                             {"   ", 5, 5, 1}};
    for (const Placed& p : placed) {
        const Pixels lit = canvas(p);
        EXPECT_EQ(renderer(p), lit) << p.text;
        EXPECT_TRUE(inside_measured_box(lit, p)) << p.text;
        EXPECT_EQ(lit.empty(), p.text == nullptr || p.text[0] == '\0' || p.text[0] == ' ');
    }
}

// Every glyph at scale 3 is its scale-1 shape with each pixel made 3 x 3.
TEST_F(Text, EveryGlyphScalesByWholePixelsOnBothLayers) {
    std::string all = "\xE2\x98\x83\n";
    for (char c = ' '; c <= '~'; c++)
        all += (c - ' ') % 32 == 31 ? std::string{c, '\n'} : std::string{c};
    const Pixels small = canvas({all.c_str(), 0, 0, 1});
    const Pixels large = canvas({all.c_str(), 0, 0, 3});
    EXPECT_EQ(renderer({all.c_str(), 0, 0, 1}), small);
    EXPECT_EQ(renderer({all.c_str(), 0, 0, 3}), large);
    Pixels grown;
    for (auto [x, y] : small)
        for (int32_t j = 0; j < 3; j++)
            for (int32_t i = 0; i < 3; i++) grown.emplace_back(3 * x + i, 3 * y + j);
    std::sort(grown.begin(), grown.end(), [](auto a, auto b) {
        return std::pair{a.second, a.first} < std::pair{b.second, b.first};
    });
    EXPECT_EQ(large, grown);
}

// A glyph pixel of 2^30 or more target pixels covers the target, and far-off text nothing:
// each call costs what lands, or the test would run for hours.
TEST_F(Text, FarPositionsAndHugeScalesDrawOnlyWhatLands) {
    const struct {
        Placed p;
        size_t lit;
    } cases[] = {
        {{"#", INT32_MIN, INT32_MIN, 1 << 30}, size_t(PX_PIXELS)},
        {{"#", INT32_MIN, INT32_MIN, INT32_MAX}, size_t(PX_PIXELS)},
        {{"far", INT32_MIN, INT32_MIN, 1}, 0},
        {{"far\nfar", INT32_MAX, INT32_MAX, INT32_MAX}, 0},
        {{"far", INT32_MAX - 3, 0, INT32_MAX}, 0},
        {{"#\n#", 0, INT32_MIN, INT32_MAX}, 0},  // lit pixels miss; the second line is below
    };
    for (const auto& c : cases) {
        const Pixels lit = canvas(c.p);
        EXPECT_EQ(lit.size(), c.lit) << c.p.text << " at " << c.p.x << ", " << c.p.y;
        EXPECT_EQ(renderer(c.p), lit);
    }
}

// ORVEX_DrawEnd leaves the renderer black: text keeps the engine's draw colour. Null args,
// and a call before start-up, are refused with a line.
TEST_F(Text, RendererTextIsInTheDrawColourAndRefusesWhatItCannotDraw) {
    ORVEX_SetDrawColor8(10, 200, 30, 255);
    SDL_SetRenderDrawColor(ORVEX_GetRenderer(), 0, 0, 0, 255);
    const ORVEX_DrawTextArgs args = {.text = "#"};
    ASSERT_EQ(ORVEX_DrawText(&args), 0);
    EXPECT_EQ(render_pixel(0, 2), 0x0AC81Eu);  // the bar of '#'
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(ORVEX_DrawText(nullptr), -1); }),
              "ORVEX_DrawText: args is NULL\n");
    SDL_SetRenderTarget(ORVEX_GetRenderer(), nullptr);
    SDL_DestroyTexture(target);
    target = nullptr;
    ORVEX_Quit();
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_DrawText(&args), -1); }),
              "ORVEX_DrawText: the engine is not started\n");
}

//------------------------------------------------------------------------------------------
// The plot rule
//------------------------------------------------------------------------------------------
TEST_F(Text, CanvasTextIsClippedAndPlottedLikePxPlot) {
    const Placed p = {"Clip\nme", 90, 95, 3};
    const Pixels whole = canvas(p);
    auto in_clip = [](std::pair<int32_t, int32_t> q) {
        return q.first >= 100 && q.first < 140 && q.second >= 100 && q.second < 130;
    };
    const auto deep = *std::find_if(whole.begin(), whole.end(), in_clip);
    reset();
    px_set_depth(5);
    px_plot(deep.first, deep.second, 9);  // deeper than the text: kept
    px_set_depth(4);
    px_remap({.c0 = 7, .c1 = 8});
    px_clip(100, 100, 40, 30);
    save_canvas(&canvas_copies[0]);
    for (auto [x, y] : whole) px_plot(x, y, 7);
    save_canvas(&canvas_copies[1]);
    restore_canvas(canvas_copies[0]);
    px_text({.text = p.text, .x = p.x, .y = p.y, .color = 7, .scale = p.scale});
    EXPECT_TRUE(canvas_equals(canvas_copies[1]));
    for (auto q : lit_pixels()) {
        EXPECT_TRUE(in_clip(q)) << q.first << ", " << q.second;
        EXPECT_EQ(px_get(q.first, q.second), q == deep ? 9 : 8);
    }
}
