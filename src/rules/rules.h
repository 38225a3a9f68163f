// Rules of play: board primitives, move validation on the live board and on
// scratch boards, compulsory capture, chains, crowning and the end of the game.
// Every set question is an exhaustive scan in ascending square order; no move
// list is ever built. Predicates answer 1 or 0, square queries an index or -1.
#pragma once

#include <cstdint>

#include "app/game_state.h"

// 64 piece codes indexed like `board`; colours are read from the live board.
struct ScratchBoard {
    int32_t cell[SQUARE_COUNT];
    int32_t& operator[](int i) { return cell[i]; }
    const int32_t& operator[](int i) const { return cell[i]; }
};

// --- live board ---------------------------------------------------------
int32_t square_at_point(int32_t x, int32_t y);
int32_t owns_piece(int32_t square, int32_t side);
void swap_pieces(int32_t a, int32_t b);
int32_t is_man_step(int32_t from, int32_t to, int32_t side);
int32_t is_man_jump(int32_t from, int32_t to, int32_t side);
int32_t is_king_slide(int32_t from, int32_t to, int32_t side);
int32_t is_king_capture(int32_t from, int32_t to, int32_t side);
int32_t is_legal_move(int32_t from, int32_t to, int32_t side);
int32_t is_capture(int32_t from, int32_t to, int32_t side);
int32_t remove_between(int32_t from, int32_t to);
int32_t source_square();
int32_t target_square();
void targets_to_sources();
void clear_marks(int32_t kind);  // 1 source marks, 2 target marks
int32_t is_reclick(int32_t selected, int32_t clicked, int32_t in_chain);

// --- scratch board --------------------------------------------------------
int32_t sim_is_man_step(int32_t from, int32_t to, const ScratchBoard& b, int32_t side);
int32_t sim_is_man_jump(int32_t from, int32_t to, const ScratchBoard& b, int32_t side);
int32_t sim_is_king_slide(int32_t from, int32_t to, const ScratchBoard& b, int32_t side);
int32_t sim_is_king_capture(int32_t from, int32_t to, const ScratchBoard& b, int32_t side);
void sim_remove_between(int32_t from, int32_t to, ScratchBoard& b);
void sim_swap(int32_t a, int32_t b, ScratchBoard& board);
int32_t sim_captures_square(int32_t from, int32_t to, int32_t square, const ScratchBoard& b);
int32_t sim_square_attacked(int32_t square, int32_t side, const ScratchBoard& b);
int32_t sim_side_can_capture(int32_t side, const ScratchBoard& b);  // asks about the opponent
void copy_board_to_scratch(ScratchBoard& b);

// --- whole-position rules ---------------------------------------------------
int32_t capture_pending(int32_t from, int32_t to, int32_t side);
int32_t king_capture_pending(int32_t from, int32_t to, int32_t side);
int32_t can_capture_from(int32_t square, int32_t side);
int32_t crown_men();
int32_t perform_move(int32_t side);
int32_t game_result(int32_t side_to_move);

struct DrawBook {
    int32_t quiet_moves;
    int32_t last_piece_count;
    int32_t draw_snapshot[SQUARE_COUNT];
};
void draw_book_reset(DrawBook& book);  // the game loop's (re)start values
int32_t draw_check(int32_t& quiet_moves, int32_t& last_piece_count, int32_t draw_snapshot[SQUARE_COUNT]);

// What the acceptance rule made of a human's click on `to` while `from` is
// selected. The caller sets the notice and carries out an accepted move.
enum MoveVerdict {
    VERDICT_IGNORED = 0,       // not a legal destination; the piece stays picked
    VERDICT_RECLICK = 1,       // the picked piece itself (dropped outside a chain)
    VERDICT_REFUSED_MAN = 2,   // notice 2, "Skákat kamenem"
    VERDICT_REFUSED_KING = 3,  // notice 3, "Skákat dámou"
    VERDICT_ACCEPTED = 4       // target mark set; call perform_move
};
MoveVerdict accept_human_move(int32_t from, int32_t to, int32_t side, int32_t in_chain);
// The same verdict without touching the marks: what the destination marker
// under the pointer tells before the click.
MoveVerdict judge_human_move(int32_t from, int32_t to, int32_t side, int32_t in_chain);
// Bit i set for each piece of `side` on square i with a capture the
// acceptance rule would take; in a chain only the chain's own piece counts.
uint64_t capturing_pieces(int32_t side, int32_t in_chain, int32_t chain_square);
