// What happens when the display goes away under a running program: the X server ends, a
// forwarded display drops, the desktop session closes. Xlib reports a broken connection
// through its I/O error handler and then ends the process with exit(1). The exit handlers
// that follow (ORVEX_Quit among them) would tear the window and renderer down through the
// dead connection, and SDL waits there for a reply that never comes: the process would hang,
// spinning, instead of ending. The handler here says what happened and marks the display as
// lost; ORVEX_Quit then leaves video alone and the process ends with status 1.
//
// Index: State / Watch
#include <cstdio>

#include "engine_state.hpp"
#include "log.hpp"
#include "platform/x11.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
static volatile bool lost = false;

bool display_is_lost(void) { return lost; }

//------------------------------------------------------------------------------------------
// Watch
//------------------------------------------------------------------------------------------
// Returning lets Xlib go on to exit(1).
static int on_display_lost(void*) {
    lost = true;
    orvex_report_line("ORVEX: the connection to the display was lost\n");
    return 0;
}

// Only X11 needs it (platform/x11.cpp): other video drivers report a lost display as a quit
// event or not at all.
void display_loss_watch(void) { x11_watch_connection(on_display_lost); }
