// Change notification for the registry on Linux: one inotify instance watches the folders
// that hold registered files. Each turn drains the pending events without blocking; an event
// that names a registered file of a watched folder marks that entry due, and the change scan
// compares only the due entries with their files. A turn without events costs one read that
// finds nothing, whatever the number of entries.
//
// Folders rather than files are watched, so that a save that writes a new file and renames
// it over the old one is seen (a watch on the file would stay with the replaced file). The
// events asked for are exactly those of the operations that change what the scan compares
// (contents, times, size, identity): writes and truncation, attribute changes, creation,
// deletion and renames into or out of the folder. Entries that notifications cannot be
// trusted to cover are examined every turn, as the portable scan does:
// - every entry, when there is no inotify instance (per-user limit, no file descriptors);
// - the folder cannot be watched (per-user watch limit) or lies on a file system whose
//   changes may be made elsewhere and never notified here (NFS, SMB, FUSE, 9p shares);
// - a symbolic link (its target may live in another folder) or a file with several hard
//   links (a write through another link notifies only that link's folder);
// - a folder that was moved, deleted or unmounted: its watch no longer follows the path.
// After the kernel's event queue overflowed, every entry is examined once.
//
// Index: State / Hashing / Tables / Folders / Registration / Events / Due list / Release
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_watch.hpp"
#include "hash_table.hpp"
#include "log.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
constexpr uint32_t kWatchMask = IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr int32_t kUnwatched = -1;

struct WatchedEntry {
    int32_t folder;  // index into folders, or kUnwatched: examined every turn
    char* name;      // the file's name inside its folder; null when unwatched
    bool due;
};

struct Folder {
    int32_t wd;  // inotify's watch descriptor
    bool lost;   // moved, deleted or unmounted: no longer the folder of its entries' paths
};

static struct {
    int fd = -1;      // the inotify instance; -1 before the first entry
    bool no_inotify;  // the instance could not be created: everything is unwatched
    bool all_due;     // a table could not grow: every entry is examined every turn
    bool reported;    // the first failure to watch has been reported
    uint32_t folder_limit = UINT32_MAX;
    WatchedEntry* entries;  // by id - 1
    uint32_t nb_entries, capacity;
    ResourceId* due;  // marked since the last turn; capacity entries
    uint32_t nb_due;
    ResourceId* unwatched;  // in increasing order; capacity entries
    uint32_t nb_unwatched;
    ResourceId* out;  // the answer of file_watch_due; capacity entries
    HashTable names;  // ids by (folder, name)
    Folder* folders;
    uint32_t nb_folders, folder_capacity;
    char* last_dir;  // the folder of the last watched registration, and its index
    int32_t last_folder;
    HashTable folder_index;  // folder index + 1 by watch descriptor
} watch;

//------------------------------------------------------------------------------------------
// Hashing
//------------------------------------------------------------------------------------------
static uint64_t name_hash(int32_t folder, const char* name) {
    return hash_text(name, uint32_t(folder));
}

static uint64_t wd_hash(int32_t wd) { return hash_u32(uint32_t(wd)); }

//------------------------------------------------------------------------------------------
// Tables
//------------------------------------------------------------------------------------------
static void report_once(const char* what) {
    if (watch.reported) return;
    watch.reported = true;
    orvex_report_line("hot reload: %s: %s; such files are compared every turn\n", what,
                      strerror(errno));
}

// Grows one array to `n` elements; false (array unchanged) when memory runs out.
template <typename T>
static bool grow(T** array, uint32_t n) {
    void* p = realloc(*array, size_t(n) * sizeof(T));
    if (!p) return false;
    *array = static_cast<T*>(p);
    return true;
}

// Room for one more entry in every per-entry array, doubling.
static bool reserve_entry(void) {
    if (watch.nb_entries < watch.capacity) return true;
    const uint32_t n = watch.capacity ? 2 * watch.capacity : 64;
    if (!grow(&watch.entries, n) || !grow(&watch.due, n) || !grow(&watch.unwatched, n) ||
        !grow(&watch.out, n))
        return false;
    watch.capacity = n;
    return true;
}

static void put_name(ResourceId id) {
    const WatchedEntry& e = watch.entries[id - 1];
    hash_put(watch.names, name_hash(e.folder, e.name), id);
}

// Keeps the name table at most half full, rebuilding it at twice the size when needed.
static bool reserve_name(void) {
    if (hash_has_room(watch.names, watch.nb_entries + 1)) return true;
    const auto hash_of = [](uint32_t id, uint64_t* hash) {
        const WatchedEntry& e = watch.entries[id - 1];
        if (e.folder != kUnwatched) *hash = name_hash(e.folder, e.name);
        return e.folder != kUnwatched;
    };
    return hash_rebuild(&watch.names, watch.nb_entries + 1, 64, watch.nb_entries, hash_of);
}

