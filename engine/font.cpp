// The built-in font and its text layout: one 5 x 8 glyph for each printable ASCII character
// and a box for everything else, drawn for this engine and written below as a sheet that is
// read into bit rows while compiling (a malformed sheet stops the build). Text is read as
// UTF-8 one code point at a time and laid out in monospace cells; font_draw cuts each glyph
// to the target area row band by row band, so nothing outside the area is ever visited.
//
// Index: Glyph sheet / Reading the sheet / Glyphs / Reading UTF-8 / Measuring / Drawing
#include "font.hpp"

#include <cstring>
#include <string_view>

//------------------------------------------------------------------------------------------
// Glyph sheet
//------------------------------------------------------------------------------------------
// Bands of eight glyphs, each band a line of labels (the character each glyph draws, above
// its first column) and then the glyph's eight rows: '#' lit, '.' not, one space between
// glyphs. Rows 0..6 hold capitals and digits, row 7 descenders. The glyph after '~', with
// no label, is the box. To change a glyph, edit its rows; the build checks the rest.
constexpr std::string_view FONT_SHEET = R"sheet(
      !     "     #     $     %     &     '
..... ..#.. .#.#. .#.#. ..#.. ##... .##.. ..#..
..... ..#.. .#.#. .#.#. .#### ##..# #..#. ..#..
..... ..#.. .#.#. ##### #.#.. ...#. #.#.. .#...
..... ..#.. ..... .#.#. .###. ..#.. .#... .....
..... ..#.. ..... ##### ..#.# .#... #.#.# .....
..... ..... ..... .#.#. ####. #..## #..#. .....
..... ..#.. ..... .#.#. ..#.. ...## .##.# .....
..... ..... ..... ..... ..... ..... ..... .....

(     )     *     +     ,     -     .     /
...#. .#... ..... ..... ..... ..... ..... .....
..#.. ..#.. ..#.. ..#.. ..... ..... ..... ....#
.#... ...#. #.#.# ..#.. ..... ..... ..... ...#.
.#... ...#. .###. ##### ..... ##### ..... ..#..
.#... ...#. #.#.# ..#.. ..... ..... ..... .#...
..#.. ..#.. ..#.. ..#.. .##.. ..... .##.. #....
...#. .#... ..... ..... ..#.. ..... .##.. .....
..... ..... ..... ..... .#... ..... ..... .....

0     1     2     3     4     5     6     7
.###. ..#.. .###. ##### ...#. ##### ..##. #####
#...# .##.. #...# ...#. ..##. #.... .#... ....#
#..## ..#.. ....# ..#.. .#.#. ####. #.... ...#.
#.#.# ..#.. ...#. ...#. #..#. ....# ####. ..#..
##..# ..#.. ..#.. ....# ##### ....# #...# .#...
#...# ..#.. .#... #...# ...#. #...# #...# .#...
.###. .###. ##### .###. ...#. .###. .###. .#...
..... ..... ..... ..... ..... ..... ..... .....

8     9     :     ;     <     =     >     ?
.###. .###. ..... ..... ...#. ..... .#... .###.
#...# #...# .##.. .##.. ..#.. ..... ..#.. #...#
#...# #...# .##.. .##.. .#... ##### ...#. ....#
.###. .#### ..... ..... #.... ..... ....# ...#.
#...# ....# .##.. .##.. .#... ##### ...#. ..#..
#...# ...#. .##.. .##.. ..#.. ..... ..#.. .....
.###. .##.. ..... ..#.. ...#. ..... .#... ..#..
..... ..... ..... .#... ..... ..... ..... .....

@     A     B     C     D     E     F     G
.###. .###. ####. .###. ###.. ##### ##### .###.
#...# #...# #...# #...# #..#. #.... #.... #...#
#.### #...# #...# #.... #...# #.... #.... #....
#.#.# ##### ####. #.... #...# ####. ####. #.###
#.### #...# #...# #.... #...# #.... #.... #...#
#.... #...# #...# #...# #..#. #.... #.... #...#
.#### #...# ####. .###. ###.. ##### #.... .####
..... ..... ..... ..... ..... ..... ..... .....

