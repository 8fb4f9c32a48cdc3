// plinkwall_assets: paints the sprite sheet and synthesises the sounds and the music the game
// loads from res/ beside it, at build time: `plinkwall_assets <out-dir>` writes
// <out-dir>/res/sheet.png (through SDL2_image, as the engine saves its screenshots) and the
// 48 kHz 16-bit mono WAV files named in assets.hpp. Everything is computed, nothing is read.
// Each file is written beside its name first and renamed once complete, so an interrupted
// build leaves no cut file behind for the next one to take as made.
//
// Index: Files / Painting / Sprites / Sound / Effects / Music / Entry
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets.hpp"

//------------------------------------------------------------------------------------------
// Files
//------------------------------------------------------------------------------------------
namespace {

// Renames the finished "<path>.tmp" over path; a failed write (ok false) only removes it.
bool settle(const std::string& path, bool ok) {
    const std::string tmp = path + ".tmp";
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
    std::fprintf(stderr, "plinkwall_assets: cannot write %s\n", path.c_str());
    std::remove(tmp.c_str());
    return false;
}

//------------------------------------------------------------------------------------------
// Painting
//------------------------------------------------------------------------------------------
constexpr double PI = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

struct Sheet {
    std::vector<uint32_t> px = std::vector<uint32_t>(SHEET_W * SHEET_H, 0);  // 0xAARRGGBB
};

uint8_t channel(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

void put(Sheet* s, int32_t x, int32_t y, Rgb c, double alpha = 1.0) {
    if (x < 0 || y < 0 || x >= SHEET_W || y >= SHEET_H) return;
    s->px[y * SHEET_W + x] = uint32_t(channel(alpha)) << 24 | uint32_t(channel(c.r)) << 16 |
                             uint32_t(channel(c.g)) << 8 | channel(c.b);
}

Rgb shade(Rgb c, double k) { return {c.r * k, c.g * k, c.b * k}; }
Rgb mixed(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A bevelled block: light on the top and left edges, dark on the bottom and right, a soft
// highlight band across the upper half.
void block(Sheet* s, SheetRect r, Rgb base, int32_t bevel) {
    for (int32_t y = 0; y < r.h; ++y) {
        for (int32_t x = 0; x < r.w; ++x) {
            const int32_t edge = std::min({x, y, r.w - 1 - x, r.h - 1 - y});
            double k = 1.0 - 0.25 * y / r.h;
            if (edge < bevel) k = (x < bevel || y < bevel) && x + y < r.w ? 1.45 : 0.55;
            if (edge >= bevel && y < r.h / 2 && y > bevel) k += 0.12;
            put(s, r.x + x, r.y + y, shade(base, k));
        }
    }
}

//------------------------------------------------------------------------------------------
// Sprites
//------------------------------------------------------------------------------------------
constexpr Rgb ROW_COLOURS[BRICK_ROWS] = {
    {0.93, 0.23, 0.30}, {0.98, 0.55, 0.18}, {0.96, 0.84, 0.22},
    {0.35, 0.82, 0.36}, {0.22, 0.70, 0.95}, {0.62, 0.40, 0.92},
};

void paint_bricks(Sheet* s) {
    for (int32_t row = 0; row < BRICK_ROWS; ++row) block(s, brick_slot(row), ROW_COLOURS[row], 3);
    const SheetRect hard = brick_slot(SLOT_HARD);
    block(s, hard, {0.62, 0.66, 0.72}, 3);
    for (int32_t x : {6, hard.w - 8}) {  // rivets
        for (int32_t y : {6, hard.h - 8}) {
            block(s, {hard.x + x, hard.y + y, 3, 3}, {0.85, 0.88, 0.92}, 1);
        }
    }
    // The cracks: dark zigzags on a clear slot, drawn over the hard brick once it is hit.
    const SheetRect cracks = brick_slot(SLOT_CRACKS);
    for (int32_t x = 0; x < cracks.w; ++x) {
        const int32_t y = cracks.h / 2 + ((x / 4) % 2 ? x % 4 : 4 - x % 4) - 2;
        put(s, cracks.x + x, cracks.y + y, {0.10, 0.10, 0.14}, 0.9);
        if (x % 13 == 5) {
            for (int32_t d = 1; d < 6; ++d)
                put(s, cracks.x + x + d / 2, cracks.y + y - d, {0.1, 0.1, 0.14});
        }
    }
}

// A capsule with a glowing middle stripe.
void paint_bat(Sheet* s) {
    const SheetRect r = SPRITE_BAT;
    const double radius = r.h / 2.0;
    for (int32_t y = 0; y < r.h; ++y) {
        for (int32_t x = 0; x < r.w; ++x) {
            const double cx = std::clamp(x + 0.5, radius, r.w - radius);
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - radius);
            if (d > radius) continue;
            const double light = 1.0 - 0.6 * (y + 0.5) / r.h;
            Rgb c = mixed({0.20, 0.85, 0.95}, {0.95, 1.0, 1.0}, light * light);
            if (x > radius && x < r.w - radius && (y == r.h / 2 || y == r.h / 2 - 1))
                c = {1.0, 0.45, 0.75};
            put(s, r.x + x, r.y + y, c, std::min(1.0, (radius - d) * 1.5));
        }
    }
}

// A shaded sphere lit from the top left.
void paint_ball(Sheet* s, SheetRect r, Rgb base) {
    const double radius = r.w / 2.0;
    for (int32_t y = 0; y < r.h; ++y) {
        for (int32_t x = 0; x < r.w; ++x) {
            const double dx = x + 0.5 - radius, dy = y + 0.5 - radius;
            const double d = std::hypot(dx, dy);
            if (d > radius) continue;
            const double spot = std::hypot(dx + radius / 3, dy + radius / 3) / radius;
            put(s, r.x + x, r.y + y, mixed({1, 1, 1}, base, std::min(1.0, spot)),
                std::min(1.0, (radius - d) * 1.5));
        }
    }
}

// The walls' riveted steel tile and the dark, faintly gridded backdrop tile.
void paint_tiles(Sheet* s) {
    block(s, SPRITE_WALL, {0.36, 0.40, 0.52}, 2);
    block(s, {SPRITE_WALL.x + 6, SPRITE_WALL.y + 6, 4, 4}, {0.55, 0.58, 0.70}, 1);
    const SheetRect b = SPRITE_BACK;
    for (int32_t y = 0; y < b.h; ++y) {
        for (int32_t x = 0; x < b.w; ++x) {
            const bool grid = x == 0 || y == 0;
            const double glow = 0.5 + 0.5 * std::sin((x + y) * PI / b.w);
            put(s, b.x + x, b.y + y,
                grid ? Rgb{0.10, 0.13, 0.26} : Rgb{0.04, 0.05 + 0.02 * glow, 0.12 + 0.03 * glow});
        }
    }
}

bool write_sheet(const std::string& path) {
    Sheet sheet;
    paint_bricks(&sheet);
    paint_bat(&sheet);
    paint_ball(&sheet, SPRITE_BALL, {0.95, 0.95, 0.80});
    paint_ball(&sheet, SPRITE_LIFE, {0.20, 0.85, 0.95});
    paint_tiles(&sheet);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        sheet.px.data(), SHEET_W, SHEET_H, 32, SHEET_W * 4, SDL_PIXELFORMAT_ARGB8888);
    const bool ok = surface && IMG_SavePNG(surface, (path + ".tmp").c_str()) == 0;
    if (!ok) std::fprintf(stderr, "plinkwall_assets: %s: %s\n", path.c_str(), SDL_GetError());
    SDL_FreeSurface(surface);
    return settle(path, ok);
}

//------------------------------------------------------------------------------------------
// Sound
//------------------------------------------------------------------------------------------
constexpr int32_t RATE = 48000;

using Samples = std::vector<float>;

void put_le(std::vector<uint8_t>* b, uint32_t v, int32_t bytes) {
    for (int32_t i = 0; i < bytes; ++i) b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// 16-bit mono PCM, peaks scaled to `peak` of full scale.
bool write_wav(const std::string& path, const Samples& s, double peak) {
    double most = 1e-9;
    for (float v : s) most = std::max(most, double(std::fabs(v)));
    const uint32_t data = static_cast<uint32_t>(s.size() * 2);
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
    put_le(&b, 36 + data, 4);
    for (char c : std::string("WAVEfmt ")) b.push_back(static_cast<uint8_t>(c));
    put_le(&b, 16, 4);
    put_le(&b, 1, 2);  // PCM
    put_le(&b, 1, 2);  // mono
    put_le(&b, RATE, 4);
    put_le(&b, RATE * 2, 4);
    put_le(&b, 2, 2);
    put_le(&b, 16, 2);
    for (char c : std::string("data")) b.push_back(static_cast<uint8_t>(c));
    put_le(&b, data, 4);
    for (float v : s) put_le(&b, uint16_t(int16_t(std::lround(v / most * peak * 32767))), 2);
    FILE* f = std::fopen((path + ".tmp").c_str(), "wb");
    bool ok = f && std::fwrite(b.data(), 1, b.size(), f) == b.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    return settle(path, ok);
}

// A note mixed in at `at` seconds: a square (duty 0 < d < 1) or triangle (d = 0) wave whose
// pitch glides from hz to hz_end, with a short attack and an exponential fall.
void note(Samples* s, double at, double len, double hz, double hz_end, double duty, double vol) {
    const int64_t start = int64_t(at * RATE), n = int64_t(len * RATE);
    double phase = 0;
    for (int64_t i = 0; i < n; ++i) {
        const double t = double(i) / n;
        phase += (hz + (hz_end - hz) * t) / RATE;
        const double p = phase - std::floor(phase);
        const double wave = duty > 0 ? (p < duty ? 1.0 : -1.0) : 4 * std::fabs(p - 0.5) - 1;
        const double env = std::min(1.0, i / (0.004 * RATE)) * std::exp(-4.0 * t);
        const size_t at_i = size_t(start + i);
        if (at_i >= s->size()) s->resize(at_i + 1, 0.0f);
        (*s)[at_i] += static_cast<float>(wave * env * vol);
    }
}

// Noise from a fixed linear congruential sequence, falling off over `len` seconds.
void noise(Samples* s, double at, double len, double vol, uint32_t seed) {
    const int64_t start = int64_t(at * RATE), n = int64_t(len * RATE);
    for (int64_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double v = (seed >> 8) / double(1 << 24) * 2 - 1;
        const size_t at_i = size_t(start + i);
        if (at_i >= s->size()) s->resize(at_i + 1, 0.0f);
        (*s)[at_i] += static_cast<float>(v * vol * std::exp(-6.0 * i / n));
    }
}

double midi(double key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

//------------------------------------------------------------------------------------------
// Effects
//------------------------------------------------------------------------------------------
// One per SOUND_* bit, in SOUND_FILES order.
Samples effect(int32_t which) {
    Samples s;
    switch (which) {
    case 0: note(&s, 0, 0.08, 520, 640, 0.5, 1); break;   // bat
    case 1: note(&s, 0, 0.05, 300, 280, 0.25, 1); break;  // wall
    case 2:                                               // brick
        note(&s, 0, 0.10, 880, 1320, 0.5, 0.8);
        note(&s, 0.03, 0.08, 1760, 1760, 0, 0.6);
        break;
    case 3:  // a hard brick cracks
        note(&s, 0, 0.12, 180, 120, 0.3, 0.7);
        noise(&s, 0, 0.10, 0.5, 7);
        break;
    case 4: note(&s, 0, 0.45, 440, 110, 0.5, 1); break;  // ball lost
    case 5:                                              // game over
        for (int32_t i = 0; i < 4; ++i)
            note(&s, 0.18 * i, 0.3, midi(67 - 3 * i), midi(66 - 3 * i), 0.5, 1);
        break;
    case 6:  // wall cleared
        for (int32_t i = 0; i < 5; ++i)
            note(&s, 0.07 * i, 0.2, midi(72 + 4 * (i % 3) + 12 * (i / 3)),
                 midi(72 + 4 * (i % 3) + 12 * (i / 3)), 0.5, 0.8);
        break;
    default:  // start
        for (int32_t i = 0; i < 3; ++i)
            note(&s, 0.09 * i, 0.16, midi(64 + 5 * i), midi(64 + 5 * i), 0.25, 0.9);
        break;
    }
    return s;
}

//------------------------------------------------------------------------------------------
// Music
//------------------------------------------------------------------------------------------
// Sixteen bars of 4/4 at 132 beats a minute over A minor - F - C - G: a triangle bass on the
// beats, a square arpeggio in sixteenths, a lead that plays every other four bars, a hat.
Samples music(void) {
    constexpr double BEAT = 60.0 / 132.0;
    constexpr int32_t BARS = 16;
    constexpr int32_t ROOTS[4] = {57, 53, 48, 55};
    constexpr int32_t CHORDS[4][3] = {{0, 3, 7}, {0, 4, 7}, {0, 4, 7}, {0, 4, 7}};
    constexpr int32_t LEAD[16] = {12, 15, 19, 17, 15, 12, 10, 12, 7, 10, 12, 15, 14, 12, 10, 7};
    Samples s(size_t(BARS * 4 * BEAT * RATE), 0.0f);
    for (int32_t bar = 0; bar < BARS; ++bar) {
        const int32_t root = ROOTS[bar % 4];
        const double t0 = bar * 4 * BEAT;
        for (int32_t beat = 0; beat < 4; ++beat) {
            note(&s, t0 + beat * BEAT, BEAT * 0.9, midi(root - 12), midi(root - 12), 0, 0.55);
            noise(&s, t0 + (beat + 0.5) * BEAT, 0.04, 0.08, uint32_t(bar * 4 + beat));
        }
        for (int32_t i = 0; i < 16; ++i) {
            const int32_t key = root + 12 + CHORDS[bar % 4][i % 3] + (i % 6 == 5 ? 12 : 0);
            note(&s, t0 + i * BEAT / 4, BEAT / 4, midi(key), midi(key), 0.125, 0.10);
        }
        if ((bar / 4) % 2 == 1) {
            for (int32_t i = 0; i < 4; ++i) {
                const int32_t key = 57 + 12 + LEAD[(bar % 4) * 4 + i];
                note(&s, t0 + i * BEAT, BEAT * 0.95, midi(key), midi(key), 0.5, 0.18);
            }
        }
    }
    s.resize(size_t(BARS * 4 * BEAT * RATE));  // tails past the end are cut: the loop joins
    return s;
}

}  // namespace

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: plinkwall_assets OUT_DIR   (writes OUT_DIR/res/...)\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir + "/res", error);
    if (error) {
        std::fprintf(stderr, "plinkwall_assets: %s/res: %s\n", dir.c_str(),
                     error.message().c_str());
        return 1;
    }
    bool ok = write_sheet(dir + "/" + SHEET_FILE);
    for (int32_t i = 0; i < SOUND_COUNT; ++i)
        ok = write_wav(dir + "/" + SOUND_FILES[i], effect(i), 0.7) && ok;
    ok = write_wav(dir + "/" + MUSIC_FILE, music(), 0.5) && ok;
    return ok ? 0 : 1;
}
