// The whole-file reader of files.hpp, the same on every platform: the path is examined
// before it is opened where the platform can (a FIFO is refused without being opened), the
// opened file is examined again, then read to its end into one block that grows only when
// the file turns out longer than it said. The calls on the file itself are each platform's
// (platform/file_io.hpp); the checks, the limit and every message are here, once.
//
// Index: Reporting / Draining / Interface
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files.hpp"
#include "log.hpp"
#include "platform/file_io.hpp"

// The first block of a file that says it is empty (files under /proc), and the probe that
// confirms the end of one that said its size.
constexpr size_t FIRST_GUESS = 4096;

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
// "<path>: <error text>", or "<op>: "": <error text>" for the empty path, which would
// otherwise print as a bare error text.
static void report_path_error(const char* path, const char* op) {
    char text[256];
    file_io_error_text(text, sizeof text);
    if (path[0] == '\0') {
        orvex_report_line("%s: \"\": %s\n", op, text);
        return;
    }
    orvex_report_line("%s: %s\n", path, text);
}

// True for a regular file of at most ORVEX_MAX_BLOCK_BYTES; otherwise reports why not.
static bool acceptable(const char* path, const FileIoFacts& facts) {
    if (facts.kind) {
        orvex_report_line("%s: %s\n", path, facts.kind);
        return false;
    }
    if (facts.stamp.size > ORVEX_MAX_BLOCK_BYTES) {
        orvex_report_line("%s: file of %lld bytes is too large (2 GiB or more)\n", path,
                          (long long)facts.stamp.size);
        return false;
    }
    return true;
}

//------------------------------------------------------------------------------------------
// Draining
//------------------------------------------------------------------------------------------
struct Growing {
    uint8_t* block;
    size_t used, capacity;
};

// Appends bytes that arrived past the capacity (a file that grew, or a pseudo-file that
// claims to be empty), doubling the block up to the largest size accepted, which the caller
// has made sure that used + n does not exceed; false when out of memory.
static bool append(Growing* g, const uint8_t* bytes, size_t n) {
    constexpr size_t most = size_t(ORVEX_MAX_BLOCK_BYTES);
    size_t capacity = g->capacity * 2 > g->used + n ? g->capacity * 2 : g->used + n;
    if (capacity > most) capacity = most;
    uint8_t* grown = static_cast<uint8_t*>(realloc(g->block, capacity));
    if (!grown) return false;
    memcpy(grown + g->used, bytes, n);
    *g = {grown, g->used + n, capacity};
    return true;
}

// Null after reporting why the drain stopped; the block goes.
static uint8_t* drain_failed(Growing* g, const char* op, const char* why) {
    orvex_report_line("%s:drain: %s\n", op, why);
    free(g->block);
    return nullptr;
}

// Reads `file` to its end. The block starts at the size the file reported, so that a
// regular file costs exactly one block of its own size: a small probe read confirms the
// end without touching the block. Null after reporting.
static uint8_t* drain(FileIoHandle file, const char* path, const char* op, int64_t hint,
                      int64_t* size) {
    Growing g = {nullptr, 0, hint > 0 ? size_t(hint) : FIRST_GUESS};
    g.block = static_cast<uint8_t*>(malloc(g.capacity));
    if (!g.block) return drain_failed(&g, op, strerror(ENOMEM));
    for (;;) {
        uint8_t probe[FIRST_GUESS];
        const bool full = g.used == g.capacity;
        const int64_t n = full ? file_io_read(file, probe, sizeof probe)
                               : file_io_read(file, g.block + g.used, g.capacity - g.used);
        if (n == 0) break;
        if (n < 0) {
            char text[256];
            file_io_error_text(text, sizeof text);
            return drain_failed(&g, op, text);
        }
        if (int64_t(g.used) + n > ORVEX_MAX_BLOCK_BYTES) {
            orvex_report_line("%s: file of more than %lld bytes is too large (2 GiB or more)\n",
                              path, (long long)ORVEX_MAX_BLOCK_BYTES);
            free(g.block);
            return nullptr;
        }
        if (full && !append(&g, probe, size_t(n))) return drain_failed(&g, op, strerror(ENOMEM));
        if (!full) g.used += size_t(n);
    }
    *size = int64_t(g.used);
    return g.block;
}

//------------------------------------------------------------------------------------------
// Interface
//------------------------------------------------------------------------------------------
int32_t orvex_file_read(const char* path, const char* op, OrvexFileBlock* out) {
    FileIoFacts facts;
    if (!file_io_examine_path(path, &facts)) {
        report_path_error(path, op);
        return -1;
    }
    if (!acceptable(path, facts)) return -1;
    FileIoHandle file;
    if (!file_io_open(path, &file)) {
        report_path_error(path, op);
        return -1;
    }
    OrvexFileBlock block;
    uint8_t* bytes = nullptr;
    if (!file_io_examine(file, &facts)) {
        report_path_error(path, op);
    } else if (acceptable(path, facts)) {
        block.stamp = facts.stamp;
        bytes = drain(file, path, op, facts.stamp.size, &block.size);
    }
    file_io_close(file);
    if (!bytes) return -1;
    block.bytes = bytes;
    *out = block;
    return 0;
}
