// Every line the engine, px and input print goes through vlog: to the program's callback when
// it set one, else to the line's default stream exactly as formatted, so that a program that
// sets nothing sees the same bytes on the same streams as it always did. The callback gets
// the line from a buffer on the stack (the heap only for a line longer than that), without
// its trailing newline.
//
// Index: State / Lines / Shorthands
#include "log.hpp"

#include <SDL.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <orvex/orvex.hpp>

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
// Kept apart from the engine state: set before ORVEX_Init to hear its failures, and kept
// across ORVEX_Quit.
static struct {
    void (*fn)(void* user, const char* line) = nullptr;
    void* user = nullptr;
} log_callback;

void ORVEX_SetLogCallback(void (*fn)(void* user, const char* line), void* user) {
    log_callback.fn = fn;
    log_callback.user = fn ? user : nullptr;
}

//------------------------------------------------------------------------------------------
// Lines
//------------------------------------------------------------------------------------------
static void print_default(OrvexLogSink sink, const char* format, va_list args) {
    switch (sink) {
    case ORVEX_LOG_STDERR: vfprintf(stderr, format, args); break;
    case ORVEX_LOG_STDOUT:  // at once: a player or a script waits for the file's name
        vfprintf(stdout, format, args);
        fflush(stdout);
        break;
    case ORVEX_LOG_SDL:
        SDL_LogMessageV(SDL_LOG_CATEGORY_APPLICATION, SDL_LOG_PRIORITY_INFO, format, args);
        break;
    }
}

// Hands the formatted line to the callback without its final newline. A line that does
// not fit the stack buffer is formatted again into one of its own size.
static void call_back(const char* format, va_list args) {
    char text[1024];
    va_list again;
    va_copy(again, args);
    const int n = vsnprintf(text, sizeof text, format, args);
    const size_t size = n < 0 ? 0 : static_cast<size_t>(n) + 1;
    char* line = size > sizeof text ? static_cast<char*>(malloc(size)) : nullptr;
    if (line) {
        vsnprintf(line, size, format, again);
    } else {
        line = text;  // it fits, or memory ran out and the line is cut to the buffer
        if (n < 0) text[0] = '\0';
    }
    va_end(again);
    const size_t len = strlen(line);
    if (len > 0 && line[len - 1] == '\n') line[len - 1] = '\0';
    log_callback.fn(log_callback.user, line);
    if (line != text) free(line);
}

static void vlog(OrvexLogSink sink, const char* format, va_list args) {
    if (log_callback.fn) {
        call_back(format, args);
        return;
    }
    print_default(sink, format, args);
}

void orvex_log(OrvexLogSink sink, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vlog(sink, format, args);
    va_end(args);
}

//------------------------------------------------------------------------------------------
// Shorthands
//------------------------------------------------------------------------------------------
void orvex_report_line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vlog(ORVEX_LOG_STDERR, format, args);
    va_end(args);
}

void orvex_report_sdl(void) { orvex_log(ORVEX_LOG_SDL, "%s\n", SDL_GetError()); }

// errno is read before anything else can change it; an empty tag prints the text alone, as
// perror does.
void orvex_report_errno(const char* tag) {
    const int error = errno;
    if (!tag || !*tag) {
        orvex_log(ORVEX_LOG_STDERR, "%s\n", strerror(error));
        return;
    }
    orvex_log(ORVEX_LOG_STDERR, "%s: %s\n", tag, strerror(error));
}
