#include <gtest/gtest.h>

#include "rules/board_setup.h"

TEST(SquareAtPoint, StrictBoundsAndGridLines) {
    reset_board();
    EXPECT_EQ(square_at_point(276, 57), 0);
    EXPECT_EQ(square_at_point(275, 100), -1);
    EXPECT_EQ(square_at_point(333, 100), -1);
    EXPECT_EQ(square_at_point(334, 100), 1);
    EXPECT_EQ(square_at_point(738, 519), 63);
    EXPECT_EQ(square_at_point(739, 300), -1);
    EXPECT_EQ(square_at_point(760, 300), -1);  // side panel
    EXPECT_EQ(square_at_point(-5, -5), -1);
}

TEST(Ownership, CodesAndOutOfRange) {
    place({{10, BLUE_KING}, {12, RED_MAN}});
    EXPECT_EQ(owns_piece(10, BLUE), 1);
    EXPECT_EQ(owns_piece(10, RED), 0);
    EXPECT_EQ(owns_piece(12, RED), 1);
    EXPECT_EQ(owns_piece(14, BLUE), 0);
    EXPECT_EQ(owns_piece(-1, BLUE), 0);
    EXPECT_EQ(owns_piece(64, RED), 0);
}

TEST(ManMoves, EdgeOfBoard) {
    // Square 8 (row 1, column 0): 8 - 9 = -1 lies off the board.
    place({{8, BLUE_MAN}});
    int legal = 0;
    for (int t = 0; t < 64; t++)
        if (is_legal_move(8, t, BLUE)) {
            legal++;
            EXPECT_EQ(t, 1);
        }
    EXPECT_EQ(legal, 1);
    EXPECT_EQ(is_legal_move(8, -1, BLUE), 0);
}

TEST(ManMoves, NoJumpOffTheBoard) {
    place({{17, BLUE_MAN}, {8, RED_MAN}});
    EXPECT_EQ(is_man_jump(17, -1, BLUE), 0);
    EXPECT_EQ(is_legal_move(17, -1, BLUE), 0);
    EXPECT_EQ(is_capture(17, -1, BLUE), 0);
}

TEST(ManMoves, WrappedStepEndsOnLightSquare) {
    place({{7, RED_MAN}});
    EXPECT_EQ(is_man_step(7, 16, RED), 1);  // index arithmetic alone
    EXPECT_EQ(is_legal_move(7, 16, RED), 0);
    EXPECT_EQ(is_legal_move(7, 14, RED), 1);
    int legal = 0;
    for (int t = 0; t < 64; t++) legal += is_legal_move(7, t, RED);
    EXPECT_EQ(legal, 1);
}

TEST(ManMoves, JumpIgnoresLandingButLegalityDoesNot) {
    place({{42, BLUE_MAN}, {33, RED_MAN}, {24, RED_MAN}});
    EXPECT_EQ(is_man_jump(42, 24, BLUE), 1);
    EXPECT_EQ(is_legal_move(42, 24, BLUE), 0);
    EXPECT_EQ(is_capture(42, 24, BLUE), 0);
}

TEST(ManMoves, ForwardOnlyAndOwnSideOnly) {
    place({{28, RED_MAN}, {37, BLUE_MAN}, {19, BLUE_MAN}});
    EXPECT_EQ(is_legal_move(28, 46, RED), 1);   // jumps 37 forward
    EXPECT_EQ(is_legal_move(28, 10, RED), 0);   // 19 lies behind a red man
    EXPECT_EQ(is_legal_move(28, 35, BLUE), 0);  // not blue's man
    EXPECT_EQ(is_legal_move(37, 46, BLUE), 0);  // blue men do not step down
    EXPECT_EQ(is_legal_move(19, 1, BLUE), 0);   // a blue man cannot jump its own piece
}

