// px text: the engine's built-in font (font.hpp, shared with ORVEX_DrawText) on the canvas.
// font_draw hands over each lit run of a glyph row already cut to the clip rectangle, and
// px_fill_rect writes it, so every pixel goes through the plot rule (clip, depth, remap).
//
// Index: Text
#include "font.hpp"
#include "px_internal.hpp"

//------------------------------------------------------------------------------------------
// Text
//------------------------------------------------------------------------------------------
// `part` lies inside the clip rectangle, so its bounds fit 32 bits.
static void fill_run(void* user, const FontArea& part) {
    const uint8_t color = *static_cast<const uint8_t*>(user);
    px_fill_rect(int32_t(part.x0), int32_t(part.y0), int32_t(part.x1), int32_t(part.y1), color);
}

void px_text(PxTextArgs args) {
    const PxClipRect c = px_clip_rect;
    const FontArea clip = {c.x, c.y, int64_t{c.x} + c.w - 1, int64_t{c.y} + c.h - 1};
    font_draw(args.text, args.x, args.y, args.scale, clip, fill_run, &args.color);
}

void px_measure_text(const char* text, int32_t scale, int32_t* w, int32_t* h) {
    font_measure(text, scale, w, h);
}
