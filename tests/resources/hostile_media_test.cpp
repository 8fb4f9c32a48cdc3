// Images and sounds whose headers lie or ask too much: refused, with a message, before any
// decoder allocates for them, on load and on reload, while ordinary files load as before.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "bytes.hpp"
#include "engine_state.hpp"
#include "support.hpp"

using namespace support;

namespace {

void put_be16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void put_be32(Bytes& b, uint32_t v) {
    put_be16(b, v >> 16);
    put_be16(b, v & 0xFFFF);
}
void put_tag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(tag[i]));
}

// A PCM WAV of `bytes` sample bytes (silence) at any rate, channels and sample size.
Bytes pcm_wav(uint32_t rate, uint16_t channels, uint16_t bits, uint32_t bytes) {
    Bytes b;
    put_tag(b, "RIFF");
    put32(b, 36 + bytes);
    put_tag(b, "WAVE");
    put_tag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * bits / 8);
    put16(b, uint16_t(channels * bits / 8));
    put16(b, bits);
    put_tag(b, "data");
    put32(b, bytes);
    b.resize(b.size() + bytes, bits == 8 ? 0x80 : 0);
    return b;
}

// An AIFF of `frames` 8-bit mono frames at `rate` Hz (a power of two), holding `present`.
Bytes aiff(uint32_t rate, uint32_t frames, uint32_t present) {
    Bytes b;
    put_tag(b, "FORM");
    put_be32(b, 4 + 26 + 16 + present);
    put_tag(b, "AIFF");
    put_tag(b, "COMM");
    put_be32(b, 18);
    put_be16(b, 1);
    put_be32(b, frames);
    put_be16(b, 8);
    int exponent = 0;
    while ((2u << exponent) <= rate) ++exponent;
    put_be16(b, uint32_t(0x3FFF + exponent));  // 80-bit extended: rate = 1.0 x 2^exponent
    put_be32(b, 0x80000000u);
    put_be32(b, 0);
    put_tag(b, "SSND");
    put_be32(b, 8 + present);
    put_be32(b, 0);
    put_be32(b, 0);
    b.resize(b.size() + present, 0);
    return b;
}

// A VOC of 8-bit data blocks of the given lengths (0 makes an empty block).
Bytes voc(std::initializer_list<uint32_t> blocks) {
    const char signature[] = "Creative Voice File\x1a";
    Bytes b(signature, signature + 20);
    put16(b, 26);
    put16(b, 0x010A);
    put16(b, 0x1129);
    for (uint32_t n : blocks) {
        const uint32_t length = n + 2;
        b.insert(b.end(), {1, uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16)});
        b.insert(b.end(), {0xA6, 0});  // 11 kHz, 8-bit
        b.resize(b.size() + n, 0x80);
    }
    b.push_back(0);
    return b;
}

// A BMP header alone, claiming w x h pixels of `bits` bits.
Bytes bmp_header(int32_t w, int32_t h, uint16_t bits, uint32_t compression = 0) {
    Bytes b = {'B', 'M'};
    put32(b, 54);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, uint32_t(w));
    put32(b, uint32_t(h));
    put16(b, 1);
    put16(b, bits);
    put32(b, compression);
    for (int i = 0; i < 5; ++i) put32(b, 0);
    return b;
}