TEST(KingMoves, LongCaptureOverSeparatedPieces) {
    place({{56, BLUE_KING}, {49, RED_MAN}, {35, RED_MAN}});
    EXPECT_EQ(is_king_capture(56, 28, BLUE), 1);
    EXPECT_EQ(is_king_capture(56, 21, BLUE), 1);
    EXPECT_EQ(is_legal_move(56, 42, BLUE), 1);
    EXPECT_EQ(is_king_slide(56, 42, BLUE), 0);
    EXPECT_EQ(is_legal_move(56, 35, BLUE), 0);  // occupied
    EXPECT_EQ(remove_between(56, 21), 1);
    EXPECT_EQ(board[49].piece, EMPTY);
    EXPECT_EQ(board[35].piece, EMPTY);
    EXPECT_EQ(board[56].piece, BLUE_KING);
}

TEST(KingMoves, RefusedOverAdjacentPiecesOrOwnPiece) {
    place({{56, BLUE_KING}, {49, RED_MAN}, {42, RED_MAN}});
    for (int t : {35, 28, 21, 14, 7}) EXPECT_EQ(is_legal_move(56, t, BLUE), 0) << t;

    place({{56, BLUE_KING}, {49, RED_MAN}, {35, BLUE_MAN}});
    for (int t : {28, 21, 14, 7}) EXPECT_EQ(is_king_capture(56, t, BLUE), 0) << t;
    EXPECT_EQ(is_king_capture(56, 42, BLUE), 1);  // stops short of its own man
}

TEST(KingMoves, SlideAndGuards) {
    place({{62, RED_KING}, {26, BLUE_MAN}});
    EXPECT_EQ(is_king_slide(62, 35, RED), 1);
    EXPECT_EQ(is_king_slide(62, 26, RED), 0);  // target itself occupied
    EXPECT_EQ(is_king_slide(62, 17, RED), 0);
    EXPECT_EQ(is_king_capture(62, 17, RED), 1);
    EXPECT_EQ(is_king_capture(62, 8, RED), 1);
    EXPECT_EQ(is_king_capture(62, 35, RED), 0);  // nothing between
    EXPECT_EQ(is_king_slide(62, 35, BLUE), 0);   // not blue's king
    EXPECT_EQ(is_king_capture(62, 17, BLUE), 0);
    EXPECT_EQ(is_king_slide(62, 62, RED), 0);
    EXPECT_EQ(is_king_slide(62, 49, RED), 0);  // 13 is no line
    EXPECT_EQ(is_king_slide(62, 80, RED), 0);  // off the board
}

TEST(KingMoves, WrappedLineNeverLegal) {
    // 23 is row 2, column 7; +9 wraps to 32, light, and stays on light squares.
    place({{23, RED_KING}});
    for (int t : {32, 41, 50, 59}) EXPECT_EQ(is_legal_move(23, t, RED), 0) << t;
    EXPECT_EQ(is_legal_move(23, 30, RED), 1);
}

TEST(Marks, QueriesAndTransfer) {
    reset_board();
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(target_square(), -1);
    board[40].source_mark = 1;
    board[33].target_mark = 1;
    board[50].target_mark = 1;
    EXPECT_EQ(source_square(), 40);
    EXPECT_EQ(target_square(), 33);
    clear_marks(1);
    targets_to_sources();
    clear_marks(2);
    EXPECT_EQ(source_square(), 33);
    EXPECT_EQ(target_square(), -1);
    clear_marks(7);  // unknown kind: nothing
    EXPECT_EQ(source_square(), 33);
}

TEST(Marks, Reclick) {
    reset_board();
    board[40].source_mark = 1;
    EXPECT_EQ(is_reclick(40, 40, 1), 1);
    EXPECT_EQ(board[40].source_mark, 1);
    EXPECT_EQ(is_reclick(40, 33, 0), 0);
    EXPECT_EQ(board[40].source_mark, 1);
    EXPECT_EQ(is_reclick(40, 40, 0), 1);
    EXPECT_EQ(board[40].source_mark, 0);
}
