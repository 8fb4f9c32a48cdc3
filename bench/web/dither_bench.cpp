// The dither in WebAssembly, run under node: milliseconds per 640x480 frame on the scalar
// path and on the SIMD128 path, in the same process, on a canvas of random indices (each
// index its own threshold, as in the game). Google Benchmark has no WebAssembly build here,
// so this times rounds itself and reports the median round.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "px_internal.hpp"

namespace {

constexpr int32_t ROUNDS = 9;
constexpr int32_t FRAMES_PER_ROUND = 40;

std::vector<uint8_t> texture(static_cast<size_t>(PX_ROW_BYTES) * PX_HEIGHT);

// Median milliseconds per frame on `path`.
double time_path(PxRenderPath path) {
    px_set_render_path(path);
    uint32_t s = 1;
    std::vector<double> rounds;
    for (int32_t r = 0; r < ROUNDS + 1; r++) {
        const auto start = std::chrono::steady_clock::now();
        for (int32_t f = 0; f < FRAMES_PER_ROUND; f++)
            s = px_dither_convert(px_pixels, px_palette, s, texture.data(), PX_ROW_BYTES);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (r > 0) rounds.push_back(took.count() / FRAMES_PER_ROUND);  // round 0 warms up
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

}  // namespace

int main() {
    std::mt19937 rng(1);
    for (uint8_t& p : px_pixels) p = static_cast<uint8_t>(rng());
    const double scalar = time_path(PX_PATH_SCALAR);
    if (!px_render_path_supported(PX_PATH_SIMD128)) {
        printf("dither, scalar: %.3f ms/frame (this build has no SIMD128 path)\n", scalar);
        return 0;
    }
    const double simd = time_path(PX_PATH_SIMD128);
    printf("dither, scalar: %.3f ms/frame\n", scalar);
    printf("dither, SIMD128: %.3f ms/frame (%.1fx the scalar path's speed)\n", simd, scalar / simd);
    return 0;
}