//------------------------------------------------------------------------------------------
// Folders
//------------------------------------------------------------------------------------------
static int32_t find_folder(int32_t wd) {
    const uint32_t f = hash_probe(watch.folder_index, wd_hash(wd),
                                  [wd](uint32_t f) { return watch.folders[f - 1].wd == wd; });
    return f == 0 ? kUnwatched : int32_t(f - 1);
}

static void put_folder(uint32_t index) {
    hash_put(watch.folder_index, wd_hash(watch.folders[index].wd), index + 1);
}

static bool reserve_folder(void) {
    if (watch.nb_folders == watch.folder_capacity) {
        const uint32_t n = watch.folder_capacity ? 2 * watch.folder_capacity : 16;
        if (!grow(&watch.folders, n)) return false;
        watch.folder_capacity = n;
    }
    if (hash_has_room(watch.folder_index, watch.nb_folders + 1)) return true;
    const auto hash_of = [](uint32_t f, uint64_t* hash) {
        *hash = wd_hash(watch.folders[f - 1].wd);
        return true;
    };
    return hash_rebuild(&watch.folder_index, watch.nb_folders + 1, 32, watch.nb_folders, hash_of);
}

// File systems whose files may change without an event here: network and user-space ones,
// and the shared folders of virtual machines (magic numbers from linux/magic.h and statfs(2)).
static bool notifies_every_change(const char* dir) {
    static const unsigned long remote[] = {
        0x6969,      // NFS
        0x517b,      // SMB
        0xff534d42,  // CIFS
        0xfe534d42,  // SMB2
        0x65735546,  // FUSE (sshfs, virtiofs, ...)
        0x01021997,  // 9p (WSL and QEMU shares)
        0x786f4256,  // VirtualBox shared folders
        0x00c36400,  // Ceph
        0x5346414f,  // AFS
        0x73757245,  // Coda
        0xbacbacbc,  // VMware shared folders
    };
    struct statfs fs;
    if (statfs(dir, &fs) != 0) return false;
    for (unsigned long magic : remote)
        if ((unsigned long)fs.f_type == magic) return false;
    return true;
}

// The index of the watched folder `dir`, or kUnwatched. inotify answers the same watch
// descriptor for a folder it already watches, so each folder is watched once.
static int32_t watch_folder(const char* dir) {
    if (!notifies_every_change(dir)) return kUnwatched;
    const int wd = inotify_add_watch(watch.fd, dir, kWatchMask);
    if (wd < 0) {
        report_once(dir);
        return kUnwatched;
    }
    const int32_t known = find_folder(wd);
    if (known != kUnwatched && !watch.folders[known].lost) return known;
    if (watch.nb_folders >= watch.folder_limit || !reserve_folder()) {
        inotify_rm_watch(watch.fd, wd);
        return kUnwatched;
    }
    watch.folders[watch.nb_folders] = Folder{.wd = wd, .lost = false};
    put_folder(watch.nb_folders);
    return int32_t(watch.nb_folders++);
}

// The watched folder `dir` (taken over), remembering it: files of one folder are mostly
// registered one after another, and those need no further system call here. Should the
// folder have been swapped meanwhile, its moved-away watch reports that at the next turn.
static int32_t folder_of(char* dir) {
    const int32_t last = watch.last_folder;
    if (watch.last_dir && strcmp(dir, watch.last_dir) == 0 && !watch.folders[last].lost) {
        free(dir);
        return last;
    }
    free(watch.last_dir);
    watch.last_dir = nullptr;
    const int32_t folder = watch_folder(dir);
    if (folder == kUnwatched) {
        free(dir);
        return kUnwatched;
    }
    watch.last_dir = dir;
    watch.last_folder = folder;
    return folder;
}

//------------------------------------------------------------------------------------------
// Registration
//------------------------------------------------------------------------------------------
static bool open_instance(void) {
    if (watch.fd >= 0) return true;
    if (watch.no_inotify) return false;
    watch.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch.fd >= 0) return true;
    watch.no_inotify = true;
    report_once("inotify");
    return false;
}

