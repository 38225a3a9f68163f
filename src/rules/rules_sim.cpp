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

// Whether some piece of `side` has a capture, and with `over` >= 0 one that
// takes the piece on `over`. Equal to asking sim_is_man_jump or
// sim_is_king_capture for every pair of squares and sim_captures_square for
// the capture found, but only the targets those could accept are visited: a
// man's two jump landings, and the squares each index line of a king reaches.
// Along a line the scan state of king_capture_line is carried from one
// landing to the next. (A line of step 7 never meets a target whose distance
// is a multiple of 9: that needs a distance of 63, between 0 and 63, both
// light.)
static bool man_captures(const ScratchBoard& b, int32_t from, int32_t dir, int32_t enemy, int32_t over) {
    for (int32_t step : {9, 7}) {
        const int32_t mid = from + dir * step;
        const int32_t to = mid + dir * step;
        if (!on_board(to) || !belongs(b[mid], enemy) || (over >= 0 && mid != over)) continue;
        if (b[to] == EMPTY && is_dark(to)) return true;
    }
    return false;
}

static bool king_captures(const ScratchBoard& b, int32_t from, int32_t side, int32_t over) {
    for (int32_t step : {9, 7, -7, -9}) {
        int32_t seen = 0;
        int32_t run = 0;
        bool passed = over < 0;
        for (int32_t k = from + step; on_board(k); k += step) {
            if (b[k] == EMPTY) {
                if (seen > 0 && passed && is_dark(k)) return true;
                run = 0;
                continue;
            }
            seen++;
            run++;
            if (run > 1 || belongs(b[k], side)) break;
            if (k == over) passed = true;
        }
    }
    return false;
}

static int32_t side_captures(const ScratchBoard& b, int32_t side, int32_t over) {
    const int32_t dir = side == BLUE ? -1 : 1;  // the way its men go
    const int32_t enemy = other_side(side);
    for (int32_t i = 0; i < SQUARE_COUNT; i++) {
        const int32_t code = b[i];
        if (code == side && man_captures(b, i, dir, enemy, over)) return 1;
        if (code == side + 2 && king_captures(b, i, side, over)) return 1;
    }
    return 0;
}

int32_t sim_square_attacked(int32_t square, int32_t side, const ScratchBoard& b) {
    if (!on_board(square) || b[square] == EMPTY) return 0;
    return side_captures(b, other_side(side), square);
}

int32_t sim_side_can_capture(int32_t side, const ScratchBoard& b) { return side_captures(b, other_side(side), -1); }

void copy_board_to_scratch(ScratchBoard& b) {
    for (int32_t i = 0; i < SQUARE_COUNT; i++) b[i] = board[i].piece;
}
