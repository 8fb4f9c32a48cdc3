// Frame presentation: each frame is drawn at the logical size into the target texture, then
// copied into the window at the largest fit with black bars (whole-number scales above 1
// when pixel-perfect), paced to whole-millisecond deadlines with SDL_Delay, presented and
// counted. The last letterbox is kept to map window coordinates back to logical ones.
//
// The letterbox is measured in the renderer's pixels: on a scaled display with high-DPI
// drawables a window unit covers several of them, and fitting the window's size instead
// would leave the compositor to stretch the picture and smear its pixels.
//
// Index: Pacing / Letterbox / Drawing a frame / Mouse mapping
#include <SDL.h>

#include <climits>
#include <cmath>

#include "engine_state.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// Pacing
//------------------------------------------------------------------------------------------
int32_t pacing_frame_time(int32_t fps) { return fps > 0 ? 1000 / fps : 0; }

// The distance to the deadline is taken modulo 2^32, so it stays right when the tick wraps.
// In unwrapped time it is never more than one frame time; anything larger means the frame
// is late across the wrap and must not be waited for.
uint32_t pacing_wait(int32_t fps, int32_t frame_time, uint32_t* next_deadline, uint32_t now) {
    if (fps <= 0) return 0;
    *next_deadline += static_cast<uint32_t>(frame_time);
    const uint32_t ahead = *next_deadline - now;
    if (ahead != 0 && ahead <= static_cast<uint32_t>(frame_time)) return ahead;
    *next_deadline = now;  // late: no catching up in later frames
    return 0;
}

// In a browser the loop paces whole turns to the display's frames instead (pacing_due), and
// a wait here would stall the page.
static void pace_frame(void) {
#ifndef __EMSCRIPTEN__
    const uint32_t now = static_cast<uint32_t>(SDL_GetTicks64());
    const uint32_t wait =
        pacing_wait(orvex.config.fps, orvex.time.frame_time, &orvex.time.next_deadline, now);
    if (wait) SDL_Delay(wait);
#endif
}

// The deadlines advance by whole frame times, so over time the turns keep the game's own
// rate on any display faster than it. A display frame up to a quarter of a frame time early
// still takes the turn: display frames rarely fall on the deadlines, and passing on one that
// comes a little early would leave the turn a whole display frame late.
bool pacing_due(int32_t fps, int32_t frame_time, double* next_deadline, double now) {
    if (fps <= 0 || frame_time <= 0) return true;
    if (now < *next_deadline - 0.25 * frame_time) return false;
    *next_deadline += frame_time;
    // More than a frame behind (a slow display, a busy or hidden page): start again from now
    // rather than make the lost time up with a turn on every display frame.
    if (now > *next_deadline) *next_deadline = now + frame_time;
    return true;
}

//------------------------------------------------------------------------------------------
// Letterbox
//------------------------------------------------------------------------------------------
// Saturating float -> int32, truncating toward zero like a plain cast inside the range.
static int32_t to_int32(float v) {
    if (!(v > -2147483648.0f)) return v != v ? 0 : INT32_MIN;
    if (v >= 2147483648.0f) return INT32_MAX;
    return static_cast<int32_t>(v);
}

LetterboxRect letterbox_fit(int32_t window_w, int32_t window_h, int32_t logical_w,
                            int32_t logical_h, bool pixel_perfect) {
    const float ww = static_cast<float>(window_w > 0 ? window_w : 1);
    const float wh = static_cast<float>(window_h > 0 ? window_h : 1);
    const float lw = static_cast<float>(logical_w > 0 ? logical_w : 1);
    const float lh = static_cast<float>(logical_h > 0 ? logical_h : 1);
    float scale = std::fmin(ww / lw, wh / lh);
    if (scale > 1.0f && pixel_perfect) scale = std::trunc(scale);
    const float w = lw * scale;
    const float h = lh * scale;
    return {.scale = scale,
            .x = to_int32((ww - w) * 0.5f),
            .y = to_int32((wh - h) * 0.5f),
            .w = to_int32(w),
            .h = to_int32(h)};
}

int32_t letterbox_to_logical(int32_t v, int32_t offset, float scale) {
    const int64_t moved = int64_t{v} - offset;  // 64-bit: any pair of int32 subtracts safely
    return to_int32(static_cast<float>(moved) / scale);
}

