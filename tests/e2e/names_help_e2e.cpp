// The names editor, the help and the credits screens, opened from the main
// menu of the real game: a Czech name typed through the X keyboard reaches
// the side panel and the settings file; help and credits close on a press
// of the left button, not on its release, and ignore the keyboard; the
// widest names fit the editor and the win panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "e2e/harness.h"
#include "ui/saved_games.h"

namespace {

using e2e::Image;

constexpr int TIMEOUT_MS = 20000;

// Main menu lines: x = 70, y = 70 + 30 * index; a point well inside each.
int item_y(int index) { return 70 + 30 * index + 9; }
constexpr int ITEM_X = 100;
constexpr int NEW_GAME = 0, CONTINUE = 1, NAMES = 5, CREDITS = 8, HELP = 9, QUIT = 10;

// The names editor's lines: x = 420, y = 70, 70 + th, 70 + 2 th + 20 with the
// menu font's th of 19 pixels.
constexpr int NAMES_X = 450;
constexpr int FIRST_NAME_Y = 79, LEAVE_Y = 137;

// Text pixels on the shaded panels: nothing under a panel is this bright.
int grey_pixels(const Image& img, int x1, int y1, int x2, int y2, int grey) {
    return e2e::count_near(img, x1, y1, x2, y2, grey, grey, grey, 10);
}
int orange_pixels(const Image& img, int x1, int y1, int x2, int y2) {
    return e2e::count_near(img, x1, y1, x2, y2, 255, 180, 0, 14);
}

bool menu_shown(const Image& img) {
    return grey_pixels(img, 60, 60, 300, 400, 200) + orange_pixels(img, 60, 60, 300, 400) > 300 &&
           grey_pixels(img, 341, 60, 779, 540, 170) < 20;  // neither help nor credits text
}
bool help_shown(const Image& img) {
    // The first body line is justified to end at x = 760.
    return grey_pixels(img, 360, 130, 760, 146, 170) > 150 && grey_pixels(img, 740, 130, 762, 146, 170) > 5 &&
           grey_pixels(img, 360, 500, 760, 516, 170) > 150;
}
bool credits_shown(const Image& img) {
    return grey_pixels(img, 360, 80, 760, 96, 170) > 60 && grey_pixels(img, 360, 260, 760, 276, 170) > 60 &&
           grey_pixels(img, 360, 500, 760, 516, 170) < 5;  // its panel ends at 360
}
bool board_shown(const Image& img) { return grey_pixels(img, 46, 463, 147, 496, 170) > 20; }

// Which pixels of a side-panel line are text: the panel's background is
// textured, so lines are compared on their text alone.
std::vector<bool> text_mask(const Image& img, int x1, int y1, int x2, int y2) {
    std::vector<bool> v;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) v.push_back(e2e::near(img.at(x, y), 170, 170, 170, 10));
    return v;
}

struct NamesHelpTest : ::testing::Test {
    e2e::Session s;
    Image img;
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(e2e::start_session(s, error)) << error;
        ASSERT_TRUE(e2e::start_game(s, error)) << error;
        e2e::move_mouse(s, 790, 590);
        ASSERT_TRUE(e2e::wait_for_screen(s, "names_first_menu", TIMEOUT_MS, menu_shown, img)) << "no main menu";
    }
    void TearDown() override { e2e::stop_session(s); }

    void menu_click(int index) { e2e::click(s, ITEM_X, item_y(index)); }
    void type(const std::string& text) {
        ASSERT_EQ(e2e::run(s, "xdotool type --delay 120 '" + text + "'"), 0);
    }
    void quit_and_wait() {
        menu_click(QUIT);
        int status = -1;
        ASSERT_TRUE(e2e::wait_game(s, TIMEOUT_MS, status));
        EXPECT_EQ(status, 0);
    }
};

