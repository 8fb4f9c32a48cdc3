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
// Index: Formats / Size checks / Decoding
#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "bytes.hpp"
#include "engine_state.hpp"
#include "media_checks.hpp"
#include "resources_internal.hpp"

//------------------------------------------------------------------------------------------
// Formats
//------------------------------------------------------------------------------------------
// Each format's header function reads, after the magic, the declared width and height, and
// what bounds the bytes such a picture needs; false when the data ends before them.
struct ImageHeader {
    const char* name;  // for messages
    int64_t width, height;
    // Most pixels one byte of the file can stand for in this format; 0: no exact bound (the
    // general one of media_checks.hpp applies).
    int64_t pixels_per_byte;
    SDL_Surface* (*decode)(SDL_RWops* stream);
    int64_t least_bytes = 0;  // plain rows: every byte the decoder reads; 0 when compressed
};

// The first chunk is IHDR: length, "IHDR", width, height (big-endian). Deflate expands a
// byte into at most 1032, and a byte of 1-bit pixels holds 8 of them.
static bool png_header(ByteReader in, ImageHeader* h) {
    in.skip(4);
    const bool ihdr = in.tag("IHDR");
    const int64_t width = int64_t(in.take_be(4)), height = int64_t(in.take_be(4));
    *h = {"PNG", width, height, 1032 * 8, IMG_LoadPNG_RW};
    return ihdr && in.ok;
}

// Width, height (big-endian), channels, colour space. One byte of run can stand for 62
// pixels.
static bool qoi_header(ByteReader in, ImageHeader* h) {
    const int64_t width = int64_t(in.take_be(4)), height = int64_t(in.take_be(4));
    in.skip(2);
    *h = {"QOI", width, height, 62, IMG_LoadQOI_RW};
    return in.ok;
}

static bool is_sof(uint64_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The segments up to the first frame header (SOF0..SOF15): length, precision, height,
// width. Progressive files can code long runs of empty blocks in a few bits, so only the
// texture limit bounds a JPEG.
static bool jpeg_header(const uint8_t* b, size_t size, ImageHeader* h) {
    for (size_t at = 2;;) {
        ByteReader in = byte_reader(b, size, at);
        const uint64_t prefix = in.take(1), marker = in.take(1), length = in.take_be(2);
        if (!in.ok || prefix != 0xFF || marker == 0xDA || marker == 0xD9) return false;
        if (is_sof(marker)) {
            in.skip(1);
            const int64_t height = int64_t(in.take_be(2)), width = int64_t(in.take_be(2));
            *h = {"JPEG", width, height, 0, IMG_LoadJPG_RW};
            return in.ok && length >= 7;
        }
        const bool bare = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);  // no length
        at += marker == 0xFF ? 1 : bare ? 2 : 2 + length;  // 0xFF: a fill byte
    }
}

static SDL_Surface* load_bmp(SDL_RWops* stream) { return SDL_LoadBMP_RW(stream, 0); }

// Plain rows of `bits` per pixel as the format lays them out, 4-byte aligned; the last row
// of 1, 2 or 4 bits is read byte by byte and needs no padding. 0 for run-length coded rows
// (RLE8, RLE4), which have no exact bound, and for depths no decoder reads.
static int64_t bmp_least_bytes(int64_t offset, int64_t width, int64_t height, int64_t bits,
                               int64_t compression) {
    // (beyond any texture the size check refuses it; below, the products stay in 64 bits)
    if (compression == 1 || compression == 2 || width <= 0 || height <= 0 ||
        width > INT32_MAX / 64 || height > INT32_MAX / 64)
        return 0;
    if (bits != 1 && bits != 2 && bits != 4 && (bits < 8 || bits > 32)) return 0;
    const int64_t row = (width * bits + 31) / 32 * 4;
    const int64_t last = bits < 8 ? (width * bits + 7) / 8 : row;
    return offset + row * (height - 1) + last;
}

// A core header (12 bytes, 16-bit sizes) or an info header (40 bytes or more, signed 32-bit
// sizes, a negative height meaning rows top-down); other header sizes declare no size.
static bool bmp_header(ByteReader in, ImageHeader* h) {
    in.skip(8);  // file size, reserved
    const int64_t offset = int64_t(in.take(4)), header = int64_t(in.take(4));
    int64_t width = 0, height = 0, bits = 0, compression = 0;
    if (header == 12) {
        width = int64_t(in.take(2));
        height = int64_t(in.take(2));
        in.skip(2);  // planes
        bits = int64_t(in.take(2));
    } else if (header >= 40) {
        width = int32_t(in.take(4));
        height = int32_t(in.take(4));
        in.skip(2);
        bits = int64_t(in.take(2));
        compression = int64_t(in.take(4));
    }
    if (height < 0) height = -height;
    *h = {"BMP", width, height, 0, load_bmp};
    h->least_bytes = bmp_least_bytes(offset, width, height, bits, compression);
    return in.ok;
}

// The format and its header, by the first bytes; false for data of no format here, or a
// header cut short (the format's decoder then reports it).
static bool read_header(const uint8_t* b, int32_t size, ImageHeader* h, bool* known) {
    static const uint8_t PNG_MAGIC[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const size_t n = size > 0 ? size_t(size) : 0;
    *known = true;
    if (n >= 8 && memcmp(b, PNG_MAGIC, 8) == 0) return png_header(byte_reader(b, n, 8), h);
    if (n >= 4 && memcmp(b, "qoif", 4) == 0) return qoi_header(byte_reader(b, n, 4), h);
    if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return jpeg_header(b, n, h);
    if (n >= 2 && b[0] == 'B' && b[1] == 'M') return bmp_header(byte_reader(b, n, 2), h);
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
