// The computer opponent in the real game: X switches a two-player game
// (chosen in the settings screen) to
// one against the computer, which answers a move with its three pauses:
// thinking, the chosen piece shown, the destination marked, then the move.
#include <gtest/gtest.h>

#include <string>

#include "app/temp_dir.h"
#include "e2e/harness.h"

namespace {

using e2e::Image;
using e2e::Pixel;


bool red_man_on(const Image& img, int square) {
    Pixel p = e2e::square_colour(img, square, 10);
    return p.r > p.b + 60 && p.r > p.g + 60;
}

// Leftmost pixel of the level line's text (right-aligned at x = 147): the
// longer "Profesionál" starts further left than "Dvojhra".
int level_text_left(const Image& img) {
    for (int x = 46; x <= 147; x++)
        for (int y = 124; y < 142; y++)
            if (e2e::near(img.at(x, y), 170, 170, 170, 10)) return x;
    return 999;
}

long seconds_since(long t) { return e2e::now_ms() - t; }

TEST(ComputerE2E, XSwitchesToTheComputerWhichAnswersAfterItsPauses) {
    e2e::Session s;
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::start_new_game(s, true, error)) << error;

    Image img = e2e::screenshot(s, "computer_two_players");
    const int two_players_left = level_text_left(img);
    ASSERT_LT(two_players_left, 147) << "no level text";

    // Holding X flips on every frame: tap it until the panel shows the level
    // of the computer instead of "Dvojhra".
    bool switched = false;
    for (int attempt = 0; attempt < 40 && !switched; attempt++) {
        e2e::run(s, "xdotool keydown x");
        e2e::sleep_ms(20 + attempt % 7);
        e2e::run(s, "xdotool keyup x");
        e2e::sleep_ms(150);
        img = e2e::screenshot(s, "computer_switched");
        switched = level_text_left(img) < two_players_left - 10;
    }
    ASSERT_TRUE(switched) << "X never left the two-player game";

    // Blue (the human) opens 42-33; red is the computer's.
    e2e::click_square(s, 8 * 5 + 2);
    e2e::click_square(s, 8 * 4 + 1);
    const long moved_at = e2e::now_ms();
    e2e::move_mouse(s, 780, 580);

    // Wait for a red man to arrive on row 3, watching for the marker first.
    const int row3[] = {24, 26, 28, 30};
    int marked = -1, arrived = -1;
    long arrived_ms = 0;
    while (seconds_since(moved_at) < 20000 && arrived < 0) {
        img = e2e::screenshot(s, "computer_reply");
        for (int sq : row3) {
            if (red_man_on(img, sq)) {
                arrived = sq;
                arrived_ms = seconds_since(moved_at);
            } else if (marked < 0 && e2e::marker_pixels(img, sq) > 150) {
                marked = sq;
                e2e::screenshot(s, "computer_marker");
            }
        }
        e2e::sleep_ms(150);
    }
    ASSERT_GE(arrived, 0) << "the computer did not move";
    EXPECT_EQ(marked, arrived) << "the destination should be marked before the move";
    // Three waits of just over two seconds each.
    EXPECT_GE(arrived_ms, 6000);
    img = e2e::screenshot(s, "computer_moved");
    int red_back = 0;
    for (int sq = 0; sq < 24; sq++) red_back += red_man_on(img, sq);
    EXPECT_EQ(red_back, 11) << "exactly one red man left the back rows";

    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    e2e::stop_session(s);
}

// A game against "mistr", set in the settings file the game reads at start:
// the panel names the level, the engine's reply is a legal one, and the
// level is written back at exit.
TEST(ComputerE2E, MistrFromTheSettingsFileAnswersWithALegalMove) {
    e2e::Session s;
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    const std::string settings_path = s.workdir + "/Data/talvdat.tdt";
    Bytes file(108, 0);
    const int32_t numbers[] = {1, 3, 2, 12, 255, 255, -1};  // computer, mistr, red, 12 men
    for (int i = 0; i < 7; i++) put_le32(file, 4 * i, numbers[i]);
    write_bytes(settings_path, file);
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::start_new_game(s, false, error)) << error;

    Image img = e2e::screenshot(s, "mistr_board");
    // "Mistr" is shorter than "Profesionál" and "Dvojhra": its first pixel
    // stands right of theirs (at 147 - width).
    const int level_left = level_text_left(img);
    EXPECT_GT(level_left, 100) << "the level line does not read Mistr";
    EXPECT_LT(level_left, 147) << "no level text";

    // Blue opens 42-33; red's reply must be one of its seven opening steps
    // and come after the pauses.
    e2e::click_square(s, 8 * 5 + 2);
    e2e::click_square(s, 8 * 4 + 1);
    const long moved_at = e2e::now_ms();
    e2e::move_mouse(s, 780, 580);
    const int row3[] = {24, 26, 28, 30};
    int arrived = -1;
    while (seconds_since(moved_at) < 30000 && arrived < 0) {
        img = e2e::screenshot(s, "mistr_reply");
        for (int sq : row3)
            if (red_man_on(img, sq)) arrived = sq;
        e2e::sleep_ms(200);
    }
    ASSERT_GE(arrived, 0) << "the computer did not move";
    EXPECT_GE(seconds_since(moved_at), 6000);
    img = e2e::screenshot(s, "mistr_moved");
    int red_back = 0, red_row2 = 0;
    for (int sq = 0; sq < 24; sq++) red_back += red_man_on(img, sq);
    for (int sq = 16; sq < 24; sq++) red_row2 += red_man_on(img, sq);
    EXPECT_EQ(red_back, 11) << "exactly one red man left the back rows";
    EXPECT_EQ(red_row2, 3) << "the man that moved came from the front row";
    // From the front row a red man steps one square down a diagonal.
    bool from_front = false;
    for (int from : {17, 19, 21, 23})
        if (!red_man_on(img, from) && (arrived == from + 7 || arrived == from + 9)) from_front = true;
    EXPECT_TRUE(from_front) << "red arrived on " << arrived;
    EXPECT_EQ(e2e::blue_pieces(img), 12);
    EXPECT_EQ(e2e::red_pieces(img), 12);

    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    const Bytes after = read_bytes(settings_path);
    ASSERT_EQ(after.size(), 108u);
    EXPECT_EQ(le32_at(after, 4), 3);
    e2e::stop_session(s);
}

}  // namespace
