// The canvas operations written as plainly as they can be said, one pixel at a time, on the
// same module state the real ones use. Tests prove each fast path equal to its reference;
// benchmarks time the fast path against it in the same run.
#pragma once

#include <cstdint>

#include "px_internal.hpp"

namespace support {

// The plot rule: clip test (x before y), unsigned depth test (equal passes), depth store,
// then the colour through the draw remap.
void reference_plot(int32_t x, int32_t y, uint8_t color);

// Every pixel of the clip rectangle to `color` and depth 0, with neither remap nor depth test.
void reference_clear(uint8_t color);

// The error-term walk from (x0, y0) to (x1, y1), every step taken, in 64 bits, each point
// through the plot rule.
void reference_line(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint8_t color);

// The effective region (a negative size reaches the image's edge; the region is cut to the
// image), then every region pixel in destination order, mirrored as asked, transparent
// indices skipped, the rest through the plot rule.
void reference_blit(const PxBlitArgs& args);

// The stochastic dither of a 640x480 canvas into ARGB8888 rows `pitch` bytes apart: per
// pixel, one generator step, the threshold (the index, or the low 8 bits of its dither
// substitute), then palette entry 254 if the step's 15-bit value mod 255 is below it, else
// entry 0. Rereads the palette for every pixel; answers the state after the last pixel.
uint32_t reference_dither(const uint8_t* pixels, const PxColor* palette, uint32_t state,
                          uint8_t* out, int32_t pitch);

}  // namespace support
