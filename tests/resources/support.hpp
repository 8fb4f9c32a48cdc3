// Shared by the registry, audio and drawing tests: a scratch directory, small BMP and WAV
// files built byte by byte, explicit file times, stderr capture and an engine per test.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "orvex.hpp"

namespace support {

using Bytes = std::vector<uint8_t>;

// A fresh directory under the system's temporary directory, removed with its contents.
struct TempDir {
    std::filesystem::path path;
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvex-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A 24-bit uncompressed BMP; pixel(x, y) gives 0xRRGGBB.
inline Bytes bmp(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& pixel) {
    const uint32_t row = uint32_t(w * 3 + 3) & ~3u;
    Bytes b = {'B', 'M'};
    put32(b, 54 + row * uint32_t(h));
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, uint32_t(w));
    put32(b, uint32_t(h));
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (int32_t y = h - 1; y >= 0; --y) {  // rows bottom-up
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = pixel(x, y);
            b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
        }
        b.resize(b.size() + (row - uint32_t(w) * 3), 0);
    }
    return b;
}

inline Bytes solid_bmp(int32_t w, int32_t h, uint32_t rgb = 0xFFFFFF) {
    return bmp(w, h, [rgb](int32_t, int32_t) { return rgb; });
}

// A mono 16-bit PCM WAV at 48 kHz of `frames` samples of a square wave.
inline Bytes wav(uint32_t frames) {
    Bytes b = {'R', 'I', 'F', 'F'};
    put32(b, 36 + frames * 2);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, 16);
    put16(b, 1);
    put16(b, 1);
    put32(b, 48000);
    put32(b, 48000 * 2);
    put16(b, 2);
    put16(b, 16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, frames * 2);
    for (uint32_t i = 0; i < frames; ++i) put16(b, (i / 50) % 2 ? 0x2000 : 0xE000);
    return b;
}

// Sets a file's modification time exactly, so that change scans need no waiting.
inline void set_mtime(const std::string& path, int64_t sec, int64_t nsec = 0) {
    struct timespec times[2] = {{time_t(sec), long(nsec)}, {time_t(sec), long(nsec)}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// Starts the engine for one test (hidden 64x64 window, audio as asked) and stops it after.
struct Engine {
    explicit Engine(int32_t mixer = 0, int32_t size = 64) {
        ORVEX_Config config{};
        config.width = config.height = size;
        config.scale = 1;
        config.mixer = mixer;
        config.title = "orvex test";
        started = ORVEX_Init(&config) == 0;
    }
    ~Engine() { ORVEX_Quit(); }
    bool started;
};

// Everything written to stderr (SDL_Log included) while `body` runs.
inline std::string stderr_of(const std::function<void()>& body) {
    testing::internal::CaptureStderr();
    body();
    return testing::internal::GetCapturedStderr();
}

}  // namespace support
