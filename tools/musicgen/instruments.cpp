// Instruments, all additive or FM synthesis computed per sample from closed forms (no
// oscillator state to drift): each note is an envelope times a sum of partials, mixed into
// the loop with wrap-around. Noise comes from a seeded LCG, so every render is identical.
//
// Index: Helpers / Pitched voices / Drums / Effects
#include "musicgen.hpp"

#include <algorithm>
#include <cmath>

//------------------------------------------------------------------------------------------
// Helpers
//------------------------------------------------------------------------------------------
static const double TAU = 6.283185307179586;

float midi_hz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

// Attack-decay-sustain-release envelope at time t of a note held for `held` seconds.
static float adsr(double t, double held, double a, double d, float s, double r) {
    double on = t < a ? t / a : t < a + d ? 1 - (1 - s) * (t - a) / d : s;
    if (t < held) return (float)on;
    double at_release = held < a ? held / a : held < a + d ? 1 - (1 - s) * (held - a) / d : s;
    return (float)std::max(0.0, at_release * (1 - (t - held) / r));
}

// Weights 1/k^power of harmonics k = 1..count (odd ones only if asked), cut off below
// 16 kHz so nothing folds back under the 24 kHz Nyquist limit.
struct Partials {
    int count;
    float w[16];
};

static Partials partials(float hz, int count, double power, bool odd) {
    Partials p{0, {}};
    for (int k = 1; k <= count && k <= 16 && hz * k <= 16000; k++)
        p.w[p.count++] = odd && k % 2 == 0 ? 0.0f : (float)(1.0 / std::pow(k, power));
    return p;
}

// Sum of the weighted harmonics at one phase; sin(k x) by the Chebyshev recurrence.
static float harmonics(double phase, const Partials& p) {
    double s1 = std::sin(phase), c2 = 2 * std::cos(phase), prev = 0, cur = s1, sum = 0;
    for (int k = 0; k < p.count; k++) {
        sum += p.w[k] * cur;
        double next = c2 * cur - prev;
        prev = cur;
        cur = next;
    }
    return (float)sum;
}

static uint32_t lcg(uint32_t& s) { return s = s * 1664525u + 1013904223u; }
static float noise(uint32_t& s) { return (float)(lcg(s) >> 8) / 8388608.0f - 1.0f; }

//------------------------------------------------------------------------------------------
// Pitched voices
//------------------------------------------------------------------------------------------
void inst_lead(Loop& l, int64_t at, double dur, float hz, float vel) {
    const double rel = 0.15;
    int64_t n = (int64_t)((dur + rel) * SAMPLE_RATE);
    const Partials p = partials(hz, 7, 1.6, true);
    for (int64_t i = 0; i < n; i++) {
        double t = (double)i / SAMPLE_RATE;
        // Vibrato of 0.4 % at 5.2 Hz, as phase modulation, fading in over the first 0.3 s.
        double vib = 0.004 * hz / 5.2 * std::min(1.0, t / 0.3) * std::sin(TAU * 5.2 * t);
        double ph = TAU * hz * t + vib;
        float v = 0.6f * harmonics(ph, p) + 0.4f * (float)std::sin(ph * 1.003);
        loop_add(l, at + i, vel * adsr(t, dur, 0.012, 0.2, 0.65f, rel) * v);
    }
}

void inst_bass(Loop& l, int64_t at, double dur, float hz, float vel) {
    const double rel = 0.08;
    int64_t n = (int64_t)((dur + rel) * SAMPLE_RATE);
    for (int64_t i = 0; i < n; i++) {
        double t = (double)i / SAMPLE_RATE, ph = TAU * hz * t;
        float v = (float)(std::sin(ph) + 0.35 * std::sin(2 * ph) + 0.12 * std::sin(3 * ph));
        loop_add(l, at + i, vel * adsr(t, dur, 0.008, 0.3, 0.7f, rel) * v);
    }
}

