// Image entries from real PNG, JPEG, QOI and BMP files written by the test: decoded by
// content whatever their name, read back pixel by pixel, reloaded across formats under one
// id, and refused (keeping the old picture) when the data is broken or declares a size no
// file of its length can hold.
//
// Index: Test files / Formats / Hot reload across formats / Declared sizes checked before decoding
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>

#include "engine_state.hpp"
#include "resources_internal.hpp"
#include "support.hpp"

using namespace support;

namespace {

//------------------------------------------------------------------------------------------
// Test files
//------------------------------------------------------------------------------------------
// Left half red, right half blue, a green band of two rows on top: enough to see orientation
// and channels (and wide enough to survive JPEG's halved colour resolution).
uint32_t pattern(int32_t x, int32_t y, int32_t w) {
    if (y < 2) return 0x00FF00;
    return x < w / 2 ? 0xFF0000 : 0x0000FF;
}

SDL_Surface* pattern_surface(int32_t w, int32_t h) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    for (int32_t y = 0; y < h; ++y) {
        auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = pattern(x, y, w);
            const uint8_t px[4] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0xFF};
            memcpy(row + x * 4, px, 4);
        }
    }
    return s;
}

void write_png(const std::string& path, int32_t w, int32_t h) {
    SDL_Surface* s = pattern_surface(w, h);
    ASSERT_EQ(IMG_SavePNG(s, path.c_str()), 0) << IMG_GetError();
    SDL_FreeSurface(s);
}

void write_jpeg(const std::string& path, int32_t w, int32_t h) {
    SDL_Surface* s = pattern_surface(w, h);
    ASSERT_EQ(IMG_SaveJPG(s, path.c_str(), 95), 0) << IMG_GetError();
    SDL_FreeSurface(s);
}

Bytes pattern_qoi(int32_t w, int32_t h) {
    return qoi(w, h, [w](int32_t x, int32_t y) { return pattern(x, y, w); });
}

Bytes pattern_bmp(int32_t w, int32_t h) {
    return bmp(w, h, [w](int32_t x, int32_t y) { return pattern(x, y, w); });
}

// The texture of `id` copied unscaled onto the engine's target, one pixel read back.
uint32_t pixel_of(ResourceId id, int32_t x, int32_t y) {
    SDL_Renderer* r = orvex.video.renderer;
    SDL_Texture* t = ORVEX_GetResourceData(id)->image.texture;
    const SDL_Rect dst = {0, 0, ORVEX_GetImageWidth(id), ORVEX_GetImageHeight(id)};
    const SDL_Rect at = {x, y, 1, 1};
    uint32_t px = 0;
    EXPECT_EQ(SDL_SetRenderTarget(r, orvex.video.target), 0);
    EXPECT_EQ(SDL_SetRenderDrawColor(r, 0, 0, 0, 255), 0);
    EXPECT_EQ(SDL_RenderClear(r), 0);
    EXPECT_EQ(SDL_RenderCopy(r, t, nullptr, &dst), 0);
    EXPECT_EQ(SDL_RenderReadPixels(r, &at, SDL_PIXELFORMAT_RGB888, &px, 4), 0) << SDL_GetError();
    return px & 0xFFFFFF;
}

// Lossy formats come back close, not exact.
bool near(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(int32_t((a >> shift) & 0xFF) - int32_t((b >> shift) & 0xFF)) > 24) {
            return false;
        }
    }
    return true;
}

class Images : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.started); }
    Engine engine{headless_config(64, 64)};
    TempDir dir;

    void expect_pattern(ResourceId id, int32_t w, int32_t h, const char* what) {
        ASSERT_NE(id, 0u) << what;
        EXPECT_EQ(ORVEX_GetImageWidth(id), w) << what;
        EXPECT_EQ(ORVEX_GetImageHeight(id), h) << what;
        EXPECT_TRUE(near(pixel_of(id, 0, 0), 0x00FF00)) << what;
        EXPECT_TRUE(near(pixel_of(id, 1, h - 1), 0xFF0000)) << what;
        EXPECT_TRUE(near(pixel_of(id, w - 2, h - 1), 0x0000FF)) << what;
    }
};

}  // namespace

//------------------------------------------------------------------------------------------
// Formats
//------------------------------------------------------------------------------------------
TEST_F(Images, PngJpegQoiAndBmpFilesLoadWithTheirSizeAndColours) {
    write_png(dir / "a.png", 24, 10);
    write_jpeg(dir / "b.jpg", 32, 16);
    write_file(dir / "c.qoi", pattern_qoi(20, 6));
    write_file(dir / "d.bmp", pattern_bmp(18, 7));
    expect_pattern(ORVEX_LoadResource((dir / "a.png").c_str()), 24, 10, "PNG");
    expect_pattern(ORVEX_LoadResource((dir / "b.jpg").c_str()), 32, 16, "JPEG");
    expect_pattern(ORVEX_LoadResource((dir / "c.qoi").c_str()), 20, 6, "QOI");
    expect_pattern(ORVEX_LoadResource((dir / "d.bmp").c_str()), 18, 7, "BMP");
    EXPECT_EQ(pixel_of(1, 23, 9), 0x0000FFu);  // lossless: exact
}