H     I     J     K     L     M     N     O
#...# .###. ..### #...# #.... #...# #...# .###.
#...# ..#.. ...#. #..#. #.... ##.## #...# #...#
#...# ..#.. ...#. #.#.. #.... #.#.# ##..# #...#
##### ..#.. ...#. ##... #.... #.#.# #.#.# #...#
#...# ..#.. ...#. #.#.. #.... #...# #..## #...#
#...# ..#.. #..#. #..#. #.... #...# #...# #...#
#...# .###. .##.. #...# ##### #...# #...# .###.
..... ..... ..... ..... ..... ..... ..... .....

P     Q     R     S     T     U     V     W
####. .###. ####. .#### ##### #...# #...# #...#
#...# #...# #...# #.... ..#.. #...# #...# #...#
#...# #...# #...# #.... ..#.. #...# #...# #...#
####. #...# ####. .###. ..#.. #...# #...# #.#.#
#.... #.#.# #.#.. ....# ..#.. #...# #...# #.#.#
#.... #..#. #..#. ....# ..#.. #...# .#.#. #.#.#
#.... .##.# #...# ####. ..#.. .###. ..#.. .#.#.
..... ..... ..... ..... ..... ..... ..... .....

X     Y     Z     [     \     ]     ^     _
#...# #...# ##### .###. ..... .###. ..#.. .....
#...# #...# ....# .#... #.... ...#. .#.#. .....
.#.#. .#.#. ...#. .#... .#... ...#. #...# .....
..#.. ..#.. ..#.. .#... ..#.. ...#. ..... .....
.#.#. ..#.. .#... .#... ...#. ...#. ..... .....
#...# ..#.. #.... .#... ....# ...#. ..... .....
#...# ..#.. ##### .###. ..... .###. ..... .....
..... ..... ..... ..... ..... ..... ..... #####

