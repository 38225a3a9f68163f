// The main menu and its screens in the real game: the first start's greys,
// a game against the computer chosen in the settings screen, the clock held
// while the menu is open, saves checked byte by byte, the settings written
// by "Konec" and read back by the next start, a loaded game played from its
// own clock, and the close button from the menu and from a sub-screen.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "rules/rules.h"
#include "ui/saved_games.h"

namespace {

using e2e::Image;
using e2e::Pixel;

using e2e::now_ms;

std::vector<unsigned char> file_bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Little-endian 32-bit field at a byte offset.
int32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

using SlotBytes = e2e::SlotFields;
SlotBytes slot_bytes(const std::vector<unsigned char>& b, int slot) { return e2e::read_slot(b, slot); }

// A slot never written: 1, 1, 1, 1, 0, 0, an empty board, free.
bool default_record(const SlotBytes& s) {
    if (s.head[0] != 1 || s.head[1] != 1 || s.head[2] != 1 || s.head[3] != 1 || s.head[4] != 0 || s.head[5] != 0)
        return false;
    for (int32_t p : s.pieces)
        if (p != 0) return false;
    return s.used == 0;
}

// The main menu's items as drawn: '.' in the normal colour, 'x' grey, '?'
// neither. The pointer must be off the menu.
std::string menu_greys(const Image& img) {
    std::string g;
    for (int i = 0; i < 11; i++) {
        const int y = 70 + 30 * i;
        const int normal = e2e::count_near(img, 70, y, 300, y + 19, 200, 200, 200, 12);
        const int grey = e2e::count_near(img, 70, y, 300, y + 19, 100, 100, 100, 12);
        g += normal > 20 && grey == 0 ? '.' : grey > 20 && normal == 0 ? 'x' : '?';
    }
    return g;
}

// Rightmost text pixel (normal or hover colour) on the main menu's item 1.
int second_item_right_edge(const Image& img) {
    int right = -1;
    for (int y = 100; y < 119; y++)
        for (int x = 70; x < 310; x++)
            if (e2e::near(img.at(x, y), 200, 200, 200, 12) || e2e::near(img.at(x, y), 255, 180, 0, 12)) right = std::max(right, x);
    return right;
}

bool blue_on(const Image& img, int square) {
    const Pixel p = e2e::square_colour(img, square, 10);
    return p.b > p.r + 60;
}
bool red_on(const Image& img, int square) {
    const Pixel p = e2e::square_colour(img, square, 10);
    return p.r > p.b + 60;
}

struct MenuTest : ::testing::Test {
    e2e::Session s;
    std::string error;
    void SetUp() override { ASSERT_TRUE(e2e::start_session(s, error)) << error; }
    void TearDown() override { e2e::stop_session(s); }

    std::string data(const std::string& name) const { return s.workdir + "/Data/" + name; }

    void start() { ASSERT_TRUE(e2e::start_game(s, error)) << error; }
    void expect_exit_zero() {
        int status = -1;
        ASSERT_TRUE(e2e::wait_game(s, 10000, status)) << "the program did not end";
        EXPECT_EQ(status, 0);
    }
    Image menu(const std::string& name) {
        e2e::move_mouse(s, 780, 590);
        EXPECT_TRUE(e2e::wait_for_menu(s, name));
        e2e::sleep_ms(150);
        return e2e::screenshot(s, name);
    }
    // Opens a sub-screen from the menu and waits for its panel.
    void open_screen(int item, int bottom, const std::string& name) {
        e2e::click_menu_item(s, item);
        Image img;
        ASSERT_TRUE(e2e::wait_for_screen(s, name, 10000,
                                         [bottom](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, bottom); },
                                         img))
            << name;
    }
    // "Uložit hru" from the board into a slot (0..4).
    void save_into(int slot, const std::string& name) {
        open_screen(6, 225, name);
        e2e::click_screen_line(s, 50, slot, 5);
        menu(name + "_done");
    }
};

