// Private to the engine: what only an X11 display has, behind calls every platform makes.
// Where SDL has no X11 video driver, or the window is on another one, they do nothing
// (x11.cpp), so the portable files hold no X11 code.
#pragma once

struct SDL_Window;

// Installs `handler` as Xlib's I/O error handler when the current video driver is X11;
// Xlib calls it once the connection to the server breaks, and then ends the process.
void x11_watch_connection(int (*handler)(void*));

// True when the window's X server offers a GL driver no way to a GPU, so that its
// accelerated renderer is known to be a CPU rasteriser without creating it; false where
// that cannot be told, and off X11.
bool x11_window_is_cpu_only(SDL_Window* window);
