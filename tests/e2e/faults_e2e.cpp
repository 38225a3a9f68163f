// The two data files under faults in the real game: a read-only Data/, a
// full file system, and kill -9 in the middle of a save. Whatever happens,
// each file is the old one or the new one, whole and byte for byte; no
// temporary file outlives a finished write; the game goes on; and start-up
// removes the temporaries a killed write left behind once they are old.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/game_state.h"
#include "app/temp_dir.h"
#include "app/settings_file.h"
#include "e2e/harness.h"
#include "ui/saved_games.h"

namespace {

using e2e::Image;

constexpr uid_t NOBODY = 65534;

using e2e::now_ms;

Bytes slot_of(const Bytes& file, int slot) {
    const auto at = file.begin() + static_cast<long>(SAVE_SLOT_SIZE) * slot;
    return Bytes(at, at + static_cast<long>(SAVE_SLOT_SIZE));
}

// Two humans, the amateur level, the computer (when there is one) on blue,
// eight men each, both volumes 0, no music (track 0), the names "Eva" and
// "Ota": every field unlike the first start's.
Bytes known_settings() {
    Bytes b(SETTINGS_FILE_SIZE, 0);
    const int32_t numbers[7] = {OPPONENT_HUMAN, LEVEL_AMATEUR, BLUE, 8, 0, 0, 0};
    for (int i = 0; i < 7; i++) put_le32(b, 4 * i, numbers[i]);
    const char* names[2] = {"Eva", "Ota"};
    for (int n = 0; n < 2; n++)
        for (int i = 0; names[n][i]; i++) put_le32(b, 28 + 40 * n + 4 * i, names[n][i]);
    return b;
}

// A slot's header (opponent, level, computer side, turn, minutes, seconds),
// its pieces by square, and its used field.
struct Record {
    int32_t head[6];
    std::vector<std::pair<int, int32_t>> pieces;
    int32_t used;
};

// Slot 1: two humans, blue to move at 7:30, kings on both sides; slot 4:
// the computer, red to move; slot 3 marked 2 (free) over odd bytes, which
// a save must carry through untouched; slots 2 and 5 never written.
const Record SLOT_1 = {{OPPONENT_HUMAN, LEVEL_AMATEUR, RED, BLUE, 7, 30},
                       {{40, BLUE_MAN}, {42, BLUE_MAN}, {51, BLUE_MAN}, {12, BLUE_KING},
                        {17, RED_MAN}, {21, RED_MAN}, {58, RED_KING}},
                       1};
const Record SLOT_4 = {{OPPONENT_COMPUTER, LEVEL_PROFESSIONAL, BLUE, RED, 0, 59},
                       {{33, BLUE_MAN}, {49, BLUE_KING}, {26, RED_MAN}, {28, RED_MAN}},
                       1};
const Record NEVER_WRITTEN = {{1, 1, 1, 1, 0, 0}, {}, 0};

Bytes known_games() {
    Bytes b(SAVED_GAMES_FILE_SIZE, 0);
    const Record* records[5] = {&SLOT_1, &NEVER_WRITTEN, nullptr, &SLOT_4, &NEVER_WRITTEN};
    for (int k = 0; k < 5; k++) {
        const size_t at = SAVE_SLOT_SIZE * k;
        if (records[k] == nullptr) {
            std::fill(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + SAVE_SLOT_SIZE), 0x5A);
            put_le32(b, at + 280, 2);
            continue;
        }
        e2e::SlotFields f = {};
        for (int i = 0; i < 6; i++) f.head[i] = records[k]->head[i];
        for (const auto& [square, piece] : records[k]->pieces) f.pieces[square] = piece;
        f.used = records[k]->used;
        e2e::write_slot(b, k, f);
    }
    return b;
}

SaveSlot parse_slot(const Bytes& file, int slot) {
    SavedGames g;
    saved_games_from_bytes(g, file.data(), file.size());
    return g.slots[slot];
}

