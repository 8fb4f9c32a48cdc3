// The allocation counter replaces the malloc family and forwards to the C library's own
// entry points. Linking this file replaces malloc for the whole program, which is why it is
// pulled in only by programs that ask for allocations().
#include "alloc_counter.hpp"

#include <atomic>
#include <cstddef>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define QUILLOW_COUNT_ALLOCATIONS 1
#endif

static std::atomic<uint64_t> count{0};

namespace support {

bool allocation_counting(void) {
#ifdef QUILLOW_COUNT_ALLOCATIONS
    return true;
#else
    return false;
#endif
}

uint64_t allocations(void) { return count.load(std::memory_order_relaxed); }

}  // namespace support

#ifdef QUILLOW_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);

void* malloc(size_t n) {
    count.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}

void* calloc(size_t n, size_t size) {
    count.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(n, size);
}

void* realloc(void* p, size_t n) {
    count.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}
}
#endif
