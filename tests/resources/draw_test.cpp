// Renderer drawing read back from a target texture on the offscreen driver: the draw colour
// state, image geometry (source clamping, mirroring, flips, centring, rotation), modulation,
// rectangles, lines and points, and the refusals of bad ids.
//
// Index: Draw colour / Image geometry / Lines, points and rectangles
#include <SDL.h>
#include <gtest/gtest.h>

#include "engine_state.hpp"
#include "support.hpp"

using namespace support;

namespace {

constexpr int32_t SIZE = 128;
constexpr uint32_t MARK = 0x80;  // blue of every image pixel: tells image from background

// Image pixel (x, y) carries its own coordinates: red = 8x, green = 8y.
uint32_t coded(int32_t x, int32_t y) { return uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | MARK; }

struct Source {
    int32_t x, y;
    bool operator==(const Source&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Source& s) {
    return os << "(" << s.x << ", " << s.y << ")";
}
constexpr Source NONE{-1, -1};

class Draw : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.started);
        SDL_Renderer* r = ORVEX_GetRenderer();
        target =
            SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, SIZE, SIZE);
        ASSERT_NE(target, nullptr) << SDL_GetError();
        ASSERT_EQ(SDL_SetRenderTarget(r, target), 0);
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        Bytes b = bmp(32, 32, coded);
        image = ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, b.data(), uint32_t(b.size()));
        ASSERT_EQ(image, 1u);
    }
    void TearDown() override { SDL_DestroyTexture(target); }

    // The whole target as 0xAARRGGBB.
    const std::vector<uint32_t>& read() {
        pixels.assign(SIZE * SIZE, 0);
        EXPECT_EQ(SDL_RenderReadPixels(ORVEX_GetRenderer(), nullptr, SDL_PIXELFORMAT_ARGB8888,
                                       pixels.data(), SIZE * 4),
                  0);
        return pixels;
    }
    uint32_t rgb(int32_t x, int32_t y) const { return pixels[size_t(y * SIZE + x)] & 0xFFFFFF; }
    // Which image pixel landed at (x, y), or NONE.
    Source at(int32_t x, int32_t y) const {
        uint32_t c = rgb(x, y);
        if ((c & 0xFF) != MARK) return NONE;
        return {int32_t(c >> 16) / 8, int32_t((c >> 8) & 0xFF) / 8};
    }
    ORVEX_DrawImageArgs args(int32_t x, int32_t y) const {
        ORVEX_DrawImageArgs a{};
        a.id = image;
        a.x = x;
        a.y = y;
        a.w = a.h = ORVEX_WHOLE_IMAGE;
        a.scale_x = a.scale_y = 1.0f;
        return a;
    }
    int32_t draw(const ORVEX_DrawImageArgs& a) {
        int32_t result = ORVEX_DrawImage(&a);
        read();
        return result;
    }

    Engine engine{headless_config(SIZE, SIZE)};
    SDL_Texture* target = nullptr;
    ResourceId image = 0;
    std::vector<uint32_t> pixels;
};

struct Rgba {
    uint8_t r, g, b, a;
    bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Rgba& c) {
    return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

Rgba renderer_color() {
    Rgba c{};
    SDL_GetRenderDrawColor(ORVEX_GetRenderer(), &c.r, &c.g, &c.b, &c.a);
    return c;
}

ORVEX_ColorArgs color(float r, float g, float b, float a) {
    ORVEX_ColorArgs c{};
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = a;
    return c;
}

}  // namespace

//------------------------------------------------------------------------------------------
// Draw colour
//------------------------------------------------------------------------------------------
TEST_F(Draw, TheColourStartsOpaqueBlackAndNegativeComponentsKeepIt) {
    ORVEX_ColorArgs keep = color(-1, -1, -1, -1);
    EXPECT_EQ(ORVEX_SetDrawColor(&keep), 0);
    EXPECT_EQ(renderer_color(), (Rgba{0, 0, 0, 255}));

    ORVEX_ColorArgs set = color(1.0f, 0.5f, 0.25f, 1.0f);
    ORVEX_SetDrawColor(&set);
    ORVEX_ColorArgs half_alpha = color(-1, -1, -1, 0.5f);
    ORVEX_SetDrawColor(&half_alpha);
    EXPECT_EQ(renderer_color(), (Rgba{255, 127, 63, 127}));
    EXPECT_FLOAT_EQ(orvex.draw_color.g, 0.5f);
}

