// The resource registry against real files in a scratch directory: ids, de-duplication,
// types by extension, payloads, growth, release, refused input, and the change scan driven
// by file times set explicitly.
//
// Index: Ids and de-duplication / Types and payloads / Refused input / Change scan
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "engine_state.hpp"
#include "resources_internal.hpp"
#include "support.hpp"

using namespace support;

namespace {

class Registry : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.started); }
    Engine engine{headless_config(64, 64)};
    TempDir dir;

    // Registers a file with these contents, first written at `path`.
    ResourceId load(const std::string& path, const Bytes& bytes) {
        write_file(path, bytes);
        return ORVEX_LoadResource(path.c_str());
    }
};

Bytes raw_of(ResourceId id) {
    const ResourcePayload* p = ORVEX_GetResourceData(id);
    return Bytes(p->raw.data, p->raw.data + p->raw.size);
}

}  // namespace

//------------------------------------------------------------------------------------------
// Ids and de-duplication
//------------------------------------------------------------------------------------------
TEST_F(Registry, IdsRunInOrderOfSuccessAndFailuresConsumeNone) {
    const Bytes junk = text("not a picture");
    EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, junk.data(), 4), 1u);
    EXPECT_EQ(ORVEX_LoadResource((dir / "missing.bin").c_str()), 0u);
    EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, junk.data(), 13), 0u);
    std::string err = stderr_of(
        [&] { EXPECT_EQ(ORVEX_LoadResourceFromMemory(ResourceType(7), junk.data(), 13), 0u); });
    EXPECT_EQ(err, "invalid type\n");
    EXPECT_EQ(load(dir / "b.bin", junk), 2u);
    EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, junk.data(), 2), 3u);
    EXPECT_EQ(registry_table().count, 3u);
}

TEST_F(Registry, TheSameTypeAndExactPathGiveTheSameIdWithoutReadingAgain) {
    const std::string path = dir / "A.BMP";
    ResourceId id = load(path, solid_bmp(4, 4));
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(std::filesystem::remove(path));  // a second read would now fail
    EXPECT_EQ(ORVEX_LoadResource(path.c_str()), id);
    EXPECT_EQ(ORVEX_LoadResourceTyped(ORVEX_RESOURCE_IMAGE, path.c_str()), id);

    ResourceId lower = load(dir / "a.bmp", solid_bmp(2, 2));
    EXPECT_NE(lower, id);
    EXPECT_EQ(ORVEX_GetResourceType(lower), ORVEX_RESOURCE_IMAGE);

    write_file(path, solid_bmp(4, 4));
    ResourceId as_raw = ORVEX_LoadResourceTyped(ORVEX_RESOURCE_RAW, path.c_str());
    EXPECT_NE(as_raw, id);
    EXPECT_NE(as_raw, lower);
    EXPECT_EQ(ORVEX_GetResourceType(as_raw), ORVEX_RESOURCE_RAW);
    EXPECT_EQ(registry_table().count, 3u);
}

TEST_F(Registry, MemoryBlocksAreNeverDeDuplicated) {
    const Bytes b = text("same");
    EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, b.data(), 4), 1u);
    EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, b.data(), 4), 2u);
    EXPECT_EQ(ORVEX_GetResourcePath(1), nullptr);
}

//------------------------------------------------------------------------------------------
// Types and payloads
//------------------------------------------------------------------------------------------
TEST_F(Registry, TheTypeComesFromTheLastDotCaseInsensitively) {
    ASSERT_TRUE(std::filesystem::create_directory(dir / "dir.d"));
    const Bytes b = text("bytes");
    EXPECT_EQ(ORVEX_GetResourceType(load(dir / "data.bin", b)), ORVEX_RESOURCE_RAW);
    EXPECT_EQ(ORVEX_GetResourceType(load(dir / "noext", b)), ORVEX_RESOURCE_RAW);
    EXPECT_EQ(ORVEX_GetResourceType(load(dir / "dir.d/file", b)), ORVEX_RESOURCE_RAW);
    EXPECT_EQ(ORVEX_GetResourceType(load(dir / "sprite.PNG", solid_bmp(3, 5))),
              ORVEX_RESOURCE_IMAGE);
    EXPECT_EQ(ORVEX_GetResourceType(load(dir / "s.Jpg", solid_bmp(3, 5))), ORVEX_RESOURCE_IMAGE);
    EXPECT_EQ(ORVEX_GetResourceType(load(dir / "s.qoi", solid_bmp(3, 5))), ORVEX_RESOURCE_IMAGE);
    EXPECT_EQ(ORVEX_GetResourceType(load(dir / "s.bmp.bak", b)), ORVEX_RESOURCE_RAW);
    // A sound by name, refused here because this engine runs without audio.
    std::string err =
        stderr_of([&] { EXPECT_EQ(load(dir / "clip.WaV", wav({.frames = 480})), 0u); });
    EXPECT_NE(err.find("audio mixer disabled, skip loading"), std::string::npos) << err;
}

