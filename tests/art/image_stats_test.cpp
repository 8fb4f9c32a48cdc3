// The compiled-in pictures: sizes the game relies on, grey-level figures that keep the
// look of the game (each picture against its row of the table), and structure that tells a
// painted picture from shuffled noise.
#include "images.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Figures {
    const char* name;
    const PxImage* img;
    int width, height;
    int min, max;
    double mean, stddev;
    int median;
    double above127, below64, zero;  // percent
    int distinct;
};

const Figures table[] = {
    {"stage_image_0", &stage_image_0, 640, 480, 9, 254, 132.3, 47.4, 133, 54.6, 7.8, 0, 245},
    {"stage_image_1", &stage_image_1, 640, 480, 8, 255, 120.4, 49.1, 117, 40.9, 12.2, 0, 248},
    {"stage_image_2", &stage_image_2, 640, 480, 3, 254, 109.4, 47.1, 110, 38.2, 20.0, 0, 252},
    {"stage_image_3", &stage_image_3, 640, 480, 0, 227, 123.4, 35.8, 133, 62.1, 8.1, 0.2, 220},
    {"stage_image_4", &stage_image_4, 640, 480, 2, 255, 112.1, 54.8, 109, 37.4, 21.4, 0, 254},
    {"stage_image_5", &stage_image_5, 640, 480, 5, 255, 125.7, 46.5, 131, 52.4, 11.7, 0, 251},
    {"stage_image_6", &stage_image_6, 640, 480, 2, 253, 120.3, 46.6, 123, 46.4, 12.2, 0, 251},
    {"player_texture", &player_texture, 400, 256, 4, 123, 67.2, 19.1, 68, 0, 40.1, 0, 120},
};

struct Measured {
    int min = 255, max = 0, median = 0, distinct = 0;
    double mean = 0, stddev = 0, above127 = 0, below64 = 0, zero = 0;
};

Measured measure(const PxImage& img) {
    const size_t n = (size_t)img.width * img.height;
    std::vector<size_t> hist(256, 0);
    for (size_t i = 0; i < n; i++) hist[img.pixels[i]]++;
    Measured m;
    double sum = 0, sum2 = 0;
    size_t seen = 0;
    for (int v = 0; v < 256; v++) {
        if (!hist[v]) continue;
        m.min = std::min(m.min, v);
        m.max = v;
        m.distinct++;
        sum += (double)hist[v] * v;
        sum2 += (double)hist[v] * v * v;
        if (seen <= n / 2 && seen + hist[v] > n / 2) m.median = v;
        seen += hist[v];
        if (v > 127) m.above127 += 100.0 * hist[v] / n;
        if (v < 64) m.below64 += 100.0 * hist[v] / n;
    }
    m.zero = 100.0 * hist[0] / n;
    m.mean = sum / n;
    m.stddev = std::sqrt(sum2 / n - m.mean * m.mean);
    return m;
}

// Correlation of each pixel with its right-hand neighbour: near 1 for a photograph, near 0
// for noise with the same histogram.
double neighbour_correlation(const PxImage& img) {
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, n = 0;
    for (int y = 0; y < img.height; y++)
        for (int x = 0; x + 1 < img.width; x++) {
            double a = img.pixels[y * img.width + x], b = img.pixels[y * img.width + x + 1];
            sx += a, sy += b, sxx += a * a, syy += b * b, sxy += a * b, n += 1;
        }
    double cov = sxy / n - sx / n * sy / n;
    return cov / std::sqrt((sxx / n - sx * sx / n / n) * (syy / n - sy * sy / n / n));
}

}  // namespace

TEST(EmbeddedImages, HaveTheSizesTheGameDrawsWith) {
    for (const Figures& f : table) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(f.img->width, f.width);
        EXPECT_EQ(f.img->height, f.height);
        ASSERT_NE(f.img->pixels, nullptr);
    }
    // The player's 32x32 window scrolls modulo (width - 32) and (height - 32).
    EXPECT_GT(player_texture.width, 32);
    EXPECT_GT(player_texture.height, 32);
}

TEST(EmbeddedImages, EachRecordHasItsOwnPixels) {
    for (const Figures& a : table)
        for (const Figures& b : table) {
            if (&a == &b) continue;
            const uint8_t* a0 = a.img->pixels;
            const uint8_t* a1 = a0 + (size_t)a.width * a.height;
            const uint8_t* b0 = b.img->pixels;
            EXPECT_FALSE(b0 >= a0 && b0 < a1) << a.name << " overlaps " << b.name;
        }
}

TEST(EmbeddedImages, GreyLevelsFollowTheirRowOfTheTable) {
    for (const Figures& f : table) {
        SCOPED_TRACE(f.name);
        Measured m = measure(*f.img);
        EXPECT_EQ(m.min, f.min);
        EXPECT_EQ(m.max, f.max);
        EXPECT_NEAR(m.mean, f.mean, 2.0);
        EXPECT_NEAR(m.stddev, f.stddev, 2.0);
        EXPECT_NEAR(m.median, f.median, 2.0);
        EXPECT_NEAR(m.above127, f.above127, 2.0);
        EXPECT_NEAR(m.below64, f.below64, 2.0);
        EXPECT_NEAR(m.zero, f.zero, 2.0);
        EXPECT_NEAR(m.distinct, f.distinct, 5.0);
        if (f.zero == 0) {
            EXPECT_GT(m.min, 0) << "value 0 must not occur";
        }
    }
}

TEST(EmbeddedImages, ArePicturesNotNoise) {
    for (const Figures& f : table) {
        SCOPED_TRACE(f.name);
        EXPECT_GT(neighbour_correlation(*f.img), 0.5);
    }
}
