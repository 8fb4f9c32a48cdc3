// Linked into every sanitized test: dlclose becomes a no-op, so the graphics and audio
// libraries SDL loads at run time (EGL, the Mesa driver, LLVM) stay mapped until exit.
// LeakSanitizer then still sees their globals as roots and can name their frames, and the
// library suppressions in lsan.supp apply; unloaded, their allocations show up as leaks of
// "<unknown module>" that no suppression can match.
extern "C" int dlclose(void*) { return 0; }
