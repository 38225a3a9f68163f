#include "app/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "app/settings_file.h"
#include "app/temp_dir.h"
#include "ui/saved_games.h"
#include "ui/slots_logic.h"

namespace {

// Both files go through the one writer; each must survive every failure.
struct Writer {
    const char* name;
    const char* file;
    size_t size;
    int (*write)(const char* path);
};

int write_settings(const char* path) { return save_settings_to(path); }

int write_games(const char* path) {
    SavedGames g;
    read_saved_games(path, g);
    slot_from_game(g.slots[0]);
    return write_saved_games(path, g);
}

const Writer WRITERS[] = {
    {"settings", "talvdat.tdt", SETTINGS_FILE_SIZE, write_settings},
    {"saved games", "gamdat.tdt", SAVED_GAMES_FILE_SIZE, write_games},
};

// An old file whose every byte differs from anything the writers produce.
Bytes old_content(size_t size) { return Bytes(size, 0xA5); }

// How a write is made to fail, in a child process so limits and a changed
// user stay there; the folder is left as the parent must find it.
enum class Failure { READ_ONLY_FOLDER, WRITE_STOPS_PART_WAY };

int failing_write(const Writer& w, const TempDir& dir, Failure how) {
    const std::string path = dir.file(w.file);
    if (how == Failure::READ_ONLY_FOLDER) {
        ::chmod(path.c_str(), 0666);  // only the folder may stand in the way
        ::chmod(dir.path.c_str(), 0555);
        return in_child([&] {
            // Root writes into any folder; an ordinary user does not.
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 99;
            return w.write(path.c_str());
        });
    }
    return in_child([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {w.size / 2, w.size / 2};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 99;
        return w.write(path.c_str());
    });
}

TEST(AtomicFileTest, AFailedWriteLeavesTheOldFileByteForByteAndNoTemporaryFile) {
    std::string denied;
    for (const Writer& w : WRITERS) {
        for (Failure how : {Failure::READ_ONLY_FOLDER, Failure::WRITE_STOPS_PART_WAY}) {
            const std::string name = std::string(w.name) + (how == Failure::READ_ONLY_FOLDER ? ", read-only folder" : ", part-way");
            SCOPED_TRACE(name);
            TempDir dir;
            ::chmod(dir.path.c_str(), 0755);  // the unprivileged child must reach it
            const std::string path = dir.file(w.file);
            write_bytes(path, old_content(w.size));
            const int failed = failing_write(w, dir, how);
            if (failed == 99) {
                denied += " [" + name + "]";
                continue;
            }
            EXPECT_EQ(failed, 0);
            EXPECT_EQ(read_bytes(path), old_content(w.size));
            EXPECT_EQ(dir.names(), std::vector<std::string>{w.file});
            // The same write succeeds once nothing stands in its way.
            ::chmod(dir.path.c_str(), 0755);
            EXPECT_EQ(w.write(path.c_str()), 1);
            EXPECT_EQ(read_bytes(path).size(), w.size);
            EXPECT_EQ(dir.names(), std::vector<std::string>{w.file});
        }
    }
    if (!denied.empty()) {
        GTEST_SKIP() << "uid 65534 or a file size limit is denied here, so nothing stood in the way of" << denied;
    }
}

TEST(AtomicFileTest, ARenameOverAFolderFailsAndLeavesBothAlone) {
    TempDir dir;
    const std::string target = dir.file("talvdat.tdt");
    ASSERT_TRUE(std::filesystem::create_directory(target));
    write_bytes(target + "/inside", old_content(3));
    const unsigned char bytes[] = {1, 2, 3, 4};
    EXPECT_EQ(write_file_atomically(target.c_str(), bytes, sizeof bytes), 0);
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(read_bytes(target + "/inside"), old_content(3));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"talvdat.tdt"});
}

