// Menus and screens: the saved-games file Data/gamdat.tdt, five 284-byte
// records back to back (1420 bytes), every field a little-endian 32-bit
// integer. No Allegro here: the slots screen, the tests and the analysis
// command share this code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/game_state.h"

constexpr const char* SAVED_GAMES_PATH = "Data/gamdat.tdt";
constexpr int SAVE_SLOT_COUNT = 5;
constexpr size_t SAVE_SLOT_SIZE = 284;
constexpr size_t SAVED_GAMES_FILE_SIZE = SAVE_SLOT_SIZE * SAVE_SLOT_COUNT;

struct SaveSlot {
    int32_t opponent;       // offset 0
    int32_t difficulty;     // 4
    int32_t computer_side;  // 8
    int32_t turn;           // 12
    int32_t minutes;        // 16, the game clock
    int32_t seconds;        // 20
    int32_t pieces[SQUARE_COUNT];  // 24, square 0 first
    int32_t used;           // 280: 1 holds a game, any other value is free
};

// What the file held. A slot counts as saved only when its used field is 1
// and its content is a position the game can play; any other slot is shown
// free and cannot be loaded, yet is written back exactly as it was read.
struct SavedGames {
    SaveSlot slots[SAVE_SLOT_COUNT];
};

// The record of a slot that was never written: 1, 1, 1, 1, 0, 0, an empty
// board, free.
void default_slot(SaveSlot& slot);

// The file's bytes: slots it does not hold whole get default records.
void saved_games_from_bytes(SavedGames& g, const unsigned char* bytes, size_t size);
void saved_games_to_bytes(const SavedGames& g, unsigned char out[SAVED_GAMES_FILE_SIZE]);

// Answers 1 when the file was read (its slots), 0 when it is missing or
// could not be opened or read whole (the five default records).
int read_saved_games(const char* path, SavedGames& g);
// Writes all five slots atomically; 1 when written, 0 with the old file
// untouched.
int write_saved_games(const char* path, const SavedGames& g);

// 1 when the slot holds a game that can be loaded.
int slot_is_saved(const SaveSlot& slot);

// The game in progress into a slot (used 1), and a saved slot into the game
// state: opponent, difficulty, computer_side, turn, the paused clock, the
// pieces, game_running 1. piece_count is left as it is. A slot that is not
// saved (slot_is_saved 0) changes nothing. In the middle of a capture chain
// the slot gets the position the turn began from (record_chain_start).
void slot_from_game(SaveSlot& slot);
void game_from_slot(const SaveSlot& slot);
