// Files on Windows: the calls on a file under the portable whole-file reader (files.cpp),
// the stamps the registry's change scan compares, the working directory, files the engine
// writes, and the Pictures folder. Paths arrive as UTF-8 and go to the wide-character
// calls as UTF-16, so a game installed under a folder name with letters outside the ANSI
// code page still finds its files (the narrow calls would read such a name as '?').
// Anything that is not a regular disk file (a folder, a pipe, a console or other device) is
// refused, checked on the opened handle, so a path swapped in between is refused too.
// Messages match the POSIX ones: common system errors are told by their C library text.
//
// Index: Paths / Error texts and kinds / Stamps / Reading / Interface (with writing and
//        Pictures)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files.hpp"
#include "platform/file_io.hpp"

//------------------------------------------------------------------------------------------
// Paths
//------------------------------------------------------------------------------------------
// The UTF-16 form of a UTF-8 path, from malloc; null (errno set) when it is not valid UTF-8
// or memory is short.
static wchar_t* wide_path(const char* path) {
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (n <= 0) {
        errno = EINVAL;
        return nullptr;
    }
    wchar_t* wide = static_cast<wchar_t*>(malloc(size_t(n) * sizeof(wchar_t)));
    if (!wide) {
        errno = ENOMEM;
        return nullptr;
    }
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, n);
    return wide;
}

// The UTF-8 form of a UTF-16 text; empty when it cannot be converted.
static std::string utf8_of(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out(size_t(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

// The errno value of the system errors a game's files commonly meet; 0 for others.
static int errno_of(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DIRECTORY: return ENOTDIR;
    default: return 0;
    }
}

//------------------------------------------------------------------------------------------
// Error texts and kinds
//------------------------------------------------------------------------------------------
// The text of a system error: the C library's wording where there is one, else the system's
// own message, else its number.
static void error_text(DWORD error, char* text, size_t size) {
    if (const int e = errno_of(error)) {
        snprintf(text, size, "%s", strerror(e));
        return;
    }
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, text, DWORD(size), nullptr);
    if (n == 0) {
        snprintf(text, size, "system error %lu", (unsigned long)error);
        return;
    }
    size_t end = n < size ? n : size - 1;
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == '.'))
        --end;  // one line, as strerror gives it
    text[end] = '\0';
}

// What an opened handle leads to, as a message tail; null for a regular disk file.
static const char* kind_of(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info) {
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "is a directory";
    switch (GetFileType(file)) {
    case FILE_TYPE_DISK: return nullptr;
    case FILE_TYPE_PIPE: return "is a FIFO";
    case FILE_TYPE_CHAR: return "is a character device";
    default: return "is not a regular file";
    }
}

//------------------------------------------------------------------------------------------
// Stamps
//------------------------------------------------------------------------------------------
// Windows counts 100 ns ticks since 1601; the stamp counts from 1970, like POSIX.
static void split_time(int64_t ticks, int64_t* sec, int64_t* nsec) {
    constexpr int64_t ticks_1601_to_1970 = 116444736000000000;
    const int64_t since_1970 = ticks - ticks_1601_to_1970;
    *sec = since_1970 / 10000000;
    *nsec = (since_1970 % 10000000) * 100;
    if (*nsec < 0) {  // before 1970: keep the fraction positive, as POSIX does
        *sec -= 1;
        *nsec += 1000000000;
    }
}

// Identity and size from the handle; the change time (any write, rename or re-link) from its
// basic information, which the by-handle record lacks. False when either query fails.
static bool stamp_of(HANDLE file, OrvexFileStamp* stamp, BY_HANDLE_FILE_INFORMATION* info) {
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandle(file, info) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return false;
    OrvexFileStamp s;
    split_time(basic.LastWriteTime.QuadPart, &s.mtime_sec, &s.mtime_nsec);
    split_time(basic.ChangeTime.QuadPart, &s.ctime_sec, &s.ctime_nsec);
    s.size = int64_t((uint64_t(info->nFileSizeHigh) << 32) | info->nFileSizeLow);
    s.inode = (uint64_t(info->nFileIndexHigh) << 32) | info->nFileIndexLow;
    s.device = info->dwVolumeSerialNumber;
    *stamp = s;
    return true;
}