// A path whose changes its own folder's events cover: a regular file with one link.
static bool is_plain_file(const char* path) {
    struct stat st;
    return lstat(path, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

// Watches the folder of `path` and records the file's name for entry `e`; false when the
// entry must be examined every turn.
static bool watch_entry(WatchedEntry* e, const char* path) {
    if (!open_instance() || !is_plain_file(path)) return false;
    const char* slash = strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    char* dir = slash ? strndup(path, slash == path ? 1 : size_t(slash - path)) : strdup(".");
    if (!dir) return false;
    e->folder = folder_of(dir);
    if (e->folder == kUnwatched) return false;
    e->name = strdup(name);
    if (!e->name || !reserve_name()) {
        free(e->name);
        e->name = nullptr;
        e->folder = kUnwatched;
        return false;
    }
    return true;
}

static void mark_due(ResourceId id) {
    WatchedEntry& e = watch.entries[id - 1];
    if (e.due) return;
    e.due = true;
    watch.due[watch.nb_due++] = id;
}

// Appends the entry of the next id, not watched and not examined: ids of entries without a
// file stay like this, so that the table is indexed by id.
static WatchedEntry* append_entry(void) {
    if (!reserve_entry()) return nullptr;
    WatchedEntry* e = &watch.entries[watch.nb_entries++];
    *e = WatchedEntry{.folder = kUnwatched, .name = nullptr, .due = false};
    return e;
}

void file_watch_add(ResourceId id, const char* path) {
    if (watch.all_due) return;
    WatchedEntry* e = nullptr;
    while (id > watch.nb_entries && (e = append_entry()) != nullptr) {}
    if (!e || id != watch.nb_entries) {
        watch.all_due = true;  // cannot keep track: from now on every entry every turn
        return;
    }
    if (watch_entry(e, path))
        put_name(id);
    else
        watch.unwatched[watch.nb_unwatched++] = id;
    mark_due(id);
}

void file_watch_limit_folders(uint32_t folders) { watch.folder_limit = folders; }

//------------------------------------------------------------------------------------------
// Events
//------------------------------------------------------------------------------------------
// Every entry named `name` in folder `folder` (one path may be registered with several types).
static void mark_named(int32_t folder, const char* name) {
    hash_probe(watch.names, name_hash(folder, name), [folder, name](uint32_t id) {
        const WatchedEntry& e = watch.entries[id - 1];
        if (e.folder == folder && strcmp(e.name, name) == 0) mark_due(id);
        return false;  // every entry of that name, not only the first
    });
}

// Moves an entry to the unwatched list, keeping that list in increasing order. Its slot in
// the name table stays, matching no folder any more.
static void unwatch(ResourceId id) {
    watch.entries[id - 1].folder = kUnwatched;
    ResourceId* end = watch.unwatched + watch.nb_unwatched;
    ResourceId* at = std::lower_bound(watch.unwatched, end, id);
    memmove(at + 1, at, size_t(end - at) * sizeof(ResourceId));
    *at = id;
    watch.nb_unwatched++;
}

// The folder itself went away or moved: its entries are examined now and every turn after.
static void lose_folder(int32_t folder, bool watch_still_alive) {
    if (watch.folders[folder].lost) return;
    watch.folders[folder].lost = true;
    if (watch_still_alive) inotify_rm_watch(watch.fd, watch.folders[folder].wd);
    for (uint32_t i = 0; i < watch.nb_entries; ++i) {
        if (watch.entries[i].folder != folder) continue;
        mark_due(ResourceId(i + 1));
        unwatch(ResourceId(i + 1));
    }
}

static void mark_every_watched(void) {
    for (uint32_t i = 0; i < watch.nb_entries; ++i)
        if (watch.entries[i].folder != kUnwatched) mark_due(ResourceId(i + 1));
}

static void handle(const inotify_event* ev) {
    if (ev->mask & IN_Q_OVERFLOW) {
        mark_every_watched();
        return;
    }
    const int32_t folder = find_folder(ev->wd);
    if (folder == kUnwatched || watch.folders[folder].lost) return;
    if (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) {
        lose_folder(folder, (ev->mask & IN_MOVE_SELF) != 0);
        return;
    }
    if (ev->len > 0) mark_named(folder, ev->name);
}

// Reads every pending event without waiting.
static void drain_events(void) {
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = read(watch.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // EAGAIN: nothing more
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const inotify_event* ev = reinterpret_cast<const inotify_event*>(buffer + at);
            handle(ev);
            at += ssize_t(sizeof(inotify_event) + ev->len);
        }
    }
}

//------------------------------------------------------------------------------------------
// Due list
//------------------------------------------------------------------------------------------
uint32_t file_watch_due(const ResourceId** ids) {
    if (watch.all_due) {
        *ids = nullptr;
        return 0;
    }
    if (watch.fd >= 0) drain_events();
    std::sort(watch.due, watch.due + watch.nb_due);
    for (uint32_t i = 0; i < watch.nb_due; ++i) watch.entries[watch.due[i] - 1].due = false;
    // Due entries may be unwatched too (just registered, or their folder just lost).
    const ResourceId* end = std::set_union(watch.due, watch.due + watch.nb_due, watch.unwatched,
                                           watch.unwatched + watch.nb_unwatched, watch.out);
    watch.nb_due = 0;
    *ids = watch.out;
    return uint32_t(end - watch.out);
}

uint32_t file_watch_unwatched(void) { return watch.all_due ? UINT32_MAX : watch.nb_unwatched; }

//------------------------------------------------------------------------------------------
// Release
//------------------------------------------------------------------------------------------
void file_watch_release(void) {
    if (watch.fd >= 0) close(watch.fd);
    for (uint32_t i = 0; i < watch.nb_entries; ++i) free(watch.entries[i].name);
    free(watch.entries);
    free(watch.due);
    free(watch.unwatched);
    free(watch.out);
    hash_free(&watch.names);
    free(watch.folders);
    hash_free(&watch.folder_index);
    free(watch.last_dir);
    const uint32_t limit = watch.folder_limit;
    watch = {};
    watch.folder_limit = limit;
}
