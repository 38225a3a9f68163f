// The game record written as PDN and read back by the notation's own reader:
// the same turns, a king's chain with every stop, and the same positions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/game_state.h"
#include "notation/pdn.h"
#include "notation/position.h"
#include "play/game_record.h"
#include "rules/rules.h"

namespace {

// One step as the game loop takes it: recorded, then through the rule a
// click passes and carried out. Answers whether the chain goes on.
int32_t play_step(int32_t from, int32_t to, int32_t in_chain) {
    DrawBook book;
    draw_book_reset(book);
    record_step(from, to, !in_chain, book);
    if (!in_chain) {
        clear_marks(1);
        clear_marks(2);
        board[from].source_mark = 1;
    }
    EXPECT_EQ(accept_human_move(from, to, game.turn, in_chain), VERDICT_ACCEPTED) << from << "-" << to;
    const int32_t again = perform_move(game.turn);
    if (!again) game.turn = other_side(game.turn);
    return again;
}

int32_t at(const char* name) {
    int32_t s = -1;
    EXPECT_TRUE(parse_square_name(name, s)) << name;
    return s;
}

}  // namespace

TEST(PdnRoundTrip, TheGameRecordReadsBackTurnForTurn) {
    const GameState saved_game = game;
    const std::string start = "W:WKa1,c1:Bb2,d2,h8";
    int32_t side = BLUE;
    std::string why;
    ASSERT_TRUE(parse_position(start, side, why)) << why;
    game.turn = side;
    record_start();
    // The king takes b2 and d2 with a turn at c3; red steps; blue steps.
    ASSERT_EQ(play_step(at("a1"), at("c3"), 0), 1);
    ASSERT_EQ(play_step(at("c3"), at("e1"), 1), 0);
    ASSERT_EQ(play_step(at("h8"), at("g7"), 0), 0);
    ASSERT_EQ(play_step(at("c1"), at("d2"), 0), 0);
    const std::string after = format_fen(game.turn);
    game_record.result = RECORD_UNFINISHED;

    const std::string text = record_pdn();
    EXPECT_NE(text.find("[GameType \"29,W,8,8,A0,0\"]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Round \"?\"]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[SetUp \"1\"]\n[FEN \"" + start + "\"]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n1. a1xc3xe1 h8-g7 2. c1-d2 *\n"), std::string::npos) << text;

    const std::vector<PdnSourceGame> games = pdn_read_games(text);
    ASSERT_EQ(games.size(), 1u);
    PdnReplay r;
    ASSERT_TRUE(pdn_replay(games[0], r, why)) << why << "\n" << text;
    ASSERT_EQ(r.turns.size(), game_record.turns.size());
    for (size_t t = 0; t < r.turns.size(); t++) {
        EXPECT_EQ(r.turns[t].squares, game_record.turns[t].squares) << "turn " << t;
        EXPECT_EQ(r.turns[t].capture, game_record.turns[t].capture) << "turn " << t;
    }
    EXPECT_EQ(r.fens.front(), start);
    EXPECT_EQ(r.fens.back(), after);
    EXPECT_EQ(format_fen(game.turn), after) << "the reader leaves the live board as it found it";

    // Written again from what was read, the game is the same text.
    PdnGame again;
    again.event = games[0].tag("Event");
    again.date = games[0].tag("Date");
    again.white = games[0].tag("White");
    again.black = games[0].tag("Black");
    again.site = again.round = "?";
    again.result = games[0].result;
    again.fen = r.fens.front();
    again.turns = r.turns;
    EXPECT_EQ(pdn_text(again), text);
    game = saved_game;
}
