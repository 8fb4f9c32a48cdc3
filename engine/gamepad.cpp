// Game controllers: every pad SDL knows as a game controller is opened when it arrives (at
// start-up SDL announces the ones already plugged in) and closed when it goes. Each open pad
// keeps a mask of the buttons it holds; the engine's one state per button follows the union
// of those masks, so a button reads pressed when the first pad takes it and released when
// the last lets go, including when that pad is pulled out.
//
// SDL would read every joystick driver on each event poll, which costs microseconds even with
// nothing plugged in. The engine turns that off and reads the pads itself once per turn while
// one is open; with none it only looks for new pads about twice a second.
//
// Index: State / Slots / Start and stop / Per-turn update / Events / Queries
#include <SDL.h>

#include "engine_state.hpp"
#include "log.hpp"

static_assert(SDL_CONTROLLER_BUTTON_MAX <= ORVEX_MAX_GAMEPAD_BUTTONS,
              "every SDL controller button needs a state and a bit in a pad's mask");

constexpr uint32_t HOTPLUG_EVERY_TURNS = 16;  // look at the clock once in this many turns
constexpr uint64_t HOTPLUG_EVERY_MS = 500;    // and scan when this much time has passed

//------------------------------------------------------------------------------------------
// State
//------------------------------------------------------------------------------------------
static struct {
    struct {
        SDL_GameController* handle;  // null: free slot
        int32_t id;                  // SDL joystick instance id
        uint32_t held;               // bit b: this pad holds button b
    } slots[ORVEX_MAX_GAMEPADS];
    int32_t count;     // open pads
    bool started;      // the game controller subsystem is up
    uint32_t turns;    // turns since start-up, to space out the hot-plug scan
    uint64_t scanned;  // SDL tick of the last hot-plug scan
} pads;

//------------------------------------------------------------------------------------------
// Slots
//------------------------------------------------------------------------------------------
static int32_t find_slot(int32_t instance_id) {
    for (int32_t i = 0; i < ORVEX_MAX_GAMEPADS; ++i) {
        if (pads.slots[i].handle && pads.slots[i].id == instance_id) return i;
    }
    return -1;
}

static int32_t free_slot(void) {
    for (int32_t i = 0; i < ORVEX_MAX_GAMEPADS; ++i) {
        if (!pads.slots[i].handle) return i;
    }
    return -1;
}

static bool any_pad_holds(uint32_t bit) {
    for (const auto& slot : pads.slots) {
        if (slot.held & bit) return true;
    }
    return false;
}

// One pad's button changes; the merged state changes only when the union of all pads does.
// Every pad's press counts, also one while another pad holds the button.
static void set_held(int32_t slot, int32_t button, bool down) {
    if (button < 0 || button >= ORVEX_MAX_GAMEPAD_BUTTONS) return;
    const uint32_t bit = 1u << button;
    const bool before = any_pad_holds(bit);
    uint32_t& held = pads.slots[slot].held;
    if (down && !(held & bit)) {
        presses_add(&orvex.input.presses, INPUT_FIRST_PAD_BUTTON + button, 1);  // this pad's press
    }
    held = down ? held | bit : held & ~bit;
    const bool after = any_pad_holds(bit);
    if (!before && after) orvex.input.pad_buttons[button] = ORVEX_KEY_PRESSED;
    if (before && !after) orvex.input.pad_buttons[button] = ORVEX_KEY_RELEASED;
}

static void close_slot(int32_t slot) {
    for (int32_t b = 0; b < ORVEX_MAX_GAMEPAD_BUTTONS; ++b) set_held(slot, b, false);
    SDL_GameControllerClose(pads.slots[slot].handle);
    pads.slots[slot] = {};
    pads.count -= 1;
}

//------------------------------------------------------------------------------------------
// Start and stop
//------------------------------------------------------------------------------------------
// Without the subsystem the engine runs on without pads.
void gamepads_start(void) {
    pads = {};
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) < 0) {
        orvex_report_sdl();
        return;
    }
    pads.started = true;
    pads.scanned = SDL_GetTicks64();
}

void gamepads_stop(void) {
    for (int32_t i = 0; i < ORVEX_MAX_GAMEPADS; ++i) {
        if (pads.slots[i].handle) close_slot(i);
    }
    if (pads.started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    pads = {};
}

//------------------------------------------------------------------------------------------
// Per-turn update
//------------------------------------------------------------------------------------------
static bool hotplug_scan_due(void) {
    if (++pads.turns % HOTPLUG_EVERY_TURNS != 0) return false;
    const uint64_t now = SDL_GetTicks64();
    if (now - pads.scanned < HOTPLUG_EVERY_MS) return false;
    pads.scanned = now;
    return true;
}

// SDL reads the open pads and its drivers' hot-plug notices, and queues what changed as
// events for the drain that follows.
void gamepads_update(void) {
    if (!pads.started) return;
    if (pads.count == 0 && !hotplug_scan_due()) return;
    SDL_GameControllerUpdate();
}

//------------------------------------------------------------------------------------------
// Events
//------------------------------------------------------------------------------------------
// `index` is a device index; a pad that is already open (announced twice) is left alone.
static void open_pad(int32_t index) {
    if (find_slot(SDL_JoystickGetDeviceInstanceID(index)) >= 0) return;
    const int32_t slot = free_slot();
    if (slot < 0) {
        orvex_report_line("gamepad %d ignored: %d pads are open already\n", index,
                          ORVEX_MAX_GAMEPADS);
        return;
    }
    SDL_GameController* pad = SDL_GameControllerOpen(index);
    if (!pad) {
        orvex_report_sdl();
        return;
    }
    SDL_Joystick* joystick = SDL_GameControllerGetJoystick(pad);
    pads.slots[slot] = {.handle = pad, .id = SDL_JoystickInstanceID(joystick), .held = 0};
    pads.count += 1;
}

void gamepads_on_event(const SDL_Event& e) {
    if (!pads.started) return;
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED: open_pad(e.cdevice.which); break;
    case SDL_CONTROLLERDEVICEREMOVED: {
        const int32_t slot = find_slot(e.cdevice.which);
        if (slot >= 0) close_slot(slot);
        break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        const int32_t slot = find_slot(e.cbutton.which);
        if (slot >= 0) set_held(slot, e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
        break;
    }
    default: break;
    }
}

//------------------------------------------------------------------------------------------
// Queries
//------------------------------------------------------------------------------------------
KeyState ORVEX_GetGamepadButtonState(int32_t button) {
    if (button < 0 || button >= ORVEX_MAX_GAMEPAD_BUTTONS) return ORVEX_KEY_UP;
    return orvex.input.pad_buttons[button];
}

int32_t ORVEX_GetGamepadCount(void) { return pads.count; }
