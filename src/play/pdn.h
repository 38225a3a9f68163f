// Games in Portable Draughts Notation, for other draughts programs: Czech
// draughts with algebraic squares, blue as White (moving first), red as
// Black. One writer serves the games the player plays, the self-play games
// and the saved slots.
//
// Squares are named as on the board's edge: files a..h from the left, ranks
// 1..8 from the bottom, so a1 is square 56 and h8 square 7. A FEN reads
// "W:Wa1,c1,Ke3:Bb8,d8": the side to move, then each colour's list, its
// kings prefixed with K.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Czech draughts, White first, 8x8 board, algebraic squares.
constexpr const char* PDN_GAME_TYPE = "32,W,8,8,A1,0";

// One whole turn: the squares the piece passed through, and whether it took.
struct PdnTurn {
    std::vector<int32_t> squares;
    bool capture;
};

struct PdnGame {
    std::string event;
    std::string site;
    std::string date;   // YYYY.MM.DD, '?' for unknown digits
    std::string round;
    std::string white;  // blue
    std::string black;  // red
    std::string result; // "1-0", "0-1", "1/2-1/2" or "*" (unfinished)
    std::string fen;    // empty: the 12-men opening, White to move
    std::vector<PdnTurn> turns;
};

// The tag section, a blank line, the movetext (a chain as one move, lines
// within 80 columns) ending in the result, and a blank line after the game.
std::string pdn_text(const PdnGame& game);

// "1-0" when blue won, "0-1" when red won, "1/2-1/2" for a draw (0).
const char* pdn_result(int32_t winner);

// Today's date as the Date tag writes it.
std::string pdn_today();

// "c3" for square 42.
std::string square_name(int32_t square);

// A whole turn by name: "c3-d4", a capture "c3xe5xg7".
std::string pdn_move_text(const std::vector<int32_t>& squares, bool capture);

// 64 piece codes indexed like the board (codes 0..4) and the side to move.
std::string fen_of(const int32_t pieces[], int32_t side);
