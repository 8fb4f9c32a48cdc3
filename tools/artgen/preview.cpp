// The contact sheet: the dither the game shows, and a minimal PNG writer (8-bit grey or RGBA,
// zlib stream of stored blocks, so no compression library is needed). Files are written to a
// temporary name and renamed, so a failed write never leaves a half-written picture.
#include "artgen.hpp"
#include "../common/write_file.hpp"

#include <cstdio>

//------------------------------------------------------------------------------------------
// Dither
//------------------------------------------------------------------------------------------
void dither_preview(const uint8_t* grey, int n, uint32_t* state, uint8_t* out) {
    uint32_t s = *state;
    for (int i = 0; i < n; i++) {
        s = s * 1103515245u + 12345u;
        uint32_t v = ((s >> 16) & 0x7fff) % 255;
        out[i] = v < grey[i] ? 254 : 0;
    }
    *state = s;
}

//------------------------------------------------------------------------------------------
// PNG chunks
//------------------------------------------------------------------------------------------
static uint32_t crc32(uint32_t crc, const uint8_t* p, size_t n) {
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    crc = ~crc;
    for (size_t i = 0; i < n; i++) crc = table[(crc ^ p[i]) & 255] ^ (crc >> 8);
    return ~crc;
}

static void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back((uint8_t)(v >> s));
}

static void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, (uint32_t)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(0, out.data() + start, out.size() - start));
}

// zlib stream of stored deflate blocks over the filtered rows (filter byte 0 per row) of
// `row` bytes each.
static std::vector<uint8_t> zlib_stored(const uint8_t* pix, size_t row, int h) {
    std::vector<uint8_t> raw;
    raw.reserve((row + 1) * h);
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), pix + (size_t)y * row, pix + (size_t)(y + 1) * row);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t off = 0; off < raw.size(); off += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - off);
        z.push_back(off + n == raw.size() ? 1 : 0);
        z.push_back((uint8_t)n);
        z.push_back((uint8_t)(n >> 8));
        z.push_back((uint8_t)~n);
        z.push_back((uint8_t)(~n >> 8));
        z.insert(z.end(), raw.begin() + off, raw.begin() + off + n);
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);
    return z;
}

//------------------------------------------------------------------------------------------
// Writing
//------------------------------------------------------------------------------------------
// colour_type is PNG's: 0 grey (1 byte a pixel), 6 RGBA (4 bytes); always 8 bits a channel.
static std::vector<uint8_t> png(const uint8_t* pix, int w, int h, uint8_t colour_type,
                                int channels) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, (uint32_t)w);
    put32(ihdr, (uint32_t)h);
    ihdr.insert(ihdr.end(), {8, colour_type, 0, 0, 0});  // deflate, no filter, no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", zlib_stored(pix, (size_t)w * channels, h));
    chunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> png_rgba(const uint8_t* pix, int w, int h) { return png(pix, w, h, 6, 4); }

bool write_png_grey(const std::string& path, const uint8_t* pix, int w, int h) {
    const std::vector<uint8_t> out = png(pix, w, h, 0, 1);
    return write_file_atomically(path, out.data(), out.size());
}

bool write_png_rgba(const std::string& path, const uint8_t* pix, int w, int h) {
    const std::vector<uint8_t> out = png_rgba(pix, w, h);
    return write_file_atomically(path, out.data(), out.size());
}
