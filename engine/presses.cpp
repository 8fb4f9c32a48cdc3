// Press counts: how many times each key, mouse button and pad button went down in the last
// turn's drain. The per-turn states keep only the last edge, so a press and release within one
// turn reads as released; the counts keep the press. The drain adds to them (loop.cpp,
// gamepad.cpp), ORVEX_Cycle clears them, a recording keeps them and a replay feeds them
// (record.cpp). Only the slots pressed in a turn are touched again to clear it, and nothing
// is allocated.
//
// Index: Counting / Queries
#include "engine_state.hpp"

//------------------------------------------------------------------------------------------
// Counting
//------------------------------------------------------------------------------------------
void presses_clear(PressCounts* p) {
    for (int32_t i = 0; i < p->nb_touched; ++i) p->counts[p->touched[i]] = 0;
    p->nb_touched = 0;
}

void presses_add(PressCounts* p, int32_t slot, uint32_t n) {
    if (n == 0) return;
    const uint32_t before = p->counts[slot];
    if (before == 0) p->touched[p->nb_touched++] = static_cast<uint16_t>(slot);
    p->counts[slot] =
        static_cast<uint16_t>(n >= PRESS_COUNT_MAX - before ? PRESS_COUNT_MAX : before + n);
}

void presses_copy(PressCounts* to, const PressCounts* from) {
    presses_clear(to);
    for (int32_t i = 0; i < from->nb_touched; ++i) {
        const uint16_t slot = from->touched[i];
        presses_add(to, slot, from->counts[slot]);
    }
}

//------------------------------------------------------------------------------------------
// Queries
//------------------------------------------------------------------------------------------
static int32_t presses_in(int32_t first, int32_t limit, int32_t n) {
    if (n < 0 || n >= limit) return 0;
    return orvex.input.presses.counts[first + n];
}

int32_t ORVEX_GetKeyPresses(int32_t scancode) { return presses_in(0, ORVEX_MAX_KEYS, scancode); }

int32_t ORVEX_GetButtonPresses(int32_t button) {
    return presses_in(INPUT_FIRST_BUTTON, ORVEX_MAX_BUTTONS, button);
}

int32_t ORVEX_GetGamepadButtonPresses(int32_t button) {
    return presses_in(INPUT_FIRST_PAD_BUTTON, ORVEX_MAX_GAMEPAD_BUTTONS, button);
}
