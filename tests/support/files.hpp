// Files for tests: a scratch directory per test, whole files written and read back, small
// BMP and WAV files built byte by byte, and modification times set exactly so that change
// scans need no waiting. Portable: std::filesystem throughout, paths as UTF-8 text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace support {

using Bytes = std::vector<uint8_t>;

//------------------------------------------------------------------------------------------
// Directories and whole files
//------------------------------------------------------------------------------------------
// A fresh directory under the system's temporary directory, removed with its contents.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The path of `name` in the directory, as UTF-8.
    std::string operator/(const std::string& name) const;
    std::filesystem::path path;
};

// Paths as the engine takes them, UTF-8 text, and as the file system library takes them. On
// Windows a path made from plain text would be read in the system's code page instead.
std::filesystem::path utf8_path(const std::string& path);
std::string utf8_of(const std::filesystem::path& path);

// A path in the temporary directory that no other test process picks; nothing is created.
std::filesystem::path scratch_path(const char* prefix);

bool write_file(const std::string& path, const Bytes& bytes);  // replaces any old file
// Writes beside `path` and renames over it, so that a reader in another process sees the old
// file or the new one, never half of it.
bool write_file_atomic(const std::string& path, const Bytes& bytes);
Bytes read_file(const std::string& path);  // empty when it cannot be read
Bytes text(const std::string& s);          // the characters as bytes, no terminator

// Sets the file's modification time to `sec` seconds and `nsec` nanoseconds since 1970.
bool set_mtime(const std::string& path, int64_t sec, int64_t nsec = 0);

//------------------------------------------------------------------------------------------
// Little-endian fields
//------------------------------------------------------------------------------------------
void put16(Bytes& b, uint32_t v);
void put32(Bytes& b, uint32_t v);
uint32_t get_le(const uint8_t* p, int bytes);

//------------------------------------------------------------------------------------------
// Images
//------------------------------------------------------------------------------------------
// A 24-bit uncompressed BMP; pixel(x, y) gives 0xRRGGBB.
Bytes bmp(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& pixel);
Bytes solid_bmp(int32_t w, int32_t h, uint32_t rgb = 0xFFFFFF);
// The simplest valid QOI stream: the header, one QOI_OP_RGBA per pixel (opaque), the end
// marker; pixel(x, y) gives 0xRRGGBB.
Bytes qoi(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& pixel);

//------------------------------------------------------------------------------------------
// Sounds
//------------------------------------------------------------------------------------------
struct WavShape {
    uint32_t frames = 4800;  // mono 16-bit samples
    uint32_t rate = 48000;
    bool silent = false;     // all zero; otherwise a square wave at a quarter of full scale
    std::string title = "";  // when set, a LIST/INFO/INAM chunk carries it (Mix_GetMusicTitle)
};
Bytes wav(const WavShape& shape = {});

}  // namespace support