`     a     b     c     d     e     f     g
.#... ..... #.... ..... ....# ..... ..##. .....
..#.. ..... #.... ..... ....# ..... .#..# .....
...#. .###. ####. .###. .#### .###. .#... .####
..... ....# #...# #.... #...# #...# ###.. #...#
..... .#### #...# #.... #...# ##### .#... #...#
..... #...# #...# #...# #...# #.... .#... .####
..... .#### ####. .###. .#### .###. .#... ....#
..... ..... ..... ..... ..... ..... ..... .###.

h     i     j     k     l     m     n     o
#.... ..#.. ...#. #.... .##.. ..... ..... .....
#.... ..... ..... #.... ..#.. ..... ..... .....
#.##. .##.. ..##. #..#. ..#.. ##.#. #.##. .###.
##..# ..#.. ...#. #.#.. ..#.. #.#.# ##..# #...#
#...# ..#.. ...#. ##... ..#.. #.#.# #...# #...#
#...# ..#.. ...#. #.#.. ..#.. #.#.# #...# #...#
#...# .###. #..#. #..#. .###. #.#.# #...# .###.
..... ..... .##.. ..... ..... ..... ..... .....

p     q     r     s     t     u     v     w
..... ..... ..... ..... .#... ..... ..... .....
..... ..... ..... ..... .#... ..... ..... .....
####. .#### #.##. .#### ###.. #...# #...# #...#
#...# #...# ##..# #.... .#... #...# #...# #...#
#...# #...# #.... .###. .#... #...# #...# #.#.#
####. .#### #.... ....# .#..# #..## .#.#. #.#.#
#.... ....# #.... ####. ..##. .##.# ..#.. .#.#.
#.... ....# ..... ..... ..... ..... ..... .....

x     y     z     {     |     }     ~
..... ..... ..... ...## ..#.. ##... ..... #####
..... ..... ..... ..#.. ..#.. ..#.. ..... #...#
#...# #...# ##### ..#.. ..#.. ..#.. .#... #...#
.#.#. #...# ...#. .#... ..#.. ...#. #.#.# #...#
..#.. #...# ..#.. ..#.. ..#.. ..#.. ...#. #...#
.#.#. .#### .#... ..#.. ..#.. ..#.. ..... #...#
#...# ....# ##### ...## ..#.. ##... ..... #####
..... .###. ..... ..... ..... ..... ..... .....
)sheet";

//------------------------------------------------------------------------------------------
// Reading the sheet
//------------------------------------------------------------------------------------------
struct FontTable {
    uint8_t rows[FONT_GLYPHS][FONT_GLYPH_H];
};

// Never defined: reading a malformed sheet calls it, which no constant expression may, so
// the build stops at the faulty glyph.
void font_sheet_is_malformed(void);

// The line at *pos, moving *pos past its newline.
constexpr std::string_view sheet_line(std::string_view sheet, size_t* pos) {
    const size_t newline = sheet.find('\n', *pos);
    const size_t end = newline == std::string_view::npos ? sheet.size() : newline;
    const std::string_view line = sheet.substr(*pos, end - *pos);
    *pos = end < sheet.size() ? end + 1 : end;
    return line;
}

// Glyph k's columns in one sheet row, as bits: the leftmost column is bit 4.
constexpr uint8_t sheet_row(std::string_view line, int32_t k) {
    uint8_t bits = 0;
    for (int32_t c = 0; c < FONT_GLYPH_W; c++) {
        const size_t at = size_t(k * FONT_CELL_W + c);
        const char pixel = at < line.size() ? line[at] : ' ';
        if (pixel != '#' && pixel != '.') font_sheet_is_malformed();
        bits = uint8_t(bits << 1 | (pixel == '#' ? 1 : 0));
    }
    return bits;
}

// Band after band until every glyph is read; each glyph's label must name its character.
consteval FontTable read_sheet(std::string_view sheet) {
    FontTable table{};
    size_t pos = 0;
    for (int32_t glyph = 0; glyph < FONT_GLYPHS;) {
        if (pos >= sheet.size()) font_sheet_is_malformed();
        const std::string_view labels = sheet_line(sheet, &pos);
        if (labels.empty()) continue;
        std::string_view rows[FONT_GLYPH_H];
        for (std::string_view& row : rows) row = sheet_line(sheet, &pos);
        const int32_t in_band = int32_t(rows[0].size() + 1) / FONT_CELL_W;
        for (int32_t k = 0; k < in_band && glyph < FONT_GLYPHS; k++, glyph++) {
            const size_t at = size_t(k * FONT_CELL_W);
            const char label = at < labels.size() ? labels[at] : ' ';
            if (glyph != FONT_BOX && label != char(' ' + glyph)) font_sheet_is_malformed();
            for (int32_t r = 0; r < FONT_GLYPH_H; r++) table.rows[glyph][r] = sheet_row(rows[r], k);
        }
    }
    return table;
}

constexpr FontTable FONT = read_sheet(FONT_SHEET);

//------------------------------------------------------------------------------------------
// Glyphs
//------------------------------------------------------------------------------------------
int32_t font_glyph_of(uint32_t code) {
    return code >= ' ' && code <= '~' ? int32_t(code - ' ') : FONT_BOX;
}

const uint8_t* font_glyph_rows(int32_t glyph) {
    return FONT.rows[glyph >= 0 && glyph < FONT_GLYPHS ? glyph : FONT_BOX];
}

//------------------------------------------------------------------------------------------
// Reading UTF-8
//------------------------------------------------------------------------------------------
// The well-formed sequences (Unicode's table 3-7): by lead byte, how many continuation bytes
// follow, and the range the first of them must lie in, which rules out overlong forms,
// surrogates and code points above U+10FFFF; later continuations are 80..BF.
struct LeadByte {
    uint8_t lo, hi;  // lead bytes this entry covers
    uint8_t follow;  // continuation bytes
    uint8_t first_lo, first_hi;
};

constexpr LeadByte LEAD_BYTES[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF}, {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F}, {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F},
};

static const LeadByte* lead_byte(uint32_t b) {
    for (const LeadByte& l : LEAD_BYTES) {
        if (b >= l.lo && b <= l.hi) return &l;
    }
    return nullptr;
}

// Each continuation byte is looked at only after the one before it passed, and the
// terminating zero passes none: the read stops there.
uint32_t font_decode(const char** p) {
    const auto* s = reinterpret_cast<const unsigned char*>(*p);
    if (s[0] == 0) return 0;
    const LeadByte* lead = s[0] < 0x80 ? nullptr : lead_byte(s[0]);
    if (s[0] < 0x80 || lead == nullptr) {
        *p += 1;
        return s[0] < 0x80 ? s[0] : FONT_BAD;
    }
    uint32_t code = s[0] & (0x7Fu >> (lead->follow + 1));
    for (uint32_t i = 1; i <= lead->follow; i++) {
        const uint32_t lo = i == 1 ? lead->first_lo : 0x80, hi = i == 1 ? lead->first_hi : 0xBF;
        if (s[i] < lo || s[i] > hi) {
            *p += 1;
            return FONT_BAD;
        }
        code = code << 6 | (s[i] & 0x3Fu);
    }
    *p += lead->follow + 1;
    return code;
}

//------------------------------------------------------------------------------------------
// Measuring
//------------------------------------------------------------------------------------------
// n cells of `cell` pixels without the spacing after the last one, times the scale,
// saturated: the sum over a long text may pass 32 bits.
static int32_t scaled_extent(int64_t n, int32_t cell, int32_t ink, int32_t scale) {
    if (n <= 0) return 0;
    const int64_t s = scale < 1 ? 1 : scale;
    const int64_t units = (n - 1) * cell + ink;
    return units > INT32_MAX / s ? INT32_MAX : int32_t(units * s);
}

void font_measure(const char* text, int32_t scale, int32_t* w, int32_t* h) {
    int64_t widest = 0, column = 0, lines = text && *text ? 1 : 0;
    for (const char* p = text; p && *p;) {
        if (*p == '\n') {
            p++;
            lines++;
            column = 0;
            continue;
        }
        font_decode(&p);
        column++;
        widest = column > widest ? column : widest;
    }
    if (w) *w = scaled_extent(widest, FONT_CELL_W, FONT_GLYPH_W, scale);
    if (h) *h = scaled_extent(lines, FONT_CELL_H, FONT_GLYPH_H, scale);
}

//------------------------------------------------------------------------------------------
// Drawing
//------------------------------------------------------------------------------------------
// All coordinates are 64-bit: a glyph's far edge at the largest position and scale is
// about 2^35, and the pens below never move further than one cell past the area.
static int64_t min64(int64_t a, int64_t b) { return a < b ? a : b; }
static int64_t max64(int64_t a, int64_t b) { return a > b ? a : b; }

static bool lit(uint8_t bits, int32_t column) {
    return (bits >> (FONT_GLYPH_W - 1 - column) & 1) != 0;
}

// The runs of lit columns of one glyph row, spanning target rows y0..y1 (already cut).
static void draw_runs(uint8_t bits, int64_t x, int64_t s, int64_t y0, int64_t y1,
                      const FontArea& area, FontFill fill, void* user) {
    for (int32_t c = 0; c < FONT_GLYPH_W;) {
        if (!lit(bits, c)) {
            c++;
            continue;
        }
        int32_t end = c + 1;
        while (end < FONT_GLYPH_W && lit(bits, end)) end++;
        const FontArea part = {max64(x + c * s, area.x0), y0, min64(x + end * s - 1, area.x1), y1};
        if (part.x0 <= part.x1) fill(user, part);
        c = end;
    }
}

// Equal neighbouring rows (a stem, a bar) are drawn as one band of rectangles.
static void draw_glyph(const uint8_t* rows, int64_t x, int64_t y, int64_t s, const FontArea& area,
                       FontFill fill, void* user) {
    for (int32_t r = 0; r < FONT_GLYPH_H;) {
        int32_t end = r + 1;
        while (end < FONT_GLYPH_H && rows[end] == rows[r]) end++;
        const int64_t y0 = max64(y + r * s, area.y0), y1 = min64(y + end * s - 1, area.y1);
        if (rows[r] != 0 && y0 <= y1) draw_runs(rows[r], x, s, y0, y1, area, fill, user);
        r = end;
    }
}

// The start of the line after the one *p is in, or null when there is none.
static const char* next_line(const char* p) {
    const char* newline = strchr(p, '\n');
    return newline ? newline + 1 : nullptr;
}

void font_draw(const char* text, int64_t x, int64_t y, int32_t scale, const FontArea& area,
               FontFill fill, void* user) {
    if (area.x0 > area.x1 || area.y0 > area.y1) return;
    const int64_t s = scale < 1 ? 1 : scale;
    int64_t pen_x = x, pen_y = y;
    for (const char* p = text; p && *p && pen_y <= area.y1;) {
        const bool line_misses = pen_y + FONT_GLYPH_H * s - 1 < area.y0 || pen_x > area.x1;
        if (line_misses || *p == '\n') {
            p = line_misses ? next_line(p) : p + 1;
            pen_x = x;
            pen_y += FONT_CELL_H * s;
            continue;
        }
        const int32_t glyph = font_glyph_of(font_decode(&p));
        if (pen_x + FONT_GLYPH_W * s - 1 >= area.x0) {
            draw_glyph(font_glyph_rows(glyph), pen_x, pen_y, s, area, fill, user);
        }
        pen_x += FONT_CELL_W * s;
    }
}
