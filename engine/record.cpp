// Record and replay of each turn's input. The engine's device state (key, mouse button and
// pad button states, mouse position, quit) is what a program reads, so that is what a
// recording keeps: for every turn, what the event drain changed after the aging and the
// presses it counted, plus the digest of the frame the turn presented. A replay puts those
// back turn by turn while the live input goes to a shadow copy of the state, which takes over
// again at the end.
// The mouse is kept as the logical position the program reads (ORVEX_GetMousePos), so a
// replay in a window of another size, or in fullscreen, points at the same picture pixels.
//
// The file: a 40-byte header, then blocks of [kind, length, payload, XXH3 checksum]: one
// start block (the state when recording began), turn blocks of whole turn records, and one
// end block with the counts. A reader checks every block and every record before the first
// turn is fed, so a flipped byte or a cut tail is refused, never half played. Records are
// collected in one block buffer made at the start and written a block at a time: nothing is
// allocated while turns go by.
//
// Index: File format / Input snapshots / Reporting / Recording / Reading and checking /
//        Replaying / Turn hooks / Frame digests / Queries
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bytes.hpp"
#include "engine_state.hpp"
#include "files.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// File format
//------------------------------------------------------------------------------------------
// All numbers little-endian. Header: magic, version, rand seed, the first two rand() values
// after seeding (to tell another C library's rand()), the frame counter at the start, a
// reserved word, and the XXH3 of the 32 bytes before it.
constexpr char MAGIC[8] = {'O', 'R', 'V', 'E', 'X', 'R', 'E', 'C'};
// Version 2 added each turn's press counts; a version 1 file replays with counts derived from
// its state changes (read_v1_presses).
constexpr uint32_t FORMAT_VERSION = 2;
constexpr size_t HEADER_BYTES = 40;

enum BlockKind : uint32_t { BLOCK_START = 1, BLOCK_TURNS = 2, BLOCK_END = 3 };
constexpr size_t BLOCK_HEAD = 8;  // kind, payload length
constexpr size_t BLOCK_TAIL = 8;  // XXH3 of head and payload
constexpr size_t BLOCK_PAYLOAD = 64 * 1024;
constexpr int64_t MAX_FILE_BYTES = int64_t{256} << 20;

// One index space over the three state tables: keys, then mouse buttons, then pad buttons.
constexpr int32_t FIRST_BUTTON = INPUT_FIRST_BUTTON;
constexpr int32_t FIRST_PAD_BUTTON = INPUT_FIRST_PAD_BUTTON;
constexpr int32_t SLOTS = INPUT_SLOTS;

// A turn record: flags, then the logical mouse position (two int32) if it changed, the
// changed states (count, then slot u16 and state u8 each) if any, the press counts (count,
// then slot u16 and presses u16 each, none of them 0; version 2 on) if any, and the frame
// digest (u64) if a frame was presented. The start block: the logical mouse position, then
// the held states as changes from all up.
enum TurnFlags : uint8_t {
    TURN_QUIT = 1,
    TURN_MOUSE = 2,
    TURN_CHANGES = 4,
    TURN_FRAME = 8,
    TURN_PRESSES = 16,
};
constexpr uint8_t TURN_V1_FLAGS = TURN_QUIT | TURN_MOUSE | TURN_CHANGES | TURN_FRAME;
constexpr uint8_t TURN_KNOWN_FLAGS = TURN_V1_FLAGS | TURN_PRESSES;
constexpr size_t MAX_TURN_BYTES = 1 + 8 + 2 + SLOTS * 3 + 2 + SLOTS * 4 + 8;

// Numbers go in and out through bytes.hpp: put_le and get_le for the header and block
// frames, whose lengths are checked first, a Reader for records, whose lengths are not.
using Reader = ByteReader;

struct TurnRecord {
    uint8_t flags;
    int32_t mouse_x, mouse_y;
    uint32_t changes;             // number of (slot, state) entries
    const uint8_t* change_bytes;  // 3 bytes each
    uint32_t presses;             // number of (slot, presses) entries
    const uint8_t* press_bytes;   // 4 bytes each
    uint64_t digest;
};

static bool read_changes(Reader* r, uint32_t* count, const uint8_t** bytes) {
    *count = static_cast<uint32_t>(r->take(2));
    *bytes = r->p;
    for (uint32_t i = 0; i < *count && r->ok; ++i) {
        const uint64_t slot = r->take(2);
        const uint64_t state = r->take(1);
        if (slot >= SLOTS || state > ORVEX_KEY_PRESSED) r->ok = false;
    }
    return r->ok;
}

