// Positions as text, in two forms.
//
// The board text: eight rows of eight squares from the top row down,
// separated by '/', then a space and the side to move.
//   '.' empty, 'b' blue man, 'r' red man, 'B' blue king, 'R' red king;
//   side 'b' (1) or 'r' (2). "start" and "start8" are the opening positions
//   with 12 and 8 men a side, blue to move.
//
// The PDN FEN with algebraic squares: "W:Wa1,c1,Ke3:Bb8,d8". Blue is White,
// red is Black; the letter before the first ':' is the side to move, then
// each colour's list, its kings prefixed with K. Squares are named as on the
// board's edge: files a..h from the left, ranks 1..8 from the bottom, so a1
// is square 56 and h8 square 7. Told apart from the board text by its ':'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "play/pdn.h"

// Loads the position into the live board (geometry rebuilt, marks cleared)
// and sets `side`. On failure answers false with a reason in `error`; the
// board is then unspecified.
bool parse_position(const std::string& text, int32_t& side, std::string& error);

// The live board and `side` in the board text and as a FEN.
std::string format_position(int32_t side);
std::string format_fen(int32_t side);

// The same for 64 piece codes indexed like the board (codes 0..4 only).
// (fen_of, for piece codes, is with the PDN writer.)
std::string position_text_of(const int32_t pieces[], int32_t side);

// The live board as a framed diagram with square numbers, or with the
// board's own file letters and rank numbers.
std::string board_diagram();
std::string board_diagram_algebraic();

// A square by its name a1..h8.
bool parse_square_name(const std::string& text, int32_t& square);

// A move through `squares`: by name "c3-d4", a capture "c3xe5xg7"; by index
// the squares joined by '-' whatever the move, as the commands print it.
std::string move_text(const std::vector<int32_t>& squares, bool capture, bool algebraic);