TEST_F(MenuTest, FirstStartPlaysTheComputerSavesAndKeepsTheSettings) {
    ASSERT_NE(access(data("talvdat.tdt").c_str(), F_OK), 0);
    ASSERT_NE(access(data("gamdat.tdt").c_str(), F_OK), 0);

    // The first frame of the menu, measured from the program's start.
    const long started = now_ms();
    start();
    Image img;
    ASSERT_TRUE(e2e::wait_for_screen(s, "menu_first", 15000, [](const Image& i) { return e2e::main_menu_shown(i); },
                                     img));
    std::printf("[ menu ] first menu frame %ld ms after the start\n", now_ms() - started);
    // No game, no saved games: only "Nová hra", "Nastavení hry", "Zvukové
    // volby", "Editace jmen", "Autoři", "Nápověda" and "Konec" are live.
    img = menu("menu_first_start");
    EXPECT_EQ(menu_greys(img), ".xx...xx...");

    // Keys do nothing in the menu; grey items under the pointer stay grey.
    e2e::press_key(s, "Return");
    e2e::move_mouse(s, 100, 112);
    e2e::sleep_ms(200);
    img = e2e::screenshot(s, "menu_grey_hovered");
    EXPECT_EQ(e2e::count_near(img, 70, 100, 300, 119, 255, 180, 0, 12), 0);
    EXPECT_TRUE(e2e::main_menu_shown(img));
    // "Uložit hru" without a game opens nothing.
    e2e::click_menu_item(s, 6);
    e2e::sleep_ms(500);
    EXPECT_FALSE(e2e::frame_drawn(e2e::screenshot(s, "menu_save_refused"), 400, 700, 50, 225));

    // Settings: the amateur computer takes blue, so it opens the game.
    open_screen(3, 210, "settings_first");
    e2e::click_screen_line(s, 50, 1, 4);  // Obtížnost: profesionál -> mistr
    e2e::click_screen_line(s, 50, 1, 4);  // Obtížnost: mistr -> amatér
    e2e::click_screen_line(s, 50, 2, 4);  // Počítač za: rudé -> modré
    e2e::move_mouse(s, 780, 590);
    e2e::sleep_ms(200);
    e2e::screenshot(s, "settings_changed");
    e2e::click_screen_line(s, 50, 4, 4);
    menu("menu_after_settings");

    // A new game: the computer moves a blue man from row 5 to row 4.
    e2e::click_menu_item(s, 0);
    const long new_game_at = now_ms();
    e2e::move_mouse(s, 780, 590);
    ASSERT_TRUE(e2e::wait_for_screen(s, "computer_opens", 20000, [](const Image& i) {
        for (int sq : {33, 35, 37, 39})
            if (blue_on(i, sq)) return true;
        return false;
    }, img)) << "the computer did not open the game";
    EXPECT_GE(now_ms() - new_game_at, 6000) << "three pauses of two seconds before the move";
    int blue_row5 = 0;
    for (int sq : {40, 42, 44, 46}) blue_row5 += blue_on(img, sq);
    EXPECT_EQ(blue_row5, 3);

    // Esc: the menu with a game in progress; the clock stands while it is open.
    e2e::press_key(s, "Escape");
    const long played = now_ms() - new_game_at;
    img = menu("menu_in_game");
    EXPECT_EQ(menu_greys(img), "...x...x...");
    e2e::sleep_ms(6000);
    save_into(2, "save_slot3");
    std::vector<unsigned char> games = file_bytes(data("gamdat.tdt"));
    ASSERT_EQ(games.size(), 1420u);
    EXPECT_EQ(le32(games, 848), 1) << "used field of slot 3";
    const SlotBytes saved = slot_bytes(games, 2);
    EXPECT_EQ(saved.head[0], 1) << "opponent: the computer";
    EXPECT_EQ(saved.head[1], 1) << "amateur";
    EXPECT_EQ(saved.head[2], 1) << "the computer plays blue";
    EXPECT_EQ(saved.head[3], 2) << "red to move";
    std::printf("[ menu ] played %ld ms, saved clock %d s\n", played, saved.clock());
    EXPECT_GE(saved.clock() * 1000, played - 2500);
    EXPECT_LE(saved.clock() * 1000, played + 1000) << "the time in the menu must not count";
    int men[5] = {};
    for (int32_t p : saved.pieces) men[p >= 0 && p <= 4 ? p : 0]++;
    EXPECT_EQ(men[BLUE_MAN], 12);
    EXPECT_EQ(men[RED_MAN], 12);
    for (int k : {0, 1, 3, 4}) EXPECT_TRUE(default_record(slot_bytes(games, k))) << "slot " << k + 1;
    // "Načíst hru" is live now.
    EXPECT_EQ(menu_greys(menu("menu_after_save")), "...x.......");

    // "Pokračovat": the clock goes on from where it stood, not from the
    // time spent in the menu.
    const long resumed = now_ms();
    e2e::click_menu_item(s, 1);
    e2e::move_mouse(s, 780, 590);
    ASSERT_TRUE(e2e::wait_for_screen(s, "continued", 10000, [](const Image& i) { return !e2e::main_menu_shown(i); },
                                     img));
    e2e::sleep_ms(3000);
    e2e::press_key(s, "Escape");
    const long resumed_for = now_ms() - resumed;
    menu("menu_again");
    save_into(0, "save_slot1");
    games = file_bytes(data("gamdat.tdt"));
    ASSERT_EQ(games.size(), 1420u);
    const SlotBytes later = slot_bytes(games, 0);
    EXPECT_EQ(later.used, 1);
    std::printf("[ menu ] resumed for %ld ms, clock %d s -> %d s\n", resumed_for, saved.clock(), later.clock());
    EXPECT_GE(later.clock() * 1000, saved.clock() * 1000 + 3000 - 1000);
    EXPECT_LE(later.clock() * 1000, saved.clock() * 1000 + resumed_for + 1000);
    EXPECT_EQ(slot_bytes(games, 2).clock(), saved.clock()) << "slot 3 is written back as it was";

    // "Konec" writes the settings: 108 bytes with the two changes.
    e2e::click_menu_item(s, 10);
    expect_exit_zero();
    const std::vector<unsigned char> written = file_bytes(data("talvdat.tdt"));
    ASSERT_EQ(written.size(), 108u);
    const int32_t expected[7] = {1, 1, 1, 12, 255, 255, -1};
    for (int i = 0; i < 7; i++) EXPECT_EQ(le32(written, 4 * i), expected[i]) << "field " << i;
    const int32_t modry[10] = {'M', 'o', 'd', 'r', 0xFD, 0, 0, 0, 0, 0};
    for (int i = 0; i < 10; i++) EXPECT_EQ(le32(written, 28 + 4 * i), modry[i]);

    // The next start reads them back (and writes them again unchanged); the
    // saved games make "Načíst hru" live from the start.
    start();
    EXPECT_EQ(menu_greys(menu("menu_second_start")), ".xx...x....");
    open_screen(3, 210, "settings_read_back");
    e2e::click_screen_line(s, 50, 4, 4);
    menu("menu_second_start_back");
    e2e::click_menu_item(s, 10);
    expect_exit_zero();
    EXPECT_EQ(file_bytes(data("talvdat.tdt")), written);
}

