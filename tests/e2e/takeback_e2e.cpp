// Taking back and keeping games in the real game: Backspace takes back a
// move and the computer's reply; the game left by "Ukončit hru" lands in
// Data/partie.pdn as talvena-cli reads it; a position talvena-cli puts into
// a slot is loaded and played from there, and is not kept without a move; a
// save in the middle of a capture chain keeps the position of the turn's start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "app/temp_dir.h"
#include "e2e/harness.h"

namespace {

using e2e::blue_piece_on;
using e2e::click_square;
using e2e::Image;
using e2e::red_piece_on;

// Pieces of a colour on the dark squares first..last.
int count_on(const Image& img, bool (*on)(const Image&, int), int first, int last) {
    int n = 0;
    for (int sq = first; sq <= last; sq++) n += (sq / 8 + sq % 8) % 2 == 1 && on(img, sq);
    return n;
}

std::string read_text(const std::string& path) {
    const Bytes b = read_bytes(path);
    return std::string(b.begin(), b.end());
}

TEST(TakebackE2E, BackspaceKeptGameAndPutSlot) {
    e2e::Session s;
    std::string error;
    ASSERT_TRUE(e2e::start_session(s, error)) << error;
    const std::string kept = s.workdir + "/Data/partie.pdn";
    const std::string cli = std::string(TALVENA_BUILD_DIR) + "/talvena-cli ";
    ::unlink(kept.c_str());
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::start_new_game(s, false, error)) << error;

    // Blue (the human) c3-b4; red is the computer's and answers on row 3.
    click_square(s, 42);
    click_square(s, 33);
    e2e::move_mouse(s, 780, 580);
    Image img;
    ASSERT_TRUE(e2e::wait_for_grab(s, "takeback_reply", 20000, [](const Image& i) {
        return blue_piece_on(i, 33) && count_on(i, red_piece_on, 24, 31) == 1;
    }, img)) << "the computer did not answer";
    e2e::screenshot(s, "takeback_replied");

    e2e::press_key(s, "BackSpace");
    EXPECT_TRUE(e2e::wait_for_grab(s, "takeback_back", 5000, [](const Image& i) {
        return blue_piece_on(i, 42) && !blue_piece_on(i, 33) && count_on(i, red_piece_on, 0, 23) == 12 &&
               e2e::red_pieces(i) == 12 && count_on(i, blue_piece_on, 40, 63) == 12;
    }, img)) << "Backspace did not bring back the opening";
    e2e::screenshot(s, "takeback_opening_again");

    // Another first move, then the game is left from the menu.
    click_square(s, 44);
    click_square(s, 35);
    e2e::move_mouse(s, 780, 580);
    EXPECT_TRUE(e2e::wait_for_grab(s, "takeback_second", 5000, [](const Image& i) { return blue_piece_on(i, 35); }, img));
    e2e::press_key(s, "Escape");
    ASSERT_TRUE(e2e::wait_for_menu(s, "takeback_menu"));
    e2e::click_menu_item(s, 2);  // "Ukončit hru"
    for (int waited = 0; waited < 5000 && read_text(kept).empty(); waited += 100) e2e::sleep_ms(100);

    const std::string pdn = read_text(kept);
    EXPECT_NE(pdn.find("\n1. e3-d4 *\n"), std::string::npos) << "the taken-back move stayed: " << pdn;
    std::string out;
    EXPECT_EQ(e2e::run(s, cli + "pdn " + kept, &out), 0);
    EXPECT_NE(out.find(" - Počítač (profesionál), *, 1 move\n"), std::string::npos) << out;
    e2e::run(s, cli + "pdn " + kept + " --game 1 --fen", &out);
    EXPECT_EQ(out, "B:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,g3,d4:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8\n");