TEST_F(NamesHelpTest, ACzechNameTypedInTheEditorShowsOnTheSidePanelAndIsKept) {
    // A new game against the computer: blue is the player, with the default name.
    menu_click(NEW_GAME);
    e2e::move_mouse(s, 790, 590);
    ASSERT_TRUE(e2e::wait_for_screen(s, "names_board_before", TIMEOUT_MS, board_shown, img));
    e2e::sleep_ms(500);
    img = e2e::screenshot(s, "names_board_before");
    const auto default_name = text_mask(img, 46, 423, 147, 439);
    EXPECT_EQ(text_mask(img, 46, 481, 147, 497), default_name) << "the player to move is blue";

    e2e::press_key(s, "Escape");
    ASSERT_TRUE(e2e::wait_for_screen(s, "names_menu_from_board", TIMEOUT_MS, menu_shown, img));
    menu_click(NAMES);
    ASSERT_TRUE(e2e::wait_for_screen(s, "names_editor", TIMEOUT_MS, [](const Image& i) {
        return grey_pixels(i, 420, 70, 690, 150, 200) + orange_pixels(i, 420, 70, 690, 150) > 200;
    }, img));

    e2e::click(s, NAMES_X, FIRST_NAME_Y);
    type("xy");  // typed into the new, empty name
    e2e::press_key(s, "BackSpace");
    e2e::press_key(s, "BackSpace");
    e2e::press_key(s, "BackSpace");  // on an empty line: nothing
    e2e::press_key(s, "Return");     // on an empty line: still editing
    e2e::press_key(s, "Left");       // no character: nothing stored
    e2e::press_key(s, "F1");
    type("Čeněk");
    // Editing: the first line orange, the second and "<> Opustit" grey, and
    // a click on "<> Opustit" does nothing.
    e2e::click(s, NAMES_X, LEAVE_Y);
    e2e::move_mouse(s, 600, 300);
    ASSERT_TRUE(e2e::wait_for_screen(s, "names_editing", TIMEOUT_MS, [](const Image& i) {
        return orange_pixels(i, 420, 70, 690, 88) > 150 && grey_pixels(i, 420, 89, 690, 107, 100) > 100 &&
               grey_pixels(i, 420, 128, 690, 147, 100) > 40 && grey_pixels(i, 420, 70, 690, 147, 200) < 10;
    }, img)) << "the editor must stay open while a name is typed";
    e2e::press_key(s, "Return");
    e2e::click(s, NAMES_X, LEAVE_Y);
    ASSERT_TRUE(e2e::wait_for_screen(s, "names_menu_after", TIMEOUT_MS, menu_shown, img));

    menu_click(CONTINUE);
    e2e::move_mouse(s, 790, 590);
    ASSERT_TRUE(e2e::wait_for_screen(s, "names_board_after", TIMEOUT_MS, board_shown, img));
    e2e::sleep_ms(500);
    img = e2e::screenshot(s, "names_board_after");
    const auto new_name = text_mask(img, 46, 423, 147, 439);
    EXPECT_NE(new_name, default_name) << "the side panel must show the new name";
    EXPECT_GT(grey_pixels(img, 46, 423, 147, 439, 170), 20);
    EXPECT_EQ(text_mask(img, 46, 481, 147, 497), new_name);

    // "Konec" writes the settings: the first name as typed, Czech letters
    // as their Unicode codes, the second name untouched.
    e2e::press_key(s, "Escape");
    ASSERT_TRUE(e2e::wait_for_screen(s, "names_menu_before_quit", TIMEOUT_MS, menu_shown, img));
    quit_and_wait();
    std::ifstream f(s.workdir + "/Data/talvdat.tdt", std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 108u);
    auto field = [&](int i) {
        return static_cast<int32_t>(bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 |
                                    static_cast<uint32_t>(bytes[4 * i + 3]) << 24);
    };
    const std::vector<int32_t> first = {0x10C, 'e', 'n', 0x11B, 'k', 0, 0, 0, 0, 0};
    const std::vector<int32_t> second = {'R', 'u', 'd', 0xFD, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(field(7 + i), first[i]) << "first name, code " << i;
        EXPECT_EQ(field(17 + i), second[i]) << "second name, code " << i;
    }
}

