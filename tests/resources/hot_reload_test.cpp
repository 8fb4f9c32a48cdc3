// Hot reload by change notification, on real files: every way editors save reloads the entry
// on the same turn, with the same messages, as the plain scan that an unwatched entry gets;
// a turn without change examines nothing; and entries that notifications cannot cover (past
// the watch limit, links, a folder moved away, a lost event queue) still follow their files.
//
// Index: Ways of saving a file / Playing saves turn by turn / Editors' ways of saving, watched and
//        scanned / Cost / Fallback to the scan
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>
#include <thread>

#include "engine_state.hpp"
#include "file_watch.hpp"
#include "support.hpp"

using namespace support;

namespace {

//------------------------------------------------------------------------------------------
// Ways of saving a file
//------------------------------------------------------------------------------------------
using Save = std::function<void(const std::string& path)>;

void put(int fd, const std::string& s) {
    ASSERT_EQ(write(fd, s.data(), s.size()), ssize_t(s.size())) << strerror(errno);
}

// Overwrites the bytes where they are, then cuts the file to the new length.
Save write_in_place(std::string s) {
    return [s](const std::string& path) {
        const int fd = open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0) << path;
        put(fd, s);
        ASSERT_EQ(ftruncate(fd, off_t(s.size())), 0);
        close(fd);
    };
}

// Writes a new file beside the old one and renames it over the old one.
Save write_then_rename(std::string s) {
    return [s](const std::string& path) {
        const std::string tmp = path + ".swp~";
        write_file(tmp, Bytes(s.begin(), s.end()));
        ASSERT_EQ(rename(tmp.c_str(), path.c_str()), 0);
    };
}

Save truncate_only() {
    return [](const std::string& path) {
        const int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd, 0) << path;
        close(fd);
    };
}

Save append(std::string s) {
    return [s](const std::string& path) {
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0) << path;
        put(fd, s);
        close(fd);
    };
}

Save both(Save first, Save second) {
    return [first, second](const std::string& path) {
        first(path);
        second(path);
    };
}

Save delete_file() {
    return [](const std::string& path) { ASSERT_EQ(unlink(path.c_str()), 0) << path; };
}

Save create(std::string s) {
    return [s](const std::string& path) { write_file(path, Bytes(s.begin(), s.end())); };
}

// New times, same contents.
Save touch() {
    return [](const std::string& path) {
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), nullptr, 0), 0);
    };
}

// Opened for writing and closed again without a byte written: nothing changes.
Save open_and_close() {
    return [](const std::string& path) {
        const int fd = open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0) << path;
        close(fd);
    };
}

// Another file of the same folder changes, as an editor's swap file does.
Save neighbour_changes() {
    return [](const std::string& path) { write_file(path + ".bak", Bytes{1, 2, 3}); };
}

//------------------------------------------------------------------------------------------
// Playing saves turn by turn
//------------------------------------------------------------------------------------------
// What one engine turn showed of the entry.
struct Turn {
    std::string bytes;
    bool reloaded;
    std::string messages;  // stderr, with the scratch folder's path as "<dir>"
    bool operator==(const Turn&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Turn& t) {
    return out << "{\"" << t.bytes << "\", " << (t.reloaded ? "reloaded" : "kept") << ", \""
               << t.messages << "\"}";
}

std::string bytes_of(ResourceId id) {
    const ResourcePayload* p = ORVEX_GetResourceData(id);
    return std::string(reinterpret_cast<const char*>(p->raw.data), size_t(p->raw.size));
}

std::string replaced(std::string s, const std::string& what, const std::string& with) {
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
    return s;
}

// Registers a fresh "level.txt" holding "v0", runs a first turn, then one save per turn, and
// records every turn. Unwatched, the entry's folder is past the watch limit, so the entry
// gets the plain scan: the behaviour that watching must reproduce.
std::vector<Turn> play(const std::vector<Save>& saves, bool watched) {
    std::vector<Turn> turns;
    TempDir dir;
    const std::string path = dir / "level.txt";
    write_file(path, Bytes{'v', '0'});
    file_watch_limit_folders(watched ? UINT32_MAX : 0);
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    EXPECT_NE(id, 0u);
    EXPECT_EQ(file_watch_unwatched(), watched ? 0u : 1u);
    auto turn = [&] {
        const uint8_t* before = ORVEX_GetResourceData(id)->raw.data;
        const std::string err = stderr_of([] { ORVEX_Cycle(); });
        const bool reloaded = ORVEX_GetResourceData(id)->raw.data != before;
        turns.push_back({bytes_of(id), reloaded, replaced(err, dir.path.string(), "<dir>")});
    };
    turn();
    for (const Save& save : saves) {
        // File times are kept at the kernel's clock tick: a save in a later tick is a change
        // even when it keeps the size.
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
        save(path);
        turn();
    }
    release_resources();
    file_watch_limit_folders(UINT32_MAX);
    return turns;
}

class HotReload : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.started); }
    void TearDown() override { file_watch_limit_folders(UINT32_MAX); }
    Engine engine;
};

}  // namespace

