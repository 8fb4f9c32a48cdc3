// Image decoding for the registry: the format is told by the data's first bytes (PNG, JPEG,
// QOI, BMP), whatever the file was called, and decoded by SDL2_image or SDL; anything else
// goes to SDL's BMP decoder, whose message then says what was wrong. Only these four decoders
// are reachable: SDL2_image knows more formats, but each of them would be one more parser for
// hostile files.
//
// Before a decoder runs, the size the header declares is checked against the renderer's
// largest texture and against what the file's bytes can possibly hold (the bytes plain rows
// take, or the best compression each format allows), so a few bytes that declare a huge
// picture never reach an allocation.
//
// Index: Header fields / Formats / Size checks / Decoding
#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "engine_state.hpp"
#include "media_checks.hpp"
#include "resources_internal.hpp"

//------------------------------------------------------------------------------------------
// Header fields
//------------------------------------------------------------------------------------------
static uint32_t be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
static uint32_t be32(const uint8_t* p) { return be16(p) << 16 | be16(p + 2); }

//------------------------------------------------------------------------------------------
// Formats
//------------------------------------------------------------------------------------------
struct ImageHeader {
    const char* name;  // for messages
    int64_t width, height;
    // Most pixels one byte of the file can stand for in this format; 0: no exact bound (the
    // general one of media_checks.hpp applies).
    int64_t pixels_per_byte;
    SDL_Surface* (*decode)(SDL_RWops* stream);
    int64_t least_bytes = 0;  // plain rows: every byte the decoder reads; 0 when compressed
};

