// Computer opponent: a fixed priority list of move rules, each trying
// candidate moves on a scratch copy of the board with a short look-ahead.
// There is no search tree and no score; the first rule that finds a move
// marks it on the live board (source_mark, target_mark) and the game loop
// performs it. Nothing is allocated: every board is a local ScratchBoard.
#pragma once

#include <cstdint>

#include "rules/rules.h"

// Marks the move of `side` (the side to move) on `board`. In a capture chain
// the chain piece's square already carries the source mark; no other mark
// may be set. Pieces on `board` are never changed.
void choose_computer_move(int32_t side);

// The same, answering the name of the rule that chose the move, or nullptr
// when no rule found one (only when the side cannot move).
const char* choose_computer_move_explained(int32_t side);

// One row of the priority list. Capture rules take the chain square (-1 when
// no chain is in progress); the others do not.
using CaptureRule = int32_t (*)(int32_t side, int32_t chain, const ScratchBoard& b);
using QuietRule = int32_t (*)(int32_t side, const ScratchBoard& b);
struct ComputerRule {
    const char* name;
    int32_t professional_only;  // skipped at the amateur level
    CaptureRule capture;        // exactly one of the two is set
    QuietRule quiet;
};
constexpr int COMPUTER_RULE_COUNT = 24;
extern const ComputerRule COMPUTER_RULES[COMPUTER_RULE_COUNT];

// --- look-ahead predicates ----------------------------------------------
// None of them changes the board passed in, except apply_forced_reply when
// it answers 1 (it then has made the opponent's capture on it).
int32_t has_clean_follow_up(int32_t side, int32_t square, const ScratchBoard& b);
int32_t has_safe_follow_up(int32_t side, int32_t square, const ScratchBoard& b);
int32_t apply_forced_reply(int32_t side, ScratchBoard& b);
int32_t has_capture_with_clean_follow_up(int32_t side, const ScratchBoard& b);
int32_t jumps_over_king(int32_t from, int32_t to, const ScratchBoard& b);
int32_t can_capture_king(int32_t side, const ScratchBoard& b);
int32_t man_on_crowning_row(const ScratchBoard& b);
int32_t opponent_has_crowning_run(int32_t side, const ScratchBoard& b);

// --- the rules, in priority order ---------------------------------------
// Each answers 1 after marking its move on `board`, 0 with no mark set.
int32_t king_capture_then_clean_capture(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t king_capture_then_safe_capture(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t king_capture_clean(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t king_capture_safe(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t king_capture_any(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t man_jump_then_clean_capture(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t man_jump_then_safe_capture(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t man_jump_clean(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t man_jump_safe(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t man_jump_combination(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t man_jump_any(int32_t side, int32_t chain, const ScratchBoard& b);
int32_t man_step_king_trap(int32_t side, const ScratchBoard& b);
int32_t escape_threat(int32_t side, const ScratchBoard& b);
int32_t king_slide_king_trap(int32_t side, const ScratchBoard& b);
int32_t man_step_combination(int32_t side, const ScratchBoard& b);
int32_t king_slide_threat(int32_t side, const ScratchBoard& b);
int32_t man_step_threat(int32_t side, const ScratchBoard& b);
int32_t man_run_to_crown(int32_t side, const ScratchBoard& b);
int32_t block_crowning_run(int32_t side, const ScratchBoard& b);
int32_t random_clean_man_step(int32_t side, const ScratchBoard& b);
int32_t random_safe_man_step(int32_t side, const ScratchBoard& b);
int32_t random_clean_king_slide(int32_t side, const ScratchBoard& b);
int32_t first_king_slide(int32_t side, const ScratchBoard& b);
int32_t first_man_step(int32_t side, const ScratchBoard& b);
