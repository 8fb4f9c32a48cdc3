// Which renderer the engine draws with. Where a GPU draws, SDL's first accelerated renderer
// is the right one. Where that "accelerated" renderer is OpenGL rasterised on the CPU (Mesa's
// llvmpipe or softpipe, SwiftShader, Windows' GDI fallback), SDL's software renderer draws
// the same frames for a fraction of the time and memory, and starts sooner, since it needs no
// GL context, shader compiler or texture uploads; so it does where no accelerated renderer
// can be made at all. The SDL_RENDER_DRIVER hint, when set, still decides alone.
//
// Telling a CPU rasteriser from a GPU: the authoritative answer is the GL_RENDERER string of
// a live context, but creating that context is exactly the cost to avoid (half of start-up,
// most of the memory). So a cheap check comes first: on X11, whether the X server offers a
// GL driver any way to a GPU (platform/x11.cpp). Only where the cheap check cannot decide is
// the accelerated renderer created and its GL_RENDERER read; if that names a CPU rasteriser,
// the renderer and its window are replaced.
//
// Index: Names / Probe / Software renderer / Choice
#include <SDL.h>

#include <cstring>

#include "engine_state.hpp"
#include "platform/x11.hpp"

//------------------------------------------------------------------------------------------
// Names
//------------------------------------------------------------------------------------------
// Substrings of GL_RENDERER by which CPU rasterisers name themselves, also when seen through
// a layer such as zink or GL-on-D3D12.
static const char* const cpu_rasterisers[] = {
    "llvmpipe",                // Mesa's gallium rasteriser on LLVM
    "softpipe",                // Mesa's gallium reference rasteriser
    "lavapipe",                // Mesa's Vulkan rasteriser, seen through zink
    "swrast",                  // Mesa's classic rasteriser, by its driver's name
    "software rasterizer",     // the same, by its GL_RENDERER
    "swiftshader",             // Google's
    "gdi generic",             // Windows' OpenGL 1.1
    "microsoft basic render",  // Windows' WARP, seen through GL-on-D3D12
};

bool renderer_name_is_cpu(const char* gl_renderer) {
    if (!gl_renderer) return false;
    for (const char* needle : cpu_rasterisers)
        if (SDL_strcasestr(gl_renderer, needle)) return true;
    return false;
}

//------------------------------------------------------------------------------------------
// Probe
//------------------------------------------------------------------------------------------
// Reads GL_RENDERER of an OpenGL or OpenGL ES renderer (whose context SDL has made current);
// other renderers (Direct3D, Metal) are taken to be what they claim.
static bool renderer_is_cpu(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || strncmp(info.name, "opengl", 6) != 0)
        return false;
    using GetStringFn = const unsigned char* (*)(unsigned int);
    auto get_string = reinterpret_cast<GetStringFn>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int kGlRenderer = 0x1F01;
    return get_string &&
           renderer_name_is_cpu(reinterpret_cast<const char*>(get_string(kGlRenderer)));
}

// A window like `old` but never touched by OpenGL, so that the GL driver is unloaded with
// the old one. Null (with SDL's error set) if it cannot be made; `old` is gone either way.
static SDL_Window* replace_window(SDL_Window* old) {
    char* title = SDL_strdup(SDL_GetWindowTitle(old));
    int w = 0, h = 0;
    SDL_GetWindowSize(old, &w, &h);
    const uint32_t keep =
        SDL_WINDOW_RESIZABLE | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    const uint32_t flags = SDL_GetWindowFlags(old) & keep;
    SDL_DestroyWindow(old);
    SDL_Window* fresh = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_UNDEFINED,
                                         SDL_WINDOWPOS_UNDEFINED, w, h, flags);
    SDL_free(title);
    return fresh;
}

//------------------------------------------------------------------------------------------
// Software renderer
//------------------------------------------------------------------------------------------
// The software renderer draws into the window's framebuffer. Unless told otherwise, SDL backs
// that framebuffer with an accelerated renderer of its own, which would bring the GL context
// back; at default priority, so that SDL_FRAMEBUFFER_ACCELERATION in the environment wins.
static void plain_framebuffer(void) {
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
}

// Where the video driver has no framebuffer of its own (Wayland, KMSDRM) this fails, and the
// hint goes back to SDL's default.
static SDL_Renderer* create_software(SDL_Window* window) {
    plain_framebuffer();
    SDL_Renderer* renderer = nullptr;
    for (int i = 0; i < SDL_GetNumRenderDrivers() && !renderer; i++) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && strcmp(info.name, "software") == 0)
            renderer = SDL_CreateRenderer(window, i, SDL_RENDERER_SOFTWARE);
    }
    if (!renderer) SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    return renderer;
}

// Where no accelerated renderer can be made at all (no OpenGL installed, a video driver
// without one), the software renderer still draws; if it cannot either, the accelerated
// renderer's error is the one reported.
static SDL_Renderer* software_instead(SDL_Window* window) {
    char accelerated_error[256];
    SDL_strlcpy(accelerated_error, SDL_GetError(), sizeof accelerated_error);
    SDL_Renderer* renderer = create_software(window);
    if (!renderer) SDL_SetError("%s", accelerated_error);
    return renderer;
}

// A video driver without a framebuffer of its own (Wayland, KMSDRM) gives the software
// renderer none to draw into: there the accelerated renderer stays after all.
static SDL_Renderer* software_or_accelerated(SDL_Window* window) {
    SDL_Renderer* renderer = create_software(window);
    return renderer ? renderer : SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
}

//------------------------------------------------------------------------------------------
// Choice
//------------------------------------------------------------------------------------------
SDL_Renderer* orvex_create_renderer(SDL_Window** window) {
    const char* forced = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (forced && *forced) {
        SDL_Renderer* renderer = nullptr;
        if (SDL_strcasecmp(forced, "software") == 0) renderer = create_software(*window);
        return renderer ? renderer : SDL_CreateRenderer(*window, -1, SDL_RENDERER_ACCELERATED);
    }
    // The cheap check: only an X server can tell without a renderer (platform/x11.cpp).
    if (x11_window_is_cpu_only(*window)) return software_or_accelerated(*window);
    SDL_Renderer* renderer = SDL_CreateRenderer(*window, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer) return software_instead(*window);
    if (!renderer_is_cpu(renderer)) return renderer;
    SDL_DestroyRenderer(renderer);
    *window = replace_window(*window);
    return *window ? software_or_accelerated(*window) : nullptr;
}
