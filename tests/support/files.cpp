// Test files built in memory and written whole; the formats are the plainest each reader
// accepts.
//
// Index: Directories and whole files / Little-endian fields / Images / Sounds
#include "files.hpp"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>

namespace support {

namespace fs = std::filesystem;

//------------------------------------------------------------------------------------------
// Directories and whole files
//------------------------------------------------------------------------------------------
// A name no other test process picks: random bits plus a per-process counter.
static std::string unique_name(const char* prefix) {
    static std::atomic<uint32_t> counter{0};
    static const uint64_t salt = std::random_device{}() * 0x9E3779B97F4A7C15ull;
    return prefix + std::to_string(salt ^ counter.fetch_add(1));
}

fs::path scratch_path(const char* prefix) {
    return fs::temp_directory_path() / unique_name(prefix);
}

TempDir::TempDir() {
    do path = scratch_path("quillow-");
    while (!fs::create_directory(path));
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
    return utf8_of(path / utf8_path(name));
}

fs::path utf8_path(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string utf8_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream out(utf8_path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

bool write_file_atomic(const std::string& path, const Bytes& bytes) {
    const std::string scratch = path + "." + unique_name("part-");
    if (!write_file(scratch, bytes)) return false;
    std::error_code error;
    fs::rename(utf8_path(scratch), utf8_path(path), error);
    if (error) fs::remove(utf8_path(scratch), error);
    return !error;
}

Bytes read_file(const std::string& path) {
    std::ifstream in(utf8_path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Windows keeps file times in 100 ns ticks since 1601, but std::filesystem there sets them
// through the C library, in whole seconds only: the ticks are set directly instead.
bool set_mtime(const std::string& path, int64_t sec, int64_t nsec) {
#ifdef _WIN32
    const std::wstring wide = utf8_path(path).wstring();
    HANDLE file = CreateFileW(wide.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const uint64_t ticks = uint64_t(sec * 10000000 + nsec / 100 + 116444736000000000);
    const FILETIME time = {DWORD(ticks), DWORD(ticks >> 32)};
    const bool set = SetFileTime(file, nullptr, nullptr, &time) != 0;
    CloseHandle(file);
    return set;
#else
    using namespace std::chrono;
    const sys_time<nanoseconds> when{seconds{sec} + nanoseconds{nsec}};
    std::error_code error;
#if defined(_LIBCPP_VERSION)
    // LLVM's C++ library (Emscripten's) has no from_sys; its file clock counts from the same
    // epoch as the system clock.
    const fs::file_time_type stamp{
        duration_cast<fs::file_time_type::duration>(when.time_since_epoch())};
#else
    const fs::file_time_type stamp = file_clock::from_sys(when);
#endif
    fs::last_write_time(utf8_path(path), stamp, error);
    return !error;
#endif
}

//------------------------------------------------------------------------------------------
// Little-endian fields
//------------------------------------------------------------------------------------------
void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

uint32_t get_le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

static void put_tag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(tag[i]));
}

//------------------------------------------------------------------------------------------
// Images
//------------------------------------------------------------------------------------------
Bytes bmp(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& pixel) {
    const uint32_t row = uint32_t(w * 3 + 3) & ~3u;
    Bytes b = {'B', 'M'};
    put32(b, 54 + row * uint32_t(h));
    put32(b, 0);
    put32(b, 54);  // pixel data offset
    put32(b, 40);  // BITMAPINFOHEADER
    put32(b, uint32_t(w));
    put32(b, uint32_t(h));
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (int32_t y = h - 1; y >= 0; --y) {  // rows bottom-up
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = pixel(x, y);
            b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
        }
        b.resize(b.size() + (row - uint32_t(w) * 3), 0);
    }
    return b;
}

Bytes solid_bmp(int32_t w, int32_t h, uint32_t rgb) {
    return bmp(w, h, [rgb](int32_t, int32_t) { return rgb; });
}

Bytes qoi(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& pixel) {
    Bytes b = {'q', 'o', 'i', 'f'};
    for (uint32_t v : {uint32_t(w), uint32_t(h)}) {
        b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
    b.insert(b.end(), {4, 0});
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = pixel(x, y);
            b.insert(b.end(), {0xFF, uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0xFF});
        }
    }
    b.insert(b.end(), {0, 0, 0, 0, 0, 0, 0, 1});
    return b;
}

//------------------------------------------------------------------------------------------
// Sounds
//------------------------------------------------------------------------------------------
// The title chunk: the name, a NUL, padded to an even size.
static Bytes title_chunk(const std::string& title) {
    const uint32_t size = uint32_t(title.size() + 2) & ~1u;
    Bytes b;
    put_tag(b, "LIST");
    put32(b, 4 + 8 + size);
    put_tag(b, "INFO");
    put_tag(b, "INAM");
    put32(b, size);
    b.insert(b.end(), title.begin(), title.end());
    b.resize(b.size() + (size - title.size()), 0);
    return b;
}

Bytes wav(const WavShape& shape) {
    const Bytes list = shape.title.empty() ? Bytes{} : title_chunk(shape.title);
    const uint32_t data = shape.frames * 2;
    Bytes b;
    put_tag(b, "RIFF");
    put32(b, 4 + 24 + uint32_t(list.size()) + 8 + data);
    put_tag(b, "WAVE");
    put_tag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, shape.rate);
    put32(b, shape.rate * 2);
    put16(b, 2);  // block align
    put16(b, 16);
    b.insert(b.end(), list.begin(), list.end());
    put_tag(b, "data");
    put32(b, data);
    for (uint32_t i = 0; i < shape.frames; ++i) {
        put16(b, shape.silent ? 0 : (i / 50) % 2 ? 0x2000 : 0xE000);
    }
    return b;
}

}  // namespace support