TEST(AtomicFileTest, TheNewFileGetsTheOldFilesPermissions) {
    TempDir dir;
    const std::string path = dir.file("gamdat.tdt");
    write_bytes(path, old_content(10));
    ::chmod(path.c_str(), 0640);
    const unsigned char bytes[] = {7, 0, 0, 0};
    ASSERT_EQ(write_file_atomically(path.c_str(), bytes, sizeof bytes), 1);
    EXPECT_EQ(read_bytes(path), Bytes(bytes, bytes + 4));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// The disk answers the first read, then fails: what a bad sector in the
// middle of a file looks like to the reader.
int reads_before_failing = 0;
ssize_t failing_read(int fd, void* buffer, size_t length) {
    if (reads_before_failing-- > 0) return ::read(fd, buffer, length < 40 ? length : 40);
    errno = EIO;
    return -1;
}

struct ReaderRestored {
    ~ReaderRestored() { read_file_bytes = ::read; }
};

// Loads the file as the game does at start-up or when the save screen
// opens, changes something, and saves as the game does at exit or on a
// slot click. Answers what the save answered.
int load_change_and_save(const Writer& w, const std::string& path) {
    if (w.size == SETTINGS_FILE_SIZE) {
        load_settings_from(path.c_str());
        settings.piece_count = settings.piece_count == 8 ? 12 : 8;
        return save_settings_to(path.c_str());
    }
    SlotsScreen d;
    slots_read(d, path.c_str());
    d.chosen = 3;
    return slots_save_chosen(d, path.c_str());
}

TEST(AtomicFileTest, AReadErrorPartWayLeavesTheFileAsItWas) {
    const Settings saved_settings = settings;
    const GameState saved_game = game;
    ReaderRestored restore;
    new_game();
    for (const Writer& w : WRITERS) {
        SCOPED_TRACE(w.name);
        TempDir dir;
        const std::string path = dir.file(w.file);
        ASSERT_EQ(w.write(path.c_str()), 1);
        const Bytes before = read_bytes(path);
        for (bool fails : {true, false}) {
            reads_before_failing = 1;
            read_file_bytes = fails ? failing_read : ::read;
            EXPECT_EQ(load_change_and_save(w, path), fails ? 0 : 1);
            read_file_bytes = ::read;
            if (fails) {
                EXPECT_EQ(read_bytes(path), before);
            } else {
                EXPECT_NE(read_bytes(path), before) << "read whole, the file is written as before";
            }
        }
    }
    settings = saved_settings;
    game = saved_game;
    reset_board();
}

// Links the player (or the launcher) set up stay links, and the file they
// lead to gets the new bytes with its own permissions.
TEST(AtomicFileTest, WritesGoThroughLinksAndSpareReadOnlyFiles) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // name -> where it points
        const char* real;  // the file that is finally written, beside the folder's
        mode_t mode;       // of that file before the write; 0: none there
        bool written;
    };
    const Case CASES[] = {
        {"a relative link", {{"data/FILE", "../real/FILE"}}, "real/FILE", 0640, true},
        {"a link to a link", {{"data/FILE", "hop"}, {"data/hop", "../real/FILE"}}, "real/FILE", 0604, true},
        {"a dangling link", {{"data/FILE", "../real/FILE"}}, "real/FILE", 0, true},
        {"a read-only file", {}, "data/FILE", 0444, false},
        {"a link to a read-only file", {{"data/FILE", "../real/FILE"}}, "real/FILE", 0444, false},
        {"a loop of links", {{"data/FILE", "FILE"}}, "data/FILE", 0, false},
    };
    for (const Writer& w : WRITERS) {
        for (const Case& c : CASES) {
            SCOPED_TRACE(std::string(w.name) + ", " + c.what);
            TempDir dir;
            ASSERT_TRUE(std::filesystem::create_directory(dir.file("data")));
            ASSERT_TRUE(std::filesystem::create_directory(dir.file("real")));
            auto file_named = [&](std::string p) {
                const size_t at = p.find("FILE");
                return at == std::string::npos ? p : p.replace(at, 4, w.file);
            };
            for (const auto& [name, to] : c.links)
                ASSERT_EQ(::symlink(file_named(to).c_str(), dir.file(file_named(name)).c_str()), 0);
            const std::string real = dir.file(file_named(c.real));
            if (c.mode != 0) {
                write_bytes(real, old_content(w.size));
                ASSERT_EQ(::chmod(real.c_str(), c.mode), 0);
            }
            const std::string path = dir.file(std::string("data/") + w.file);
            EXPECT_EQ(w.write(path.c_str()), c.written ? 1 : 0);
            struct stat st;
            EXPECT_EQ(::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode), !c.links.empty()) << "a link stays one";
            if (c.written || c.mode != 0) {
                EXPECT_EQ(read_bytes(real).size(), w.size);
                EXPECT_EQ(read_bytes(real) == old_content(w.size), !c.written);
                ASSERT_EQ(::lstat(real.c_str(), &st), 0);
                EXPECT_TRUE(S_ISREG(st.st_mode));
                EXPECT_EQ(c.mode == 0 ? 0 : st.st_mode & 0777, c.mode) << "the old file's permissions";
            }
            // No temporary left in either folder.
            for (const char* folder : {"data", "real"})
                for (const auto& e : std::filesystem::directory_iterator(dir.file(folder)))
                    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
        }
    }
}

}  // namespace

namespace {

// What start-up removes: only old regular files named exactly as the writer
// names its temporaries for this path. A young one may be another running
// copy's write in flight. (The end-to-end kill test covers the removal.)
TEST(AtomicFileTest, OnlyOldTemporariesOfThatFileAreRemoved) {
    struct Entry {
        const char* name;
        bool old;
        bool folder;
        bool kept;
    };
    const Entry ENTRIES[] = {
        {"gamdat.tdt.tmp-a1B2c3", true, false, false},
        {"gamdat.tdt.tmp-Zz9yY8", false, false, true},   // young
        {"gamdat.tdt.tmp-a1B2c", true, false, true},     // five characters
        {"gamdat.tdt.tmp-a1B2c3d", true, false, true},   // seven
        {"gamdat.tdt.tmp-a1B.c3", true, false, true},    // not mkstemp's alphabet
        {"gamdat.tdt.tmp-Fold3r", true, true, true},     // not a regular file
        {"talvdat.tdt.tmp-a1B2c3", true, false, true},   // another file's
        {"xgamdat.tdt.tmp-a1B2c3", true, false, true},
        {"gamdat.tdt", true, false, true},
    };
    TempDir dir;
    const timespec ten_minutes_ago[2] = {{::time(nullptr) - 600, 0}, {::time(nullptr) - 600, 0}};
    std::vector<std::string> kept;
    for (const Entry& e : ENTRIES) {
        const std::string path = dir.file(e.name);
        if (e.folder) {
            ASSERT_TRUE(std::filesystem::create_directory(path));
        } else {
            write_bytes(path, old_content(4));
        }
        if (e.old) {
            ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), ten_minutes_ago, 0), 0);
        }
        if (e.kept) kept.push_back(e.name);
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(remove_stale_temporaries(dir.file("gamdat.tdt").c_str()), 1);
    EXPECT_EQ(dir.names(), kept);
    EXPECT_EQ(remove_stale_temporaries(dir.file("gamdat.tdt").c_str()), 0);
    EXPECT_EQ(remove_stale_temporaries(dir.file("missing/gamdat.tdt").c_str()), 0);
}

}  // namespace
