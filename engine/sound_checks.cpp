// Sound header checks. The mixer picks its loader by the first four bytes: SDL's WAV loader
// for "RIFF" and "WAVE", its AIFF/8SVX loader for "FORM", its VOC loader for "Crea", its
// music decoders (which decode straight into the device's format) for anything else.
//
// The WAV loader reads the samples in their own format, then the mixer converts them to the
// device's format in one buffer whose size it computes as a signed 32-bit product: a long
// low-rate sound (or a header that claims 1 Hz) overflows it and corrupts the heap. So the
// rate, channels, sample size and length a WAV declares are read first, and the conversion
// the mixer would build from them is sized here in 64 bits. The AIFF and VOC loaders trust
// their data in ways no bound on declared sizes can make safe (they leak, wrap sizes or
// write past their buffers depending on how the chunks or blocks follow each other), so
// that data is refused by its first four bytes. So is MIDI: a sound is decoded whole before
// it plays, and a few dozen bytes of MIDI can ask for hours of it (as music it streams).
//
// Index: Refused formats / WAV / Checks
#include <SDL.h>

#include <climits>

#include "bytes.hpp"
#include "log.hpp"
#include "media_checks.hpp"

//------------------------------------------------------------------------------------------
// Refused formats
//------------------------------------------------------------------------------------------
struct RefusedSound {
    const char* magic;  // the first four bytes, as the mixer tells its loaders apart
    const char* name;   // for messages
    const char* formats;
};

static const RefusedSound refused_sounds[] = {
    {"FORM", "AIFF", "AIFF and 8SVX"},
    {"Crea", "VOC", "VOC"},
    {"MThd", "MIDI", "MIDI"},
};

static const RefusedSound* refused_sound(const uint8_t* bytes, size_t size) {
    for (const RefusedSound& r : refused_sounds) {
        ByteReader in = byte_reader(bytes, size);
        if (in.tag(r.magic)) return &r;
    }
    return nullptr;
}

//------------------------------------------------------------------------------------------
// WAV
//------------------------------------------------------------------------------------------
// What a WAV declares about its samples as the loader hands them to the mixer. freq 0 means
// the header leaves the decision to the loader, which refuses such data before it
// allocates anything.
struct DeclaredSound {
    SoundRepair repair;
    int64_t bytes = 0;  // decoded sample bytes, at most
    uint16_t format = 0;
    int64_t channels = 0;
    int64_t freq = 0;
};

// The fields of the first "fmt " chunk.
struct WavFormat {
    uint32_t coding = 0, channels = 0, rate = 0, bits = 0;
};

// Codings and what they decode to.
enum : uint32_t {
    WAV_PCM = 1,
    WAV_MS_ADPCM = 2,
    WAV_FLOAT = 3,
    WAV_ALAW = 6,
    WAV_MULAW = 7,
    WAV_IMA_ADPCM = 0x11,
    WAV_EXTENSIBLE = 0xFFFE,
};

// Decoded bytes for `data` bytes of data, and the decoded format; false for a coding SDL
// does not decode.
static bool wav_decoding(const WavFormat& f, int64_t data, DeclaredSound* d) {
    switch (f.coding) {
    case WAV_PCM:
        d->format = f.bits == 8 ? AUDIO_U8 : f.bits == 16 ? AUDIO_S16LSB : AUDIO_S32LSB;
        d->bytes = f.bits == 24 ? (data + 2) / 3 * 4 : data;  // 24-bit samples widen to 32
        return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    case WAV_FLOAT:
        d->format = AUDIO_F32LSB;
        d->bytes = data;
        return true;
    case WAV_ALAW:
    case WAV_MULAW:
        d->format = AUDIO_S16SYS;
        d->bytes = data * 2;
        return true;
    case WAV_MS_ADPCM:
    case WAV_IMA_ADPCM:  // 4-bit codes: at most two 16-bit samples per byte
        d->format = AUDIO_S16SYS;
        d->bytes = data * 4;
        return true;
    default: return false;
    }
}

