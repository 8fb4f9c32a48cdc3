// Shared by the fuzz targets: the engine started once per process on SDL's headless drivers
// (software renderer, dummy audio), and the registry emptied between inputs.
#pragma once

#include <SDL.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine_state.hpp"

namespace fuzz {

// Starts the engine the first time it is called; false if it cannot start. Reports of
// refused inputs stay on stderr, where libFuzzer's own output goes too.
inline bool engine(int32_t mixer) {
    static int32_t started = -1;
    if (started >= 0) return started == 1;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");  // no GPU driver state between inputs
    SDL_LogSetPriority(SDL_LOG_CATEGORY_APPLICATION, SDL_LOG_PRIORITY_CRITICAL);
    ORVEX_Config config{};
    config.width = 64;
    config.height = 64;
    config.scale = 1;
    config.mixer = mixer;
    config.title = "fuzz";
    started = ORVEX_Init(&config) == 0 && (mixer == 0 || orvex.config.mixer != 0) ? 1 : 0;
    return started == 1;
}

// A text of up to `max` bytes of the input (any bytes: bad UTF-8, controls) in a buffer of
// exactly its length and the terminating zero, so that a read past the zero is caught.
inline std::unique_ptr<char[]> text(FuzzedDataProvider& in, size_t max) {
    const std::string bytes = in.ConsumeRandomLengthString(max);
    std::unique_ptr<char[]> t(new char[bytes.size() + 1]);
    memcpy(t.get(), bytes.c_str(), bytes.size() + 1);
    return t;
}

}  // namespace fuzz
