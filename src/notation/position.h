// Notation: positions as text, in two forms, both ways.
//
// The board text: eight rows of eight squares from the top row down,
// separated by '/', then a space and the side to move.
//   '.' empty, 'b' blue man, 'r' red man, 'B' blue king, 'R' red king;
//   side 'b' (1) or 'r' (2). "start" and "start8" are the opening positions
//   with 12 and 8 men a side, blue to move.
//
// The FEN: "W:Wa1,c1,Ke3:Bb8,d8". Blue is White, red is Black; the letter
// before the first ':' is the side to move, then each colour's list, its
// kings prefixed with K. Squares are named (notation/squares.h) or numbered
// 1..32, ranges "1-12" included; a final '.' and spaces are allowed. Told
// apart from the board text by its ':'. Written with names, in name order.
#pragma once

#include <cstdint>
#include <string>

#include "notation/squares.h"

// Loads the position into the live board (geometry rebuilt, marks cleared)
// and sets `side`. On failure answers false with a reason in `error`; the
// board is then unspecified. A FEN's squares are read with `numbering`.
bool parse_position(const std::string& text, int32_t& side, std::string& error,
                    const SquareNumbering& numbering = ALGEBRAIC);

// The live board and `side` in the board text and as a FEN.
std::string format_position(int32_t side);
std::string format_fen(int32_t side);

// The same for 64 piece codes indexed like the board (codes 0..4 only).
std::string position_text_of(const int32_t pieces[], int32_t side);
std::string fen_of(const int32_t pieces[], int32_t side);

// The live board as a framed diagram with square numbers, or with the
// board's own file letters and rank numbers.
std::string board_diagram();
std::string board_diagram_algebraic();
