// Captures of the presented picture: the PNG and every GIF frame decode to exactly what was
// presented, frames keep to 20 ms steps, default files land in the pictures folder with fresh
// names, and every failure is a message while frames go on being presented.
#include <SDL_image.h>
#include <gif_lib.h>

#include <filesystem>

#include "engine_fixture.hpp"

namespace fs = std::filesystem;

namespace {

using Picture = std::vector<uint32_t>;  // 0xRRGGBB, row-major

// Draws a picture made of `colors` bands into the target and answers it as read back.
Picture draw_bands(const std::vector<uint32_t>& colors, int32_t shift) {
    EXPECT_EQ(ORVEX_DrawBegin(), 0);
    const int32_t band = 640 / int32_t(colors.size());
    for (size_t i = 0; i < colors.size(); ++i) {
        const uint32_t c = colors[i];
        ORVEX_SetDrawColor8(c >> 16 & 255, c >> 8 & 255, c & 255, 255);
        const ORVEX_DrawRectangleArgs r = {
            .x = (int32_t(i) * band + shift) % 640, .y = 0, .w = band, .h = 480, .fill = 1};
        ORVEX_DrawRectangle(&r);
    }
    Picture p(640 * 480);
    SDL_RenderReadPixels(orvex.video.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, p.data(),
                         640 * 4);
    for (uint32_t& v : p) v &= 0xFFFFFF;
    return p;
}

Picture gradient(void) {
    EXPECT_EQ(ORVEX_DrawBegin(), 0);
    for (int32_t x = 0; x < 640; x += 2) {
        ORVEX_SetDrawColor8(x * 255 / 640, 255 - x * 255 / 640, (x * 7) & 255, 255);
        ORVEX_DrawLine(x, 0, x, 479);
        ORVEX_DrawLine(x + 1, 0, x + 1, 479);
    }
    Picture p(640 * 480);
    SDL_RenderReadPixels(orvex.video.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, p.data(),
                         640 * 4);
    for (uint32_t& v : p) v &= 0xFFFFFF;
    return p;
}

Picture gif_frame(const GifFileType* gif, int32_t i) {
    const SavedImage& img = gif->SavedImages[i];
    const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
    Picture p(640 * 480);
    for (size_t k = 0; k < p.size(); ++k) {
        const GifColorType c = map->Colors[img.RasterBits[k]];
        p[k] = uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
    }
    return p;
}

class Capture : public EngineTest {
protected:
    TempDir tmp;
    const fs::path dir = tmp.path;
    std::string at(const char* name) { return tmp / name; }
};

TEST_F(Capture, ThePngIsThePresentedFrame) {
    start();
    draw_bands({0x000000, 0xFEFEFE}, 0);
    ORVEX_DrawEnd();
    ASSERT_EQ(ORVEX_SaveScreenshot(at("shot.png").c_str()), 0);
    testing::internal::CaptureStdout();
    const Picture presented = draw_bands({0xFF0000, 0x00FF00, 0x0000FF, 0x123456}, 37);
    ASSERT_EQ(ORVEX_DrawEnd(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Screenshot saved: " + at("shot.png") + "\n");
    SDL_Surface* loaded = IMG_Load(at("shot.png").c_str());
    ASSERT_NE(loaded, nullptr) << SDL_GetError();
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    ASSERT_EQ(argb->w, 640);
    ASSERT_EQ(argb->h, 480);
    Picture saved(640 * 480);
    for (int32_t y = 0; y < 480; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<uint8_t*>(argb->pixels) + y * argb->pitch);
        for (int32_t x = 0; x < 640; ++x) saved[y * 640 + x] = row[x] & 0xFFFFFF;
    }
    SDL_FreeSurface(argb);
    SDL_FreeSurface(loaded);
    EXPECT_TRUE(saved == presented);
    ORVEX_DrawEnd();  // one screenshot per request
    EXPECT_EQ(fs::directory_iterator(dir)->path().filename(), "shot.png");
}

TEST_F(Capture, EveryGifFrameIsAPresentedFrameInOrderWithItsDelay) {
    config.fps = 50;  // 20 ms frames: every one is kept
    start();
    ASSERT_EQ(ORVEX_StartGifCapture(at("play.gif").c_str()), 0);
    std::vector<Picture> presented;
    for (int32_t f = 0; f < 6; ++f) {
        presented.push_back(draw_bands({0x000000, 0xFEFEFE, 0x808080}, f * 50));
        ORVEX_DrawEnd();
    }
    presented.push_back(gradient());  // more colours than the palette holds: approximated
    ORVEX_DrawEnd();
    ASSERT_EQ(ORVEX_StopGifCapture(), 0);
    EXPECT_EQ(ORVEX_IsCapturingGif(), 0);

    int error = 0;
    GifFileType* gif = DGifOpenFileName(at("play.gif").c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_EQ(gif->SWidth, 640);
    EXPECT_EQ(gif->SHeight, 480);
    EXPECT_EQ(gif->SColorMap->ColorCount, 4);  // three colours, in a table of two bits
    ASSERT_EQ(gif->ImageCount, 7);
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(gif_frame(gif, i) == presented[i]) << "frame " << i;
        GraphicsControlBlock gcb;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK);
        EXPECT_EQ(gcb.DelayTime, 2);
    }
    for (uint32_t v : gif_frame(gif, 6)) {  // the gradient, in the palette's nearest colours
        ASSERT_TRUE(v == 0x000000 || v == 0xFEFEFE || v == 0x808080) << std::hex << v;
    }
    DGifCloseFile(gif, &error);
}

// A dither's picture: colours alternating from pixel to pixel, and a third now and then that
// pushes one of the two out of the colours the encoder remembers.
TEST_F(Capture, AGifFrameOfAlternatingColoursIsThePresentedFrame) {
    start();
    ASSERT_EQ(ORVEX_StartGifCapture(at("dither.gif").c_str()), 0);
    ASSERT_EQ(ORVEX_DrawBegin(), 0);
    for (int32_t x = 0; x < 640; ++x) {
        const uint8_t v = x % 7 == 6 ? 0x80 : x % 2 ? 0xFE : 0x00;
        ORVEX_SetDrawColor8(v, v, v, 255);
        ORVEX_DrawLine(x, 0, x, 479);
    }
    Picture presented(640 * 480);
    SDL_RenderReadPixels(orvex.video.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, presented.data(),
                         640 * 4);
    for (uint32_t& v : presented) v &= 0xFFFFFF;
    ORVEX_DrawEnd();
    ASSERT_EQ(ORVEX_StopGifCapture(), 0);
    int error = 0;
    GifFileType* gif = DGifOpenFileName(at("dither.gif").c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_TRUE(gif_frame(gif, 0) == presented);
    DGifCloseFile(gif, &error);
}

TEST(GifFrames, AtMostOneFrameIn20MsIsKeptAndShownFor20Ms) {
    std::vector<uint32_t> kept;
    int32_t delay_sum = 0;
    for (uint32_t f = 0; f < 125; ++f) {  // two seconds at 16 ms
        int32_t delay = 0;
        if (gif_frame_kept(f, 16, &delay)) {
            kept.push_back(f);
            delay_sum += delay;
            EXPECT_EQ(delay, 2);
        }
    }
    EXPECT_EQ(std::vector<uint32_t>(kept.begin(), kept.begin() + 8),
              (std::vector<uint32_t>{0, 2, 3, 4, 5, 7, 8, 9}));
    EXPECT_EQ(kept.size(), 100u);  // 50 a second
    EXPECT_EQ(delay_sum, 200);
    int32_t delay = 0, total = 0;
    for (uint32_t f = 0; f < 30; ++f) {  // 990 ms at 33 ms: every frame, in 20 ms steps
        ASSERT_TRUE(gif_frame_kept(f, 33, &delay));
        EXPECT_TRUE(delay == 2 || delay == 4);
        total += delay;
    }
    EXPECT_EQ(total, 2 * (990 / 20));
}

TEST_F(Capture, WithoutAPathFilesGoToThePicturesFolderUnderTheTitle) {
    ScopedEnv pictures("XDG_PICTURES_DIR", utf8_of(dir).c_str());
    start();
    testing::internal::CaptureStdout();
    for (int32_t i = 0; i < 2; ++i) {
        ASSERT_EQ(ORVEX_SaveScreenshot(nullptr), 0);
        draw_bands({0x000000}, 0);
        ORVEX_DrawEnd();
    }
    ASSERT_EQ(ORVEX_StartGifCapture(nullptr), 0);
    draw_bands({0x000000}, 0);
    ORVEX_DrawEnd();
    ASSERT_EQ(ORVEX_StopGifCapture(), 0);
    const std::string said = testing::internal::GetCapturedStdout();
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "engine test"))
        names.push_back(e.path().filename().string());
    int32_t pngs = 0, gifs = 0;
    for (const std::string& name : names) {
        EXPECT_EQ(name.rfind("engine-test-20", 0), 0u) << name;  // then the date and time
        pngs += name.ends_with(".png");
        gifs += name.ends_with(".gif");
    }
    EXPECT_EQ(pngs, 2);  // two in one second get distinct names
    EXPECT_EQ(gifs, 1);
    EXPECT_NE(said.find("Screenshot saved: " + (dir / "engine test").string()), std::string::npos);
    EXPECT_NE(said.find("GIF saved: "), std::string::npos);
}

