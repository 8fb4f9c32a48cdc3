// Sound header checks. The mixer loads WAV, AIFF (and 8SVX) and VOC data with a loader that
// reads the samples in their own format, then converts them to the device's format in one
// buffer whose size it computes as a signed 32-bit product: a long low-rate sound (or a
// header that claims 1 Hz) overflows it and corrupts the heap. Each format's header gives
// rate, channels, sample size and length; the conversion that the mixer would build from
// them is sized here first, in 64 bits. The AIFF and VOC loaders also trust their headers
// in ways that leak, wrap sizes or write past their buffers, so their data is walked the way
// the loader walks it and refused where the loader would go wrong. Other data goes to the
// mixer's music decoders, which decode straight into the device's format.
//
// Index: Declared sounds / WAV / AIFF / VOC / Conversion / Checks
#include <SDL.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "media_checks.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// Declared sounds
//------------------------------------------------------------------------------------------
// What a header declares about its samples as the loader will hand them to the mixer.
// freq 0 means the header leaves the decision to the loader, which refuses such data
// before it allocates anything.
struct DeclaredSound {
    SoundRepair repair;
    int64_t bytes = 0;  // decoded sample bytes, at most
    uint16_t format = 0;
    int64_t channels = 0;
    int64_t freq = 0;
};

struct SoundFormat {
    const char* name;
    bool (*matches)(ByteView v);
    // Fills *d; a non-null result is the reason the data must not reach the loader.
    const char* (*declare)(ByteView v, DeclaredSound* d);
};

//------------------------------------------------------------------------------------------
// WAV
//------------------------------------------------------------------------------------------
// SDL's own loader: chunks after "RIFF" <size> "WAVE", the first "fmt " then the first
// "data", whose length is cut to the bytes present. Codings and what they decode to:
enum : uint32_t {
    WAV_PCM = 1,
    WAV_MS_ADPCM = 2,
    WAV_FLOAT = 3,
    WAV_ALAW = 6,
    WAV_MULAW = 7,
    WAV_IMA_ADPCM = 0x11,
    WAV_EXTENSIBLE = 0xFFFE,
};

static bool wav_matches(ByteView v) { return v.tag(0, "RIFF") || v.tag(0, "WAVE"); }

