// Test helpers for the computer opponent: positions by piece lists, and one
// call of the move selection with its level, seed and chain square.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "ai/ai.h"
#include "app/game_state.h"

inline void set_position(std::initializer_list<int> blue_men, std::initializer_list<int> red_men,
                         std::initializer_list<int> blue_kings = {}, std::initializer_list<int> red_kings = {}) {
    reset_board();
    for (Square& s : board) s.piece = EMPTY;
    auto put = [](std::initializer_list<int> squares, int32_t code) {
        for (int sq : squares) {
            if (board[sq].light) ADD_FAILURE() << "piece placed on light square " << sq;
            if (board[sq].piece != EMPTY) ADD_FAILURE() << "two pieces on square " << sq;
            board[sq].piece = code;
        }
    };
    put(blue_men, BLUE_MAN);
    put(red_men, RED_MAN);
    put(blue_kings, BLUE_KING);
    put(red_kings, RED_KING);
}

inline void clear_all_marks() {
    for (Square& s : board) s.source_mark = s.target_mark = 0;
}

inline ScratchBoard scratch() {
    ScratchBoard b;
    copy_board_to_scratch(b);
    return b;
}

struct Choice {
    int from;
    int to;
    std::string rule;  // empty when no rule found a move
};

inline bool operator==(const Choice& a, const Choice& b) {
    return a.from == b.from && a.to == b.to && a.rule == b.rule;
}

inline std::ostream& operator<<(std::ostream& os, const Choice& c) {
    return os << c.from << "-" << c.to << " by " << (c.rule.empty() ? "(none)" : c.rule);
}

// Runs the selection on the current position and checks what every caller
// relies on: pieces untouched, exactly one source and one target mark.
inline Choice choose(int32_t side, int32_t level, unsigned seed = 1, int chain = -1) {
    clear_all_marks();
    if (chain >= 0) board[chain].source_mark = 1;
    settings.difficulty = level;
    int32_t before[SQUARE_COUNT];
    for (int i = 0; i < SQUARE_COUNT; i++) before[i] = board[i].piece;
    std::srand(seed);
    const char* name = choose_computer_move_explained(side);
    int sources = 0;
    int targets = 0;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        EXPECT_EQ(board[i].piece, before[i]) << "selection changed square " << i;
        sources += board[i].source_mark;
        targets += board[i].target_mark;
    }
    Choice c{source_square(), target_square(), name != nullptr ? name : ""};
    if (name != nullptr) {
        EXPECT_EQ(sources, 1);
        EXPECT_EQ(targets, 1);
    }
    clear_all_marks();
    return c;
}

// The index a random rule picks among n candidates after srand(seed).
inline int random_index(unsigned seed, int n) {
    std::srand(seed);
    return std::rand() % n;
}