TEST_F(Capture, AFailedWriteIsAMessageAndFramesGoOn) {
    start();
    const std::string nowhere = (dir / "missing" / "shot.png").string();
    ASSERT_EQ(ORVEX_SaveScreenshot(nowhere.c_str()), 0);
    testing::internal::CaptureStderr();
    draw_bands({0x000000}, 0);
    EXPECT_EQ(ORVEX_DrawEnd(), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ORVEX_SaveScreenshot: " + nowhere),
              std::string::npos);
    EXPECT_EQ(ORVEX_GetFrameCount(), 1u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ORVEX_StartGifCapture((tmp / "missing/a.gif").c_str()), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ORVEX_StartGifCapture"),
              std::string::npos);
    EXPECT_EQ(ORVEX_IsCapturingGif(), 0);
    ASSERT_EQ(ORVEX_StartGifCapture(at("empty.gif").c_str()), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ORVEX_StopGifCapture(), -1);  // no frame: no file
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no frame was presented"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(at("empty.gif")));
}

TEST_F(Capture, LogicalSizeModeHasNoPictureToCapture) {
    config.logical_size = 1;
    start();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ORVEX_SaveScreenshot(at("x.png").c_str()), -1);
    EXPECT_EQ(ORVEX_StartGifCapture(at("x.gif").c_str()), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("logical_size"), std::string::npos);
}

}  // namespace
