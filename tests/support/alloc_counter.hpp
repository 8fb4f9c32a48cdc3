// Counting heap allocations: the process's malloc, calloc and realloc (and so operator new,
// which goes through malloc) are counted for the whole process, SDL and the graphics driver
// included. Counting needs glibc and no AddressSanitizer (which owns malloc itself); elsewhere
// the counter stays at 0 and allocation_counting() answers false. Beside it, the process's
// resident memory now and its peak so far, in MiB (memory.cpp).
#pragma once

#include <cstdint>

namespace support {

bool allocation_counting(void);  // whether allocations() counts in this build
uint64_t allocations(void);      // allocations since the program started

int64_t resident_mib(void);  // resident memory now
int64_t peak_mib(void);      // peak resident memory so far

}  // namespace support
