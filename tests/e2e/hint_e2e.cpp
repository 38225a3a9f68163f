// The hint in the real game: H on a human's turn shows the engine's choice,
// the chosen piece as picked and then its destination marked, for about two
// seconds, without playing it; Backspace before it comes drops it.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <utility>

#include "e2e/harness.h"

namespace {

using e2e::Image;
using e2e::Pixel;

int marked_square(const Image& img) {
    for (int sq = 0; sq < 64; sq++)
        if (e2e::marker_pixels(img, sq) > 150) return sq;
    return -1;
}

// Squares with more than a few pixels that differ in the two images (the
// picked look is a ring round the piece).
std::set<int> changed_squares(const Image& a, const Image& b) {
    std::set<int> changed;
    for (int sq = 0; sq < 64; sq++) {
        const int x0 = 275 + (sq % 8) * 58, y0 = 56 + (sq / 8) * 58;
        int n = 0;
        for (int y = y0 + 1; y < y0 + 57; y++)
            for (int x = x0 + 1; x < x0 + 57; x++) n += e2e::distance(a.at(x, y), b.at(x, y)) > 60;
        if (n > 40) changed.insert(sq);
    }
    return changed;
}

TEST(HintE2E, HShowsTheEnginesMoveForAboutTwoSecondsWithoutPlayingIt) {
    e2e::Session s;
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::start_new_game(s, true, error)) << error;
    e2e::move_mouse(s, 780, 580);
    e2e::sleep_ms(300);
    const Image before = e2e::screenshot(s, "hint_before");

    e2e::press_key(s, "h");
    const auto asked = std::chrono::steady_clock::now();
    Image img;
    ASSERT_TRUE(e2e::wait_for_grab(s, "hint_marked", 6000, [](const Image& i) { return marked_square(i) >= 0; }, img))
        << "no destination marked";
    const long marked_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked).count();
    img = e2e::screenshot(s, "hint_shown");
    const int to = marked_square(img);
    // Exactly the piece and its destination differ from the board before.
    const std::set<int> changed = changed_squares(before, img);
    ASSERT_EQ(changed.size(), 2u) << "squares changed: " << changed.size();
    ASSERT_EQ(changed.count(to), 1u);
    const int from = *changed.begin() == to ? *changed.rbegin() : *changed.begin();
    // One of blue's seven opening moves: a man of row 5 one step up.
    const std::set<std::pair<int, int>> opening = {{40, 33}, {42, 33}, {42, 35}, {44, 35},
                                                   {44, 37}, {46, 37}, {46, 39}};
    EXPECT_EQ(opening.count({from, to}), 1u) << from << "-" << to;
    // Half a second of thinking and a second with the piece alone, give or
    // take the machine's load.
    EXPECT_GE(marked_ms, 800);

    // Gone after about two seconds, and nothing was played.
    ASSERT_TRUE(e2e::wait_for_grab(
        s, "hint_gone", 6000, [&](const Image& i) { return changed_squares(before, i).empty(); }, img))
        << "the hint stayed";

    // Backspace before the answer comes: nothing is shown.
    e2e::press_key(s, "h");
    e2e::press_key(s, "BackSpace");
    e2e::sleep_ms(2000);
    img = e2e::screenshot(s, "hint_dropped");
    EXPECT_TRUE(changed_squares(before, img).empty());

    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    e2e::stop_session(s);
}

}  // namespace
