// Costs of the resource registry on real files: the change scan per file-backed entry per
// turn against a bare stat() of the same files, and registering thousands of files against
// reading them with stdio. Raw entries only: no window or audio device is needed.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine_state.hpp"

namespace {

constexpr int kMaxFiles = 10000;

// kMaxFiles small files in a scratch directory, made once and removed at exit.
struct Files {
    std::filesystem::path dir;
    std::vector<std::string> paths;
    Files() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvex-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        for (int i = 0; i < kMaxFiles; ++i) {
            paths.push_back((dir / ("asset_" + std::to_string(i) + ".dat")).string());
            FILE* f = fopen(paths.back().c_str(), "wb");
            fprintf(f, "payload of asset %d\n", i);
            fclose(f);
        }
    }
    ~Files() { std::filesystem::remove_all(dir); }
};

const Files& files() {
    static Files f;
    return f;
}

void register_files(int64_t n) {
    for (int64_t i = 0; i < n; ++i) {
        if (ORVEX_LoadResource(files().paths[size_t(i)].c_str()) == 0) abort();
    }
}

}  // namespace

//------------------------------------------------------------------------------------------
// Change scan
//------------------------------------------------------------------------------------------
static void BM_ChangeScan(benchmark::State& state) {
    release_resources();
    register_files(state.range(0));
    ORVEX_HotReload();  // the first scan records the times; later ones only compare
    for (auto _ : state) ORVEX_HotReload();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    release_resources();
}
BENCHMARK(BM_ChangeScan)->Arg(100)->Arg(1000)->Arg(10000);

static void BM_StatBaseline(benchmark::State& state) {
    const auto& paths = files().paths;
    struct stat st;
    for (auto _ : state) {
        for (int64_t i = 0; i < state.range(0); ++i) {
            benchmark::DoNotOptimize(stat(paths[size_t(i)].c_str(), &st));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StatBaseline)->Arg(100)->Arg(1000)->Arg(10000);

//------------------------------------------------------------------------------------------
// Registration
//------------------------------------------------------------------------------------------
static void BM_RegisterFiles(benchmark::State& state) {
    files();  // made before timing starts, whichever benchmark runs first
    for (auto _ : state) {
        register_files(state.range(0));
        state.PauseTiming();
        release_resources();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RegisterFiles)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

static void BM_ReadFilesBaseline(benchmark::State& state) {
    const auto& paths = files().paths;
    std::vector<char> buffer(4096);
    for (auto _ : state) {
        for (int64_t i = 0; i < state.range(0); ++i) {
            FILE* f = fopen(paths[size_t(i)].c_str(), "rb");
            fseek(f, 0, SEEK_END);
            long size = ftell(f);
            fseek(f, 0, SEEK_SET);
            benchmark::DoNotOptimize(fread(buffer.data(), 1, size_t(size), f));
            fclose(f);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadFilesBaseline)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