static bool read_presses(Reader* r, uint32_t* count, const uint8_t** bytes) {
    *count = static_cast<uint32_t>(r->take(2));
    *bytes = r->p;
    if (*count == 0) r->ok = false;
    for (uint32_t i = 0; i < *count && r->ok; ++i) {
        const uint64_t slot = r->take(2);
        const uint64_t presses = r->take(2);
        if (slot >= SLOTS || presses == 0) r->ok = false;
    }
    return r->ok;
}

static bool read_turn(Reader* r, TurnRecord* t, uint32_t version) {
    *t = {};
    t->flags = static_cast<uint8_t>(r->take(1));
    if (t->flags & ~(version >= 2 ? TURN_KNOWN_FLAGS : TURN_V1_FLAGS)) r->ok = false;
    if (t->flags & TURN_MOUSE) {
        t->mouse_x = static_cast<int32_t>(r->take(4));
        t->mouse_y = static_cast<int32_t>(r->take(4));
    }
    if ((t->flags & TURN_CHANGES) && read_changes(r, &t->changes, &t->change_bytes)) {
        if (t->changes == 0) r->ok = false;
    }
    if (t->flags & TURN_PRESSES) read_presses(r, &t->presses, &t->press_bytes);
    if (t->flags & TURN_FRAME) t->digest = r->take(8);
    return r->ok;
}

//------------------------------------------------------------------------------------------
// Input snapshots
//------------------------------------------------------------------------------------------
struct InputSnapshot {
    KeyState states[SLOTS];
    int32_t mouse_x, mouse_y;
};

static void take_input(InputSnapshot* s) {
    memcpy(s->states, orvex.input.keys, sizeof orvex.input.keys);
    memcpy(s->states + FIRST_BUTTON, orvex.input.buttons, sizeof orvex.input.buttons);
    memcpy(s->states + FIRST_PAD_BUTTON, orvex.input.pad_buttons, sizeof orvex.input.pad_buttons);
    s->mouse_x = orvex.input.mouse_x;
    s->mouse_y = orvex.input.mouse_y;
}

static void put_input(const InputSnapshot* s) {
    memcpy(orvex.input.keys, s->states, sizeof orvex.input.keys);
    memcpy(orvex.input.buttons, s->states + FIRST_BUTTON, sizeof orvex.input.buttons);
    memcpy(orvex.input.pad_buttons, s->states + FIRST_PAD_BUTTON, sizeof orvex.input.pad_buttons);
    orvex.input.mouse_x = s->mouse_x;
    orvex.input.mouse_y = s->mouse_y;
}

static void age_input(InputSnapshot* s) { age_key_states(s->states, SLOTS); }

static bool is_held(KeyState k) { return k == ORVEX_KEY_DOWN || k == ORVEX_KEY_PRESSED; }

static void apply_changes(KeyState* states, uint32_t count, const uint8_t* bytes) {
    for (uint32_t i = 0; i < count; ++i, bytes += 3) {
        states[get_le(bytes, 2)] = static_cast<KeyState>(bytes[2]);
    }
}

static void apply_presses(PressCounts* presses, uint32_t count, const uint8_t* bytes) {
    for (uint32_t i = 0; i < count; ++i, bytes += 4) {
        presses_add(presses, static_cast<int32_t>(get_le(bytes, 2)),
                    static_cast<uint32_t>(get_le(bytes + 2, 2)));
    }
}

// A version 1 file kept no counts: from the aged states `before` and the turn's changes, a
// key that reads pressed went down once, and so did one that reads released without having
// been held (a tap within the turn). More presses within one turn are not known.
static void read_v1_presses(PressCounts* presses, const KeyState* before, uint32_t count,
                            const uint8_t* bytes) {
    for (uint32_t i = 0; i < count; ++i, bytes += 3) {
        const int32_t slot = static_cast<int32_t>(get_le(bytes, 2));
        const KeyState now = static_cast<KeyState>(bytes[2]);
        const bool tap = now == ORVEX_KEY_RELEASED && before[slot] == ORVEX_KEY_UP;
        if (now == ORVEX_KEY_PRESSED || tap) presses_add(presses, slot, 1);
    }
}

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
static void report_file(const char* op, const char* path, const char* why) {
    orvex_report_line("%s: %s: %s\n", op, path, why);
}

