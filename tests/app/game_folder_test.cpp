#include "app/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void put(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string text_of(const std::string& path) {
    const Bytes b = read_bytes(path);
    return std::string(b.begin(), b.end());
}

struct Folders {
    TempDir tmp;
    std::string install = tmp.file("install"), user = tmp.file("user");
    std::string error;
    Folders() {
        put(install + "/Data/talvena.dat", "datafile");
        put(install + "/Data/allegro.cfg", "[sound]\n");
        put(install + "/Hudba/DreamOfYou.mp3", "dream");
        put(install + "/Hudba/readme.txt", "not a track");
        fs::create_directories(install + "/Hudba/old.mp3");  // a folder, not a track
    }
    int prepare() { return prepare_game_folder(install, user, error); }
};

TEST(GameFolder, ShipsTheDataAndTheTracksAndCopiesEachOnlyWhenItChanged) {
    Folders f;
    EXPECT_EQ(shipped_files_list(f.install), "Data/allegro.cfg\nData/talvena.dat\nHudba/DreamOfYou.mp3\n");
    ASSERT_EQ(f.prepare(), 3) << f.error;
    EXPECT_EQ(text_of(f.user + "/Data/talvena.dat"), "datafile");
    EXPECT_EQ(text_of(f.user + "/Hudba/DreamOfYou.mp3"), "dream");
    EXPECT_FALSE(fs::exists(f.user + "/Hudba/readme.txt"));
    EXPECT_EQ(f.prepare(), 0) << "untouched copies stay";

    // The player's own files are never touched, whatever changes.
    put(f.user + "/Data/talvdat.tdt", "settings");
    put(f.user + "/Data/gamdat.tdt", "games");
    // An upgrade of the same size: only the write time tells.
    put(f.install + "/Data/allegro.cfg", "[sound]\r");
    fs::last_write_time(f.install + "/Data/allegro.cfg",
                        fs::last_write_time(f.install + "/Data/allegro.cfg") + std::chrono::hours(1));
    put(f.install + "/Hudba/Spring2003.mp3", "spring");
    EXPECT_EQ(f.prepare(), 2);
    EXPECT_EQ(text_of(f.user + "/Data/allegro.cfg"), "[sound]\r");
    EXPECT_EQ(text_of(f.user + "/Hudba/Spring2003.mp3"), "spring");
    EXPECT_EQ(text_of(f.user + "/Data/talvdat.tdt"), "settings");
    EXPECT_EQ(text_of(f.user + "/Data/gamdat.tdt"), "games");
}

TEST(GameFolder, ACopyCutShortIsMadeAgainAndLeavesNothingBeside) {
    Folders f;
    ASSERT_EQ(f.prepare(), 3) << f.error;
    // A crash mid-copy: the part file left, or a short file in place.
    put(f.user + "/Data/talvena.dat.part", "data");
    put(f.user + "/Data/talvena.dat", "data");
    EXPECT_EQ(f.prepare(), 1);
    EXPECT_EQ(text_of(f.user + "/Data/talvena.dat"), "datafile");
    EXPECT_FALSE(fs::exists(f.user + "/Data/talvena.dat.part"));
}

TEST(GameFolder, FailuresAreReportedNotPassedOver) {
    {
        Folders f;
        fs::remove(f.install + "/Data/talvena.dat");
        EXPECT_EQ(f.prepare(), -1);
        EXPECT_NE(f.error.find("talvena.dat"), std::string::npos) << f.error;
    }
    {
        Folders f;
        put(f.user, "a file where the folder should be");
        EXPECT_EQ(f.prepare(), -1);
        EXPECT_FALSE(f.error.empty());
    }
}

}  // namespace
