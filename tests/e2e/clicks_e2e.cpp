// Short clicks in the real window, on a menu line and on the board. The
// screens sleep between passes, so a press of 20 ms must still be seen by
// one; and a press and release sent back to back (remote desktops,
// accessibility tools, `xdotool click`) must count like a held click.
#include <gtest/gtest.h>

#include <string>

#include "e2e/harness.h"

namespace {

using e2e::Image;

bool blue_man_on(const Image& img, int square) {
    const e2e::Pixel p = e2e::square_colour(img, square, 10);
    return p.b > p.r + 60;
}

struct ClicksE2E : ::testing::Test {
    e2e::Session s;
    std::string error;
    void SetUp() override {
        ASSERT_TRUE(e2e::start_session(s, error)) << error;
        ASSERT_TRUE(e2e::start_game(s, error)) << error;
        ASSERT_TRUE(e2e::wait_for_menu(s, "clicks_menu"));
    }
    void TearDown() override { e2e::stop_session(s); }

    // The pointer is put in place first (a frame shows it there); then one
    // xdotool call presses and releases: `press` is "click 1" or, say,
    // "mousedown 1 sleep 0.02 mouseup 1".
    void short_click(int x, int y, const std::string& press) {
        const Image before = e2e::grab(s);
        e2e::move_mouse(s, x, y);
        e2e::wait_changed(s, before, e2e::STEP_WAIT_MS, x, y, 24);
        e2e::run(s, "xdotool " + press);
    }

    // "Nápověda" opens the help screen; the press that closes it is
    // ordinary. Then "Nová hra" and the opening move 42-33 by hand.
    void menu_line_and_move(const std::string& press, const std::string& shots) {
        short_click(100, 70 + 30 * 9 + 10, press);
        Image img;
        ASSERT_TRUE(e2e::wait_for_grab(s, shots + "_help", 5000,
                                       [](const Image& i) { return e2e::frame_drawn(i, 340, 780, 50, 560); }, img))
            << "the click on \"Nápověda\" was lost";
        e2e::click(s, 600, 580);
        ASSERT_TRUE(e2e::wait_for_menu(s, shots + "_menu_again"));
        e2e::click_menu_item(s, 0);
        ASSERT_TRUE(e2e::wait_for_grab(s, shots + "_board", 10000, [](const Image& i) { return !e2e::main_menu_shown(i); },
                                       img));
        short_click(e2e::square_x(42), e2e::square_y(42), press);
        short_click(e2e::square_x(33), e2e::square_y(33), press);
        e2e::move_mouse(s, 780, 590);
        EXPECT_TRUE(e2e::wait_for_grab(s, shots + "_moved", 5000,
                                       [](const Image& i) { return blue_man_on(i, 33) && !blue_man_on(i, 42); }, img))
            << "the clicks on the board were lost";
        e2e::screenshot(s, shots + "_moved");
    }
};

TEST_F(ClicksE2E, APressOfTwentyMillisecondsIsAClick) {
    menu_line_and_move("mousedown 1 sleep 0.02 mouseup 1", "click_20ms");
}

TEST_F(ClicksE2E, APressAndReleaseBackToBackIsAClick) { menu_line_and_move("click 1", "click_zero"); }

}  // namespace
