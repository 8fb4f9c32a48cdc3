// The two music loops the game streams: well-formed 48 kHz 16-bit PCM, long enough, mastered
// to the agreed levels, never silent for long, and joining end to start without a click.
//
// Index: Reading WAV files / What a loop must meet / The two loops
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support.hpp"

using namespace support;

//------------------------------------------------------------------------------------------
// Reading WAV files
//------------------------------------------------------------------------------------------
namespace {

struct Wav {
    uint16_t format = 0, channels = 0, bits = 0, block_align = 0;
    uint32_t rate = 0, byte_rate = 0, riff_size = 0;
    size_t file_size = 0;
    std::vector<int16_t> samples;  // first channel only
    std::string error;
};

// Walks the RIFF chunks; any inconsistency is reported in error.
Wav read_wav(const std::string& path) {
    Wav w;
    const Bytes b = read_file(path);
    w.file_size = b.size();
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4)) {
        w.error = "not a RIFF/WAVE file: " + path;
        return w;
    }
    w.riff_size = get_le(&b[4], 4);
    bool data = false;
    for (size_t off = 12; off + 8 <= b.size();) {
        uint32_t size = get_le(&b[off + 4], 4);
        if (off + 8 + size > b.size()) {
            w.error = "chunk runs past the end of the file";
            return w;
        }
        const uint8_t* d = &b[off + 8];
        if (!std::memcmp(&b[off], "fmt ", 4) && size >= 16) {
            w.format = (uint16_t)get_le(d, 2), w.channels = (uint16_t)get_le(d + 2, 2);
            w.rate = get_le(d + 4, 4), w.byte_rate = get_le(d + 8, 4);
            w.block_align = (uint16_t)get_le(d + 12, 2), w.bits = (uint16_t)get_le(d + 14, 2);
        } else if (!std::memcmp(&b[off], "data", 4) && w.block_align >= 2) {
            data = true;
            for (uint32_t i = 0; i + w.block_align <= size; i += w.block_align)
                w.samples.push_back((int16_t)get_le(d + i, 2));
        }
        off += 8 + size + (size & 1);
    }
    if (!data || w.block_align == 0) w.error = "no format or no data chunk";
    return w;
}

double seconds(const Wav& w) { return (double)w.samples.size() / w.rate; }

double db(double v) { return 20 * std::log10(std::max(v, 1e-9) / 32768.0); }

double rms_db(const std::vector<int16_t>& s, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count; i++) sum += (double)s[i] * s[i];
    return db(std::sqrt(sum / (double)count));
}

}  // namespace

//------------------------------------------------------------------------------------------
// What a loop must meet
//------------------------------------------------------------------------------------------
namespace {

const std::string res = QUILLOW_RES_DIR;

void expect_well_formed(const Wav& w) {
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(w.format, 1) << "PCM";
    EXPECT_EQ(w.rate, 48000u);
    EXPECT_EQ(w.bits, 16);
    EXPECT_GE(w.channels, 1);
    EXPECT_EQ(w.block_align, w.channels * 2);
    EXPECT_EQ(w.byte_rate, w.rate * w.block_align);
    EXPECT_EQ(w.riff_size + 8, w.file_size);
    ASSERT_FALSE(w.samples.empty());
}

void expect_levels(const Wav& w) {
    int peak = 0;
    for (int16_t v : w.samples) peak = std::max(peak, std::abs((int)v));
    EXPECT_LE(db(peak), -1.0) << "peak above -1 dBFS";
    double level = rms_db(w.samples, 0, w.samples.size());
    EXPECT_NEAR(level, -16.0, 1.5) << "loudness";
}

// The step from the last sample to the first must look like the steps around it: a click
// is a jump far beyond the local slope of the waveform.
void expect_seamless(const Wav& w) {
    const std::vector<int16_t>& s = w.samples;
    const size_t n = s.size(), span = 48;
    int local = 0;
    for (size_t i = 1; i < span; i++) {
        local = std::max(local, std::abs(s[i] - s[i - 1]));
        local = std::max(local, std::abs(s[n - i] - s[n - i - 1]));
    }
    int join = std::abs(s[0] - s[n - 1]);
    EXPECT_LE(join, 2 * local + 64) << "loop join steps " << join << ", nearby steps " << local;
    // Nor a fade at either end: the last and first half-seconds play at the loop's level.
    const size_t win = w.rate / 2;
    double whole = rms_db(s, 0, n);
    EXPECT_GT(rms_db(s, n - win, win), whole - 6.0) << "the loop fades out";
    EXPECT_GT(rms_db(s, 0, win), whole - 6.0) << "the loop fades in";
}

void expect_never_silent(const Wav& w) {
    const size_t win = w.rate / 2;
    for (size_t at = 0; at + win <= w.samples.size(); at += win)
        EXPECT_GT(rms_db(w.samples, at, win), -40.0)
            << "silent half-second at " << (double)at / w.rate << " s";
}

}  // namespace

//------------------------------------------------------------------------------------------
// The two loops
//------------------------------------------------------------------------------------------
TEST(MusicTheme, IsALoudEnoughLongLoopingWav) {
    Wav w = read_wav(res + "/ost.wav");
    expect_well_formed(w);
    if (HasFatalFailure()) return;
    EXPECT_GE(seconds(w), 20.0);
    EXPECT_LE(seconds(w), 180.0);
    expect_levels(w);
    expect_seamless(w);
    expect_never_silent(w);
}

TEST(MusicRise, IsAShortSeamlessLoopingWav) {
    Wav w = read_wav(res + "/rise.wav");
    expect_well_formed(w);
    if (HasFatalFailure()) return;
    EXPECT_GE(seconds(w), 1.5);
    EXPECT_LE(seconds(w), 10.0);
    expect_levels(w);
    expect_seamless(w);
    expect_never_silent(w);
}

TEST(MusicFiles, AMalformedFileIsToldApart) {
    // The reader the checks above rely on must not pass a file that is not a WAV.
    TempDir dir;
    ASSERT_TRUE(write_file(dir / "not_a_wav.wav", text("RIFF....WAVEfmt \x10")));
    EXPECT_NE(read_wav(dir / "not_a_wav.wav").error, "");
    EXPECT_NE(read_wav(dir / "missing.wav").error, "");
}

TEST(MusicFiles, SdlMixerStreamsBothAsMusic) {
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(48000, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
    for (const char* name : {"/ost.wav", "/rise.wav"}) {
        Mix_Music* m = Mix_LoadMUS((res + name).c_str());
        EXPECT_NE(m, nullptr) << name << ": " << Mix_GetError();
        if (m) {
            EXPECT_EQ(Mix_GetMusicType(m), MUS_WAV);
            Mix_FreeMusic(m);
        }
    }
    Mix_CloseAudio();
    SDL_Quit();
}
