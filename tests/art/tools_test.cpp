// The generators' building blocks: the tone mapping meets any row of figures exactly and
// keeps the painted order, the preview dither follows the game's rule, the PNG writer makes
// a file that decodes back to its pixels, and the music's loop buffer, echo and mastering
// keep the loop seamless and the levels in bounds.
//
// Index: Tone mapping / Preview / Music building blocks
#include "../../tools/artgen/artgen.hpp"
#include "../../tools/musicgen/musicgen.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "support.hpp"

using namespace support;

namespace {

uint32_t be32(const uint8_t* p) { return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

}  // namespace

//------------------------------------------------------------------------------------------
// Tone mapping
//------------------------------------------------------------------------------------------
TEST(ToneMapping, HistogramMeetsEveryRowExactlyEnough) {
    const uint32_t sizes[8] = {307200, 307200, 307200, 307200, 307200, 307200, 307200, 102400};
    for (int i = 0; i < 8; i++) {
        SCOPED_TRACE(i);
        const ToneTarget& t = tone_targets[i];
        std::vector<uint32_t> h = tone_histogram(t, sizes[i]);
        uint64_t n = 0;
        double sum = 0, sum2 = 0, below = 0, above = 0;
        int distinct = 0, lo = 256, hi = -1;
        for (int v = 0; v < 256; v++) {
            if (!h[v]) continue;
            n += h[v], sum += (double)h[v] * v, sum2 += (double)h[v] * v * v, distinct++;
            lo = std::min(lo, v), hi = v;
            if (v < 64) below += h[v];
            if (v > 127) above += h[v];
        }
        ASSERT_EQ(n, sizes[i]) << "every pixel gets exactly one level";
        double mean = sum / n;
        EXPECT_EQ(lo, t.min);
        EXPECT_EQ(hi, t.max);
        EXPECT_EQ(distinct, t.distinct);
        EXPECT_NEAR(mean, t.mean, 0.3);
        EXPECT_NEAR(std::sqrt(sum2 / n - mean * mean), t.stddev, 0.3);
        EXPECT_NEAR(100 * below / n, t.below64, 0.05);
        EXPECT_NEAR(100 * above / n, t.above127, 0.05);
        EXPECT_NEAR(100.0 * h[0] / n, t.zero, 0.05);
    }
}

TEST(ToneMapping, KeepsThePaintedOrderAndGivesTheExactHistogram) {
    Canvas c = canvas_make(64, 32, 0);
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) at(c, x, y) = std::sin(x * 0.3f) + 0.01f * y;
    std::vector<uint32_t> hist(256, 0);
    hist[10] = 1000, hist[200] = 1048;  // 2048 pixels
    std::vector<uint8_t> out = tone_map(c, hist);
    ASSERT_EQ(out.size(), c.px.size());
    int dark = 0;
    float darkest_light = 1e9f, lightest_dark = -1e9f;
    for (size_t i = 0; i < out.size(); i++) {
        ASSERT_TRUE(out[i] == 10 || out[i] == 200);
        if (out[i] == 10)
            dark++, lightest_dark = std::max(lightest_dark, c.px[i]);
        else
            darkest_light = std::min(darkest_light, c.px[i]);
    }
    EXPECT_EQ(dark, 1000);
    EXPECT_LE(lightest_dark, darkest_light) << "a darker painted pixel never ends up lighter";
}

TEST(ToneMapping, IsDeterministic) {
    Canvas a = image_specs[7].paint(image_specs[7].w, image_specs[7].h);
    Canvas b = image_specs[7].paint(image_specs[7].w, image_specs[7].h);
    EXPECT_EQ(a.px, b.px);
}

//------------------------------------------------------------------------------------------
// Preview
//------------------------------------------------------------------------------------------
TEST(PreviewDither, FollowsTheGamesRuleAndItsGenerator) {
    std::vector<uint8_t> grey = {0, 255, 0, 255, 128, 128, 128, 128}, out(grey.size());
    uint32_t state = 12345, s = 12345;
    dither_preview(grey.data(), (int)grey.size(), &state, out.data());
    for (size_t i = 0; i < grey.size(); i++) {
        s = s * 1103515245u + 12345u;
        uint32_t v = ((s >> 16) & 0x7fff) % 255;
        EXPECT_EQ(out[i], v < grey[i] ? 254 : 0) << i;
    }
    EXPECT_EQ(out[0], 0) << "0 is always dark";
    EXPECT_EQ(out[1], 254) << "255 is always light";
    EXPECT_EQ(state, s) << "the generator runs on from call to call";
}