    // A position put into slot 3 while the game runs, loaded from the menu.
    ASSERT_EQ(e2e::run(s, cli + "slots " + s.workdir + "/Data/gamdat.tdt --put 3 'W:Wc3,Ke1:Bf6,h8' --opponent human"),
              0);
    e2e::click_menu_item(s, 7);  // "Načíst hru"
    ASSERT_TRUE(e2e::wait_for_grab(s, "put_slots", 10000,
                                   [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 225); }, img));
    e2e::click_screen_line(s, 50, 2, 5);
    ASSERT_TRUE(e2e::wait_for_menu(s, "put_loaded_menu"));
    e2e::click_menu_item(s, 1);  // "Spustit načtenou hru"
    e2e::move_mouse(s, 780, 580);
    EXPECT_TRUE(e2e::wait_for_grab(s, "put_board", 10000, [](const Image& i) {
        return !e2e::main_menu_shown(i) && blue_piece_on(i, 42) && blue_piece_on(i, 60) && red_piece_on(i, 21) &&
               red_piece_on(i, 7) && e2e::blue_pieces(i) == 2 && e2e::red_pieces(i) == 2;
    }, img)) << "the board does not show the position put into slot 3";
    e2e::screenshot(s, "put_board");

    // Left without a move, the loaded game is not kept.
    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    EXPECT_EQ(read_text(kept), pdn);

    // c1 takes d2, then must take d4 with the same man. Saved between the
    // two jumps into slot 5, which has no field for the chain, the game is
    // kept as the turn began; the game on the board goes on with the chain.
    const std::string games = s.workdir + "/Data/gamdat.tdt";
    ASSERT_EQ(e2e::run(s, cli + "slots " + games + " --put 4 'W:Wc1,g1:Bd2,d4,f2,h8' --opponent human"), 0);
    ASSERT_TRUE(e2e::start_game(s, error)) << error;
    ASSERT_TRUE(e2e::wait_for_menu(s, "chain_menu"));
    auto slots_shown = [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 225); };
    e2e::click_menu_item(s, 7);  // "Načíst hru"
    ASSERT_TRUE(e2e::wait_for_grab(s, "chain_slots", 10000, slots_shown, img));
    e2e::click_screen_line(s, 50, 3, 5);
    ASSERT_TRUE(e2e::wait_for_menu(s, "chain_loaded_menu"));
    e2e::click_menu_item(s, 1);  // "Spustit načtenou hru"
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "chain_board", 10000, [](const Image& i) {
        return !e2e::main_menu_shown(i) && blue_piece_on(i, 58) && red_piece_on(i, 51);
    }, img));
    click_square(s, 58);
    click_square(s, 44);
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "chain_first_jump", 5000, [](const Image& i) {
        return blue_piece_on(i, 44) && !red_piece_on(i, 51) && red_piece_on(i, 35);
    }, img));
    e2e::screenshot(s, "chain_first_jump");
    e2e::press_key(s, "Escape");
    ASSERT_TRUE(e2e::wait_for_menu(s, "chain_save_menu"));
    e2e::click_menu_item(s, 6);  // "Uložit hru"
    ASSERT_TRUE(e2e::wait_for_grab(s, "chain_save_slots", 10000, slots_shown, img));
    e2e::click_screen_line(s, 50, 4, 5);
    ASSERT_TRUE(e2e::wait_for_menu(s, "chain_saved_menu"));
    std::string listed;
    ASSERT_EQ(e2e::run(s, cli + "slots " + games, &listed), 0);
    // "N used; position ...; to move ...": the slot's clock runs on.
    auto slot_line = [&listed](char slot) {
        const size_t at = listed.find(std::string("\n") + slot + " used; ");
        return at == std::string::npos ? std::string() : listed.substr(at + 3, listed.find("; clock", at) - at - 3);
    };
    ASSERT_FALSE(slot_line('4').empty()) << listed;
    EXPECT_EQ(slot_line('5'), slot_line('4')) << "a mid-chain save kept the chain's first jump";
    e2e::click_menu_item(s, 1);  // "Pokračovat"
    e2e::move_mouse(s, 780, 580);
    ASSERT_TRUE(e2e::wait_for_grab(s, "chain_back", 10000, [](const Image& i) { return !e2e::main_menu_shown(i); }, img));
    click_square(s, 26);
    e2e::move_mouse(s, 780, 580);
    EXPECT_TRUE(e2e::wait_for_grab(s, "chain_done", 5000, [](const Image& i) {
        return blue_piece_on(i, 26) && !red_piece_on(i, 35) && !blue_piece_on(i, 44);
    }, img)) << "the chain did not go on after the save";
    e2e::screenshot(s, "chain_done");
    EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    e2e::stop_session(s);
}

}  // namespace