TEST_F(MenuTest, LoadedGamePlaysFromItsClockAndTheCloseButtonQuitsEverywhere) {
    // Two humans, 8 men each, blue to move, 7:30 on the clock, in slot 2;
    // slot 4 holds a game whose used field is 2, which counts as free.
    settings.piece_count = 8;
    settings.opponent = OPPONENT_HUMAN;
    new_game();
    board[49].piece = EMPTY;
    board[42].piece = BLUE_MAN;
    board[14].piece = EMPTY;
    board[21].piece = RED_MAN;
    game.paused_minutes = 7;
    game.paused_seconds = 30;
    SavedGames g;
    for (SaveSlot& slot : g.slots) default_slot(slot);
    slot_from_game(g.slots[1]);
    g.slots[3] = g.slots[1];
    g.slots[3].used = 2;
    ASSERT_EQ(write_saved_games(data("gamdat.tdt").c_str(), g), 1);

    start();
    EXPECT_EQ(menu_greys(menu("load_menu")), ".xx...x....");
    open_screen(7, 225, "load_slots");
    e2e::move_mouse(s, 780, 590);
    e2e::sleep_ms(150);
    Image slots = e2e::screenshot(s, "load_slots_values");
    // "uložená hra" and "volné místo" differ: only slot 2's value is unlike
    // the others.
    auto value_pixels = [&](int line) {
        const int y = 70 + e2e::MENU_FONT_HEIGHT * line;
        std::vector<int> columns;
        for (int x = 560; x <= 690; x++) {
            int n = 0;
            for (int yy = y; yy < y + e2e::MENU_FONT_HEIGHT; yy++) n += e2e::near(slots.at(x, yy), 200, 200, 200, 12);
            columns.push_back(n);
        }
        return columns;
    };
    EXPECT_NE(value_pixels(1), value_pixels(0));
    EXPECT_EQ(value_pixels(3), value_pixels(0)) << "used 2 is free";
    EXPECT_EQ(value_pixels(4), value_pixels(0));
    // A free slot cannot be chosen.
    e2e::click_screen_line(s, 50, 3, 5);
    e2e::sleep_ms(600);
    EXPECT_TRUE(e2e::frame_drawn(e2e::screenshot(s, "load_free_refused"), 400, 700, 50, 225));
    e2e::click_screen_line(s, 50, 1, 5);

    // The second line now offers the loaded game, in a wider box.
    Image img = menu("loaded_menu");
    EXPECT_EQ(menu_greys(img), "...x.......");
    EXPECT_GT(second_item_right_edge(img), 240);
    e2e::click(s, 250, 110);  // beyond the end of "<> Pokračovat"
    const long loaded_at = now_ms();
    e2e::move_mouse(s, 780, 590);
    ASSERT_TRUE(e2e::wait_for_screen(s, "loaded_board", 10000, [](const Image& i) { return !e2e::main_menu_shown(i); },
                                     img));
    e2e::sleep_ms(200);
    img = e2e::screenshot(s, "loaded_board");
    for (int i = 0; i < 64; i++) {
        if (board[i].light) continue;
        const int32_t p = board[i].piece;
        EXPECT_EQ(blue_on(img, i), p == BLUE_MAN || p == BLUE_KING) << "square " << i;
        EXPECT_EQ(red_on(img, i), p == RED_MAN || p == RED_KING) << "square " << i;
    }

    // Blue's first quiet move by the rules, played with the mouse.
    int from = -1, to = -1;
    for (int a = 0; a < 64 && from < 0; a++)
        for (int b = 0; b < 64 && from < 0; b++)
            if (owns_piece(a, BLUE) && is_legal_move(a, b, BLUE) == 1 && !capture_pending(a, b, BLUE) &&
                !king_capture_pending(a, b, BLUE))
                from = a, to = b;
    ASSERT_GE(from, 0);
    auto centre = [](int sq, int& x, int& y) {
        x = BOARD_ORIGIN_X + (sq % 8) * SQUARE_SIZE + SQUARE_SIZE / 2;
        y = BOARD_ORIGIN_Y + (sq / 8) * SQUARE_SIZE + SQUARE_SIZE / 2;
    };
    int x, y;
    e2e::sleep_ms(1500);
    centre(from, x, y);
    e2e::click(s, x, y);
    centre(to, x, y);
    e2e::click(s, x, y);
    e2e::move_mouse(s, 780, 590);
    const int moved_to = to;
    ASSERT_TRUE(e2e::wait_for_screen(s, "loaded_moved", 5000,
                                     [moved_to](const Image& i) { return blue_on(i, moved_to); }, img));
    e2e::press_key(s, "Escape");
    const long played = now_ms() - loaded_at;
    menu("loaded_menu_after_move");
    save_into(4, "loaded_saved");
    const SlotBytes after = slot_bytes(file_bytes(data("gamdat.tdt")), 4);
    std::printf("[ menu ] loaded at 450 s, played %ld ms, saved %d s\n", played, after.clock());
    EXPECT_GE(after.clock() * 1000, 450 * 1000 + played - 2500);
    EXPECT_LE(after.clock() * 1000, 450 * 1000 + played + 1000);
    EXPECT_EQ(after.head[0], OPPONENT_HUMAN);
    EXPECT_EQ(after.head[3], RED) << "red to move after blue's move";
    EXPECT_EQ(after.pieces[from], EMPTY);
    EXPECT_EQ(after.pieces[to], BLUE_MAN);

    // The close button in the menu: a normal end, the settings written (the
    // loaded game made the opponent a human).
    ASSERT_TRUE(e2e::send_close_request(s, s.window));
    expect_exit_zero();
    std::vector<unsigned char> written = file_bytes(data("talvdat.tdt"));
    ASSERT_EQ(written.size(), 108u);
    EXPECT_EQ(le32(written, 0), OPPONENT_HUMAN);

    // And from inside the settings screen, just after changing the opponent.
    start();
    menu("close_from_settings_menu");
    open_screen(3, 210, "close_from_settings");
    e2e::click_screen_line(s, 50, 0, 4);
    e2e::sleep_ms(200);
    e2e::screenshot(s, "close_from_settings_changed");
    ASSERT_TRUE(e2e::send_close_request(s, s.window));
    expect_exit_zero();
    written = file_bytes(data("talvdat.tdt"));
    ASSERT_EQ(written.size(), 108u);
    EXPECT_EQ(le32(written, 0), OPPONENT_COMPUTER);
    reset_board();
}

}  // namespace
