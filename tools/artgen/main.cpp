// artgen: paints the game's eight pictures and writes each as a raw 8-bit file
// (<name>.raw, width x height bytes, row-major), or, with --sheet, reads those raw files back
// and writes a PNG contact sheet of every picture next to its dithered view, or, with --icon,
// writes the application icon as a hicolor tree of PNGs, one raw RGBA copy to embed and a
// Windows icon file.
#include "artgen.hpp"
#include "../common/write_file.hpp"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <filesystem>

//------------------------------------------------------------------------------------------
// Files
//------------------------------------------------------------------------------------------
static bool write_raw(const std::string& path, const std::vector<uint8_t>& data) {
    return write_file_atomically(path, data.data(), data.size());
}

static bool read_raw(const std::string& path, std::vector<uint8_t>& data, size_t expect) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    data.assign(expect + 1, 0);
    size_t got = std::fread(data.data(), 1, expect + 1, f);
    std::fclose(f);
    if (got != expect) {
        std::fprintf(stderr, "artgen: %s has %zu bytes, expected %zu\n", path.c_str(), got, expect);
        return false;
    }
    data.resize(expect);
    return true;
}

//------------------------------------------------------------------------------------------
// Generating
//------------------------------------------------------------------------------------------
// Reference cost for --time: one plain six-octave noise fill of a stage-sized canvas, timed
// in the same run so the per-picture figures can be read as ratios on a busy machine.
static double baseline_ms() {
    std::clock_t c0 = std::clock();
    Canvas c = canvas_make(640, 480, 0);
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) at(c, x, y) = fbm(x * 0.01f, y * 0.01f, 6, 0.5f, 1);
    double ms = 1000.0 * (double)(std::clock() - c0) / CLOCKS_PER_SEC;
    std::printf("%-15s %4dx%-4d %7.1f ms cpu (one 6-octave noise fill)\n", "baseline", c.w, c.h,
                ms);
    return ms > 0 ? ms : 1e-3;
}

static int generate(const std::string& dir, bool timing) {
    const double base = timing ? baseline_ms() : 1;
    for (int i = 0; i < 8; i++) {
        const ImageSpec& s = image_specs[i];
        auto t0 = std::chrono::steady_clock::now();
        std::clock_t c0 = std::clock();
        Canvas c = s.paint(s.w, s.h);
        std::vector<uint8_t> grey =
            tone_map(c, tone_histogram(tone_targets[i], (uint32_t)(s.w * s.h)));
        auto t1 = std::chrono::steady_clock::now();
        double cpu = 1000.0 * (double)(std::clock() - c0) / CLOCKS_PER_SEC;
        if (!write_raw(dir + "/" + s.name + ".raw", grey)) return 1;
        if (timing)
            std::printf("%-15s %4dx%-4d %7.1f ms wall %7.1f ms cpu %5.1fx baseline\n", s.name, s.w,
                        s.h, std::chrono::duration<double, std::milli>(t1 - t0).count(), cpu,
                        cpu / base);
    }
    return 0;
}

//------------------------------------------------------------------------------------------
// Contact sheet
//------------------------------------------------------------------------------------------
// One row per picture: the grey picture on the left, its dithered view on the right.
static int sheet(const std::string& dir, const std::string& out) {
    const int cw = 640, ch = 480, gap = 8, w = 2 * cw + 3 * gap, h = 8 * (ch + gap) + gap;
    std::vector<uint8_t> page((size_t)w * h, 40), grey, dith;
    uint32_t state = 1;
    for (int i = 0; i < 8; i++) {
        const ImageSpec& s = image_specs[i];
        if (!read_raw(dir + "/" + s.name + ".raw", grey, (size_t)s.w * s.h)) return 1;
        dith.resize(grey.size());
        dither_preview(grey.data(), (int)grey.size(), &state, dith.data());
        int top = gap + i * (ch + gap);
        for (int y = 0; y < s.h; y++) {
            std::memcpy(&page[(size_t)(top + y) * w + gap], &grey[(size_t)y * s.w], s.w);
            std::memcpy(&page[(size_t)(top + y) * w + 2 * gap + cw], &dith[(size_t)y * s.w], s.w);
        }
    }
    if (!write_png_grey(out, page.data(), w, h)) return 1;
    std::printf("artgen: wrote %s\n", out.c_str());
    return 0;
}

//------------------------------------------------------------------------------------------
// Icon
//------------------------------------------------------------------------------------------
// <dir>/<n>x<n>/apps/quillow.png for every hicolor size, <dir>/icon_64.rgba: 64 x 64
// pixels, 4 bytes each (R, G, B, A), row-major from the top, for a program to embed, and
// <dir>/quillow.ico with Explorer's small, medium, large and extra large sizes.
static int icon(const std::string& dir) {
    static const int ico_sizes[] = {16, 32, 48, 256};
    std::vector<std::vector<uint8_t>> ico_pngs;
    const ImageSpec& bark = image_specs[7];
    std::vector<uint8_t> grey = tone_map(
        bark.paint(bark.w, bark.h), tone_histogram(tone_targets[7], (uint32_t)(bark.w * bark.h)));
    for (int n : icon_sizes) {
        std::string sub = dir + "/" + std::to_string(n) + "x" + std::to_string(n) + "/apps";
        std::error_code err;
        std::filesystem::create_directories(sub, err);
        if (err) {
            std::fprintf(stderr, "artgen: %s: %s\n", sub.c_str(), err.message().c_str());
            return 1;
        }
        std::vector<uint8_t> rgba = paint_icon(n, grey, bark.w);
        if (!write_png_rgba(sub + "/quillow.png", rgba.data(), n, n)) return 1;
        if (n == 64 && !write_raw(dir + "/icon_64.rgba", rgba)) return 1;
        if (std::find(std::begin(ico_sizes), std::end(ico_sizes), n) != std::end(ico_sizes))
            ico_pngs.push_back(png_rgba(rgba.data(), n, n));
    }
    const std::vector<uint8_t> ico = ico_file(ico_pngs, ico_sizes);
    return write_file_atomically(dir + "/quillow.ico", ico.data(), ico.size()) ? 0 : 1;
}

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
static int usage() {
    std::fprintf(stderr,
                 "usage: artgen [--time] <out-dir>\n"
                 "       artgen --sheet <raw-dir> <out.png>\n"
                 "       artgen --icon <out-dir>\n");
    return 2;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--sheet") == 0) return sheet(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--icon") == 0) return icon(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--time") == 0) return generate(argv[2], true);
    if (argc == 2 && argv[1][0] != '-') return generate(argv[1], false);
    return usage();
}
