// Private to the engine: which registry entries the change scan must examine this turn.
// The registry tells the watcher about every file-backed entry it registers; at the start of
// each turn the watcher answers with the entries whose files may have changed since the last
// turn, and the change scan compares only those with their files. The reload rules stay the
// registry's: the watcher only spares it the files that cannot have changed.
//
// On Linux (file_watch_inotify.cpp) the answer comes from inotify watches on the folders of
// the registered files, so a turn without change examines nothing, whatever the number of
// entries. An entry whose changes notifications cannot be trusted to report is examined
// every turn instead. Elsewhere (file_watch_scan.cpp) every entry is examined every turn.
#pragma once

#include <cstdint>

#include <orvex/orvex.hpp>

// Starts watching the file of the entry `id` at `path`; ids come in increasing order, with
// gaps for entries that have no file. The entry is examined at the next turn in any case, so
// that a change between its loading and this call is not missed. Never fails: an entry that
// cannot be watched is examined every turn.
void file_watch_add(ResourceId id, const char* path);

// The entries to examine this turn, in increasing id order, each once; the array stays valid
// until the next call of a file_watch_ operation. Sets *ids to null when every entry must be
// examined (no watcher on this platform, or it could not keep its tables).
uint32_t file_watch_due(const ResourceId** ids);

// Forgets every entry and closes the watches; the registry calls it when it is released.
void file_watch_release(void);

// How many entries are examined every turn because they are not watched; UINT32_MAX when
// every entry is.
uint32_t file_watch_unwatched(void);

// For tests: watch at most `folders` folders, as if the system's limit on watches were
// reached there; UINT32_MAX (the start value) sets no limit of the engine's own.
void file_watch_limit_folders(uint32_t folders);
