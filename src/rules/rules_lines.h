// The move geometry shared by the live board and the scratch boards. Both
// families must answer identically, so the arithmetic lives here once and is
// instantiated over a cell accessor (live `board` pieces or a ScratchBoard).
#pragma once

#include <cstdint>
#include <initializer_list>

#include "app/game_state.h"

namespace rules_detail {

inline bool on_board(int32_t i) { return i >= 0 && i < SQUARE_COUNT; }

// Colours never change, so the scratch family reads them from the live board.
inline bool is_dark(int32_t i) { return board[i].light == 0; }

inline bool belongs(int32_t code, int32_t side) {
    if (side == BLUE) return code == BLUE_MAN || code == BLUE_KING;
    if (side == RED) return code == RED_MAN || code == RED_KING;
    return false;
}

inline bool is_man(int32_t code) { return code == BLUE_MAN || code == RED_MAN; }
inline bool is_king(int32_t code) { return code == BLUE_KING || code == RED_KING; }

struct LiveCells {
    int32_t operator[](int32_t i) const { return board[i].piece; }
    void clear(int32_t i) const { board[i].piece = EMPTY; }
};

struct ScratchCells {
    int32_t* cell;
    int32_t operator[](int32_t i) const { return cell[i]; }
    void clear(int32_t i) const { cell[i] = EMPTY; }
};

struct ConstScratchCells {
    const int32_t* cell;
    int32_t operator[](int32_t i) const { return cell[i]; }
};

template <class Cells>
int32_t man_step(const Cells& c, int32_t from, int32_t to, int32_t side) {
    if (from == to || !on_board(from)) return 0;
    if (side == BLUE && c[from] == BLUE_MAN) return to == from - 7 || to == from - 9;
    if (side == RED && c[from] == RED_MAN) return to == from + 7 || to == from + 9;
    return 0;
}

// The landing bound keeps the jumped square on the board as well: it lies
// half-way between, so it can never leave 0..63 when the landing does not.
template <class Cells>
int32_t man_jump(const Cells& c, int32_t from, int32_t to, int32_t side) {
    if (from == to || !on_board(from)) return 0;
    if (side == BLUE && c[from] == BLUE_MAN) {
        if (to == from - 18 && to >= 0 && belongs(c[from - 9], RED)) return 1;
        if (to == from - 14 && to >= 0 && belongs(c[from - 7], RED)) return 1;
        return 0;
    }
    if (side == RED && c[from] == RED_MAN) {
        if (to == from + 18 && to <= 63 && belongs(c[from + 9], BLUE)) return 1;
        if (to == from + 14 && to <= 63 && belongs(c[from + 7], BLUE)) return 1;
        return 0;
    }
    return 0;
}

// A king may only be moved by its own side; the predicates do not otherwise
// insist on a king, so a man's step never passes as a king capture only
// because nothing lies between.
template <class Cells>
bool king_guard_fails(const Cells& c, int32_t from, int32_t to, int32_t side) {
    if (!on_board(from) || !on_board(to)) return true;
    if (c[from] == BLUE_KING && side != BLUE) return true;
    if (c[from] == RED_KING && side != RED) return true;
    return from == to;
}

// Step of the line from -> to as index arithmetic sees it (9 before 7), 0 if
// the two squares share no line.
inline int32_t line_step(int32_t from, int32_t to) {
    const int32_t d = to > from ? to - from : from - to;
    const int32_t sign = to > from ? 1 : -1;
    if (d % 9 == 0) return 9 * sign;
    if (d % 7 == 0) return 7 * sign;
    return 0;
}

template <class Cells>
int32_t king_slide(const Cells& c, int32_t from, int32_t to, int32_t side) {
    if (king_guard_fails(c, from, to, side)) return 0;
    const int32_t step = line_step(from, to);
    if (step == 0) return 0;
    for (int32_t k = from + step;; k += step) {
        if (c[k] != EMPTY) return 0;
        if (k == to) return 1;
    }
}

// -1: the whole capture is refused; 0: nothing on this line; 1: a capture.
template <class Cells>
int32_t king_capture_line(const Cells& c, int32_t from, int32_t to, int32_t step, int32_t side) {
    int32_t seen = 0;
    int32_t run = 0;
    for (int32_t k = from + step; k != to; k += step) {
        if (c[k] != EMPTY) {
            seen++;
            run++;
        } else {
            run = 0;
        }
        if (run > 1) return -1;
        if (belongs(c[k], side)) return -1;
    }
    return seen > 0 ? 1 : 0;
}

template <class Cells>
int32_t king_capture(const Cells& c, int32_t from, int32_t to, int32_t side) {
    if (king_guard_fails(c, from, to, side)) return 0;
    const int32_t d = to > from ? to - from : from - to;
    const int32_t sign = to > from ? 1 : -1;
    // Only 0 and 63 share both lines; both are light and never a target.
    if (d % 9 == 0) {
        const int32_t r = king_capture_line(c, from, to, 9 * sign, side);
        if (r != 0) return r > 0;
    }
    if (d % 7 == 0) {
        const int32_t r = king_capture_line(c, from, to, 7 * sign, side);
        if (r != 0) return r > 0;
    }
    return 0;
}

// Calls visit(k) for every square strictly between, on each line the
// distance admits (step 9 first); stops early when visit answers true.
template <class Visit>
bool walk_between(int32_t from, int32_t to, Visit visit) {
    if (!on_board(from) || !on_board(to) || from == to) return false;
    const int32_t d = to > from ? to - from : from - to;
    const int32_t sign = to > from ? 1 : -1;
    for (int32_t step : {9, 7}) {
        if (d % step != 0) continue;
        for (int32_t k = from + step * sign; k != to; k += step * sign)
            if (visit(k)) return true;
    }
    return false;
}

template <class Cells>
int32_t remove_between(const Cells& c, int32_t from, int32_t to) {
    int32_t taken = 0;
    walk_between(from, to, [&](int32_t k) {
        if (c[k] != EMPTY) {
            c.clear(k);
            taken = 1;
        }
        return false;
    });
    return taken;
}

}  // namespace rules_detail
