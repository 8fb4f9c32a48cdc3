// Record, replay and capture costs, each against a baseline in the same process: an engine
// turn while recording or replaying against a plain turn, the frame digest against the dither
// it describes, and a presented frame while a GIF is captured against one without (with the
// GIF's bytes per second of play). Allocations are counted through malloc and reported per
// turn or frame. make bench also times the replay check of the whole committed play-through.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <orvex/orvex.hpp>

#include "px_internal.hpp"

//------------------------------------------------------------------------------------------
// Allocation counter
//------------------------------------------------------------------------------------------
extern "C" void* __libc_malloc(size_t size);
static size_t allocations = 0;

extern "C" void* malloc(size_t size) {
    ++allocations;
    return __libc_malloc(size);
}

//------------------------------------------------------------------------------------------
// Engine
//------------------------------------------------------------------------------------------
static const std::string scratch =
    (std::filesystem::temp_directory_path() / "quillow-bench-playback").string();

static bool start_engine(void) {
    static bool started = false;
    if (started) return true;
    // Pacing off: frames are presented as fast as they can be; a GIF still counts 16 ms each.
    ORVEX_Config config{.width = 640, .height = 480, .scale = 1, .fps = 0, .title = "bench"};
    started = ORVEX_Init(&config) == 0 && px_init() == 0;
    std::filesystem::create_directories(scratch);
    return started;
}

// A key tapped every 8th turn and the mouse moved every 4th: a busy player.
static void push_input(int64_t turn) {
    SDL_Event e{};
    if (turn % 8 == 0 || turn % 8 == 1) {
        e.type = turn % 8 == 0 ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.scancode = SDL_SCANCODE_SPACE;
        SDL_PushEvent(&e);
    }
    if (turn % 4 == 0) {
        e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = static_cast<int32_t>(turn % 640);
        SDL_PushEvent(&e);
    }
}

static void report_allocations(benchmark::State& state, size_t before) {
    state.counters["allocs/turn"] = benchmark::Counter(static_cast<double>(allocations - before),
                                                       benchmark::Counter::kAvgIterations);
}

//------------------------------------------------------------------------------------------
// Turns
//------------------------------------------------------------------------------------------
// Busy turns, each with its input and a frame digest, as the game runs them; how many ran.
static int64_t run_busy_turns(benchmark::State& state) {
    int64_t turn = 0;
    const size_t before = allocations;
    for (auto _ : state) {
        push_input(turn++);
        ORVEX_Cycle();
        ORVEX_SetFrameDigest(static_cast<uint64_t>(turn));
    }
    report_allocations(state, before);
    return turn;
}

static void BM_TurnPlain(benchmark::State& state) {
    if (!start_engine()) return state.SkipWithError("no engine");
    run_busy_turns(state);
}
BENCHMARK(BM_TurnPlain);

static void BM_TurnRecording(benchmark::State& state) {
    if (!start_engine()) return state.SkipWithError("no engine");
    const std::string file = scratch + "/turns.rec";
    ORVEX_RecordInput(file.c_str());
    const int64_t turn = run_busy_turns(state);
    ORVEX_StopRecording();
    state.counters["bytes/turn"] =
        static_cast<double>(std::filesystem::file_size(file)) / static_cast<double>(turn);
}
BENCHMARK(BM_TurnRecording);

// Turns fed from a recording of 100,000 busy turns, taken again from its start when it ends.
static void BM_TurnReplaying(benchmark::State& state) {
    if (!start_engine()) return state.SkipWithError("no engine");
    const std::string file = scratch + "/replay.rec";
    ORVEX_RecordInput(file.c_str());
    for (int64_t turn = 0; turn < 100000; ++turn) {
        push_input(turn);
        ORVEX_Cycle();
    }
    ORVEX_StopRecording();
    ORVEX_ReplayInput(file.c_str());
    size_t reload_allocations = 0, before = allocations;
    for (auto _ : state) {
        if (!ORVEX_IsReplaying()) {
            state.PauseTiming();
            const size_t at = allocations;
            ORVEX_ReplayInput(file.c_str());
            reload_allocations += allocations - at;
            state.ResumeTiming();
        }
        ORVEX_Cycle();
    }
    state.counters["allocs/turn"] =
        benchmark::Counter(static_cast<double>(allocations - before - reload_allocations),
                           benchmark::Counter::kAvgIterations);
    while (ORVEX_IsReplaying()) ORVEX_Cycle();
}
BENCHMARK(BM_TurnReplaying);

//------------------------------------------------------------------------------------------
// Digest against the dither
//------------------------------------------------------------------------------------------
static std::vector<uint8_t> texture(PX_ROW_BYTES* PX_HEIGHT);

static void fill_canvas(void) {
    for (int32_t i = 0; i < PX_PIXELS; ++i)
        px_pixels[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
}

static void BM_Dither(benchmark::State& state) {
    fill_canvas();
    uint32_t s = 1;
    for (auto _ : state) {
        s = px_dither_convert(px_pixels, px_palette, s, texture.data(), PX_ROW_BYTES);
        benchmark::DoNotOptimize(texture.data());
    }
}
BENCHMARK(BM_Dither);

static void BM_FrameDigest(benchmark::State& state) {
    fill_canvas();
    uint32_t s = 1;
    for (auto _ : state) benchmark::DoNotOptimize(px_digest_of(px_pixels, px_palette, s++));
}
BENCHMARK(BM_FrameDigest);

//------------------------------------------------------------------------------------------
// Presented frames with and without a GIF
//------------------------------------------------------------------------------------------
// The game's picture: a dithered canvas of a stage-like gradient, presented with pacing off.
static void present_frame(void) {
    ORVEX_DrawBegin();
    px_render();
    ORVEX_DrawEnd();
}

static void BM_PresentPlain(benchmark::State& state) {
    if (!start_engine()) return state.SkipWithError("no engine");
    fill_canvas();
    const size_t before = allocations;
    for (auto _ : state) present_frame();
    report_allocations(state, before);
}
BENCHMARK(BM_PresentPlain)->Unit(benchmark::kMicrosecond);

static void BM_PresentCapturingGif(benchmark::State& state) {
    if (!start_engine()) return state.SkipWithError("no engine");
    fill_canvas();
    const std::string file = scratch + "/frames.gif";
    std::filesystem::remove(file);
    ORVEX_StartGifCapture(file.c_str());
    present_frame();  // the first frame chooses the palette and writes the header
    const size_t before = allocations;
    int64_t frames = 0;
    for (auto _ : state) {
        present_frame();
        frames++;
    }
    report_allocations(state, before);
    ORVEX_StopGifCapture();
    // Frames are kept at 50 a second of play, whatever the bench's own speed.
    const double seconds = static_cast<double>(frames + 1) * 0.016;
    state.counters["GIF bytes/s of play"] =
        static_cast<double>(std::filesystem::file_size(file)) / seconds;
}
BENCHMARK(BM_PresentCapturingGif)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