// A record the game wrote for a new game: playable, the given header but the
// clock, which must be under a minute, and the opening position.
void expect_new_game_record(const Bytes& file, int slot, const SaveSlot& opening) {
    const SaveSlot got = parse_slot(file, slot);
    EXPECT_EQ(slot_is_saved(got), 1);
    EXPECT_EQ(got.used, 1);
    EXPECT_EQ(got.opponent, opening.opponent);
    EXPECT_EQ(got.difficulty, opening.difficulty);
    EXPECT_EQ(got.computer_side, opening.computer_side);
    EXPECT_EQ(got.turn, opening.turn);
    EXPECT_EQ(got.minutes, 0);
    EXPECT_LT(got.seconds, 60);
    for (int i = 0; i < SQUARE_COUNT; i++) EXPECT_EQ(got.pieces[i], opening.pieces[i]) << "square " << i;
}

// The record "Nová hra" would give under settings with these bytes (none:
// the first start's), from the core; the test's own game state is left as
// it was.
SaveSlot opening_record(const Bytes& settings_bytes) {
    const Settings kept = settings;
    load_settings_from("/nonexistent/talvdat.tdt");
    settings_from_bytes(settings, settings_bytes.data(), settings_bytes.size());
    new_game();
    SaveSlot slot;
    slot_from_game(slot);
    settings = kept;
    reset_board();
    return slot;
}

bool dark(int square) { return (square / 8 + square % 8) % 2 == 1; }
using e2e::blue_pieces;
using e2e::blue_piece_on;
using e2e::red_pieces;
using e2e::red_piece_on;

// The main menu's item in its normal colour (not grey).
bool item_live(const Image& img, int item) {
    const int y = 70 + 30 * item;
    return e2e::count_near(img, 70, y, 300, y + 19, 200, 200, 200, 12) > 20 &&
           e2e::count_near(img, 70, y, 300, y + 19, 100, 100, 100, 12) == 0;
}

// The process whose parent is `parent` (the game under strace).
pid_t child_of(pid_t parent) {
    DIR* d = ::opendir("/proc");
    if (d == nullptr) return -1;
    pid_t found = -1;
    while (const dirent* e = ::readdir(d)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
        if (pid <= 0) continue;
        std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t paren = line.rfind(')');
        int ppid = 0;
        if (paren != std::string::npos && std::sscanf(line.c_str() + paren + 1, " %*c %d", &ppid) == 1 &&
            ppid == parent) {
            found = pid;
            break;
        }
    }
    ::closedir(d);
    return found;
}

