// Notation: squares and move texts, the one place the game names them.
//
// Board squares are the indices 0..63 of `board`, row by row from the top
// left as blue sees the board. Algebraic names are as on the board's edge:
// files a..h from the left, ranks 1..8 from the bottom, so a1 is square 56
// and h8 square 7. The 32 dark squares can also be numbered 1..32, row by
// row from one corner of the board.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Corners as a GameType's notation digit gives them, seen from the player
// who starts: where a1, or square 1, lies.
constexpr int CORNER_BOTTOM_LEFT = 0;
constexpr int CORNER_BOTTOM_RIGHT = 1;
constexpr int CORNER_TOP_LEFT = 2;
constexpr int CORNER_TOP_RIGHT = 3;

// How a game's squares are written: names, or numbers, each from a corner.
// Numbers in a game that names its squares count from the top left (1 is
// b8, 32 is g1), as they always have here.
struct SquareNumbering {
    bool numeric;
    int corner;          // of a1 or of square 1
    int number_corner;   // of square 1 when numbers appear anyway
};

constexpr SquareNumbering ALGEBRAIC = {false, CORNER_BOTTOM_LEFT, CORNER_TOP_LEFT};

// An argument shown inside a message, in quotes, with control and non-ASCII
// bytes escaped so any input prints as one safe line; at most about 80
// characters of it.
std::string quoted(const std::string& text);

// "c3" for square 42.
std::string square_name(int32_t square);

// A square by its name a1..h8 (lower-case file, as written).
bool parse_square_name(const std::string& text, int32_t& square);

// Square number 1..32 counted from `corner`, and back; -1 / 0 when there is
// none.
int32_t square_of_number(int number, int corner);
int number_of_square(int32_t square, int corner);

// One square as a game writes it: a name from the numbering's corner, or a
// number 1..32.
bool read_square(const std::string& text, const SquareNumbering& numbering, int32_t& square);

// A whole turn by name: "c3-d4", a capture "c3xe5xg7".
std::string pdn_move_text(const std::vector<int32_t>& squares, bool capture);

// The same by name, or by index with the squares joined by '-' whatever the
// move, as the commands print indices.
std::string move_text(const std::vector<int32_t>& squares, bool capture, bool algebraic);

// A written move: squares joined by '-', 'x' or ':' (a capture with either
// of the last two). False with the reason when it is not one.
bool parse_move_squares(const std::string& word, const SquareNumbering& numbering, std::vector<int32_t>& squares,
                        bool& capture, std::string& why);

// The number a game gives its `ply`-th turn (from 0): White and Black's
// replies share one. When Black moves first its first turn is "1...".
int move_number(size_t ply, bool black_first);

// "12." before White's turn, "12..." before Black's.
std::string move_number_label(size_t ply, bool black_first);