TEST_F(Registry, RawEntriesOwnACopyOfTheBytesEvenWhenEmpty) {
    Bytes b = text("hello registry");
    ResourceId id = ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, b.data(), uint32_t(b.size()));
    b[0] = 'j';  // the caller's block is its own
    EXPECT_EQ(raw_of(id), text("hello registry"));

    ResourceId empty_file = load(dir / "empty.bin", {});
    ASSERT_NE(empty_file, 0u);
    EXPECT_EQ(ORVEX_GetResourceData(empty_file)->raw.size, 0);
    ResourceId empty_block = ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, nullptr, 0);
    ASSERT_NE(empty_block, 0u);
    EXPECT_EQ(ORVEX_GetResourceData(empty_block)->raw.size, 0);
    EXPECT_STREQ(ORVEX_GetResourcePath(empty_file), (dir / "empty.bin").c_str());
}

TEST_F(Registry, BmpImagesReportTheirSize) {
    ResourceId id = load(dir / "wide.bmp", solid_bmp(37, 11));
    ASSERT_NE(id, 0u);
    EXPECT_EQ(ORVEX_GetImageWidth(id), 37);
    EXPECT_EQ(ORVEX_GetImageHeight(id), 11);
    EXPECT_NE(ORVEX_GetResourceData(id)->image.texture, nullptr);
}

TEST_F(Registry, ImageExtensionsWithOtherDataFailWithTheDecodersMessage) {
    const Bytes png_like = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    std::string err = stderr_of([&] { EXPECT_EQ(load(dir / "sprite.PNG", png_like), 0u); });
    std::string decoder = SDL_GetError();
    ASSERT_FALSE(decoder.empty());
    EXPECT_NE(err.find(decoder + "\n"), std::string::npos) << err;
    EXPECT_EQ(registry_table().count, 0u);
}

TEST_F(Registry, TheTableGrowsWithoutDisturbingEarlierEntries) {
    for (uint32_t i = 0; i < 300; ++i) {
        ASSERT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, &i, sizeof i), i + 1);
    }
    for (uint32_t i = 0; i < 300; ++i) {
        uint32_t v;
        memcpy(&v, ORVEX_GetResourceData(i + 1)->raw.data, sizeof v);
        ASSERT_EQ(v, i);
    }
    // Power-of-two byte sizes: the table holds what it counts and wastes under half.
    uint64_t bytes = registry_table().capacity * sizeof(ResourceEntry);
    EXPECT_GE(registry_table().capacity, 300u);
    EXPECT_LT(bytes, 2 * 300 * sizeof(ResourceEntry) + sizeof(ResourceEntry));
}

TEST_F(Registry, ManyFilesEachKeepTheirOwnIdThroughGrowthAndRelease) {
    // Enough files, between memory entries, to grow the table and the path lookup many times.
    std::vector<ResourceId> ids;
    for (uint32_t i = 0; i < 700; ++i) {
        ids.push_back(load(dir / ("f" + std::to_string(i) + ".bin"), text("x")));
        ASSERT_NE(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, &i, sizeof i), 0u);
    }
    for (uint32_t i = 0; i < 700; ++i) {
        const std::string path = dir / ("f" + std::to_string(i) + ".bin");
        ASSERT_EQ(ORVEX_LoadResource(path.c_str()), ids[i]) << path;
    }
    const std::string first = dir / "f0.bin";
    ResourceId as_image = ORVEX_LoadResourceTyped(ORVEX_RESOURCE_IMAGE, first.c_str());
    EXPECT_EQ(as_image, 0u);  // another type is a new entry: here a failed decode
    EXPECT_EQ(registry_table().count, 1400u);

    release_resources();
    EXPECT_EQ(load(first, text("y")), 1u);  // nothing of the old entries is found again
    EXPECT_EQ(ORVEX_LoadResource(first.c_str()), 1u);
}

