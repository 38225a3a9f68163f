#include <gtest/gtest.h>

#include "rules/board_setup.h"

namespace {

// Picks `from` the way the game loop does before a destination click.
MoveVerdict click(int from, int to, int side, int in_chain) {
    clear_marks(1);
    clear_marks(2);
    board[from].source_mark = 1;
    return accept_human_move(from, to, side, in_chain);
}

}  // namespace

TEST(ForcedCapture, ManCaptureRefusesStep) {
    // Blue man 44 can jump red 35 to 26; blue man 46 could only step.
    place({{44, BLUE_MAN}, {35, RED_MAN}, {46, BLUE_MAN}, {5, RED_MAN}});
    EXPECT_EQ(capture_pending(46, 37, BLUE), 1);
    EXPECT_EQ(capture_pending(44, 26, BLUE), 0);
    EXPECT_EQ(king_capture_pending(46, 37, BLUE), 0);
    EXPECT_EQ(click(46, 37, BLUE, 0), VERDICT_REFUSED_MAN);
    EXPECT_EQ(source_square(), -1);  // the player starts anew
    EXPECT_EQ(board[46].piece, BLUE_MAN);
    EXPECT_EQ(click(44, 26, BLUE, 0), VERDICT_ACCEPTED);
    EXPECT_EQ(target_square(), 26);
    EXPECT_EQ(perform_move(BLUE), 0);
    EXPECT_EQ(board[35].piece, EMPTY);
    EXPECT_EQ(board[26].piece, BLUE_MAN);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(target_square(), -1);
}

TEST(ForcedCapture, KingCaptureTakesPrecedence) {
    place({{44, BLUE_MAN}, {35, RED_MAN}, {46, BLUE_MAN}, {56, BLUE_KING}, {49, RED_MAN},
           {60, BLUE_KING}, {51, RED_MAN}, {5, RED_MAN}});
    EXPECT_EQ(click(44, 26, BLUE, 0), VERDICT_REFUSED_KING);  // a man's capture
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(click(46, 37, BLUE, 0), VERDICT_REFUSED_KING);  // a step
    EXPECT_EQ(click(56, 42, BLUE, 0), VERDICT_ACCEPTED);
    EXPECT_EQ(click(60, 42, BLUE, 0), VERDICT_ACCEPTED);      // either king may capture
    EXPECT_EQ(click(56, 47, BLUE, 0), VERDICT_IGNORED);       // no line at all
    EXPECT_EQ(source_square(), 56);                           // the piece stays picked
}

TEST(ForcedCapture, FreeChoiceBetweenCaptures) {
    // King 56 takes 49 and 35 in one move; king 58 takes only 51.
    place({{56, BLUE_KING}, {49, RED_MAN}, {35, RED_MAN}, {58, BLUE_KING}, {51, RED_MAN}, {5, RED_MAN}});
    EXPECT_EQ(click(56, 28, BLUE, 0), VERDICT_ACCEPTED);
    EXPECT_EQ(click(58, 44, BLUE, 0), VERDICT_ACCEPTED);
    EXPECT_EQ(click(56, 42, BLUE, 0), VERDICT_ACCEPTED);
}

TEST(ForcedCapture, ReclickDropsSelectionOutsideChainOnly) {
    place({{46, BLUE_MAN}, {5, RED_MAN}});
    EXPECT_EQ(click(46, 46, BLUE, 0), VERDICT_RECLICK);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(click(46, 46, BLUE, 1), VERDICT_RECLICK);
    EXPECT_EQ(source_square(), 46);
}

