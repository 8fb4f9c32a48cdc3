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

#include <cstring>
#include <tuple>
#include <vector>

#include <orvex/px.hpp>

#include "support.hpp"

using namespace support;

namespace {

constexpr uint8_t CLEAR = 7;  // the transparent index the tests ask for

// Red, green, blue, white and a dark blue-grey (0xRRGGBBAA): lumas 76, 150, 29, 255 and 18.
const std::vector<uint32_t> COLOURS = {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFFFF, 0x0A141EFF};
const std::vector<uint8_t> LUMAS = {76, 150, 29, 255, 18};

uint32_t colour_rgb(int32_t x, int32_t) { return COLOURS[size_t(x)] >> 8; }

// One row of 0xRRGGBBAA pixels saved as PNG, or as JPEG at quality 95.
bool save_row(const std::string& path, const std::vector<uint32_t>& pixels, bool jpeg = false) {
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormat(0, int(pixels.size()), 1, 32, SDL_PIXELFORMAT_RGBA8888);
    memcpy(s->pixels, pixels.data(), pixels.size() * 4);
    const bool saved =
        (jpeg ? IMG_SaveJPG(s, path.c_str(), 95) : IMG_SavePNG(s, path.c_str())) == 0;
    SDL_FreeSurface(s);
    return saved;
}

// px_load_image on `path`, with a record that must come back empty on failure.
int32_t load(const std::string& path, PxImage* image, std::string* said) {
    static const uint8_t junk = 0;
    *image = {5, 5, &junk};
    int32_t result = -1;
    *said = stderr_of([&] { result = px_load_image(path.c_str(), CLEAR, image); });
    return result;
}

}  // namespace

TEST(PxLoadImage, EveryFormatGivesLumasAndTheTransparentIndex) {
    TempDir dir;
    ASSERT_TRUE(save_row(dir / "opaque.png", COLOURS));
    ASSERT_TRUE(save_row(dir / "alpha.png", {0xFFFFFF00, 0x0000007F, 0xFFFFFF80, 0x0A141EFF}));
    ASSERT_TRUE(save_row(dir / "grey.jpg", std::vector<uint32_t>(16, 0x808080FF), true));
    ASSERT_TRUE(write_file(dir / "colours.qoi", qoi(5, 1, colour_rgb)));
    const auto rows = [](int32_t x, int32_t y) { return y == 0 ? 0xFFFFFFu : colour_rgb(x, 0); };
    ASSERT_TRUE(write_file(dir / "rows.bmp", bmp(2, 2, rows)));  // stored bottom row first
    // Name, size, indices and how far they may be off (JPEG is lossy).
    const std::tuple<const char*, int32_t, int32_t, std::vector<uint8_t>, int32_t> cases[] = {
        {"opaque.png", 5, 1, LUMAS, 0},
        {"alpha.png", 4, 1, {CLEAR, CLEAR, 255, 18}, 0},
        {"grey.jpg", 16, 1, std::vector<uint8_t>(16, 128), 3},
        {"colours.qoi", 5, 1, LUMAS, 0},
        {"rows.bmp", 2, 2, {255, 255, 76, 150}, 0},
    };
    for (const auto& [name, w, h, indices, tolerance] : cases) {
        PxImage image;
        std::string said;
        ASSERT_EQ(load(dir / name, &image, &said), 0) << name << ": " << said;
        ASSERT_EQ(std::pair(image.width, image.height), std::pair(w, h)) << name;
        for (size_t i = 0; i < indices.size(); ++i) {
            EXPECT_NEAR(image.pixels[i], indices[i], tolerance) << name << " pixel " << i;
        }
        px_free_image(&image);
        EXPECT_EQ(image.pixels, nullptr);
        px_free_image(&image);  // an empty record: nothing happens
    }
    px_free_image(nullptr);
}

TEST(PxLoadImage, BadFilesAreRefusedWithPathAndReasonAndLeaveTheRecordEmpty) {
    TempDir dir;
    ASSERT_TRUE(save_row(dir / "whole.png", COLOURS));
    const Bytes whole = read_file(dir / "whole.png");
    ASSERT_TRUE(write_file(dir / "cut.png", Bytes(whole.begin(), whole.begin() + 40)));
    // A PNG header declaring 100000 x 1 pixels.
    ASSERT_TRUE(write_file(
        dir / "huge.png",
        {0x89, 'P',  'N',  'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0,
         1,    0x86, 0xA0, 0,   0,    0,    1,    8,    0, 0, 0, 0,  0,   0,   0,   0}));
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
        EXPECT_NE(said.find(name.empty() ? reason : path + ": " + reason), std::string::npos)
            << said;
        EXPECT_EQ(std::tuple(image.width, image.height, image.pixels), std::tuple(0, 0, nullptr))
            << name;
    }
}
