// Games in Portable Draughts Notation, for other draughts programs: Czech
// draughts with algebraic squares, blue as White (moving first), red as
// Black. One writer serves the self-play games and the saved slots.
#pragma once

#include <cstdint>
#include <cstdio>
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

// A PDN file written game by game, so a long run holds only one game in
// memory.
struct PdnFile {
    std::FILE* file = nullptr;
    std::string path;
};

bool pdn_file_open(PdnFile& f, const char* path, std::string& error);

// Answers false once the file has refused a write.
bool pdn_file_write(PdnFile& f, const PdnGame& game);

// Whether every write reached the file; an unopened file closes fine.
bool pdn_file_close(PdnFile& f, std::string& error);
