// Private to the engine: reading a file whole and telling when it changed, the operating
// system's side of the resource registry, entering the folder start-up works in, opening the
// files the engine writes and making them durable, the local time they are named by, and
// where the user keeps pictures. The whole-file reader is portable (files.cpp) over a few
// calls per platform (platform/file_io.hpp); the rest has one implementation per platform
// (files_posix.cpp on Linux and other POSIX systems, files_windows.cpp on Windows). Nothing
// else in the engine touches files directly. Paths are UTF-8, as SDL gives and takes them on
// every platform.
//
// Every failure is reported here, as one line on stderr, so that each platform gives the
// same messages:
//   "<path>: <system error text>"            the path cannot be examined or opened
//   "<path>: is a directory"                 not a regular file; likewise "is a FIFO",
//                                            "is a character device", "is a block device",
//                                            "is a socket", "is not a regular file"
//   "<path>: file of <n> bytes is too large (2 GiB or more)"
//   "<op>:drain: <system error text>"        a read failed part-way
//   "<op>: \"\": No such file or directory"  the path is empty
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

// Larger files, and larger blocks handed to the registry, are refused: the registry carries
// sizes as signed 32-bit counts.
constexpr int64_t ORVEX_MAX_BLOCK_BYTES = INT32_MAX;

// What the change scan compares to tell that a file changed. Besides time and size it
// holds the file's identity and status-change time, so that contents replaced with the old
// time and size (cp -p, tar x, a symbolic link pointed at another file) are still seen.
// A path that names nothing has the zero stamp.
struct OrvexFileStamp {
    int64_t mtime_sec = 0;  // last modification
    int64_t mtime_nsec = 0;
    int64_t ctime_sec = 0;  // last status change (set by any write, rename or re-link)
    int64_t ctime_nsec = 0;
    int64_t size = 0;
    uint64_t inode = 0;  // which file the path leads to, on which device
    uint64_t device = 0;
    bool operator==(const OrvexFileStamp&) const = default;
};

// A whole file in memory.
struct OrvexFileBlock {
    uint8_t* bytes = nullptr;  // from malloc, at least one byte even for an empty file;
                               // the caller owns it and releases it with free()
    int64_t size = 0;
    OrvexFileStamp stamp;  // taken after opening, before the first byte was read
};

// Reads the regular file at `path` to its end, however large it says it is (files under
// /proc say 0), into one block that is not copied again. Anything that is not a regular
// file is refused before it is opened, and the open itself never blocks, so a FIFO or a
// device swapped in at the last moment is refused too, and so is a file of more than
// ORVEX_MAX_BLOCK_BYTES. `op` names the calling operation in messages. 0 with *out filled,
// or -1 after reporting with *out untouched.
int32_t orvex_file_read(const char* path, const char* op, OrvexFileBlock* out);

// The stamp of whatever `path` leads to now (symbolic links followed); the zero stamp when
// it cannot be examined. Never opens the file.
OrvexFileStamp orvex_file_stamp(const char* path);

// Makes the folder `path` the working directory, so that relative paths are read from there.
// 0, or -1 with errno set (nothing reported: the caller says what it was doing).
int32_t orvex_enter_directory(const char* path);

// What `path` leads to when that is neither a regular file nor nothing, as a message tail
// ("is a directory", "is a FIFO", ...); null for a regular file or a path that names nothing.
// Never opens it.
const char* orvex_file_kind(const char* path);

// Opens `path` for writing from its start (created, or cut to nothing), for the files the
// engine writes (recordings, captures). The open never blocks, and what it opened must be a
// regular file: a FIFO, device or folder is refused at once. Null with *why set to the reason
// ("is a FIFO", or the system's error text) for the caller to report.
FILE* orvex_file_create(const char* path, const char** why);

// Flushes `file` and waits until what it holds is on the disk, so that a file renamed into
// place afterwards is whole even after a power cut; false when either step fails (errno set).
bool orvex_file_sync(FILE* file);

// The local calendar time of `when`, for the names of files the engine writes (the C
// library's localtime, without its shared result).
struct tm orvex_local_time(time_t when);

// The user's pictures folder as the desktop names it, as UTF-8; empty when there is none.
std::string orvex_pictures_folder(void);

// A UTF-8 path as std::filesystem takes it, and back. Plain text would be read in the
// system's code page on Windows.
inline std::filesystem::path orvex_path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string orvex_utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