void set_mtime_ago(const std::string& path, long seconds) {
    const timespec t = {::time(nullptr) - seconds, 0};
    const timespec times[2] = {t, t};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

struct FaultsTest : ::testing::Test {
    e2e::Session s;
    std::string error;
    std::string mounted;  // a tmpfs over Data/, unmounted at the end

    void SetUp() override { ASSERT_TRUE(e2e::start_session(s, error)) << error; }
    void TearDown() override {
        e2e::kill_game(s);
        if (!mounted.empty()) ::umount2(mounted.c_str(), MNT_DETACH);
        ::chmod(data().c_str(), 0755);
        e2e::stop_session(s);
    }

    std::string data(const std::string& name = "") const {
        return s.workdir + "/Data" + (name.empty() ? "" : "/" + name);
    }
    std::vector<std::string> data_names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(data())) out.push_back(e.path().filename());
        std::sort(out.begin(), out.end());
        return out;
    }
    // The saved-games writer's temporaries, as mkstemp names them.
    std::vector<std::string> temporaries() const {
        const std::string prefix = "gamdat.tdt.tmp-";
        std::vector<std::string> out;
        for (const std::string& n : data_names())
            if (n.size() == prefix.size() + 6 && n.compare(0, prefix.size(), prefix) == 0) out.push_back(n);
        return out;
    }

    // A script that starts the game through `launcher` (words put before
    // the binary), for start_program.
    std::string wrapper(const std::string& name, const std::string& launcher) {
        const std::string path = s.home + "/" + name;
        std::ofstream f(path);
        f << "#!/bin/sh\nexec " << launcher << " '" << TALVENA_BUILD_DIR << "/talvena'\n";
        f.close();
        ::chmod(path.c_str(), 0755);
        return path;
    }

    // Waits on quick grabs, then keeps one screenshot for people to see.
    Image menu(const std::string& name) {
        e2e::move_mouse(s, 780, 590);
        Image img;
        EXPECT_TRUE(e2e::wait_for_grab(s, name, 15000, [](const Image& i) { return e2e::main_menu_shown(i); }, img))
            << name;
        e2e::sleep_ms(150);
        return e2e::screenshot(s, name);
    }
    bool open_screen(int item, int bottom, const std::string& name) {
        e2e::click_menu_item(s, item);
        Image img;
        const bool shown = e2e::wait_for_grab(
            s, name, 10000, [bottom](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, bottom); }, img);
        e2e::screenshot(s, name);
        return shown;
    }
    // From the board: Esc, "Uložit hru", slot `slot` (0..4), back in the menu.
    Image save_into(int slot, const std::string& name) {
        e2e::press_key(s, "Escape");
        menu(name + "_menu");
        EXPECT_TRUE(open_screen(6, 225, name + "_slots")) << name;
        e2e::click_screen_line(s, 50, slot, 5);
        return menu(name + "_done");
    }
    // From the menu: "Nová hra" (item 0) or "Pokračovat" (1), waiting for
    // the board.
    Image board(const std::string& name, int item = 1) {
        e2e::click_menu_item(s, item);
        e2e::move_mouse(s, 780, 590);
        Image img;
        EXPECT_TRUE(e2e::wait_for_grab(s, name, 10000, [](const Image& i) { return !e2e::main_menu_shown(i); }, img))
            << name;
        e2e::sleep_ms(200);
        return e2e::screenshot(s, name);
    }
    // A move by hand on the board; waits until it shows.
    void move_piece(int from, int to, const std::string& name) {
        for (int sq : {from, to}) e2e::click_square(s, sq);
        e2e::move_mouse(s, 780, 590);
        Image img;
        EXPECT_TRUE(e2e::wait_for_grab(s, name, 5000, [from, to](const Image& i) {
            return (blue_piece_on(i, to) || red_piece_on(i, to)) && !blue_piece_on(i, from) && !red_piece_on(i, from);
        }, img)) << name;
        e2e::screenshot(s, name);
    }
    // A click whose press lasts 200 ms; answers right after the release.
    void press_at(int x, int y) {
        const Image before = e2e::grab(s);
        e2e::move_mouse(s, x, y);
        e2e::wait_changed(s, before, e2e::STEP_WAIT_MS, x, y, 24);
        e2e::run(s, "xdotool mousedown 1");
        e2e::sleep_ms(200);
        e2e::run(s, "xdotool mouseup 1");
    }
    template <class Pred>
    bool click_until(int x, int y, const std::string& name, Pred pred) {
        e2e::click(s, x, y);
        Image img;
        return e2e::wait_for_grab(s, name, 10000, pred, img);
    }
    void expect_quit() { ASSERT_TRUE(e2e::quit_through_menu(s, error)) << error; }
};

