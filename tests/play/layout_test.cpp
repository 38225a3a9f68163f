#include "play/layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/game_state.h"

namespace {

std::string clock_text(int minutes, int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%d:%s%d", pad_zero(minutes), minutes, pad_zero(seconds), seconds);
    return text;
}

TEST(ClockText, PadsEachNumberToTwoDigits) {
    EXPECT_EQ(clock_text(5, 7), "05:07");
    EXPECT_EQ(clock_text(0, 0), "00:00");
    EXPECT_EQ(clock_text(9, 10), "09:10");
    EXPECT_EQ(clock_text(100, 0), "100:00");
    EXPECT_EQ(clock_text(123, 45), "123:45");
}

TEST(ClockText, ThreeDigitMinutesStartFivePixelsFurtherLeft) {
    EXPECT_EQ(game_clock_x(0), 66);
    EXPECT_EQ(game_clock_x(99), 66);
    EXPECT_EQ(game_clock_x(100), 61);
}

TEST(Placement, PicturesAreCentredOnTheirSquareWithIntegerHalves) {
    reset_board();
    // A full tile sits exactly on the square.
    EXPECT_EQ(centred_left(0, 58), 275);
    EXPECT_EQ(centred_top(0, 58), 56);
    EXPECT_EQ(centred_left(63, 58), 275 + 7 * 58);
    EXPECT_EQ(centred_top(63, 58), 56 + 7 * 58);
    // 275 + 58 + 29 - 25 for a 51-wide picture on column 1 (51/2 = 25).
    EXPECT_EQ(centred_left(9, 51), 337);
    EXPECT_EQ(centred_top(9, 51), 56 + 58 + 29 - 25);
    EXPECT_EQ(centred_left(10, 50), 275 + 116 + 29 - 25);
}

TEST(Pointer, HumanToMoveFollowsOpponentAndComputerSide) {
    Settings saved = settings;
    settings.opponent = OPPONENT_HUMAN;
    EXPECT_EQ(human_to_move(BLUE), 1);
    EXPECT_EQ(human_to_move(RED), 1);
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = RED;
    EXPECT_EQ(human_to_move(BLUE), 1);
    EXPECT_EQ(human_to_move(RED), 0);
    settings.computer_side = BLUE;
    EXPECT_EQ(human_to_move(BLUE), 0);
    EXPECT_EQ(human_to_move(RED), 1);
    settings.opponent = 3;  // a value no screen writes
    EXPECT_EQ(human_to_move(BLUE), 0);
    settings = saved;
}

}  // namespace
