// The play screen in the real game: the destination marker answers what a
// click there would do and a refused move shows which pieces must capture;
// on a large screen the window shows the picture twice as large and clicks
// land where the picture shows them; the computer's last move stays marked,
// and Space hurries its pauses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace {

using e2e::Image;

// Pixels of a square, or of its corners only (12 along each edge, 2 deep),
// that differ clearly between two pictures.
int changed_pixels(const Image& a, const Image& b, int square, bool corners_only = false) {
    const int x0 = 275 + (square % 8) * 58, y0 = 56 + (square / 8) * 58;
    int n = 0;
    for (int y = 0; y < 58; y++)
        for (int x = 0; x < 58; x++) {
            const bool corner = (std::min(x, 57 - x) < 12 && std::min(y, 57 - y) < 2) ||
                                (std::min(y, 57 - y) < 12 && std::min(x, 57 - x) < 2);
            if (!corners_only || corner) n += e2e::distance(a.at(x0 + x, y0 + y), b.at(x0 + x, y0 + y)) > 60;
        }
    return n;
}

std::vector<int> moved_squares(const Image& a, const Image& b) {
    std::vector<int> squares;
    for (int sq = 0; sq < 64; sq++)
        if (e2e::red_piece_on(a, sq) != e2e::red_piece_on(b, sq) ||
            e2e::blue_piece_on(a, sq) != e2e::blue_piece_on(b, sq))
            squares.push_back(sq);
    return squares;
}

int red_on_row_3(const Image& img) {
    int n = 0;
    for (int sq = 24; sq < 32; sq++) n += e2e::red_piece_on(img, sq);
    return n;
}

// A failed assertion leaves the test early: the X server and the game go too.
struct Stopped {
    e2e::Session& s;
    ~Stopped() { e2e::stop_session(s); }
};

bool notice_shown(const Image& i) { return e2e::frame_drawn(i, 387, 627, 200, 300); }

// Blue's man on c3 (42) must take d4 (35); the man on g1 (62) may not step.
TEST(PlayScreenE2E, TheMarkerAnswersWhatTheClickWouldDo) {
    e2e::Session s;
    const Stopped stopped{s};
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    ASSERT_EQ(e2e::run(s, std::string(TALVENA_BUILD_DIR) + "/talvena-cli slots " + s.workdir +
                              "/Data/gamdat.tdt --put 1 'W:Wc3,g1:Bd4,h8' --opponent human"),
              0);
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::wait_for_menu(s, "truth_menu"));
    e2e::click_menu_item(s, 7);  // "Načíst hru", slot 1, "Spustit načtenou hru"
    Image img;
    ASSERT_TRUE(e2e::wait_for_grab(
        s, "truth_slots", 10000, [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 225); }, img));
    e2e::click_screen_line(s, 50, 0, 5);
    ASSERT_TRUE(e2e::wait_for_menu(s, "truth_loaded"));
    e2e::click_menu_item(s, 1);
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "truth_board", 10000, [](const Image& i) {
        return !e2e::main_menu_shown(i) && e2e::blue_piece_on(i, 42) && e2e::blue_piece_on(i, 62) &&
               e2e::red_piece_on(i, 35);
    }, img));
    const Image before = img;

    // g1 picked, the pointer on f2: a legal step that the click would refuse.
    e2e::click_square(s, 62);
    e2e::move_mouse(s, e2e::square_x(53), e2e::square_y(53));
    e2e::sleep_ms(300);
    img = e2e::screenshot(s, "truth_refused_step");
    EXPECT_LT(e2e::marker_pixels(img, 53), 20) << "the allowed-move ring over a move the click refuses";
    EXPECT_GT(e2e::count_near(img, 565, 404, 623, 462, 200, 40, 30, 60), 20) << "no refusal marker";

    // Refused: while the notice stands the man that must take is lit.
    e2e::click_square(s, 53);
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "truth_notice", 3000, notice_shown, img)) << "no notice";
    img = e2e::screenshot(s, "truth_must_capture");
    EXPECT_GT(changed_pixels(before, img, 42), 200) << "the man that must capture is not marked";
    EXPECT_EQ(changed_pixels(before, img, 62) + changed_pixels(before, img, 53), 0);
    ASSERT_TRUE(e2e::wait_for_grab(s, "truth_notice_gone", 5000, [](const Image& i) { return !notice_shown(i); }, img));
    EXPECT_LT(changed_pixels(before, img, 42), 10) << "the mark outlived the notice";

    // c3 picked, the pointer on e5: the capture is allowed, and made.
    e2e::click_square(s, 42);
    e2e::move_mouse(s, e2e::square_x(28), e2e::square_y(28));
    e2e::sleep_ms(300);
    EXPECT_GT(e2e::marker_pixels(e2e::screenshot(s, "truth_capture"), 28), 150) << "no ring over the capture";
    e2e::click_square(s, 28);
    e2e::move_mouse(s, 780, 580);
    EXPECT_TRUE(e2e::wait_for_grab(s, "truth_captured", 5000, [](const Image& i) {
        return e2e::blue_piece_on(i, 28) && !e2e::red_piece_on(i, 35);
    }, img));
    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
}

