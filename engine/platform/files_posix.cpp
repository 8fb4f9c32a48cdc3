// Files on POSIX systems: the calls on a file under the portable whole-file reader
// (files.cpp), the stamps the registry's change scan compares, files the engine writes, and
// the desktop's pictures folder. A path is examined with stat before it is opened, so that a
// FIFO, device or directory is refused without ever being opened (opening a FIFO for reading
// blocks until a writer appears); the open itself is non-blocking.
//
// Index: Kinds and stamps / Reading / Interface
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "files.hpp"
#include "platform/file_io.hpp"

//------------------------------------------------------------------------------------------
// Kinds and stamps
//------------------------------------------------------------------------------------------
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

static FileIoFacts facts_of(const struct stat& st) {
    return FileIoFacts{.stamp = stamp_of(st), .kind = kind_of(st.st_mode)};
}

//------------------------------------------------------------------------------------------
// Reading
//------------------------------------------------------------------------------------------
bool file_io_examine_path(const char* path, FileIoFacts* facts) {
    struct stat st;
    if (stat(path, &st) != 0) return false;
    *facts = facts_of(st);
    return true;
}

bool file_io_open(const char* path, FileIoHandle* file) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    file->value = fd;
    return true;
}

bool file_io_examine(FileIoHandle file, FileIoFacts* facts) {
    struct stat st;
    if (fstat(int(file.value), &st) != 0) return false;
    *facts = facts_of(st);
    return true;
}

// read() that retries when a signal interrupts it.
int64_t file_io_read(FileIoHandle file, void* into, size_t bytes) {
    ssize_t n;
    do n = read(int(file.value), into, bytes);
    while (n < 0 && errno == EINTR);
    return n;
}

void file_io_close(FileIoHandle file) { close(int(file.value)); }

void file_io_error_text(char* text, size_t size) { snprintf(text, size, "%s", strerror(errno)); }

//------------------------------------------------------------------------------------------
// Interface
//------------------------------------------------------------------------------------------
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