//------------------------------------------------------------------------------------------
// Recording
//------------------------------------------------------------------------------------------
static struct {
    FILE* file;  // "<path>.part" while recording; null otherwise
    std::string path, part;
    uint8_t* block;  // head, up to BLOCK_PAYLOAD bytes of payload, tail
    size_t used;     // payload bytes in the block
    uint32_t turns, frames;
    bool turn_open;  // the last turn's record waits for its frame digest
    size_t turn_at;  // where that record's flags byte is in the payload
    bool has_digest;
    uint64_t digest;
    InputSnapshot before;      // the state after aging, before this turn's drain
    int32_t mouse_x, mouse_y;  // the logical mouse position written last
    int32_t quit_before;
    bool lost;  // a write failed: the recording ended without a file
} rec;

static bool write_all(const void* bytes, size_t n) { return fwrite(bytes, 1, n, rec.file) == n; }

static void release_recording(void) {
    if (rec.file) fclose(rec.file);
    rec.file = nullptr;
    free(rec.block);
    rec.block = nullptr;
}

// A write failed (a full disk, a removed folder): the partial file goes, and so does the
// recording; the program plays on.
static void abandon_recording(void) {
    orvex_report_errno(rec.part.c_str());
    release_recording();
    std::error_code ignored;
    std::filesystem::remove(orvex_path(rec.part), ignored);
    orvex_report_line("ORVEX_RecordInput: %s was not written; the recording has stopped\n",
                      rec.path.c_str());
    rec.lost = true;
}

// Closes the block in rec.block with its head and checksum and writes it.
static bool write_block(BlockKind kind, size_t payload) {
    uint8_t* head = rec.block;
    put_le(head, kind, 4);
    put_le(head + 4, payload, 4);
    put_le(head + BLOCK_HEAD + payload, XXH3_64bits(head, BLOCK_HEAD + payload), 8);
    if (write_all(head, BLOCK_HEAD + payload + BLOCK_TAIL)) return true;
    abandon_recording();
    return false;
}

static uint8_t* payload(void) { return rec.block + BLOCK_HEAD; }

static bool flush_turns(void) {
    if (rec.used == 0) return true;
    const size_t n = rec.used;
    rec.used = 0;
    return write_block(BLOCK_TURNS, n);
}

// The (slot, presses) entries of every slot pressed this turn; answers the end of the writing.
static uint8_t* put_presses(uint8_t* p, const PressCounts* presses) {
    p = put_le(p, static_cast<uint32_t>(presses->nb_touched), 2);
    for (int32_t i = 0; i < presses->nb_touched; ++i) {
        const uint16_t slot = presses->touched[i];
        p = put_le(p, slot, 2);
        p = put_le(p, presses->counts[slot], 2);
    }
    return p;
}

// The (slot, state) entries where `now` differs from `before`; answers the end of the writing.
static uint8_t* put_changes(uint8_t* p, const KeyState* before, const KeyState* now) {
    uint8_t* count_at = p;
    p += 2;
    uint32_t count = 0;
    for (int32_t i = 0; i < SLOTS; ++i) {
        if (before[i] == now[i]) continue;
        p = put_le(p, static_cast<uint32_t>(i), 2);
        p = put8(p, now[i]);
        ++count;
    }
    put_le(count_at, count, 2);
    return p;
}

static bool write_header(uint32_t seed, uint32_t probe0, uint32_t probe1) {
    uint8_t h[HEADER_BYTES] = {};
    memcpy(h, MAGIC, sizeof MAGIC);
    put_le(h + 8, FORMAT_VERSION, 4);
    put_le(h + 12, seed, 4);
    put_le(h + 16, probe0, 4);
    put_le(h + 20, probe1, 4);
    put_le(h + 24, orvex.time.frame_count, 4);
    put_le(h + 32, XXH3_64bits(h, 32), 8);
    return write_all(h, sizeof h);
}

// The held states and the mouse when recording begins: a replay starts from them.
static bool write_start_block(void) {
    take_input(&rec.before);
    ORVEX_GetMousePos(&rec.mouse_x, &rec.mouse_y);
    uint8_t* p = put_le(payload(), static_cast<uint32_t>(rec.mouse_x), 4);
    p = put_le(p, static_cast<uint32_t>(rec.mouse_y), 4);
    static const KeyState all_up[SLOTS] = {};
    p = put_changes(p, all_up, rec.before.states);
    return write_block(BLOCK_START, static_cast<size_t>(p - payload()));
}