TEST_F(FaultsTest, ReadOnlyDataFolderLosesNothingAndTheGameGoesOn) {
    const Bytes old_settings = known_settings(), old_games = known_games();
    write_bytes(data("talvdat.tdt"), old_settings);
    write_bytes(data("gamdat.tdt"), old_games);
    ::chmod(data("talvdat.tdt").c_str(), 0444);
    ::chmod(data("gamdat.tdt").c_str(), 0444);
    ::chmod(data().c_str(), 0555);
    const std::vector<std::string> names = data_names();

    // Permissions do not stop root: as root the game runs as nobody, who
    // must be able to reach the working directory but not to write in Data/.
    const bool as_root = ::geteuid() == 0;
    std::string program = std::string(TALVENA_BUILD_DIR) + "/talvena";
    if (as_root) {
        if (std::system("command -v setpriv >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "running as root without setpriv: cannot run the game as an ordinary user, and a "
                            "read-only Data/ does not stop root";
        ::chmod(s.home.c_str(), 0755);
        program = wrapper("as-nobody.sh", "setpriv --reuid=65534 --regid=65534 --clear-groups");
    }
    const int probe = in_child([&] {
        if (as_root && (::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0)) return 2;
        if (::open(data("probe").c_str(), O_CREAT | O_WRONLY, 0644) >= 0) return 1;
        if (::open(data("gamdat.tdt").c_str(), O_WRONLY) >= 0) return 1;
        return ::access(data("talvena.dat").c_str(), R_OK) == 0 ? 0 : 3;
    });
    if (probe == 2) GTEST_SKIP() << "running as root and cannot become uid 65534, so a read-only Data/ stops nothing";
    ASSERT_EQ(probe, 0) << "1: the game's user can still write in Data/; 3: it cannot read Data/";

    ASSERT_TRUE(e2e::start_program(s, program, s.home, error)) << error;
    // The saved games were read: "Načíst hru" is live.
    EXPECT_TRUE(item_live(menu("ro_menu"), 7));

    // A changed setting, which the end cannot write: the piece count read
    // from the file, 8, becomes 12.
    ASSERT_TRUE(open_screen(3, 210, "ro_settings"));
    e2e::click_screen_line(s, 50, 3, 4);
    e2e::click_screen_line(s, 50, 4, 4);
    menu("ro_settings_left");
    Image img = board("ro_new_game", 0);
    EXPECT_EQ(blue_pieces(img), 12);
    EXPECT_EQ(red_pieces(img), 12);
    // Two humans, as read: blue's first move by hand.
    move_piece(40, 33, "ro_blue_moved");

    // The save fails and says so: "Hru nelze uložit" on the menu for about
    // two seconds once the slots are gone; nothing in Data/ changed.
    e2e::press_key(s, "Escape");
    menu("ro_save_menu");
    ASSERT_TRUE(open_screen(6, 225, "ro_save_slots"));
    e2e::click_screen_line(s, 50, 1, 5);
    e2e::move_mouse(s, 780, 590);
    auto notice_shown = [](const Image& i) {
        return e2e::main_menu_shown(i) && !e2e::frame_drawn(i, 400, 700, 50, 225) &&
               e2e::frame_drawn(i, 387, 627, 200, 300);
    };
    EXPECT_TRUE(e2e::wait_for_grab(s, "ro_save_notice", 1500, notice_shown, img));
    img = e2e::screenshot(s, "ro_save_notice");
    EXPECT_TRUE(notice_shown(img));
    // Gone again after about two seconds, the menu as before.
    EXPECT_TRUE(e2e::wait_for_grab(s, "ro_save_notice_gone", 4000, [](const Image& i) {
        return e2e::main_menu_shown(i) && !e2e::frame_drawn(i, 387, 627, 200, 300);
    }, img));
    img = menu("ro_save_done");
    EXPECT_EQ(read_bytes(data("gamdat.tdt")), old_games);
    EXPECT_EQ(data_names(), names);

    // The game goes on from the same position: red answers.
    img = board("ro_played_on");
    EXPECT_TRUE(blue_piece_on(img, 33));
    EXPECT_EQ(blue_pieces(img), 12);
    EXPECT_EQ(red_pieces(img), 12);
    move_piece(17, 24, "ro_red_moved");

    // The read-only file still loads: slot 1's position on the board.
    e2e::press_key(s, "Escape");
    menu("ro_menu_to_load");
    ASSERT_TRUE(open_screen(7, 225, "ro_load"));
    e2e::click_screen_line(s, 50, 0, 5);
    menu("ro_loaded_menu");
    img = board("ro_loaded_board");
    for (int sq = 0; sq < SQUARE_COUNT; sq++) {
        if (!dark(sq)) continue;
        int32_t piece = EMPTY;
        for (const auto& [at, p] : SLOT_1.pieces)
            if (at == sq) piece = p;
        EXPECT_EQ(blue_piece_on(img, sq), piece == BLUE_MAN || piece == BLUE_KING) << "square " << sq;
        EXPECT_EQ(red_piece_on(img, sq), piece == RED_MAN || piece == RED_KING) << "square " << sq;
    }

    expect_quit();
    EXPECT_EQ(read_bytes(data("talvdat.tdt")), old_settings);
    EXPECT_EQ(read_bytes(data("gamdat.tdt")), old_games);
    EXPECT_EQ(data_names(), names) << "no temporary file left";
}

TEST_F(FaultsTest, FullFileSystemLosesNoSlotAndTheGameGoesOn) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs as Data/ needs root; the full file system flow is skipped";
    // Data/ becomes a tmpfs with room for its files and a little more.
    const std::string dir = data(), copy = s.workdir + "/Data.copy";
    ASSERT_EQ(::rename(dir.c_str(), copy.c_str()), 0);
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    // Its files only: the endgame tables' folder stays behind (the game plays
    // without it) so the small file system holds just what a save touches.
    uintmax_t room = 64 * 4096;
    for (const auto& e : std::filesystem::directory_iterator(copy))
        if (e.is_regular_file()) room += (e.file_size() + 4095) / 4096 * 4096;
    // In a mount namespace of the test's own, which ends with it even if
    // the test dies; the game, started from here, shares it.
    const std::string options = "size=" + std::to_string(room) + ",mode=0755";
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        const int e = errno;
        ::rmdir(dir.c_str());
        ::rename(copy.c_str(), dir.c_str());
        GTEST_SKIP() << "cannot mount a tmpfs as Data/ (" << std::strerror(e)
                     << "; a container without CAP_SYS_ADMIN?): the full file system flow is skipped";
    }
    mounted = dir;
    for (const auto& e : std::filesystem::directory_iterator(copy))
        if (e.is_regular_file()) std::filesystem::copy(e.path(), dir + "/" + e.path().filename().string());
    const Bytes old_settings = known_settings(), old_games = known_games();
    write_bytes(data("talvdat.tdt"), old_settings);
    write_bytes(data("gamdat.tdt"), old_games);

    // Fills the file system to the last byte, and makes sure a new file
    // cannot take even one.
    auto fill = [&] {
        const int fd = ::open(data("filler").c_str(), O_CREAT | O_WRONLY | O_APPEND, 0644);
        static const char chunk[65536] = {};
        for (size_t size : {sizeof chunk, size_t{4096}, size_t{1}})
            while (::write(fd, chunk, size) == static_cast<ssize_t>(size)) {
            }
        ::close(fd);
        const int probe = ::open(data("probe").c_str(), O_CREAT | O_WRONLY, 0644);
        const bool full = probe >= 0 && ::write(probe, chunk, 1) < 0 && errno == ENOSPC;
        ::close(probe);
        ::unlink(data("probe").c_str());
        return full;
    };
    ASSERT_TRUE(fill()) << "the tmpfs did not fill up";
    std::vector<std::string> names = data_names();

    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    menu("full_menu");
    ASSERT_TRUE(open_screen(3, 210, "full_settings"));
    e2e::click_screen_line(s, 50, 3, 4);  // "Počet kamenů": 8 -> 12
    e2e::click_screen_line(s, 50, 4, 4);
    menu("full_settings_left");
    board("full_new_game", 0);

    Image img = save_into(1, "full_save");
    EXPECT_TRUE(e2e::main_menu_shown(img));
    EXPECT_EQ(read_bytes(data("gamdat.tdt")), old_games);
    EXPECT_EQ(data_names(), names) << "no temporary file left";

    // With room again the same game saves, and the four other slots are
    // the old ones byte for byte.
    ASSERT_EQ(::unlink(data("filler").c_str()), 0);
    board("full_played_on");
    save_into(4, "full_room_again");
    const Bytes games = read_bytes(data("gamdat.tdt"));
    ASSERT_EQ(games.size(), SAVED_GAMES_FILE_SIZE);
    for (int k = 0; k < 4; k++) EXPECT_EQ(slot_of(games, k), slot_of(old_games, k)) << "slot " << k + 1;
    Bytes changed = old_settings;
    put_le32(changed, 12, 12);
    expect_new_game_record(games, 4, opening_record(changed));

    // Full again at the end: the changed settings are lost, the old file
    // stays whole, and the game still ends normally.
    ASSERT_TRUE(fill());
    names = data_names();
    expect_quit();
    EXPECT_EQ(read_bytes(data("talvdat.tdt")), old_settings);
    EXPECT_EQ(read_bytes(data("gamdat.tdt")), games);
    EXPECT_EQ(data_names(), names) << "no temporary file left";
}

