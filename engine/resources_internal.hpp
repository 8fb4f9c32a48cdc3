// Private to the engine: the registry lookups that audio and drawing share with the
// registry's own operations. What the registry accepts is limited by files.hpp
// (ORVEX_MAX_BLOCK_BYTES).
#pragma once

#include <cstdint>

#include <orvex/orvex.hpp>

// The entry of `id`, or null after reporting "<op>: no resource with id <id>" on stderr
// when the id is 0 or above the count.
ResourceEntry* registry_lookup(const char* op, ResourceId id);

// The same for an id taken from an argument record: an id of 0 reports "args->id is 0".
ResourceEntry* registry_lookup_arg(const char* op, ResourceId id);

// Image bytes -> a new surface, the format told by the bytes (PNG, JPEG, QOI, else BMP); null
// with the reason as SDL's error. The declared size is checked before anything is decoded.
struct SDL_Surface;
SDL_Surface* image_decode(const void* bytes, int32_t size);
void image_decoders_stop(void);  // at shutdown: SDL2_image lets go of its decoders

// The registry's table as it stands, for the tests and benchmarks that watch it grow.
struct RegistryTable {
    const ResourceEntry* table;
    uint64_t count;
    uint64_t capacity;
};
RegistryTable registry_table(void);
