// Private to the engine: what an image or a sound declares in its header, checked before
// anything is decoded, so that a few hostile bytes cannot make a decoder allocate gigabytes,
// overflow a size or read past the data. Each check reads a format's magic and the sizes and
// rates it declares, and bounds them; data it cannot make sense of is left to the decoder,
// which refuses it cheaply. Fields are read with bytes.hpp's ByteReader.
#pragma once

#include <cstddef>
#include <cstdint>

//------------------------------------------------------------------------------------------
// Images (image_decode.cpp)
//------------------------------------------------------------------------------------------
// Side limit when the renderer reports none (SDL's software renderer): the usual largest
// texture of accelerated renderers.
constexpr int32_t ORVEX_IMAGE_MAX_SIDE = 16384;

// Images that no format bounds exactly (JPEG, run-length coded BMP) are taken as they are
// up to this many pixels; beyond it the data must hold at least one byte per
// ORVEX_IMAGE_PIXELS_PER_BYTE pixels, which real pictures of that size always do.
constexpr int64_t ORVEX_IMAGE_FREE_PIXELS = 4096 * 4096;
constexpr int64_t ORVEX_IMAGE_PIXELS_PER_BYTE = 1024;

// 0 when the image in `bytes` may be decoded: its declared width and height are within
// max_width x max_height (0: ORVEX_IMAGE_MAX_SIDE) and its data can hold that many pixels;
// -1 with the reason as SDL's error. Data of no format known here is left to the BMP
// decoder, which refuses it.
int32_t image_check_header(const uint8_t* bytes, int32_t size, int32_t max_width,
                           int32_t max_height);

//------------------------------------------------------------------------------------------
// Sounds
//------------------------------------------------------------------------------------------
// Lower sample rates are refused: no recording uses them, and converting from them to the
// device's rate multiplies a sound's size, and SDL's time to convert it, without bound.
constexpr int64_t ORVEX_SOUND_MIN_RATE = 1000;

// The audio device's format, as Mix_QuerySpec reports it.
struct SoundDevice {
    int32_t freq;
    uint16_t format;  // an SDL_AudioFormat
    int32_t channels;
};

// A WAV whose data chunk claims more bytes than the data holds still plays (SDL cuts it
// to what is there), but SDL first reserves what the chunk claims, up to 4 GiB. Decoding a
// copy with the claim cut to the bytes present gives the same sound without that.
struct SoundRepair {
    size_t length_at = 0;  // offset of the data chunk's length field; 0 when all is well
    uint32_t length = 0;   // the bytes present, to be written there (little-endian)
};

// 0 when the sound in `bytes` may be decoded by the mixer: its rate is at least
// ORVEX_SOUND_MIN_RATE, and converting it to the device's format needs a buffer the mixer
// can size (its sizes are signed 32-bit; SDL2_mixer 2.6 overflows past that); *repair says
// whether to decode a repaired copy instead. AIFF, 8SVX and VOC data is refused whatever it
// declares. -1 after one line on stderr that begins with `source`.
int32_t sound_check_header(const char* source, const uint8_t* bytes, size_t size,
                           SoundDevice device, SoundRepair* repair);
