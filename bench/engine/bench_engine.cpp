// The engine's own cost per turn with pacing off, on the offscreen video driver: one engine
// turn on an empty queue (with no pad, and with one idle virtual pad), and one presented frame of a 640x480 target into a 640x480
// window. Each is measured next to a bare-SDL baseline doing the same SDL work, and every
// benchmark counts heap allocations per iteration (malloc is counted for the whole process,
// SDL and the GL driver included).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "engine_state.hpp"
#include "support.hpp"

// Only where this build can count them (glibc, no sanitiser).
static void count_allocations(benchmark::State& state, uint64_t before) {
    if (!support::allocation_counting()) return;
    const double n = static_cast<double>(support::allocations() - before);
    state.counters["allocs"] = benchmark::Counter(n, benchmark::Counter::kAvgIterations);
}

//------------------------------------------------------------------------------------------
// One engine turn on an empty queue
//------------------------------------------------------------------------------------------
static void BM_Baseline_PollEmptyQueue(benchmark::State& state) {
    SDL_Event e;
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        while (SDL_PollEvent(&e)) {}
    }
    count_allocations(state, before);
}
BENCHMARK(BM_Baseline_PollEmptyQueue);

static void BM_Cycle_EmptyQueue(benchmark::State& state) {
    const uint64_t before = support::allocations();
    for (auto _ : state) ORVEX_Cycle();
    count_allocations(state, before);
}
BENCHMARK(BM_Cycle_EmptyQueue);

// With a pad open SDL reads it every turn; its buttons stay still, so no events arrive.
static void BM_Cycle_OneIdlePad(benchmark::State& state) {
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.name = "bench pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ORVEX_Cycle();
    const uint64_t before = support::allocations();
    for (auto _ : state) ORVEX_Cycle();
    count_allocations(state, before);
    state.counters["pads"] = ORVEX_GetGamepadCount();
    SDL_JoystickDetachVirtual(index);
    ORVEX_Cycle();
}
BENCHMARK(BM_Cycle_OneIdlePad);

//------------------------------------------------------------------------------------------
// One presented frame, 640x480 target into a 640x480 window
//------------------------------------------------------------------------------------------
static void BM_Baseline_TargetCopyPresent(benchmark::State& state) {
    SDL_Renderer* r = orvex.video.renderer;
    const SDL_Rect dst = {0, 0, 640, 480};
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        SDL_SetRenderTarget(r, orvex.video.target);
        SDL_SetRenderTarget(r, nullptr);
        SDL_RenderClear(r);
        SDL_RenderCopy(r, orvex.video.target, nullptr, &dst);
        SDL_RenderPresent(r);
    }
    count_allocations(state, before);
}
BENCHMARK(BM_Baseline_TargetCopyPresent);

static void BM_DrawBegin_DrawEnd(benchmark::State& state) {
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        ORVEX_DrawBegin();
        ORVEX_DrawEnd();
    }
    count_allocations(state, before);
}
BENCHMARK(BM_DrawBegin_DrawEnd);

//------------------------------------------------------------------------------------------
// Main
//------------------------------------------------------------------------------------------
int main(int argc, char** argv) {
    support::use_headless_drivers();
    support::Engine engine;
    if (!engine.started) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
