// The look-ahead predicates and the scan orders of the rules that do not
// simply go from square 0 upward.
#include <cstring>

#include "ai/ai_setup.h"

namespace {

bool same_board(const ScratchBoard& a, const ScratchBoard& b) {
    return std::memcmp(a.cell, b.cell, sizeof a.cell) == 0;
}

// --- apply_forced_reply ------------------------------------------------

TEST(ForcedReply, KingCaptureWithTwoLandingsIsNoForcedReply) {
    // Red's king on 3 takes 21 and may stop on 30 or on 39: two captures.
    set_position({21}, {}, {}, {3});
    ScratchBoard b = scratch();
    const ScratchBoard before = b;
    EXPECT_EQ(apply_forced_reply(BLUE, b), 0);
    EXPECT_TRUE(same_board(b, before));
}

TEST(ForcedReply, SingleJumpThatContinuesIsNoForcedReply) {
    // 10x28 over 19 could go on 28x46 over 37.
    set_position({19, 37}, {10});
    ScratchBoard b = scratch();
    const ScratchBoard before = b;
    EXPECT_EQ(apply_forced_reply(BLUE, b), 0);
    EXPECT_TRUE(same_board(b, before));
    // Without the second victim the same jump is the forced reply.
    set_position({19}, {10});
    b = scratch();
    EXPECT_EQ(apply_forced_reply(BLUE, b), 1);
    EXPECT_EQ(b[10], EMPTY);
    EXPECT_EQ(b[19], EMPTY);
    EXPECT_EQ(b[28], RED_MAN);
}

TEST(ForcedReply, OneKingCaptureOutranksOneManJump) {
    // The king on 3 has exactly one capture (3x21 over 12; 30 is occupied),
    // the man on 30 one jump (30x44 over 37). The king's capture is applied.
    set_position({12, 37}, {30}, {}, {3});
    ScratchBoard b = scratch();
    EXPECT_EQ(apply_forced_reply(BLUE, b), 1);
    EXPECT_EQ(b[3], EMPTY);
    EXPECT_EQ(b[12], EMPTY);
    EXPECT_EQ(b[21], RED_KING);
    EXPECT_EQ(b[30], RED_MAN);
    EXPECT_EQ(b[37], BLUE_MAN);
}

TEST(ForcedReply, KingCaptureThatContinuesIsNoForcedReply) {
    // 3x21 over 12 is red's only capture (30 blocks the line), but from 21
    // the king could go on over 28.
    set_position({12, 28}, {30}, {}, {3});
    ScratchBoard b = scratch();
    const ScratchBoard before = b;
    EXPECT_EQ(apply_forced_reply(BLUE, b), 0);
    EXPECT_TRUE(same_board(b, before));
}

TEST(ForcedReply, TwoManJumpsAreAChoice) {
    set_position({19, 21}, {10, 12});
    ScratchBoard b = scratch();
    EXPECT_EQ(apply_forced_reply(BLUE, b), 0);
}

TEST(ForcedReply, ReplyOntoTheCrowningRowStaysAMan) {
    // 44x62 over 53; a king on 62 could go on over 35, a man cannot, so the
    // reply is single and the man is not crowned on the working board.
    set_position({35, 53}, {44});
    ScratchBoard b = scratch();
    EXPECT_EQ(apply_forced_reply(BLUE, b), 1);
    EXPECT_EQ(b[62], RED_MAN);
    EXPECT_EQ(b[53], EMPTY);
    EXPECT_EQ(man_on_crowning_row(b), 1);
}

// --- follow-up captures --------------------------------------------------

TEST(FollowUp, CleanAndSafeDiffer) {
    // 40x26 over 33. Red's 21 can still take 30 (39 is empty), so the jump
    // is not clean, but nothing reaches the man on 26.
    set_position({30, 40}, {21, 33});
    ScratchBoard b = scratch();
    EXPECT_EQ(has_clean_follow_up(BLUE, 40, b), 0);
    EXPECT_EQ(has_safe_follow_up(BLUE, 40, b), 1);
    // A red man on 19 would take the man on 26 back over to 33.
    set_position({30, 40}, {19, 21, 33});
    b = scratch();
    EXPECT_EQ(has_safe_follow_up(BLUE, 40, b), 0);
    // A blocked 39 leaves red nothing after the jump.
    set_position({30, 39, 40}, {21, 33});
    b = scratch();
    EXPECT_EQ(has_clean_follow_up(BLUE, 40, b), 1);
    // Only the given side's piece counts.
    EXPECT_EQ(has_clean_follow_up(RED, 40, b), 0);
}

TEST(FollowUp, KingFollowUpAndBoardUntouched) {
    // The king on 56 captures 49 landing on 42..7; every landing is clean.
    set_position({}, {49}, {56});
    ScratchBoard b = scratch();
    const ScratchBoard before = b;
    EXPECT_EQ(has_clean_follow_up(BLUE, 56, b), 1);
    EXPECT_EQ(has_safe_follow_up(BLUE, 56, b), 1);
    EXPECT_TRUE(same_board(b, before));
}

TEST(FollowUp, CaptureWithCleanFollowUp) {
    // 49x35 over 42, then 35x17 over 26 leaves red nothing.
    set_position({49}, {26, 42});
    ScratchBoard b = scratch();
    EXPECT_EQ(has_capture_with_clean_follow_up(BLUE, b), 1);
    // A single capture with nothing after it is not enough.
    set_position({49}, {42});
    b = scratch();
    EXPECT_EQ(has_capture_with_clean_follow_up(BLUE, b), 0);
    // The follow-up must be clean: red's 12 could then take 19 over to 26.
    set_position({49, 19}, {12, 26, 42});
    b = scratch();
    EXPECT_EQ(has_capture_with_clean_follow_up(BLUE, b), 0);
}

// --- kings in the line of fire -------------------------------------------

TEST(KingTargets, JumpsOverKingWalksTheCaptureLine) {
    set_position({}, {49}, {56}, {35});
    const ScratchBoard b = scratch();
    EXPECT_EQ(jumps_over_king(56, 21, b), 1);
    EXPECT_EQ(jumps_over_king(56, 42, b), 0);
    EXPECT_EQ(jumps_over_king(21, 56, b), 1);  // the other direction
}

TEST(KingTargets, CanCaptureKing) {
    set_position({44}, {}, {}, {37});
    EXPECT_EQ(can_capture_king(BLUE, scratch()), 1);
    set_position({44}, {37});
    EXPECT_EQ(can_capture_king(BLUE, scratch()), 0);
    // A long capture over a man and then a king counts.
    set_position({}, {49}, {56}, {35});
    EXPECT_EQ(can_capture_king(BLUE, scratch()), 1);
    // Only captures of the given side.
    set_position({44}, {}, {}, {37});
    EXPECT_EQ(can_capture_king(RED, scratch()), 0);
}

// --- crowning rows and runs ----------------------------------------------

TEST(CrowningRow, OnlyMenOnTheirOwnFarRow) {
    settings.piece_count = 12;
    reset_board();
    ScratchBoard b = scratch();
    EXPECT_EQ(man_on_crowning_row(b), 0);
    for (int sq : {1, 3, 5, 7}) {
        set_position({sq + 7}, {});
        b = scratch();
        sim_swap(sq + 7, sq, b);  // a trial step onto row 0
        EXPECT_EQ(man_on_crowning_row(b), 1) << sq;
    }
    set_position({}, {}, {1}, {62});
    EXPECT_EQ(man_on_crowning_row(scratch()), 0);
    set_position({62}, {1});  // men on their own home rows
    EXPECT_EQ(man_on_crowning_row(scratch()), 0);
    set_position({}, {58});
    EXPECT_EQ(man_on_crowning_row(scratch()), 1);
}

TEST(CrowningRun, OneCleanStepFromTheFarRow) {
    set_position({40}, {51});
    EXPECT_EQ(opponent_has_crowning_run(BLUE, scratch()), 1);
}

TEST(CrowningRun, StepsThatGiveACaptureMakeNoRun) {
    // Red's man on 42: 42-49 lets 58 take it, 42-51 lets 60 take it.
    set_position({58, 60}, {42});
    EXPECT_EQ(opponent_has_crowning_run(BLUE, scratch()), 0);
    // With only the guard on 60, 42-49 is free and the run goes on to 56.
    set_position({60}, {42});
    EXPECT_EQ(opponent_has_crowning_run(BLUE, scratch()), 1);
}

TEST(CrowningRun, AsksAboutTheOpponentOnly) {
    set_position({40}, {51});
    const ScratchBoard b = scratch();
    EXPECT_EQ(opponent_has_crowning_run(RED, b), 1);  // blue's 40 runs 40-33-24-17-8-1
    set_position({}, {51});
    EXPECT_EQ(opponent_has_crowning_run(RED, scratch()), 0);
}

TEST(ManRunToCrown, RedTriesTheHigherSquareFirst) {
    set_position({62}, {8, 17});
    clear_all_marks();
    EXPECT_EQ(man_run_to_crown(RED, scratch()), 1);
    EXPECT_EQ(source_square(), 17);
    EXPECT_EQ(target_square(), 24);
    // The man on 8 has a run of its own.
    set_position({62}, {8});
    clear_all_marks();
    EXPECT_EQ(man_run_to_crown(RED, scratch()), 1);
    EXPECT_EQ(source_square(), 8);
    EXPECT_EQ(target_square(), 17);
    clear_all_marks();
}

TEST(ManRunToCrown, BlueTriesTheLowerSquareFirst) {
    set_position({40, 49}, {});
    clear_all_marks();
    EXPECT_EQ(man_run_to_crown(BLUE, scratch()), 1);
    EXPECT_EQ(source_square(), 40);
    EXPECT_EQ(target_square(), 33);
    clear_all_marks();
}

// --- scan orders and guards ----------------------------------------------

TEST(KingSlideThreat, BlueTriesTheHighestSquaresFirst) {
    // Blue kings on 10 and 49 can both slide to a threat on red's 26.
    set_position({}, {26}, {10, 49});
    clear_all_marks();
    ASSERT_EQ(king_slide_threat(BLUE, scratch()), 1);
    EXPECT_EQ(source_square(), 49);
    EXPECT_EQ(target_square(), 40);  // 58, 56 and 42 threaten nothing
    set_position({}, {26}, {10});
    clear_all_marks();
    ASSERT_EQ(king_slide_threat(BLUE, scratch()), 1);
    EXPECT_EQ(source_square(), 10);
    clear_all_marks();
}

TEST(KingSlideThreat, RedTriesTheLowestSquaresFirst) {
    set_position({33}, {}, {}, {10, 49});
    clear_all_marks();
    ASSERT_EQ(king_slide_threat(RED, scratch()), 1);
    EXPECT_EQ(source_square(), 10);
    EXPECT_EQ(target_square(), 19);  // 1, 3 and 17 threaten nothing
    set_position({33}, {}, {}, {49});
    clear_all_marks();
    ASSERT_EQ(king_slide_threat(RED, scratch()), 1);
    EXPECT_EQ(source_square(), 49);
    clear_all_marks();
}

TEST(EscapeThreat, NothingThreatenedMeansNoMove) {
    set_position({40}, {19});
    clear_all_marks();
    EXPECT_EQ(escape_threat(BLUE, scratch()), 0);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(target_square(), -1);
}

TEST(BlockCrowningRun, NoRunMeansNoMove) {
    set_position({58, 60}, {42});
    clear_all_marks();
    EXPECT_EQ(block_crowning_run(BLUE, scratch()), 0);
    EXPECT_EQ(source_square(), -1);
}

TEST(CaptureRules, ChainSquareOfTheWrongKindFindsNothing) {
    // The chain piece is a man; the king rules see nothing, and the king's
    // own capture elsewhere is not taken.
    set_position({44}, {10, 37}, {1});
    clear_all_marks();
    const ScratchBoard b = scratch();
    EXPECT_EQ(king_capture_any(BLUE, 44, b), 0);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(man_jump_any(BLUE, 1, b), 0);
    EXPECT_EQ(man_jump_any(BLUE, 44, b), 1);
    EXPECT_EQ(source_square(), 44);
    EXPECT_EQ(target_square(), 30);
    clear_all_marks();
}

TEST(RandomRules, NoCandidateLeavesRandAlone) {
    // A blue man on 1 cannot step: the rule answers 0 without calling rand.
    set_position({1}, {62});
    clear_all_marks();
    std::srand(7);
    EXPECT_EQ(random_safe_man_step(BLUE, scratch()), 0);
    const int next = std::rand();
    std::srand(7);
    EXPECT_EQ(std::rand(), next);
}

}  // namespace
