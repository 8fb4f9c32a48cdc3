// The two pieces. The theme is sixteen bars in A minor at 120 beats a minute: a lead melody
// over pad chords, a walking bass, a bell arpeggio and soft drums, with an echo on the lead.
// The rising cue is an endless climb (octave-spaced partials under a fixed loudness bell, so
// after one loop everything has risen an octave and sounds as it did at the start): a
// continuous glide plus a chromatic run of plucks.
//
// Index: Theme: score / Theme: parts / Rising cue
#include "musicgen.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

//------------------------------------------------------------------------------------------
// Theme: score
//------------------------------------------------------------------------------------------
static const double BEAT = 0.5;  // seconds, 120 beats a minute
static const int BARS = 16;

// Chord per bar: root (MIDI) and the three pad notes.
struct Chord {
    int root;
    int pad[3];
};
static const Chord chords[BARS] = {
    {45, {57, 60, 64}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}},  // Am F C G
    {45, {57, 60, 64}}, {41, {57, 60, 65}}, {43, {55, 59, 62}}, {40, {56, 59, 64}},  // Am F G E
    {41, {57, 60, 65}}, {43, {55, 59, 62}}, {40, {55, 59, 64}}, {45, {57, 60, 64}},  // F G Em Am
    {38, {57, 62, 65}}, {41, {57, 60, 65}}, {43, {55, 59, 62}}, {40, {56, 59, 64}},  // Dm F G E
};

// Melody per bar: "note:eighths" tokens (MIDI numbers), "r:eighths" for rests; 8 eighths a bar.
static const char* const melody[BARS] = {
    "76:2 69:1 71:1 72:2 71:1 69:1", "72:2 74:1 72:1 69:4",
    "67:2 72:2 76:3 74:1",           "74:4 71:2 67:2",
    "76:2 81:2 79:1 76:1 74:1 72:1", "72:3 74:1 76:2 77:2",
    "79:3 77:1 76:2 74:2",           "76:4 68:2 71:2",
    "69:2 72:2 77:3 76:1",           "74:2 71:2 79:4",
    "76:2 79:1 76:1 71:4",           "72:2 71:1 69:1 76:4",
    "77:2 76:1 74:1 69:2 74:2",      "72:3 69:1 77:4",
    "76:2 74:2 71:2 67:2",           "68:4 71:2 76:2",
};

static int64_t at_beat(double beat) { return (int64_t)std::llround(beat * BEAT * SAMPLE_RATE); }

//------------------------------------------------------------------------------------------
// Theme: parts
//------------------------------------------------------------------------------------------
static void theme_melody(Loop& l) {
    for (int bar = 0; bar < BARS; bar++) {
        double beat = bar * 4.0;
        for (const char* p = melody[bar]; *p;) {
            char* end;
            long note = *p == 'r' ? -1 : std::strtol(p, &end, 10);
            p = std::strchr(p, ':') + 1;
            double len = std::strtol(p, &end, 10) * 0.5;
            p = *end ? end + 1 : end;
            if (note > 0)
                inst_lead(l, at_beat(beat), len * BEAT * 0.92, midi_hz((float)note), 0.22f);
            beat += len;
        }
    }
}

static void theme_harmony(Loop& l) {
    for (int bar = 0; bar < BARS; bar++) {
        const Chord& c = chords[bar];
        double b = bar * 4.0;
        for (int note : c.pad) inst_pad(l, at_beat(b), 4 * BEAT, midi_hz((float)note), 0.07f);
        // Bass: root held, a pickup, the fifth, then the octave.
        inst_bass(l, at_beat(b), 1.4 * BEAT, midi_hz((float)c.root), 0.3f);
        inst_bass(l, at_beat(b + 1.5), 0.45 * BEAT, midi_hz((float)c.root), 0.22f);
        inst_bass(l, at_beat(b + 2), 0.9 * BEAT, midi_hz((float)c.root + 7), 0.25f);
        inst_bass(l, at_beat(b + 3), 0.9 * BEAT, midi_hz((float)c.root + 12), 0.2f);
        // Bell arpeggio in sixteenths over the pad notes, an octave up, from bar 5 on.
        if (bar < 4) continue;
        for (int k = 0; k < 16; k++)
            inst_bell(l, at_beat(b + k * 0.25),
                      midi_hz((float)c.pad[k % 3] + 12 + (k % 6 == 5 ? 12 : 0)),
                      k % 4 == 0 ? 0.06f : 0.035f);
    }
}

