// Whole-file writes for the build-time generators: the bytes go to "<path>.tmp" first and are
// renamed over the path only once complete, so an interrupted build never leaves a truncated
// picture or sound behind for the next build to embed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

inline bool write_file_atomically(const std::string& path, const uint8_t* bytes, size_t size) {
    std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        std::perror(tmp.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes, 1, size, f) == size;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}