// A 2560x1600 screen: the window shows the picture twice as large.
TEST(PlayScreenE2E, DoubledWindowOnALargeScreen) {
    e2e::Session s;
    s.screen = "2560x1600x24";
    s.scale = 2;
    const Stopped stopped{s};
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    std::string instance, res_class;
    EXPECT_TRUE(e2e::window_class(s, instance, res_class));
    EXPECT_EQ(instance + " " + res_class, "talvena Talvena") << "the desktop entry's StartupWMClass";
    ASSERT_TRUE(e2e::wait_for_menu(s, "scale2_menu"));
    const Image window = e2e::grab_window(s);
    ASSERT_EQ(window.width * 10000 + window.height, 1600 * 10000 + 1200);
    // Every picture pixel of the menu is a sharp 2x2 block.
    const int dx[3] = {1, 0, 1}, dy[3] = {0, 1, 1};
    int uneven = 0;
    for (int y = 40; y < 420; y++)
        for (int x = 40; x < 320; x++)
            for (int k = 0; k < 3; k++)
                uneven += e2e::distance(window.at(2 * x, 2 * y), window.at(2 * x + dx[k], 2 * y + dy[k])) > 0;
    EXPECT_EQ(uneven, 0);

    // A menu click and a board move land where the picture shows them.
    ASSERT_TRUE(e2e::start_new_game(s, false, error)) << error;
    Image img;
    ASSERT_TRUE(e2e::wait_for_grab(s, "scale2_board", 5000, [](const Image& i) {
        return e2e::blue_pieces(i) == 12 && e2e::red_pieces(i) == 12;
    }, img));
    const Image opening = img;
    e2e::click_square(s, 42);
    e2e::click_square(s, 33);
    const long moved_at = e2e::now_ms();
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "scale2_moved", 5000, [](const Image& i) {
        return e2e::blue_piece_on(i, 33) && !e2e::blue_piece_on(i, 42);
    }, img)) << "the move did not land on c3-b4";
    const Image after_blue = img;
    EXPECT_GT(changed_pixels(after_blue, opening, 42, true) + changed_pixels(after_blue, opening, 33, true), 80)
        << "blue's move is not marked";

    // The computer's reply at its own pace is marked in place of blue's move.
    ASSERT_TRUE(e2e::wait_for_grab(s, "scale2_reply", 20000, [](const Image& i) { return red_on_row_3(i) == 1; }, img));
    const long unhurried_ms = e2e::now_ms() - moved_at;
    e2e::sleep_ms(200);
    img = e2e::screenshot(s, "scale2_last_move");
    const std::vector<int> reply = moved_squares(after_blue, img);
    ASSERT_EQ(reply.size(), 2u) << "the reply should move one man";
    for (const int sq : reply) EXPECT_GT(changed_pixels(img, opening, sq, true), 40) << "reply square " << sq;
    EXPECT_LT(changed_pixels(img, opening, 42, true) + changed_pixels(img, opening, 33, true), 10);
    EXPECT_LT(e2e::marker_pixels(img, reply[0]) + e2e::marker_pixels(img, reply[1]), 20) << "not the green ring";

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
        // Blue's move is two squares; red's step adds two more, a capture of
        // the man just moved one more and a blue man fewer.
        const Image now = e2e::grab(s);
        if (moved_squares(before_second, now).size() >= 3 || e2e::blue_pieces(now) < 12)
            hurried_ms = e2e::now_ms() - second_at;
    }
    e2e::screenshot(s, "scale2_hurried");
    ASSERT_GE(hurried_ms, 0) << "Space did not bring the reply";
    EXPECT_LT(hurried_ms, unhurried_ms / 2) << hurried_ms << " ms hurried, " << unhurried_ms << " ms not";
    std::printf("computer's reply: %ld ms at its pace, %ld ms hurried with Space\n", unhurried_ms, hurried_ms);
    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;

    // "scale = 1" in Data/allegro.cfg: the picture's own size.
    const std::string cfg = s.workdir + "/Data/allegro.cfg";
    std::stringstream text;
    text << std::ifstream(cfg).rdbuf();
    std::string edited = text.str();
    ASSERT_NE(edited.find("scale = 0"), std::string::npos) << edited;
    std::ofstream(cfg) << edited.replace(edited.find("scale = 0"), 9, "scale = 1");
    s.scale = 1;
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::wait_for_menu(s, "scale1_menu"));
    EXPECT_EQ(e2e::grab_window(s).width, 800);
    e2e::click_menu_item(s, 10);  // "Konec"
    int status = -1;
    EXPECT_TRUE(e2e::wait_game(s, 10000, status) && status == 0);
}

}  // namespace
