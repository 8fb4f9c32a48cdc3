// One whole presented frame of the game on a real X server (make bench runs this program on a
// private Xvfb, which has no GPU): scene_step, ORVEX_DrawBegin, px_render and ORVEX_DrawEnd
// with pacing off, then the engine's turn (ORVEX_Cycle), on the renderer the engine picks and, as the same-run baseline, on SDL's
// OpenGL renderer forced by SDL_RENDER_DRIVER. The label names the renderer that ran.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>
#include <orvex/px.hpp>

#include "game.hpp"
#include "player.hpp"
#include "scene.hpp"
#include "support.hpp"

//------------------------------------------------------------------------------------------
// World
//------------------------------------------------------------------------------------------
// The game's configuration with pacing off; `driver` null lets the engine pick. SDL_Quit
// forgets hints, so each start sets its own.
static bool start(const char* driver) {
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, driver ? driver : "", SDL_HINT_OVERRIDE);
    ORVEX_Config config = support::headless_config(PX_WIDTH, PX_HEIGHT);
    config.show_cursor = 0;
    config.title = "Quillow";
    if (ORVEX_Init(&config) != 0) return false;
    if (px_init() != 0) {
        ORVEX_Quit();
        return false;
    }
    return true;
}

static void stop(void) {
    px_deinit();
    ORVEX_Quit();
}

static const char* renderer_name(void) {
    static SDL_RendererInfo info;
    return SDL_GetRendererInfo(ORVEX_GetRenderer(), &info) == 0 ? info.name : "?";
}

//------------------------------------------------------------------------------------------
// Benchmark
//------------------------------------------------------------------------------------------
static void presented_frames(benchmark::State& state, const char* driver) {
    if (!start(driver)) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    state.SetLabel(renderer_name());
    Player player;
    player_init(&player);
    stage = 0;
    for (auto _ : state) {
        scene_step(&player);
        ORVEX_DrawBegin();
        px_render();
        ORVEX_DrawEnd();
        ORVEX_Cycle();  // the rest of the game's turn: drains the X event queue
    }
    stop();
}

static void BM_PresentedFrame_Picked(benchmark::State& state) { presented_frames(state, nullptr); }
static void BM_PresentedFrame_OpenGL(benchmark::State& state) { presented_frames(state, "opengl"); }
BENCHMARK(BM_PresentedFrame_Picked)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_PresentedFrame_OpenGL)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

int main(int argc, char** argv) {
    input_new_action("move");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
