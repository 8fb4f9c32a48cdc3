// The game's frame and its stage: the counter of wall turns, the table of stage pictures,
// and game_frame, which answers the window, capture and mute keys, updates the player, draws the current
// picture as four shaken quadrants around a wobbling split point, draws the square and
// presents the dithered canvas.

#include <SDL_scancode.h>

#include <cassert>
#include <cmath>
#include <cstdlib>

#include <orvex/orvex.hpp>

#include "game.hpp"
#include "images.hpp"
#include "player.hpp"
#include "scene.hpp"

//------------------------------------------------------------------------------------------
// Stage
//------------------------------------------------------------------------------------------
int32_t stage = 0;

const PxImage* const stage_images[STAGE_COUNT] = {
    &stage_image_0, &stage_image_1, &stage_image_2, &stage_image_3,
    &stage_image_4, &stage_image_5, &stage_image_6,
};

//------------------------------------------------------------------------------------------
// Split point and quadrants
//------------------------------------------------------------------------------------------
namespace {

constexpr int32_t WOBBLE_STEPS = 5;         // rand() % 5 frames added to the wobble phase
constexpr double WOBBLE_DIVISOR = 7.0;      // phase = (frame + wobble) / 7
constexpr double WOBBLE_RADIUS = 2 * 64.0;  // the split strays up to 128 pixels from centre
constexpr double SPIN = 0.03125;            // radians per frame: one turn in ~201 frames
constexpr int32_t SHAKE_STEPS = 9;          // rand() % 9 - 4: -4..+4 pixels per axis
constexpr int32_t SHAKE_REACH = 4;

// Left and top quadrants shake by 4 - r, right and bottom ones by r - 4.
int32_t shake_low(int32_t r) { return SHAKE_REACH - r % SHAKE_STEPS; }
int32_t shake_high(int32_t r) { return r % SHAKE_STEPS - SHAKE_REACH; }

}  // namespace

SplitPoint scene_split(uint32_t frame, int32_t wobble, int32_t width, int32_t height) {
    uint32_t steps = frame + static_cast<uint32_t>(wobble % WOBBLE_STEPS);
    double radius = std::sin(static_cast<double>(steps) / WOBBLE_DIVISOR) * WOBBLE_RADIUS;
    double angle = static_cast<double>(frame) * SPIN;
    return SplitPoint{
        .x = static_cast<int32_t>(radius * std::sin(angle) + width * 0.5),
        .y = static_cast<int32_t>(radius * std::cos(angle) + height * 0.5),
    };
}

PxBlitArgs scene_quadrant(const PxImage* img, SplitPoint split, int32_t quadrant, int32_t shake_x,
                          int32_t shake_y) {
    assert(quadrant >= 0 && quadrant < SCENE_QUADRANTS && "quadrant must be 0..3");
    bool right = quadrant & 1;
    bool bottom = quadrant & 2;
    // A picture smaller than the wobble can put the split outside it; a negative size would
    // mean "to the edge" to px_blit, so the split is held inside the picture.
    int32_t sx = px_clamp(0, split.x, img->width);
    int32_t sy = px_clamp(0, split.y, img->height);
    return PxBlitArgs{
        .reserved = 0,
        .img = img,
        .x = right ? sx + shake_high(shake_x) : shake_low(shake_x),
        .y = bottom ? sy + shake_high(shake_y) : shake_low(shake_y),
        .ix = right ? sx : 0,
        .iy = bottom ? sy : 0,
        .w = right ? img->width - sx : sx,
        .h = bottom ? img->height - sy : sy,
        .flip_x = 0,
        .flip_y = 0,
    };
}

//------------------------------------------------------------------------------------------
// Window keys
//------------------------------------------------------------------------------------------
// The window's controls follow the player's own keyboard, also while a replay feeds the game.
// They act on presses, not on the turn's last edge: a key tapped within one turn (automation,
// a frame hitch) still counts.
static bool live_pressed(int32_t scancode) { return ORVEX_GetLiveKeyPresses(scancode) > 0; }

// Held at some time during the turn: held now, let go during it, or pressed during it, so
// that Alt+Enter tapped at once counts however its four events fall across turns.
static bool live_held_in_turn(int32_t scancode) {
    return ORVEX_GetLiveKeyState(scancode) != ORVEX_KEY_UP || live_pressed(scancode);
}

void game_fullscreen_keys(void) {
    const bool alt = live_held_in_turn(SDL_SCANCODE_LALT) || live_held_in_turn(SDL_SCANCODE_RALT);
    const bool enter = live_pressed(SDL_SCANCODE_RETURN) || live_pressed(SDL_SCANCODE_KP_ENTER);
    if (live_pressed(SDL_SCANCODE_F11) || (alt && enter)) {
        ORVEX_SetFullscreen(!ORVEX_IsFullscreen());
    }
}

// The engine names the files it writes (pictures folder, time-stamped) on stdout.
void game_capture_keys(void) {
    if (live_pressed(SDL_SCANCODE_F12)) ORVEX_SaveScreenshot(nullptr);
    if (!live_pressed(SDL_SCANCODE_F9)) return;
    if (ORVEX_IsCapturingGif()) {
        ORVEX_StopGifCapture();
    } else {
        ORVEX_StartGifCapture(nullptr);
    }
}

void game_sound_keys(void) {
    if (live_pressed(SDL_SCANCODE_M)) ORVEX_SetMuted(!ORVEX_IsMuted());
}

//------------------------------------------------------------------------------------------
// Frame
//------------------------------------------------------------------------------------------
namespace {

// rand() calls in a fixed order: the wobble, then x before y for each quadrant.
void draw_stage(const PxImage* img) {
    uint32_t frame = ORVEX_GetFrameCount();
    int32_t wobble = rand();
    SplitPoint split = scene_split(frame, wobble, img->width, img->height);
    for (int32_t q = 0; q < SCENE_QUADRANTS; ++q) {
        int32_t shake_x = rand();
        int32_t shake_y = rand();
        px_blit(scene_quadrant(img, split, q, shake_x, shake_y));
    }
}

void present(void) {
    ORVEX_DrawBegin();
    px_render();
    ORVEX_DrawEnd();
}

}  // namespace

bool scene_step(Player* player) {
    player_update(player);
    // Unsigned, so a stage counter that ever went negative ends the game too.
    if (static_cast<uint32_t>(stage) >= static_cast<uint32_t>(STAGE_COUNT)) {
        return false;
    }
    px_clear(0);
    draw_stage(stage_images[stage]);
    player_draw(player);
    return true;
}

int32_t game_frame(void* user) {
    Player* player = static_cast<Player*>(user);
    assert(player && "game_frame needs the Player record as the loop's user pointer");
    game_fullscreen_keys();
    game_capture_keys();
    game_sound_keys();
    if (!scene_step(player)) {
        return 1;
    }
    present();
    return 0;
}
