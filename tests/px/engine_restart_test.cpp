// The canvas texture across an engine shutdown and restart: SDL destroys it with the
// renderer, so px must drop its handle rather than hand freed memory back to SDL, also when
// the new renderer (and texture) land at the old addresses.
#include <SDL.h>

#include <orvex/orvex.hpp>

#include "px_internal.hpp"

#include <gtest/gtest.h>

namespace {

int32_t start_engine() {
    ORVEX_Config config{};
    config.width = 640;
    config.height = 480;
    config.scale = 1;
    config.title = "px restart test";
    return ORVEX_Init(&config);
}

}  // namespace

TEST(EngineRestart, TheCanvasForgetsATextureItsRendererTookAlong) {
    ASSERT_EQ(start_engine(), 0);
    ASSERT_EQ(px_init(), 0);
    ORVEX_Quit();  // the canvas texture goes with the renderer

    testing::internal::CaptureStderr();
    EXPECT_EQ(px_render(), -1);  // nothing to draw into, reported like a render before px_init
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    px_deinit();  // nothing left to destroy
    EXPECT_EQ(px_canvas_texture(), nullptr);

    // Twice more, each time a fresh renderer: the new texture is the one used and released.
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(start_engine(), 0);
        ASSERT_EQ(px_init(), 0);
        SDL_Texture* texture = px_canvas_texture();
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(SDL_QueryTexture(texture, nullptr, nullptr, nullptr, nullptr), 0)
            << SDL_GetError();
        EXPECT_EQ(px_render(), 0);
        ORVEX_Quit();
    }
    px_deinit();
}
