// The play screen in the real game: the destination marker answers what a
// click there would do, compulsory capture included, and a refused move
// shows which pieces must capture; on a large screen the window shows the
// picture twice as large and every click lands where the picture shows it;
// the computer's last move stays marked, and Space hurries its pauses.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace {

using e2e::Image;

// Pixels of a square that differ clearly between two pictures.
int changed_pixels(const Image& a, const Image& b, int square) {
    const int x0 = 275 + (square % 8) * 58, y0 = 56 + (square / 8) * 58;
    int n = 0;
    for (int y = y0; y < y0 + 58; y++)
        for (int x = x0; x < x0 + 58; x++) n += e2e::distance(a.at(x, y), b.at(x, y)) > 60;
    return n;
}

// Pixels in the corners of a square (12 along each edge, 2 deep) that
// differ clearly from the same square in `plain`: the last move's mark.
int corner_pixels(const Image& img, const Image& plain, int square) {
    const int x0 = 275 + (square % 8) * 58, y0 = 56 + (square / 8) * 58;
    int n = 0;
    for (int a = 0; a < 12; a++)
        for (int b = 0; b < 2; b++)
            for (const int cx : {0, 57})
                for (const int cy : {0, 57}) {
                    const int dx = cx == 0 ? 1 : -1, dy = cy == 0 ? 1 : -1;
                    const int xs[2] = {x0 + cx + dx * a, x0 + cx + dx * b};
                    const int ys[2] = {y0 + cy + dy * b, y0 + cy + dy * a};
                    for (int k = 0; k < 2; k++) n += e2e::distance(img.at(xs[k], ys[k]), plain.at(xs[k], ys[k])) > 60;
                }
    return n;
}

// Dark squares whose piece differs between two pictures.
std::vector<int> moved_squares(const Image& a, const Image& b) {
    std::vector<int> squares;
    for (int sq = 0; sq < 64; sq++) {
        if ((sq / 8 + sq % 8) % 2 == 0) continue;
        if (e2e::red_piece_on(a, sq) != e2e::red_piece_on(b, sq) || e2e::blue_piece_on(a, sq) != e2e::blue_piece_on(b, sq))
            squares.push_back(sq);
    }
    return squares;
}

int red_on_row_3(const Image& img) {
    int n = 0;
    for (int sq = 24; sq < 32; sq++) n += e2e::red_piece_on(img, sq);
    return n;
}

// The position put into slot 1 is loaded from the menu and shown.
bool load_slot_one(e2e::Session& s, const std::string& position, std::string& error) {
    const std::string cli = std::string(TALVENA_BUILD_DIR) + "/talvena-cli ";
    if (e2e::run(s, cli + "slots " + s.workdir + "/Data/gamdat.tdt --put 1 '" + position + "' --opponent human") != 0) {
        error = "talvena-cli could not put the position";
        return false;
    }
    if (!e2e::start_game(s, error)) return false;
    if (!e2e::wait_for_menu(s, "slot_menu")) {
        error = "no main menu";
        return false;
    }
    e2e::click_menu_item(s, 7);  // "Načíst hru"
    Image img;
    if (!e2e::wait_for_grab(s, "slot_list", 10000, [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 225); },
                            img)) {
        error = "no slots screen";
        return false;
    }
    e2e::click_screen_line(s, 50, 0, 5);
    if (!e2e::wait_for_menu(s, "slot_loaded_menu")) {
        error = "the slots screen did not close";
        return false;
    }
    e2e::click_menu_item(s, 1);  // "Spustit načtenou hru"
    e2e::move_mouse(s, 780, 580);
    if (!e2e::wait_for_grab(s, "slot_board", 10000, [](const Image& i) { return !e2e::main_menu_shown(i); }, img)) {
        error = "the loaded game did not start";
        return false;
    }
    return true;
}

