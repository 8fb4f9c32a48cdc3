// Writes the committed recording of a whole game of Plinkwall: `make plinkwall-playthrough`,
// or record_plinkwall FILE [SCREENSHOT] with the headless drivers. A scripted player plays
// it, the same way every time: it waits on the title screen, starts, steers with the arrow
// keys for its first ball and with the mouse for its second, aims off-centre to send the
// ball about, gives each ball up after a while, and at the game over goes back to the title
// and leaves. SCREENSHOT, when given, gets a PNG of a moment of play (docs/plinkwall.png).
// Run it again whenever the game is meant to play differently; the tests replay the file with
// `plinkwall --replay FILE --check`.
#include <SDL_main.h>
#include <SDL_mouse.h>
#include <SDL_scancode.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "game.hpp"
#include "support.hpp"

namespace {

//------------------------------------------------------------------------------------------
// The player
//------------------------------------------------------------------------------------------
constexpr uint32_t MAX_TURNS = 20000;                // a script that no longer ends the game fails
constexpr uint32_t SHOT_TURN = 700;                  // the screenshot's moment
constexpr int32_t GIVE_UP[] = {0, 260, 1400, 1500};  // turns of play a ball lasts, by lives left

struct Script {
    Game game;
    uint32_t turn;
    int32_t played;          // turns of play with this ball
    int32_t held;            // the arrow key held: SDL scancode, or 0
    int32_t tap;             // a key or mouse button (negative) to let go of next turn
    const char* screenshot;  // null for none
};

void tap_key(Script* s, int32_t scancode) {
    support::push_key(scancode, true);
    s->tap = scancode;
}

void click(Script* s) {
    support::push_button(SDL_BUTTON_LEFT, true, s->game.board.bat_x, BAT_Y);
    s->tap = -SDL_BUTTON_LEFT;
}

void let_go_of_tap(Script* s) {
    if (s->tap > 0) support::push_key(s->tap, false);
    if (s->tap < 0) support::push_button(uint8_t(-s->tap), false);
    s->tap = 0;
}

void hold(Script* s, int32_t scancode) {
    if (s->held == scancode) return;
    if (s->held != 0) support::push_key(s->held, false);
    if (scancode != 0) support::push_key(scancode, true);
    s->held = scancode;
}

// Where the bat's centre should be: under the ball, a little to one side that changes now
// and then, so the ball leaves the bat at many angles. Past its time the player gives up and
// goes the other way.
int32_t aim_point(const Script* s) {
    const Board& b = s->game.board;
    const int32_t ball = b.ball.x / SUB + BALL_SIZE / 2;
    if (s->played > GIVE_UP[b.lives]) return ball < FIELD_W / 2 ? WALL_RIGHT : WALL_LEFT;
    return ball + int32_t((s->turn / 89) % 5) * 9 - 18;
}

void steer(Script* s) {
    const Board& b = s->game.board;
    const int32_t target = aim_point(s);
    if (b.lives == 2) {  // the second ball: the mouse
        hold(s, 0);
        support::push_motion(target, BAT_Y);
        return;
    }
    const int32_t centre = b.bat_x + BAT_W / 2;
    hold(s, centre < target - 4 ? SDL_SCANCODE_RIGHT : centre > target + 4 ? SDL_SCANCODE_LEFT : 0);
}

// The next turn's input, from what the board shows after this one.
void plan(Script* s) {
    const Board& b = s->game.board;
    let_go_of_tap(s);
    s->played = b.phase == PHASE_PLAY ? s->played + 1 : 0;
    switch (b.phase) {
    case PHASE_TITLE:
        if (b.timer == 40) tap_key(s, b.best == 0 ? SDL_SCANCODE_SPACE : SDL_SCANCODE_ESCAPE);
        break;
    case PHASE_SERVE:
        hold(s, 0);
        if (b.timer == 25) b.lives == 2 ? click(s) : tap_key(s, SDL_SCANCODE_SPACE);
        break;
    case PHASE_PLAY: steer(s); break;
    case PHASE_OVER:
        hold(s, 0);
        if (b.timer == 120) tap_key(s, SDL_SCANCODE_ESCAPE);
        break;
    default: hold(s, 0); break;
    }
}

int32_t scripted_turn(void* user) {
    Script* s = static_cast<Script*>(user);
    if (game_frame(&s->game) != 0) return 1;
    s->turn += 1;
    if (s->turn == SHOT_TURN && s->screenshot) ORVEX_SaveScreenshot(s->screenshot);
    if (s->turn >= MAX_TURNS) {
        fprintf(stderr, "record_plinkwall: the game did not end in %u turns\n", MAX_TURNS);
        return 1;
    }
    plan(s);
    return 0;
}

//------------------------------------------------------------------------------------------
// Recording
//------------------------------------------------------------------------------------------
// The game's set-up as main.cpp makes it, with pacing off and the recording started first.
bool record(const std::string& path, Script* s) {
    ORVEX_Config config = support::headless_config(FIELD_W, FIELD_H, 1);
    config.title = "Plinkwall";
    if (ORVEX_Init(&config) != 0) return false;
    const bool started = ORVEX_RecordInput(path.c_str()) == 0 && game_start(&s->game);
    const bool ended = started && ORVEX_MainLoop(scripted_turn, s) == 1 && s->game.board.quit;
    const bool saved = ORVEX_StopRecording() == 0;
    ORVEX_Quit();
    return ended && saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: record_plinkwall FILE [SCREENSHOT]\n");
        return 2;
    }
    support::use_headless_drivers();
    // Start-up moves into the program's folder, so the files are named from here first.
    static Script script;
    const std::string path = std::filesystem::absolute(argv[1]).string();
    const std::string shot = argc == 3 ? std::filesystem::absolute(argv[2]).string() : "";
    script.screenshot = argc == 3 ? shot.c_str() : nullptr;
    if (!record(path, &script)) {
        fprintf(stderr, "record_plinkwall: no complete game was recorded\n");
        return 1;
    }
    printf("%s: %u turns, score %d\n", path.c_str(), script.turn + 1, script.game.board.best);
    return 0;
}