TEST(Chain, ManContinuesAndOnlyCapturesAreAccepted) {
    // 46 jumps 37 to 28, then 19 to 10.
    place({{46, BLUE_MAN}, {37, RED_MAN}, {19, RED_MAN}, {60, BLUE_MAN}, {5, RED_MAN}});
    ASSERT_EQ(click(46, 28, BLUE, 0), VERDICT_ACCEPTED);
    EXPECT_EQ(perform_move(BLUE), 1);
    EXPECT_EQ(source_square(), 28);
    EXPECT_EQ(target_square(), -1);
    EXPECT_EQ(board[37].piece, EMPTY);

    EXPECT_EQ(accept_human_move(28, 21, BLUE, 1), VERDICT_REFUSED_MAN);
    EXPECT_EQ(source_square(), 28);  // stays picked inside a chain
    EXPECT_EQ(accept_human_move(28, 28, BLUE, 1), VERDICT_RECLICK);
    EXPECT_EQ(source_square(), 28);
    EXPECT_EQ(accept_human_move(28, 10, BLUE, 1), VERDICT_ACCEPTED);
    EXPECT_EQ(perform_move(BLUE), 0);
    EXPECT_EQ(board[10].piece, BLUE_MAN);
    EXPECT_EQ(board[19].piece, EMPTY);
    EXPECT_EQ(source_square(), -1);
}

TEST(Chain, KingPrecedenceDoesNotApplyInsideChain) {
    // A man in mid-chain on 28 while king 56 could take 49.
    place({{28, BLUE_MAN}, {19, RED_MAN}, {56, BLUE_KING}, {49, RED_MAN}});
    EXPECT_EQ(click(28, 10, BLUE, 0), VERDICT_REFUSED_KING);
    EXPECT_EQ(click(28, 10, BLUE, 1), VERDICT_ACCEPTED);
    EXPECT_EQ(click(28, 21, BLUE, 1), VERDICT_REFUSED_KING);  // still refused, still picked
    EXPECT_EQ(source_square(), 28);
}

TEST(Chain, KingTakesSeparatedPiecesAndJumpsOn) {
    place({{56, BLUE_KING}, {49, RED_MAN}, {35, RED_MAN}, {21, RED_MAN}});
    ASSERT_EQ(click(56, 28, BLUE, 0), VERDICT_ACCEPTED);
    EXPECT_EQ(perform_move(BLUE), 1);
    EXPECT_EQ(board[49].piece, EMPTY);
    EXPECT_EQ(board[35].piece, EMPTY);
    EXPECT_EQ(board[28].piece, BLUE_KING);
    EXPECT_EQ(source_square(), 28);
    EXPECT_EQ(can_capture_from(28, BLUE), 1);
}

TEST(Chain, CrowningEndsTheTurn) {
    // 19 jumps 10 onto 1 and is crowned; the king could then take 28.
    place({{19, BLUE_MAN}, {10, RED_MAN}, {28, RED_MAN}, {60, BLUE_MAN}});
    ASSERT_EQ(click(19, 1, BLUE, 0), VERDICT_ACCEPTED);
    EXPECT_EQ(perform_move(BLUE), 0);
    EXPECT_EQ(board[1].piece, BLUE_KING);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(can_capture_from(1, BLUE), 1);
}

TEST(Chain, PerformWithoutMarksChangesNothing) {
    place({{46, BLUE_MAN}, {37, RED_MAN}});
    EXPECT_EQ(perform_move(BLUE), 0);
    EXPECT_EQ(board[46].piece, BLUE_MAN);
    EXPECT_EQ(board[37].piece, RED_MAN);
}

TEST(CanCaptureFrom, ManForwardOnlyKingLong) {
    place({{28, RED_MAN}, {19, BLUE_MAN}, {56, BLUE_KING}, {42, RED_MAN}});
    EXPECT_EQ(can_capture_from(28, RED), 0);   // 19 lies behind
    EXPECT_EQ(can_capture_from(56, BLUE), 1);  // 42 from two squares away
    EXPECT_EQ(can_capture_from(56, RED), 0);
    EXPECT_EQ(can_capture_from(19, BLUE), 0);
}