// Reads a PNG of stored deflate blocks back and compares it with the pixels it was made from.
static void expect_png(const std::string& path, const std::vector<uint8_t>& pix, int w, int h,
                       int channels, uint8_t colour_type) {
    const Bytes f = read_file(path);
    ASSERT_GT(f.size(), 8u);
    EXPECT_EQ(std::memcmp(f.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    std::vector<uint8_t> z;
    for (size_t off = 8; off + 12 <= f.size();) {
        uint32_t len = be32(&f[off]);
        ASSERT_LE(off + 12 + len, f.size());
        if (!std::memcmp(&f[off + 4], "IHDR", 4)) {
            EXPECT_EQ(be32(&f[off + 8]), (uint32_t)w);
            EXPECT_EQ(be32(&f[off + 12]), (uint32_t)h);
            EXPECT_EQ(f[off + 16], 8) << "bit depth";
            EXPECT_EQ(f[off + 17], colour_type);
        }
        if (!std::memcmp(&f[off + 4], "IDAT", 4)) z.insert(z.end(), &f[off + 8], &f[off + 8 + len]);
        off += 12 + len;
    }
    // Stored deflate blocks: header byte, 16-bit length, its complement, then the bytes.
    std::vector<uint8_t> raw;
    size_t p = 2;
    bool last = false;
    while (!last && p + 5 <= z.size()) {
        last = z[p] & 1;
        uint32_t n = z[p + 1] | z[p + 2] << 8, nn = z[p + 3] | z[p + 4] << 8;
        ASSERT_EQ(n ^ 0xffff, nn);
        raw.insert(raw.end(), &z[p + 5], &z[p + 5 + n]);
        p += 5 + n;
    }
    const size_t row = (size_t)w * channels;
    ASSERT_EQ(raw.size(), (row + 1) * h);
    for (int y = 0; y < h; y++) {
        EXPECT_EQ(raw[y * (row + 1)], 0) << "filter byte";
        ASSERT_EQ(std::memcmp(&raw[y * (row + 1) + 1], &pix[y * row], row), 0) << "row " << y;
    }
}

TEST(PreviewPng, DecodesBackToItsPixelsWithValidChecksums) {
    const int w = 300, h = 260;  // over 65535 bytes: several stored blocks
    std::vector<uint8_t> pix((size_t)w * h);
    for (size_t i = 0; i < pix.size(); i++) pix[i] = (uint8_t)(i * 7);
    TempDir dir;
    ASSERT_TRUE(write_png_grey(dir / "preview.png", pix.data(), w, h));
    expect_png(dir / "preview.png", pix, w, h, 1, 0);
}

TEST(PreviewPng, RgbaRowsCarryFourBytesAPixel) {
    const int w = 150, h = 130;
    std::vector<uint8_t> pix((size_t)w * h * 4);
    for (size_t i = 0; i < pix.size(); i++) pix[i] = (uint8_t)(i * 13 + i / 4);
    TempDir dir;
    ASSERT_TRUE(write_png_rgba(dir / "preview.png", pix.data(), w, h));
    expect_png(dir / "preview.png", pix, w, h, 4, 6);
}

TEST(PreviewPng, AnUnwritablePathFailsAndLeavesNothing) {
    uint8_t px[4] = {1, 2, 3, 4};
    EXPECT_FALSE(write_png_grey("/nonexistent-dir/x.png", px, 2, 2));
}

//------------------------------------------------------------------------------------------
// Icon
//------------------------------------------------------------------------------------------
TEST(IconFile, ADirectoryEntryPerSizeLeadsToItsWholePng) {
    const int sizes[] = {16, 256};
    std::vector<std::vector<uint8_t>> pngs;
    for (int n : sizes) {
        std::vector<uint8_t> rgba((size_t)n * n * 4, (uint8_t)n);
        pngs.push_back(png_rgba(rgba.data(), n, n));
    }
    const std::vector<uint8_t> ico = ico_file(pngs, sizes);
    const auto le = [&ico](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; i--) v = v << 8 | ico[at + i];
        return v;
    };
    ASSERT_GE(ico.size(), 6u + 2 * 16);
    EXPECT_EQ(le(0, 2), 0u);
    EXPECT_EQ(le(2, 2), 1u) << "type: icon";
    EXPECT_EQ(le(4, 2), 2u) << "count";
    size_t end = 6 + 2 * 16;
    for (size_t i = 0; i < 2; i++) {
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], sizes[i] == 256 ? 0 : sizes[i]) << "width, 0 for 256";
        EXPECT_EQ(ico[entry + 1], ico[entry]) << "height";
        EXPECT_EQ(le(entry + 4, 2), 1u) << "planes";
        EXPECT_EQ(le(entry + 6, 2), 32u) << "bits";
        const uint32_t size = le(entry + 8, 4), offset = le(entry + 12, 4);
        EXPECT_EQ(size, pngs[i].size());
        EXPECT_EQ(offset, end) << "images follow each other without gaps";
        ASSERT_LE(size_t(offset) + size, ico.size());
        EXPECT_TRUE(std::equal(pngs[i].begin(), pngs[i].end(), ico.begin() + offset));
        end = size_t(offset) + size;
    }
    EXPECT_EQ(end, ico.size());
}

