// Immediate drawing with the SDL renderer onto its current target: image resources with a
// source rectangle, scale, mirroring, rotation and centring, and lines, points and rectangles.
// One draw colour (four floats, 0..1) serves as the renderer's colour and as image modulation.
#include <SDL.h>

#include <cmath>

#include "engine_state.hpp"
#include "resources_internal.hpp"

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
static int32_t fail_sdl(void) {
    orvex_report_sdl();
    return -1;
}

//------------------------------------------------------------------------------------------
// Conversions
//------------------------------------------------------------------------------------------
// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
static int32_t to_i32(double v) {
    if (std::isnan(v)) return 0;
    if (v <= double(INT32_MIN)) return INT32_MIN;
    if (v >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(v);
}

static int32_t clamp_i32(int64_t v) {
    return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : int32_t(v);
}

// A colour component as SDL takes it: x 255 in single precision, truncated, and clamped to
// 0..255 so that a component above 1.0 stays full instead of wrapping round.
static uint8_t channel8(float v) {
    float p = v * 255.0f;
    if (!(p > 0.0f)) return 0;
    if (p >= 255.0f) return 255;
    return uint8_t(p);
}

//------------------------------------------------------------------------------------------
// Draw colour
//------------------------------------------------------------------------------------------
static int32_t apply_draw_color(void) {
    const auto& c = orvex.draw_color;
    if (SDL_SetRenderDrawColor(orvex.video.renderer, channel8(c.r), channel8(c.g), channel8(c.b),
                               channel8(c.a)) != 0) {
        return fail_sdl();
    }
    return 0;
}

int32_t ORVEX_SetDrawColor8(int32_t r, int32_t g, int32_t b, int32_t a) {
    // Only the low 8 bits count; the stored colour changes even if SDL then refuses it.
    orvex.draw_color = {float(r & 0xFF) / 255.0f, float(g & 0xFF) / 255.0f,
                        float(b & 0xFF) / 255.0f, float(a & 0xFF) / 255.0f};
    return apply_draw_color();
}

int32_t ORVEX_SetDrawColor(const ORVEX_ColorArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_SetDrawColor: args is NULL\n");
        return -1;
    }
    auto& c = orvex.draw_color;
    // A negative component keeps the current one.
    c = {args->r < 0 ? c.r : args->r, args->g < 0 ? c.g : args->g, args->b < 0 ? c.b : args->b,
         args->a < 0 ? c.a : args->a};
    return apply_draw_color();
}

//------------------------------------------------------------------------------------------
// Images
//------------------------------------------------------------------------------------------
// One axis of the source rectangle: the size (the whole image for the marker), cut at the
// image's edge, and the scale factor, which takes over the sign of a negative size.
struct Axis {
    int32_t size;
    float factor;
};

static Axis source_axis(int32_t size, int32_t origin, int32_t image_size, float scale) {
    int64_t s = size == ORVEX_WHOLE_IMAGE ? image_size : size;
    float f = scale;
    if (s < 0) {
        s = -s;
        f = -f;
    }
    if (int64_t(origin) + s > image_size) s = int64_t(image_size) - origin;
    return {clamp_i32(s), f};
}

// The corner of the destination along one axis: a negative factor draws to the left of (or
// above) the point; centring puts the image's middle on the point whatever the signs.
static int32_t dest_origin(int32_t pos, int32_t extent, Axis a, bool centered) {
    int32_t corner = a.factor < 0 ? clamp_i32(int64_t(pos) - extent) : pos;
    if (!centered) return corner;
    return to_i32(float(corner) - a.factor * float(a.size) * 0.5f);
}

static int32_t modulate(SDL_Texture* texture) {
    const auto& c = orvex.draw_color;
    if (SDL_SetTextureColorMod(texture, channel8(c.r), channel8(c.g), channel8(c.b)) != 0 ||
        SDL_SetTextureAlphaMod(texture, channel8(c.a)) != 0) {
        return fail_sdl();
    }
    return 0;
}

int32_t ORVEX_DrawImage(const ORVEX_DrawImageArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_DrawImage: args is NULL\n");
        return -1;
    }
    const ResourceEntry* entry = registry_lookup_arg("ORVEX_DrawImage", args->id);
    if (!entry) return -1;
    if (entry->type != ORVEX_RESOURCE_IMAGE) {
        orvex_report_line("%u isn't an image\n", args->id);
        return -1;
    }
    const auto& img = entry->payload.image;
    if (modulate(img.texture) != 0) return -1;
    Axis ax = source_axis(args->w, args->ix, img.width, args->scale_x);
    Axis ay = source_axis(args->h, args->iy, img.height, args->scale_y);
    // Nothing of the image lies inside the source rectangle: nothing to draw.
    if (ax.size <= 0 || ay.size <= 0) return 0;
    int flip = ((ax.factor < 0) != bool(args->flip_x) ? SDL_FLIP_HORIZONTAL : 0) |
               ((ay.factor < 0) != bool(args->flip_y) ? SDL_FLIP_VERTICAL : 0);
    int32_t dw = to_i32(double(ax.size) * std::fabs(double(ax.factor)));
    int32_t dh = to_i32(double(ay.size) * std::fabs(double(ay.factor)));
    SDL_Rect src = {args->ix, args->iy, ax.size, ay.size};
    SDL_Rect dst = {dest_origin(args->x, dw, ax, args->centered),
                    dest_origin(args->y, dh, ay, args->centered), dw, dh};
    double angle = double(360.0f * args->rotation);
    if (SDL_RenderCopyEx(orvex.video.renderer, img.texture, &src, &dst, angle, nullptr,
                         SDL_RendererFlip(flip)) < 0) {
        return fail_sdl();
    }
    return 0;
}

//------------------------------------------------------------------------------------------
// Lines, points and rectangles
//------------------------------------------------------------------------------------------
int32_t ORVEX_DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (SDL_RenderDrawLine(orvex.video.renderer, x0, y0, x1, y1) < 0) return fail_sdl();
    return 0;
}

int32_t ORVEX_DrawPoint(int32_t x, int32_t y) {
    if (SDL_RenderDrawPoint(orvex.video.renderer, x, y) < 0) return fail_sdl();
    return 0;
}

int32_t ORVEX_DrawRectangle(const ORVEX_DrawRectangleArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_DrawRectangle: args is NULL\n");
        return -1;
    }
    // Centring moves the corner back by half the size, halves truncating toward zero.
    int64_t c = args->centered ? 1 : 0;
    SDL_Rect r = {clamp_i32(args->x - (args->w / 2) * c), clamp_i32(args->y - (args->h / 2) * c),
                  args->w, args->h};
    int result = args->fill ? SDL_RenderFillRect(orvex.video.renderer, &r)
                            : SDL_RenderDrawRect(orvex.video.renderer, &r);
    if (result < 0) return fail_sdl();
    return 0;
}
