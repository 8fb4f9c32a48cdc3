// The recordings' reader: one input is the bytes of a recording file, written to a scratch
// file and handed to ORVEX_ReplayInput. An accepted recording is fed turn by turn, with a
// frame digest on most turns as a program presents them, so that the turn decoding, the
// digest check and the hand-over to live input run too. A recording longer than MAX_FED
// turns is replaced by an empty one, which ends it at the next turn; either way every input
// ends with live input back and nothing held.
//
// Mutants mostly get their checksums set right again (LLVMFuzzerCustomMutator), so that the
// fuzzer reaches the records behind them; the others test the checks themselves.
// `fuzz_record --write-seeds DIR` records the valid seeds of fuzz/corpus/record through the
// engine from scripted SDL events (fuzz/seeds.py runs it), in the current format; the
// `regress-v1-*` seeds keep files of format version 1, which must still replay.
//
// Index: Scratch files / Frames / Feeding / Checksums / Seeds / Entry points
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <orvex/orvex.hpp>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "events.hpp"
#include "fuzz_support.hpp"

namespace {

// Turns fed per input: a recording of up to 256 MiB may hold hundreds of millions.
constexpr uint32_t MAX_FED = 4096;

//------------------------------------------------------------------------------------------
// Scratch files
//------------------------------------------------------------------------------------------
// One input file and one empty recording per process, in the temp folder, gone at exit.
// Plain arrays: the exit handler that removes the files runs after static objects are gone.
struct {
    char input[1024], empty[1024];
} scratch;

void name_scratch(void) {
    const std::string base =
        (std::filesystem::temp_directory_path() / ("fuzz_record-" + std::to_string(getpid())))
            .string();
    snprintf(scratch.input, sizeof scratch.input, "%s.rec", base.c_str());
    snprintf(scratch.empty, sizeof scratch.empty, "%s-empty.rec", base.c_str());
}

void remove_scratch(void) {
    remove(scratch.input);
    remove(scratch.empty);
}

// The old file is removed first: ext4 flushes a file truncated and written again when it is
// closed, which costs milliseconds per input.
bool write_file(const char* path, const uint8_t* data, size_t size) {
    remove(path);
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    const bool written = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && written;
}

//------------------------------------------------------------------------------------------
// Frames
//------------------------------------------------------------------------------------------
// The frame a turn presents, the same when the seeds are recorded and when they are fed, so
// that the seeds replay without a difference: every turn but each fourth, its digest made of
// the turn's number.
void present(uint32_t turn) {
    if (turn % 4 != 0) ORVEX_SetFrameDigest(0x5EED000000000000u + turn);
}

// Back to quiet after a recording or a replay: what was released ages to up, and a recorded
// quit is forgotten (a program would have stopped there).
void settle(void) {
    ORVEX_Cycle();
    orvex.input.quit = 0;
}

//------------------------------------------------------------------------------------------
// Feeding
//------------------------------------------------------------------------------------------
// The empty recording that ends a replay cut short, made once.
bool make_empty(void) {
    static int32_t made = -1;
    if (made < 0) made = ORVEX_RecordInput(scratch.empty) == 0 && ORVEX_StopRecording() == 0;
    return made == 1;
}

bool all_up(void) {
    for (int32_t i = 0; i < ORVEX_MAX_KEYS; ++i) {
        if (ORVEX_GetKeyState(i) != ORVEX_KEY_UP) return false;
    }
    for (int32_t i = 0; i < ORVEX_MAX_BUTTONS; ++i) {
        if (ORVEX_GetButtonState(i) != ORVEX_KEY_UP) return false;
    }
    for (int32_t i = 0; i < ORVEX_MAX_GAMEPAD_BUTTONS; ++i) {
        if (ORVEX_GetGamepadButtonState(i) != ORVEX_KEY_UP) return false;
    }
    return true;
}

// Feeds the replay to its end (the turn after its last one hands over to live input), or
// MAX_FED turns of it; then every turn must have been fed, the counts must add up and
// nothing may stay held.
void feed(void) {
    uint32_t turn = 0;
    while (ORVEX_IsReplaying() && turn < MAX_FED) {
        ORVEX_Cycle();
        present(++turn);
    }
    ORVEX_ReplayStatus status;
    ORVEX_GetReplayStatus(&status);
    const bool cut = ORVEX_IsReplaying();
    if (cut) {
        if (ORVEX_ReplayInput(scratch.empty) != 0) abort();
        ORVEX_Cycle();
    }
    settle();
    const bool counts_ok = status.turns_fed == (cut ? MAX_FED : status.turns) &&
                           status.frames_checked <= status.frames;
    if (!counts_ok || ORVEX_IsReplaying() || !all_up()) {
        fprintf(stderr, "fuzz_record: fed %u of %u turns, %u of %u frames checked, %s\n",
                status.turns_fed, status.turns, status.frames_checked, status.frames,
                ORVEX_IsReplaying() ? "still replaying" : "input left held");
        abort();
    }
}

//------------------------------------------------------------------------------------------
// Checksums
//------------------------------------------------------------------------------------------
// The file as engine/record.cpp writes it: a 40-byte header whose last 8 bytes are the XXH3
// of the 32 before them, then blocks of [kind u32, length u32, payload, XXH3 of the rest].
constexpr size_t HEADER_BYTES = 40;
constexpr size_t BLOCK_HEAD = 8;
constexpr size_t BLOCK_TAIL = 8;

void put_u64(uint8_t* p, uint64_t v) {
    for (int32_t i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Sets the header's checksum and that of every whole block, walking them by their lengths.
void seal(uint8_t* d, size_t size) {
    if (size < HEADER_BYTES) return;
    put_u64(d + 32, XXH3_64bits(d, 32));
    size_t pos = HEADER_BYTES;
    while (size - pos >= BLOCK_HEAD) {
        const size_t length =
            d[pos + 4] | d[pos + 5] << 8 | d[pos + 6] << 16 | size_t{d[pos + 7]} << 24;
        if (size - pos - BLOCK_HEAD < length + BLOCK_TAIL) return;
        put_u64(d + pos + BLOCK_HEAD + length, XXH3_64bits(d + pos, BLOCK_HEAD + length));
        pos += BLOCK_HEAD + length + BLOCK_TAIL;
    }
}

//------------------------------------------------------------------------------------------
// Seeds
//------------------------------------------------------------------------------------------
// Each seed is a script of turns: turn 0 runs before the recording starts, turns 1..turns
// are recorded, and turn turns + 1 lets go of what the recording ended with.
using support::push_button;
using support::push_key;
using support::push_motion;

void idle(int32_t) {}

void keys(int32_t turn) {
    switch (turn) {
    case 1: push_key(SDL_SCANCODE_A, true); break;
    case 3:  // pressed and released within one turn
        push_key(SDL_SCANCODE_B, true);
        push_key(SDL_SCANCODE_B, false);
        break;
    case 4: push_key(SDL_SCANCODE_A, true, true); break;  // auto-repeat changes nothing
    case 5:
        push_key(SDL_SCANCODE_A, false);
        push_key(SDL_SCANCODE_SPACE, true);
        push_key(SDL_SCANCODE_LSHIFT, true);
        break;
    case 7: push_key(SDL_SCANCODE_SPACE, false); break;
    case 9: push_key(SDL_SCANCODE_LSHIFT, false); break;
    default: break;
    }
}

void held_at_start(int32_t turn) {
    switch (turn) {
    case 0:
        push_key(SDL_SCANCODE_J, true);
        push_button(SDL_BUTTON_LEFT, true, 12, 34);
        break;
    case 2: push_key(SDL_SCANCODE_J, false); break;
    case 4: push_button(SDL_BUTTON_LEFT, false, 12, 34); break;
    default: break;
    }
}

void mouse(int32_t turn) {
    switch (turn) {
    case 1: push_motion(10, 20); break;
    case 2: push_button(SDL_BUTTON_LEFT, true, 11, 21); break;
    case 3:
        push_button(SDL_BUTTON_LEFT, false, 11, 21);
        push_button(SDL_BUTTON_RIGHT, true, 30, 40);
        break;
    case 4: push_motion(-5, 70); break;  // outside the window
    case 5:
        push_button(SDL_BUTTON_RIGHT, false, 0, 0);
        push_button(SDL_BUTTON_MIDDLE, true, 63, 63);
        push_button(SDL_BUTTON_MIDDLE, false, 63, 63);
        break;
    case 7: push_button(SDL_BUTTON_X1, true, 5, 5); break;
    case 9: push_button(SDL_BUTTON_X1, false, 5, 5); break;
    default: break;
    }
}

// A virtual game controller, plugged in for the script and pulled out while it holds a
// button (which releases it).
int32_t pad_index = -1;

int32_t pad_id(void) { return SDL_JoystickGetDeviceInstanceID(pad_index); }

void pad(int32_t turn) {
    switch (turn) {
    case 1: {
        SDL_VirtualJoystickDesc desc = {};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "fuzz seed pad";
        pad_index = SDL_JoystickAttachVirtualEx(&desc);
        break;
    }
    case 2: support::push_pad_button(pad_id(), SDL_CONTROLLER_BUTTON_A, true); break;
    case 3:
        support::push_pad_button(pad_id(), SDL_CONTROLLER_BUTTON_A, false);
        support::push_pad_button(pad_id(), SDL_CONTROLLER_BUTTON_B, true);
        support::push_pad_button(pad_id(), SDL_CONTROLLER_BUTTON_START, true);
        break;
    case 5: support::push_pad_button(pad_id(), SDL_CONTROLLER_BUTTON_B, false); break;
    case 6: SDL_JoystickDetachVirtual(pad_index); break;
    default: break;
    }
}

// Taps within one turn, several of one key: press counts above 1 beside a released state.
void taps(int32_t turn) {
    switch (turn) {
    case 1:
        for (int32_t i = 0; i < 3; ++i) {
            push_key(SDL_SCANCODE_F12, true);
            push_key(SDL_SCANCODE_F12, false);
        }
        break;
    case 2:
        push_button(SDL_BUTTON_LEFT, true, 1, 1);
        push_button(SDL_BUTTON_LEFT, false, 1, 1);
        push_key(SDL_SCANCODE_A, true);
        push_key(SDL_SCANCODE_A, true, true);  // a repeat is no press
        break;
    case 3: push_key(SDL_SCANCODE_A, false); break;
    default: break;
    }
}

void quit(int32_t turn) {
    if (turn == 2) support::push_quit();
    if (turn == 3) push_key(SDL_SCANCODE_Q, true);  // a program may play on after a quit
    if (turn == 5) push_key(SDL_SCANCODE_Q, false);
}

// Every other turn 256 keys go down or up: enough records for two turn blocks.
void many(int32_t turn) {
    if (turn < 1) return;
    for (int32_t key = 4; key < 4 + 256; ++key) push_key(key, turn % 2 != 0);
}

struct SeedScript {
    const char* name;
    int32_t turns;
    void (*turn)(int32_t turn);
};

constexpr SeedScript SEEDS[] = {
    {"empty", 0, idle},
    {"frames", 12, idle},
    {"keys", 8, keys},
    {"mouse", 8, mouse},
    {"held-at-start", 6, held_at_start},
    {"pad", 7, pad},
    {"quit", 4, quit},
    {"taps", 4, taps},
    {"blocks", 90, many},
    {"long", MAX_FED + 4, idle},  // cut after MAX_FED turns
};

bool record_seed(const std::string& path, const SeedScript& s) {
    s.turn(0);
    ORVEX_Cycle();
    if (ORVEX_RecordInput(path.c_str()) != 0) return false;
    for (int32_t turn = 1; turn <= s.turns; ++turn) {
        s.turn(turn);
        ORVEX_Cycle();
        present(static_cast<uint32_t>(turn));
    }
    if (ORVEX_StopRecording() != 0) return false;
    s.turn(s.turns + 1);
    ORVEX_Cycle();
    settle();
    return true;
}

// rand() is seeded before each recording: the files keep its seed, so they come out the
// same on every run. `dir` is absolute: starting the engine changes the working directory.
int write_seeds(const std::filesystem::path& dir) {
    int status = 0;
    uint32_t seed = 1;
    for (const SeedScript& s : SEEDS) {
        srand(seed++);
        if (record_seed((dir / s.name).string(), s)) continue;
        fprintf(stderr, "fuzz_record: seed %s was not written\n", s.name);
        status = 1;
    }
    ORVEX_Quit();
    return status;
}

}  // namespace

//------------------------------------------------------------------------------------------
// Entry points
//------------------------------------------------------------------------------------------
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (*argc == 3 && strcmp((*argv)[1], "--write-seeds") == 0) {
        const std::filesystem::path dir = std::filesystem::absolute((*argv)[2]);
        if (!fuzz::engine(0)) abort();
        exit(write_seeds(dir));
    }
    name_scratch();
    atexit(remove_scratch);
    return 0;
}

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size,
                                          unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, max_size);
    if (seed % 4 != 0) seal(data, size);
    return size;
}

// The engine starts with the first input, once libFuzzer has read the inputs named on its
// command line: starting changes the working directory.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::engine(0) || !make_empty()) abort();
    if (!write_file(scratch.input, data, size)) abort();
    if (ORVEX_ReplayInput(scratch.input) == 0) {
        feed();
    } else if (ORVEX_IsReplaying()) {
        abort();  // a refused file must change nothing
    }
    return 0;
}
