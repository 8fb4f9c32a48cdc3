// Change notification where the engine has none of the platform's: every entry is examined
// every turn, which is the change scan's plain rule.
#include <cstdint>

#include "file_watch.hpp"

void file_watch_add(ResourceId, const char*) {}

uint32_t file_watch_due(const ResourceId** ids) {
    *ids = nullptr;
    return 0;
}

void file_watch_release(void) {}

uint32_t file_watch_unwatched(void) { return UINT32_MAX; }

void file_watch_limit_folders(uint32_t) {}
