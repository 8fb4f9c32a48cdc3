// Drawing with the renderer given any arguments: lines, points, rectangles, text and images
// with any position, source rectangle, scale, rotation and flips, onto a small target. Nothing
// may crash, and nothing may cost more than the target can show (libFuzzer's memory and
// time limits catch that).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "fuzz_support.hpp"

namespace {

// A 6 x 4 image of 24-bit pixels, registered once.
ResourceId test_image(void) {
    static ResourceId id = 0;
    if (id != 0) return id;
    uint8_t file[54 + 4 * 20] = {'B', 'M', sizeof file, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40,
                                 0,   0,   0,           6, 0, 0, 0, 4, 0, 0, 0,  1, 0, 24};
    for (size_t i = 54; i < sizeof file; ++i) file[i] = uint8_t(i * 37);
    id = ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, file, sizeof file);
    return id;
}

// Values around the target, or anything at all.
int32_t coordinate(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return in.ConsumeIntegralInRange<int32_t>(-200, 264);
    return in.ConsumeIntegral<int32_t>();
}

float number(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return in.ConsumeFloatingPointInRange(-4.0f, 4.0f);
    case 1: return float(in.ConsumeIntegralInRange(-3, 3));
    default: return in.ConsumeFloatingPoint<float>();  // also NaN and infinities
    }
}

void draw_image(FuzzedDataProvider& in, ResourceId id) {
    ORVEX_DrawImageArgs a{};
    a.id = in.ConsumeIntegralInRange(0, 8) == 0 ? in.ConsumeIntegral<uint32_t>() : id;
    a.x = coordinate(in);
    a.y = coordinate(in);
    a.ix = in.ConsumeBool() ? in.ConsumeIntegralInRange(-2, 8) : in.ConsumeIntegral<int32_t>();
    a.iy = in.ConsumeBool() ? in.ConsumeIntegralInRange(-2, 8) : in.ConsumeIntegral<int32_t>();
    a.w = in.ConsumeBool() ? ORVEX_WHOLE_IMAGE : coordinate(in);
    a.h = in.ConsumeBool() ? ORVEX_WHOLE_IMAGE : coordinate(in);
    a.rotation = number(in);
    a.scale_x = number(in);
    a.scale_y = in.ConsumeBool() ? a.scale_x : number(in);
    a.centered = in.ConsumeBool();
    a.flip_x = in.ConsumeBool();
    a.flip_y = in.ConsumeBool();
    ORVEX_DrawImage(&a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::engine(0)) abort();
    static SDL_Texture* target = SDL_CreateTexture(ORVEX_GetRenderer(), SDL_PIXELFORMAT_ARGB8888,
                                                   SDL_TEXTUREACCESS_TARGET, 64, 64);
    const ResourceId id = test_image();
    if (!target || id == 0) abort();
    SDL_SetRenderTarget(ORVEX_GetRenderer(), target);
    FuzzedDataProvider in(data, size);
    for (int n = 0; n < 16 && in.remaining_bytes() > 0; ++n) {
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0: {
            const int32_t x0 = coordinate(in), y0 = coordinate(in);
            ORVEX_DrawLine(x0, y0, coordinate(in), coordinate(in));
            break;
        }
        case 1: {
            const int32_t x = coordinate(in);
            ORVEX_DrawPoint(x, coordinate(in));
            break;
        }
        case 2: {
            ORVEX_DrawRectangleArgs r{};
            r.x = coordinate(in);
            r.y = coordinate(in);
            r.w = coordinate(in);
            r.h = coordinate(in);
            r.fill = in.ConsumeBool();
            r.centered = in.ConsumeBool();
            ORVEX_DrawRectangle(&r);
            break;
        }
        case 3: {
            ORVEX_ColorArgs c{};
            c.r = number(in);
            c.g = number(in);
            c.b = number(in);
            c.a = number(in);
            ORVEX_SetDrawColor(&c);
            break;
        }
        case 4: {
            const auto text = fuzz::text(in, 24);
            ORVEX_DrawTextArgs t{};
            t.text = text.get();
            t.x = coordinate(in);
            t.y = coordinate(in);
            t.scale = in.ConsumeBool() ? in.ConsumeIntegralInRange(-1, 9) : coordinate(in);
            ORVEX_DrawText(&t);
            break;
        }
        default: draw_image(in, id); break;
        }
    }
    SDL_RenderFlush(ORVEX_GetRenderer());  // the software renderer draws queued commands now
    return 0;
}
