// The Windows build under Wine, in Xvfb, in a Wine prefix made for the run:
// the shipped talvena-cli.exe counts as the Linux build does, the platform
// layer's own checks pass, the zip's game plays in its own folder (menu,
// help, a move, a save read back by the Linux talvena-cli, "Konec" writing
// the settings), and the installer installs silently, its game plays in
// %APPDATA%\Talvena and its uninstaller leaves the player's files.
// Mouse buttons are held HOLD_MS: Wine loses shorter presses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/harness.h"

using e2e::Image;
using e2e::Session;

namespace {

constexpr int HOLD_MS = 250;
constexpr int TIMEOUT_MS = 30000;
const std::string WINDOWS_BUILD = TALVENA_WINDOWS_BUILD_DIR;
const std::string STAGE = WINDOWS_BUILD + "/stage/Talvena";

std::string quote(const std::string& s) { return "'" + s + "'"; }

long file_size(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text of the help's first and last lines, as on Linux.
int grey_pixels(const Image& img, int x1, int y1, int x2, int y2) {
    return e2e::count_near(img, x1, y1, x2, y2, 170, 170, 170, 10);
}
bool help_shown(const Image& img) {
    return grey_pixels(img, 360, 130, 760, 146) > 150 && grey_pixels(img, 360, 500, 760, 516) > 150;
}
bool red_moved_out(const Image& img) {
    for (int sq = 24; sq < 32; sq++)
        if (e2e::red_piece_on(img, sq)) return true;
    return false;
}

class WineTest : public ::testing::Test {
protected:
    static Session s;
    static std::string prefix;  // WINEPREFIX
    static bool ready;
    static std::string failure;

    // One Xvfb and one fresh Wine prefix for the whole suite: making a
    // prefix takes Wine most of a minute.
    static void SetUpTestSuite() {
        char tmpl[] = "/tmp/talvena-wine-XXXXXX";
        if (mkdtemp(tmpl) == nullptr) {
            failure = "mkdtemp failed";
            return;
        }
        prefix = tmpl;
        setenv("WINEPREFIX", prefix.c_str(), 1);
        setenv("WINEARCH", "win32", 1);
        setenv("WINEDEBUG", "-all", 1);
        // No offer to fetch Mono or Gecko: the game needs neither.
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        // Windows opens a window only where it fits whole, frame and all.
        s.screen = "1024x768x24";
        if (!e2e::start_session(s, failure)) return;
        setenv("HOME", s.home.c_str(), 1);  // Wine's ALSA reads the session's null device set-up
        if (e2e::run(s, "wineboot --init >/dev/null 2>&1 && wineserver --wait") != 0) {
            failure = "wineboot failed";
            return;
        }
        ready = true;
    }
    static void TearDownTestSuite() {
        e2e::run(s, "wineserver --kill >/dev/null 2>&1");
        e2e::kill_game(s);
        e2e::stop_session(s);
        if (!prefix.empty()) std::system(("rm -rf " + quote(prefix)).c_str());
    }
    void SetUp() override { ASSERT_TRUE(ready) << failure; }
    void TearDown() override {
        e2e::kill_game(s);
        e2e::run(s, "wineserver --kill >/dev/null 2>&1; wineserver --wait");
    }

    // Starts a Windows program from the Linux folder `cwd` (never its own).
    bool start_exe(const std::string& exe, const std::string& cwd, std::string& error) {
        const std::string script = s.home + "/start.sh";
        std::FILE* f = std::fopen(script.c_str(), "w");
        if (f == nullptr) return false;
        std::fprintf(f, "#!/bin/sh\ncd %s && exec wine %s\n", quote(cwd).c_str(), quote(exe).c_str());
        std::fclose(f);
        chmod(script.c_str(), 0755);
        if (!e2e::start_program(s, script, s.home, error, 60000)) return false;
        find_origin();
        return true;
    }

    // Polls the window until pred holds, saving the last look as
    // shots/<name>.png. Under Wine in Xvfb the game's first frame can reach
    // the window before it is shown and stay unseen until the game draws
    // again, so the pointer is nudged in a corner no check looks at: each
    // nudge is a change the game draws.
    // The pointer is moved on the screen through XTest, as a real mouse
    // moves it: Wine's input does not follow a pointer warped to a window.
    static int origin_x, origin_y;
    void find_origin() {
        std::string out;
        e2e::run(s, "xdotool getwindowgeometry --shell " + s.window, &out);
        const size_t x = out.find("X="), y = out.find("Y=");
        origin_x = x == std::string::npos ? 0 : std::atoi(out.c_str() + x + 2);
        origin_y = y == std::string::npos ? 0 : std::atoi(out.c_str() + y + 2);
    }
    void move(int x, int y) {
        e2e::run(s, "xdotool mousemove " + std::to_string(origin_x + x) + " " + std::to_string(origin_y + y));
    }

    Image wait_for(const std::string& name, bool (*pred)(const Image&), int timeout_ms = TIMEOUT_MS,
                   bool* seen = nullptr) {
        const long deadline = e2e::now_ms() + timeout_ms;
        bool held = false, ended = false;
        for (int nudge = 0; !held && !ended && e2e::now_ms() < deadline; nudge++) {
            move(790 + nudge % 2, 595);
            held = pred(e2e::grab(s));
            int status = 0;
            ended = !held && e2e::wait_game(s, 0, status);
            if (ended) ADD_FAILURE() << name << ": the game ended with " << status << ": " << slurp(s.home + "/game.log");
            if (!held && !ended) e2e::sleep_ms(100);
        }
        // import waits for good on a window that is gone.
        if (ended) return Image();
        Image img = e2e::screenshot(s, name);
        if (seen != nullptr)
            *seen = held;
        else
            EXPECT_TRUE(held) << name;
        return img;
    }

    // The press goes only once the game has drawn the pointer at its place:
    // a press Wine delivers before the move would land where the pointer was.
    void held_click(int x, int y, int hold_ms = HOLD_MS) {
        // Wine drops a move now and then: move again until one is drawn.
        for (int attempt = 0; attempt < 6; attempt++) {
            const Image before = e2e::grab(s);
            move(x + attempt % 2, y);
            if (e2e::wait_changed(s, before, 1000, x, y, 24)) break;
        }
        e2e::run(s, "xdotool mousedown 1");
        e2e::sleep_ms(hold_ms);
        e2e::run(s, "xdotool mouseup 1");
    }
    void held_menu_click(int item) { held_click(100, 70 + 30 * item + 10); }

    // Wine loses a press now and then, even a held one: a click whose effect
    // does not show is made again. Only for clicks that change nothing when
    // lost (a menu item, a square whose piece is not picked yet).
    Image click_until(int x, int y, const std::string& name, bool (*pred)(const Image&), int hold_ms = HOLD_MS) {
        bool seen = false;
        Image img;
        for (int attempt = 0; attempt < 4 && !seen; attempt++) {
            held_click(x, y, hold_ms);
            img = wait_for(name, pred, 8000, &seen);
        }
        EXPECT_TRUE(seen) << name << ": no effect after 4 clicks";
        return img;
    }
    Image menu_click_until(int item, const std::string& name, bool (*pred)(const Image&)) {
        return click_until(100, 70 + 30 * item + 10, name, pred);
    }

    // "Konec" from the main menu: the program ends with 0.
    void quit_from_menu() {
        int status = -1;
        for (int attempt = 0; attempt < 4 && s.game > 0; attempt++) {
            held_menu_click(10);
            for (int waited = 0; waited < 8000 && s.game > 0; waited += 100) {
                if (e2e::wait_game(s, 0, status)) break;
                e2e::sleep_ms(100);
            }
        }
        ASSERT_EQ(s.game, -1) << "\"Konec\" did not end the game";
        EXPECT_EQ(status, 0);
        e2e::run(s, "wineserver --wait");
    }

    static std::string appdata_game_folder() {
        std::string out;
        e2e::run(s, "ls -d " + quote(prefix) + "/drive_c/users/*/AppData/Roaming/Talvena 2>/dev/null | head -n 1", &out);
        while (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
};

Session WineTest::s;
int WineTest::origin_x = 0;
int WineTest::origin_y = 0;
std::string WineTest::prefix;
bool WineTest::ready = false;
std::string WineTest::failure;

TEST_F(WineTest, CliCountsAsTheLinuxBuildAndThePlatformChecksPass) {
    std::string windows, linux_out;
    ASSERT_EQ(e2e::run(s, "wine " + quote(STAGE + "/talvena-cli.exe") + " perft 8 2>&1", &windows), 0) << windows;
    ASSERT_EQ(e2e::run(s, quote(std::string(TALVENA_BUILD_DIR) + "/talvena-cli") + " perft 8", &linux_out), 0);
    EXPECT_NE(linux_out.find("\n8 "), std::string::npos) << "a count for each depth to 8: " << linux_out;
    EXPECT_EQ(windows, linux_out) << "the same bytes, '\\n' line ends included";

    std::string checks;
    const int status = e2e::run(s, "wine " + quote(WINDOWS_BUILD + "/cross/platform_wintest.exe") + " 2>&1", &checks);
    std::printf("%s", checks.c_str());
    EXPECT_EQ(status, 0);
    EXPECT_NE(checks.find(" passed, 0 failed"), std::string::npos) << checks;
}

TEST_F(WineTest, ZipPlaysInItsOwnFolderAndKeepsTheSaveAndTheSettings) {
    const std::string dir = s.home + "/unzipped";
    std::string zip;
    ASSERT_EQ(e2e::run(s, "ls " + quote(WINDOWS_BUILD) + "/Talvena-*-win32.zip", &zip), 0);
    zip.pop_back();
    ASSERT_EQ(e2e::run(s, "mkdir -p " + quote(dir) + " && cd " + quote(dir) + " && unzip -q " + quote(zip)), 0);
    const std::string data = dir + "/Talvena/Data/";
    std::string error;
    ASSERT_TRUE(start_exe(dir + "/Talvena/talvena.exe", "/", error)) << error;

    wait_for("wine_menu", e2e::main_menu_shown);
    menu_click_until(9, "wine_help", help_shown);  // "Nápověda"
    // A press anywhere closes it.
    click_until(600, 580, "wine_menu_after_help", [](const Image& i) { return e2e::main_menu_shown(i) && !help_shown(i); });

    // "Nová hra": blue (the player) moves a man from c3 (42) to b4 (33),
    // the computer answers from row 6 to row 5.
    menu_click_until(0, "wine_board", [](const Image& i) { return !e2e::main_menu_shown(i) && e2e::blue_pieces(i) == 12; });
    // The picked man marks its destinations under the pointer: a pick is
    // made again only when 33 shows no marker, the destination again until
    // the man stands there. Held and short presses take turns: Wine has
    // lost each kind here.
    auto marked = [](const Image& i) { return e2e::marker_pixels(i, 33) > 150; };
    auto moved = [](const Image& i) { return e2e::blue_piece_on(i, 33) && !e2e::blue_piece_on(i, 42); };
    bool seen = false;
    for (int attempt = 0; attempt < 6 && !seen; attempt++) {
        const int hold = attempt % 2 == 0 ? HOLD_MS : 30;
        bool picked = false;
        for (int pick = 0; pick < 4 && !picked; pick++) {
            held_click(e2e::square_x(42), e2e::square_y(42), pick % 2 == 0 ? hold : HOLD_MS + 30 - hold);
            move(e2e::square_x(33), e2e::square_y(33));
            Image img;
            picked = e2e::wait_for_grab(s, "wine_picked", 3000, marked, img);
        }
        held_click(e2e::square_x(33), e2e::square_y(33), hold);
        wait_for("wine_moved", moved, 6000, &seen);
    }
    ASSERT_TRUE(seen) << "c3-b4 was not played";
    wait_for("wine_answered", red_moved_out);

    // Esc, "Uložit hru" into the first slot, "Konec".
    e2e::run(s, "xdotool keydown Escape");
    e2e::sleep_ms(HOLD_MS);
    e2e::run(s, "xdotool keyup Escape");
    wait_for("wine_menu_in_game", e2e::main_menu_shown);
    // A press held this long on "Uložit hru" opens nothing under Wine, a
    // short click opens the slots: these two clicks are short (and made
    // again when lost).
    click_until(100, 70 + 30 * 6 + 10, "wine_slots", [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 225); },
                30);
    click_until(450, 50 + 20 + 10, "wine_saved",
                [](const Image& i) { return e2e::main_menu_shown(i) && !e2e::frame_drawn(i, 400, 700, 50, 225); }, 30);
    quit_from_menu();

    EXPECT_EQ(file_size(data + "talvdat.tdt"), 108);
    ASSERT_EQ(file_size(data + "gamdat.tdt"), 1420);
    std::string slots;
    ASSERT_EQ(e2e::run(s, quote(std::string(TALVENA_BUILD_DIR) + "/talvena-cli") + " slots " +
                              quote(data + "gamdat.tdt"), &slots), 0) << slots;
    std::printf("%s", slots.c_str());
    const std::string games = slurp(data + "gamdat.tdt");
    const e2e::SlotFields first = e2e::read_slot(std::vector<unsigned char>(games.begin(), games.end()), 0);
    EXPECT_EQ(first.used, 1);
    EXPECT_EQ(first.head[3], 1) << "blue to move after the computer's answer";
    EXPECT_NE(first.pieces[33], 0) << "the man moved to square 33";
    EXPECT_EQ(first.pieces[42], 0) << "square 42 left";
    // The Linux reading of the Windows file: slot 1 used, blue to move.
    EXPECT_EQ(slots.rfind("1 used; ", 0), 0u) << slots;
    EXPECT_NE(slots.find("to move blue"), std::string::npos) << slots;
    EXPECT_NE(slots.find("\n2 free\n"), std::string::npos) << slots;
}

TEST_F(WineTest, InstallerInstallsSilentlyAndItsGamePlaysInAppData) {
    std::string setup;
    ASSERT_EQ(e2e::run(s, "ls " + quote(WINDOWS_BUILD) + "/Talvena-*-setup.exe", &setup), 0);
    setup.pop_back();
    ASSERT_EQ(e2e::run(s, "wine " + quote(setup) + " /S && wineserver --wait"), 0);
    const std::string installed = prefix + "/drive_c/Program Files/Talvena/";
    for (const char* f : {"talvena.exe", "talvena-cli.exe", "Data/talvena.dat", "Talvena.installed", "Uninstall.exe",
                          "LICENSE.txt", "Licence/Allegro.txt", "Licence/mpg123.txt"})
        EXPECT_GT(file_size(installed + f), 0) << f;
    EXPECT_GT(file_size(prefix + "/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Talvena/Talvena.lnk"), 0);

    std::string error;
    ASSERT_TRUE(start_exe(installed + "talvena.exe", s.home, error)) << error;
    wait_for("wine_installed_menu", e2e::main_menu_shown);
    quit_from_menu();

    const std::string folder = appdata_game_folder();
    ASSERT_FALSE(folder.empty()) << "no game folder in %APPDATA%";
    EXPECT_EQ(file_size(folder + "/Data/talvdat.tdt"), 108);
    EXPECT_EQ(slurp(folder + "/Data/talvena.dat"), slurp(installed + "Data/talvena.dat"));
    EXPECT_EQ(file_size(installed + "Data/talvdat.tdt"), -1) << "the installed folder stays as installed";

    // The uninstaller takes what it installed and leaves the player's files.
    ASSERT_EQ(e2e::run(s, "wine " + quote(installed + "Uninstall.exe") + " /S && wineserver --wait"), 0);
    e2e::sleep_ms(500);
    EXPECT_EQ(file_size(installed + "talvena.exe"), -1);
    EXPECT_EQ(file_size(folder + "/Data/talvdat.tdt"), 108);
}

}  // namespace
