// musicgen: renders the game's two music loops and writes them as 48 kHz 16-bit mono PCM WAV
// files, <out-dir>/ost.wav (the main theme) and <out-dir>/rise.wav (the rising cue). Both are
// mastered to about -16 dBFS RMS with peaks held below -1 dBFS by a soft limiter.
#include "musicgen.hpp"

#include <cstdio>

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: musicgen <out-dir>\n");
        return 2;
    }
    std::string dir = argv[1];
    Loop theme = compose_theme(), rise = compose_rise();
    master(theme, -16, -1);
    master(rise, -16, -1);
    return write_wav(dir + "/ost.wav", theme) && write_wav(dir + "/rise.wav", rise) ? 0 : 1;
}