static void theme_drums(Loop& l) {
    for (int bar = 0; bar < BARS; bar++)
        for (int e = 0; e < 8; e++) {
            double b = bar * 4.0 + e * 0.5;
            uint32_t seed = (uint32_t)(bar * 8 + e + 1);
            if (e == 0 || e == 4 || (e == 7 && bar % 2 == 1)) inst_kick(l, at_beat(b), 0.55f);
            if (e == 2 || e == 6) inst_snare(l, at_beat(b), 0.18f, seed * 7);
            inst_hat(l, at_beat(b), e % 2 ? 0.12f : 0.07f, seed * 13);
        }
}

Loop compose_theme(void) {
    Loop lead{std::vector<float>((size_t)at_beat(BARS * 4.0), 0.0f)};
    theme_melody(lead);
    echo(lead, 0.75 * BEAT * 1, 0.3f, 0.35f);  // dotted-eighth echo
    Loop l{std::vector<float>(lead.s.size(), 0.0f)};
    theme_harmony(l);
    theme_drums(l);
    for (size_t i = 0; i < l.s.size(); i++) l.s[i] += lead.s[i];
    return l;
}

//------------------------------------------------------------------------------------------
// Rising cue
//------------------------------------------------------------------------------------------
static const double RISE_T = 3.0;  // seconds per octave of rise, and the loop length
static const double RISE_F0 = 40;  // lowest partial, Hz
static const int RISE_OCTAVES = 7;

// Loudness over log-frequency position u (octaves above RISE_F0): silent at both ends.
static double rise_bell(double u) {
    if (u <= 0 || u >= RISE_OCTAVES) return 0;
    return 0.5 - 0.5 * std::cos(6.283185307179586 * u / RISE_OCTAVES);
}

// The continuous glide. Partial k sits at u = k + t/T; its start phase is chosen so that at
// t = T it has exactly the phase partial k+1 had at t = 0, which makes the loop seamless.
static void rise_glide(Loop& l, float vel) {
    const double TAU = 6.283185307179586, c = RISE_F0 * RISE_T / std::log(2.0);
    for (size_t i = 0; i < l.s.size(); i++) {
        double t = (double)i / SAMPLE_RATE, grow = std::pow(2.0, t / RISE_T) - 1, sum = 0;
        for (int k = 0; k < RISE_OCTAVES; k++) {
            double p0 = std::fmod(c * (std::pow(2.0, k) - 1), 1.0);
            double ph = std::fmod(p0 + c * std::pow(2.0, k) * grow, 1.0);
            sum += rise_bell(k + t / RISE_T) * std::sin(TAU * ph);
        }
        l.s[i] += vel * (float)sum;
    }
}

// Twelve plucks a loop, one semitone apart, each made of octave-spaced partials.
static void rise_plucks(Loop& l, float vel) {
    const int steps = 12;
    const int64_t len = (int64_t)(0.6 * SAMPLE_RATE), step = (int64_t)l.s.size() / steps;
    for (int j = 0; j < steps; j++)
        for (int k = 0; k < RISE_OCTAVES; k++) {
            double u = k + j / 12.0, hz = RISE_F0 * std::pow(2.0, u), amp = rise_bell(u);
            for (int64_t i = 0; i < len; i++) {
                double t = (double)i / SAMPLE_RATE;
                double env = std::exp(-t / 0.12) * std::min(1.0, t / 0.003);
                loop_add(l, j * step + i,
                         vel * (float)(amp * env * std::sin(6.283185307179586 * hz * t)));
            }
        }
}

Loop compose_rise(void) {
    Loop l{std::vector<float>((size_t)(RISE_T * SAMPLE_RATE), 0.0f)};
    rise_glide(l, 0.25f);
    rise_plucks(l, 0.5f);
    for (int b = 0; b < 6; b++)
        inst_kick(l, (int64_t)(b * 0.5 * SAMPLE_RATE), 0.5f);  // a steady pulse
    echo(l, 0.375, 0.25f, 0.25f);
    return l;
}
