// The library's version, and the layout of the argument records that programs build with
// designated initialisers: their defaults may change between versions, their sizes and field
// offsets do not, so a program built against an older header still passes what it meant.
//
// Index: Version / Record layouts
#include <cstddef>

#include <orvex/orvex.hpp>

//------------------------------------------------------------------------------------------
// Version
//------------------------------------------------------------------------------------------
// The macros' numbers as text, joined at compile time.
#define NUMBER_TEXT(x) #x
#define NUMBER(x) NUMBER_TEXT(x)
constexpr char VERSION[] =
    NUMBER(ORVEX_VERSION_MAJOR) "." NUMBER(ORVEX_VERSION_MINOR) "." NUMBER(ORVEX_VERSION_PATCH);

const char* ORVEX_GetVersion(void) { return VERSION; }

//------------------------------------------------------------------------------------------
// Record layouts
//------------------------------------------------------------------------------------------
static_assert(sizeof(ORVEX_PlaySoundArgs) == 16 && offsetof(ORVEX_PlaySoundArgs, volume) == 12);
static_assert(sizeof(ORVEX_DrawImageArgs) == 48 && offsetof(ORVEX_DrawImageArgs, w) == 24 &&
              offsetof(ORVEX_DrawImageArgs, h) == 28 &&
              offsetof(ORVEX_DrawImageArgs, scale_x) == 36 &&
              offsetof(ORVEX_DrawImageArgs, scale_y) == 40);
static_assert(sizeof(ORVEX_ColorArgs) == 20 && offsetof(ORVEX_ColorArgs, a) == 16);
