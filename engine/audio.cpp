// Music and sounds through SDL2_mixer. One music stream at a time, opened by path and
// restarted from its beginning on every request; sounds are registry entries played on the
// first free mixing channel. The audio device itself belongs to start-up and shutdown.
// Muting silences the mixed output; resting while the window is hidden pauses what plays.
//
// Index: Music / Sounds / Mute / Pause while hidden
#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine_state.hpp"
#include "log.hpp"
#include "resources_internal.hpp"

//------------------------------------------------------------------------------------------
// Music
//------------------------------------------------------------------------------------------
static Mix_Music* music;  // the current music, or null

Mix_Music* audio_music(void) { return music; }

// The music belongs to the audio device: shutdown frees it before the device closes, since a
// stream left open would outlive the device and leak at exit.
void audio_close_music(void) {
    if (music) Mix_FreeMusic(music);
    music = nullptr;
}

// Start-up clears the mixer mode when the device cannot be opened, and shutdown when it closes.
bool ORVEX_IsAudioOpen(void) { return orvex.config.mixer != 0; }

// Halts and frees the current music, if any.
static void drop_music(void) {
    if (Mix_PlayingMusic()) Mix_HaltMusic();
    audio_close_music();
}

int32_t ORVEX_PlayMusic(const char* path, int32_t loops) {
    if (orvex.config.mixer == 0) {
        orvex_report_line("mixer is disabled\n");
        return -1;
    }
    drop_music();
    // A music that loads but fails to start stays current and goes at the next request.
    music = path ? Mix_LoadMUS(path) : nullptr;
    if (!path) SDL_SetError("ORVEX_PlayMusic: path is NULL");
    if (!music || Mix_PlayMusic(music, loops) < 0) {
        orvex_report_sdl();
        return -1;
    }
    return 0;
}

void ORVEX_StopMusic(void) {
    if (orvex.config.mixer == 0) return;
    drop_music();
}

//------------------------------------------------------------------------------------------
// Sounds
//------------------------------------------------------------------------------------------
// 128 x volume truncated toward zero, saturated to the int range so that any float is safe;
// the mixer ignores a negative result and caps one above 128.
static int chunk_volume(float volume) {
    float v = 128.0f * volume;
    if (std::isnan(v)) return 0;
    if (v <= -2147483648.0f) return INT32_MIN;
    if (v >= 2147483647.0f) return INT32_MAX;
    return int(v);
}

int32_t ORVEX_PlaySound(const ORVEX_PlaySoundArgs* args) {
    if (!args) {
        orvex_report_line("ORVEX_PlaySound: args is NULL\n");
        return -1;
    }
    ResourceEntry* entry = registry_lookup_arg("ORVEX_PlaySound", args->id);
    if (!entry) return -1;
    if (entry->type != ORVEX_RESOURCE_SOUND) {
        orvex_report_line("%u isn't a sound\n", args->id);
        return -1;
    }
    Mix_VolumeChunk(entry->payload.sound.chunk, chunk_volume(args->volume));
    if (Mix_PlayChannel(-1, entry->payload.sound.chunk, args->loops) < 0) {
        orvex_report_sdl();
        return -1;
    }
    return 0;
}

//------------------------------------------------------------------------------------------
// Mute
//------------------------------------------------------------------------------------------
// The mixed output is silenced as the mixer's last step, after music and every channel, so
// music started while muted is silent too and the volumes a program set stay untouched:
// unmuting brings them back as they were. The flag is read on the audio thread.
static SDL_atomic_t muted;

// The device runs signed samples (start-up asks for 16-bit signed), whose silence is zero.
static void silence_when_muted(int, void* stream, int len, void*) {
    if (SDL_AtomicGet(&muted) && len > 0) memset(stream, 0, static_cast<size_t>(len));
}

void audio_watch_mute(void) {
    if (Mix_RegisterEffect(MIX_CHANNEL_POST, silence_when_muted, nullptr, nullptr) == 0)
        orvex_report_sdl();
}

void ORVEX_SetMuted(int32_t on) { SDL_AtomicSet(&muted, on ? 1 : 0); }

int32_t ORVEX_IsMuted(void) { return SDL_AtomicGet(&muted); }

//------------------------------------------------------------------------------------------
// Pause while hidden
//------------------------------------------------------------------------------------------
// What the engine paused itself, so that resuming leaves alone the channels and music a
// program had paused on its own.
static struct {
    std::vector<int> channels;
    bool music;
} rested;

void audio_rest(void) {
    if (orvex.config.mixer == 0) return;
    const int count = Mix_AllocateChannels(-1);
    for (int i = 0; i < count; ++i) {
        if (!Mix_Playing(i) || Mix_Paused(i)) continue;
        Mix_Pause(i);
        rested.channels.push_back(i);
    }
    rested.music = Mix_PlayingMusic() && !Mix_PausedMusic();
    if (rested.music) Mix_PauseMusic();
}

void audio_wake(void) {
    if (orvex.config.mixer != 0) {
        for (int channel : rested.channels) Mix_Resume(channel);
        if (rested.music) Mix_ResumeMusic();
    }
    rested.channels.clear();
    rested.music = false;
}
