// Files on POSIX systems: whole-file reads for the resource registry and the stamps its
// change scan compares, files the engine writes, and the desktop's pictures folder. A path
// is examined with stat before it is opened, so that a FIFO, device or directory is refused
// without ever being opened (opening a FIFO for reading blocks until a writer appears); the
// open itself is non-blocking, and the opened file is checked again, in case the path was
// replaced in between.
//
// Index: Reporting / Stamps / Reading / Interface
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "files.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// Reporting
//------------------------------------------------------------------------------------------
// "<path>: <error text>", or "<op>: "": <error text>" for the empty path, which would
// otherwise print as a bare error text.
static void report_path_error(const char* path, const char* op, int error) {
    if (path[0] == '\0') {
        orvex_report_line("%s: \"\": %s\n", op, strerror(error));
        return;
    }
    orvex_report_line("%s: %s\n", path, strerror(error));
}

// What a path that is not a regular file leads to, as a message tail; null for a regular file.
static const char* kind_of(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return "is a directory";
    if (S_ISFIFO(mode)) return "is a FIFO";
    if (S_ISCHR(mode)) return "is a character device";
    if (S_ISBLK(mode)) return "is a block device";
    if (S_ISSOCK(mode)) return "is a socket";
    return "is not a regular file";
}

// True for a regular file of at most ORVEX_FILE_MAX_BYTES; otherwise reports why not.
static bool acceptable(const char* path, const struct stat& st) {
    if (const char* kind = kind_of(st.st_mode)) {
        orvex_report_line("%s: %s\n", path, kind);
        return false;
    }
    if (int64_t(st.st_size) > ORVEX_FILE_MAX_BYTES) {
        orvex_report_line("%s: file of %lld bytes is too large (2 GiB or more)\n", path,
                          (long long)st.st_size);
        return false;
    }
    return true;
}

//------------------------------------------------------------------------------------------
// Stamps
//------------------------------------------------------------------------------------------
static OrvexFileStamp stamp_of(const struct stat& st) {
    return OrvexFileStamp{
        .mtime_sec = int64_t(st.st_mtim.tv_sec),
        .mtime_nsec = int64_t(st.st_mtim.tv_nsec),
        .ctime_sec = int64_t(st.st_ctim.tv_sec),
        .ctime_nsec = int64_t(st.st_ctim.tv_nsec),
        .size = int64_t(st.st_size),
        .inode = uint64_t(st.st_ino),
        .device = uint64_t(st.st_dev),
    };
}

//------------------------------------------------------------------------------------------
// Reading
//------------------------------------------------------------------------------------------
// read() that retries when a signal interrupts it.
static ssize_t read_some(int fd, void* into, size_t bytes) {
    ssize_t n;
    do n = read(fd, into, bytes);
    while (n < 0 && errno == EINTR);
    return n;
}

struct Growing {
    uint8_t* block;
    size_t used, capacity;
};

// Appends bytes that arrived past the capacity (a file that grew, or a pseudo-file that
// claims to be empty), doubling the block up to the largest size accepted, which the caller
// has made sure that used + n does not exceed; false when out of memory.
static bool append(Growing* g, const uint8_t* bytes, size_t n) {
    constexpr size_t most = size_t(ORVEX_FILE_MAX_BYTES);
    size_t capacity = g->capacity * 2 > g->used + n ? g->capacity * 2 : g->used + n;
    if (capacity > most) capacity = most;
    uint8_t* grown = static_cast<uint8_t*>(realloc(g->block, capacity));
    if (!grown) return false;
    memcpy(grown + g->used, bytes, n);
    *g = {grown, g->used + n, capacity};
    return true;
}