//------------------------------------------------------------------------------------------
// Editors' ways of saving, watched and scanned
//------------------------------------------------------------------------------------------
TEST_F(HotReload, EveryWayOfSavingReloadsOnTheTurnAfterIt) {
    const std::vector<Save> saves = {
        write_in_place("v1 in place"),
        write_in_place("v2 in placf"),  // same size
        write_then_rename("v3 renamed over"),
        both(truncate_only(), append("v4 truncated, written")),
        both(delete_file(), create("v5 deleted, created")),
        touch(),
        open_and_close(),
        neighbour_changes(),
    };
    const std::vector<Turn> expected = {
        {"v0", false, ""},
        {"v1 in place", true, ""},
        {"v2 in placf", true, ""},
        {"v3 renamed over", true, ""},
        {"v4 truncated, written", true, ""},
        {"v5 deleted, created", true, ""},
        {"v5 deleted, created", true, ""},  // new times are a change, as for the scan
        {"v5 deleted, created", false, ""},
        {"v5 deleted, created", false, ""},
    };
    EXPECT_EQ(play(saves, true), expected);
    EXPECT_EQ(play(saves, false), expected);
}

// Turns that fall in the middle of a save see what the scan sees: the emptied file, the
// missing file (reported; the old contents stay), the file back again.
TEST_F(HotReload, TurnsInTheMiddleOfASaveSeeWhatTheScanSees) {
    const std::vector<Save> saves = {
        truncate_only(),  append("after truncation"),   delete_file(),    create("back"),
        create("edited"), write_then_rename("renamed"), open_and_close(),
    };
    const std::vector<Turn> watched = play(saves, true);
    EXPECT_EQ(watched, play(saves, false));
    ASSERT_EQ(watched.size(), 8u);
    EXPECT_EQ(watched[1], (Turn{"", true, ""}));
    EXPECT_EQ(watched[2], (Turn{"after truncation", true, ""}));
    EXPECT_EQ(watched[3],
              (Turn{"after truncation", false, "<dir>/level.txt: No such file or directory\n"}));
    EXPECT_EQ(watched[5], (Turn{"edited", true, ""}));
    EXPECT_EQ(watched[6], (Turn{"renamed", true, ""}));
    EXPECT_EQ(watched[7], (Turn{"renamed", false, ""}));
}

//------------------------------------------------------------------------------------------
// Cost
//------------------------------------------------------------------------------------------
TEST_F(HotReload, ATurnWithoutChangeExaminesNothingAndAChangeOnlyItsFile) {
    TempDir dir;
    std::vector<ResourceId> ids;
    for (int32_t f = 0; f < 4; ++f) {
        const std::string folder = dir / ("f" + std::to_string(f));
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        for (int32_t i = 0; i < 50; ++i) {
            const std::string path = folder + "/" + std::to_string(i) + ".txt";
            write_file(path, Bytes{uint8_t(i)});
            ids.push_back(ORVEX_LoadResource(path.c_str()));
        }
    }
    EXPECT_EQ(file_watch_unwatched(), 0u);
    const ResourceId* due = nullptr;
    EXPECT_EQ(file_watch_due(&due), ids.size()) << "every new entry is examined once";
    EXPECT_EQ(file_watch_due(&due), 0u);
    ASSERT_NE(due, nullptr);
    write_file(dir / "f2/7.txt", Bytes{9, 9});
    write_file(dir / "f2/unregistered.txt", Bytes{9, 9});
    ASSERT_EQ(file_watch_due(&due), 1u);
    EXPECT_EQ(due[0], ids[2 * 50 + 7]);
    EXPECT_EQ(file_watch_due(&due), 0u);
}

