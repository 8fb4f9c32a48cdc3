// Private to the engine: the one open-addressing hash table its lookups share (the registry's
// index by type and path, the file watcher's names and folders, the GIF's colours). A table
// is a power-of-two array of 32-bit slots probed linearly, each free (0) or holding a handle
// of the user's (an id, an index + 1). The user keeps its keys and values where they already
// are and answers, for a handle, whether it holds the key looked for; the table only finds
// the handles whose hash matches. Kept at most half full, probes stay short.
//
// Index: Hashing / Probing / Growth
#pragma once

#include <bit>
#include <cstdint>
#include <cstdlib>

struct HashTable {
    uint32_t* slots;  // handles; 0 = free
    uint64_t size;    // a power of two, or 0 for no table
};

//------------------------------------------------------------------------------------------
// Hashing
//------------------------------------------------------------------------------------------
// FNV-1a (64-bit) over a text, `seed` mixed into the offset basis first.
inline uint64_t hash_text(const char* text, uint64_t seed) {
    uint64_t h = 14695981039346656037ull ^ seed;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c)
        h = (h ^ *c) * 1099511628211ull;
    return h;
}

// Fibonacci hashing of a 32-bit value: the product by 2^64 / phi, whose top bits (the ones a
// table keeps) depend on every bit of the value.
inline uint64_t hash_u32(uint32_t value) { return uint64_t(value) * 0x9E3779B97F4A7C15ull; }

//------------------------------------------------------------------------------------------
// Probing
//------------------------------------------------------------------------------------------
// Where the probe of `hash` starts: its top bits, the best mixed of both hashes above.
inline uint64_t hash_first_slot(const HashTable& table, uint64_t hash) {
    return table.size > 1 ? hash >> (std::countl_zero(table.size) + 1) : 0;
}

// Calls visit(handle) for each handle on the probe path of `hash` until a free slot, or
// until visit answers true; answers the handle it stopped at, or 0.
template <typename Visit>
inline uint32_t hash_probe(const HashTable& table, uint64_t hash, Visit&& visit) {
    if (table.size == 0) return 0;
    const uint64_t mask = table.size - 1;
    for (uint64_t slot = hash_first_slot(table, hash);; slot = (slot + 1) & mask) {
        const uint32_t handle = table.slots[slot];
        if (handle == 0 || visit(handle)) return handle;
    }
}

// Puts `handle` (not 0) at the first free slot of its probe path; the caller has made sure
// that there is one.
inline void hash_put(const HashTable& table, uint64_t hash, uint32_t handle) {
    const uint64_t mask = table.size - 1;
    uint64_t slot = hash_first_slot(table, hash);
    while (table.slots[slot] != 0) slot = (slot + 1) & mask;
    table.slots[slot] = handle;
}

//------------------------------------------------------------------------------------------
// Growth
//------------------------------------------------------------------------------------------
// Whether the table holds `count` handles and stays at most half full.
inline bool hash_has_room(const HashTable& table, uint64_t count) {
    return table.size >= 2 * count;
}

inline void hash_free(HashTable* table) {
    free(table->slots);
    *table = HashTable{};
}

// Makes the table anew with room for `count` handles (at least `least` slots, a power of two)
// and puts back each handle 1..last for which hash_of(handle, &hash) answers true. False,
// with the table as it was, when memory runs out.
template <typename HashOf>
inline bool hash_rebuild(HashTable* table, uint64_t count, uint64_t least, uint32_t last,
                         HashOf&& hash_of) {
    uint64_t size = least;
    while (size < 2 * count) size *= 2;
    uint32_t* slots = static_cast<uint32_t*>(calloc(size, sizeof(uint32_t)));
    if (!slots) return false;
    hash_free(table);
    *table = HashTable{slots, size};
    for (uint32_t handle = 1; handle <= last && handle != 0; ++handle) {
        uint64_t hash;
        if (hash_of(handle, &hash)) hash_put(*table, hash, handle);
    }
    return true;
}