// rand() is reseeded from its own next value, so a program that seeds rand() itself keeps
// its variety and one that never does stays deterministic; the file keeps the seed.
static uint32_t reseed_rand(uint32_t* probe0, uint32_t* probe1) {
    const uint32_t seed = static_cast<uint32_t>(rand());
    srand(seed);
    *probe0 = static_cast<uint32_t>(rand());
    *probe1 = static_cast<uint32_t>(rand());
    srand(seed);
    return seed;
}

// The recording goes to "<path>.part" and is renamed to `path` at its end: both must be
// regular files or nothing, which is said at once rather than when the play is over.
static int32_t open_recording(const char* path) {
    rec.path = path;
    rec.part = rec.path + ".part";
    if (const char* kind = orvex_file_kind(path)) {
        orvex_report_line("%s: %s\n", path, kind);  // as the file reader says it
        return -1;
    }
    const char* why = nullptr;
    rec.file = orvex_file_create(rec.part.c_str(), &why);
    if (!rec.file) {
        orvex_report_line("%s: %s\n", rec.part.c_str(), why);
        return -1;
    }
    setvbuf(rec.file, nullptr, _IONBF, 0);  // whole blocks are written at once
    rec.block = static_cast<uint8_t*>(malloc(BLOCK_HEAD + BLOCK_PAYLOAD + BLOCK_TAIL));
    if (!rec.block) {
        orvex_report_errno("ORVEX_RecordInput:malloc");
        release_recording();
        return -1;
    }
    return 0;
}

int32_t ORVEX_RecordInput(const char* path) {
    if (!path || !*path) {
        orvex_report_line("ORVEX_RecordInput: path is empty\n");
        return -1;
    }
    if (rec.file) {
        report_file("ORVEX_RecordInput", rec.path.c_str(), "already recording; stop it first");
        return -1;
    }
    if (open_recording(path) != 0) return -1;
    uint32_t probe0, probe1;
    const uint32_t seed = reseed_rand(&probe0, &probe1);
    bool written = write_header(seed, probe0, probe1);
    if (!written) abandon_recording();
    written = written && write_start_block();
    rec.lost = false;  // said already, and the caller hears it from the result
    if (!written) return -1;
    rec.used = rec.turns = rec.frames = 0;
    rec.turn_open = rec.has_digest = false;
    return 0;
}

static void close_recorded_turn(void) {
    if (!rec.turn_open) return;
    if (rec.has_digest) {
        payload()[rec.turn_at] |= TURN_FRAME;
        put_le(payload() + rec.used, rec.digest, 8);
        rec.used += 8;
        rec.frames++;
    }
    rec.turn_open = rec.has_digest = false;
}

static void recorder_begin(void) {
    close_recorded_turn();
    take_input(&rec.before);
    rec.quit_before = orvex.input.quit;
}

static void recorder_end(void) {
    if (BLOCK_PAYLOAD - rec.used < MAX_TURN_BYTES && !flush_turns()) return;
    InputSnapshot now;
    take_input(&now);
    uint8_t* start = payload() + rec.used;
    uint8_t flags = 0;
    uint8_t* p = start + 1;
    if (orvex.input.quit && !rec.quit_before) flags |= TURN_QUIT;
    int32_t mouse_x, mouse_y;
    ORVEX_GetMousePos(&mouse_x, &mouse_y);
    if (mouse_x != rec.mouse_x || mouse_y != rec.mouse_y) {
        flags |= TURN_MOUSE;
        p = put_le(p, static_cast<uint32_t>(mouse_x), 4);
        p = put_le(p, static_cast<uint32_t>(mouse_y), 4);
        rec.mouse_x = mouse_x;
        rec.mouse_y = mouse_y;
    }
    if (memcmp(now.states, rec.before.states, sizeof now.states) != 0) {
        flags |= TURN_CHANGES;
        p = put_changes(p, rec.before.states, now.states);
    }
    if (orvex.input.presses.nb_touched > 0) {
        flags |= TURN_PRESSES;
        p = put_presses(p, &orvex.input.presses);
    }
    *start = flags;
    rec.turn_at = rec.used;
    rec.used = static_cast<size_t>(p - payload());
    rec.turn_open = true;
    rec.turns++;
}

