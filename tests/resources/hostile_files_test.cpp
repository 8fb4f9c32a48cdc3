// The registry given hostile paths and files: things that are not regular files, reads that
// fail or files that lie about their size, contents swapped behind the change scan's back,
// and a file's bytes held once.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "engine_state.hpp"
#include "support.hpp"

using namespace support;

namespace {

Bytes text(const char* s) { return Bytes(s, s + strlen(s)); }

Bytes raw_of(ResourceId id) {
    const ResourcePayload* p = ORVEX_GetResourceData(id);
    return Bytes(p->raw.data, p->raw.data + p->raw.size);
}

// Raw entries need no engine; the registry is emptied after each test.
class HostileFiles : public testing::Test {
protected:
    void SetUp() override { alarm(30); }  // a blocking open would otherwise hang the test
    void TearDown() override {
        alarm(0);
        release_resources();
    }
    TempDir dir;
};

}  // namespace

TEST_F(HostileFiles, AnythingButARegularFileIsRefusedAtOnceByName) {
    const std::string fifo = dir / "pipe.bin", sub = dir / "sub.bmp", sock = dir / "sock.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    strncpy(addr.sun_path, sock.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::pair<std::string, const char*> refused[] = {
        {fifo, "is a FIFO"},
        {sub, "is a directory"},
        {sock, "is a socket"},
        {"/dev/null", "is a character device"},
    };
    for (const auto& [path, kind] : refused) {
        std::string err = stderr_of([&] { EXPECT_EQ(ORVEX_LoadResource(path.c_str()), 0u); });
        EXPECT_EQ(err, path + ": " + kind + "\n");
    }
    close(s);

    // A watched file swapped for a FIFO: the scan reports it and keeps the old contents.
    const std::string path = dir / "level.txt";
    write_file(path, text("kept"));
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    ASSERT_NE(id, 0u);
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(stderr_of(ORVEX_HotReload), path + ": is a FIFO\n");
    EXPECT_EQ(raw_of(id), text("kept"));
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(ORVEX_ReloadResource(id), -1); }), path + ": is a FIFO\n");
}

TEST_F(HostileFiles, ReadsGoToTheEndAndFailuresSayWhereAndWhy) {
    // Pseudo-files report a size of 0 but have contents.
    const ResourceId status = ORVEX_LoadResource("/proc/self/status");
    ASSERT_NE(status, 0u);
    const Bytes contents = raw_of(status);
    EXPECT_GT(contents.size(), 100u);
    EXPECT_EQ(std::string(contents.begin(), contents.begin() + 5), "Name:");

    // A read that fails (this file errs at offset 0) names the operation and the error.
    std::string err = stderr_of([] { EXPECT_EQ(ORVEX_LoadResource("/proc/self/mem"), 0u); });
    EXPECT_EQ(err, "ORVEX_LoadResourceTyped:drain: Input/output error\n");
    const std::string path = dir / "notes.txt";
    write_file(path, text("notes"));
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(symlink("/proc/self/mem", path.c_str()), 0);
    err = stderr_of([&] { EXPECT_EQ(ORVEX_ReloadResource(id), -1); });
    EXPECT_EQ(err, "ORVEX_ReloadResource:drain: Input/output error\n");
    EXPECT_EQ(raw_of(id), text("notes"));

    err = stderr_of([] { EXPECT_EQ(ORVEX_LoadResource(""), 0u); });
    EXPECT_EQ(err, "ORVEX_LoadResourceTyped: \"\": No such file or directory\n");
}

TEST_F(HostileFiles, EveryChangeIsReloadedWhateverItKeeps) {
    const std::string path = dir / "map.txt";
    write_file(path, text("one"));
    ASSERT_TRUE(set_mtime(path, 1700000000));
    const ResourceId id = ORVEX_LoadResource(path.c_str());

    // Changed between the load and the first scan.
    write_file(path, text("two"));
    ASSERT_TRUE(set_mtime(path, 1700000001));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("two"));

    // Deleted, then made again with the old time: reloaded when it is back.
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(stderr_of(ORVEX_HotReload), path + ": No such file or directory\n");
    write_file(path, text("six"));
    ASSERT_TRUE(set_mtime(path, 1700000001));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("six"));

    // Replaced with the same time and size: in place (cp -p), by rename (tar x), and by
    // pointing a link at another file.
    usleep(30000);  // past the file system's coarse clock tick, so the status time moves
    write_file(path, text("ten"));
    ASSERT_TRUE(set_mtime(path, 1700000001));
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("ten"));
    const std::string fresh = dir / "fresh.txt";
    write_file(fresh, text("new"));
    ASSERT_TRUE(set_mtime(fresh, 1700000001));
    ASSERT_EQ(rename(fresh.c_str(), path.c_str()), 0);
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(id), text("new"));
    const std::string a = dir / "a.txt", b = dir / "b.txt", link = dir / "link.txt";
    write_file(a, text("aaa"));
    write_file(b, text("bbb"));
    ASSERT_TRUE(set_mtime(a, 1700000002));
    ASSERT_TRUE(set_mtime(b, 1700000002));
    ASSERT_EQ(symlink(a.c_str(), link.c_str()), 0);
    const ResourceId linked = ORVEX_LoadResource(link.c_str());
    ASSERT_EQ(unlink(link.c_str()), 0);
    ASSERT_EQ(symlink(b.c_str(), link.c_str()), 0);
    ORVEX_HotReload();
    EXPECT_EQ(raw_of(linked), text("bbb"));
}

TEST_F(HostileFiles, AFilesBytesAreHeldOnce) {
    constexpr int64_t MIB = 64;
    const std::string path = dir / "big.bin";  // sparse: reading it costs memory, not disk
    write_file(path, {});
    ASSERT_EQ(truncate(path.c_str(), MIB << 20), 0);
    const int64_t before = resident_mib();
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    ASSERT_NE(id, 0u);
    EXPECT_EQ(ORVEX_GetResourceData(id)->raw.size, MIB << 20);
    EXPECT_LT(peak_mib() - before, MIB * 3 / 2);  // one block of its size, not two
}
