// Live-board primitives: the square under the pointer, ownership, one move of
// one piece, taking jumped pieces off, and the two move marks.
#include "rules/rules.h"

#include "rules/rules_lines.h"

using namespace rules_detail;

int32_t square_at_point(int32_t x, int32_t y) {
    // Strict bounds: a point on a grid line belongs to no square.
    for (int32_t i = 0; i < SQUARE_COUNT; i++) {
        const int32_t left = BOARD_ORIGIN_X + board[i].x;
        const int32_t top = BOARD_ORIGIN_Y + board[i].y;
        if (left < x && x < left + SQUARE_SIZE && top < y && y < top + SQUARE_SIZE) return i;
    }
    return -1;
}

int32_t owns_piece(int32_t square, int32_t side) {
    if (!on_board(square)) return 0;
    return belongs(board[square].piece, side);
}

void swap_pieces(int32_t a, int32_t b) {
    if (!on_board(a) || !on_board(b)) return;
    const int32_t t = board[a].piece;
    board[a].piece = board[b].piece;
    board[b].piece = t;
}

int32_t is_man_step(int32_t from, int32_t to, int32_t side) { return man_step(LiveCells{}, from, to, side); }

int32_t is_man_jump(int32_t from, int32_t to, int32_t side) { return man_jump(LiveCells{}, from, to, side); }

int32_t is_king_slide(int32_t from, int32_t to, int32_t side) { return king_slide(LiveCells{}, from, to, side); }

int32_t is_king_capture(int32_t from, int32_t to, int32_t side) {
    return king_capture(LiveCells{}, from, to, side);
}

static bool free_dark_target(int32_t to) { return on_board(to) && board[to].piece == EMPTY && is_dark(to); }

int32_t is_legal_move(int32_t from, int32_t to, int32_t side) {
    if (!free_dark_target(to) || !on_board(from)) return 0;
    const int32_t p = board[from].piece;
    if (is_man(p)) return is_man_jump(from, to, side) || is_man_step(from, to, side);
    if (is_king(p)) return is_king_capture(from, to, side) || is_king_slide(from, to, side);
    return 0;
}

int32_t is_capture(int32_t from, int32_t to, int32_t side) {
    if (!free_dark_target(to) || !on_board(from)) return 0;
    const int32_t p = board[from].piece;
    if (is_man(p)) return is_man_jump(from, to, side);
    if (is_king(p)) return is_king_capture(from, to, side);
    return 0;
}

int32_t remove_between(int32_t from, int32_t to) { return rules_detail::remove_between(LiveCells{}, from, to); }

int32_t source_square() {
    for (int32_t i = 0; i < SQUARE_COUNT; i++)
        if (board[i].source_mark == 1) return i;
    return -1;
}

int32_t target_square() {
    for (int32_t i = 0; i < SQUARE_COUNT; i++)
        if (board[i].target_mark == 1) return i;
    return -1;
}

void targets_to_sources() {
    for (Square& s : board)
        if (s.target_mark == 1) s.source_mark = 1;
}

void clear_marks(int32_t kind) {
    if (kind == 1)
        for (Square& s : board) s.source_mark = 0;
    else if (kind == 2)
        for (Square& s : board) s.target_mark = 0;
}

int32_t is_reclick(int32_t selected, int32_t clicked, int32_t in_chain) {
    if (selected != clicked) return 0;
    // Inside a chain the capturing piece must stay picked.
    if (in_chain == 0 && on_board(selected)) board[selected].source_mark = 0;
    return 1;
}