//------------------------------------------------------------------------------------------
// Fallback to the scan
//------------------------------------------------------------------------------------------
TEST_F(HotReload, FoldersPastTheWatchLimitAreScannedEveryTurn) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "a").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir / "b").c_str(), 0755), 0);
    write_file(dir / "a/x.txt", Bytes{'x'});
    write_file(dir / "b/y.txt", Bytes{'y'});
    write_file(dir / "a/z.txt", Bytes{'z'});
    file_watch_limit_folders(1);
    const ResourceId x = ORVEX_LoadResource((dir / "a/x.txt").c_str());
    const ResourceId y = ORVEX_LoadResource((dir / "b/y.txt").c_str());
    const ResourceId z = ORVEX_LoadResource((dir / "a/z.txt").c_str());
    EXPECT_EQ(file_watch_unwatched(), 1u) << "a/ is watched, b/ is not";
    ORVEX_Cycle();
    const ResourceId* due = nullptr;
    ASSERT_EQ(file_watch_due(&due), 1u);
    EXPECT_EQ(due[0], y);
    std::this_thread::sleep_for(std::chrono::milliseconds(12));
    write_file(dir / "b/y.txt", Bytes{'Y', 'Y'});
    write_file(dir / "a/z.txt", Bytes{'Z', 'Z'});
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetResourceData(y)->raw.size, 2);
    EXPECT_EQ(ORVEX_GetResourceData(z)->raw.size, 2);
    EXPECT_EQ(ORVEX_GetResourceData(x)->raw.size, 1);
}

TEST_F(HotReload, LinkedFilesAreScannedEveryTurn) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "art").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir / "game").c_str(), 0755), 0);
    write_file(dir / "art/hero.txt", Bytes{'1'});
    write_file(dir / "art/map.txt", Bytes{'m'});
    ASSERT_EQ(symlink("../art/hero.txt", (dir / "game/hero.txt").c_str()), 0);
    ASSERT_EQ(link((dir / "art/map.txt").c_str(), (dir / "game/map.txt").c_str()), 0);
    const ResourceId hero = ORVEX_LoadResource((dir / "game/hero.txt").c_str());
    const ResourceId map = ORVEX_LoadResource((dir / "game/map.txt").c_str());
    EXPECT_EQ(file_watch_unwatched(), 2u);
    ORVEX_Cycle();
    std::this_thread::sleep_for(std::chrono::milliseconds(12));
    write_file(dir / "art/hero.txt", Bytes{'2', '2'});  // through the link's target
    append("p")(dir / "art/map.txt");                   // through the other hard link
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetResourceData(hero)->raw.size, 2);
    EXPECT_EQ(ORVEX_GetResourceData(map)->raw.size, 2);
}

TEST_F(HotReload, AFolderMovedAwayLeavesItsFilesToTheScan) {
    TempDir dir;
    const std::string folder = dir / "levels", path = folder + "/one.txt";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    write_file(path, Bytes{'o', 'l', 'd'});
    const ResourceId id = ORVEX_LoadResource(path.c_str());
    ORVEX_Cycle();
    EXPECT_EQ(file_watch_unwatched(), 0u);
    // A checkout that swaps the whole folder for a new one.
    ASSERT_EQ(rename(folder.c_str(), (dir / "levels.old").c_str()), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    write_file(path, Bytes{'n', 'e', 'w', '!'});
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetResourceData(id)->raw.size, 4);
    EXPECT_EQ(file_watch_unwatched(), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(12));
    write_file(path, Bytes{'n', 'e', 'w', 'e', 'r'});
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetResourceData(id)->raw.size, 5);
}

// Once the kernel's queue of events is full, later events are lost: the change made after
// the flood is still reloaded, because an overflow has every entry examined once.
TEST_F(HotReload, AChangeWhoseEventWasLostToAFullQueueIsStillReloaded) {
    std::ifstream limit_file("/proc/sys/fs/inotify/max_queued_events");
    int64_t limit = 0;
    if (!(limit_file >> limit) || limit > 200000) GTEST_SKIP() << "queue limit " << limit;
    TempDir dir;
    write_file(dir / "kept.txt", Bytes{'k'});
    write_file(dir / "edited.txt", Bytes{'e'});
    const ResourceId kept = ORVEX_LoadResource((dir / "kept.txt").c_str());
    const ResourceId edited = ORVEX_LoadResource((dir / "edited.txt").c_str());
    ORVEX_Cycle();
    const uint8_t* kept_data = ORVEX_GetResourceData(kept)->raw.data;
    const std::string flood = dir / "flood";
    for (int64_t i = 0; i < limit / 2 + 64; ++i) {
        const int fd = open(flood.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
        ASSERT_EQ(unlink(flood.c_str()), 0);
    }
    write_file(dir / "edited.txt", Bytes{'E', 'E'});
    ORVEX_Cycle();
    EXPECT_EQ(ORVEX_GetResourceData(edited)->raw.size, 2);
    EXPECT_EQ(ORVEX_GetResourceData(kept)->raw.data, kept_data) << "unchanged: not reloaded";
    const ResourceId* due = nullptr;
    EXPECT_EQ(file_watch_due(&due), 0u) << "and then quiet again";
}
