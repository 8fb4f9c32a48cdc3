// Private to the engine and px: an image file read through the engine's file seam and decoded
// by the engine's own image decoder, for modules that want the pixels rather than a texture
// (px_load_image). Programs go through orvex.hpp and px.hpp.
#pragma once

struct SDL_Surface;

// The image file at `path`, read whole (orvex_file_read: anything but a regular file is
// refused without being opened), its declared size checked and its data decoded by content
// (PNG, JPEG, QOI, BMP: image_decode), as a new surface of SDL_PIXELFORMAT_RGBA32 (bytes R, G,
// B, A in memory order). Works before ORVEX_Init too. Null after one line on stderr that names
// the path and the reason, prefixed with `op` where the file reader does not say it. The
// caller frees the surface with SDL_FreeSurface.
SDL_Surface* image_file_load(const char* op, const char* path);
