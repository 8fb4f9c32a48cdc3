// Private to the engine: the calls on a path or an open file that each platform makes its own
// way (files_posix.cpp, files_windows.cpp), under the portable whole-file reader of
// files.cpp, which owns everything else: the order of the checks, the growth of the block,
// the size limit and the messages. A call that fails keeps the platform's error for
// file_io_error_text, to be asked at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "files.hpp"

// An open file: a descriptor on POSIX, a HANDLE on Windows.
struct FileIoHandle {
    intptr_t value;
};

// What examining a path or an open file tells.
struct FileIoFacts {
    OrvexFileStamp stamp;
    const char* kind;  // null for a regular file, else a message tail ("is a directory")
};

// Looks at `path` without opening it, where the platform can (opening a FIFO could block);
// where it cannot, answers a regular file of size 0 and leaves the judgement to the open
// file. False when the path cannot be examined.
bool file_io_examine_path(const char* path, FileIoFacts* facts);

// Opens `path` for reading without ever blocking, whatever it leads to; false when it cannot.
bool file_io_open(const char* path, FileIoHandle* file);

// Examines the opened file, in case the path was replaced between the look and the open.
bool file_io_examine(FileIoHandle file, FileIoFacts* facts);

// Reads at most `bytes` into `into`: how many came, 0 at the end, or -1.
int64_t file_io_read(FileIoHandle file, void* into, size_t bytes);

void file_io_close(FileIoHandle file);

// The last failure's text, worded as the C library's strerror where it has the error.
void file_io_error_text(char* text, size_t size);
