// The two music loops the game streams from res/ beside the program. The browser build ships
// them as Ogg Vorbis, a tenth of the size of the WAV files the desktop plays, because a page
// downloads every byte before the game can start.
#pragma once

#include <cstdint>

#ifdef __EMSCRIPTEN__
#define QUILLOW_MUSIC_FILE(name) "res/" name ".ogg"
#else
#define QUILLOW_MUSIC_FILE(name) "res/" name ".wav"
#endif

constexpr const char* THEME_MUSIC = QUILLOW_MUSIC_FILE("ost");  // the main theme
constexpr const char* RISE_MUSIC = QUILLOW_MUSIC_FILE("rise");  // while "move" is held
constexpr int32_t MUSIC_LOOPS = 2147483647;                     // for the life of the program
