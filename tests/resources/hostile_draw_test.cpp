// Renderer drawing given hostile arguments, on the accelerated renderer and on SDL's
// software one: rotations that are not numbers, and lines, rectangles and images that reach
// far beyond the target, whose cost must follow what is seen while what is seen stays the
// same.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "support.hpp"

using namespace support;

namespace {

constexpr int32_t SIZE = 128;
constexpr uint32_t MARK = 0x80;

uint32_t coded(int32_t x, int32_t y) { return uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | MARK; }

// Two pictures of a nearly horizontal line: the same columns lit, one pixel each, at most a
// row apart.
void expect_same_columns_within_a_row(const std::vector<uint32_t>& a,
                                      const std::vector<uint32_t>& b) {
    for (int32_t x = 0; x < SIZE; ++x) {
        int32_t rows[2] = {-1, -1}, lit[2] = {0, 0};
        for (int32_t y = 0; y < SIZE; ++y) {
            for (int i = 0; i < 2; ++i) {
                if ((i ? b : a)[size_t(y * SIZE + x)] == 0) continue;
                rows[i] = y;
                ++lit[i];
            }
        }
        EXPECT_EQ(lit[0], lit[1]) << "column " << x;
        EXPECT_LE(lit[0], 1) << "column " << x;
        EXPECT_LE(std::abs(rows[0] - rows[1]), 1) << "column " << x;
    }
}

// Chooses the render driver before the engine starts (the engine's own choice on the
// offscreen driver is the software renderer, so OpenGL is named).
struct RenderDriver {
    explicit RenderDriver(const char* name) { SDL_SetHint(SDL_HINT_RENDER_DRIVER, name); }
};

class HostileDraw : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.started);
        SDL_Renderer* r = ORVEX_GetRenderer();
        target =
            SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, SIZE, SIZE);
        ASSERT_NE(target, nullptr) << SDL_GetError();
        ASSERT_EQ(SDL_SetRenderTarget(r, target), 0);
        clear();
        ORVEX_SetDrawColor8(255, 255, 255, 255);
    }
    void TearDown() override { SDL_DestroyTexture(target); }

    void clear() {
        SDL_SetRenderDrawColor(ORVEX_GetRenderer(), 0, 0, 0, 255);
        SDL_RenderClear(ORVEX_GetRenderer());
        SDL_SetRenderDrawColor(ORVEX_GetRenderer(), 255, 255, 255, 255);
    }
    std::vector<uint32_t> read() {
        std::vector<uint32_t> pixels(SIZE * SIZE);
        const SDL_Rect corner = {0, 0, SIZE, SIZE};
        EXPECT_EQ(SDL_RenderReadPixels(ORVEX_GetRenderer(), &corner, SDL_PIXELFORMAT_ARGB8888,
                                       pixels.data(), SIZE * 4),
                  0);
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }
    ResourceId image(int32_t w, int32_t h) {
        Bytes b = bmp(w, h, coded);
        return ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, b.data(), uint32_t(b.size()));
    }
    static ORVEX_DrawImageArgs args(ResourceId id, int32_t x, int32_t y, float scale) {
        ORVEX_DrawImageArgs a{};
        a.id = id;
        a.x = x;
        a.y = y;
        a.w = a.h = ORVEX_WHOLE_IMAGE;
        a.scale_x = a.scale_y = scale;
        return a;
    }

    RenderDriver driver{GetParam()};
    Engine engine{headless_config(SIZE, SIZE)};
    SDL_Texture* target = nullptr;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Renderers, HostileDraw, testing::Values("opengl", "software"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST_P(HostileDraw, RotationsThatAreNotNumbersAreRefusedAndHugeOnesWrap) {
    const ResourceId id = image(8, 8);
    ORVEX_DrawImageArgs a = args(id, 10, 10, 1.0f);
    for (float bad : {std::nanf(""), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        a.rotation = bad;
        std::string err = stderr_of([&] { EXPECT_EQ(ORVEX_DrawImage(&a), -1); });
        EXPECT_NE(err.find("ORVEX_DrawImage: rotation"), std::string::npos) << err;
        EXPECT_NE(err.find("is not a finite number of turns"), std::string::npos) << err;
    }
    for (uint32_t p : read()) ASSERT_EQ(p, 0u);  // nothing drawn

    a.rotation = 1.0e30f;  // whole turns only: drawn as it stands
    EXPECT_EQ(ORVEX_DrawImage(&a), 0);
    EXPECT_EQ(read()[size_t(12 * SIZE + 12)], coded(2, 2));
}

TEST_P(HostileDraw, SmallImagesAtTheEdgesOfTheIntegersDrawNothingAndDoNotCrash) {
    // A small image whose corner lies near the largest or smallest int: its far edge would
    // overflow SDL's own arithmetic (it crashed, turned or not).
    const ResourceId id = image(6, 4);
    const int32_t far[] = {INT32_MAX, INT32_MAX - 3, INT32_MIN, INT32_MIN + 2, 1 << 30};
    for (int32_t at : far) {
        for (float turn : {0.0f, 0.125f, -0.36f}) {
            for (int axis = 0; axis < 2; ++axis) {
                ORVEX_DrawImageArgs a = args(id, axis ? 5 : at, axis ? at : 5, 1.0f);
                a.rotation = turn;
                EXPECT_EQ(ORVEX_DrawImage(&a), 0) << at << " " << turn;
                a.scale_x = -1.0f;  // drawn to the left of the point
                a.centered = true;
                EXPECT_EQ(ORVEX_DrawImage(&a), 0) << at << " " << turn;
            }
        }
    }
    ORVEX_DrawImageArgs sliver = args(id, -2, INT32_MAX, 1.0f);  // one column, fuzzing's find
    sliver.ix = 5;
    sliver.w = 1;
    sliver.scale_y = 1.25f;
    sliver.rotation = -0.3647f;
    EXPECT_EQ(ORVEX_DrawImage(&sliver), 0);
    for (uint32_t p : read()) ASSERT_EQ(p, 0u);

    // Just beyond the target's edge still goes to SDL: a turned image reaching back in.
    ORVEX_DrawImageArgs edge = args(id, SIZE - 2, 40, 4.0f);
    edge.rotation = 0.125f;
    EXPECT_EQ(ORVEX_DrawImage(&edge), 0);
    const std::vector<uint32_t> ours = read();
    EXPECT_NE(std::count(ours.begin(), ours.end(), 0u), std::ptrdiff_t(ours.size()));
}

TEST_P(HostileDraw, FarShapesDrawWhatSDLDrawsAndCostNothingOutside) {
    // Lines reaching far enough out to be cut, yet short enough for SDL itself. A cut line is
    // SDL's own line between two pixels of the whole one, chosen where it passes closest to a
    // pixel centre: the same pixels when it passes through one near the target's edges, and
    // otherwise a pixel across at most, where it runs almost exactly between two rows (the
    // last two pass exactly half-way between rows at x = 0).
    const struct {
        int32_t x0, y0, x1, y1;
        bool exact;
    } lines[] = {
        {-1000, 10, 200, 90, true},     {60, -5000, 70, 3000, true},   {-300, -300, 500, 500, true},
        {127, -10000, 0, 10000, true},  {-10000, 50, 10000, 50, true}, {-500, 300, 300, -500, true},
        {-1000, -5, 1000, -7, true},    {64, 9000, 64, -9000, true},   {5000, 64, -5000, 65, false},
        {-20000, 127, 20000, 0, false},
    };
    for (const auto& l : lines) {
        clear();
        ASSERT_EQ(ORVEX_DrawLine(l.x0, l.y0, l.x1, l.y1), 0);
        const std::vector<uint32_t> ours = read();
        clear();
        ASSERT_EQ(SDL_RenderDrawLine(ORVEX_GetRenderer(), l.x0, l.y0, l.x1, l.y1), 0);
        const std::vector<uint32_t> sdl = read();
        if (l.exact) {
            EXPECT_EQ(ours, sdl) << l.x0 << "," << l.y0 << " -> " << l.x1 << "," << l.y1;
        } else {
            expect_same_columns_within_a_row(ours, sdl);
        }
    }

    // Rectangles whose far edges move: the same picture. Points far off draw nothing.
    const int32_t rects[][4] = {
        {-1000, 10, 1100, 50}, {20, -3000, 30, 9000}, {-900, -900, 1000, 1000}};
    for (const auto& q : rects) {
        for (uint8_t fill : {0, 1}) {
            clear();
            const ORVEX_DrawRectangleArgs a = {
                .x = q[0], .y = q[1], .w = q[2], .h = q[3], .fill = fill};
            ASSERT_EQ(ORVEX_DrawRectangle(&a), 0);
            const std::vector<uint32_t> ours = read();
            clear();
            const SDL_Rect r = {q[0], q[1], q[2], q[3]};
            ASSERT_EQ(fill ? SDL_RenderFillRect(ORVEX_GetRenderer(), &r)
                           : SDL_RenderDrawRect(ORVEX_GetRenderer(), &r),
                      0);
            EXPECT_EQ(ours, read()) << q[0] << "," << q[1] << " " << q[2] << "x" << q[3];
        }
    }
    clear();
    const ORVEX_DrawRectangleArgs all = {
        .x = -2000000000, .y = -2000000000, .w = 2100000000, .h = 2100000000, .fill = 1};
    EXPECT_EQ(ORVEX_DrawRectangle(&all), 0);
    EXPECT_EQ(ORVEX_DrawPoint(INT32_MIN, INT32_MAX), 0);
    for (uint32_t p : read()) ASSERT_EQ(p, 0xFFFFFFu);

    clear();
    const int64_t before = peak_mib();
    EXPECT_EQ(ORVEX_DrawLine(-2000000000, 100, 2000000000, 101), 0);
    EXPECT_LT(peak_mib() - before, 256);  // gigabytes without the cut
    // Half-way between rows 100 and 101 to within 1e-7 of a pixel across the target: one
    // pixel a column, stepping down once.
    const std::vector<uint32_t> seen = read();
    int32_t previous = 100;
    for (int32_t x = 0; x < SIZE; ++x) {
        const bool upper = seen[size_t(100 * SIZE + x)] != 0,
                   lower = seen[size_t(101 * SIZE + x)] != 0;
        ASSERT_NE(upper, lower) << x;
        ASSERT_GE(lower ? 101 : 100, previous) << x;
        previous = lower ? 101 : 100;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0xFFFFFFu), SIZE);
}

TEST_P(HostileDraw, HugeImagesCostWhatIsSeenAndLookAsSDLDrawsThem) {
    // On a target wide enough, SDL draws these itself; on the small one they are cut. What
    // the small target shows must be the same picture.
    SDL_Renderer* r = ORVEX_GetRenderer();
    SDL_Texture* wide =
        SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 1024, 1024);
    ASSERT_NE(wide, nullptr) << SDL_GetError();
    const ResourceId id = image(32, 32);
    struct Case {
        int32_t x, y;
        float scale_x, scale_y, rotation;
        uint8_t centered, flip_x, flip_y;
    };
    const Case cases[] = {
        {-150, -120, 14.0f, 14.0f, 0.1f, 0, 0, 0},
        {64, 64, 13.7f, 15.2f, -0.3f, 1, 1, 0},
        {300, -40, -20.0f, 16.0f, 0.6f, 0, 0, 1},
        {-700, -500, 25.0f, 25.0f, 0.0f, 0, 1, 1},
    };
    for (const Case& c : cases) {
        ORVEX_DrawImageArgs a = args(id, c.x, c.y, c.scale_x);
        a.scale_y = c.scale_y;
        a.rotation = c.rotation;
        a.centered = c.centered;
        a.flip_x = c.flip_x;
        a.flip_y = c.flip_y;
        std::vector<uint32_t> seen[2];
        for (SDL_Texture* t : {wide, target}) {
            ASSERT_EQ(SDL_SetRenderTarget(r, t), 0);
            clear();
            ASSERT_EQ(ORVEX_DrawImage(&a), 0);
            seen[t == target] = read();
        }
        size_t differ = 0;
        for (size_t i = 0; i < seen[0].size(); ++i) {
            const uint32_t p = seen[0][i], q = seen[1][i];
            if (p == q) continue;
            ++differ;
            ASSERT_EQ(p & 0xFF, q & 0xFF) << "coverage differs at " << i;  // image vs background
            ASSERT_LE(std::abs(int(p >> 16) / 8 - int(q >> 16) / 8), 1) << i;
            ASSERT_LE(std::abs(int((p >> 8) & 0xFF) / 8 - int((q >> 8) & 0xFF) / 8), 1) << i;
        }
        // Whole-pixel sizes land exactly; fractional ones may sample a neighbour at edges.
        const bool whole = std::floor(c.scale_x) == c.scale_x && std::floor(c.scale_y) == c.scale_y;
        EXPECT_LE(differ, whole ? 0u : seen[0].size() / 20) << "image at " << c.x << ", " << c.y;
    }
    SDL_DestroyTexture(wide);

    // A 6x4 image at scale 3000, turned: gigabytes for SDL alone.
    clear();
    const ResourceId small = image(6, 4);
    ORVEX_DrawImageArgs huge = args(small, SIZE / 2, SIZE / 2, 3000.0f);
    huge.rotation = 0.1f;
    huge.centered = 1;
    const int64_t before = peak_mib();
    EXPECT_EQ(ORVEX_DrawImage(&huge), 0);
    EXPECT_LT(peak_mib() - before, 256);  // gigabytes without the cut
    EXPECT_EQ(read()[size_t(SIZE / 2 * SIZE + SIZE / 2)] & 0xFF, MARK);  // the image fills it
}