// Blue's man on c3 (42) must take d4 (35); the man on g1 (62) may not step.
TEST(PlayScreenE2E, TheMarkerAnswersWhatTheClickWouldDo) {
    e2e::Session s;
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    ASSERT_TRUE(load_slot_one(s, "W:Wc3,g1:Bd4,h8", error)) << error;
    Image img;
    ASSERT_TRUE(e2e::wait_for_grab(s, "truth_board", 5000, [](const Image& i) {
        return e2e::blue_piece_on(i, 42) && e2e::blue_piece_on(i, 62) && e2e::red_piece_on(i, 35);
    }, img)) << "the position is not on the board";
    const Image before = img;

    // g1 picked, the pointer on f2: a legal step that the click would refuse.
    e2e::click_square(s, 62);
    e2e::move_mouse(s, e2e::square_x(53), e2e::square_y(53));
    e2e::sleep_ms(300);
    img = e2e::screenshot(s, "truth_refused_step");
    EXPECT_LT(e2e::marker_pixels(img, 53), 20) << "the allowed-move ring over a move the click refuses";
    EXPECT_GT(e2e::count_near(img, 275 + 5 * 58, 56 + 6 * 58, 275 + 6 * 58, 56 + 7 * 58, 200, 40, 30, 60), 20)
        << "no refusal marker";

    // The click is refused; while the notice stands the man that must take
    // is marked, and nothing else changes.
    e2e::click_square(s, 53);
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "truth_notice", 3000, [](const Image& i) {
        return e2e::frame_drawn(i, 387, 627, 200, 300);
    }, img)) << "no notice";
    img = e2e::screenshot(s, "truth_must_capture");
    EXPECT_GT(changed_pixels(before, img, 42), 200) << "the man that must capture is not marked";
    EXPECT_EQ(changed_pixels(before, img, 62), 0) << "the refused man still looks picked";
    EXPECT_EQ(changed_pixels(before, img, 53), 0);
    ASSERT_TRUE(e2e::wait_for_grab(s, "truth_notice_gone", 5000, [](const Image& i) {
        return !e2e::frame_drawn(i, 387, 627, 200, 300);
    }, img));
    EXPECT_LT(changed_pixels(before, img, 42), 10) << "the mark outlived the notice";

    // c3 picked, the pointer on e5: the capture is allowed, and made.
    e2e::click_square(s, 42);
    e2e::move_mouse(s, e2e::square_x(28), e2e::square_y(28));
    e2e::sleep_ms(300);
    img = e2e::screenshot(s, "truth_capture");
    EXPECT_GT(e2e::marker_pixels(img, 28), 150) << "no ring over the capture";
    e2e::click_square(s, 28);
    e2e::move_mouse(s, 780, 580);
    EXPECT_TRUE(e2e::wait_for_grab(s, "truth_captured", 5000, [](const Image& i) {
        return e2e::blue_piece_on(i, 28) && !e2e::red_piece_on(i, 35);
    }, img)) << "the capture was not made";

    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    e2e::stop_session(s);
}

