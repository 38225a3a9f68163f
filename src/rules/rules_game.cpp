// Whole-position rules: compulsory capture with king precedence, chains,
// crowning, carrying out a move, and the end of the game.
#include "rules/rules.h"

#include "rules/rules_lines.h"

using namespace rules_detail;

// Any side code other than 1 scans the red pieces, as the game always has.
static int32_t man_code(int32_t side) { return side == BLUE ? BLUE_MAN : RED_MAN; }

static int32_t pending(int32_t from, int32_t to, int32_t side, bool kings_only) {
    const int32_t man = man_code(side);
    const int32_t king = man + 2;
    int32_t found = 0;
    for (int32_t i = 0; i < SQUARE_COUNT; i++) {
        const int32_t p = board[i].piece;
        if (p != king && (kings_only || p != man)) continue;
        for (int32_t j = 0; j < SQUARE_COUNT; j++) {
            if (j == i || !is_capture(i, j, side)) continue;
            if (i == from && j == to) return 0;
            found = 1;
        }
    }
    return found;
}

int32_t capture_pending(int32_t from, int32_t to, int32_t side) { return pending(from, to, side, false); }

int32_t king_capture_pending(int32_t from, int32_t to, int32_t side) { return pending(from, to, side, true); }

int32_t can_capture_from(int32_t square, int32_t side) {
    for (int32_t j = 0; j < SQUARE_COUNT; j++) {
        // Most squares are taken or light; is_legal_move would refuse them.
        if (board[j].piece != EMPTY || board[j].light) continue;
        if (j == square || !is_legal_move(square, j, side)) continue;
        if (is_man_jump(square, j, side) || is_king_capture(square, j, side)) return 1;
    }
    return 0;
}

int32_t crown_men() {
    for (int32_t i = 0; i < 8; i++) {
        if (board[i].piece == BLUE_MAN) {
            board[i].piece = BLUE_KING;
            return 1;
        }
    }
    for (int32_t i = 56; i < SQUARE_COUNT; i++) {
        if (board[i].piece == RED_MAN) {
            board[i].piece = RED_KING;
            return 1;
        }
    }
    return 0;
}

int32_t perform_move(int32_t side) {
    const int32_t from = source_square();
    const int32_t to = target_square();
    // Without both marks there is no move; leave the board alone.
    if (from < 0 || to < 0) return 0;
    int32_t captured = remove_between(from, to);
    swap_pieces(from, to);
    // A crowning ends the turn even when the new king could jump on.
    if (crown_men()) captured = 0;
    if (captured && can_capture_from(to, side)) {
        clear_marks(1);
        targets_to_sources();
        clear_marks(2);
        return 1;
    }
    clear_marks(1);
    clear_marks(2);
    return 0;
}

int32_t game_result(int32_t side_to_move) {
    int32_t result = side_to_move == BLUE ? RED : BLUE;
    const int32_t man = man_code(side_to_move);
    for (int32_t i = 0; i < SQUARE_COUNT && result != 0; i++) {
        const int32_t p = board[i].piece;
        if (p != man && p != man + 2) continue;
        for (int32_t j = 0; j < SQUARE_COUNT; j++) {
            if (j != i && is_legal_move(i, j, side_to_move)) {
                result = 0;
                break;
            }
        }
    }
    int32_t blue = 0;
    int32_t red = 0;
    for (const Square& s : board) {
        if (s.piece == BLUE_MAN || s.piece == BLUE_KING) blue++;
        if (s.piece == RED_MAN || s.piece == RED_KING) red++;
    }
    if (red == 0 && result == 0) result = BLUE;
    if (blue == 0 && result == 0) result = RED;
    return result;
}

static int32_t pieces_on_board() {
    int32_t n = 0;
    for (const Square& s : board)
        if (s.piece > 0) n++;
    return n;
}

void draw_book_reset(DrawBook& book) {
    book.quiet_moves = 0;
    book.last_piece_count = pieces_on_board();
    for (int32_t i = 0; i < SQUARE_COUNT; i++) book.draw_snapshot[i] = board[i].piece;
}

int32_t draw_check(int32_t& quiet_moves, int32_t& last_piece_count, int32_t draw_snapshot[SQUARE_COUNT]) {
    const int32_t n = pieces_on_board();
    bool changed = false;
    bool man_moved = false;
    for (int32_t i = 0; i < SQUARE_COUNT; i++) {
        const int32_t p = board[i].piece;
        if (p == draw_snapshot[i]) continue;
        changed = true;
        if (is_man(p)) man_moved = true;
    }
    // An unchanged board keeps a finished game drawn and a running one going.
    if (!changed) return game.game_running == 0 ? 1 : 0;
    if (man_moved || last_piece_count > n)
        quiet_moves = 0;
    else
        quiet_moves++;
    last_piece_count = n;
    for (int32_t i = 0; i < SQUARE_COUNT; i++) draw_snapshot[i] = board[i].piece;
    return quiet_moves > 16 ? 1 : 0;
}

MoveVerdict judge_human_move(int32_t from, int32_t to, int32_t side, int32_t in_chain) {
    if (from == to) return VERDICT_RECLICK;
    if (is_legal_move(from, to, side) != 1) return VERDICT_IGNORED;
    const int32_t king_first = king_capture_pending(from, to, side);
    if (capture_pending(from, to, side) || (king_first && in_chain == 0))
        return king_first ? VERDICT_REFUSED_KING : VERDICT_REFUSED_MAN;
    return VERDICT_ACCEPTED;
}

MoveVerdict accept_human_move(int32_t from, int32_t to, int32_t side, int32_t in_chain) {
    if (is_reclick(from, to, in_chain)) return VERDICT_RECLICK;
    const MoveVerdict verdict = judge_human_move(from, to, side, in_chain);
    // Outside a chain a refused player starts the move anew.
    if ((verdict == VERDICT_REFUSED_MAN || verdict == VERDICT_REFUSED_KING) && in_chain == 0) clear_marks(1);
    if (verdict == VERDICT_ACCEPTED) board[to].target_mark = 1;
    return verdict;
}

uint64_t capturing_pieces(int32_t side, int32_t in_chain, int32_t chain_square) {
    uint64_t pieces = 0;
    for (int32_t from = 0; from < SQUARE_COUNT; from++) {
        if (in_chain && from != chain_square) continue;
        for (int32_t to = 0; to < SQUARE_COUNT; to++) {
            if (to == from || is_capture(from, to, side) != 1) continue;
            if (judge_human_move(from, to, side, in_chain) != VERDICT_ACCEPTED) continue;
            pieces |= uint64_t(1) << from;
            break;
        }
    }
    return pieces;
}
