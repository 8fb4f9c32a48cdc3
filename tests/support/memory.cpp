// The process's resident memory, read from the kernel: kept apart from the allocation
// counter so that a test asking for memory figures does not pull in its malloc replacement.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "alloc_counter.hpp"

//------------------------------------------------------------------------------------------
// Resident memory
//------------------------------------------------------------------------------------------
namespace support {

int64_t resident_mib(void) {
    long pages = 0, resident = 0;
    FILE* f = fopen("/proc/self/statm", "r");
    if (f) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(f);
    }
    return int64_t(resident) * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

int64_t peak_mib(void) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace support