static bool write_end_block(void) {
    uint8_t* p = put_le(payload(), rec.turns, 4);
    p = put_le(p, rec.frames, 4);
    return write_block(BLOCK_END, static_cast<size_t>(p - payload()));
}

int32_t ORVEX_StopRecording(void) {
    if (!rec.file) {
        const bool lost = rec.lost;
        rec.lost = false;
        return lost ? -1 : 0;
    }
    close_recorded_turn();
    bool written = flush_turns() && write_end_block();
    if (written && !orvex_file_sync(rec.file)) {
        abandon_recording();
        written = false;
    }
    if (!written) {
        rec.lost = false;  // this result tells it
        return -1;
    }
    const int closed = fclose(rec.file);
    rec.file = nullptr;
    std::error_code error;
    if (closed == 0) std::filesystem::rename(orvex_path(rec.part), orvex_path(rec.path), error);
    if (closed != 0 || error) {
        report_file("ORVEX_StopRecording", rec.path.c_str(),
                    closed != 0 ? strerror(errno) : error.message().c_str());
        std::filesystem::remove(orvex_path(rec.part), error);
        release_recording();
        return -1;
    }
    release_recording();
    return 0;
}

int32_t ORVEX_IsRecording(void) { return rec.file ? 1 : 0; }

//------------------------------------------------------------------------------------------
// Reading and checking
//------------------------------------------------------------------------------------------
// A checked recording: the turn records of every turn block, back to back.
struct Loaded {
    uint32_t version;
    uint32_t seed, probe0, probe1, start_frame;
    InputSnapshot start;  // its mouse is the logical position
    uint8_t* turns_data;  // owned
    size_t turns_size;
    uint32_t turns, frames;
};

// Reads the whole file through the engine's file reader, which refuses at once what is not
// a regular file (a FIFO never blocks) and reads files under /proc to their end; null after
// reporting (the buffer is the caller's to free). A file whose size already says it is too
// large is refused before it is read.
static uint8_t* read_whole(const char* path, size_t* size) {
    if (orvex_file_stamp(path).size > MAX_FILE_BYTES) {
        report_file("ORVEX_ReplayInput", path, "too large to be a recording");
        return nullptr;
    }
    OrvexFileBlock block;
    if (orvex_file_read(path, "ORVEX_ReplayInput", &block) != 0) return nullptr;
    if (block.size > MAX_FILE_BYTES) {
        report_file("ORVEX_ReplayInput", path, "too large to be a recording");
        free(block.bytes);
        return nullptr;
    }
    *size = static_cast<size_t>(block.size);
    return block.bytes;
}

static bool check_header(const uint8_t* d, size_t size, Loaded* out, std::string* why) {
    const size_t magic_seen = size < sizeof MAGIC ? size : sizeof MAGIC;
    if (memcmp(d, MAGIC, magic_seen) != 0) {
        *why = "not a recording (no ORVEXREC header)";
        return false;
    }
    if (size < HEADER_BYTES) {
        *why = size == 0 ? "empty" : "cut short (the header is incomplete)";
        return false;
    }
    const uint32_t version = static_cast<uint32_t>(get_le(d + 8, 4));
    if (version > FORMAT_VERSION) {
        *why = "made by a newer version of the engine (recording format " +
               std::to_string(version) + "; this one reads " + std::to_string(FORMAT_VERSION) + ")";
        return false;
    }
    if (version == 0 || get_le(d + 32, 8) != XXH3_64bits(d, 32)) {
        *why = "corrupt (the header's checksum does not match)";
        return false;
    }
    out->version = version;
    out->seed = static_cast<uint32_t>(get_le(d + 12, 4));
    out->probe0 = static_cast<uint32_t>(get_le(d + 16, 4));
    out->probe1 = static_cast<uint32_t>(get_le(d + 20, 4));
    out->start_frame = static_cast<uint32_t>(get_le(d + 24, 4));
    return true;
}

static bool check_start(const uint8_t* p, size_t n, Loaded* out) {
    Reader r = {p, p + n, true};
    out->start = {};
    out->start.mouse_x = static_cast<int32_t>(r.take(4));
    out->start.mouse_y = static_cast<int32_t>(r.take(4));
    uint32_t count;
    const uint8_t* bytes;
    if (!read_changes(&r, &count, &bytes) || r.p != r.end) return false;
    apply_changes(out->start.states, count, bytes);
    return true;
}