// Reads `fd` to its end. The block starts at the size the file reported, so that a
// regular file costs exactly one block of its own size: a small probe read confirms the
// end without touching the block. Null after reporting.
static uint8_t* drain(int fd, const char* path, const char* op, int64_t hint, int64_t* size) {
    Growing g = {nullptr, 0, hint > 0 ? size_t(hint) : 4096};
    g.block = static_cast<uint8_t*>(malloc(g.capacity));
    if (!g.block) {
        orvex_report_line("%s:drain: %s\n", op, strerror(errno));
        return nullptr;
    }
    for (;;) {
        uint8_t probe[4096];
        const bool full = g.used == g.capacity;
        const ssize_t n = full ? read_some(fd, probe, sizeof probe)
                               : read_some(fd, g.block + g.used, g.capacity - g.used);
        if (n == 0) break;
        if (n > 0 && int64_t(g.used) + n > ORVEX_FILE_MAX_BYTES) {
            orvex_report_line("%s: file of more than %lld bytes is too large (2 GiB or more)\n",
                              path, (long long)ORVEX_FILE_MAX_BYTES);
            free(g.block);
            return nullptr;
        }
        if (n < 0 || (full && !append(&g, probe, size_t(n)))) {
            orvex_report_line("%s:drain: %s\n", op, strerror(errno));
            free(g.block);
            return nullptr;
        }
        if (!full) g.used += size_t(n);
    }
    *size = int64_t(g.used);
    return g.block;
}

//------------------------------------------------------------------------------------------
// Interface
//------------------------------------------------------------------------------------------
int32_t orvex_file_read(const char* path, const char* op, OrvexFileBlock* out) {
    struct stat st;
    if (stat(path, &st) != 0) {
        report_path_error(path, op, errno);
        return -1;
    }
    if (!acceptable(path, st)) return -1;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        report_path_error(path, op, errno);
        return -1;
    }
    OrvexFileBlock block;
    uint8_t* bytes = nullptr;
    if (fstat(fd, &st) != 0) {
        report_path_error(path, op, errno);
    } else if (acceptable(path, st)) {
        block.stamp = stamp_of(st);
        bytes = drain(fd, path, op, int64_t(st.st_size), &block.size);
    }
    close(fd);
    if (!bytes) return -1;
    block.bytes = bytes;
    *out = block;
    return 0;
}

OrvexFileStamp orvex_file_stamp(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0) return OrvexFileStamp{};
    return stamp_of(st);
}

int32_t orvex_enter_directory(const char* path) { return chdir(path) == 0 ? 0 : -1; }

const char* orvex_file_kind(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0) return nullptr;
    return kind_of(st.st_mode);
}

// Looked at first, so that a FIFO is named as one (opened without a reader, it says "No such
// device or address"); O_NONBLOCK, since opening a FIFO for writing waits for a reader
// otherwise; checked again once open, in case the path was replaced in between.
FILE* orvex_file_create(const char* path, const char** why) {
    if (const char* kind = orvex_file_kind(path)) {
        *why = kind;
        return nullptr;
    }
    const int fd =
        open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        *why = strerror(errno);
        return nullptr;
    }
    struct stat st;
    const char* kind = fstat(fd, &st) != 0 ? strerror(errno) : kind_of(st.st_mode);
    const int flags = fcntl(fd, F_GETFL);
    if (!kind && (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0))
        kind = strerror(errno);
    FILE* file = kind ? nullptr : fdopen(fd, "wb");
    if (!file) {
        *why = kind ? kind : strerror(errno);
        close(fd);
    }
    return file;
}

bool orvex_file_sync(FILE* file) { return fflush(file) == 0 && fsync(fileno(file)) == 0; }

struct tm orvex_local_time(time_t when) {
    struct tm local = {};
    localtime_r(&when, &local);
    return local;
}

// $XDG_PICTURES_DIR, else its line in user-dirs.dirs (XDG_PICTURES_DIR="$HOME/Pictures"),
// else ~/Pictures.
std::string orvex_pictures_folder(void) {
    const char* set = getenv("XDG_PICTURES_DIR");
    if (set && *set) return set;
    const char* home = getenv("HOME");
    const std::string home_dir = home ? home : "";
    const char* config = getenv("XDG_CONFIG_HOME");
    const std::string dirs =
        (config && *config ? std::string(config) : home_dir + "/.config") + "/user-dirs.dirs";
    std::ifstream in(dirs);
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=\"";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0 || line.back() != '"') continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0) value = home_dir + value.substr(5);
        if (!value.empty() && value[0] == '/') return value;
    }
    return home_dir.empty() ? std::string() : home_dir + "/Pictures";
}
