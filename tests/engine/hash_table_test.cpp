// The engine's open-addressing table on its own: probing past collisions and around the end
// of the slots, and rebuilding at the size its users ask for.
#include <gtest/gtest.h>

#include <vector>

#include "hash_table.hpp"

// A hash whose probe starts at `slot` of 8: the table keeps a hash's top bits, and the low
// bits never matter.
static uint64_t at(uint64_t slot, uint64_t low = 0) { return slot << 61 | low; }

// The match for handle `h` alone.
static const auto is = [](uint32_t h) { return [h](uint32_t e) { return e == h; }; };

// Handles 1..n, each hashed to the slot the case gives; every one is found again, the probe
// wrapping past the last slot, and a key held by none stops at the first free slot.
TEST(HashTable, CollidingHandlesAreFoundAlongOneProbe) {
    const std::vector<uint64_t> cases[] = {{at(3), at(3), at(3)},  // hashes of handles 1, 2, ...
                                           {at(7), at(7, 1), at(6), at(0)},
                                           {at(1), at(2), at(1), at(2), at(1)},
                                           {at(5, 5), at(5, 13), at(5, 21)}};
    for (const std::vector<uint64_t>& hashes : cases) {
        uint32_t slots[8] = {};
        const HashTable table{slots, 8};
        for (uint32_t h = 1; h <= hashes.size(); ++h) hash_put(table, hashes[h - 1], h);
        for (uint32_t h = 1; h <= hashes.size(); ++h) {
            EXPECT_EQ(hash_probe(table, hashes[h - 1], is(h)), h);
        }
        uint32_t seen = 0;  // the probe visits at least one slot and matches none
        EXPECT_EQ(hash_probe(table, hashes[0], [&seen](uint32_t) { return ++seen == 0; }), 0u);
        EXPECT_GE(seen, 1u);
    }
    EXPECT_EQ(hash_probe(HashTable{}, 0, [](uint32_t) { return true; }), 0u);
}

// A rebuild sizes the slots to keep `count` handles at most half full, never under `least`,
// and takes back exactly the handles its caller still keeps.
TEST(HashTable, RebuildKeepsHalfFullAndTakesBackWhatTheCallerKeeps) {
    struct Case {
        uint64_t count, least, size;
    } cases[] = {{0, 64, 64}, {32, 64, 64}, {33, 64, 128}, {100, 32, 256}, {1, 1, 2}};
    const auto odd_only = [](uint32_t h, uint64_t* hash) {
        *hash = hash_u32(h);
        return h % 2 == 1;
    };
    for (const Case& c : cases) {
        HashTable table{};
        ASSERT_TRUE(hash_rebuild(&table, c.count, c.least, uint32_t(c.count), odd_only));
        EXPECT_EQ(table.size, c.size) << c.count;
        EXPECT_TRUE(hash_has_room(table, c.count));
        EXPECT_FALSE(hash_has_room(table, c.size / 2 + 1));
        for (uint32_t h = 1; h <= c.count; ++h) {
            EXPECT_EQ(hash_probe(table, hash_u32(h), is(h)), h % 2 == 1 ? h : 0u) << h;
        }
        hash_free(&table);
        EXPECT_EQ(table.slots, nullptr);
    }
}
