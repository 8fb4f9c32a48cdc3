// Costs of the resource registry on real files: an engine turn (ORVEX_Cycle) with 100 to
// 10,000 registered files, unchanged or with one file changed before the turn, watched (the
// engine's way on Linux) and scanned (every file compared every turn, as for unwatched files
// and on other platforms), against a bare stat() of the same files; the turns and time from
// a file's write to its reload; and registering thousands of files against reading them with
// stdio. Raw entries only; the engine runs on the offscreen driver for the turn's event pump.
//
// Index: Files / Engine turn / Registration
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine_state.hpp"
#include "resources_internal.hpp"
#include "file_watch.hpp"
#include "support.hpp"

namespace {

//------------------------------------------------------------------------------------------
// Files
//------------------------------------------------------------------------------------------
constexpr int kMaxFiles = 10000;

// kMaxFiles small files in a scratch directory, made once and removed at exit.
struct Files {
    support::TempDir dir;
    std::vector<std::string> paths;
    Files() {
        for (int i = 0; i < kMaxFiles; ++i) {
            paths.push_back(dir / ("asset_" + std::to_string(i) + ".dat"));
            support::write_file(paths.back(),
                                support::text("payload of asset " + std::to_string(i) + "\n"));
        }
    }
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

// Rewrites file i with contents of a new length, so that the change shows in any case.
void edit(int64_t i, int64_t round) {
    FILE* f = fopen(files().paths[size_t(i)].c_str(), "wb");
    fprintf(f, "edit %lld of asset %lld%*s\n", (long long)round, (long long)i, int(round % 7), "");
    fclose(f);
}

// Registers n files, watched or not, and runs the first turn, which examines every new one.
void prepare(int64_t n, bool watched) {
    release_resources();
    file_watch_limit_folders(watched ? UINT32_MAX : 0);
    register_files(n);
    ORVEX_Cycle();
}

void finish(void) {
    release_resources();
    file_watch_limit_folders(UINT32_MAX);
}

}  // namespace

//------------------------------------------------------------------------------------------
// Engine turn
//------------------------------------------------------------------------------------------
// The turn's own cost: key aging and an empty event queue.
static void BM_Cycle_NoFiles(benchmark::State& state) {
    release_resources();
    for (auto _ : state) ORVEX_Cycle();
}
BENCHMARK(BM_Cycle_NoFiles);

// Args: files registered, whether one of them changes before each turn (the write itself is
// not timed; the reload it causes is), watched (1) or scanned (0).
static void BM_Cycle(benchmark::State& state) {
    const int64_t n = state.range(0);
    const bool change = state.range(1) != 0;
    prepare(n, state.range(2) != 0);
    int64_t round = 0;
    for (auto _ : state) {
        if (change) {
            state.PauseTiming();
            edit(round % n, round);
            ++round;
            state.ResumeTiming();
        }
        ORVEX_Cycle();
    }
    state.SetLabel(state.range(2) ? "watched" : "scanned");
    finish();
}
BENCHMARK(BM_Cycle)
    ->ArgNames({"files", "change", "watched"})
    ->ArgsProduct({{100, 1000, 10000}, {0, 1}, {1}})
    ->Args({100, 0, 0})
    ->Args({1000, 0, 0})
    ->Args({10000, 0, 0});

// From the write of a file to its reload: how many turns (counter "turns") and how long.
static void BM_WriteToReload(benchmark::State& state) {
    const int64_t n = 1000;
    prepare(n, state.range(0) != 0);
    int64_t round = 0, turns = 0;
    for (auto _ : state) {
        const int64_t i = round % n;
        const uint8_t* before = registry_table().table[i].payload.raw.data;
        edit(i, round++);
        int64_t waited = 0;
        do {
            ORVEX_Cycle();
            ++waited;
        } while (registry_table().table[i].payload.raw.data == before && waited < 1000);
        if (waited == 1000) state.SkipWithError("a write was never reloaded");
        turns += waited;
    }
    state.counters["turns"] = double(turns) / double(state.iterations());
    state.SetLabel(state.range(0) ? "watched, 1000 files" : "scanned, 1000 files");
    finish();
}
BENCHMARK(BM_WriteToReload)->ArgName("watched")->Arg(1)->Arg(0);

// Today's scan at its floor: one stat() per file.
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

int main(int argc, char** argv) {
    support::use_headless_drivers();
    support::Engine engine(support::headless_config(64, 64));
    if (!engine.started) return 1;
    files();  // made before any timing
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