ResourceId from_memory(ResourceType type, const Bytes& b) {
    return ORVEX_LoadResourceFromMemory(type, b.data(), uint32_t(b.size()));
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(HostileMedia, SoundsTooLargeForTheDeviceOrUnsafeForTheMixerAreRefused) {
    Engine engine(headless_config(64, 64, 1));
    ASSERT_TRUE(engine.started);
    ASSERT_NE(orvex.config.mixer, 0) << "no audio device";

    // 7 MB at 8 kHz would take 2.7 GB in the device's format; 1 MB at 1 Hz would take
    // terabytes (and an age to convert), and is refused by its rate alone.
    std::string err = stderr_of(
        [] { EXPECT_EQ(from_memory(ORVEX_RESOURCE_SOUND, pcm_wav(8000, 1, 8, 7 << 20)), 0u); });
    EXPECT_TRUE(has(err,
                    "ORVEX_LoadResourceFromMemory: WAV sound of 7340032 bytes at 8000 Hz, "
                    "1 channel(s) would take "))
        << err;
    EXPECT_TRUE(has(err, "more than the mixer can hold")) << err;
    err = stderr_of(
        [] { EXPECT_EQ(from_memory(ORVEX_RESOURCE_SOUND, pcm_wav(1, 1, 8, 1 << 20)), 0u); });
    EXPECT_EQ(err,
              "ORVEX_LoadResourceFromMemory: WAV sound at 1 Hz is refused: the rate is "
              "below 1000 Hz\n");
    // AIFF (and 8SVX) and VOC data is refused whatever it declares, valid or not: the mixer's
    // loaders for them mishandle some of it (missing samples leak, an empty block followed
    // by another writes past the buffer), and no bound on declared sizes tells which.
    const std::string aiff_refused =
        ": AIFF sound refused: AIFF and 8SVX sounds are not supported (convert it to WAV or "
        "Ogg Vorbis)\n";
    const std::string voc_refused =
        ": VOC sound refused: VOC sounds are not supported (convert it to WAV or Ogg Vorbis)\n";
    const std::string midi_refused =
        ": MIDI sound refused: MIDI sounds are not supported (convert it to WAV or Ogg Vorbis)\n";
    const struct {
        Bytes bytes;
        const std::string& message;
    } refused[] = {
        {aiff(2, 1 << 16, 1 << 16), aiff_refused},  // 2 Hz
        {aiff(8192, 4096, 16), aiff_refused},       // samples missing
        {aiff(8192, 4096, 4096), aiff_refused},     // valid
        {voc({100, 0, 1000}), voc_refused},         // an empty block, then another
        {voc({100, 1000}), voc_refused},            // valid
        // MIDI at the slowest tempo: a few bytes ask for minutes of samples per beat.
        {{'M',  'T', 'h',  'd',  0,    0,   0,    6,  0,   0,    0,    1,
          0,    1,   'M',  'T',  'r',  'k', 0,    0,  0,   14,   0,    0xFF,
          0x51, 3,   0xFF, 0xFF, 0xFF, 0,   0x90, 60, 100, 0x8F, 0x7F, 0x80},
         midi_refused},
    };
    for (const auto& r : refused) {
        err = stderr_of([&] { EXPECT_EQ(from_memory(ORVEX_RESOURCE_SOUND, r.bytes), 0u); });
        EXPECT_EQ(err, "ORVEX_LoadResourceFromMemory" + r.message);
    }

    // Ordinary ones load, also a WAV cut short (SDL plays what is there); a reload that would
    // overflow, or of a VOC, keeps the sound it has.
    Bytes cut = pcm_wav(22050, 1, 16, 4410);
    cut[40] = cut[41] = cut[42] = cut[43] = 0xFF;  // the data chunk claims 4 GiB
    EXPECT_NE(from_memory(ORVEX_RESOURCE_SOUND, cut), 0u);
    TempDir dir;
    const std::string path = dir / "hit.wav";
    write_file(path, pcm_wav(22050, 1, 16, 4410));
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    ASSERT_NE(id, 0u);
    Mix_Chunk* chunk = ORVEX_GetResourceData(id)->sound.chunk;
    write_file(path, pcm_wav(1, 1, 8, 1 << 20));
    err = stderr_of([&] { EXPECT_EQ(ORVEX_ReloadResource(id), -1); });
    EXPECT_TRUE(has(err, path + ": WAV sound at 1 Hz is refused")) << err;
    write_file(path, voc({100, 1000}));
    err = stderr_of([&] { EXPECT_EQ(ORVEX_ReloadResource(id), -1); });
    EXPECT_EQ(err, path + voc_refused);
    EXPECT_EQ(ORVEX_GetResourceData(id)->sound.chunk, chunk);
}

TEST(HostileMedia, ImagesLargerThanTheirDataOrTheLargestTextureAreRefusedFirst) {
    Engine engine;
    ASSERT_TRUE(engine.started);
    SDL_RendererInfo info{};
    ASSERT_EQ(SDL_GetRendererInfo(ORVEX_GetRenderer(), &info), 0);
    const std::string largest =
        info.max_texture_width > 0
            ? std::to_string(info.max_texture_width) + "x" + std::to_string(info.max_texture_height)
            : "16384x16384";
    const int64_t before = resident_mib();

    // 54 bytes claiming 30000 x 30000.
    const std::string too_large =
        "BMP image declares 30000x30000 pixels; the renderer takes 1.." + largest + "\n";
    std::string err = stderr_of(
        [] { EXPECT_EQ(from_memory(ORVEX_RESOURCE_IMAGE, bmp_header(30000, 30000, 24)), 0u); });
    EXPECT_TRUE(has(err, too_large)) << err;
    // Within the largest texture but far beyond the data: plain rows (bottom-up or top-down)
    // or run-length coded.
    for (const Bytes& header : {bmp_header(16000, -16000, 32), bmp_header(16000, 16000, 8, 1)}) {
        err = stderr_of([&] { EXPECT_EQ(from_memory(ORVEX_RESOURCE_IMAGE, header), 0u); });
        EXPECT_TRUE(has(err, "BMP image declares 16000x16000 pixels, more than 54 bytes can hold"))
            << err;
    }
    EXPECT_LT(peak_mib() - before, 256);  // gigabytes without the checks

    // The bound is what the decoder reads: all of it loads, a byte less does not.
    Bytes exact = bmp(3, 2, [](int32_t, int32_t) { return 0xFF0000u; });
    EXPECT_NE(from_memory(ORVEX_RESOURCE_IMAGE, exact), 0u) << SDL_GetError();
    exact.pop_back();
    err = stderr_of([&] { EXPECT_EQ(from_memory(ORVEX_RESOURCE_IMAGE, exact), 0u); });
    EXPECT_TRUE(has(err, "BMP image declares 3x2 pixels, more than 77 bytes can hold")) << err;
    // On reload too: the old picture stays.
    TempDir dir;
    const std::string path = dir / "sprite.bmp";
    write_file(path, solid_bmp(4, 4));
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    write_file(path, bmp_header(30000, 30000, 24));
    err = stderr_of([&] { EXPECT_EQ(ORVEX_ReloadResource(id), -1); });
    EXPECT_TRUE(has(err, too_large)) << err;
    EXPECT_EQ(ORVEX_GetImageWidth(id), 4);
}

TEST(HostileMedia, AReadPastTheEndFailsTheReaderGivesZeroAndMovesNothing) {
    const uint8_t bytes[6] = {0x01, 0x02, 0x03, 0x04, 'R', 'I'};
    const struct {
        size_t at;
        int32_t size;
        bool big_endian;
        uint64_t value;
        bool ok;
    } reads[] = {
        {0, 4, false, 0x04030201, true}, {0, 4, true, 0x01020304, true},
        {2, 4, false, 0x49520403, true}, {3, 4, false, 0, false},
        {6, 1, false, 0, false},         {7, 1, false, 0, false},  // starting past the end
        {0, -1, false, 0, false},
    };
    for (const auto& r : reads) {
        ByteReader in = byte_reader(bytes, sizeof bytes, r.at);
        const uint8_t* before = in.p;
        EXPECT_EQ(r.big_endian ? in.take_be(r.size) : in.take(r.size), r.value) << r.at;
        EXPECT_EQ(in.ok, r.ok) << r.at;
        if (!r.ok) {
            EXPECT_EQ(in.p, before) << r.at;
            EXPECT_EQ(in.take(1), 0u) << "a failed reader stays failed";
        }
    }
    ByteReader tags = byte_reader(bytes, sizeof bytes, 2);
    EXPECT_FALSE(tags.tag("RIFF"));  // 03 04 'R' 'I'
    EXPECT_FALSE(tags.tag("RIFF"));  // past the end
    EXPECT_FALSE(tags.ok);
}
