// Game play: the record of the game being played. It holds the position
// each whole turn started from, so moves can be taken back, and the turns in
// the draughts world's notation, so every game can be kept in
// Data/partie.pdn. Memory only until the game is kept; a saved slot does not
// carry it. No Allegro here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "notation/pdn.h"
#include "rules/rules.h"

constexpr const char* KEPT_GAMES_PATH = "Data/partie.pdn";

constexpr int32_t RECORD_UNFINISHED = -1;

// The position, the side to move and the draw bookkeeping just before a
// whole turn's first step; no chain is under way there.
struct TurnStart {
    int32_t pieces[SQUARE_COUNT];
    int32_t turn;
    DrawBook draw_book;
};

struct GameRecord {
    int32_t start_pieces[SQUARE_COUNT];
    int32_t start_turn;
    std::vector<TurnStart> starts;  // starts[k] is where turns[k] began
    std::vector<PdnTurn> turns;     // the last may be a chain under way
    int32_t result;                 // RECORD_UNFINISHED, the winner, or 0 for a draw
    std::string white;              // blue's name
    std::string black;
    int32_t kept;                   // written to the file; nothing more to add
};

extern GameRecord game_record;

// A new record from the live board and `turn`: a new game, a loaded one.
void record_start();

// One step about to be carried out from `from` to `to` by the side to move,
// with the draw bookkeeping as it stands before it. The first step of a turn
// opens a new turn; a chain's later steps extend it.
void record_step(int32_t from, int32_t to, int32_t first_of_turn, const DrawBook& book);

// The start of the turn under way while a capture chain is in its middle
// (the last turn is a capture whose side is still to move), else null. A
// slot saved then keeps this position, so the loaded game plays the whole
// turn again under the rules: the slot has no field for the chain.
const TurnStart* record_chain_start();

// Drops turns[k] and everything after it; the game is unfinished again.
void record_truncate(size_t k);

// The latest turn in the record, a chain under way included, as sets of
// squares (bit i for square i): the square its piece left and every landing
// square; the squares of the pieces it took, those of the other side that
// `pieces_now` no longer holds. Both empty before the first move.
struct LastMove {
    uint64_t path;
    uint64_t taken;
};
LastMove last_move(const GameRecord& r, const int32_t pieces_now[SQUARE_COUNT]);

// The record as one PDN game.
std::string record_pdn();

// Appends the game to the file at `path` when it has a move and was not
// kept yet; the file is read whole and rewritten atomically, and one that
// cannot be read whole is left alone. Answers 1 when nothing was due or the
// game is in the file, 0 when it could not be written (it stays due).
int keep_game(const char* path);
