// Any bytes as the saved-games file: every slot is written back byte for
// byte as read, and a slot the game offers to load puts only real pieces,
// on dark squares, into the game.
#include <cstdlib>
#include <cstring>

#include "app/game_state.h"
#include "ui/saved_games.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    SavedGames g;
    saved_games_from_bytes(g, data, size);
    unsigned char out[SAVED_GAMES_FILE_SIZE];
    saved_games_to_bytes(g, out);
    const size_t whole = size < SAVED_GAMES_FILE_SIZE ? size / SAVE_SLOT_SIZE * SAVE_SLOT_SIZE : size;
    if (std::memcmp(out, data, whole < SAVED_GAMES_FILE_SIZE ? whole : SAVED_GAMES_FILE_SIZE) != 0) std::abort();

    SavedGames again;
    saved_games_from_bytes(again, out, sizeof out);
    unsigned char out2[SAVED_GAMES_FILE_SIZE];
    saved_games_to_bytes(again, out2);
    if (std::memcmp(out, out2, sizeof out) != 0) std::abort();

    for (const SaveSlot& slot : g.slots) {
        if (!slot_is_saved(slot)) continue;
        reset_board();
        game_from_slot(slot);
        if (game.game_running != 1) std::abort();
        if (game.turn != BLUE && game.turn != RED) std::abort();
        for (int i = 0; i < SQUARE_COUNT; i++) {
            const int32_t p = board[i].piece;
            if (p < 0 || p > 4) std::abort();
            if (p != EMPTY && (square_row(i) + square_col(i)) % 2 == 0) std::abort();
            if (p != EMPTY && board[i].light != 0) std::abort();
        }
    }
    return 0;
}
