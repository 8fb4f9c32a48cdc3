// Stderr capture by descriptor: stderr is flushed, descriptor 2 is pointed at a scratch file
// and pointed back afterwards.
#include "capture.hpp"

#include <cstdio>
#include <filesystem>

#include "files.hpp"

#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace support {

//------------------------------------------------------------------------------------------
// Standard error stream
//------------------------------------------------------------------------------------------
StderrCapture::StderrCapture() : path_(scratch_path("quillow-stderr-").string()) {
    fflush(stderr);
    FILE* file = fopen(path_.c_str(), "wb");
    if (!file) return;
    saved_ = dup(fileno(stderr));
    dup2(fileno(file), fileno(stderr));
    fclose(file);
}

StderrCapture::~StderrCapture() { finish(); }

std::string StderrCapture::finish() {
    if (saved_ < 0) return "";
    fflush(stderr);
    dup2(saved_, fileno(stderr));
    close(saved_);
    saved_ = -1;
    const Bytes bytes = read_file(path_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    return std::string(bytes.begin(), bytes.end());
}

std::string stderr_of(const std::function<void()>& body) {
    StderrCapture capture;
    body();
    return capture.finish();
}

//------------------------------------------------------------------------------------------
// SDL log
//------------------------------------------------------------------------------------------
SdlLogCapture::SdlLogCapture() {
    SDL_LogGetOutputFunction(&previous_, &previous_data_);
    SDL_LogSetOutputFunction(&SdlLogCapture::collect, this);
}

SdlLogCapture::~SdlLogCapture() { SDL_LogSetOutputFunction(previous_, previous_data_); }

void SdlLogCapture::collect(void* self, int, SDL_LogPriority, const char* message) {
    static_cast<SdlLogCapture*>(self)->lines_.emplace_back(message);
}

}  // namespace support
