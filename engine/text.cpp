// Text with the renderer: the built-in font (font.hpp) in the draw colour on the current
// target. Every lit run of a glyph row becomes one filled rectangle, already cut to the
// target's viewport, so a huge scale or a far position costs only what lands; the rectangles
// go to SDL in batches kept on the stack, so a call allocates nothing.
//
// Index: Batches / Drawing and measuring
#include <SDL.h>

#include "engine_state.hpp"
#include "font.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// Batches
//------------------------------------------------------------------------------------------
constexpr int32_t BATCH_RECTS = 256;

struct RectBatch {
    SDL_Rect rects[BATCH_RECTS];
    int32_t count;
    int32_t result;  // 0, or -1 once SDL refused a batch (later ones are dropped)
};

static void flush(RectBatch* batch) {
    if (batch->count > 0 && batch->result == 0 &&
        SDL_RenderFillRects(orvex.video.renderer, batch->rects, batch->count) < 0) {
        orvex_report_sdl();
        batch->result = -1;
    }
    batch->count = 0;
}

// `part` lies inside the viewport, so it fits SDL's int rectangle.
static void add_rect(void* user, const FontArea& part) {
    auto* batch = static_cast<RectBatch*>(user);
    batch->rects[batch->count++] = {int(part.x0), int(part.y0), int(part.x1 - part.x0 + 1),
                                    int(part.y1 - part.y0 + 1)};
    if (batch->count == BATCH_RECTS) flush(batch);
}

//------------------------------------------------------------------------------------------
// Drawing and measuring
//------------------------------------------------------------------------------------------
// What the current target shows, in drawing coordinates.
static FontArea viewport_area(void) {
    SDL_Rect view = {0, 0, 0, 0};
    SDL_RenderGetViewport(orvex.video.renderer, &view);
    return {0, 0, int64_t{view.w} - 1, int64_t{view.h} - 1};
}

int32_t ORVEX_DrawText(const ORVEX_DrawTextArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_DrawText: args is NULL\n");
        return -1;
    }
    if (!orvex.video.renderer) {
        orvex_report_line("ORVEX_DrawText: the engine is not started\n");
        return -1;
    }
    // The renderer holds black after ORVEX_DrawEnd; the draw colour is the engine's.
    const ORVEX_ColorArgs keep = {.r = -1, .g = -1, .b = -1, .a = -1};
    if (ORVEX_SetDrawColor(&keep) != 0) return -1;
    RectBatch batch;
    batch.count = 0;
    batch.result = 0;
    font_draw(args->text, args->x, args->y, args->scale, viewport_area(), add_rect, &batch);
    flush(&batch);
    return batch.result;
}

void ORVEX_MeasureText(const char* text, int32_t scale, int32_t* w, int32_t* h) {
    font_measure(text, scale, w, h);
}
