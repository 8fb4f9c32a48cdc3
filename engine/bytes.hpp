// Private to the engine: the one way it reads numbers out of bytes and writes them into its
// own files. Data from outside (recordings, image and sound headers) is read through a
// ByteReader: any read past the end marks it failed and gives 0, so a caller makes a run of
// reads and checks `ok` once, and nothing is ever read outside the buffer, whatever it holds.
// The plain field functions are for bytes whose length was checked before.
//
// Index: Fields / Reader
#pragma once

#include <cstddef>
#include <cstdint>

//------------------------------------------------------------------------------------------
// Fields
//------------------------------------------------------------------------------------------
inline uint8_t* put8(uint8_t* p, uint32_t v) {
    *p = static_cast<uint8_t>(v);
    return p + 1;
}

// `bytes` (1 to 8) low bytes of v, least significant first; returns the byte after them.
inline uint8_t* put_le(uint8_t* p, uint64_t v, int32_t bytes) {
    for (int32_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    return p + bytes;
}

inline uint64_t get_le(const uint8_t* p, int32_t bytes) {
    uint64_t v = 0;
    for (int32_t i = 0; i < bytes; ++i) v |= uint64_t{p[i]} << (8 * i);
    return v;
}

inline uint64_t get_be(const uint8_t* p, int32_t bytes) {
    uint64_t v = 0;
    for (int32_t i = 0; i < bytes; ++i) v = v << 8 | p[i];
    return v;
}

// A four-character code as take_be(4) reads it.
constexpr uint32_t fourcc(const char* four) {
    return uint32_t(uint8_t(four[0])) << 24 | uint32_t(uint8_t(four[1])) << 16 |
           uint32_t(uint8_t(four[2])) << 8 | uint8_t(four[3]);
}

//------------------------------------------------------------------------------------------
// Reader
//------------------------------------------------------------------------------------------
// Reads move p towards end; a read that does not fit fails the reader, and every read
// after that gives 0 and moves nothing.
struct ByteReader {
    const uint8_t* p;    // the next byte
    const uint8_t* end;  // one past the last
    bool ok;

    // Whether the next n bytes are there (and nothing failed yet).
    bool has(size_t n) const { return ok && size_t(end - p) >= n; }

    // The next `bytes` (1 to 8) as a little-endian or big-endian number.
    uint64_t take(int32_t bytes) {
        return fits(size_t(bytes)) ? advance(get_le(p, bytes), bytes) : 0;
    }
    uint64_t take_be(int32_t bytes) {
        return fits(size_t(bytes)) ? advance(get_be(p, bytes), bytes) : 0;
    }
    void skip(size_t n) {
        if (fits(n)) p += n;
    }
    // Whether the next four bytes spell `four` (see fourcc); they are taken either way.
    bool tag(const char* four) {
        const uint64_t code = take_be(4);
        return ok && code == fourcc(four);
    }

private:
    bool fits(size_t n) {
        if (!has(n)) ok = false;
        return ok;
    }
    uint64_t advance(uint64_t v, int32_t bytes) {
        p += bytes;
        return v;
    }
};

// A reader of bytes[at..size); failed from the start when `at` lies past the end.
inline ByteReader byte_reader(const uint8_t* bytes, size_t size, size_t at = 0) {
    if (at > size) return {bytes + size, bytes + size, false};
    return {bytes + at, bytes + size, true};
}
