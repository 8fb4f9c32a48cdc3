// px frame digests: a 64-bit XXH3 hash of everything a picture of px_render is made from,
// taken just before the dither runs: the 640x480 canvas indices, the generator state the
// dither starts from, the dither thresholds of all 256 indices and the two colours. The
// picture is a pure function of these, so equal digests mean equal pictures, and the digest
// costs a hash of 300 KB rather than a read-back of the 1.2 MB texture (which some drivers
// keep in memory that is slow to read).
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <orvex/orvex.hpp>

#include "px_internal.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
static struct {
    bool keep;      // px_keep_digests(1)
    uint64_t last;  // the digest of the last picture made while digests were kept
} digests;

//------------------------------------------------------------------------------------------
// Digest
//------------------------------------------------------------------------------------------
// What the dither reads besides the canvas, in a fixed little-endian layout.
struct DigestInputs {
    uint8_t state[4];
    uint8_t dark[3], light[3];
    uint8_t thresholds[PX_COLORS];
};

static DigestInputs digest_inputs(const PxColor* palette, uint32_t state) {
    DigestInputs in = {};
    for (int32_t i = 0; i < 4; i++) in.state[i] = static_cast<uint8_t>(state >> (8 * i));
    const PxColor& dark = palette[0];
    const PxColor& light = palette[254];
    in.dark[0] = dark.r, in.dark[1] = dark.g, in.dark[2] = dark.b;
    in.light[0] = light.r, in.light[1] = light.g, in.light[2] = light.b;
    for (int32_t i = 0; i < PX_COLORS; i++) {
        const uint32_t d = static_cast<uint32_t>(palette[i].dither);
        in.thresholds[i] = static_cast<uint8_t>(d != 0 ? d - 1u : static_cast<uint32_t>(i));
    }
    return in;
}

uint64_t px_digest_of(const uint8_t* pixels, const PxColor* palette, uint32_t state) {
    const DigestInputs in = digest_inputs(palette, state);
    return XXH3_64bits_withSeed(pixels, PX_PIXELS, XXH3_64bits(&in, sizeof in));
}

//------------------------------------------------------------------------------------------
// Per-frame hook and queries
//------------------------------------------------------------------------------------------
bool px_digest_wanted(void) { return digests.keep || ORVEX_IsRecording() || ORVEX_IsReplaying(); }

void px_note_frame(uint32_t state) {
    digests.last = px_digest_of(px_pixels, px_palette, state);
    ORVEX_SetFrameDigest(digests.last);
}

void px_keep_digests(int32_t on) { digests.keep = on != 0; }

uint64_t px_frame_digest(void) { return digests.last; }
