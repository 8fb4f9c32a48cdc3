// Text with the renderer: the built-in font (font.hpp) in the draw colour on the current
// target. Every lit run of a glyph row becomes one filled rectangle, already cut to the
// target's viewport, so a huge scale or a far position costs only what lands. The rectangles
// are gathered in a fixed batch and handed to SDL so that SDL allocates nothing either: SDL's
// software renderer fills them a few at a time (up to seven are converted on SDL's stack),
// and an accelerated renderer gets the whole batch as one piece of geometry, one draw call.
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
constexpr int32_t SDL_STACK_RECTS = 7;  // SDL_RenderFillRects' own copy stays on its stack

struct RectBatch {
    SDL_Rect rects[BATCH_RECTS];
    int32_t count;
    bool software;    // SDL's software renderer
    SDL_Color color;  // the renderer's draw colour, for the geometry's vertices
    int32_t result;   // 0, or -1 once SDL refused a batch (later ones are dropped)
};

static int32_t fill_rects(const RectBatch& batch) {
    for (int32_t i = 0; i < batch.count; i += SDL_STACK_RECTS) {
        const int32_t n = batch.count - i < SDL_STACK_RECTS ? batch.count - i : SDL_STACK_RECTS;
        if (SDL_RenderFillRects(orvex.video.renderer, batch.rects + i, n) < 0) return -1;
    }
    return 0;
}

// Two triangles a rectangle, untextured: the renderer's draw blend mode applies, as to
// filled rectangles. Coordinates inside the viewport are exact as floats.
static int32_t fill_geometry(const RectBatch& batch) {
    static SDL_Vertex vertices[4 * BATCH_RECTS];
    static int indices[6 * BATCH_RECTS];
    for (int32_t k = 0; k < batch.count; k++) {
        const SDL_Rect& r = batch.rects[k];
        const float x0 = float(r.x), y0 = float(r.y), x1 = float(r.x + r.w), y1 = float(r.y + r.h);
        SDL_Vertex* v = vertices + 4 * k;
        v[0] = {{x0, y0}, batch.color, {0, 0}};
        v[1] = {{x1, y0}, batch.color, {0, 0}};
        v[2] = {{x1, y1}, batch.color, {0, 0}};
        v[3] = {{x0, y1}, batch.color, {0, 0}};
        const int corner[6] = {0, 1, 2, 0, 2, 3};
        for (int32_t i = 0; i < 6; i++) indices[6 * k + i] = 4 * k + corner[i];
    }
    return SDL_RenderGeometry(orvex.video.renderer, nullptr, vertices, 4 * batch.count, indices,
                              6 * batch.count) < 0
               ? -1
               : 0;
}

static void flush(RectBatch* batch) {
    if (batch->count > 0 && batch->result == 0 &&
        (batch->software ? fill_rects(*batch) : fill_geometry(*batch)) != 0) {
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

// An empty batch for the current renderer and draw colour.
static void start_batch(RectBatch* batch) {
    SDL_RendererInfo info = {};
    SDL_GetRendererInfo(orvex.video.renderer, &info);
    batch->count = 0;
    batch->software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    SDL_GetRenderDrawColor(orvex.video.renderer, &batch->color.r, &batch->color.g, &batch->color.b,
                           &batch->color.a);
    batch->result = 0;
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
    start_batch(&batch);
    font_draw(args->text, args->x, args->y, args->scale, viewport_area(), add_rect, &batch);
    flush(&batch);
    return batch.result;
}

void ORVEX_MeasureText(const char* text, int32_t scale, int32_t* w, int32_t* h) {
    font_measure(text, scale, w, h);
}
