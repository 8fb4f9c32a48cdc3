// Private to the engine and px: the one built-in font both layers draw text with, how a
// UTF-8 text is read into glyphs and laid out in monospace cells, and the cut of each glyph
// to the part of a target that can show it. ORVEX_DrawText and px_text differ only in how
// they fill the rectangles font_draw hands them. Programs go through orvex.hpp and px.hpp.
//
// Index: Limits / Glyphs / Reading UTF-8 / Layout
#pragma once

#include <cstdint>

//------------------------------------------------------------------------------------------
// Limits
//------------------------------------------------------------------------------------------
// A glyph's lit pixels lie in its top-left GLYPH_W x GLYPH_H pixels: capitals and digits in
// rows 0..6, descenders in row 7. The rest of the cell is the space to the next glyph and
// the next line.
constexpr int32_t FONT_GLYPH_W = 5;
constexpr int32_t FONT_GLYPH_H = 8;
constexpr int32_t FONT_CELL_W = 6;
constexpr int32_t FONT_CELL_H = 9;
constexpr int32_t FONT_GLYPHS = 96;      // printable ASCII 32..126, then the box
constexpr int32_t FONT_BOX = 95;         // what every other code point and bad byte draws as
constexpr uint32_t FONT_BAD = 0x110000;  // font_decode's answer for a byte that starts no
                                         // valid sequence: above every code point

//------------------------------------------------------------------------------------------
// Glyphs
//------------------------------------------------------------------------------------------
// The glyph for a code point: its GLYPH_H rows, bit 4 the leftmost column of each.
int32_t font_glyph_of(uint32_t code);  // 0..FONT_GLYPHS-1; FONT_BOX for anything unprintable
const uint8_t* font_glyph_rows(int32_t glyph);

//------------------------------------------------------------------------------------------
// Reading UTF-8
//------------------------------------------------------------------------------------------
// The code point at *p, moving *p past it. A byte that starts no well-formed sequence
// (overlong forms, surrogates, above U+10FFFF, a cut sequence, a stray continuation) gives
// FONT_BAD and moves one byte, so each bad byte becomes one box. At the terminating zero it
// answers 0 and stays: no byte after the terminator is ever read.
uint32_t font_decode(const char** p);

//------------------------------------------------------------------------------------------
// Layout
//------------------------------------------------------------------------------------------
// The box a text covers at `scale` (below 1 counts as 1): the cells of its longest line and
// of all its lines ('\n' starts one), less the spacing after the last column and the last
// line; sides saturate at INT32_MAX. A null or empty text measures 0 x 0, a text without any
// glyph (only newlines) 0 wide. Null pointers are skipped.
void font_measure(const char* text, int32_t scale, int32_t* w, int32_t* h);

// A rectangle of target pixels, bounds included.
struct FontArea {
    int64_t x0, y0, x1, y1;
};

// Hands `fill` every lit part of `text` drawn with its first cell's top-left at (x, y), each
// glyph pixel `scale` x `scale` target pixels, already cut to `area`. Lines and glyphs that
// cannot reach the area are passed over without looking at their pixels, and the text is
// read no further once the lines go below it, so the cost follows what lands in the area.
using FontFill = void (*)(void* user, const FontArea& part);
void font_draw(const char* text, int64_t x, int64_t y, int32_t scale, const FontArea& area,
               FontFill fill, void* user);
