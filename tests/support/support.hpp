// Test support: what the tests and benchmarks share, so that each of them says only what it
// checks. Link the `test_support` library and include this header, or just the part needed.
//
// Index: Headless engine / Events / Files / Capture / Canvas / Reference loops / Allocations
#pragma once

#include "headless.hpp"       // headless drivers, configuration, Engine, ScopedEnv
#include "events.hpp"         // key, mouse, window and game controller events
#include "files.hpp"          // TempDir, whole files, BMP and WAV bytes, file times
#include "capture.hpp"        // stderr and SDL_Log capture
#include "canvas.hpp"         // test images, canvas snapshots, lit pixels
#include "reference.hpp"      // plot, clear, line, blit and dither one pixel at a time
#include "alloc_counter.hpp"  // heap allocations and resident memory of the whole process

// virtual_pad.hpp, for tests only (it reports through GoogleTest): a game controller made
// with SDL's virtual joysticks, for the engine to open and read like a real one.
