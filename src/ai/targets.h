// The squares a move from a square can land on, for the scans of the move
// rules and the look-ahead. The scratch predicates refuse every other target
// (a man steps 7 or 9 and jumps 14 or 18 squares away, a king only moves
// along an index line, a distance that is a multiple of 9 or 7), so a scan of
// these lists meets the same candidates, in the same order, as a scan of all
// 64 squares, and asks the same predicates about them.
#pragma once

#include <cstdint>

#include "app/game_state.h"

struct TargetList {
    int32_t count;
    int32_t square[16];  // ascending
};

struct Targets {
    TargetList step;  // a man's step, either direction
    TargetList jump;  // a man's jump, either direction
    TargetList line;  // a king's move; also holds every step and jump
};

const Targets& targets_of(int32_t from);

// The list to scan for a piece with code `code` on `from`: steps (captures
// when `capture` is set) for a man, the whole index lines for a king or
// anything else.
inline const TargetList& targets_for_piece(int32_t from, int32_t code, bool capture) {
    const Targets& t = targets_of(from);
    if (code == BLUE_MAN || code == RED_MAN) return capture ? t.jump : t.step;
    return t.line;
}
