// Picture files as canvas images, from files the test writes in every format the engine reads:
// the indices are the lumas of opaque pixels and the transparent index below half alpha; a
// missing, cut, hostile or oversized file (or one that is no regular file) is refused with its
// path and reason, and leaves the image record empty. No engine start-up is needed.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include <orvex/px.hpp>

#include "support.hpp"

using namespace support;

namespace {

constexpr uint8_t CLEAR = 7;  // the transparent index the tests ask for

// A w x 1 picture of RGBA pixels, saved as PNG or JPEG.
using Rgba = std::vector<uint32_t>;  // 0xRRGGBBAA each

SDL_Surface* row_surface(const Rgba& pixels) {
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormat(0, int(pixels.size()), 1, 32, SDL_PIXELFORMAT_RGBA8888);
    for (size_t x = 0; x < pixels.size(); ++x) static_cast<uint32_t*>(s->pixels)[x] = pixels[x];
    return s;
}

bool save_png(const std::string& path, const Rgba& pixels) {
    SDL_Surface* s = row_surface(pixels);
    const bool saved = IMG_SavePNG(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return saved;
}

// Red, green, blue, white and a dark blue-grey: their lumas are 76, 150, 29, 255 and 18.
const Rgba COLOURS = {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFFFF, 0x0A141EFF};
const std::vector<uint8_t> COLOUR_LUMAS = {76, 150, 29, 255, 18};

uint32_t colour_rgb(int32_t x, int32_t) { return COLOURS[size_t(x)] >> 8; }

// A PNG whose header declares 100000 x 1 pixels in a few bytes.
Bytes oversized_png(void) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    b.insert(b.end(), {0x00, 0x01, 0x86, 0xA0, 0, 0, 0, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0});
    return b;
}

// px_load_image on `path`: its result and what it said; the record must come back empty on
// failure, whatever it held.
int32_t load(const std::string& path, PxImage* image, std::string* said) {
    static const uint8_t junk = 0;
    *image = {5, 5, &junk};
    int32_t result = -1;
    *said = stderr_of([&] { result = px_load_image(path.c_str(), CLEAR, image); });
    return result;
}

bool save_jpeg(const std::string& path, const Rgba& pixels) {
    SDL_Surface* s = row_surface(pixels);
    const bool saved = IMG_SaveJPG(s, path.c_str(), 95) == 0;
    SDL_FreeSurface(s);
    return saved;
}

}  // namespace

TEST(PxLoadImage, EveryFormatGivesLumasAndTheTransparentIndex) {
    TempDir dir;
    const Rgba alpha = {0xFFFFFF00, 0x0000007F, 0xFFFFFF80, 0x0A141EFF};
    const auto bmp_rows = [](int32_t x, int32_t y) {
        return y == 0 ? 0xFFFFFFu : colour_rgb(x, 0);
    };
    ASSERT_TRUE(save_png(dir / "opaque.png", COLOURS));
    ASSERT_TRUE(save_png(dir / "alpha.png", alpha));
    ASSERT_TRUE(save_jpeg(dir / "grey.jpg", Rgba(16, 0x808080FF)));
    ASSERT_TRUE(write_file(dir / "colours.qoi", qoi(5, 1, colour_rgb)));
    ASSERT_TRUE(write_file(dir / "rows.bmp", bmp(2, 2, bmp_rows)));  // the first row white
    const struct {
        const char* name;
        int32_t w, h;
        std::vector<uint8_t> indices;
        int32_t tolerance;  // JPEG is lossy
    } cases[] = {
        {"opaque.png", 5, 1, COLOUR_LUMAS, 0},
        {"alpha.png", 4, 1, {CLEAR, CLEAR, 255, 18}, 0},
        {"grey.jpg", 16, 1, std::vector<uint8_t>(16, 128), 3},
        {"colours.qoi", 5, 1, COLOUR_LUMAS, 0},
        {"rows.bmp", 2, 2, {255, 255, 76, 150}, 0},
    };
    for (const auto& c : cases) {
        PxImage image;
        std::string said;
        ASSERT_EQ(load(dir / c.name, &image, &said), 0) << c.name << ": " << said;
        EXPECT_EQ(said, "") << c.name;
        ASSERT_EQ(image.width, c.w) << c.name;
        ASSERT_EQ(image.height, c.h) << c.name;
        for (size_t i = 0; i < c.indices.size(); ++i) {
            EXPECT_NEAR(image.pixels[i], c.indices[i], c.tolerance) << c.name << " pixel " << i;
        }
        px_free_image(&image);
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.width, 0);
        px_free_image(&image);  // an empty record: nothing happens
    }
    px_free_image(nullptr);
}

TEST(PxLoadImage, BadFilesAreRefusedWithPathAndReasonAndLeaveTheRecordEmpty) {
    TempDir dir;
    ASSERT_TRUE(save_png(dir / "whole.png", COLOURS));
    const Bytes whole = read_file(dir / "whole.png");
    ASSERT_TRUE(write_file(dir / "cut.png", Bytes(whole.begin(), whole.begin() + 40)));
    ASSERT_TRUE(write_file(dir / "huge.png", oversized_png()));
    ASSERT_TRUE(write_file(dir / "noise.png", text("not a picture at all")));
    std::filesystem::create_directory(utf8_path(dir / "folder.png"));
    std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.png", "No such file or directory"},
        {"cut.png", ""},  // in the decoder's words
        {"noise.png", ""},
        {"folder.png", "is a directory"},
        {"huge.png", "PNG image declares 100000x1 pixels"},
        {"", "px_load_image: path is empty"},
    };
#ifndef _WIN32
    ASSERT_EQ(mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    cases.push_back({"pipe.png", "is a FIFO"});
#endif
    for (const auto& [name, reason] : cases) {
        const std::string path = name.empty() ? "" : dir / name;
        PxImage image;
        std::string said;
        EXPECT_EQ(load(path, &image, &said), -1) << name;
        EXPECT_NE(said.find(path.empty() ? reason : path + ": "), std::string::npos) << said;
        EXPECT_NE(said.find(reason), std::string::npos) << said;
        EXPECT_EQ(image.width, 0) << name;
        EXPECT_EQ(image.height, 0) << name;
        EXPECT_EQ(image.pixels, nullptr) << name;
    }
}
