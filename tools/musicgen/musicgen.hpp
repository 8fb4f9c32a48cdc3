// The music synthesiser's shared surface: a loop buffer that every note is mixed into with
// wrap-around (so tails that run past the end sound at the start, and the loop joins without
// a seam), the instruments, the two pieces, and the mastering and WAV writing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

//------------------------------------------------------------------------------------------
// Loop buffer
//------------------------------------------------------------------------------------------
constexpr int SAMPLE_RATE = 48000;

struct Loop {
    std::vector<float> s;  // mono samples, full scale +-1
};

// Adds v at position i, wrapped around the loop.
inline void loop_add(Loop& l, int64_t i, float v) {
    int64_t n = (int64_t)l.s.size();
    l.s[(size_t)(((i % n) + n) % n)] += v;
}

//------------------------------------------------------------------------------------------
// Instruments (each mixes one note into a loop, starting at sample `at`)
//------------------------------------------------------------------------------------------
float midi_hz(float note);
void inst_lead(Loop& l, int64_t at, double dur, float hz, float vel);
void inst_bass(Loop& l, int64_t at, double dur, float hz, float vel);
void inst_pad(Loop& l, int64_t at, double dur, float hz, float vel);
void inst_bell(Loop& l, int64_t at, float hz, float vel);
void inst_kick(Loop& l, int64_t at, float vel);
void inst_hat(Loop& l, int64_t at, float vel, uint32_t seed);
void inst_snare(Loop& l, int64_t at, float vel, uint32_t seed);
// Circular feedback echo: the echoes of the end land at the start.
void echo(Loop& l, double seconds, float feedback, float mix);

//------------------------------------------------------------------------------------------
// Pieces
//------------------------------------------------------------------------------------------
Loop compose_theme(void);  // the main theme, 32 s
Loop compose_rise(void);   // the rising cue, 3 s

//------------------------------------------------------------------------------------------
// Mastering and output
//------------------------------------------------------------------------------------------
// Scales to the RMS level (dBFS) and limits peaks softly below the ceiling (dBFS).
void master(Loop& l, double rms_db, double ceiling_db);
bool write_wav(const std::string& path, const Loop& l);
