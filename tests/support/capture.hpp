// What a program under test reports: everything written to the standard error stream (SDL_Log
// included, which writes there) while a piece of code runs, and SDL_Log's lines one by one.
#pragma once

#include <SDL.h>

#include <functional>
#include <string>
#include <vector>

namespace support {

// Redirects file descriptor 2 into a scratch file from construction until finish() (or
// destruction), so output written by SDL and the C library is caught too.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    std::string finish();  // stops capturing and answers what was written; "" afterwards

private:
    std::string path_;
    int saved_ = -1;
};

// Everything written to stderr while `body` runs.
std::string stderr_of(const std::function<void()>& body);

// Collects the messages SDL_Log sends while it lives, one per call (SDL drops a final newline).
class SdlLogCapture {
public:
    SdlLogCapture();
    ~SdlLogCapture();
    SdlLogCapture(const SdlLogCapture&) = delete;
    SdlLogCapture& operator=(const SdlLogCapture&) = delete;
    const std::vector<std::string>& lines() const { return lines_; }

private:
    static void collect(void* self, int category, SDL_LogPriority priority, const char* message);
    SDL_LogOutputFunction previous_ = nullptr;
    void* previous_data_ = nullptr;
    std::vector<std::string> lines_;
};

}  // namespace support
