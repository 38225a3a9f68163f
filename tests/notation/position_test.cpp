// Positions as text both ways, on the live board and through the commands
// that take them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/game_state.h"
#include "cli/cli_run.h"
#include "notation/position.h"

namespace {

const char* const KINGS = "......../......../......../......../......../......../.r....../B....... r";

}  // namespace

TEST(Position, RoundTripAndStartWords) {
    int32_t side = 0;
    std::string why;
    ASSERT_TRUE(parse_position(KINGS, side, why)) << why;
    EXPECT_EQ(side, RED);
    EXPECT_EQ(board[56].piece, BLUE_KING);
    EXPECT_EQ(board[49].piece, RED_MAN);
    EXPECT_EQ(format_position(side), KINGS);

    ASSERT_TRUE(parse_position("start8", side, why));
    EXPECT_EQ(format_position(side), ".r.r.r.r/r.r.r.r./......../......../......../......../.b.b.b.b/b.b.b.b. b");
    EXPECT_EQ(settings.piece_count, 12);  // the player's setting is left alone
}

TEST(Position, MalformedAndIllegal) {
    const std::string good = "......../......../......../......../......../......../......../B....... b";
    std::vector<std::pair<std::string, std::string>> bad = {
        {"", "empty"},
        {"Start", "word case"},
        {good.substr(0, good.size() - 1), "no side"},
        {good + " ", "trailing space"},
        {good.substr(0, good.size() - 1) + "x", "bad side"},
        {good.substr(0, good.size() - 2) + "_b", "no space"},
        {"........-" + good.substr(9), "bad separator"},
        {"..x" + good.substr(3), "bad piece letter"},
        {"B......." + good.substr(8), "king on light square 0"},
        {".b......" + good.substr(8), "blue man on its far row"},
        {good.substr(0, 63) + "r" + good.substr(64), "red man on its far row"},
    };
    for (const auto& [text, what] : bad) {
        int32_t side = 0;
        std::string why;
        EXPECT_FALSE(parse_position(text, side, why)) << what;
        EXPECT_FALSE(why.empty()) << what;
        expect_bad_input(run_cli({"show", text}), what);
        expect_bad_input(run_cli({"perft", "1", text}), what);
    }
}

TEST(Position, FenSquaresAsTheGameNumbersThem) {
    // The same position by names, by numbers from the top left (the default)
    // and by numbers from a1, with ranges, spaces and a full stop.
    struct Case {
        const char* fen;
        SquareNumbering numbering;
    };
    const SquareNumbering from_a1{true, CORNER_BOTTOM_LEFT, CORNER_BOTTOM_LEFT};
    const Case cases[] = {
        {"B:Wa1,c1,e1,Kb2:Bb8,d8", ALGEBRAIC},
        {"B:W29-31,K25:B1,2", ALGEBRAIC},
        {"B:W 29, 30, 31, K25 :B 1-2.", ALGEBRAIC},
        {"B:W1-3,K5:B29,30", from_a1},
        {"B:Wa1,2,3,K5:Bb8,30", from_a1},
    };
    for (const Case& c : cases) {
        int32_t side = 0;
        std::string why;
        ASSERT_TRUE(parse_position(c.fen, side, why, c.numbering)) << c.fen << ": " << why;
        EXPECT_EQ(format_fen(side), "B:Wa1,c1,e1,Kb2:Bb8,d8") << c.fen;
    }
}
