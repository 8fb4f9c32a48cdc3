// The header checks on their own, without decoders: every format's parser over any bytes,
// and the sound check against devices of any rate, sample format and channel count.
#include <SDL.h>

#include <cstdio>

#include "media_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static const uint16_t formats[] = {AUDIO_U8,     AUDIO_S8,     AUDIO_S16LSB,
                                       AUDIO_S16MSB, AUDIO_S32LSB, AUDIO_F32LSB};
    static const int32_t rates[] = {48000, 44100, 22050, 8000, 1, 192000};
    // The first four bytes choose the device and the renderer's limits; the rest is the data.
    const SoundDevice device = {rates[data[0] % 6], formats[data[1] % 6], 1 + data[2] % 8};
    const int32_t side = data[3] % 2 ? 16384 : 0;
    image_check_header(data + 4, int32_t(size - 4), side, side);
    SoundRepair repair;
    sound_check_header("fuzz", data + 4, size - 4, device, &repair);
    if (repair.length_at != 0 && repair.length_at + 4 > size - 4) abort();  // inside the data
    return 0;
}