TEST_F(FaultsTest, KillNineDuringSavesLeavesTheOldFileOrTheNewOneWhole) {
    // strace slows down the syscalls that bracket the temporary file's life
    // (its fsync, the rename, the folder's fsync) so that kills at random
    // moments land inside the write and not only before or after it.
    constexpr int ROUNDS = 15;
    constexpr int FSYNC_DELAY_MS = 250, RENAME_DELAY_MS = 150;
    const bool traced = std::system("strace -f -qq -o /dev/null --seccomp-bpf -e trace=fsync "
                                    "-e inject=fsync:delay_enter=1000 true >/dev/null 2>&1") == 0;
    std::string program = std::string(TALVENA_BUILD_DIR) + "/talvena";
    int latest_kill_ms = 100;
    if (traced) {
        program = wrapper("traced.sh", "strace -f -qq -o /dev/null --seccomp-bpf "
                                       "-e trace=fsync,rename,renameat,renameat2 -e inject=fsync:delay_enter=" +
                                           std::to_string(FSYNC_DELAY_MS * 1000) +
                                           " -e inject=rename,renameat,renameat2:delay_enter=" +
                                           std::to_string(RENAME_DELAY_MS * 1000));
        latest_kill_ms = 2 * FSYNC_DELAY_MS + RENAME_DELAY_MS + 200;
    } else {
        std::printf("[ faults ] strace cannot trace here (missing, or ptrace not permitted): plain random kill "
                    "delays, few of which can land inside the write\n");
    }

    write_bytes(data("gamdat.tdt"), known_games());
    write_bytes(data("talvdat.tdt"), known_settings());  // no music: quicker starts
    // Other files' old temporaries, and a name the writer never makes.
    for (const char* name : {"talvdat.tdt.tmp-Old123", "partie.pdn.tmp-Old456", "gamdat.tdt.tmp-Seven77"}) {
        write_bytes(data(name), Bytes(5, 1));
        set_mtime_ago(data(name), 600);
    }
    const SaveSlot opening = opening_record(known_settings());

    const unsigned seed = static_cast<unsigned>(std::random_device{}());
    std::mt19937 rng(seed);
    int before = 0, mid_write = 0, after = 0;
    std::string rounds;
    std::vector<std::string> last_left;  // the previous kill's temporaries: young, so kept
    const long started = now_ms();
    for (int round = 0; round < ROUNDS; round++) {
        SCOPED_TRACE("round " + std::to_string(round) + ", seed " + std::to_string(seed));
        for (const std::string& n : temporaries())
            if (std::find(last_left.begin(), last_left.end(), n) == last_left.end()) set_mtime_ago(data(n), 600);
        const Bytes old = read_bytes(data("gamdat.tdt"));
        struct stat old_stat;
        ASSERT_EQ(::stat(data("gamdat.tdt").c_str(), &old_stat), 0);

        ASSERT_TRUE(e2e::start_program(s, program, s.home, error)) << error;
        const pid_t game = traced ? child_of(s.game) : s.game;
        ASSERT_GT(game, 0);
        // Quick grabs for the waits: the steps are many.
        auto menu_shown = [](const Image& i) { return e2e::main_menu_shown(i); };
        Image img;
        ASSERT_TRUE(e2e::wait_for_grab(s, "kill_menu", 15000, menu_shown, img));
        // Start-up removed the old temporaries and kept the young one.
        EXPECT_EQ(temporaries(), last_left);
        EXPECT_NE(::access(data("talvdat.tdt.tmp-Old123").c_str(), F_OK), 0);
        EXPECT_NE(::access(data("partie.pdn.tmp-Old456").c_str(), F_OK), 0);
        EXPECT_EQ(::access(data("gamdat.tdt.tmp-Seven77").c_str(), F_OK), 0);

        ASSERT_TRUE(click_until(100, 80, "kill_board", [](const Image& i) { return blue_pieces(i) == 8; }));
        e2e::press_key(s, "Escape");
        ASSERT_TRUE(e2e::wait_for_grab(s, "kill_menu_in_game", 10000, menu_shown, img));
        ASSERT_TRUE(click_until(100, 260, "kill_slots",
                                [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 225); }));
        if (round == 0) e2e::screenshot(s, "kill_slots");
        const std::vector<std::string> present = temporaries();
        const int slot = static_cast<int>(rng() % SAVE_SLOT_COUNT);
        const int delay = static_cast<int>(rng() % static_cast<unsigned>(latest_kill_ms + 1));
        press_at(450, 50 + 20 + e2e::MENU_FONT_HEIGHT * slot + 10);
        e2e::sleep_ms(delay);
        ::kill(game, SIGKILL);
        int status = -1;
        ASSERT_TRUE(e2e::wait_game(s, 10000, status));

        const Bytes now = read_bytes(data("gamdat.tdt"));
        ASSERT_EQ(now.size(), SAVED_GAMES_FILE_SIZE);
        struct stat now_stat;
        ASSERT_EQ(::stat(data("gamdat.tdt").c_str(), &now_stat), 0);
        std::vector<std::string> left;
        for (const std::string& n : temporaries())
            if (std::find(present.begin(), present.end(), n) == present.end()) left.push_back(n);
        EXPECT_LE(left.size(), 1u);
        if (now_stat.st_ino == old_stat.st_ino) {
            // Not renamed yet: the old file, byte for byte.
            EXPECT_EQ(now, old);
            (left.empty() ? before : mid_write)++;
        } else {
            // Renamed: the old file with the chosen slot replaced.
            EXPECT_TRUE(left.empty()) << "the rename consumed the temporary file";
            for (int k = 0; k < SAVE_SLOT_COUNT; k++)
                EXPECT_TRUE(k == slot || slot_of(now, k) == slot_of(old, k)) << "slot " << k + 1;
            expect_new_game_record(now, slot, opening);
            after++;
        }
        // Slot, delay and outcome: o old file, t old file and a temporary
        // left, n new file.
        rounds += " " + std::to_string(slot + 1) + "/" + std::to_string(delay) +
                  (now_stat.st_ino != old_stat.st_ino ? "n" : left.empty() ? "o" : "t");
        last_left = left;
        if (HasFatalFailure()) return;
    }
    const long rounds_ms = now_ms() - started;

    // Once old, every leftover goes at the next start; nothing else does.
    for (const std::string& n : temporaries()) set_mtime_ago(data(n), 600);
    const Bytes last = read_bytes(data("gamdat.tdt"));
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    menu("kill_final_menu");
    EXPECT_TRUE(temporaries().empty());
    EXPECT_EQ(::access(data("gamdat.tdt.tmp-Seven77").c_str(), F_OK), 0);
    expect_quit();
    EXPECT_EQ(read_bytes(data("gamdat.tdt")), last);

    std::printf("[ faults ] %d kills in %ld ms (seed %u)%s: %d before the temporary file, %d with it present "
                "(mid-write), %d after the rename; slot/ms:%s\n",
                ROUNDS, rounds_ms, seed, traced ? ", syscalls slowed by strace" : "", before, mid_write, after,
                rounds.c_str());
    if (traced) {
        EXPECT_GE(mid_write, 1) << "no kill landed inside the write";
    }
}

}  // namespace
