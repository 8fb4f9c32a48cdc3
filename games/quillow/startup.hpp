// What the player reads when the game cannot start, or starts without sound: after the
// engine's own messages, one line on stderr, "quillow: ...", naming what failed and what the
// player can do about it.
#pragma once

#include <string>

// The engine could not start (ORVEX_Init failed).
void explain_engine_failure(void);
// The canvas texture could not be made (px_init failed).
void explain_canvas_failure(void);
// Sound after start-up: no audio device, or music files missing or unplayable. Says nothing
// when all is well; `theme_playing` is what starting the main theme answered.
void explain_sound(bool theme_playing);

// The line explain_engine_failure prints, from the variables that choose SDL's video driver
// (null when unset) and whether start-up stopped at entering the program's directory.
std::string engine_failure_line(const char* display, const char* wayland_display,
                                const char* video_driver, bool directory_failed);