TEST_F(NamesHelpTest, HelpAndCreditsCloseOnThePressAndIgnoreKeys) {
    menu_click(HELP);
    e2e::move_mouse(s, 600, 580);
    ASSERT_TRUE(e2e::wait_for_screen(s, "help", TIMEOUT_MS, help_shown, img)) << "help did not open";
    for (const char* key : {"Escape", "Return", "space", "a"}) e2e::press_key(s, key);
    e2e::sleep_ms(800);
    img = e2e::screenshot(s, "help_after_keys");
    EXPECT_TRUE(help_shown(img)) << "keys must not close the help screen";

    // Pressed over "<> Autoři" beside the panel: the help closes while the
    // button is still down, and the release is a click on that item.
    e2e::move_mouse(s, ITEM_X, item_y(CREDITS));
    e2e::sleep_ms(100);
    ASSERT_EQ(e2e::run(s, "xdotool mousedown 1"), 0);
    const bool closed_on_press = e2e::wait_for_screen(s, "help_pressed", TIMEOUT_MS, menu_shown, img);
    ASSERT_EQ(e2e::run(s, "xdotool mouseup 1"), 0);
    ASSERT_TRUE(closed_on_press) << "help must close while the button is down";
    ASSERT_TRUE(e2e::wait_for_screen(s, "credits", TIMEOUT_MS, credits_shown, img)) << "credits did not open";
    for (const char* key : {"Escape", "Return"}) e2e::press_key(s, key);
    e2e::sleep_ms(800);
    EXPECT_TRUE(credits_shown(e2e::screenshot(s, "credits_after_keys")));

    e2e::move_mouse(s, 600, 500);  // below the credits panel, over no menu item
    e2e::sleep_ms(100);
    ASSERT_EQ(e2e::run(s, "xdotool mousedown 1"), 0);
    const bool credits_closed = e2e::wait_for_screen(s, "credits_pressed", TIMEOUT_MS, menu_shown, img);
    ASSERT_EQ(e2e::run(s, "xdotool mouseup 1"), 0);
    ASSERT_TRUE(credits_closed) << "credits must close while the button is down";
    e2e::sleep_ms(500);
    EXPECT_TRUE(menu_shown(e2e::screenshot(s, "menu_after_credits")));
    quit_and_wait();
}

// Columns of the names editor's line `line` (x 420 to the panel's edge at
// 700) that hold text in the normal colour.
std::vector<bool> text_columns(const Image& img, int line) {
    std::vector<bool> columns;
    for (int x = 420; x < 700; x++) {
        bool text = false;
        for (int y = 70 + 19 * line; y < 70 + 19 * (line + 1); y++) text = text || e2e::near(img.at(x, y), 200, 200, 200, 12);
        columns.push_back(text);
    }
    return columns;
}

// Clicks at (x, y), moves the pointer away and waits for pred.
template <class Pred>
bool click_then(const e2e::Session& s, int x, int y, const std::string& name, Pred pred, Image& img) {
    e2e::click(s, x, y);
    e2e::move_mouse(s, 780, 590);
    return e2e::wait_for_screen(s, name, TIMEOUT_MS, pred, img);
}

template <class Pred>
bool open_from_menu(const e2e::Session& s, int item, const std::string& name, Pred pred, Image& img) {
    e2e::move_mouse(s, 780, 590);
    return e2e::wait_for_menu(s, name + "_menu") && click_then(s, ITEM_X, item_y(item), name, pred, img);
}

// Opens the names editor from the menu, shoots it with the pointer away and
// leaves it.
Image names_editor_shot(const e2e::Session& s, const std::string& name) {
    Image img;
    EXPECT_TRUE(open_from_menu(s, NAMES, name, [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 170); },
                               img))
        << "no names editor";
    e2e::sleep_ms(200);
    img = e2e::screenshot(s, name);
    Image left;
    EXPECT_TRUE(click_then(s, NAMES_X, LEAVE_Y, name + "_left",
                            [](const Image& i) { return !e2e::frame_drawn(i, 400, 700, 50, 170); }, left));
    return img;
}

struct WidestNamesTest : ::testing::Test {
    e2e::Session s;
    void TearDown() override { e2e::stop_session(s); }
};

