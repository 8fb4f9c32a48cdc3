// Tone mapping. Each picture's grey levels are set by histogram matching: a target
// histogram is built to meet the picture's figures (range, mean, spread, median, the shares
// below 64 and above 127, the share of black, the number of distinct levels), then the
// painted pixels are ranked and handed the target's levels in order. The painting decides
// where light and dark fall; the target decides how many pixels get each level.
//
// Index: Targets / Regions of fixed mass / Shaping / Mapping
#include "artgen.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

//------------------------------------------------------------------------------------------
// Targets
//------------------------------------------------------------------------------------------
const ToneTarget tone_targets[8] = {
    // min max  mean   std   med  >127  <64   zero distinct
    {9, 254, 132.3, 47.4, 133, 54.6, 7.8, 0.0, 245},
    {8, 255, 120.4, 49.1, 117, 40.9, 12.2, 0.0, 248},
    {3, 254, 109.4, 47.1, 110, 38.2, 20.0, 0.0, 252},
    {0, 227, 123.4, 35.8, 133, 62.1, 8.1, 0.2, 220},
    {2, 255, 112.1, 54.8, 109, 37.4, 21.4, 0.0, 254},
    {5, 255, 125.7, 46.5, 131, 52.4, 11.7, 0.0, 251},
    {2, 253, 120.3, 46.6, 123, 46.4, 12.2, 0.0, 251},
    {4, 123, 67.2, 19.1, 68, 0.0, 40.1, 0.0, 120},
};

//------------------------------------------------------------------------------------------
// Regions of fixed mass
//------------------------------------------------------------------------------------------
// The shares and the median pin the cumulative count at a few levels; between two such
// levels the mass is fixed and only its shape is free.
struct Region {
    int lo, hi;      // inclusive level range
    uint32_t count;  // pixels in it
};

static std::vector<Region> tone_regions(const ToneTarget& t, uint32_t n) {
    struct Cut {
        int level;
        double cum;
    };  // P(value <= level) = cum
    std::vector<Cut> cuts = {
        {t.median - 1, 0.5}, {63, t.below64 / 100}, {127, 1 - t.above127 / 100}};
    if (t.zero > 0) cuts.push_back({0, t.zero / 100});
    cuts.push_back({t.max, 1.0});
    std::sort(cuts.begin(), cuts.end(), [](Cut a, Cut b) { return a.level < b.level; });
    std::vector<Region> out;
    int lo = t.min;
    uint32_t done = 0;
    for (Cut c : cuts) {
        if (c.level < lo || c.level > t.max) continue;
        uint32_t upto = (uint32_t)std::lround(std::clamp(c.cum, 0.0, 1.0) * n);
        if (upto > done) out.push_back({lo, c.level, upto - done});
        done = std::max(done, upto);
        lo = c.level + 1;
    }
    return out;
}

// Levels in [min, max] that stay unused, spread evenly and away from the pinned levels.
static std::vector<bool> tone_used(const ToneTarget& t) {
    std::vector<bool> used(256, false);
    for (int v = t.min; v <= t.max; v++) used[v] = true;
    int drop = (t.max - t.min + 1) - t.distinct;
    for (int k = 0; k < drop; k++) {
        int v = t.min + (int)((k + 0.5) * (t.max - t.min + 1) / drop);
        while (v == t.min || v == t.max || v == 63 || v == 64 || v == 127 || v == 128 ||
               v == t.median || v == t.median - 1 || !used[v])
            v++;
        used[v] = false;
    }
    return used;
}

//------------------------------------------------------------------------------------------
// Shaping
//------------------------------------------------------------------------------------------
// Spreads each region's count over its used levels in proportion to a skewed bell (centre
// mu, width sigma, skew k), at least one pixel per used level, largest remainders first.
static void tone_fill(const std::vector<Region>& regions, const std::vector<bool>& used, double mu,
                      double sigma, double k, std::vector<uint32_t>& hist) {
    hist.assign(256, 0);
    for (const Region& r : regions) {
        std::vector<double> w(256, 0);
        double sum = 0;
        int nused = 0;
        for (int v = r.lo; v <= r.hi; v++) {
            if (!used[v]) continue;
            double z = (v - mu) / sigma;
            w[v] = std::exp(-0.5 * z * z) * (1 + std::erf(k * z / std::sqrt(2.0))) + 1e-9;
            sum += w[v];
            nused++;
        }
        if (nused == 0) continue;
        uint32_t spare = r.count > (uint32_t)nused ? r.count - nused : 0, given = 0;
        std::vector<std::pair<double, int>> rem;
        for (int v = r.lo; v <= r.hi; v++) {
            if (!used[v]) continue;
            double exact = spare * w[v] / sum;
            hist[v] = 1 + (uint32_t)exact;
            given += (uint32_t)exact;
            rem.push_back({exact - std::floor(exact), v});
        }
        std::sort(rem.begin(), rem.end(), [](auto a, auto b) {
            return a.first > b.first || (a.first == b.first && a.second < b.second);
        });
        for (size_t i = 0; given < spare && i < rem.size(); i++, given++) hist[rem[i].second]++;
    }
}

static void tone_moments(const std::vector<uint32_t>& hist, double* mean, double* sd) {
    double n = 0, s = 0, s2 = 0;
    for (int v = 0; v < 256; v++) {
        n += hist[v];
        s += (double)hist[v] * v;
        s2 += (double)hist[v] * v * v;
    }
    *mean = s / n;
    *sd = std::sqrt(std::max(0.0, s2 / n - *mean * *mean));
}

static double tone_error(const ToneTarget& t, const std::vector<Region>& regions,
                         const std::vector<bool>& used, const double p[3],
                         std::vector<uint32_t>& hist) {
    tone_fill(regions, used, p[0], p[1], p[2], hist);
    double mean, sd;
    tone_moments(hist, &mean, &sd);
    return (mean - t.mean) * (mean - t.mean) + (sd - t.stddev) * (sd - t.stddev);
}

std::vector<uint32_t> tone_histogram(const ToneTarget& t, uint32_t n) {
    std::vector<Region> regions = tone_regions(t, n);
    std::vector<bool> used = tone_used(t);
    std::vector<uint32_t> hist;
    // Pattern search over centre, width and skew of the bell, from a coarse start.
    double p[3] = {t.mean, t.stddev, 0}, step[3] = {32, 16, 2};
    double best = tone_error(t, regions, used, p, hist);
    for (int round = 0; round < 60 && best > 1e-4; round++) {
        bool moved = false;
        for (int i = 0; i < 3; i++)
            for (int dir = -1; dir <= 1; dir += 2) {
                double q[3] = {p[0], p[1], p[2]};
                q[i] += dir * step[i];
                if (q[1] < 2) continue;
                double e = tone_error(t, regions, used, q, hist);
                if (e < best) {
                    best = e;
                    std::copy(q, q + 3, p);
                    moved = true;
                }
            }
        if (!moved)
            for (double& s : step) s *= 0.5;
    }
    tone_fill(regions, used, p[0], p[1], p[2], hist);
    return hist;
}

//------------------------------------------------------------------------------------------
// Mapping
//------------------------------------------------------------------------------------------
std::vector<uint8_t> tone_map(const Canvas& c, const std::vector<uint32_t>& hist) {
    size_t n = c.px.size();
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return c.px[a] < c.px[b]; });
    std::vector<uint8_t> out(n, 0);
    size_t i = 0;
    for (int v = 0; v < 256; v++)
        for (uint32_t k = 0; k < hist[v] && i < n; k++) out[order[i++]] = (uint8_t)v;
    return out;
}
