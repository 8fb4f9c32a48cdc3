// Frame digests: they follow everything the dithered picture is made from and nothing else,
// so that equal digests mean equal pictures and a change anywhere in a picture shows.
#include "px_fixture.hpp"

namespace {

using Digest = Canvas;

constexpr uint32_t STATE = 0x12345678u;

uint64_t digest_now(uint32_t state = STATE) { return px_digest_of(px_pixels, px_palette, state); }

TEST_F(Digest, EqualInputsGiveEqualDigestsAndEqualPictures) {
    for (int32_t i = 0; i < PX_PIXELS; ++i) px_pixels[i] = uint8_t(i * 7);
    static uint8_t a[PX_PIXELS * 4], b[PX_PIXELS * 4];
    const uint64_t first = digest_now();
    px_dither_convert(px_pixels, px_palette, STATE, a, PX_ROW_BYTES);
    EXPECT_EQ(digest_now(), first);
    px_dither_convert(px_pixels, px_palette, STATE, b, PX_ROW_BYTES);
    EXPECT_EQ(memcmp(a, b, sizeof a), 0);
}

TEST_F(Digest, EachInputOfThePictureChangesIt) {
    const uint64_t plain = digest_now();
    EXPECT_NE(digest_now(STATE + 1), plain) << "generator state";
    px_pixels[PX_PIXELS - 1] = 1;
    EXPECT_NE(digest_now(), plain) << "the last canvas pixel";
    px_pixels[PX_PIXELS - 1] = 0;
    px_palette[254].g ^= 1;
    EXPECT_NE(digest_now(), plain) << "the light colour";
    px_palette[254].g ^= 1;
    px_palette[0].b ^= 1;
    EXPECT_NE(digest_now(), plain) << "the dark colour";
    px_palette[0].b ^= 1;
    px_dither_remap({.c0 = 200, .c1 = 10});
    EXPECT_NE(digest_now(), plain) << "a dither threshold";
    px_dither_remap({.c0 = -1, .c1 = -1});
    EXPECT_EQ(digest_now(), plain);
}

TEST_F(Digest, WhatThePictureDoesNotUseLeavesItAlone) {
    const uint64_t plain = digest_now();
    px_palette[7].r ^= 0xff;       // only entries 0 and 254 are ever shown
    px_depth_buffer[5] = 99;       // depth is not seen
    px_remap({.c0 = 3, .c1 = 4});  // the draw remap acts on later drawing only
    EXPECT_EQ(digest_now(), plain);
    px_dither_remap({.c0 = 9, .c1 = 9});  // a threshold equal to the index itself
    EXPECT_EQ(digest_now(), plain);
}

TEST_F(Digest, NoneIsMadeUnlessAskedFor) {
    px_keep_digests(0);
    EXPECT_FALSE(px_digest_wanted());
    px_keep_digests(1);
    EXPECT_TRUE(px_digest_wanted());
    px_note_frame(STATE);
    EXPECT_EQ(px_frame_digest(), digest_now());
    px_keep_digests(0);
}

}  // namespace