static const uint8_t PNG_MAGIC[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The first chunk is IHDR: length, "IHDR", width, height (big-endian). Deflate expands a
// byte into at most 1032, and a byte of 1-bit pixels holds 8 of them.
static bool png_header(const uint8_t* b, int32_t size, ImageHeader* h) {
    if (size < 24 || memcmp(b + 12, "IHDR", 4) != 0) return false;
    *h = {"PNG", be32(b + 16), be32(b + 20), 1032 * 8, IMG_LoadPNG_RW};
    return true;
}

// "qoif", width, height (big-endian), channels, colour space. One byte of run can stand for
// 62 pixels.
static bool qoi_header(const uint8_t* b, int32_t size, ImageHeader* h) {
    if (size < 14) return false;
    *h = {"QOI", be32(b + 4), be32(b + 8), 62, IMG_LoadQOI_RW};
    return true;
}

static bool is_sof(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments up to the first frame header (SOF0..SOF15): length, precision, height,
// width. Progressive files can code long runs of empty blocks in a few bits, so only the
// texture limit bounds a JPEG.
static bool jpeg_header(const uint8_t* b, int32_t size, ImageHeader* h) {
    int64_t at = 2;
    while (at + 4 <= size) {
        if (b[at] != 0xFF) return false;
        const uint8_t marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            at += 1;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            at += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return false;  // scan or end before a frame
        const int64_t length = be16(b + at + 2);
        if (is_sof(marker)) {
            if (length < 7 || at + 9 > size) return false;
            *h = {"JPEG", be16(b + at + 7), be16(b + at + 5), 0, IMG_LoadJPG_RW};
            return true;
        }
        at += 2 + length;
    }
    return false;
}

static SDL_Surface* load_bmp(SDL_RWops* stream) { return SDL_LoadBMP_RW(stream, 0); }

// Bytes per row as SDL's BMP decoder reads them: rows of 1, 2 and 4 bits byte by byte (the
// last one needs no padding), deeper ones a whole 4-byte-aligned row of the surface at a
// time (8 to 32 bits, whole bytes per pixel); false for depths it refuses before reading.
static bool bmp_rows(int64_t width, int64_t bits, int64_t* row, int64_t* last) {
    if (bits == 1 || bits == 2 || bits == 4) {
        *last = (width * bits + 7) / 8;
        *row = (*last + 3) & ~int64_t{3};
        return true;
    }
    if (bits < 8 || bits > 32) return false;
    *row = *last = (width * ((bits + 7) / 8) + 3) & ~int64_t{3};
    return true;
}

// A core header (12 bytes, 16-bit sizes) or an info header (40 bytes or more, signed 32-bit
// sizes, a negative height meaning rows top-down). SDL reads fields cut off by the end of
// the data as the bytes that are there and zeros, and goes on: so does this. Run-length
// coded rows (RLE8, RLE4) have no exact bound; any other coding is read as plain rows.
static bool bmp_header(const uint8_t* b, int32_t size, ImageHeader* h) {
    const ByteView v = {b, size_t(size)};
    const int64_t offset = v.le32(10), header = v.le32(14);
    const bool core = header == 12;
    int64_t width = 0, height = 0, bits = 0, compression = 0;
    if (core || header >= 40) {
        width = core ? int64_t(v.le16(18)) : int64_t(int32_t(v.le32(18)));
        height = core ? int64_t(v.le16(20)) : int64_t(int32_t(v.le32(22)));
        bits = core ? v.le16(24) : v.le16(28);
        compression = core ? 0 : v.le32(30);
    }
    if (height < 0) height = -height;
    *h = {"BMP", width, height, 0, load_bmp};
    int64_t row, last;
    const bool plain = compression != 1 && compression != 2;
    // (beyond any texture the size check refuses it; below, the products stay in 64 bits)
    if (plain && width > 0 && height > 0 && width <= INT32_MAX / 64 && height <= INT32_MAX / 64 &&
        bmp_rows(width, bits, &row, &last)) {
        h->least_bytes = offset + row * (height - 1) + last;
    }
    return true;
}

// The format and its header, by the first bytes; false for data of no format here, or a
// header cut short (the format's decoder then reports it).
static bool read_header(const uint8_t* b, int32_t size, ImageHeader* h, bool* known) {
    *known = true;
    if (size >= 8 && memcmp(b, PNG_MAGIC, 8) == 0) return png_header(b, size, h);
    if (size >= 4 && memcmp(b, "qoif", 4) == 0) return qoi_header(b, size, h);
    if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return jpeg_header(b, size, h);
    if (size >= 2 && b[0] == 'B' && b[1] == 'M') return bmp_header(b, size, h);
    *known = false;
    return false;
}

//------------------------------------------------------------------------------------------
// Size checks
//------------------------------------------------------------------------------------------
// The fewest bytes that can hold the declared picture: what plain rows take, what the
// format's best compression needs, or (with no exact bound) the general rule.
static int64_t least_bytes(const ImageHeader& h) {
    const int64_t pixels = h.width * h.height;
    if (h.least_bytes > 0) return h.least_bytes;
    if (h.pixels_per_byte > 0) return (pixels + h.pixels_per_byte - 1) / h.pixels_per_byte;
    return pixels > ORVEX_IMAGE_FREE_PIXELS ? pixels / ORVEX_IMAGE_PIXELS_PER_BYTE : 0;
}

// False, with the reason as SDL's error, when the declared size cannot be a picture we take.
static bool size_is_plausible(const ImageHeader& h, int32_t size, int64_t max_w, int64_t max_h) {
    if (max_w <= 0) max_w = ORVEX_IMAGE_MAX_SIDE;
    if (max_h <= 0) max_h = ORVEX_IMAGE_MAX_SIDE;
    if (h.width <= 0 || h.height <= 0 || h.width > max_w || h.height > max_h) {
        SDL_SetError("%s image declares %lldx%lld pixels; the renderer takes 1..%lldx%lld", h.name,
                     (long long)h.width, (long long)h.height, (long long)max_w, (long long)max_h);
        return false;
    }
    if (size < least_bytes(h)) {
        SDL_SetError("%s image declares %lldx%lld pixels, more than %d bytes can hold", h.name,
                     (long long)h.width, (long long)h.height, size);
        return false;
    }
    return true;
}

int32_t image_check_header(const uint8_t* bytes, int32_t size, int32_t max_width,
                           int32_t max_height) {
    ImageHeader header = {};
    bool known = false;
    const bool complete = size > 0 && read_header(bytes, size, &header, &known);
    if (known && !complete) {
        SDL_SetError("image data is cut short before its size");
        return -1;
    }
    if (known && !size_is_plausible(header, size, max_width, max_height)) return -1;
    return 0;
}

//------------------------------------------------------------------------------------------
// Decoding
//------------------------------------------------------------------------------------------
SDL_Surface* image_decode(const void* bytes, int32_t size) {
    const uint8_t* b = static_cast<const uint8_t*>(bytes);
    SDL_RendererInfo info = {};
    if (orvex.video.renderer) SDL_GetRendererInfo(orvex.video.renderer, &info);
    if (image_check_header(b, size, info.max_texture_width, info.max_texture_height) != 0)
        return nullptr;
    ImageHeader header = {};
    bool known = false;
    read_header(b, size, &header, &known);
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, size);
    if (!stream) return nullptr;
    SDL_Surface* surface = known ? header.decode(stream) : SDL_LoadBMP_RW(stream, 0);
    SDL_RWclose(stream);
    return surface;
}

void image_decoders_stop(void) { IMG_Quit(); }