// A 2560x1600 screen: the window shows the picture twice as large.
TEST(PlayScreenE2E, DoubledWindowOnALargeScreen) {
    e2e::Session s;
    s.screen = "2560x1600x24";
    s.scale = 2;
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    std::string instance, res_class;
    EXPECT_TRUE(e2e::window_class(s, instance, res_class));
    EXPECT_EQ(instance, "talvena");
    EXPECT_EQ(res_class, "Talvena") << "the desktop entry's StartupWMClass";
    ASSERT_TRUE(e2e::wait_for_menu(s, "scale2_menu"));
    const Image window = e2e::grab_window(s);
    ASSERT_EQ(window.width, 1600);
    ASSERT_EQ(window.height, 1200);
    // Every picture pixel is a 2x2 block (no smoothing), over the menu's panel
    // and its text.
    int uneven = 0;
    for (int y = 40; y < 420; y++)
        for (int x = 40; x < 320; x++) {
            const e2e::Pixel p = window.at(2 * x, 2 * y);
            uneven += e2e::distance(p, window.at(2 * x + 1, 2 * y)) + e2e::distance(p, window.at(2 * x, 2 * y + 1)) +
                          e2e::distance(p, window.at(2 * x + 1, 2 * y + 1)) > 0;
        }
    EXPECT_EQ(uneven, 0);

    // A menu click and a board move land where the picture shows them.
    ASSERT_TRUE(e2e::start_new_game(s, false, error)) << error;
    Image img;
    ASSERT_TRUE(e2e::wait_for_grab(s, "scale2_board", 5000, [](const Image& i) {
        return e2e::blue_pieces(i) == 12 && e2e::red_pieces(i) == 12;
    }, img)) << "no board";
    const Image opening = img;
    e2e::click_square(s, 42);
    e2e::click_square(s, 33);
    const long moved_at = e2e::now_ms();
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "scale2_moved", 5000, [](const Image& i) {
        return e2e::blue_piece_on(i, 33) && !e2e::blue_piece_on(i, 42);
    }, img)) << "the move did not land on c3-b4";
    const Image after_blue = img;
    EXPECT_GT(corner_pixels(after_blue, opening, 42), 40) << "the square left is not marked";
    EXPECT_GT(corner_pixels(after_blue, opening, 33), 40) << "the square reached is not marked";

    // The computer's reply at its own pace, then marked in place of blue's move.
    ASSERT_TRUE(e2e::wait_for_grab(s, "scale2_reply", 20000, [](const Image& i) { return red_on_row_3(i) == 1; }, img))
        << "the computer did not answer";
    const long unhurried_ms = e2e::now_ms() - moved_at;
    e2e::sleep_ms(200);
    img = e2e::screenshot(s, "scale2_last_move");
    const std::vector<int> reply = moved_squares(after_blue, img);
    ASSERT_EQ(reply.size(), 2u) << "the reply should move one man";
    for (const int sq : reply) EXPECT_GT(corner_pixels(img, opening, sq), 40) << "reply square " << sq << " unmarked";
    EXPECT_LT(corner_pixels(img, opening, 42), 10) << "blue's move is still marked";
    EXPECT_LT(corner_pixels(img, opening, 33), 10);
    EXPECT_LT(e2e::marker_pixels(img, reply[0]) + e2e::marker_pixels(img, reply[1]), 20)
        << "the mark is not the green ring";

    // The next reply hurried with Space, pause by pause.
    const Image before_second = img;
    e2e::click_square(s, 46);
    e2e::click_square(s, 37);
    const long second_at = e2e::now_ms();
    e2e::move_mouse(s, 780, 580);
    long hurried_ms = -1;
    for (int press = 0; press < 6 && hurried_ms < 0; press++) {
        const Image shown = e2e::grab(s);
        e2e::run(s, "xdotool key space");
        e2e::wait_changed(s, shown, 1500, 507, 287, 240);
        img = e2e::grab(s);
        if (red_on_row_3(img) == 2 || moved_squares(before_second, img).size() >= 4) hurried_ms = e2e::now_ms() - second_at;
    }
    ASSERT_GE(hurried_ms, 0) << "Space did not bring the reply";
    img = e2e::screenshot(s, "scale2_hurried");
    EXPECT_LT(hurried_ms, unhurried_ms / 2) << "hurried " << hurried_ms << " ms, unhurried " << unhurried_ms << " ms";
    std::printf("computer's reply: %ld ms at its pace, %ld ms hurried with Space\n", unhurried_ms, hurried_ms);
    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;

    // "scale = 1" in Data/allegro.cfg: the picture's own size.
    const std::string cfg = s.workdir + "/Data/allegro.cfg";
    std::stringstream text;
    text << std::ifstream(cfg).rdbuf();
    std::string edited = text.str();
    const size_t at = edited.find("scale = 0");
    ASSERT_NE(at, std::string::npos) << edited;
    edited.replace(at, 9, "scale = 1");
    std::ofstream(cfg) << edited;
    s.scale = 1;
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::wait_for_menu(s, "scale1_menu"));
    const Image small = e2e::grab_window(s);
    EXPECT_EQ(small.width, 800);
    EXPECT_EQ(small.height, 600);
    EXPECT_TRUE(e2e::start_new_game(s, false, error)) << error;
    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    e2e::stop_session(s);
}

}  // namespace
