// Image files decoded to RGBA pixels for px: the bytes come through the engine's one file
// reader and go through the same size checks and decoders as the registry's images, so a
// picture file is refused or taken alike whichever module loads it.
#include <SDL.h>

#include <cstdlib>

#include "files.hpp"
#include "image_file.hpp"
#include "log.hpp"
#include "resources_internal.hpp"

SDL_Surface* image_file_load(const char* op, const char* path) {
    OrvexFileBlock block;
    if (orvex_file_read(path, op, &block) != 0) return nullptr;  // the reader said why
    SDL_Surface* decoded = image_decode(block.bytes, static_cast<int32_t>(block.size));
    free(block.bytes);
    SDL_Surface* rgba =
        decoded ? SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0) : nullptr;
    if (!rgba) orvex_report_line("%s: %s: %s\n", op, path, SDL_GetError());
    SDL_FreeSurface(decoded);
    return rgba;
}
