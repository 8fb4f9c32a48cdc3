// Cost of painting each compiled-in picture (painting plus tone mapping, as the build does),
// next to a plain six-octave noise fill of the same size as the baseline of the same run.
#include "../../tools/artgen/artgen.hpp"

#include <benchmark/benchmark.h>

static void BM_NoiseFillBaseline(benchmark::State& state) {
    for (auto _ : state) {
        Canvas c = canvas_make(640, 480, 0);
        for (int y = 0; y < c.h; y++)
            for (int x = 0; x < c.w; x++) at(c, x, y) = fbm(x * 0.01f, y * 0.01f, 6, 0.5f, 1);
        benchmark::DoNotOptimize(c.px.data());
    }
}
BENCHMARK(BM_NoiseFillBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);

static void BM_PaintImage(benchmark::State& state) {
    const int i = (int)state.range(0);
    const ImageSpec& s = image_specs[i];
    state.SetLabel(s.name);
    for (auto _ : state) {
        Canvas c = s.paint(s.w, s.h);
        std::vector<uint8_t> grey =
            tone_map(c, tone_histogram(tone_targets[i], (uint32_t)(s.w * s.h)));
        benchmark::DoNotOptimize(grey.data());
    }
}
BENCHMARK(BM_PaintImage)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
