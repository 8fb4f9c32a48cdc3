// The operating system's side of the registry, the same on every platform: stamps with
// sub-second times, folder and file names outside ASCII (UTF-8 in, whatever the system's
// code page), the working directory, and the messages for paths that cannot be read.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

// The engine's files.hpp, by its path: the test support has a files.hpp of its own.
#include "../../engine/files.hpp"
#include "support.hpp"

using namespace support;

namespace {

class Files : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.started); }
    Engine engine;
    TempDir dir;
};

// Puts the working directory back after a test that changes it.
struct KeepWorkingDirectory {
    std::filesystem::path was = std::filesystem::current_path();
    ~KeepWorkingDirectory() { std::filesystem::current_path(was); }
};

Bytes raw_of(ResourceId id) {
    const ResourcePayload* p = ORVEX_GetResourceData(id);
    return Bytes(p->raw.data, p->raw.data + p->raw.size);
}

// A folder name in three scripts, none of it in an 8-bit code page as a whole.
const std::string kWideName = "Qu\xC3\xAFllow \xD0\xB8\xD0\xB3\xD1\x80\xD0\xB0 \xE9\x81\x8A";

}  // namespace

TEST_F(Files, StampsCarrySubSecondModificationTimesSizeAndIdentity) {
    const std::string path = dir / "a.bin";
    write_file(path, Bytes(300, 7));
    ASSERT_TRUE(set_mtime(path, 1700000000, 123456700));  // a multiple of Windows' 100 ns tick
    const OrvexFileStamp s = orvex_file_stamp(path.c_str());
    EXPECT_EQ(s.mtime_sec, 1700000000);
    EXPECT_EQ(s.mtime_nsec, 123456700);
    EXPECT_EQ(s.size, 300);
    EXPECT_NE(s.inode, 0u);

    // A tenth of a microsecond later is a change.
    ASSERT_TRUE(set_mtime(path, 1700000000, 123456800));
    EXPECT_NE(orvex_file_stamp(path.c_str()), s);
    EXPECT_EQ(orvex_file_stamp((dir / "missing.bin").c_str()), OrvexFileStamp{});
    EXPECT_EQ(orvex_file_stamp(""), OrvexFileStamp{});
}

TEST_F(Files, AFolderNamedOutsideAsciiIsReadWatchedAndEntered) {
    const std::string folder = dir / kWideName;
    ASSERT_TRUE(std::filesystem::create_directory(utf8_path(folder)));
    const std::string path = folder + "/data \xC3\xA9t\xC3\xA9.bin";
    write_file(path, {1, 2, 3});
    ASSERT_TRUE(set_mtime(path, 1700000000));
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    ASSERT_NE(id, 0u);
    EXPECT_EQ(raw_of(id), (Bytes{1, 2, 3}));

    write_file(path, {4, 5});
    ASSERT_TRUE(set_mtime(path, 1700000001));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), (Bytes{4, 5}));

    KeepWorkingDirectory keep;
    ASSERT_EQ(orvex_enter_directory(folder.c_str()), 0);
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), utf8_path(folder)));
    EXPECT_NE(ORVEX_LoadResource("data \xC3\xA9t\xC3\xA9.bin"), 0u);  // relative to it
}

// Recordings and captures are written through the same paths.
TEST_F(Files, FilesTheEngineWritesTakeFolderNamesOutsideAscii) {
    const std::string folder = dir / kWideName;
    ASSERT_TRUE(std::filesystem::create_directory(utf8_path(folder)));
    const std::string rec = folder + "/play \xC3\xA9.rec";
    ASSERT_EQ(ORVEX_RecordInput(rec.c_str()), 0);
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_StopRecording(), 0);
    EXPECT_FALSE(read_file(rec).empty());
    EXPECT_EQ(ORVEX_ReplayInput(rec.c_str()), 0);  // read back whole and checked
    for (int32_t turn = 0; turn < 4 && ORVEX_IsReplaying(); ++turn) ORVEX_Cycle();

    const std::string gif = folder + "/clip \xC3\xA9.gif";
    testing::internal::CaptureStdout();
    ASSERT_EQ(ORVEX_StartGifCapture(gif.c_str()), 0);
    ASSERT_EQ(ORVEX_DrawBegin(), 0);
    ASSERT_EQ(ORVEX_DrawEnd(), 0);
    EXPECT_EQ(ORVEX_StopGifCapture(), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("GIF saved: " + gif), std::string::npos);
    const Bytes written = read_file(gif);
    EXPECT_EQ(std::string(written.begin(), written.begin() + std::min<size_t>(6, written.size())),
              "GIF89a");
}

TEST_F(Files, PathsThatCannotBeReadSayWhy) {
    OrvexFileBlock block;
    const std::string missing = dir / "missing.bin";
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(orvex_file_read(missing.c_str(), "op", &block), -1); }),
              missing + ": No such file or directory\n");
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(orvex_file_read("", "op", &block), -1); }),
              "op: \"\": No such file or directory\n");
    const std::string folder = dir / "folder.bin";
    ASSERT_TRUE(std::filesystem::create_directory(utf8_path(folder)));
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(orvex_file_read(folder.c_str(), "op", &block), -1); }),
              folder + ": is a directory\n");
    EXPECT_EQ(block.bytes, nullptr);  // untouched by every failure

    KeepWorkingDirectory keep;
    errno = 0;
    EXPECT_EQ(orvex_enter_directory(missing.c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), keep.was));
}
