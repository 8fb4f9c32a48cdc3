// The canvas texture with a real renderer (offscreen driver): creation and release, the
// picture that reaches the render target, and a failed lock that changes nothing.
//
// Index: The canvas texture / The same picture on every renderer
#include <SDL.h>

#include <cstdlib>

#include <orvex/orvex.hpp>

#include "engine_state.hpp"
#include "px_fixture.hpp"

//------------------------------------------------------------------------------------------
// The canvas texture
//------------------------------------------------------------------------------------------
class Render : public Canvas {
protected:
    void SetUp() override {
        Canvas::SetUp();
        ASSERT_TRUE(engine.started);
    }
    void TearDown() override {
        px_deinit();  // the canvas texture goes before the engine's renderer
        Canvas::TearDown();
    }
    Engine engine;
};

TEST_F(Render, InitCreatesAStreamingCanvasTextureAndSeedsFromRand) {
    srand(42);
    const auto seed = static_cast<uint32_t>(rand());
    srand(42);
    ASSERT_EQ(px_init(), 0);
    EXPECT_EQ(px_rng_state, seed);
    uint32_t format = 0;
    int access = 0, w = 0, h = 0;
    ASSERT_EQ(SDL_QueryTexture(px_texture, &format, &access, &w, &h), 0);
    EXPECT_EQ(format, static_cast<uint32_t>(SDL_PIXELFORMAT_ARGB8888));
    EXPECT_EQ(access, SDL_TEXTUREACCESS_STREAMING);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_EQ(px_init(), 0) << "a second init replaces the texture";
    px_deinit();
    EXPECT_EQ(px_texture, nullptr);
    px_deinit();
}

TEST_F(Render, RenderDrawsTheDitherOntoTheCurrentTarget) {
    ASSERT_EQ(px_init(), 0);
    px_rng_state = 5;
    memset(px_pixels, 255, sizeof px_pixels);
    ASSERT_EQ(ORVEX_DrawBegin(), 0);
    ASSERT_EQ(px_render(), 0);
    EXPECT_EQ(render_pixel(0, 0), 0xfefefeu);
    EXPECT_EQ(render_pixel(639, 479), 0xfefefeu);
    uint32_t a, c;
    px_rng_jump(PX_PIXELS, &a, &c);
    EXPECT_EQ(px_rng_state, a * 5 + c);
    px_clear(0);
    px_palette[0] = {0, 0, 200, 0, 0, 0};
    ASSERT_EQ(px_render(), 0);
    EXPECT_EQ(render_pixel(320, 240), 0x0000c8u);
    EXPECT_EQ(ORVEX_DrawEnd(), 0);
}

TEST_F(Render, FailedLockIsReportedAndLeavesTheGeneratorAlone) {
    ASSERT_EQ(px_init(), 0);
    for (uint8_t& p : px_pixels) p = static_cast<uint8_t>(uniform(0, 255));
    px_rng_state = 1234;
    ASSERT_EQ(px_render(), 0);
    const uint32_t after_first = px_rng_state;

    // A static texture cannot be locked: swap one in for a frame.
    SDL_Texture* streaming = px_texture;
    px_texture = SDL_CreateTexture(ORVEX_GetRenderer(), SDL_PIXELFORMAT_ARGB8888,
                                   SDL_TEXTUREACCESS_STATIC, PX_WIDTH, PX_HEIGHT);
    ASSERT_NE(px_texture, nullptr);
    const std::string err = stderr_of([] { EXPECT_EQ(px_render(), -1); });
    EXPECT_EQ(err, std::string(SDL_GetError()) + "\n");
    EXPECT_EQ(px_rng_state, after_first);
    SDL_DestroyTexture(px_texture);
    px_texture = streaming;

    ASSERT_EQ(px_render(), 0);
    uint32_t a, c;
    px_rng_jump(2 * PX_PIXELS, &a, &c);
    EXPECT_EQ(px_rng_state, a * 1234 + c) << "the sequence continues where it stopped";
}

TEST_F(Render, RenderWithoutTextureFails) {
    px_rng_state = 8;
    EXPECT_NE(stderr_of([] { EXPECT_EQ(px_render(), -1); }), "");
    EXPECT_EQ(px_rng_state, 8u);
}

TEST(RenderWithoutEngine, InitFailsWithoutARendererAndChangesNothing) {
    px_rng_state = 3;
    EXPECT_NE(stderr_of([] { EXPECT_EQ(px_init(), -1); }), "");
    EXPECT_EQ(px_texture, nullptr);
    EXPECT_EQ(px_rng_state, 3u);
}

//------------------------------------------------------------------------------------------
// The same picture on every renderer
//------------------------------------------------------------------------------------------
// The window as two frames left it before their present, on the renderer `driver`, at window
// scale `scale`: the canvas dithered into the target texture and letterboxed. (The windows
// keep their first size: the offscreen driver's OpenGL surface does not follow a resize.)
static std::vector<std::vector<uint32_t>> window_frames(const char* driver, int32_t scale) {
    std::vector<std::vector<uint32_t>> frames;
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, driver, SDL_HINT_OVERRIDE);
    const ORVEX_Config config = {.width = PX_WIDTH,
                                 .height = PX_HEIGHT,
                                 .scale = scale,
                                 .pixel_perfect = 1,
                                 .show_cursor = 1,
                                 .title = "px test"};
    if (ORVEX_Init(&config) != 0 || px_init() != 0) {
        ADD_FAILURE() << driver << ": " << SDL_GetError();
        ORVEX_Quit();
        return frames;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(ORVEX_GetRenderer(), &info);
    EXPECT_STREQ(info.name, driver);
    px_rng_state = 77;
    for (int32_t frame = 0; frame < 2; frame++) {
        std::vector<uint32_t> window(static_cast<size_t>(PX_PIXELS) * scale * scale);
        EXPECT_EQ(ORVEX_DrawBegin(), 0);
        EXPECT_EQ(px_render(), 0);
        EXPECT_EQ(letterbox_into_window(), 0);
        EXPECT_EQ(SDL_RenderReadPixels(ORVEX_GetRenderer(), nullptr, SDL_PIXELFORMAT_RGB888,
                                       window.data(), PX_WIDTH * scale * 4),
                  0)
            << SDL_GetError();
        EXPECT_EQ(ORVEX_DrawEnd(), 0);
        for (uint32_t& p : window) p &= 0xFFFFFFu;
        frames.push_back(std::move(window));
    }
    px_deinit();
    ORVEX_Quit();
    return frames;
}

TEST_F(Canvas, SoftwareAndOpenGlRenderersShowTheSameWindow) {
    for (uint8_t& p : px_pixels) p = static_cast<uint8_t>(uniform(0, 255));
    px_palette[0] = {10, 20, 30, 0, 0, 0};
    px_palette[254] = {250, 240, 230, 0, 0, 0};
    for (int32_t scale : {1, 2}) {
        const auto software = window_frames("software", scale);
        const auto opengl = window_frames("opengl", scale);
        ASSERT_EQ(software.size(), 2u);
        ASSERT_EQ(opengl.size(), 2u);
        EXPECT_TRUE(software[0] == opengl[0]) << "scale " << scale;
        EXPECT_TRUE(software[1] == opengl[1]) << "scale " << scale;
        EXPECT_FALSE(software[0] == software[1]) << "the dither moves from frame to frame";
    }
}
