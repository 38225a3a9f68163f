#include <gtest/gtest.h>

#include <random>

#include "rules/board_setup.h"

// Every scratch predicate agrees with the live legality of its kind of move
// on a position with men, kings, edges and long diagonals.
TEST(ScratchBoard, AgreesWithLiveBoard) {
    place({{56, BLUE_KING}, {49, RED_MAN}, {35, RED_MAN}, {7, RED_MAN}, {23, RED_KING}, {30, BLUE_MAN},
           {17, BLUE_MAN}, {8, RED_MAN}, {42, BLUE_MAN}, {51, BLUE_KING}});
    const ScratchBoard b = scratch_of_board();
    for (int side : {BLUE, RED})
        for (int from = 0; from < 64; from++)
            for (int to = 0; to < 64; to++) {
                const int32_t p = board[from].piece;
                const bool own_man = p == side;
                const bool own_king = p == side + 2;
                const bool legal = is_legal_move(from, to, side) == 1;
                const bool jump = own_man && legal && is_man_jump(from, to, side);
                const bool cap = own_king && legal && is_king_capture(from, to, side);
                const bool slide = own_king && legal && is_king_slide(from, to, side);
                EXPECT_EQ(sim_is_man_jump(from, to, b, side), jump) << from << "-" << to;
                EXPECT_EQ(sim_is_man_step(from, to, b, side), own_man && legal && is_man_step(from, to, side))
                    << from << "-" << to;
                EXPECT_EQ(sim_is_king_capture(from, to, b, side), cap) << from << "-" << to;
                EXPECT_EQ(sim_is_king_slide(from, to, b, side), slide) << from << "-" << to;
            }
}

TEST(ScratchBoard, ExtraConditions) {
    place({{7, RED_MAN}, {56, BLUE_KING}, {49, RED_MAN}, {28, RED_MAN}});
    ScratchBoard b = scratch_of_board();
    EXPECT_EQ(sim_is_man_step(7, 16, b, RED), 0);     // light target
    EXPECT_EQ(sim_is_man_step(7, 14, b, RED), 1);
    EXPECT_EQ(sim_is_man_step(7, 14, b, BLUE), 0);    // code must equal the side
    EXPECT_EQ(sim_is_king_capture(56, 28, b, BLUE), 0);  // occupied target
    EXPECT_EQ(sim_is_king_capture(56, 35, b, BLUE), 1);
    EXPECT_EQ(sim_is_king_capture(56, 21, b, BLUE), 1);
    EXPECT_EQ(sim_is_king_slide(56, 35, b, RED), 0);
    b[56] = BLUE_MAN;  // a man is no king
    EXPECT_EQ(sim_is_king_slide(56, 49, b, BLUE), 0);
    EXPECT_EQ(sim_is_man_step(5, 70, b, RED), 0);  // off the board, no read past the end
    EXPECT_EQ(sim_is_king_slide(-3, 4, b, BLUE), 0);
}

TEST(ScratchBoard, RemoveSwapAndCapturedSquare) {
    place({{56, BLUE_KING}, {49, RED_MAN}, {35, RED_MAN}, {14, RED_MAN}});
    ScratchBoard b = scratch_of_board();
    EXPECT_EQ(sim_captures_square(56, 21, 49, b), 1);
    EXPECT_EQ(sim_captures_square(56, 21, 35, b), 1);
    EXPECT_EQ(sim_captures_square(56, 21, 42, b), 0);  // empty square
    EXPECT_EQ(sim_captures_square(56, 21, 14, b), 0);  // beyond the landing
    sim_remove_between(56, 21, b);
    sim_swap(56, 21, b);
    EXPECT_EQ(b[49], EMPTY);
    EXPECT_EQ(b[35], EMPTY);
    EXPECT_EQ(b[21], BLUE_KING);
    EXPECT_EQ(b[56], EMPTY);
    EXPECT_EQ(b[14], RED_MAN);
    EXPECT_EQ(board[49].piece, RED_MAN);  // the live board is untouched
}

TEST(ScratchBoard, AttackAndCaptureAskAboutTheOpponent) {
    // Red man on 19 can jump the blue man on 28 (landing 37); blue's jump
    // back over 19 is blocked on 10.
    place({{19, RED_MAN}, {10, RED_MAN}, {28, BLUE_MAN}, {60, BLUE_MAN}});
    ScratchBoard b = scratch_of_board();
    EXPECT_EQ(sim_side_can_capture(BLUE, b), 1);  // side 2 can capture
    EXPECT_EQ(sim_side_can_capture(RED, b), 0);   // blue has no capture
    EXPECT_EQ(sim_square_attacked(28, BLUE, b), 1);
    EXPECT_EQ(sim_square_attacked(60, BLUE, b), 0);
    b[37] = RED_MAN;  // landing blocked
    EXPECT_EQ(sim_square_attacked(28, BLUE, b), 0);
    EXPECT_EQ(sim_side_can_capture(BLUE, b), 0);
}

TEST(ScratchBoard, KingAttackReachesDistantPieces) {
    place({{7, RED_KING}, {21, BLUE_MAN}, {35, BLUE_MAN}, {53, BLUE_MAN}});
    ScratchBoard b = scratch_of_board();
    EXPECT_EQ(sim_square_attacked(21, BLUE, b), 1);
    EXPECT_EQ(sim_square_attacked(35, BLUE, b), 1);
    EXPECT_EQ(sim_square_attacked(53, BLUE, b), 0);
    b[42] = BLUE_MAN;  // 35 and 42 now stand together: the line is shut beyond 21
    EXPECT_EQ(sim_square_attacked(35, BLUE, b), 0);
    EXPECT_EQ(sim_square_attacked(21, BLUE, b), 1);
}

// The two set questions visit only the targets a capture can land on; they
// must answer exactly what the scan over every (from, to) pair answers.
TEST(ScratchBoard, CaptureQuestionsMatchThePairwiseScan) {
    auto captures = [](int32_t i, int32_t j, const ScratchBoard& b, int32_t o) {
        return sim_is_man_jump(i, j, b, o) || sim_is_king_capture(i, j, b, o);
    };
    std::mt19937 rng(8128);
    int attacked_seen = 0;
    for (int round = 0; round < 3000; round++) {
        empty_board();
        const uint32_t density = 10 + rng() % 60;
        for (int i = 0; i < SQUARE_COUNT; i++)
            if (!board[i].light && rng() % 100 < density) board[i].piece = static_cast<int32_t>(1 + rng() % 4);
        const ScratchBoard b = scratch_of_board();
        for (int32_t side : {BLUE, RED}) {
            const int32_t o = other_side(side);
            int32_t any = 0;
            int32_t attacked[SQUARE_COUNT] = {};
            for (int32_t i = 0; i < SQUARE_COUNT; i++) {
                if (b[i] != o && b[i] != o + 2) continue;
                for (int32_t j = 0; j < SQUARE_COUNT; j++) {
                    if (!captures(i, j, b, o)) continue;
                    any = 1;
                    for (int32_t sq = 0; sq < SQUARE_COUNT; sq++) attacked[sq] |= sim_captures_square(i, j, sq, b);
                }
            }
            ASSERT_EQ(sim_side_can_capture(side, b), any) << "round " << round << " side " << side;
            for (int32_t sq = 0; sq < SQUARE_COUNT; sq++) {
                ASSERT_EQ(sim_square_attacked(sq, side, b), attacked[sq]) << "round " << round << " square " << sq;
                attacked_seen += attacked[sq];
            }
        }
    }
    EXPECT_GT(attacked_seen, 3000);
}
