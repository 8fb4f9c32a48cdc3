// The engine's own cost per turn with pacing off, on the offscreen video driver: one engine
// turn on an empty queue (with no pad, and with one idle virtual pad) and with a few key taps
// queued (their states and press counts), one presented frame of a 640x480 target into a
// 640x480 window, lines drawn into that target (inside it and from far beyond it), and a line
// of text drawn onto it. Each is measured next to a baseline doing the same SDL work (for
// text, one rectangle of its size), and every benchmark counts heap allocations per iteration
// (malloc is counted for the whole process, SDL and the GL driver included).
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

// A turn whose queue holds `taps` key taps (down and up within the turn) on different keys:
// the states and the press counts change, and the counts of the last turn are cleared.
// Against pushing and polling the same events alone.
static void push_taps(int64_t taps) {
    SDL_Event e = {};
    for (int64_t i = 0; i < taps; ++i) {
        e.key.keysym.scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i);
        e.type = e.key.type = SDL_KEYDOWN;
        e.key.state = SDL_PRESSED;
        SDL_PushEvent(&e);
        e.type = e.key.type = SDL_KEYUP;
        e.key.state = SDL_RELEASED;
        SDL_PushEvent(&e);
    }
}

static void BM_Baseline_PushAndPollKeyTaps(benchmark::State& state) {
    SDL_Event e;
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        push_taps(state.range(0));
        while (SDL_PollEvent(&e)) {}
    }
    count_allocations(state, before);
}
BENCHMARK(BM_Baseline_PushAndPollKeyTaps)->ArgName("taps")->Arg(1)->Arg(4);

static void BM_Cycle_KeyTaps(benchmark::State& state) {
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        push_taps(state.range(0));
        ORVEX_Cycle();
    }
    count_allocations(state, before);
}
BENCHMARK(BM_Cycle_KeyTaps)->ArgName("taps")->Arg(1)->Arg(4);

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
// Drawing text onto the 640x480 target
//------------------------------------------------------------------------------------------
// A 40-character line (239 x 8 pixels at scale 1) against one rectangle of its measured size;
// each turn flushes SDL's queue, so the drawing itself is measured.
static const char* const LINE_40 = "SCORE 0012345  HI 0099999  LIVES 3  GO!!";

static void BM_DrawText40(benchmark::State& state) {
    const ORVEX_DrawTextArgs args = {
        .text = LINE_40, .x = 8, .y = 8, .scale = int32_t(state.range(0))};
    ORVEX_DrawBegin();
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        ORVEX_DrawText(&args);
        SDL_RenderFlush(orvex.video.renderer);
    }
    count_allocations(state, before);
    ORVEX_DrawEnd();
}
BENCHMARK(BM_DrawText40)->ArgName("scale")->Arg(1)->Arg(2);

static void BM_Baseline_DrawRectangleSameArea(benchmark::State& state) {
    ORVEX_DrawRectangleArgs rect = {.x = 8, .y = 8, .fill = 1};
    ORVEX_MeasureText(LINE_40, int32_t(state.range(0)), &rect.w, &rect.h);
    ORVEX_DrawBegin();
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        ORVEX_DrawRectangle(&rect);
        SDL_RenderFlush(orvex.video.renderer);
    }
    count_allocations(state, before);
    ORVEX_DrawEnd();
}
BENCHMARK(BM_Baseline_DrawRectangleSameArea)->ArgName("scale")->Arg(1)->Arg(2);

//------------------------------------------------------------------------------------------
// Lines into the 640x480 target, flushed each time: inside it, and from far beyond it
//------------------------------------------------------------------------------------------
static void BM_Baseline_RenderDrawLine(benchmark::State& state) {
    SDL_Renderer* r = orvex.video.renderer;
    SDL_SetRenderTarget(r, orvex.video.target);
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        SDL_RenderDrawLine(r, 10, 20, 600, 400);
        SDL_RenderFlush(r);
    }
    count_allocations(state, before);
}
BENCHMARK(BM_Baseline_RenderDrawLine);

static void BM_DrawLine(benchmark::State& state) {
    SDL_Renderer* r = orvex.video.renderer;
    SDL_SetRenderTarget(r, orvex.video.target);
    // Both ends inside the target, or reaching a million pixels beyond it on both sides.
    const int32_t far = state.range(0) ? 1000000 : 0;
    const uint64_t before = support::allocations();
    for (auto _ : state) {
        ORVEX_DrawLine(10 - far, 20, 600 + far, 400);
        SDL_RenderFlush(r);
    }
    count_allocations(state, before);
}
BENCHMARK(BM_DrawLine)->ArgName("far")->Arg(0)->Arg(1);

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