// Every record of a turn block must decode and fill it exactly; they are appended to the
// loaded stream.
static bool check_turns(const uint8_t* p, size_t n, Loaded* out) {
    Reader r = {p, p + n, true};
    TurnRecord t;
    while (r.p != r.end) {
        if (!read_turn(&r, &t, out->version)) return false;
        out->turns++;
        if (t.flags & TURN_FRAME) out->frames++;
    }
    memcpy(out->turns_data + out->turns_size, p, n);
    out->turns_size += n;
    return true;
}

static std::string at_byte(const char* what, size_t offset) {
    return std::string(what) + " at byte " + std::to_string(offset);
}

// The block at `pos` is whole and its checksum matches: its kind and payload length in *kind
// and *length. False with the reason in *why.
static bool check_block_frame(const uint8_t* d, size_t size, size_t pos, uint32_t* kind,
                              uint64_t* length, std::string* why) {
    if (size - pos < BLOCK_HEAD) {
        *why = "cut short (it has no end record: the recording did not finish)";
        return false;
    }
    *kind = static_cast<uint32_t>(get_le(d + pos, 4));
    *length = get_le(d + pos + 4, 4);
    if (*length > BLOCK_PAYLOAD || size - pos - BLOCK_HEAD < *length + BLOCK_TAIL) {
        *why = *length > BLOCK_PAYLOAD ? "corrupt (a block is too long)"
                                       : "cut short (the last block is incomplete)";
        *why += at_byte("", pos);
        return false;
    }
    if (get_le(d + pos + BLOCK_HEAD + *length, 8) != XXH3_64bits(d + pos, BLOCK_HEAD + *length)) {
        *why = at_byte("corrupt (a block's checksum does not match)", pos);
        return false;
    }
    return true;
}

// Whether a block of `kind` may come where one of `expected` is due (the end block may follow
// any turn block) and its payload reads as one.
static bool block_reads(uint32_t kind, uint32_t expected, const uint8_t* p, uint64_t length,
                        Loaded* out) {
    if (kind != expected && !(expected == BLOCK_TURNS && kind == BLOCK_END)) return false;
    switch (kind) {
    case BLOCK_START: return check_start(p, length, out);
    case BLOCK_TURNS: return check_turns(p, length, out);
    default: return length == 8 && get_le(p, 4) == out->turns && get_le(p + 4, 4) == out->frames;
    }
}

// Walks the blocks: start first, turn blocks, then the end block and nothing after it.
static bool check_blocks(const uint8_t* d, size_t size, Loaded* out, std::string* why) {
    size_t pos = HEADER_BYTES;
    uint32_t expected_kind = BLOCK_START, kind = 0;
    while (kind != BLOCK_END) {
        uint64_t length = 0;
        if (!check_block_frame(d, size, pos, &kind, &length, why)) return false;
        if (!block_reads(kind, expected_kind, d + pos + BLOCK_HEAD, length, out)) {
            *why = at_byte("corrupt (a block that does not read as a recording)", pos);
            return false;
        }
        pos += BLOCK_HEAD + length + BLOCK_TAIL;
        expected_kind = BLOCK_TURNS;
    }
    if (pos != size) {
        *why = at_byte("corrupt (data after the end record)", pos);
        return false;
    }
    return true;
}

// rand() must give what it gave when the recording was made; the check reseeds it, which a
// replay that goes ahead does anyway.
static bool same_rand(const Loaded* l) {
    srand(l->seed);
    const uint32_t r0 = static_cast<uint32_t>(rand());
    const uint32_t r1 = static_cast<uint32_t>(rand());
    srand(l->seed);
    return r0 == l->probe0 && r1 == l->probe1;
}

// False with the reason in *why, or with *why empty when the reader said it already.
static bool load_recording(const char* path, Loaded* out, std::string* why) {
    size_t size = 0;
    uint8_t* data = read_whole(path, &size);
    if (!data) return false;
    *out = {};
    bool ok = check_header(data, size, out, why);
    if (ok) {
        out->turns_data = static_cast<uint8_t*>(malloc(size));
        ok = out->turns_data != nullptr;
        if (!ok) *why = "out of memory";
    }
    ok = ok && check_blocks(data, size, out, why);
    free(data);
    if (ok && !same_rand(out)) {
        *why = "made with another C library's rand(), so it cannot replay exactly";
        ok = false;
    }
    if (!ok) {
        free(out->turns_data);
        out->turns_data = nullptr;
    }
    return ok;
}

