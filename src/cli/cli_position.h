// Positions as text: eight rows of eight squares from the top row down,
// separated by '/', then a space and the side to move.
//   '.' empty, 'b' blue man, 'r' red man, 'B' blue king, 'R' red king;
//   side 'b' (1) or 'r' (2). "start" and "start8" are the opening positions
//   with 12 and 8 men a side, blue to move.
#pragma once

#include <cstdint>
#include <string>

// Loads the position into the live board (geometry rebuilt, marks cleared)
// and sets `side`. On failure answers false with a reason in `error`; the
// board is then unspecified.
bool parse_position(const std::string& text, int32_t& side, std::string& error);

// The live board and `side` in the same text form.
std::string format_position(int32_t side);

// The live board as a framed diagram with square numbers.
std::string board_diagram();
