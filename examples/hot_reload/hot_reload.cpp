// Hot reload: a level kept in a text file, registered with the engine as a raw resource and
// drawn into the canvas every frame. Every engine turn checks the file's time and size, and
// when an editor saves it the bytes are reloaded in place under the same id, so the next
// frame already draws the new level: edit hot_reload/level.txt beside the program while it
// runs. One character per 16x16 tile, 40 columns by 30 rows: '#' a wall, '+' a dithered
// floor tile, 'o' a ring, anything else empty.
//
//   orvex_hot_reload [--frames N] [--edit-at K] [--screenshot FILE]   (see run_options.hpp)
//
// Index: Level files / Drawing / Frame / Entry
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <orvex/orvex.hpp>
#include <orvex/px.hpp>

#include "../run_options.hpp"

//------------------------------------------------------------------------------------------
// Level files
//------------------------------------------------------------------------------------------
constexpr int32_t TILE = 16, COLUMNS = PX_WIDTH / TILE, ROWS = PX_HEIGHT / TILE;
static const char* const LEVEL_PATH = "hot_reload/level.txt";

static struct {
    RunOptions options;
    int32_t frame;
    ResourceId level;
    std::string seen;  // the level's bytes as last drawn, to notice a reload
    bool reloaded;
    bool failed;  // the screenshot could not be saved
} demo;

// Two levels to start from: a room of pillars, and (what --edit-at saves) rings in a room.
static char pillars(int32_t col, int32_t row) {
    if (col == 0 || row == 0 || col == COLUMNS - 1 || row == ROWS - 1) return '#';
    if (col % 6 == 3 && row % 6 == 3) return '#';
    return (col + row) % 2 ? '+' : '.';
}

static char rings(int32_t col, int32_t row) {
    if (col == 0 || row == 0 || col == COLUMNS - 1 || row == ROWS - 1) return '#';
    const int32_t ring = std::min(std::min(col, COLUMNS - 1 - col), std::min(row, ROWS - 1 - row));
    return ring % 3 == 0 ? '#' : ring % 3 == 1 ? 'o' : '.';
}

// Writes the whole file at once, as an editor saves it.
static bool write_level(char (*tile)(int32_t, int32_t)) {
    std::string text;
    for (int32_t row = 0; row < ROWS; row++) {
        for (int32_t col = 0; col < COLUMNS; col++) text += tile(col, row);
        text += '\n';
    }
    std::ofstream out(LEVEL_PATH, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) perror(LEVEL_PATH);
    return bool(out);
}

//------------------------------------------------------------------------------------------
// Drawing
//------------------------------------------------------------------------------------------
static void draw_tile(char c, int32_t x, int32_t y) {
    switch (c) {
    case '#': px_fill_rect(x, y, x + TILE - 1, y + TILE - 1, 255); break;
    case '+': px_fill_rect(x + 2, y + 2, x + TILE - 3, y + TILE - 3, 60); break;
    case 'o': px_rect(x + 3, y + 3, x + TILE - 4, y + TILE - 4, 255); break;
    default: break;
    }
}

// The level's bytes as they are now: the payload of a raw entry is its own copy of the file.
static std::string level_text(void) {
    const ResourcePayload* p = ORVEX_GetResourceData(demo.level);
    return std::string(reinterpret_cast<const char*>(p->raw.data), size_t(p->raw.size));
}

static void draw_level(const std::string& text) {
    int32_t col = 0, row = 0;
    for (char c : text) {
        if (c == '\n') {
            col = 0;
            row++;
            continue;
        }
        if (col < COLUMNS && row < ROWS) draw_tile(c, col * TILE, row * TILE);
        col++;
    }
}

//------------------------------------------------------------------------------------------
// Frame
//------------------------------------------------------------------------------------------
static void notice_reload(const std::string& text) {
    if (text == demo.seen) return;
    if (!demo.seen.empty()) {
        printf("level reloaded: %zu bytes\n", text.size());
        fflush(stdout);
        demo.reloaded = true;
    }
    demo.seen = text;
}

static int32_t frame(void*) {
    demo.frame++;
    if (demo.frame == demo.options.edit_at) write_level(rings);
    const std::string text = level_text();
    notice_reload(text);
    px_clear(0);
    draw_level(text);
    ORVEX_DrawBegin();
    px_render();
    if (!screenshot_if_last(demo.options, demo.frame)) demo.failed = true;
    ORVEX_DrawEnd();
    return last_frame(demo.options, demo.frame) ? 1 : 0;
}

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
// The level file lies beside the program, which start-up made the working directory. A run
// that edits it starts from the first level; otherwise earlier edits are kept.
static bool make_level(void) {
    std::error_code error;
    std::filesystem::create_directory("hot_reload", error);
    if (demo.options.edit_at == 0 && std::filesystem::exists(LEVEL_PATH, error)) return true;
    return write_level(pillars);
}

int main(int argc, char** argv) {
    demo.options = parse_run_options(argc, argv);
    const ORVEX_Config config = {
        .width = PX_WIDTH,
        .height = PX_HEIGHT,
        .scale = 1,
        .fps = 60,
        .pixel_perfect = 1,
        .show_cursor = 1,
        .title = "Hot reload example",
    };
    if (ORVEX_Init(&config) != 0) return 1;
    atexit(ORVEX_Quit);
    if (px_init() != 0) return 1;
    atexit(px_deinit);  // registered last, so it runs first: the texture before the renderer
    if (!make_level()) return 1;
    demo.level = ORVEX_LoadResourceTyped(ORVEX_RESOURCE_RAW, LEVEL_PATH);
    if (demo.level == 0) return 1;
    printf("edit %s while this runs\n", std::filesystem::absolute(LEVEL_PATH).string().c_str());
    fflush(stdout);
    ORVEX_MainLoop(frame, nullptr);
    if (demo.options.edit_at && !demo.reloaded) {
        fprintf(stderr, "hot_reload: the level was rewritten but never reloaded\n");
        return 1;
    }
    return demo.failed ? 1 : 0;
}