int32_t window_to_pixels(int32_t v, int32_t window_extent, int32_t pixel_extent) {
    if (window_extent <= 0 || pixel_extent <= 0) return v;
    const int64_t p = int64_t{v} * pixel_extent / window_extent;
    return p > INT32_MAX ? INT32_MAX : p < INT32_MIN ? INT32_MIN : static_cast<int32_t>(p);
}

int32_t letterbox_into_window(void) {
    SDL_Renderer* r = orvex.video.renderer;
    if (SDL_SetRenderTarget(r, nullptr) < 0 || SDL_SetRenderDrawColor(r, 0, 0, 0, 255) < 0 ||
        SDL_RenderClear(r) < 0) {
        orvex_report_sdl();
        return -1;
    }
    int w = 0, h = 0, window_w = 0, window_h = 0;
    if (SDL_GetRendererOutputSize(r, &w, &h) < 0) {
        orvex_report_sdl();
        return -1;
    }
    SDL_GetWindowSize(orvex.video.window, &window_w, &window_h);
    const LetterboxRect fit =
        letterbox_fit(w, h, orvex.config.width, orvex.config.height, orvex.config.pixel_perfect);
    orvex.letterbox = {.scale = fit.scale,
                       .x = fit.x,
                       .y = fit.y,
                       .window_w = window_w,
                       .window_h = window_h,
                       .pixels_w = w,
                       .pixels_h = h};
    const SDL_Rect dst = {fit.x, fit.y, fit.w, fit.h};
    if (SDL_RenderCopy(r, orvex.video.target, nullptr, &dst) < 0) {
        orvex_report_sdl();
        return -1;
    }
    return 0;
}

//------------------------------------------------------------------------------------------
// Drawing a frame
//------------------------------------------------------------------------------------------
int32_t ORVEX_DrawBegin(void) {
    if (orvex.config.logical_size) return 0;
    if (SDL_SetRenderTarget(orvex.video.renderer, orvex.video.target) < 0 ||
        SDL_SetRenderDrawBlendMode(orvex.video.renderer, SDL_BLENDMODE_BLEND) != 0) {
        orvex_report_sdl();
        return -1;
    }
    return draw_color_apply();
}

int32_t ORVEX_ScreenClear(void) {
    if (SDL_RenderClear(orvex.video.renderer) < 0) {
        orvex_report_sdl();
        return -1;
    }
    return 0;
}

// The wait comes before the present, so the picture appears on the deadline. Without a
// renderer nothing can be shown, and that is reported rather than counted as a frame.
int32_t ORVEX_DrawEnd(void) {
    if (!orvex.video.renderer) {
        SDL_SetError("ORVEX_DrawEnd: the engine is not started");
        orvex_report_sdl();
        return -1;
    }
    capture_grab();  // the picture as drawn, for a screenshot or a GIF being captured
    if (!orvex.config.logical_size && letterbox_into_window() < 0) return -1;
    pace_frame();
    SDL_RenderPresent(orvex.video.renderer);
    orvex.time.frame_count++;
    capture_store();
    return 0;
}

//------------------------------------------------------------------------------------------
// Mouse mapping
//------------------------------------------------------------------------------------------
// SDL's mouse positions are in window units: first into the renderer's pixels, where the
// letterbox lies.
void ORVEX_WindowToLogical(int32_t* x, int32_t* y) {
    const auto& box = orvex.letterbox;
    if (box.scale == 0.0f) return;
    if (x)
        *x = letterbox_to_logical(window_to_pixels(*x, box.window_w, box.pixels_w), box.x,
                                  box.scale);
    if (y)
        *y = letterbox_to_logical(window_to_pixels(*y, box.window_h, box.pixels_h), box.y,
                                  box.scale);
}

// A replay answers the position it recorded, already logical.
void ORVEX_GetMousePos(int32_t* x, int32_t* y) {
    if (record_replayed_mouse(x, y)) return;
    if (x) *x = orvex.input.mouse_x;
    if (y) *y = orvex.input.mouse_y;
    ORVEX_WindowToLogical(x, y);
}
