// Menus and screens: the saved-games file. Records are kept exactly as
// read, so saving one slot never alters the other four, however odd their
// bytes; whether a record can be played is decided only when it is shown
// or loaded.
#include "ui/saved_games.h"


#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "play/game_record.h"

namespace {

constexpr int HEADER_COUNT = 6;
constexpr int FIELD_COUNT = HEADER_COUNT + SQUARE_COUNT + 1;
static_assert(FIELD_COUNT * 4 == SAVE_SLOT_SIZE, "71 fields of 4 bytes");

int32_t SaveSlot::*const HEADER[HEADER_COUNT] = {
    &SaveSlot::opponent, &SaveSlot::difficulty, &SaveSlot::computer_side,
    &SaveSlot::turn,     &SaveSlot::minutes,    &SaveSlot::seconds,
};

int32_t& field(SaveSlot& slot, int i) {
    if (i < HEADER_COUNT) return slot.*HEADER[i];
    if (i < HEADER_COUNT + SQUARE_COUNT) return slot.pieces[i - HEADER_COUNT];
    return slot.used;
}

bool one_or_two(int32_t v) { return v == 1 || v == 2; }
bool a_level(int32_t v) { return v >= LEVEL_AMATEUR && v <= LEVEL_MASTER; }

// A position the game can have reached: the rules and the computer assume
// every one of these.
bool playable(const SaveSlot& slot) {
    if (!one_or_two(slot.opponent) || !a_level(slot.difficulty) || !one_or_two(slot.computer_side) ||
        !one_or_two(slot.turn))
        return false;
    if (slot.minutes < 0 || slot.minutes > CLOCK_MAX_MINUTES || slot.seconds < 0 || slot.seconds > 59) return false;
    for (int i = 0; i < SQUARE_COUNT; i++)
        if (placement_fault(i, slot.pieces[i]) != nullptr) return false;
    return true;
}

}  // namespace

void default_slot(SaveSlot& slot) {
    slot.opponent = slot.difficulty = slot.computer_side = slot.turn = 1;
    slot.minutes = slot.seconds = 0;
    for (int32_t& p : slot.pieces) p = EMPTY;
    slot.used = 0;
}

void saved_games_from_bytes(SavedGames& g, const unsigned char* bytes, size_t size) {
    for (int k = 0; k < SAVE_SLOT_COUNT; k++) {
        SaveSlot& slot = g.slots[k];
        const size_t start = SAVE_SLOT_SIZE * k;
        if (size < start + SAVE_SLOT_SIZE) {
            default_slot(slot);
            continue;
        }
        for (int i = 0; i < FIELD_COUNT; i++) field(slot, i) = load_le32(bytes + start + 4 * i);
    }
}

void saved_games_to_bytes(const SavedGames& g, unsigned char out[SAVED_GAMES_FILE_SIZE]) {
    for (int k = 0; k < SAVE_SLOT_COUNT; k++) {
        SaveSlot slot = g.slots[k];
        for (int i = 0; i < FIELD_COUNT; i++) store_le32(out + SAVE_SLOT_SIZE * k + 4 * i, field(slot, i));
    }
}

int read_saved_games(const char* path, SavedGames& g) {
    unsigned char bytes[SAVED_GAMES_FILE_SIZE];
    size_t size = 0;
    if (read_file_prefix(path, bytes, sizeof bytes, size) != READ_DONE) {
        saved_games_from_bytes(g, nullptr, 0);
        return 0;
    }
    saved_games_from_bytes(g, bytes, size);
    return 1;
}

int write_saved_games(const char* path, const SavedGames& g) {
    unsigned char bytes[SAVED_GAMES_FILE_SIZE];
    saved_games_to_bytes(g, bytes);
    return write_file_atomically(path, bytes, sizeof bytes);
}

int slot_is_saved(const SaveSlot& slot) { return slot.used == 1 && playable(slot) ? 1 : 0; }

void slot_from_game(SaveSlot& slot) {
    slot.opponent = settings.opponent;
    slot.difficulty = settings.difficulty;
    slot.computer_side = settings.computer_side;
    slot.turn = game.turn;
    slot.minutes = game.paused_minutes;
    slot.seconds = game.paused_seconds;
    const TurnStart* chain = record_chain_start();
    for (int i = 0; i < SQUARE_COUNT; i++) slot.pieces[i] = chain != nullptr ? chain->pieces[i] : board[i].piece;
    slot.used = 1;
}

void game_from_slot(const SaveSlot& slot) {
    if (!slot_is_saved(slot)) return;
    settings.opponent = slot.opponent;
    settings.difficulty = slot.difficulty;
    settings.computer_side = slot.computer_side;
    game.turn = slot.turn;
    game.paused_minutes = slot.minutes;
    game.paused_seconds = slot.seconds;
    for (int i = 0; i < SQUARE_COUNT; i++) board[i].piece = slot.pieces[i];
    game.game_running = 1;
}
