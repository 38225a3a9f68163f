// Test helpers: an empty board with its geometry, pieces placed by index.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "app/game_state.h"
#include "rules/rules.h"

inline void empty_board() {
    reset_board();
    for (Square& s : board) s.piece = EMPTY;
}

inline void place(std::initializer_list<std::pair<int, int32_t>> pieces) {
    empty_board();
    for (const auto& p : pieces) {
        if (board[p.first].light) ADD_FAILURE() << "piece placed on light square " << p.first;
        board[p.first].piece = p.second;
    }
}

inline ScratchBoard scratch_of_board() {
    ScratchBoard b;
    copy_board_to_scratch(b);
    return b;
}
