// Starting the engine without a screen or a sound card: SDL's offscreen video driver (it has
// the accelerated renderer the engine asks for) and its dummy audio driver, a configuration
// with pacing off, an engine that stops when it goes out of scope, and environment variables
// set for one scope.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <orvex/orvex.hpp>

namespace support {

// Sets SDL_VIDEODRIVER=offscreen and SDL_AUDIODRIVER=dummy unless they are set already, for
// programs run outside ctest (benchmarks, a test binary started by hand).
void use_headless_drivers(void);

// A width x height engine at scale 1 with pacing off, the cursor shown, audio as asked
// (0 none, 1 open the device) and the title "quillow test".
ORVEX_Config headless_config(int32_t width = 640, int32_t height = 480, int32_t mixer = 0);

// Starts the engine with `config` and stops it when it goes; `started` tells which happened.
struct Engine {
    explicit Engine(const ORVEX_Config& config = headless_config());
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    bool started;
};

// One pixel of what the renderer's current target holds, as 0xRRGGBB: the target texture
// while drawing, or the window after a present (kept by the software renderer only). Reports
// SDL's error and answers 0xFF000000, which no pixel equals, when it cannot be read.
uint32_t render_pixel(int32_t x, int32_t y);

// Sets an environment variable (as SDL reads it), or removes it when `value` is null, for the
// life of the object; then puts back the value it had, or removes it again.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace support
