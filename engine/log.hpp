// Private to the engine, px and input: the one way out for every line they print. A program
// may take the lines itself (ORVEX_SetLogCallback); otherwise each goes where it always has,
// chosen by the kind of message: caller errors and refusals on stderr, the files a capture
// saved on stdout, SDL's own failures through SDL_Log.
#pragma once

#include <cstdint>

// Where a line goes when the program has set no log callback.
enum OrvexLogSink : uint8_t {
    ORVEX_LOG_STDERR,  // a caller error, a refused request, a lost resource
    ORVEX_LOG_STDOUT,  // a file the engine saved for the player ("Screenshot saved: PATH")
    ORVEX_LOG_SDL,     // an SDL failure, through SDL_Log as SDL reports its own
};

// Formats one line (`format` ends in its newline, as printed) and hands it without that
// newline to the program's callback; without one, prints it to `sink` exactly as formatted.
void orvex_log(OrvexLogSink sink, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The line every caller error and refusal is: orvex_log to stderr.
void orvex_report_line(const char* format, ...) __attribute__((format(printf, 1, 2)));

// SDL's (or SDL2_mixer's) last error, as "%s\n" through SDL_Log.
void orvex_report_sdl(void);

// perror's line, "<tag>: <strerror(errno)>", on stderr.
void orvex_report_errno(const char* tag);
