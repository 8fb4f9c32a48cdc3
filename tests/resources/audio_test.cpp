// Music and sounds on SDL's dummy audio driver: the messages of every refusal, restarts from
// the beginning, silence after a missing file, and the per-sound volume.
//
// Index: Audio off / Music / Sounds
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include "engine_state.hpp"
#include "support.hpp"

using namespace support;

namespace {

class AudioOff : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.started); }
    Engine engine{headless_config(64, 64)};
};

class AudioOn : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.started);
        ASSERT_NE(orvex.config.mixer, 0) << "the dummy audio device did not open";
    }
    TempDir dir;  // outlives the engine: Windows deletes no file a music stream holds open
    Engine engine{headless_config(64, 64, 1)};
};

ORVEX_PlaySoundArgs sound(ResourceId id, float volume) {
    ORVEX_PlaySoundArgs args{};
    args.id = id;
    args.volume = volume;
    return args;
}

// Waits (bounded) until the current music has played past `seconds`.
bool played_past(double seconds) {
    for (int i = 0; i < 500; ++i) {
        if (Mix_GetMusicPosition(audio_music()) >= seconds) return true;
        SDL_Delay(10);
    }
    return false;
}

}  // namespace

//------------------------------------------------------------------------------------------
// Audio off
//------------------------------------------------------------------------------------------
TEST_F(AudioOff, MusicIsRefusedAndStoppingIsSilent) {
    std::string err = stderr_of([] { EXPECT_EQ(ORVEX_PlayMusic("res/ost.wav", 1), -1); });
    EXPECT_EQ(err, "mixer is disabled\n");
    EXPECT_EQ(stderr_of(ORVEX_StopMusic), "");
    EXPECT_EQ(audio_music(), nullptr);
}

//------------------------------------------------------------------------------------------
// Music
//------------------------------------------------------------------------------------------
TEST_F(AudioOn, PlayingTheSameMusicAgainRestartsItFromTheBeginning) {
    const std::string path = dir / "theme.wav";
    write_file(path, wav({.frames = 48000 * 4}));
    ASSERT_EQ(ORVEX_PlayMusic(path.c_str(), 0), 0);
    ASSERT_TRUE(played_past(0.5));
    ASSERT_EQ(ORVEX_PlayMusic(path.c_str(), 0), 0);
    EXPECT_LT(Mix_GetMusicPosition(audio_music()), 0.5);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(AudioOn, AMissingFileHaltsWhatPlayedAndFails) {
    const std::string path = dir / "theme.wav";
    write_file(path, wav({.frames = 48000}));
    ASSERT_EQ(ORVEX_PlayMusic(path.c_str(), -1), 0);
    const std::string missing = dir / "missing.wav";
    std::string err = stderr_of([&] { EXPECT_EQ(ORVEX_PlayMusic(missing.c_str(), 1), -1); });
    EXPECT_NE(err.find(std::string(SDL_GetError()) + "\n"), std::string::npos) << err;
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(audio_music(), nullptr);
}

TEST_F(AudioOn, StoppingFreesTheMusicAndIsSilentWhenThereIsNone) {
    const std::string path = dir / "theme.wav";
    write_file(path, wav({.frames = 48000}));
    ASSERT_EQ(ORVEX_PlayMusic(path.c_str(), 0), 0);
    ORVEX_StopMusic();
    EXPECT_EQ(audio_music(), nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(stderr_of(ORVEX_StopMusic), "");
}

//------------------------------------------------------------------------------------------
// Sounds
//------------------------------------------------------------------------------------------
TEST_F(AudioOn, TheVolumeStaysWithTheSound) {
    const std::string path = dir / "blip.wav";
    write_file(path, wav({.frames = 4800}));
    ResourceId id = ORVEX_LoadResource(path.c_str());
    ASSERT_NE(id, 0u);
    Mix_Chunk* chunk = ORVEX_GetResourceData(id)->sound.chunk;
    const std::pair<float, int> cases[] = {{0.5f, 64}, {1.0f, 128}, {0.999f, 127}, {0.0f, 0}};
    for (auto [volume, expected] : cases) {
        ORVEX_PlaySoundArgs args = sound(id, volume);
        EXPECT_EQ(ORVEX_PlaySound(&args), 0);
        EXPECT_EQ(Mix_VolumeChunk(chunk, -1), expected) << volume;
    }
    const ORVEX_PlaySoundArgs only_id = {.id = id};  // after an explicit 0: the default is full
    EXPECT_EQ(ORVEX_PlaySound(&only_id), 0);
    EXPECT_EQ(Mix_VolumeChunk(chunk, -1), 128);
    ORVEX_PlaySoundArgs wild = sound(id, std::numeric_limits<float>::infinity());
    EXPECT_EQ(ORVEX_PlaySound(&wild), 0);
    EXPECT_EQ(Mix_VolumeChunk(chunk, -1), 128);  // the mixer caps it
}

TEST_F(AudioOn, EveryRefusalNamesItsCause) {
    ResourceId image = ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, solid_bmp(2, 2).data(),
                                                    uint32_t(solid_bmp(2, 2).size()));
    ASSERT_EQ(image, 1u);
    const std::pair<ResourceId, std::string> cases[] = {
        {0, "args->id is 0\n"},
        {1, "1 isn't a sound\n"},
        {2, "ORVEX_PlaySound: no resource with id 2\n"},
    };
    for (const auto& [id, message] : cases) {
        ORVEX_PlaySoundArgs args = sound(id, 1.0f);
        std::string err = stderr_of([&] { EXPECT_EQ(ORVEX_PlaySound(&args), -1); });
        EXPECT_EQ(err, message);
    }
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(ORVEX_PlaySound(nullptr), -1); }),
              "ORVEX_PlaySound: args is NULL\n");
}

TEST_F(AudioOn, SoundsReloadInPlaceWhenTheirFileChanges) {
    const std::string path = dir / "blip.wav";
    write_file(path, wav({.frames = 4800}));
    ResourceId id = ORVEX_LoadResource(path.c_str());
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(set_mtime(path, 1700000000));
    ORVEX_HotReload();
    write_file(path, wav({.frames = 9600}));
    ASSERT_TRUE(set_mtime(path, 1700000001));
    ORVEX_HotReload();
    EXPECT_EQ(ORVEX_GetResourceData(id)->sound.chunk->alen, 9600u * 2 * 8);  // 8 device channels
}
