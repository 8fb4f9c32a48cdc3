// The resource registry: one growable table of entries, each an image texture, a sound chunk
// or a private copy of raw bytes, addressed by its 1-based position (the ResourceId).
// Entries that came from files remember the path and the file's stamp (times, size,
// identity) as it was read; the change scan at the start of every engine turn reloads an
// entry in place when the file's stamp differs, and looks only at the files that the
// watcher (file_watch.hpp) says may have changed. Files are read through files.hpp.
//
// Index: State / Lookup / Table growth / Decoding / Path index / Release / Files / Registration /
//        Reload and change scan / Accessors
#include <SDL.h>
#include <SDL_mixer.h>
#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine_state.hpp"
#include "file_watch.hpp"
#include "files.hpp"
#include "hash_table.hpp"
#include "log.hpp"
#include "media_checks.hpp"
#include "resources_internal.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
static struct {
    ResourceEntry* table;
    uint64_t count;
    uint64_t capacity;
    HashTable index;  // ids of file-backed entries by (type, path); no slots: walk the table
} registry;

RegistryTable registry_table(void) {
    return RegistryTable{registry.table, registry.count, registry.capacity};
}

//------------------------------------------------------------------------------------------
// Lookup
//------------------------------------------------------------------------------------------
ResourceEntry* registry_lookup(const char* op, ResourceId id) {
    if (id == 0 || id > registry.count) {
        orvex_report_line("%s: no resource with id %u\n", op, id);
        return nullptr;
    }
    return &registry.table[id - 1];
}

ResourceEntry* registry_lookup_arg(const char* op, ResourceId id) {
    if (id == 0) {
        orvex_report_line("args->id is 0\n");
        return nullptr;
    }
    return registry_lookup(op, id);
}

//------------------------------------------------------------------------------------------
// Table growth
//------------------------------------------------------------------------------------------
// Makes room for one more entry. Byte sizes are powers of two from 16 up, so registration
// is amortised constant time; on failure the old table stays as it was.
static bool reserve_ressources(void) {
    uint64_t n = registry.count;
    if (registry.capacity >= n + 1) return true;
    if (n >= UINT32_MAX) {
        orvex_report_line("ORVEX_LoadResourceFromMemory: the registry is full\n");
        return false;
    }
    size_t need = (n + 1) * sizeof(ResourceEntry);
    size_t bytes = 16;
    while (bytes < need) bytes *= 2;
    void* table = realloc(registry.table, bytes);
    if (!table) {
        orvex_report_errno("ORVEX_LoadResourceFromMemory:reserve_ressources");
        orvex_report_line("failed to reserve for new ressource\n");
        return false;
    }
    registry.table = static_cast<ResourceEntry*>(table);
    registry.capacity = bytes / sizeof(ResourceEntry);
    return true;
}

//------------------------------------------------------------------------------------------
// Decoding
//------------------------------------------------------------------------------------------
static int32_t load_raw(ResourceEntry* entry, const void* bytes, int32_t size) {
    // One byte at least, so that an empty resource still owns a block of its own.
    uint8_t* data = static_cast<uint8_t*>(malloc(size > 0 ? size_t(size) : 1));
    if (!data) {
        orvex_report_errno("ORVEX_DirectResourceLoad");
        return -1;
    }
    if (size > 0) memcpy(data, bytes, size_t(size));
    entry->payload.raw.data = data;
    entry->payload.raw.size = size;
    return 0;
}

// The texture's size, or -1 after destroying it when blending or the query fails.
static int32_t finish_texture(ResourceEntry* entry, SDL_Texture* texture) {
    int32_t w = 0, h = 0;
    if (SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND) != 0 ||
        SDL_QueryTexture(texture, nullptr, nullptr, &w, &h) != 0) {
        orvex_report_sdl();
        SDL_DestroyTexture(texture);
        return -1;
    }
    entry->payload.image.width = w;
    entry->payload.image.height = h;
    entry->payload.image.texture = texture;
    return 0;
}