// A colour naming only r, g and b is opaque; an alpha of 0 written is transparent.
TEST_F(Draw, AColourWithoutAlphaIsOpaqueAndAWrittenZeroIsNot) {
    const ORVEX_ColorArgs rgb = {.r = 1.0f, .g = 0.5f, .b = 0.0f};
    EXPECT_EQ(ORVEX_SetDrawColor(&rgb), 0);
    EXPECT_EQ(renderer_color(), (Rgba{255, 127, 0, 255}));
    const ORVEX_ColorArgs clear = {.r = 1.0f, .g = 0.5f, .b = 0.0f, .a = 0.0f};
    EXPECT_EQ(ORVEX_SetDrawColor(&clear), 0);
    EXPECT_EQ(renderer_color(), (Rgba{255, 127, 0, 0}));
}

TEST_F(Draw, EightBitColoursKeepOnlyTheLowEightBits) {
    EXPECT_EQ(ORVEX_SetDrawColor8(255, 128, 0, 255), 0);
    EXPECT_FLOAT_EQ(orvex.draw_color.r, 1.0f);
    EXPECT_FLOAT_EQ(orvex.draw_color.g, 128.0f / 255.0f);
    EXPECT_EQ(renderer_color(), (Rgba{255, 128, 0, 255}));
    ORVEX_SetDrawColor8(256, 0, 0, 0);
    EXPECT_EQ(renderer_color(), (Rgba{0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(orvex.draw_color.r, 0.0f);
    ORVEX_SetDrawColor8(-1, 511, 0x1234, 0);
    EXPECT_EQ(renderer_color(), (Rgba{255, 255, 0x34, 0}));
}

TEST_F(Draw, ComponentsAboveOneClampToFullInsteadOfWrapping) {
    ORVEX_ColorArgs bright = color(2.0f, 1.5f, 1.004f, 100.0f);
    EXPECT_EQ(ORVEX_SetDrawColor(&bright), 0);
    EXPECT_EQ(renderer_color(), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(draw(args(0, 0)), 0);
    EXPECT_EQ(at(5, 7), (Source{5, 7}));  // modulation clamped too: the image is unchanged
}

// The bars of the letterbox are cleared in black at the end of a frame; the next frame draws
// in the colour the program set, not in that black.
TEST_F(Draw, TheColourHoldsIntoTheNextFrame) {
    ORVEX_SetDrawColor8(0, 255, 0, 255);
    for (int32_t frame = 0; frame < 2; ++frame) {
        ASSERT_EQ(ORVEX_DrawBegin(), 0);
        EXPECT_EQ(renderer_color(), (Rgba{0, 255, 0, 255})) << "frame " << frame;
        EXPECT_EQ(ORVEX_DrawPoint(3, 4), 0);
        read();
        EXPECT_EQ(rgb(3, 4), 0x00FF00u) << "frame " << frame;
        ASSERT_EQ(ORVEX_DrawEnd(), 0);
    }
}

//------------------------------------------------------------------------------------------
// Image geometry
//------------------------------------------------------------------------------------------
TEST_F(Draw, TheWholeImageLandsAtItsOwnSize) {
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    EXPECT_EQ(draw(args(10, 20)), 0);
    EXPECT_EQ(at(10, 20), (Source{0, 0}));
    EXPECT_EQ(at(41, 51), (Source{31, 31}));
    EXPECT_EQ(at(25, 33), (Source{15, 13}));
    EXPECT_EQ(at(9, 20), NONE);
    EXPECT_EQ(at(42, 20), NONE);
    EXPECT_EQ(at(10, 52), NONE);
}

// A record naming only the image and where draws all of it at scale 1; a size or scale of 0
// written draws nothing, and says nothing.
TEST_F(Draw, UnmentionedFieldsDrawTheWholeImageAtScaleOneAndWrittenZerosDrawNothing) {
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    const struct {
        const char* name;
        ORVEX_DrawImageArgs args;
        bool drawn;
    } cases[] = {
        {"id and x", {.id = image, .x = 10}, true},
        {"w = 0", {.id = image, .x = 10, .w = 0}, false},
        {"h = 0", {.id = image, .x = 10, .h = 0}, false},
        {"scale_x = 0", {.id = image, .x = 10, .scale_x = 0}, false},
        {"scale_y = 0", {.id = image, .x = 10, .scale_y = 0}, false},
    };
    for (const auto& c : cases) {
        SDL_RenderClear(ORVEX_GetRenderer());
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(draw(c.args), 0) << c.name; }), "") << c.name;
        EXPECT_EQ(at(10, 0), c.drawn ? (Source{0, 0}) : NONE) << c.name;
        EXPECT_EQ(at(41, 31), c.drawn ? (Source{31, 31}) : NONE) << c.name;
        EXPECT_EQ(at(42, 0), NONE) << c.name;
        EXPECT_EQ(at(10, 32), NONE) << c.name;
    }
}

TEST_F(Draw, ANegativeScaleMirrorsToTheLeftOfThePointAndAFlipCancelsIt) {
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    ORVEX_DrawImageArgs a = args(100, 0);
    a.scale_x = -1.0f;
    draw(a);
    EXPECT_EQ(at(68, 0), (Source{31, 0}));
    EXPECT_EQ(at(99, 0), (Source{0, 0}));
    EXPECT_EQ(at(67, 0), NONE);
    EXPECT_EQ(at(100, 0), NONE);

    a.y = 40;
    a.flip_x = 1;
    draw(a);
    EXPECT_EQ(at(68, 40), (Source{0, 0}));
    EXPECT_EQ(at(99, 40), (Source{31, 0}));
}

TEST_F(Draw, ANegativeWidthActsLikeANegativeScale) {
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    ORVEX_DrawImageArgs a = args(100, 10);
    a.w = -16;
    draw(a);
    EXPECT_EQ(at(84, 10), (Source{15, 0}));
    EXPECT_EQ(at(99, 10), (Source{0, 0}));
    EXPECT_EQ(at(83, 10), NONE);
    EXPECT_EQ(at(100, 10), NONE);

    ORVEX_DrawImageArgs b = args(0, 80);
    b.h = -8;  // mirrored upwards, above y 80
    b.flip_y = 1;
    draw(b);
    EXPECT_EQ(at(0, 72), (Source{0, 0}));
    EXPECT_EQ(at(0, 79), (Source{0, 7}));
    EXPECT_EQ(at(0, 80), NONE);
}

TEST_F(Draw, ASourceRectanglePastTheImageIsCutToIt) {
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    ORVEX_DrawImageArgs a = args(0, 0);
    a.ix = 24;
    a.iy = 28;
    a.w = 16;
    a.h = 16;
    a.scale_x = a.scale_y = 2.0f;
    draw(a);
    EXPECT_EQ(at(0, 0), (Source{24, 28}));
    EXPECT_EQ(at(15, 7), (Source{31, 31}));
    EXPECT_EQ(at(16, 0), NONE);  // 8 source columns at scale 2
    EXPECT_EQ(at(0, 8), NONE);

    ORVEX_DrawImageArgs outside = args(0, 0);
    outside.ix = 40;
    outside.iy = INT32_MAX;
    outside.w = INT32_MAX;
    EXPECT_EQ(draw(outside), 0);
}

TEST_F(Draw, CentringPutsTheMiddleOnThePointWhateverTheSigns) {
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    ORVEX_DrawImageArgs a = args(64, 64);
    a.centered = 1;
    a.scale_x = a.scale_y = 2.0f;
    draw(a);
    EXPECT_EQ(at(32, 32), (Source{0, 0}));
    EXPECT_EQ(at(95, 95), (Source{31, 31}));
    EXPECT_EQ(at(31, 32), NONE);
    EXPECT_EQ(at(96, 95), NONE);

    SDL_RenderClear(ORVEX_GetRenderer());
    a.scale_x = -2.0f;
    draw(a);
    EXPECT_EQ(at(32, 32), (Source{31, 0}));
    EXPECT_EQ(at(95, 95), (Source{0, 31}));
    EXPECT_EQ(at(31, 32), NONE);
}

TEST_F(Draw, AQuarterTurnRotatesClockwiseAboutTheCentre) {
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    ORVEX_DrawImageArgs a = args(40, 40);
    a.rotation = 0.25f;
    draw(a);
    // Clockwise by 90 degrees: source column x becomes row x, source row y column 31 - y.
    for (Source s : {Source{2, 3}, Source{20, 5}, Source{9, 27}}) {
        Source got = at(40 + 31 - s.y, 40 + s.x);
        EXPECT_NEAR(got.x, s.x, 1) << s;
        EXPECT_NEAR(got.y, s.y, 1) << s;
    }
}

TEST_F(Draw, TheDrawColourModulatesImages) {
    ORVEX_SetDrawColor8(255, 0, 255, 255);
    draw(args(0, 0));
    EXPECT_EQ(rgb(10, 10), (coded(10, 10) & 0xFF00FF));
}

TEST_F(Draw, BadIdsAreRefusedAndDrawNothing) {
    const Bytes raw = {1, 2, 3};
    ASSERT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, raw.data(), 3), 2u);
    const std::pair<ResourceId, std::string> cases[] = {
        {0, "args->id is 0\n"},
        {2, "2 isn't an image\n"},
        {3, "ORVEX_DrawImage: no resource with id 3\n"},
    };
    for (const auto& [id, message] : cases) {
        ORVEX_DrawImageArgs a = args(0, 0);
        a.id = id;
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(draw(a), -1); }), message);
        EXPECT_EQ(rgb(0, 0), 0u);
    }
}

