// Controls beyond the keyboard: one action, "jump", bound to the space bar, a gamepad's A
// button and the left mouse button (a touch counts as one); a PNG sprite that is reloaded
// when its file changes (edit controls/sprite.png while it runs); F11 for fullscreen. Each
// press of "jump" throws the sprite up; one dot per connected pad shows at the top left.
//
//   orvex_controls [--frames N] [--edit-at K] [--screenshot FILE] [--script]
//     (see run_options.hpp), and
//     --script     press space, click, and tap F11 twice through SDL's own event queue, and
//                  insist that "jump" saw both presses and that fullscreen went on and off
//
// Index: State / The sprite file / Script (headless runs) / Frame / Entry
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <orvex/input.hpp>
#include <orvex/orvex.hpp>

#include "../run_options.hpp"

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
static const char* const SPRITE_PATH = "controls/sprite.png";
static const char* const JUMP = "jump";

static struct {
    RunOptions options;
    bool script;
    bool failed;  // the screenshot could not be saved
    ResourceId sprite;
    int32_t sprite_w;  // last width seen, to notice a reload
    bool reloaded;
    int32_t frame;
    float height, speed;  // of the sprite above the ground
    int32_t jumps, fullscreen_changes;
} demo;

//------------------------------------------------------------------------------------------
// The sprite file
//------------------------------------------------------------------------------------------
// A w x h diamond with a see-through background, written as PNG by SDL2_image.
static bool write_sprite(int32_t w, int32_t h, uint32_t argb) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return false;
    for (int32_t y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int32_t x = 0; x < w; ++x) {
            const bool inside = abs(2 * x - w) * h + abs(2 * y - h) * w <= w * h;
            row[x] = inside ? argb : 0;
        }
    }
    const bool ok = IMG_SavePNG(s, SPRITE_PATH) == 0;
    SDL_FreeSurface(s);
    return ok;
}

static void notice_reload(void) {
    const int32_t w = ORVEX_GetImageWidth(demo.sprite);
    if (w == demo.sprite_w) return;
    printf("sprite reloaded: %dx%d\n", w, ORVEX_GetImageHeight(demo.sprite));
    fflush(stdout);
    demo.sprite_w = w;
    demo.reloaded = true;
}

//------------------------------------------------------------------------------------------
// Script (headless runs)
//------------------------------------------------------------------------------------------
static void push_key(int32_t scancode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = SDL_Scancode(scancode);
    SDL_PushEvent(&e);
}

static void push_click(bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

// What a player would do, a few frames apart; events reach the engine at the next turn.
static void play_script(int32_t frame) {
    switch (frame) {
    case 5: push_key(SDL_SCANCODE_SPACE, true); break;
    case 8: push_key(SDL_SCANCODE_SPACE, false); break;
    case 40: push_click(true); break;
    case 43: push_click(false); break;
    case 60: push_key(SDL_SCANCODE_F11, true); break;
    case 62: push_key(SDL_SCANCODE_F11, false); break;
    case 70: push_key(SDL_SCANCODE_F11, true); break;
    case 72: push_key(SDL_SCANCODE_F11, false); break;
    default: break;
    }
}

//------------------------------------------------------------------------------------------
// Frame
//------------------------------------------------------------------------------------------
static void update(void) {
    if (input_pressed(JUMP)) {
        demo.jumps += 1;
        if (demo.height == 0.0f) demo.speed = 6.0f;
    }
    demo.height += demo.speed;
    demo.speed -= 0.3f;
    if (demo.height <= 0.0f) demo.height = demo.speed = 0.0f;
    if (ORVEX_IsKeyPressed(SDL_SCANCODE_F11)) {
        ORVEX_SetFullscreen(!ORVEX_IsFullscreen());
        demo.fullscreen_changes += 1;
    }
}

static void draw(void) {
    ORVEX_DrawBegin();
    ORVEX_SetDrawColor8(20, 24, 36, 255);
    ORVEX_ScreenClear();
    ORVEX_SetDrawColor8(120, 200, 120, 255);
    const ORVEX_DrawRectangleArgs ground{.x = 0, .y = 200, .w = 320, .h = 40, .fill = 1};
    ORVEX_DrawRectangle(&ground);
    ORVEX_SetDrawColor8(255, 255, 255, 255);
    const ORVEX_DrawImageArgs sprite{
        .id = demo.sprite,
        .x = 160,
        .y = 200 - ORVEX_GetImageHeight(demo.sprite) / 2 - int32_t(demo.height),
        .w = ORVEX_WHOLE_IMAGE,
        .h = ORVEX_WHOLE_IMAGE,
        .scale_x = 1.0f,
        .scale_y = 1.0f,
        .centered = 1};
    ORVEX_DrawImage(&sprite);
    for (int32_t pad = 0; pad < ORVEX_GetGamepadCount(); ++pad) {
        const ORVEX_DrawRectangleArgs dot{.x = 8 + 12 * pad, .y = 8, .w = 8, .h = 8, .fill = 1};
        ORVEX_DrawRectangle(&dot);
    }
    if (!screenshot_if_last(demo.options, demo.frame)) demo.failed = true;
    ORVEX_DrawEnd();
}

static int32_t frame(void*) {
    demo.frame += 1;
    if (demo.script) play_script(demo.frame);
    if (demo.frame == demo.options.edit_at) write_sprite(40, 24, 0xFFE0A040);
    notice_reload();
    update();
    draw();
    return last_frame(demo.options, demo.frame) ? 1 : 0;
}

//------------------------------------------------------------------------------------------
// Entry
//------------------------------------------------------------------------------------------
static void parse_args(int argc, char** argv) {
    demo.options = parse_run_options(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--script") == 0) demo.script = true;
    }
}

static void bind_jump(void) {
    input_new_action(JUMP);
    input_bind_scancode(JUMP, SDL_SCANCODE_SPACE);
    input_bind_gamepad_button(JUMP, SDL_CONTROLLER_BUTTON_A);
    input_bind_mouse_button(JUMP, SDL_BUTTON_LEFT);
}

// A failed check of a headless run: what was expected, and exit status 1.
static int32_t check(bool ok, const char* what) {
    if (!ok) fprintf(stderr, "controls: %s\n", what);
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    parse_args(argc, argv);
    const ORVEX_Config config{
        .width = 320, .height = 240, .scale = 2, .fps = 60, .show_cursor = 1, .title = "Controls"};
    if (ORVEX_Init(&config) != 0) return 1;
    atexit(ORVEX_Quit);
    // Beside the program: start-up made that the working directory. A folder left by an
    // earlier run is fine.
    std::error_code exists;
    std::filesystem::create_directory("controls", exists);
    if (!write_sprite(24, 32, 0xFF50B4FF)) {
        fprintf(stderr, "controls: %s: %s\n", SPRITE_PATH, SDL_GetError());
        return 1;
    }
    demo.sprite = ORVEX_LoadResource(SPRITE_PATH);
    if (demo.sprite == 0) return 1;
    demo.sprite_w = ORVEX_GetImageWidth(demo.sprite);
    bind_jump();
    ORVEX_MainLoop(frame, nullptr);
    int32_t failed = check(!demo.failed, "the screenshot could not be saved");
    if (demo.options.edit_at)
        failed |= check(demo.reloaded, "the sprite was rewritten but never reloaded");
    if (demo.script) {
        failed |= check(demo.jumps == 2, "\"jump\" did not see the key press and the click");
        failed |= check(demo.fullscreen_changes == 2 && !ORVEX_IsFullscreen(),
                        "F11 twice did not go to fullscreen and back");
    }
    return failed;
}