void inst_pad(Loop& l, int64_t at, double dur, float hz, float vel) {
    const double rel = 0.9;
    int64_t n = (int64_t)((dur + rel) * SAMPLE_RATE);
    const Partials p = partials(hz * 1.0065f, 6, 1.4, false);
    for (int64_t i = 0; i < n; i++) {
        double t = (double)i / SAMPLE_RATE;
        float v = 0;
        for (double det : {-0.006, 0.0, 0.0065})  // three detuned voices beat slowly
            v += harmonics(TAU * hz * (1 + det) * t, p);
        loop_add(l, at + i, vel * adsr(t, dur, 0.5, 0.5, 0.8f, rel) * v / 3);
    }
}

void inst_bell(Loop& l, int64_t at, float hz, float vel) {
    int64_t n = (int64_t)(1.2 * SAMPLE_RATE);
    for (int64_t i = 0; i < n; i++) {
        double t = (double)i / SAMPLE_RATE;
        double index = 2.2 * std::exp(-t / 0.15);  // bright strike, mellow tail
        double env = std::exp(-t / 0.35) * std::min(1.0, t / 0.002);
        loop_add(
            l, at + i,
            vel * (float)(env * std::sin(TAU * hz * t + index * std::sin(TAU * hz * 3.5 * t))));
    }
}

//------------------------------------------------------------------------------------------
// Drums
//------------------------------------------------------------------------------------------
void inst_kick(Loop& l, int64_t at, float vel) {
    int64_t n = (int64_t)(0.35 * SAMPLE_RATE);
    for (int64_t i = 0; i < n; i++) {
        double t = (double)i / SAMPLE_RATE;
        // Pitch falls from 110 Hz to 45 Hz; the phase is the integral of that sweep.
        double ph = TAU * (45 * t + 65 * 0.04 * (1 - std::exp(-t / 0.04)));
        double env = std::exp(-t / 0.12) * std::min(1.0, t / 0.002);
        loop_add(l, at + i, vel * (float)(env * std::sin(ph)));
    }
}

void inst_hat(Loop& l, int64_t at, float vel, uint32_t seed) {
    int64_t n = (int64_t)(0.09 * SAMPLE_RATE);
    float prev = 0;
    for (int64_t i = 0; i < n; i++) {
        double t = (double)i / SAMPLE_RATE;
        float x = noise(seed), hp = x - prev;  // first difference: only the hiss is left
        prev = x;
        loop_add(l, at + i, vel * 0.5f * (float)std::exp(-t / 0.018) * hp);
    }
}

void inst_snare(Loop& l, int64_t at, float vel, uint32_t seed) {
    int64_t n = (int64_t)(0.3 * SAMPLE_RATE);
    float lp = 0;
    for (int64_t i = 0; i < n; i++) {
        double t = (double)i / SAMPLE_RATE;
        lp += 0.35f * (noise(seed) - lp);  // soft brush rather than a crack
        double body = std::sin(TAU * 185 * t) * std::exp(-t / 0.05);
        loop_add(l, at + i, vel * (float)(0.9 * lp * std::exp(-t / 0.09) + 0.4 * body));
    }
}

//------------------------------------------------------------------------------------------
// Effects
//------------------------------------------------------------------------------------------
void echo(Loop& l, double seconds, float feedback, float mix) {
    const size_t n = l.s.size(), d = (size_t)(seconds * SAMPLE_RATE) % n;
    std::vector<float> wet(n, 0);
    // The echo of a loop is periodic; two passes over the ring settle it (feedback^(n/d)
    // is far below one sample step).
    for (int pass = 0; pass < 2; pass++)
        for (size_t i = 0; i < n; i++)
            wet[i] = l.s[(i + n - d) % n] + feedback * wet[(i + n - d) % n];
    for (size_t i = 0; i < n; i++) l.s[i] += mix * wet[i];
}
