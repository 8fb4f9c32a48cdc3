// Which renderer the engine draws with: SDL's software renderer where the accelerated one
// rasterises on the CPU, the accelerated one where a GPU draws, and SDL_RENDER_DRIVER
// deciding alone whenever it is set.
#include <cstring>
#include <string>

#include "engine_fixture.hpp"

//------------------------------------------------------------------------------------------
// Helpers
//------------------------------------------------------------------------------------------
static std::string renderer_name(void) {
    SDL_RendererInfo info;
    if (!ORVEX_GetRenderer() || SDL_GetRendererInfo(ORVEX_GetRenderer(), &info) != 0) return "";
    return info.name;
}

// What SDL's first accelerated renderer is on this machine, asked of SDL directly: its name,
// and for OpenGL its GL_RENDERER string.
struct AcceleratedRenderer {
    std::string name, gl_renderer;
};

static AcceleratedRenderer probe_accelerated(void) {
    AcceleratedRenderer found;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return found;
    SDL_Window* w = SDL_CreateWindow("probe", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
    SDL_Renderer* r = w ? SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    SDL_RendererInfo info;
    if (r && SDL_GetRendererInfo(r, &info) == 0) {
        found.name = info.name;
        using GetString = const unsigned char* (*)(unsigned int);
        auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const unsigned char* s = found.name.rfind("opengl", 0) == 0 && get ? get(0x1F01) : nullptr;
        if (s) found.gl_renderer = reinterpret_cast<const char*>(s);
    }
    if (r) SDL_DestroyRenderer(r);
    if (w) SDL_DestroyWindow(w);
    SDL_Quit();
    return found;
}

// SDL_Quit forgets every hint, so each start sets its own; override beats the environment.
static void force_driver(const char* name) {
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, name, SDL_HINT_OVERRIDE);
}

using RendererChoice = EngineTest;

//------------------------------------------------------------------------------------------
// Names
//------------------------------------------------------------------------------------------
TEST(RendererNames, CpuRasterisersAreToldFromGpus) {
    for (const char* cpu : {
             "llvmpipe (LLVM 15.0.6, 256 bits)",
             "softpipe",
             "Software Rasterizer",
             "Mesa X11 swrast",
             "Google SwiftShader",
             "SwiftShader Device (LLVM 10.0.0)",
             "zink Vulkan 1.3(llvmpipe (LLVM 15.0.6, 256 bits) (MESA_LLVMPIPE))",
             "D3D12 (Microsoft Basic Render Driver)",
             "GDI Generic",
         })
        EXPECT_TRUE(renderer_name_is_cpu(cpu)) << cpu;
    for (const char* gpu : {
             "Mesa Intel(R) UHD Graphics 620 (KBL GT2)",
             "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
             "NVIDIA GeForce RTX 3060/PCIe/SSE2",
             "virgl (NVIDIA GeForce RTX 3060/PCIe/SSE2)",
             "D3D12 (NVIDIA GeForce RTX 3060)",
             "SVGA3D; build: RELEASE;  LLVM;",
             "Apple M1",
             "",
         })
        EXPECT_FALSE(renderer_name_is_cpu(gpu)) << gpu;
    EXPECT_FALSE(renderer_name_is_cpu(nullptr));
}

//------------------------------------------------------------------------------------------
// Choice
//------------------------------------------------------------------------------------------
// On the offscreen driver there is no X server to ask, so this is the GL_RENDERER probe:
// the accelerated renderer is created, read and, on a CPU rasteriser, replaced together
// with its window.
TEST_F(RendererChoice, TheSoftwareRendererStandsInExactlyForACpuRasteriser) {
    const AcceleratedRenderer accelerated = probe_accelerated();
    ASSERT_FALSE(accelerated.name.empty()) << "no accelerated renderer: " << SDL_GetError();
    force_driver("");
    config.scale = 2;
    start();
    if (!renderer_name_is_cpu(accelerated.gl_renderer.c_str())) {
        EXPECT_EQ(renderer_name(), accelerated.name);
        return;
    }
    EXPECT_EQ(renderer_name(), "software") << accelerated.gl_renderer;
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), "0");
    const uint32_t flags = SDL_GetWindowFlags(orvex.video.window);
    EXPECT_TRUE(flags & SDL_WINDOW_RESIZABLE);
    EXPECT_FALSE(flags & SDL_WINDOW_OPENGL) << "the replaced window took the GL driver with it";
    EXPECT_STREQ(SDL_GetWindowTitle(orvex.video.window), "engine test");
    int w = 0, h = 0;
    SDL_GetWindowSize(orvex.video.window, &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    ASSERT_NE(orvex.video.target, nullptr);
    ASSERT_EQ(ORVEX_DrawBegin(), 0);
    EXPECT_EQ(ORVEX_DrawEnd(), 0);
}

TEST_F(RendererChoice, SdlRenderDriverForcesEitherChoice) {
    for (const char* driver : {"opengl", "software"}) {
        force_driver(driver);
        start();
        EXPECT_EQ(renderer_name(), driver);
        ASSERT_EQ(ORVEX_DrawBegin(), 0);
        EXPECT_EQ(ORVEX_DrawEnd(), 0);
        ORVEX_Quit();
    }
}

// SDL's dummy video driver has no accelerated renderer at all: the software one still draws.
TEST_F(RendererChoice, WithoutAnyAcceleratedRendererTheSoftwareOneDraws) {
#ifdef _WIN32
    GTEST_SKIP() << "Direct3D needs no window system: SDL's dummy driver has it on Windows";
#endif
    int32_t started;
    {
        ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
        force_driver("");
        started = ORVEX_Init(&config);
    }
    ASSERT_EQ(started, 0);
    EXPECT_EQ(renderer_name(), "software");
    ASSERT_EQ(ORVEX_DrawBegin(), 0);
    EXPECT_EQ(ORVEX_DrawEnd(), 0);
    EXPECT_EQ(ORVEX_GetFrameCount(), 1u);
}