//------------------------------------------------------------------------------------------
// Replaying
//------------------------------------------------------------------------------------------
static struct {
    bool active;
    Loaded file;
    size_t cursor;             // next turn record in file.turns_data
    uint32_t fed;              // turns fed so far
    InputSnapshot live;        // the player's own input while the replay feeds the engine's
    PressCounts live_presses;  // and the presses of the player's last turn
    bool live_valid;
    InputSnapshot stash;       // the replayed state, kept aside while the drain writes live input
    int32_t mouse_x, mouse_y;  // the replayed logical mouse position
    bool expect_frame;         // the turn fed last has a recorded frame digest
    uint64_t expected;
    bool frame_checked;
    ORVEX_ReplayStatus status;
} rep;

static void drop_replay(void) {
    free(rep.file.turns_data);
    rep.file.turns_data = nullptr;
    rep.active = false;
    rep.live_valid = false;
    rep.status.replaying = 0;
}

int32_t ORVEX_ReplayInput(const char* path) {
    if (!path || !*path) {
        orvex_report_line("ORVEX_ReplayInput: path is empty\n");
        return -1;
    }
    Loaded loaded;
    std::string why;
    if (!load_recording(path, &loaded, &why)) {
        if (!why.empty()) report_file("ORVEX_ReplayInput", path, why.c_str());
        return -1;
    }
    const bool live_valid = rep.active && rep.live_valid;  // a replay replaced mid-way
    free(rep.file.turns_data);
    rep.file = loaded;
    rep.active = true;
    rep.live_valid = live_valid;
    rep.cursor = 0;
    rep.fed = 0;
    rep.expect_frame = rep.frame_checked = false;
    rep.status = {.replaying = 1, .turns = loaded.turns, .frames = loaded.frames};
    rep.mouse_x = loaded.start.mouse_x;
    rep.mouse_y = loaded.start.mouse_y;
    orvex.time.frame_count = loaded.start_frame;
    return 0;
}

int32_t ORVEX_IsReplaying(void) { return rep.active ? 1 : 0; }

static void note_difference(const char* what) {
    rep.status.frames_differing++;
    if (rep.status.first_turn != 0) return;
    rep.status.first_turn = rep.fed;
    rep.status.first_frame = orvex.time.frame_count;
    orvex_report_line("ORVEX_ReplayInput: frame %u (turn %u of %u) %s\n", orvex.time.frame_count,
                      rep.fed, rep.file.turns, what);
}

static void close_replayed_turn(void) {
    if (rep.expect_frame && !rep.frame_checked) {
        note_difference("presented nothing; the recording has a frame there");
    }
    rep.expect_frame = rep.frame_checked = false;
}

// The end: what the replay held and the player does not is released, what the player holds
// and the replay did not is pressed, and from here on the drain writes the live input.
static void hand_over_to_live(void) {
    if (rep.live_valid) {
        age_input(&rep.live);
    } else {
        take_input(&rep.live);  // a recording without turns: the state is still the player's
    }
    InputSnapshot& replayed = rep.stash;
    take_input(&replayed);
    for (int32_t i = 0; i < SLOTS; ++i) {
        const bool was = is_held(replayed.states[i]);
        const bool now = is_held(rep.live.states[i]);
        KeyState state = rep.live.states[i];
        if (was && !now) state = ORVEX_KEY_RELEASED;
        if (!was && now) state = ORVEX_KEY_PRESSED;
        replayed.states[i] = state;
    }
    replayed.mouse_x = rep.live.mouse_x;
    replayed.mouse_y = rep.live.mouse_y;
    put_input(&replayed);
    drop_replay();
}

static void replayer_begin(void) {
    close_replayed_turn();
    if (rep.fed == rep.file.turns) {
        hand_over_to_live();
        return;
    }
    if (!rep.live_valid) {
        take_input(&rep.live);  // already aged by this turn
        rep.live_valid = true;
    } else {
        age_input(&rep.live);
    }
    if (rep.fed == 0) {
        rep.stash = rep.file.start;
        rep.stash.mouse_x = rep.live.mouse_x;  // the window position follows the player's
        rep.stash.mouse_y = rep.live.mouse_y;  // mouse; programs read rep.mouse_x/y instead
        age_input(&rep.stash);
    } else {
        take_input(&rep.stash);
    }
    put_input(&rep.live);  // the drain writes onto the player's own state
}