static WavFormat wav_format(ByteReader chunk) {
    WavFormat f;
    f.coding = uint32_t(chunk.take(2));
    f.channels = uint32_t(chunk.take(2));
    f.rate = uint32_t(chunk.take(4));
    chunk.skip(6);  // byte rate, block size
    f.bits = uint32_t(chunk.take(2));
    chunk.skip(8);  // extension size, valid bits, channel mask
    const uint32_t sub = uint32_t(chunk.take(2));
    if (f.coding == WAV_EXTENSIBLE && chunk.ok) f.coding = sub;
    return f;
}

// SDL's loader takes the first "fmt " chunk, then the first "data" chunk, whose length it
// cuts to the bytes present; so does this, and *d->repair says where to cut a copy.
static void wav_declare(const uint8_t* bytes, size_t size, DeclaredSound* d) {
    ByteReader in = byte_reader(bytes, size);
    const bool riff = in.tag("RIFF");
    in.skip(4);  // the RIFF length
    if (!riff || !in.tag("WAVE")) return;
    WavFormat f;
    bool have_format = false;
    for (;;) {
        const uint32_t id = uint32_t(in.take_be(4)), length = uint32_t(in.take(4));
        if (!in.ok) return;
        const size_t body = size_t(in.p - bytes), present = size - body;
        if (id == fourcc("fmt ") && !have_format && in.has(16)) {
            f = wav_format(byte_reader(bytes, size, body));
            have_format = true;
        } else if (id == fourcc("data")) {
            if (!have_format || f.channels == 0 || f.rate == 0 || f.rate > INT_MAX) return;
            if (length > present) d->repair = {body - 4, uint32_t(present)};
            if (!wav_decoding(f, length < present ? length : present, d)) return;
            d->channels = uint8_t(f.channels);  // SDL_AudioSpec holds the channel count in 8 bits
            d->freq = f.rate;
            return;
        }
        in.skip(size_t(length) + (length & 1));
    }
}

//------------------------------------------------------------------------------------------
// Checks
//------------------------------------------------------------------------------------------
// The bytes of the buffer in which the mixer converts the sound to the device's format:
// the decoded bytes times SDL's growth factor for that conversion; 0 when there is no
// conversion or SDL cannot build it (the mixer then refuses the sound by itself).
static int64_t conversion_bytes(const DeclaredSound& d, SoundDevice device) {
    if (d.format == device.format && d.channels == device.channels && d.freq == device.freq)
        return 0;
    if (d.freq > INT_MAX || d.freq <= 0) return 0;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, d.format, uint8_t(d.channels), int(d.freq), device.format,
                          uint8_t(device.channels), device.freq) < 0) {
        SDL_ClearError();
        return 0;
    }
    return d.bytes * int64_t(cvt.len_mult);
}

// 0 when the declared sound fits the mixer, -1 after the line that says why not.
static int32_t check_declared(const char* source, const DeclaredSound& d, SoundDevice device) {
    if (d.freq == 0) return 0;
    if (d.freq < ORVEX_SOUND_MIN_RATE) {
        orvex_report_line("%s: WAV sound at %lld Hz is refused: the rate is below %lld Hz\n",
                          source, (long long)d.freq, (long long)ORVEX_SOUND_MIN_RATE);
        return -1;
    }
    const int64_t need = conversion_bytes(d, device);
    if (need > INT_MAX) {
        orvex_report_line(
            "%s: WAV sound of %lld bytes at %lld Hz, %lld channel(s) would take %lld bytes "
            "in the device's format (%d Hz, %d channels), more than the mixer can hold\n",
            source, (long long)d.bytes, (long long)d.freq, (long long)d.channels, (long long)need,
            device.freq, device.channels);
        return -1;
    }
    return 0;
}

int32_t sound_check_header(const char* source, const uint8_t* bytes, size_t size,
                           SoundDevice device, SoundRepair* repair) {
    *repair = {};
    if (const RefusedSound* r = refused_sound(bytes, size)) {
        orvex_report_line(
            "%s: %s sound refused: %s sounds are not supported (convert it to "
            "WAV or Ogg Vorbis)\n",
            source, r->name, r->formats);
        return -1;
    }
    DeclaredSound d;
    wav_declare(bytes, size, &d);
    *repair = d.repair;
    return check_declared(source, d, device);
}