//------------------------------------------------------------------------------------------
// Lines, points and rectangles
//------------------------------------------------------------------------------------------
TEST_F(Draw, ACentredRectangleStartsHalfItsSizeBack) {
    ORVEX_SetDrawColor8(0, 255, 0, 255);
    ORVEX_DrawRectangleArgs r{};
    r.x = 10;
    r.y = 10;
    r.w = 5;
    r.h = 5;
    r.fill = 1;
    r.centered = 1;
    EXPECT_EQ(ORVEX_DrawRectangle(&r), 0);
    read();
    EXPECT_EQ(rgb(8, 8), 0x00FF00u);
    EXPECT_EQ(rgb(12, 12), 0x00FF00u);
    EXPECT_EQ(rgb(7, 8), 0u);
    EXPECT_EQ(rgb(13, 12), 0u);

    r.x = 40;
    r.fill = 0;
    r.centered = 0;
    r.w = r.h = 10;
    ORVEX_DrawRectangle(&r);
    read();
    EXPECT_EQ(rgb(40, 10), 0x00FF00u);
    EXPECT_EQ(rgb(49, 19), 0x00FF00u);
    EXPECT_EQ(rgb(45, 15), 0u);  // an outline leaves the inside alone
}

TEST_F(Draw, LinesAndPointsUseTheDrawColour) {
    ORVEX_SetDrawColor8(255, 0, 0, 255);
    EXPECT_EQ(ORVEX_DrawLine(0, 5, 9, 5), 0);
    ORVEX_SetDrawColor8(0, 0, 255, 255);
    EXPECT_EQ(ORVEX_DrawPoint(20, 30), 0);
    read();
    EXPECT_EQ(rgb(0, 5), 0xFF0000u);
    EXPECT_EQ(rgb(9, 5), 0xFF0000u);
    EXPECT_EQ(rgb(10, 5), 0u);
    EXPECT_EQ(rgb(20, 30), 0x0000FFu);
    EXPECT_EQ(rgb(21, 30), 0u);
}