// Image data is decoded by its content (image_decode.cpp) whatever the file was called.
static int32_t load_image(ResourceEntry* entry, const void* bytes, int32_t size) {
    SDL_Surface* surface = image_decode(bytes, size);
    if (!surface) {
        orvex_report_sdl();
        return -1;
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(orvex.video.renderer, surface);
    SDL_FreeSurface(surface);
    if (!texture) {
        orvex_report_sdl();
        return -1;
    }
    return finish_texture(entry, texture);
}

// The mixer decodes a sound once its header has been checked against the device's format.
static int32_t load_sound(ResourceEntry* entry, const char* source, const void* bytes,
                          int32_t size) {
    if (orvex.config.mixer == 0) {
        orvex_log(ORVEX_LOG_SDL, "audio mixer disabled, skip loading");
        return -1;
    }
    SoundDevice device = {};
    int channels = 0;
    if (Mix_QuerySpec(&device.freq, &device.format, &channels) == 0) {
        orvex_report_sdl();
        return -1;
    }
    device.channels = channels;
    SoundRepair repair;
    if (sound_check_header(source, static_cast<const uint8_t*>(bytes), size_t(size), device,
                           &repair) != 0)
        return -1;
    uint8_t* repaired = repair.length_at ? static_cast<uint8_t*>(malloc(size_t(size))) : nullptr;
    if (repaired) {
        memcpy(repaired, bytes, size_t(size));
        for (int i = 0; i < 4; ++i)
            repaired[repair.length_at + i] = uint8_t(repair.length >> 8 * i);
        bytes = repaired;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, size);
    Mix_Chunk* chunk = stream ? Mix_LoadWAV_RW(stream, 0) : nullptr;
    if (stream) SDL_RWclose(stream);
    free(repaired);
    if (!chunk) {
        orvex_report_sdl();
        return -1;
    }
    entry->payload.sound.chunk = chunk;
    return 0;
}

// Decodes the bytes into the entry's payload by its type; 0, or -1 with the payload as it was.
// `source` (the file's path, or the operation's name) begins the messages of refused data.
static int32_t ORVEX_DirectResourceLoad(ResourceEntry* entry, const char* source, const void* bytes,
                                        int32_t size) {
    switch (entry->type) {
    case ORVEX_RESOURCE_RAW: return load_raw(entry, bytes, size);
    case ORVEX_RESOURCE_IMAGE: return load_image(entry, bytes, size);
    case ORVEX_RESOURCE_SOUND: return load_sound(entry, source, bytes, size);
    default: orvex_report_line("invalid type\n"); return -1;
    }
}

//------------------------------------------------------------------------------------------
// Path index
//------------------------------------------------------------------------------------------
// De-duplication looks a (type, path) pair up in an open-addressing hash table of ids, so
// that registering n files costs O(n), not a walk over every earlier entry per file. At most
// one entry holds any pair (a second registration finds the first), so a hit is exactly the
// entry the walk would have found. Without the index (its allocation failed) the walk serves.
static bool same_file(const ResourceEntry* e, ResourceType type, const char* path) {
    return e->type == type && e->path && strcmp(e->path, path) == 0;
}

static uint64_t path_hash(ResourceType type, const char* path) {
    return hash_text(path, uint64_t(type));
}

// Builds the index anew over every file-backed entry, at most half full; on failure there is
// no index.
static void index_rebuild(void) {
    const auto hash_of = [](uint32_t id, uint64_t* hash) {
        const ResourceEntry* e = &registry.table[id - 1];
        if (e->path) *hash = path_hash(e->type, e->path);
        return e->path != nullptr;
    };
    const uint32_t last = uint32_t(registry.count);
    if (hash_rebuild(&registry.index, registry.count, 64, last, hash_of)) return;
    orvex_report_errno("ORVEX_LoadResourceTyped:index");
    hash_free(&registry.index);
}

static ResourceId find_loaded(ResourceType type, const char* path) {
    if (!registry.index.slots) {
        for (uint64_t i = 0; i < registry.count; ++i) {
            if (same_file(&registry.table[i], type, path)) return ResourceId(i + 1);
        }
        return 0;
    }
    return hash_probe(registry.index, path_hash(type, path), [type, path](uint32_t id) {
        return same_file(&registry.table[id - 1], type, path);
    });
}

// Records a freshly registered file-backed entry (already counted, path set) in the index.
static void index_add(ResourceId id) {
    const ResourceEntry* e = &registry.table[id - 1];
    if (registry.index.slots && hash_has_room(registry.index, registry.count)) {
        hash_put(registry.index, path_hash(e->type, e->path), id);
        return;
    }
    index_rebuild();  // takes in every file-backed entry, this one included
}

//------------------------------------------------------------------------------------------
// Release
//------------------------------------------------------------------------------------------
static void release_payload(ResourceEntry* entry) {
    ResourcePayload* p = &entry->payload;
    switch (entry->type) {
    case ORVEX_RESOURCE_RAW:
        free(p->raw.data);
        p->raw.data = nullptr;
        break;
    case ORVEX_RESOURCE_IMAGE:
        if (p->image.texture) SDL_DestroyTexture(p->image.texture);
        p->image.texture = nullptr;
        break;
    case ORVEX_RESOURCE_SOUND:
        if (p->sound.chunk) Mix_FreeChunk(p->sound.chunk);
        p->sound.chunk = nullptr;
        break;
    default: orvex_report_line("unknown resource type %u\n", unsigned(entry->type)); break;
    }
}

static void release_resource(ResourceEntry* entry, bool with_path) {
    if (with_path) {
        free(entry->path);
        entry->path = nullptr;
    }
    release_payload(entry);
}

void release_resources(void) {
    for (uint64_t i = 0; i < registry.count; ++i) {
        release_resource(&registry.table[i], true);
    }
    free(registry.table);
    registry.table = nullptr;
    hash_free(&registry.index);
    file_watch_release();
    registry.count = 0;
    registry.capacity = 0;
}

//------------------------------------------------------------------------------------------
// Files
//------------------------------------------------------------------------------------------
static OrvexFileStamp stamp_of(const ResourceEntry* e) {
    return OrvexFileStamp{.mtime_sec = e->mtime,
                          .mtime_nsec = e->mtime_nsec,
                          .ctime_sec = e->ctime,
                          .ctime_nsec = e->ctime_nsec,
                          .size = e->file_size,
                          .inode = e->inode,
                          .device = e->device};
}

static void set_stamp(ResourceEntry* e, const OrvexFileStamp& s) {
    e->mtime = s.mtime_sec;
    e->mtime_nsec = s.mtime_nsec;
    e->ctime = s.ctime_sec;
    e->ctime_nsec = s.ctime_nsec;
    e->file_size = s.size;
    e->inode = s.inode;
    e->device = s.device;
}

// Decodes a block read from a file into the entry's payload and releases the block; a raw
// entry keeps the block itself, so that a file's bytes are held once, never copied.
static int32_t load_block(ResourceEntry* entry, const char* path, OrvexFileBlock* block) {
    if (entry->type == ORVEX_RESOURCE_RAW) {
        entry->payload.raw.data = block->bytes;
        entry->payload.raw.size = block->size;
        block->bytes = nullptr;
        return 0;
    }
    const int32_t result =
        ORVEX_DirectResourceLoad(entry, path, block->bytes, int32_t(block->size));
    free(block->bytes);
    block->bytes = nullptr;
    return result;
}

//------------------------------------------------------------------------------------------
// Registration
//------------------------------------------------------------------------------------------
// The slot after the last entry, cleared and typed, or null when the table cannot grow. It
// becomes an entry only through commit_slot, so a failed load leaves the count alone and
// the slot is simply reused.
static ResourceEntry* next_slot(ResourceType type) {
    if (!reserve_ressources()) return nullptr;
    ResourceEntry* entry = &registry.table[registry.count];
    *entry = ResourceEntry{};
    entry->type = type;
    return entry;
}

static ResourceId commit_slot(void) {
    registry.count += 1;
    return ResourceId(registry.count);
}

ResourceId ORVEX_LoadResourceFromMemory(ResourceType type, const void* bytes, uint32_t size) {
    if (size > ORVEX_MAX_BLOCK_BYTES) {
        orvex_report_line(
            "ORVEX_LoadResourceFromMemory: block of %u bytes is too large (2 GiB or more)\n", size);
        return 0;
    }
    if (!bytes && size > 0) {
        orvex_report_line("ORVEX_LoadResourceFromMemory: bytes is NULL\n");
        return 0;
    }
    ResourceEntry* entry = next_slot(type);
    if (!entry ||
        ORVEX_DirectResourceLoad(entry, "ORVEX_LoadResourceFromMemory", bytes, int32_t(size)) != 0)
        return 0;
    return commit_slot();
}

ResourceId ORVEX_LoadResourceTyped(ResourceType type, const char* path) {
    if (!path) {
        orvex_report_line("ORVEX_LoadResourceTyped: path is NULL\n");
        return 0;
    }
    ResourceId id = find_loaded(type, path);
    if (id != 0) return id;
    OrvexFileBlock block;
    if (orvex_file_read(path, "ORVEX_LoadResourceTyped", &block) != 0) return 0;
    ResourceEntry* entry = next_slot(type);
    if (!entry) {
        free(block.bytes);
        return 0;
    }
    if (load_block(entry, path, &block) != 0) return 0;
    set_stamp(entry, block.stamp);
    id = commit_slot();
    entry->path = strdup(path);
    if (!entry->path) {
        orvex_report_errno("ORVEX_LoadResourceTyped");
        return id;
    }
    index_add(id);
    file_watch_add(id, entry->path);
    return id;
}

// The type an extension names: the text from the path's last '.', compared case-insensitively.
static ResourceType type_of_path(const char* path) {
    static const char* const images[] = {".bmp", ".png", ".jpg", ".qoi"};
    const char* ext = strrchr(path, '.');
    if (!ext) return ORVEX_RESOURCE_RAW;
    for (const char* image : images) {
        if (strcasecmp(ext, image) == 0) return ORVEX_RESOURCE_IMAGE;
    }
    if (strcasecmp(ext, ".wav") == 0) return ORVEX_RESOURCE_SOUND;
    return ORVEX_RESOURCE_RAW;
}

ResourceId ORVEX_LoadResource(const char* path) {
    if (!path) {
        orvex_report_line("ORVEX_LoadResource: path is NULL\n");
        return 0;
    }
    return ORVEX_LoadResourceTyped(type_of_path(path), path);
}

//------------------------------------------------------------------------------------------
// Reload and change scan
//------------------------------------------------------------------------------------------
int32_t ORVEX_ReloadResource(ResourceId id) {
    ResourceEntry* entry = registry_lookup("ORVEX_ReloadResource", id);
    if (!entry) return -1;
    if (!entry->path) {
        orvex_report_line("resource path of %u is NULL\n", id);
        return -1;
    }
    OrvexFileBlock block;
    if (orvex_file_read(entry->path, "ORVEX_ReloadResource", &block) != 0) return -1;
    // Decoded beside the entry, so that a failure leaves the old payload untouched.
    ResourceEntry fresh = *entry;
    if (load_block(&fresh, entry->path, &block) != 0) return -1;
    release_payload(entry);
    *entry = fresh;
    set_stamp(entry, block.stamp);
    return 0;
}

// A file whose stamp differs from the entry's is reloaded once, whether or not that
// succeeds: a failed reload (a half-written file, a deleted one) records the stamp seen, so
// that it is tried again only when the file changes again or comes back.
static void scan_entry(uint64_t index) {
    ResourceEntry* entry = &registry.table[index];
    if (!entry->path) return;
    const OrvexFileStamp now = orvex_file_stamp(entry->path);
    if (now == stamp_of(entry)) return;
    if (ORVEX_ReloadResource(ResourceId(index + 1)) != 0) set_stamp(entry, now);
}

// Only the entries whose files may have changed since the last turn are examined, which the
// watcher answers (file_watch.hpp): all of them where it cannot tell.
void ORVEX_HotReload(void) {
    const ResourceId* due = nullptr;
    const uint32_t n = file_watch_due(&due);
    if (!due) {
        for (uint64_t i = 0; i < registry.count; ++i) scan_entry(i);
        return;
    }
    for (uint32_t k = 0; k < n; ++k)
        if (due[k] >= 1 && due[k] <= registry.count) scan_entry(due[k] - 1);
}

//------------------------------------------------------------------------------------------
// Accessors
//------------------------------------------------------------------------------------------
ResourceEntry* ORVEX_GetResource(ResourceId id) { return registry_lookup("ORVEX_GetResource", id); }

ResourceType ORVEX_GetResourceType(ResourceId id) {
    ResourceEntry* entry = registry_lookup("ORVEX_GetResourceType", id);
    return entry ? entry->type : ORVEX_RESOURCE_INVALID;
}

const char* ORVEX_GetResourcePath(ResourceId id) {
    ResourceEntry* entry = registry_lookup("ORVEX_GetResourcePath", id);
    return entry ? entry->path : nullptr;
}

ResourcePayload* ORVEX_GetResourceData(ResourceId id) {
    ResourceEntry* entry = registry_lookup("ORVEX_GetResourceData", id);
    return entry ? &entry->payload : nullptr;
}

static const ResourceEntry* image_entry(const char* op, ResourceId id) {
    const ResourceEntry* entry = registry_lookup(op, id);
    if (entry && entry->type != ORVEX_RESOURCE_IMAGE) {
        orvex_report_line("%s: %u isn't an image\n", op, id);
        return nullptr;
    }
    return entry;
}

int32_t ORVEX_GetImageWidth(ResourceId id) {
    const ResourceEntry* entry = image_entry("ORVEX_GetImageWidth", id);
    return entry ? entry->payload.image.width : 0;
}

int32_t ORVEX_GetImageHeight(ResourceId id) {
    const ResourceEntry* entry = image_entry("ORVEX_GetImageHeight", id);
    return entry ? entry->payload.image.height : 0;
}
