// The process's resident memory, read from the operating system: kept apart from the
// allocation counter so that a test asking for memory figures does not pull in its malloc
// replacement. Linux reports it in /proc and getrusage; Windows calls it the working set.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#else
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#endif

#include "alloc_counter.hpp"

//------------------------------------------------------------------------------------------
// Resident memory
//------------------------------------------------------------------------------------------
namespace support {

#ifdef _WIN32
static PROCESS_MEMORY_COUNTERS counters(void) {
    PROCESS_MEMORY_COUNTERS c{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c)) c = PROCESS_MEMORY_COUNTERS{};
    return c;
}

int64_t resident_mib(void) { return int64_t(counters().WorkingSetSize / (1024 * 1024)); }

int64_t peak_mib(void) { return int64_t(counters().PeakWorkingSetSize / (1024 * 1024)); }
#else
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
#endif

}  // namespace support
