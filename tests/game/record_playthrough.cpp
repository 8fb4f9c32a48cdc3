// Writes the committed recording of a whole play-through: `make playthrough`, or
// record_playthrough FILE with the headless drivers. Run it again whenever the game is meant
// to play differently; the tests then replay the new file with `quillow --replay FILE --check`.
// SDL_main.h gives main the name SDL's Windows start-up calls; elsewhere it changes nothing.
#include <SDL_main.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game_world.hpp"
#include "playthrough.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: record_playthrough FILE\n");
        return 2;
    }
    // Start-up moves into the program's folder, so the file is named from here first.
    const std::string path = std::filesystem::absolute(argv[1]).string();
    if (!world_start()) return 1;
    PlaythroughRun run;
    const bool ok = playthrough_record(path.c_str(), &run);
    world_stop();
    if (!ok) return 1;
    printf("%s: %u turns, %zu frames\n", path.c_str(), run.turns, run.digests.size());
    return 0;
}