TEST_F(Images, TheContentDecidesTheDecoderAndTheNameStillDecidesTheType) {
    write_png(dir / "png.bmp", 8, 4);
    write_file(dir / "qoi.JPG", pattern_qoi(6, 4));
    expect_pattern(ORVEX_LoadResource((dir / "png.bmp").c_str()), 8, 4, "PNG named .bmp");
    expect_pattern(ORVEX_LoadResource((dir / "qoi.JPG").c_str()), 6, 4, "QOI named .JPG");
    write_png(dir / "pic.bin", 8, 4);
    EXPECT_EQ(ORVEX_GetResourceType(ORVEX_LoadResource((dir / "pic.bin").c_str())),
              ORVEX_RESOURCE_RAW);
    const Bytes bytes = read_file(dir / "png.bmp");
    expect_pattern(
        ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, bytes.data(), uint32_t(bytes.size())), 8,
        4, "PNG from memory");
}

//------------------------------------------------------------------------------------------
// Hot reload across formats
//------------------------------------------------------------------------------------------
TEST_F(Images, ABmpRewrittenAsPngReloadsUnderTheSameIdAndBrokenPngKeepsIt) {
    const std::string path = dir / "sprite.png";
    write_file(path, pattern_bmp(8, 4));
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    expect_pattern(id, 8, 4, "BMP first");
    ASSERT_TRUE(set_mtime(path, 1700000000));
    ORVEX_HotReload();

    write_png(path, 30, 12);
    ASSERT_TRUE(set_mtime(path, 1700000001));
    ORVEX_HotReload();
    expect_pattern(id, 30, 12, "PNG after the reload");
    EXPECT_EQ(registry_table().count, 1u);

    // A PNG whose image data is cut off: libpng's own complaint, and the old picture stays.
    Bytes broken = read_file(path);
    broken.resize(broken.size() / 2);
    SDL_Texture* before = ORVEX_GetResourceData(id)->image.texture;
    write_file(path, broken);
    ASSERT_TRUE(set_mtime(path, 1700000002));
    const std::string err = stderr_of(ORVEX_HotReload);
    EXPECT_NE(err.find(std::string(SDL_GetError()) + "\n"), std::string::npos) << err;
    EXPECT_EQ(ORVEX_GetResourceData(id)->image.texture, before);
    expect_pattern(id, 30, 12, "PNG kept");
}

//------------------------------------------------------------------------------------------
// Declared sizes checked before decoding
//------------------------------------------------------------------------------------------
TEST_F(Images, HeadersDeclaringMoreThanTheFileOrTheRendererCanHoldAreRefused) {
    SDL_RendererInfo info;
    ASSERT_EQ(SDL_GetRendererInfo(orvex.video.renderer, &info), 0);
    // SDL's software renderer sets no largest texture (0): there the width case is moot.
    const bool limited = info.max_texture_width > 0;
    const int64_t max_w = limited ? info.max_texture_width : 1 << 20;

    write_png(dir / "ok.png", 4, 4);
    Bytes huge_png = read_file(dir / "ok.png");
    for (int i : {16, 17, 18, 19, 20, 21, 22, 23}) huge_png[i] = 0;
    huge_png[18] = 0x40;  // 16384 x 16384 in a file of a hundred bytes
    huge_png[22] = 0x40;
    Bytes wide_png = read_file(dir / "ok.png");
    const uint32_t too_wide = uint32_t(max_w + 1);
    wide_png[16] = uint8_t(too_wide >> 24), wide_png[17] = uint8_t(too_wide >> 16);
    wide_png[18] = uint8_t(too_wide >> 8), wide_png[19] = uint8_t(too_wide);
    wide_png[20] = wide_png[21] = wide_png[22] = 0, wide_png[23] = 1;
    Bytes huge_qoi = pattern_qoi(2, 2);
    huge_qoi[6] = 0x10;  // 4096 x 2 pixels in 42 bytes
    huge_qoi[7] = 0;
    Bytes zero_jpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 0, 0, 16, 1, 1, 0x11, 0};

    struct Case {
        const Bytes& bytes;
        std::string message;
    } cases[] = {
        {huge_png, "PNG image declares 16384x16384 pixels"},
        {wide_png, "PNG image declares " + std::to_string(max_w + 1) + "x1 pixels; the renderer"},
        {huge_qoi, "QOI image declares 4096x2 pixels, more than 42 bytes can hold"},
        {zero_jpeg, "JPEG image declares 16x0 pixels; the renderer takes 1.."},
        {Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2}, "image data is cut short before its size"},
    };
    for (const Case& c : cases) {
        if (&c.bytes == &wide_png && !limited) continue;
        const std::string err = stderr_of([&] {
            EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, c.bytes.data(),
                                                   uint32_t(c.bytes.size())),
                      0u);
        });
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
    }
    EXPECT_EQ(registry_table().count, 0u);
}