TEST_F(WidestNamesTest, FitTheEditorBesideTheirLabelsAndWidenTheWinPanelEvenly) {
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    const std::string data = s.workdir + "/Data/";
    // Two players; blue, to move, takes red's last man: 42 over 35 to 28.
    settings.opponent = OPPONENT_HUMAN;
    new_game();
    for (Square& q : board)
        if (!q.light) q.piece = EMPTY;
    board[42].piece = BLUE_MAN;
    board[35].piece = RED_MAN;
    SavedGames games;
    for (SaveSlot& slot : games.slots) default_slot(slot);
    slot_from_game(games.slots[0]);
    ASSERT_EQ(write_saved_games((data + "gamdat.tdt").c_str(), games), 1);

    // The default names first, as the editor has always drawn them.
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    const Image plain = names_editor_shot(s, "names_plain");
    e2e::click_menu_item(s, QUIT);
    int status = -1;
    ASSERT_TRUE(e2e::wait_game(s, TIMEOUT_MS, status)) << "\"Konec\" did not end the game";

    for (int side = 0; side < 2; side++)
        for (int i = 0; i < NAME_LEN; i++) settings.player_name[side][i] = i < 9 ? (side == 0 ? 0x17D : 'W') : 0;
    ASSERT_EQ(save_settings_to((data + "talvdat.tdt").c_str()), 1);
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    const Image wide = names_editor_shot(s, "names_widest");
    for (int line = 0; line < 2; line++) {
        SCOPED_TRACE(line);
        const std::vector<bool> before = text_columns(plain, line), after = text_columns(wide, line);
        // The label: text up to its first gap of sixteen columns.
        size_t label_end = 0;
        for (size_t x = 0, gap = 0; x < before.size() && gap < 16; x++) {
            gap = before[x] ? 0 : gap + 1;
            if (before[x]) label_end = x;
        }
        ASSERT_GT(label_end, 60u);
        for (size_t x = 0; x <= label_end + 4; x++) EXPECT_EQ(after[x], before[x]) << "column " << 420 + x;
        // The value ends where the short one did, or right of it, inside the panel.
        size_t right = 0, plain_right = 0, shown = 0;
        for (size_t x = label_end + 5; x < after.size(); x++) {
            if (after[x]) right = x, shown++;
            if (before[x]) plain_right = x;
        }
        EXPECT_GE(right + 1, plain_right);
        EXPECT_LT(right, after.size() - 4) << "the name must stay inside the panel";
        EXPECT_GT(shown, 60u) << "the name must still fill its room";
    }

    Image img;
    ASSERT_TRUE(open_from_menu(s, 7, "widest_slots",  // "Načíst hru"
                               [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 225); }, img));
    ASSERT_TRUE(click_then(s, 450, 79, "widest_loaded",
                            [](const Image& i) { return !e2e::frame_drawn(i, 400, 700, 50, 225); }, img));
    ASSERT_TRUE(open_from_menu(s, CONTINUE, "widest_board", board_shown, img));
    // The move-state line on the side panel tells when the man is picked up.
    e2e::sleep_ms(500);
    const auto state_at_start = text_mask(e2e::screenshot(s, "widest_board_ready"), 46, 539, 147, 555);
    ASSERT_TRUE(click_then(s, e2e::square_x(42), e2e::square_y(42), "widest_picked", [&state_at_start](const Image& i) {
        return text_mask(i, 46, 539, 147, 555) != state_at_start;
    }, img));
    // The panel's frame, centred on the board's middle at x = 507 whatever its width.
    int half = 0;
    ASSERT_TRUE(click_then(s, e2e::square_x(28), e2e::square_y(28), "widest_won", [&half](const Image& i) {
        for (half = 150; half < 260; half++)
            if (e2e::frame_drawn(i, 507 - half, 507 + half, 180, 340)) return true;
        return false;
    }, img)) << "no win panel centred on the board";
    const int left = 507 - half, right = 507 + half;
    EXPECT_LT(left, 347) << "the widest loser's line needs a wider panel";
    // Both name lines inside the frame, neither touching it.
    for (int y0 : {196, 227}) {
        int min_x = 800, max_x = -1;
        for (int y = y0; y < y0 + 30; y++)
            for (int x = 280; x < 740; x++)
                if (e2e::near(img.at(x, y), 220, 220, 250, 14)) min_x = std::min(min_x, x), max_x = std::max(max_x, x);
        EXPECT_GT(min_x, left + 4) << y0;
        EXPECT_LT(max_x, right - 4) << y0;
    }
}

}  // namespace