TEST(Icon, EverySizeHasClearCornersAnOpaqueBodyAndACrispTwoColourSquare) {
    const ImageSpec& bark = image_specs[7];
    std::vector<uint8_t> grey(bark.w * bark.h);
    for (size_t i = 0; i < grey.size(); i++) grey[i] = (uint8_t)(i * 31 % 251);
    for (int n : icon_sizes) {
        SCOPED_TRACE(n);
        std::vector<uint8_t> rgba = paint_icon(n, grey, bark.w);
        ASSERT_EQ(rgba.size(), (size_t)n * n * 4);
        auto pixel = [&](int x, int y) { return &rgba[((size_t)y * n + x) * 4]; };
        for (int c : {0, n - 1}) {
            EXPECT_EQ(pixel(c, 0)[3], 0) << "corners are transparent";
            EXPECT_EQ(pixel(c, n - 1)[3], 0);
        }
        EXPECT_EQ(pixel(n / 2, n / 8)[3], 255) << "the plate is opaque";
        // The square's inside is made of the dither's two colours only, both present.
        int dark = 0, light = 0;
        for (int y = n * 2 / 5; y < n * 3 / 5; y++)
            for (int x = n * 3 / 5; x < n * 2 / 3; x++) {
                const uint8_t* p = pixel(x, y);
                ASSERT_EQ(p[3], 255);
                ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "grey";
                ASSERT_TRUE(p[0] == 0 || p[0] == 254) << x << "," << y << ": " << (int)p[0];
                (p[0] ? light : dark)++;
            }
        EXPECT_GT(dark, 0);
        EXPECT_GT(light, 0);
    }
}

//------------------------------------------------------------------------------------------
// Music building blocks
//------------------------------------------------------------------------------------------
TEST(MusicLoop, NotesPastEitherEndWrapAround) {
    Loop l{std::vector<float>(100, 0.0f)};
    loop_add(l, 105, 1.0f);
    loop_add(l, -1, 2.0f);
    loop_add(l, 250, 3.0f);
    EXPECT_EQ(l.s[5], 1.0f);
    EXPECT_EQ(l.s[99], 2.0f);
    EXPECT_EQ(l.s[50], 3.0f);
}

TEST(MusicLoop, EchoOfTheEndSoundsAtTheStart) {
    Loop l{std::vector<float>(SAMPLE_RATE, 0.0f)};
    l.s[SAMPLE_RATE - 100] = 1.0f;  // an impulse 100 samples before the end
    echo(l, 0.01, 0.5f, 1.0f);      // 480-sample echo
    EXPECT_NEAR(l.s[380], 1.0f, 1e-6f) << "first echo, wrapped";
    EXPECT_NEAR(l.s[860], 0.5f, 1e-6f) << "second echo, fed back";
}

TEST(MusicMastering, HoldsPeaksUnderTheCeilingAndHitsTheLevel) {
    Loop l{std::vector<float>(SAMPLE_RATE, 0.0f)};
    for (int i = 0; i < SAMPLE_RATE; i++)  // a quiet tone with one huge spike
        l.s[i] = 0.05f * std::sin(i * 0.05f) + (i == 1000 ? 5.0f : 0.0f) + 0.2f;
    master(l, -16, -1);
    double sum = 0, mean = 0, peak = 0;
    for (float v : l.s)
        sum += (double)v * v, mean += v, peak = std::max(peak, (double)std::fabs(v));
    EXPECT_LT(20 * std::log10(peak), -1.0);
    EXPECT_NEAR(20 * std::log10(std::sqrt(sum / l.s.size())), -16.0, 1.0);
    EXPECT_NEAR(mean / l.s.size(), 0.0, 1e-3) << "no DC offset";
}

TEST(MusicMastering, SilenceStaysSilent) {
    Loop l{std::vector<float>(1000, 0.25f)};  // pure DC: nothing audible at all
    master(l, -16, -1);
    for (float v : l.s) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 1e-6f);
}