TEST_F(Registry, ReleaseEmptiesTheTableAndIdsStartAgainAtOne) {
    load(dir / "a.bmp", solid_bmp(2, 2));
    load(dir / "b.bin", text("b"));
    release_resources();
    EXPECT_EQ(registry_table().table, nullptr);
    EXPECT_EQ(registry_table().count, 0u);
    EXPECT_EQ(registry_table().capacity, 0u);
    EXPECT_EQ(ORVEX_LoadResource((dir / "b.bin").c_str()), 1u);
    release_resources();
    release_resources();  // a second release finds nothing to free
}

//------------------------------------------------------------------------------------------
// Refused input
//------------------------------------------------------------------------------------------
TEST_F(Registry, IdsOfZeroOrPastTheCountAreReportedNeverRead) {
    load(dir / "only.bin", text("x"));
    for (ResourceId bad : {0u, 2u, 0xFFFFFFFFu}) {
        std::string err = stderr_of([&] {
            EXPECT_EQ(ORVEX_GetResource(bad), nullptr);
            EXPECT_EQ(ORVEX_GetResourceType(bad), ORVEX_RESOURCE_INVALID);
            EXPECT_EQ(ORVEX_GetResourcePath(bad), nullptr);
            EXPECT_EQ(ORVEX_GetResourceData(bad), nullptr);
            EXPECT_EQ(ORVEX_GetImageWidth(bad), 0);
            EXPECT_EQ(ORVEX_GetImageHeight(bad), 0);
            EXPECT_EQ(ORVEX_ReloadResource(bad), -1);
        });
        EXPECT_NE(err.find("ORVEX_ReloadResource: no resource with id " + std::to_string(bad)),
                  std::string::npos)
            << err;
        EXPECT_NE(err.find("ORVEX_GetImageWidth: no resource"), std::string::npos);
    }
    std::string err = stderr_of([] { EXPECT_EQ(ORVEX_GetImageWidth(1), 0); });
    EXPECT_EQ(err, "ORVEX_GetImageWidth: 1 isn't an image\n");
}

TEST_F(Registry, BlocksAndFilesOf2GiBOrMoreAreRefusedNotTruncated) {
    uint8_t small[4] = {};
    std::string err = stderr_of([&] {
        EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, small, 0x80000000u), 0u);
    });
    EXPECT_EQ(err,
              "ORVEX_LoadResourceFromMemory: block of 2147483648 bytes is too large "
              "(2 GiB or more)\n");

    const std::string big = dir / "big.bin";  // sparse: takes no room on disk
    write_file(big, {});
    std::filesystem::resize_file(big, 0x80000000ULL);
    err = stderr_of([&] { EXPECT_EQ(ORVEX_LoadResource(big.c_str()), 0u); });
    EXPECT_EQ(err, big + ": file of 2147483648 bytes is too large (2 GiB or more)\n");
    EXPECT_EQ(registry_table().count, 0u);
}

TEST_F(Registry, MissingFilesAndNullArgumentsFailWithAMessage) {
    const std::string missing = dir / "gone.bin";
    std::string err = stderr_of([&] { EXPECT_EQ(ORVEX_LoadResource(missing.c_str()), 0u); });
    EXPECT_EQ(err, missing + ": No such file or directory\n");
    err = stderr_of([] { EXPECT_EQ(ORVEX_LoadResource(nullptr), 0u); });
    EXPECT_EQ(err, "ORVEX_LoadResource: path is NULL\n");
    err = stderr_of(
        [] { EXPECT_EQ(ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, nullptr, 8), 0u); });
    EXPECT_EQ(err, "ORVEX_LoadResourceFromMemory: bytes is NULL\n");
}

TEST_F(Registry, ReloadingAMemoryEntryNamesIt) {
    const Bytes b = text("m");
    ResourceId id = ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_RAW, b.data(), 1);
    std::string err = stderr_of([&] { EXPECT_EQ(ORVEX_ReloadResource(id), -1); });
    EXPECT_EQ(err, "resource path of 1 is NULL\n");
}

