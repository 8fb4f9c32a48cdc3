// The picture, drawn with the renderer from the sprite sheet in colour: the backdrop and the
// steel walls, the bricks, the bat and the ball, the score bar along the top, and the words
// of each phase (title, serve, lost ball, cleared wall, game over) on translucent plates.
// Text is formatted into fixed buffers: nothing is allocated while drawing.
//
// Index: Primitives / Field / Score bar / Words / Picture
#include <cstdio>

#include "game.hpp"

//------------------------------------------------------------------------------------------
// Primitives
//------------------------------------------------------------------------------------------
namespace {

struct Colour {
    uint8_t r, g, b, a;
};

constexpr Colour WHITE = {255, 255, 255, 255};
constexpr Colour GOLD = {255, 214, 90, 255};
constexpr Colour CYAN = {90, 230, 245, 255};
constexpr Colour PLATE = {6, 8, 24, 200};

void colour(Colour c) { ORVEX_SetDrawColor8(c.r, c.g, c.b, c.a); }

// Part of the sheet at (x, y), untinted (the renderer tints images in the draw colour).
void sprite(ResourceId sheet, SheetRect r, int32_t x, int32_t y) {
    colour(WHITE);
    ORVEX_DrawImageArgs args{};
    args.id = sheet;
    args.x = x;
    args.y = y;
    args.ix = r.x;
    args.iy = r.y;
    args.w = r.w;
    args.h = r.h;
    ORVEX_DrawImage(&args);
}

void fill(int32_t x, int32_t y, int32_t w, int32_t h) {
    ORVEX_DrawRectangleArgs args{};
    args.x = x;
    args.y = y;
    args.w = w;
    args.h = h;
    args.fill = 1;
    ORVEX_DrawRectangle(&args);
}

void text_at(const char* text, int32_t x, int32_t y, int32_t scale) {
    ORVEX_DrawTextArgs args{};
    args.text = text;
    args.x = x;
    args.y = y;
    args.scale = scale;
    ORVEX_DrawText(&args);
}

// Text centred across the field with its top at y.
void centred(const char* text, int32_t y, int32_t scale, Colour c) {
    int32_t w = 0;
    ORVEX_MeasureText(text, scale, &w, nullptr);
    colour(c);
    text_at(text, (FIELD_W - w) / 2, y, scale);
}

//------------------------------------------------------------------------------------------
// Field
//------------------------------------------------------------------------------------------
constexpr int32_t BAR_H = WALL_TOP - 16;  // the score bar above the top wall

void draw_walls(ResourceId sheet) {
    for (int32_t y = 0; y < FIELD_H; y += SPRITE_BACK.h) {
        for (int32_t x = 0; x < FIELD_W; x += SPRITE_BACK.w) sprite(sheet, SPRITE_BACK, x, y);
    }
    for (int32_t x = 0; x < FIELD_W; x += SPRITE_WALL.w) sprite(sheet, SPRITE_WALL, x, BAR_H);
    for (int32_t y = WALL_TOP; y < FIELD_H; y += SPRITE_WALL.h) {
        sprite(sheet, SPRITE_WALL, 0, y);
        sprite(sheet, SPRITE_WALL, WALL_RIGHT, y);
    }
}

void draw_bricks(const Board* b, ResourceId sheet) {
    for (int32_t row = 0; row < BRICK_ROWS; ++row) {
        for (int32_t col = 0; col < BRICK_COLS; ++col) {
            const uint8_t brick = b->bricks[row][col];
            if (brick == BRICK_NONE) continue;
            const int32_t x = BRICKS_X + col * BRICK_PITCH_X, y = BRICKS_Y + row * BRICK_PITCH_Y;
            sprite(sheet, brick_slot(brick == BRICK_PLAIN ? row : SLOT_HARD), x, y);
            if (brick == BRICK_CRACKED) sprite(sheet, brick_slot(SLOT_CRACKS), x, y);
        }
    }
}

// The ball is hidden while it is lost below the field and on the title screen.
void draw_pieces(const Board* b, ResourceId sheet) {
    sprite(sheet, SPRITE_BAT, b->bat_x, BAT_Y);
    if (b->phase == PHASE_TITLE || b->phase == PHASE_LOST || b->phase == PHASE_OVER) return;
    sprite(sheet, SPRITE_BALL, b->ball.x / SUB, b->ball.y / SUB);
}

//------------------------------------------------------------------------------------------
// Score bar
//------------------------------------------------------------------------------------------
void draw_score_bar(const Board* b, ResourceId sheet) {
    colour({4, 5, 14, 255});
    fill(0, 0, FIELD_W, BAR_H);
    char line[48];
    snprintf(line, sizeof line, "SCORE %06d", b->score);
    colour(WHITE);
    text_at(line, 12, 8, 2);
    snprintf(line, sizeof line, "BEST %06d", b->best);
    centred(line, 8, 2, GOLD);
    if (b->phase == PHASE_TITLE) return;
    snprintf(line, sizeof line, "L%d", b->level);
    colour(CYAN);
    text_at(line, FIELD_W - 40, 8, 2);
    for (int32_t i = 0; i < b->lives; ++i) {
        sprite(sheet, SPRITE_LIFE, FIELD_W - 60 - 16 * i, 10);
    }
}

//------------------------------------------------------------------------------------------
// Words
//------------------------------------------------------------------------------------------
void plate(int32_t y, int32_t h) {
    colour(PLATE);
    fill(WALL_LEFT, y, WALL_RIGHT - WALL_LEFT, h);
}

void draw_title(void) {
    plate(150, 245);
    centred("PLINKWALL", 170, 7, CYAN);
    centred("BREAK THE WALL, KEEP THE BALL", 250, 2, WHITE);
    centred("STEER: MOUSE, TOUCH, ARROWS, A/D OR D-PAD", 285, 2, WHITE);
    centred("LAUNCH: SPACE, CLICK, TAP OR PAD A", 305, 2, WHITE);
    centred("ESC: BACK TO THE TITLE, OR QUIT FROM HERE", 325, 2, WHITE);
    centred("PRESS SPACE OR CLICK TO PLAY", 360, 2, GOLD);
}

void draw_over(const Board* b) {
    char line[48];
    plate(170, 170);
    centred("GAME OVER", 190, 5, {255, 90, 110, 255});
    snprintf(line, sizeof line, "SCORE %d", b->score);
    centred(line, 250, 3, WHITE);
    if (b->score > 0 && b->score == b->best) centred("NEW BEST!", 282, 2, GOLD);
    if (b->timer > OVER_WAIT) centred("SPACE OR CLICK: PLAY AGAIN   ESC: TITLE", 310, 2, CYAN);
}

void draw_words(const Board* b) {
    char line[48];
    switch (b->phase) {
    case PHASE_TITLE: draw_title(); break;
    case PHASE_SERVE: centred("SPACE OR CLICK TO LAUNCH", 380, 2, GOLD); break;
    case PHASE_LOST: centred("BALL LOST", 300, 4, {255, 90, 110, 255}); break;
    case PHASE_CLEARED:
        snprintf(line, sizeof line, "WALL DOWN! LEVEL %d NEXT", b->level + 1);
        centred(line, 300, 3, GOLD);
        break;
    case PHASE_OVER: draw_over(b); break;
    default: break;
    }
}

}  // namespace

//------------------------------------------------------------------------------------------
// Picture
//------------------------------------------------------------------------------------------
void game_draw(const Game* g) {
    draw_walls(g->sheet);
    draw_bricks(&g->board, g->sheet);
    draw_pieces(&g->board, g->sheet);
    draw_score_bar(&g->board, g->sheet);
    draw_words(&g->board);
}