// Decoded bytes per byte of data, as a fraction, and the decoded format; false for a
// coding SDL does not decode.
static bool wav_decoding(uint32_t coding, uint32_t bits, DeclaredSound* d, int64_t data) {
    switch (coding) {
    case WAV_PCM:
        d->format = bits == 8 ? AUDIO_U8 : bits == 16 ? AUDIO_S16LSB : AUDIO_S32LSB;
        d->bytes = bits == 24 ? (data + 2) / 3 * 4 : data;  // 24-bit samples widen to 32
        return bits == 8 || bits == 16 || bits == 24 || bits == 32;
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

static const char* wav_declare(ByteView v, DeclaredSound* d) {
    if (!v.tag(0, "RIFF") || !v.tag(8, "WAVE")) return nullptr;
    uint32_t coding = 0, channels = 0, rate = 0, bits = 0;
    bool have_format = false;
    for (size_t at = 12; v.has(at, 8);) {
        const uint32_t length = v.le32(at + 4);
        const size_t body = at + 8;
        if (v.tag(at, "fmt ") && !have_format && v.has(body, 16)) {
            coding = v.le16(body);
            channels = v.le16(body + 2);
            rate = v.le32(body + 4);
            bits = v.le16(body + 14);
            if (coding == WAV_EXTENSIBLE && v.has(body, 26)) coding = v.le16(body + 24);
            have_format = true;
        } else if (v.tag(at, "data")) {
            if (!have_format || channels == 0 || rate == 0 || rate > INT_MAX) return nullptr;
            const int64_t present = int64_t(v.size - body);
            if (length > present) d->repair = {at + 4, uint32_t(present)};
            if (!wav_decoding(coding, bits, d, length < present ? length : present)) return nullptr;
            d->channels = uint8_t(channels);  // SDL_AudioSpec holds the channel count in 8 bits
            d->freq = rate;
            return nullptr;
        }
        at = body + length + (length & 1);
    }
    return nullptr;
}

//------------------------------------------------------------------------------------------
// AIFF
//------------------------------------------------------------------------------------------
// The mixer's AIFF loader walks chunks until it has COMM and SSND (8SVX: VHDR and BODY),
// stopping at a chunk of length 0. It allocates channels x frames x bytes per sample (in
// 32 bits) and reads that much from the SSND data; if the data is shorter the read fails
// and the allocation leaks. So the declared samples must all be present, without wrapping.
static bool aiff_matches(ByteView v) { return v.tag(0, "FORM"); }

// The sample rate of an 80-bit extended float, as the loader converts it; 0 when out of
// the 32-bit range (which the loader refuses).
static uint32_t aiff_rate(const uint8_t* sane) {
    if ((sane[0] & 0x80) || sane[0] <= 0x3F || sane[0] > 0x40 ||
        (sane[0] == 0x40 && sane[1] > 0x1C))
        return 0;
    return (uint32_t(sane[2]) << 23 | uint32_t(sane[3]) << 15 | uint32_t(sane[4]) << 7 |
            uint32_t(sane[5]) >> 1) >>
           (29 - sane[1]);
}

struct AiffChunks {
    bool comm = false, ssnd = false, vhdr = false, body = false;
    uint32_t channels = 0, frames = 0, sample_bits = 0, rate = 0;
    int64_t start = 0;  // where the samples begin
};

// One chunk at `at`; a non-null result is a reason to refuse.
static const char* aiff_chunk(ByteView v, size_t at, uint32_t length, AiffChunks* c) {
    const size_t body = at + 8;
    if (v.tag(at, "SSND")) {
        if (!v.has(body, 8)) return "its SSND chunk is cut short";
        c->ssnd = true;
        c->start = int64_t(body) + 8 + v.be32(body);
    } else if (v.tag(at, "COMM")) {
        if (!v.has(body, 18)) return "its COMM chunk is cut short";
        c->comm = true;
        c->channels = v.be16(body);
        c->frames = v.be32(body + 2);
        c->sample_bits = v.be16(body + 6);
        c->rate = aiff_rate(v.bytes + body + 8);
    } else if (v.tag(at, "VHDR")) {
        if (!v.has(body, 14)) return "its VHDR chunk is cut short";
        c->vhdr = true;
        c->rate = v.be16(body + 12);
        c->channels = 1;
        c->sample_bits = 8;
    } else if (v.tag(at, "BODY")) {
        c->body = true;
        c->frames = length;
        c->start = int64_t(body < v.size ? body : v.size);
    }
    return nullptr;
}

static const char* aiff_declare(ByteView v, DeclaredSound* d) {
    // "FORM" <length> "AIFF" | "8SVX"; the loader also takes "FORM" followed directly by a
    // form type that reads as "AIFF" in the other byte order.
    size_t at = 12;
    bool aiff = v.tag(8, "AIFF"), svx = v.tag(8, "8SVX");
    if (v.has(4, 4) && v.be32(4) == 0x46464941u) {
        at = 8;
        aiff = true;
        svx = false;
    }
    if (!aiff && !svx) return nullptr;
    AiffChunks c;
    while (aiff ? !(c.comm && c.ssnd) : !(c.vhdr && c.body)) {
        const uint32_t length = v.be32(at + 4);  // as the loader reads it, also when cut off
        if (length == 0) break;
        if (const char* problem = aiff_chunk(v, at, length, &c)) return problem;
        at += 8 + size_t(length) + (length & 1);
    }
    if (aiff ? !(c.comm && c.ssnd) : !(c.vhdr && c.body)) return nullptr;
    if ((aiff && c.rate == 0) || (c.sample_bits != 8 && c.sample_bits != 16)) return nullptr;
    const int64_t bytes = int64_t(c.channels) * c.frames * (c.sample_bits / 8);
    if (bytes == 0 || bytes > UINT32_MAX) return "its sample count is 0 or does not fit 32 bits";
    if (c.start + bytes > int64_t(v.size)) return "it declares more samples than the data holds";
    if (c.rate == 0) return nullptr;
    d->bytes = bytes;
    d->format = c.sample_bits == 8 ? AUDIO_S8 : AUDIO_S16MSB;
    d->channels = uint8_t(c.channels);
    d->freq = c.rate;
    return nullptr;
}

//------------------------------------------------------------------------------------------
// VOC
//------------------------------------------------------------------------------------------
// The mixer's VOC loader grows its buffer block by block, but trusts each block: a length
// below its header wraps to 4 GiB, an empty block makes the next one land past the buffer,
// a silence block after a rate of 256 divides by zero, a total past 4 GiB wraps, and a
// failure after the first block leaks. The walk below follows the loader step by step (its
// block reader, then its read-and-grow loop) and refuses data on any of these.
constexpr uint32_t VOC_NO_RATE = 0xFFFFFFFFu;

struct VocWalk {
    ByteView v;
    size_t at = 0;
    uint32_t rate = VOC_NO_RATE;
    bool extended = false;  // an extended block sets the rate of the data block after it
    uint32_t sample_size = 0;
    uint32_t block_channels = 0;
    int64_t spec_channels = 0, spec_freq = 0;
    int64_t rest = 0;  // bytes of the current block not yet taken
    bool silent = false;
    bool cut = false;  // the current block's data runs past the end (read short, unchecked)
    const char* unsafe = nullptr;  // what the loader would do wrong without failing
};

static bool voc_matches(ByteView v) { return v.tag(0, "Crea"); }

// A data block of `length` bytes, which the loader goes on to read without checking that
// they are there.
static const char* voc_take_data(VocWalk* w, int64_t length) {
    w->cut = !w->v.has(w->at, size_t(length));
    w->rest = length;
    return nullptr;
}

static const char* voc_rate(VocWalk* w, uint32_t rate) {
    if (rate == 0) return "a block has a rate of zero";
    if (w->rate != VOC_NO_RATE && rate != w->rate) return "its blocks' rates differ";
    w->rate = rate;
    return nullptr;
}

static const char* voc_sound_block(VocWalk* w, uint32_t type, uint32_t length) {
    const ByteView& v = w->v;
    const char* problem = nullptr;
    if (type == 1) {  // 8-bit data
        if (!v.has(w->at, 2)) return "a data block is cut short";
        if (length < 2) w->unsafe = "a data block is shorter than its header";
        if (!w->extended) {
            if ((problem = voc_rate(w, v.bytes[w->at]))) return problem;
            // The loader keeps the low 16 bits of the rate (1e6 for a code of 255 becomes
            // 16960); taken through 32 bits here, where the conversion is defined.
            w->spec_freq = uint16_t(int32_t(1000000.0 / (256 - w->rate)));
            w->block_channels = 1;
        }
        if (v.bytes[w->at + 1] != 0) return "a data block is not 8-bit";
        w->at += 2;
        w->extended = false;
        w->sample_size = 1;
        return voc_take_data(w, int64_t(length) - 2);
    }
    if (type == 9) {  // data with its own rate, size and channels
        if (!v.has(w->at, 12)) return "a data block is cut short";
        if (length < 12) w->unsafe = "a data block is shorter than its header";
        if ((problem = voc_rate(w, v.le32(w->at)))) return problem;
        w->spec_freq = int32_t(w->rate);
        const uint8_t bits = v.bytes[w->at + 4];
        if (bits != 8 && bits != 16) return "a data block has an unknown sample size";
        w->sample_size = bits / 8;
        w->block_channels = v.bytes[w->at + 5];
        w->at += 12;
        return voc_take_data(w, int64_t(length) - 12);
    }
    if (!v.has(w->at, 3)) return "a silence block is cut short";  // type 3, silence
    uint32_t period = v.le16(w->at);
    const uint32_t code = v.bytes[w->at + 2];
    if (code == 0) return "a silence block has a rate of zero";
    if (w->rate != VOC_NO_RATE && code != w->rate) {
        const uint32_t divisor = 256u - w->rate;  // unsigned, as the loader computes it
        if (divisor == 0) {
            w->unsafe = "a silence block follows a rate of 256";
            return nullptr;
        }
        period = uint16_t(period * (256 - code) / divisor);
    } else {
        w->rate = code;
    }
    w->at += 3;
    w->rest = period;
    w->silent = true;
    return nullptr;
}

// An extended block: rate and stereo for the data block after it.
static const char* voc_extended_block(VocWalk* w) {
    const ByteView& v = w->v;
    if (!v.has(w->at, 4)) return "an extended block is cut short";
    w->extended = true;
    if (const char* problem = voc_rate(w, v.le16(w->at))) return problem;
    if (v.bytes[w->at + 2] != 0) return "an extended block is not 8-bit";
    w->spec_channels = v.bytes[w->at + 3] ? 2 : 1;
    w->spec_freq = (256000000 / (65536 - int64_t(w->rate))) / w->spec_channels;
    w->at += 4;
    return nullptr;
}

// The loader's block reader, entered with nothing left of the current block: 1 with the
// next sound or silence block in w->rest (possibly 0), 0 at the end (a terminator, or no
// complete block header), -1 where the loader fails, with *problem set. Like the loader it
// consumes a terminator, so a later call reads on past it. What the loader would get wrong
// without failing is noted in w->unsafe.
static int32_t voc_next_block(VocWalk* w, const char** problem) {
    const ByteView& v = w->v;
    w->silent = false;
    for (;;) {
        if (!v.has(w->at, 1)) return 0;
        const uint32_t type = v.bytes[w->at++];
        if (type == 0 || !v.has(w->at, 3)) return 0;
        const uint32_t length = v.bytes[w->at] | v.bytes[w->at + 1] << 8 | v.bytes[w->at + 2] << 16;
        w->at += 3;
        if (type == 1 || type == 3 || type == 9) *problem = voc_sound_block(w, type, length);
        if (type == 2) *problem = voc_take_data(w, length);  // continuation of the data
        if (type == 1 || type == 2 || type == 3 || type == 9) return *problem ? -1 : 1;
        if (type == 8) {
            if ((*problem = voc_extended_block(w))) return -1;
            continue;
        }
        const size_t skip = length + (type == 4 ? 2 : 0);  // a marker's two bytes, then its length
        if (!v.has(w->at, skip)) {
            *problem = "a block runs past the end of the data";
            return -1;
        }
        w->at += skip;
    }
}

// The loader's read-and-grow loop: every block's bytes must land inside the room the
// previous step added, and nothing may fail once the buffer exists.
static const char* voc_declare(ByteView v, DeclaredSound* d) {
    VocWalk w;
    w.v = v;
    static const char signature[] = "Creative Voice File\x1a";
    if (!v.has(0, 22) || memcmp(v.bytes, signature, 20) != 0) return nullptr;
    w.at = v.le16(20);
    const char* problem = nullptr;
    if (voc_next_block(&w, &problem) < 0) return problem;
    if (w.unsafe) return w.unsafe;
    if (w.rate == VOC_NO_RATE || w.sample_size == 0 || w.rest == 0) return nullptr;
    if (w.cut) return "a block runs past the end of the data";
    d->format = w.sample_size == 2 ? AUDIO_S16SYS : AUDIO_U8;
    if (w.spec_channels == 0) w.spec_channels = w.block_channels;
    int64_t total = w.rest, room = w.rest;
    for (;;) {
        if (w.rest == 0) {
            const int32_t next = voc_next_block(&w, &problem);
            if (w.unsafe) return w.unsafe;
            if (next < 0 || w.rest == 0) break;  // the loader stops here, without a failure
        }
        if (w.rest > room) return "a block lands past the loader's buffer";
        if (!w.silent && w.cut) return "a block runs past the end of the data";
        const int64_t done = w.silent ? w.rest : w.rest / int64_t(w.sample_size);
        if (!w.silent) w.at += size_t(w.rest);
        w.rest = 0;
        if (done == 0) break;
        if (voc_next_block(&w, &problem) < 0) return problem;
        if (w.unsafe) return w.unsafe;
        total += w.rest;
        if (total > UINT32_MAX) return "its total length does not fit 32 bits";
        room = w.rest;
    }
    d->bytes = total;
    d->channels = uint8_t(w.spec_channels);
    d->freq = w.spec_freq;
    return nullptr;
}

//------------------------------------------------------------------------------------------
// Conversion
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

//------------------------------------------------------------------------------------------
// Checks
//------------------------------------------------------------------------------------------
// Mixer loaders by the first four bytes, as the mixer chooses them.
static const SoundFormat sound_formats[] = {
    {"WAV", wav_matches, wav_declare},
    {"AIFF", aiff_matches, aiff_declare},
    {"VOC", voc_matches, voc_declare},
};

int32_t sound_check_header(const char* source, const uint8_t* bytes, size_t size,
                           SoundDevice device, SoundRepair* repair) {
    const ByteView v = {bytes, size};
    *repair = {};
    for (const SoundFormat& format : sound_formats) {
        if (!format.matches(v)) continue;
        DeclaredSound d;
        if (const char* problem = format.declare(v, &d)) {
            orvex_report_line("%s: %s sound refused: %s\n", source, format.name, problem);
            return -1;
        }
        *repair = d.repair;
        if (d.freq == 0) return 0;
        if (d.freq < ORVEX_SOUND_MIN_RATE) {
            orvex_report_line("%s: %s sound at %lld Hz is refused: the rate is below %lld Hz\n",
                              source, format.name, (long long)d.freq,
                              (long long)ORVEX_SOUND_MIN_RATE);
            return -1;
        }
        const int64_t need = conversion_bytes(d, device);
        if (need > INT_MAX) {
            orvex_report_line(
                "%s: %s sound of %lld bytes at %lld Hz, %lld channel(s) would take %lld bytes "
                "in the device's format (%d Hz, %d channels), more than the mixer can hold\n",
                source, format.name, (long long)d.bytes, (long long)d.freq, (long long)d.channels,
                (long long)need, device.freq, device.channels);
            return -1;
        }
        return 0;
    }
    return 0;
}
