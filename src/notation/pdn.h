// Notation: games in Portable Draughts Notation, both ways. Czech draughts
// with algebraic squares, blue as White (moving first), red as Black. One
// writer serves the games the player plays, the self-play games and the
// saved slots; one reader serves the pdn command and the fuzzers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "notation/squares.h"

// Czech draughts (type 29), White first, 8x8, squares named from a1 at
// White's bottom left, dark a1.
constexpr const char* PDN_GAME_TYPE = "29,W,8,8,A0,0";

// One whole turn: the squares the piece stopped on, and whether it took.
struct PdnTurn {
    std::vector<int32_t> squares;
    bool capture;
};

struct PdnGame {
    std::string event;
    std::string site;   // "?" when unknown, as for every tag below
    std::string date;   // YYYY.MM.DD, '?' for unknown digits; empty: all unknown
    std::string round;
    std::string white;  // blue
    std::string black;  // red
    std::string result; // "1-0", "0-1", "1/2-1/2" or "*" (unfinished)
    std::string fen;    // empty: the 12-men opening, White to move
    std::vector<PdnTurn> turns;
};

// --- writing ----------------------------------------------------------------

// The tag section, a blank line, the movetext (a chain as one move with
// every square it stops on, lines within 80 columns) ending in the result,
// and a blank line after the game. An empty tag value is written as "?".
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

// --- reading ----------------------------------------------------------------

struct PdnWrittenMove {
    std::string text;  // as written, its move number and annotation marks taken off
    int line;
};

// One game as the file gives it, before any rule has looked at it.
struct PdnSourceGame {
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<PdnWrittenMove> moves;
    std::string result;  // from the movetext, else from the tag
    int line = 0;        // of its first tag or move
    std::string fault;   // "line N: why" when its text is not PDN; then it is refused

    // The tag's value, or "" when the game has none.
    std::string tag(const char* name) const;
};

// Splits any bytes into games: tags in any order, comments in braces or
// after ';', variations (nested, brackets inside their comments), NAGs, move
// numbers "7." "7..." and "..." placeholders, '%' lines, a byte-order mark,
// CRLF. A game ends at its result or where the next game's tags begin. A
// fault stays with its game; the next game reads on. Never fails.
std::vector<PdnSourceGame> pdn_read_games(const std::string& text);

// The GameType tag's verdict: missing, 29 (in any of its forms) or our own
// earlier 32 are Czech draughts, and `numbering` tells how squares are
// written; anything else is not, and `why` names it ("GameType 20
// (international draughts, 10×10) is not Czech draughts").
bool pdn_czech_numbering(const std::string& game_type, SquareNumbering& numbering, std::string& why);

// A game replayed through the game's own rules on the live board.
struct PdnReplay {
    int32_t side = 0;               // to move after the last turn
    bool black_first = false;
    std::vector<std::string> fens;  // after each turn; fens[0] the start
    std::vector<PdnTurn> turns;     // as played, every stop of a chain named
};

// Replays `g` from its start (SetUp and FEN, else the 12-men opening). A
// written move must be a whole turn under the rules, its squares the stops
// of the chain, or only the first and last when one chain joins them; else
// false with "line N, move 7. 'c3-d4': why", why saying what the rules
// want. The live board, marks and game state are left as they were found.
bool pdn_replay(const PdnSourceGame& g, PdnReplay& r, std::string& why);