//------------------------------------------------------------------------------------------
// Change scan
//------------------------------------------------------------------------------------------
TEST_F(Registry, AScanOfAnUnchangedFileReloadsNothing) {
    const std::string path = dir / "notes.txt";
    write_file(path, text("first"));
    ASSERT_TRUE(set_mtime(path, 1700000000, 5));
    ResourceId id = ORVEX_LoadResource(path.c_str());
    const uint8_t* data = ORVEX_GetResourceData(id)->raw.data;
    ORVEX_HotReload();
    EXPECT_EQ(ORVEX_GetResourceData(id)->raw.data, data);
    EXPECT_EQ(ORVEX_GetResource(id)->mtime, 1700000000);
}

TEST_F(Registry, AChangeReloadsInPlaceUnderTheSameId) {
    const std::string path = dir / "notes.txt";
    ResourceId id = load(path, text("first"));
    ASSERT_TRUE(set_mtime(path, 1700000000));
    ORVEX_HotReload();
    write_file(path, text("second version"));
    ASSERT_TRUE(set_mtime(path, 1700000060));
    ORVEX_Cycle();  // every engine turn runs the scan
    EXPECT_EQ(raw_of(id), text("second version"));
    EXPECT_STREQ(ORVEX_GetResourcePath(id), path.c_str());
    EXPECT_EQ(registry_table().count, 1u);
    EXPECT_EQ(ORVEX_ReloadResource(id), 0);  // also on request
}

TEST_F(Registry, TwoSavesWithinOneSecondAreBothSeen) {
    const std::string path = dir / "level.txt";
    ResourceId id = load(path, text("v1"));
    ASSERT_TRUE(set_mtime(path, 1700000000, 100));
    ORVEX_HotReload();
    write_file(path, text("v2"));
    ASSERT_TRUE(set_mtime(path, 1700000000, 900));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("v2"));
    EXPECT_EQ(ORVEX_GetResource(id)->mtime, 1700000000);

    // Same time to the nanosecond, other size: still a change.
    write_file(path, text("v3 is longer"));
    ASSERT_TRUE(set_mtime(path, 1700000000, 900));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("v3 is longer"));
}

TEST_F(Registry, TimesPast2038AreKeptWhole) {
    const std::string path = dir / "future.txt";
    ResourceId id = load(path, text("a"));
    ASSERT_TRUE(set_mtime(path, 4102444800));  // 2100-01-01
    ORVEX_HotReload();
    EXPECT_EQ(ORVEX_GetResource(id)->mtime, 4102444800);
    write_file(path, text("b"));
    ASSERT_TRUE(set_mtime(path, 4102444801));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("b"));
}

TEST_F(Registry, AFailedDecodeKeepsTheOldImageUntilTheNextChange) {
    const std::string path = dir / "hero.bmp";
    ResourceId id = load(path, solid_bmp(8, 4));
    ASSERT_TRUE(set_mtime(path, 1700000000));
    ORVEX_HotReload();
    SDL_Texture* before = ORVEX_GetResourceData(id)->image.texture;

    write_file(path, text("half-written"));
    ASSERT_TRUE(set_mtime(path, 1700000001));
    std::string err = stderr_of(ORVEX_HotReload);
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(ORVEX_GetResourceData(id)->image.texture, before);
    EXPECT_EQ(ORVEX_GetImageWidth(id), 8);
    EXPECT_EQ(stderr_of(ORVEX_HotReload), "");  // not retried while the file stays the same

    write_file(path, solid_bmp(16, 2));
    ASSERT_TRUE(set_mtime(path, 1700000002));
    ORVEX_HotReload();
    EXPECT_EQ(ORVEX_GetImageWidth(id), 16);
    EXPECT_EQ(ORVEX_GetImageHeight(id), 2);
}

TEST_F(Registry, ADeletedFileIsReportedAndReloadedWhenItReturns) {
    const std::string path = dir / "temp.txt";
    ResourceId id = load(path, text("kept"));
    ASSERT_TRUE(set_mtime(path, 1700000000));
    ORVEX_HotReload();
    ASSERT_TRUE(std::filesystem::remove(path));
    std::string err = stderr_of(ORVEX_HotReload);
    EXPECT_EQ(err, path + ": No such file or directory\n");
    EXPECT_EQ(ORVEX_GetResource(id)->mtime, 0);
    EXPECT_EQ(raw_of(id), text("kept"));

    write_file(path, text("back"));
    ASSERT_TRUE(set_mtime(path, 1700000100));
    EXPECT_EQ(stderr_of(ORVEX_HotReload), "");
    EXPECT_EQ(raw_of(id), text("back"));
    write_file(path, text("edited"));
    ASSERT_TRUE(set_mtime(path, 1700000200));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("edited"));
}
