// The installed game under Xvfb: `cmake --install` under a temporary prefix,
// then the launcher from there for two users. A setting changed and "Konec"
// clicked land in the user's own game folder, the next start reads them back,
// and a second user's folder is separate. Along the way it takes the two
// screenshots of the README (the menu, a game against the computer); with
// TALVENA_DOCS_DIR set they are copied there as menu.png and game.png.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace {

using e2e::Image;

const int SETTINGS_TOP = 50;  // the settings panel: lines from y = 70
const int LEAVE_LINE = 4;     // "<> Opustit"

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The first field of the settings file: 1 computer, 2 a second human.
int32_t opponent_in(const std::string& bytes) {
    if (bytes.size() < 4) return -1;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned char>(bytes[0])) |
                                static_cast<uint32_t>(static_cast<unsigned char>(bytes[1])) << 8 |
                                static_cast<uint32_t>(static_cast<unsigned char>(bytes[2])) << 16 |
                                static_cast<uint32_t>(static_cast<unsigned char>(bytes[3])) << 24);
}

bool settings_shown(const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 210); }

// Pixels that differ between two screenshots inside a box.
int differing(const Image& a, const Image& b, int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) n += e2e::distance(a.at(x, y), b.at(x, y)) > 30;
    return n;
}

bool red_man_on(const Image& img, int square) {
    e2e::Pixel p = e2e::square_colour(img, square, 10);
    return p.r > p.b + 60 && p.r > p.g + 60;
}

using e2e::square_x;
using e2e::square_y;

struct LauncherTest : ::testing::Test {
    e2e::Session s;
    std::string prefix, launcher;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(e2e::start_session(s, error)) << error;
        prefix = s.home + "/prefix";
        const std::string install = std::string(TALVENA_CMAKE_COMMAND) + " --install " + TALVENA_BUILD_DIR +
                                    " --prefix " + prefix + " >" + s.home + "/install.log 2>&1";
        ASSERT_EQ(std::system(install.c_str()), 0) << read_file(s.home + "/install.log");
        launcher = prefix + "/games/talvena";
    }
    void TearDown() override { e2e::stop_session(s); }

    // A home of its own for each user, sound sent nowhere as in the session's.
    std::string make_home(const std::string& name) {
        const std::string home = s.home + "/" + name;
        const std::string command = "mkdir -p " + home + " && cp " + s.home + "/.asoundrc " + home + "/";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return home;
    }

    void start(const std::string& home) {
        std::string error;
        ASSERT_TRUE(e2e::start_program(s, launcher, home, error)) << error << "\n" << read_file(s.home + "/game.log");
        ASSERT_TRUE(e2e::wait_for_menu(s, "launcher_menu")) << "no main menu";
    }

    // "Nastavení hry", a screenshot of it as it opened, optionally a click on
    // "Soupeř", then "Opustit".
    Image settings(bool toggle_opponent) {
        Image shown, left;
        e2e::click_menu_item(s, 3);
        e2e::move_mouse(s, 780, 590);
        EXPECT_TRUE(e2e::wait_for_screen(s, "launcher_settings", 10000, settings_shown, shown)) << "no settings screen";
        if (toggle_opponent) e2e::click_screen_line(s, SETTINGS_TOP, 0, LEAVE_LINE);
        e2e::click_screen_line(s, SETTINGS_TOP, LEAVE_LINE, LEAVE_LINE);
        EXPECT_TRUE(e2e::wait_for_screen(
            s, "launcher_settings_left", 10000, [](const Image& i) { return !settings_shown(i); }, left))
            << "the settings screen did not close";
        return shown;
    }

    void quit_from_menu() {
        e2e::click_menu_item(s, 10);
        int status = -1;
        ASSERT_TRUE(e2e::wait_game(s, 15000, status)) << "\"Konec\" did not end the game";
        EXPECT_EQ(status, 0);
    }
};

void copy_to_docs(const e2e::Session& s, const std::string& shot, const std::string& name) {
    const char* docs = std::getenv("TALVENA_DOCS_DIR");
    if (!docs || !*docs) return;
    const std::string command = "cp " + s.shots + "/" + shot + ".png " + docs + "/" + name;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(LauncherTest, SettingsStayInEachUsersOwnFolder) {
    const std::string home1 = make_home("user1"), home2 = make_home("user2");
    const std::string folder1 = home1 + "/.local/share/talvena", folder2 = home2 + "/.local/share/talvena";

    // User 1, first start: the menu; the opponent becomes a second human.
    start(home1);
    e2e::move_mouse(s, 780, 590);
    Image menu;
    ASSERT_TRUE(e2e::wait_for_screen(s, "docs_menu", 10000, e2e::main_menu_shown, menu));
    copy_to_docs(s, "docs_menu", "menu.png");
    const Image computer_shown = settings(true);
    quit_from_menu();
    const std::string saved1 = read_file(folder1 + "/Data/talvdat.tdt");
    ASSERT_EQ(saved1.size(), 108u) << "no settings file in " << folder1;
    EXPECT_EQ(opponent_in(saved1), 2);
    char target[4096];
    const ssize_t n = readlink((folder1 + "/Data/talvena.dat").c_str(), target, sizeof target - 1);
    ASSERT_GT(n, 0) << "the datafile is not a link";
    EXPECT_EQ(std::string(target, n), prefix + "/share/talvena/Data/talvena.dat");

    // User 2: a folder of their own, with the defaults; user 1's stays.
    start(home2);
    quit_from_menu();
    EXPECT_EQ(opponent_in(read_file(folder2 + "/Data/talvdat.tdt")), 1);
    EXPECT_EQ(read_file(folder1 + "/Data/talvdat.tdt"), saved1);

    // User 1 again: the settings screen shows the second human, and a click
    // puts the computer back, which only a read-back setting can give.
    start(home1);
    const Image human_shown = settings(true);
    EXPECT_GT(differing(computer_shown, human_shown, 560, 68, 690, 90), 20) << "the opponent's value looks unchanged";
    EXPECT_LT(differing(computer_shown, human_shown, 420, 68, 540, 90), 10) << "the label itself should not change";

    // A game against the computer: blue opens 42-33, red answers on row 3.
    e2e::click_menu_item(s, 0);
    e2e::move_mouse(s, 780, 590);
    Image board;
    ASSERT_TRUE(e2e::wait_for_screen(s, "launcher_board", 10000, [](const Image& i) { return !e2e::main_menu_shown(i); },
                                     board));
    e2e::click(s, square_x(42), square_y(42));
    e2e::click(s, square_x(33), square_y(33));
    e2e::move_mouse(s, 780, 590);
    Image game;
    EXPECT_TRUE(e2e::wait_for_screen(s, "docs_game", 30000,
                                     [](const Image& i) {
                                         return red_man_on(i, 24) || red_man_on(i, 26) || red_man_on(i, 28) ||
                                                red_man_on(i, 30);
                                     },
                                     game))
        << "the computer did not answer";
    e2e::sleep_ms(500);  // the destination marker gone
    game = e2e::screenshot(s, "docs_game");
    copy_to_docs(s, "docs_game", "game.png");
    e2e::press_key(s, "Escape");
    ASSERT_TRUE(e2e::wait_for_menu(s, "launcher_menu_again"));
    quit_from_menu();
    EXPECT_EQ(opponent_in(read_file(folder1 + "/Data/talvdat.tdt")), 1);
    EXPECT_EQ(opponent_in(read_file(folder2 + "/Data/talvdat.tdt")), 1);
}

}  // namespace
