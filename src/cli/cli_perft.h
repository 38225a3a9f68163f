// Counting whole turns with the game's rules: a turn is one move the
// acceptance rule takes and, while perform_move keeps the turn, each further
// jump of the same piece.
#pragma once

#include <cstdint>
#include <vector>

// counts[d-1] is the number of distinct sequences of d whole turns from the
// live board with `side` to move, for d = 1..max_depth; a side with no move
// ends its branch. The board is left as it was.
std::vector<uint64_t> perft_counts(int32_t side, int max_depth);

struct FirstMove {
    int32_t from;
    int32_t to;
};

// The single moves `side` may start its turn with, in scan order.
std::vector<FirstMove> first_moves(int32_t side);