TEST(Crowning, OneManPerCall) {
    place({{3, BLUE_MAN}, {58, RED_MAN}, {60, RED_MAN}});
    EXPECT_EQ(crown_men(), 1);
    EXPECT_EQ(board[3].piece, BLUE_KING);
    EXPECT_EQ(board[58].piece, RED_MAN);
    EXPECT_EQ(crown_men(), 1);
    EXPECT_EQ(board[58].piece, RED_KING);
    EXPECT_EQ(board[60].piece, RED_MAN);
    EXPECT_EQ(crown_men(), 1);
    EXPECT_EQ(crown_men(), 0);
}

TEST(GameResult, BlockedMenLose) {
    // Blue 49: 40 and 42 are taken, the jump over 40 wraps to light 31, the
    // jump over 42 lands on the occupied 35.
    place({{49, BLUE_MAN}, {40, RED_MAN}, {42, RED_MAN}, {35, RED_MAN}});
    EXPECT_EQ(game_result(BLUE), RED);
    EXPECT_EQ(game_result(RED), 0);
}

TEST(GameResult, EmptySide) {
    place({{49, BLUE_MAN}});
    EXPECT_EQ(game_result(BLUE), BLUE);  // red has nothing left
    EXPECT_EQ(game_result(RED), BLUE);   // and cannot move
    place({{14, RED_KING}});
    EXPECT_EQ(game_result(RED), RED);
    place({{56, BLUE_KING}, {14, RED_MAN}});
    EXPECT_EQ(game_result(BLUE), 0);
}

namespace {

struct DrawFixture : ::testing::Test {
    DrawBook book;
    void SetUp() override {
        place({{56, BLUE_KING}, {7, RED_KING}, {46, BLUE_MAN}, {17, RED_MAN}});
        game.game_running = 1;
        draw_book_reset(book);
    }
    void TearDown() override { game.game_running = 0; }
    int check() { return draw_check(book.quiet_moves, book.last_piece_count, book.draw_snapshot); }
    // One quiet king move: the kings shuttle 56<->49 and 7<->14 in turn.
    int quiet_move(int n) {
        const int a = n % 2 == 0 ? 56 : 7;
        const int b = n % 2 == 0 ? 49 : 14;
        if (board[a].piece != EMPTY)
            swap_pieces(a, b);
        else
            swap_pieces(b, a);
        return check();
    }
};

}  // namespace

TEST_F(DrawFixture, SeventeenthQuietMoveDraws) {
    EXPECT_EQ(book.last_piece_count, 4);
    for (int n = 0; n < 16; n++) EXPECT_EQ(quiet_move(n), 0) << n;
    EXPECT_EQ(book.quiet_moves, 16);
    EXPECT_EQ(quiet_move(16), 1);
}

TEST_F(DrawFixture, ManMoveRestartsTheCount) {
    for (int n = 0; n < 10; n++) quiet_move(n);
    swap_pieces(46, 37);  // a man's step
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(book.quiet_moves, 0);
    for (int n = 0; n < 16; n++) EXPECT_EQ(quiet_move(n), 0) << n;
    EXPECT_EQ(quiet_move(16), 1);
}

TEST_F(DrawFixture, CaptureRestartsTheCount) {
    for (int n = 0; n < 12; n++) quiet_move(n);
    board[17].piece = EMPTY;  // taken
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(book.quiet_moves, 0);
    EXPECT_EQ(book.last_piece_count, 3);
}

TEST_F(DrawFixture, CrowningCountsAsQuiet) {
    board[17].piece = EMPTY;
    board[10].piece = BLUE_MAN;
    draw_book_reset(book);
    swap_pieces(10, 1);
    crown_men();
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(book.quiet_moves, 1);
}

TEST_F(DrawFixture, UnchangedBoardFollowsGameRunning) {
    quiet_move(0);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(book.quiet_moves, 1);
    game.game_running = 0;
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(book.quiet_moves, 1);
}