//------------------------------------------------------------------------------------------
// Reading
//------------------------------------------------------------------------------------------
// Opens `path` for reading (access 0: for examining only), letting others read, write,
// rename and delete it meanwhile, as POSIX does. Folders open too, so that they are told
// apart by name. INVALID_HANDLE_VALUE with the system error set when it cannot be opened.
static HANDLE open_path(const char* path, DWORD access) {
    wchar_t* wide = wide_path(path);
    if (!wide) {
        SetLastError(errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileW(wide, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const DWORD error = GetLastError();
    free(wide);
    SetLastError(error);
    return file;
}

// Windows has nothing to look at before the open, which never blocks here: the opened handle
// is judged instead. The empty path is refused as POSIX refuses it.
bool file_io_examine_path(const char* path, FileIoFacts* facts) {
    if (path[0] == '\0') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    *facts = FileIoFacts{};
    return true;
}

bool file_io_open(const char* path, FileIoHandle* file) {
    const HANDLE handle = open_path(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE) return false;
    file->value = intptr_t(handle);
    return true;
}

bool file_io_examine(FileIoHandle file, FileIoFacts* facts) {
    const HANDLE handle = HANDLE(file.value);
    BY_HANDLE_FILE_INFORMATION info;
    if (!stamp_of(handle, &facts->stamp, &info)) return false;
    facts->kind = kind_of(handle, info);
    return true;
}

// ReadFile counts in 32 bits: at most 1 GiB a call.
int64_t file_io_read(FileIoHandle file, void* into, size_t bytes) {
    const DWORD most = bytes < 0x40000000 ? DWORD(bytes) : DWORD(0x40000000);
    DWORD got = 0;
    if (!ReadFile(HANDLE(file.value), into, most, &got, nullptr)) return -1;
    return int64_t(got);
}

void file_io_close(FileIoHandle file) { CloseHandle(HANDLE(file.value)); }

void file_io_error_text(char* text, size_t size) { error_text(GetLastError(), text, size); }

//------------------------------------------------------------------------------------------
// Interface
//------------------------------------------------------------------------------------------
OrvexFileStamp orvex_file_stamp(const char* path) {
    OrvexFileStamp stamp;
    if (path[0] == '\0') return stamp;
    HANDLE file = open_path(path, 0);
    if (file == INVALID_HANDLE_VALUE) return stamp;
    BY_HANDLE_FILE_INFORMATION info;
    if (!stamp_of(file, &stamp, &info)) stamp = OrvexFileStamp{};
    CloseHandle(file);
    return stamp;
}

int32_t orvex_enter_directory(const char* path) {
    wchar_t* wide = wide_path(path);
    if (!wide) return -1;
    const int rc = _wchdir(wide);
    free(wide);
    return rc == 0 ? 0 : -1;
}

const char* orvex_file_kind(const char* path) {
    wchar_t* wide = wide_path(path);
    if (!wide) return nullptr;
    const DWORD attributes = GetFileAttributesW(wide);
    free(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES) return nullptr;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? "is a directory" : nullptr;
}

// A pipe or device opened by name does not wait for its other end on Windows; the check on
// the opened handle refuses it all the same.
FILE* orvex_file_create(const char* path, const char** why) {
    wchar_t* wide = wide_path(path);
    FILE* file = wide ? _wfopen(wide, L"wb") : nullptr;
    free(wide);
    if (!file) {
        *why = strerror(errno);
        return nullptr;
    }
    const HANDLE handle = HANDLE(_get_osfhandle(_fileno(file)));
    BY_HANDLE_FILE_INFORMATION info;
    const char* kind =
        GetFileInformationByHandle(handle, &info) ? kind_of(handle, info) : "is not a regular file";
    if (kind) {
        fclose(file);
        *why = kind;
        return nullptr;
    }
    return file;
}

bool orvex_file_sync(FILE* file) { return fflush(file) == 0 && _commit(_fileno(file)) == 0; }

struct tm orvex_local_time(time_t when) {
    struct tm local = {};
    localtime_s(&local, &when);
    return local;
}

// $XDG_PICTURES_DIR when set (as on other systems, so that a run can be pointed elsewhere),
// else the folder Windows keeps as the user's Pictures.
std::string orvex_pictures_folder(void) {
    wchar_t set[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"XDG_PICTURES_DIR", set, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return utf8_of(set);
    wchar_t* known = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &known) == S_OK)
        folder = utf8_of(known);
    CoTaskMemFree(known);
    return folder;
}
