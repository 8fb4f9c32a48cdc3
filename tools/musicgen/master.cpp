// Mastering and WAV output: the loop is centred, brought to the target RMS level and held
// under the peak ceiling by a soft limiter, then written as 48 kHz 16-bit mono PCM through a
// temporary file, so a failed write never leaves a half-written WAV behind.
#include "musicgen.hpp"
#include "../common/write_file.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

//------------------------------------------------------------------------------------------
// Mastering
//------------------------------------------------------------------------------------------
static double rms(const Loop& l) {
    double s = 0;
    for (float v : l.s) s += (double)v * v;
    return std::sqrt(s / (double)l.s.size());
}

// Smooth above the knee, never reaching the ceiling: y = knee + room * tanh((x-knee)/room).
static float limit(float x, float knee, float ceiling) {
    float a = std::fabs(x), room = ceiling - knee;
    if (a <= knee) return x;
    return std::copysign(knee + room * std::tanh((a - knee) / room), x);
}

void master(Loop& l, double rms_db, double ceiling_db) {
    const float ceiling = (float)std::pow(10.0, ceiling_db / 20) * 0.995f;
    const double want = std::pow(10.0, rms_db / 20);
    double mean = 0;
    for (float v : l.s) mean += v;
    mean /= (double)l.s.size();
    for (float& v : l.s) v -= (float)mean;  // no DC, so the loop sits centred
    if (rms(l) <= 0) return;                // silence stays silence
    // Gain up, limit, and repeat: limiting lowers the RMS a little each time.
    for (int round = 0; round < 4; round++) {
        float gain = (float)(want / rms(l));
        for (float& v : l.s) v = limit(v * gain, ceiling * 0.6f, ceiling);
    }
}

//------------------------------------------------------------------------------------------
// WAV output
//------------------------------------------------------------------------------------------
static void put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

static std::vector<uint8_t> wav_bytes(const Loop& l) {
    const uint32_t data = (uint32_t)l.s.size() * 2;
    std::vector<uint8_t> b;
    b.reserve(44 + data);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put(b, 36 + data, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(b, 16, 4);
    put(b, 1, 2);  // PCM
    put(b, 1, 2);  // mono
    put(b, SAMPLE_RATE, 4);
    put(b, SAMPLE_RATE * 2, 4);  // bytes per second
    put(b, 2, 2);                // block align
    put(b, 16, 2);               // bits per sample
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(b, data, 4);
    for (float v : l.s)
        put(b, (uint16_t)(int16_t)std::lround(std::clamp(v, -1.0f, 1.0f) * 32767), 2);
    return b;
}

bool write_wav(const std::string& path, const Loop& l) {
    std::vector<uint8_t> b = wav_bytes(l);
    return write_file_atomically(path, b.data(), b.size());
}
