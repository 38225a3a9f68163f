// Scratch-board twins of the move predicates. Each also checks the target and
// the mover's code itself, so one call answers the full legality of one kind
// of move; the computer opponent relies on that.
#include "rules/rules.h"

#include "rules/rules_lines.h"

using namespace rules_detail;

// The mover's code is tested first: the computer asks these predicates about
// every (from, to) pair of every piece, and most pairs fail on the mover.
static bool mover_and_free_dark_target(int32_t from, int32_t to, const ScratchBoard& b, int32_t mover) {
    return on_board(from) && b[from] == mover && on_board(to) && from != to && b[to] == EMPTY && is_dark(to);
}

int32_t sim_is_man_step(int32_t from, int32_t to, const ScratchBoard& b, int32_t side) {
    if (!mover_and_free_dark_target(from, to, b, side)) return 0;
    return man_step(ConstScratchCells{b.cell}, from, to, side);
}

int32_t sim_is_man_jump(int32_t from, int32_t to, const ScratchBoard& b, int32_t side) {
    if (!mover_and_free_dark_target(from, to, b, side)) return 0;
    return man_jump(ConstScratchCells{b.cell}, from, to, side);
}

int32_t sim_is_king_slide(int32_t from, int32_t to, const ScratchBoard& b, int32_t side) {
    const ConstScratchCells c{b.cell};
    if (!mover_and_free_dark_target(from, to, b, side + 2)) return 0;
    if (king_guard_fails(c, from, to, side)) return 0;
    return king_slide(c, from, to, side);
}

int32_t sim_is_king_capture(int32_t from, int32_t to, const ScratchBoard& b, int32_t side) {
    const ConstScratchCells c{b.cell};
    if (!mover_and_free_dark_target(from, to, b, side + 2)) return 0;
    if (king_guard_fails(c, from, to, side)) return 0;
    return king_capture(c, from, to, side);
}

void sim_remove_between(int32_t from, int32_t to, ScratchBoard& b) {
    rules_detail::remove_between(ScratchCells{b.cell}, from, to);
}

void sim_swap(int32_t a, int32_t b, ScratchBoard& board) {
    if (!on_board(a) || !on_board(b)) return;
    const int32_t t = board[a];
    board[a] = board[b];
    board[b] = t;
}

int32_t sim_captures_square(int32_t from, int32_t to, int32_t square, const ScratchBoard& b) {
    return walk_between(from, to, [&](int32_t k) { return k == square && b[k] != EMPTY; });
}

static int32_t sim_captures(int32_t from, int32_t to, const ScratchBoard& b, int32_t side) {
    return sim_is_man_jump(from, to, b, side) || sim_is_king_capture(from, to, b, side);
}

int32_t sim_square_attacked(int32_t square, int32_t side, const ScratchBoard& b) {
    const int32_t o = other_side(side);
    for (int32_t i = 0; i < SQUARE_COUNT; i++) {
        if (b[i] != o && b[i] != o + 2) continue;
        for (int32_t j = 0; j < SQUARE_COUNT; j++)
            if (sim_captures(i, j, b, o) && sim_captures_square(i, j, square, b)) return 1;
    }
    return 0;
}

int32_t sim_side_can_capture(int32_t side, const ScratchBoard& b) {
    const int32_t o = other_side(side);
    for (int32_t i = 0; i < SQUARE_COUNT; i++) {
        if (b[i] != o && b[i] != o + 2) continue;
        for (int32_t j = 0; j < SQUARE_COUNT; j++)
            if (sim_captures(i, j, b, o)) return 1;
    }
    return 0;
}

void copy_board_to_scratch(ScratchBoard& b) {
    for (int32_t i = 0; i < SQUARE_COUNT; i++) b[i] = board[i].piece;
}