// The drain counted the player's presses: they go aside, and the recorded ones take their place
// (before the turn's state changes are applied: a version 1 file's counts are read from them).
static void feed_presses(const TurnRecord& t) {
    PressCounts* presses = &orvex.input.presses;
    presses_copy(&rep.live_presses, presses);
    presses_clear(presses);
    if (t.flags & TURN_PRESSES) apply_presses(presses, t.presses, t.press_bytes);
    if (rep.file.version == 1 && (t.flags & TURN_CHANGES)) {
        read_v1_presses(presses, rep.stash.states, t.changes, t.change_bytes);
    }
}

static void replayer_end(void) {
    take_input(&rep.live);
    put_input(&rep.stash);
    Reader r = {rep.file.turns_data + rep.cursor, rep.file.turns_data + rep.file.turns_size, true};
    TurnRecord t;
    read_turn(&r, &t, rep.file.version);  // checked when the file was loaded
    rep.cursor = static_cast<size_t>(r.p - rep.file.turns_data);
    feed_presses(t);
    if (t.flags & TURN_QUIT) orvex.input.quit = 1;
    if (t.flags & TURN_MOUSE) {
        rep.mouse_x = t.mouse_x;
        rep.mouse_y = t.mouse_y;
    }
    if (t.flags & TURN_CHANGES) {
        take_input(&rep.stash);
        apply_changes(rep.stash.states, t.changes, t.change_bytes);
        put_input(&rep.stash);
    }
    rep.expect_frame = (t.flags & TURN_FRAME) != 0;
    rep.expected = t.digest;
    rep.fed++;
    rep.status.turns_fed = rep.fed;
}

//------------------------------------------------------------------------------------------
// Turn hooks
//------------------------------------------------------------------------------------------
// ORVEX_Cycle calls these around its drain, in this order (engine_state.hpp).
void recording_note_before(void) {
    if (rec.file) recorder_begin();
}

void replay_swap_in_live(void) {
    if (rep.active) replayer_begin();
}

void replay_feed_turn(void) {
    if (rep.active) replayer_end();
}

void recording_note_turn(void) {
    if (rec.file) recorder_end();
}

void record_shutdown(void) {
    ORVEX_StopRecording();
    drop_replay();
}

//------------------------------------------------------------------------------------------
// Frame digests
//------------------------------------------------------------------------------------------
void ORVEX_SetFrameDigest(uint64_t digest) {
    if (rec.file && rec.turn_open) {
        rec.digest = digest;
        rec.has_digest = true;
    }
    if (!rep.active || rep.fed == 0) return;
    if (!rep.expect_frame) {
        note_difference("is not in the recording");
        return;
    }
    if (!rep.frame_checked) rep.status.frames_checked++;
    rep.frame_checked = true;
    if (digest != rep.expected) note_difference("differs from the recording");
}

//------------------------------------------------------------------------------------------
// Queries
//------------------------------------------------------------------------------------------
KeyState ORVEX_GetLiveKeyState(int32_t scancode) {
    if (scancode < 0 || scancode >= ORVEX_MAX_KEYS) return ORVEX_KEY_UP;
    if (rep.active && rep.live_valid) return rep.live.states[scancode];
    return orvex.input.keys[scancode];
}

int32_t ORVEX_GetLiveKeyPresses(int32_t scancode) {
    if (scancode < 0 || scancode >= ORVEX_MAX_KEYS) return 0;
    if (rep.active && rep.live_valid) return rep.live_presses.counts[scancode];
    return orvex.input.presses.counts[scancode];
}

bool record_replayed_mouse(int32_t* x, int32_t* y) {
    if (!rep.active || rep.fed == 0) return false;
    if (x) *x = rep.mouse_x;
    if (y) *y = rep.mouse_y;
    return true;
}

int32_t ORVEX_GetReplayStatus(ORVEX_ReplayStatus* status) {
    if (!status) {
        orvex_report_line("ORVEX_GetReplayStatus: status is NULL\n");
        return -1;
    }
    *status = rep.status;
    return 0;
}
