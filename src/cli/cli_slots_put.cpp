// slots --put: a position written into a saved-games file as a game the
// game's own slots screen loads, so a position from a book or from a PDN
// file can be played out.
#include <cstring>
#include <string>

#include "app/atomic_file.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_position.h"
#include "ui/saved_games.h"

namespace {

const char PUT_USAGE[] =
    "slots FILE --put N POSITION [--opponent computer|human] [--level amateur|professional] "
    "[--computer blue|red]";

// One of two words, or the option left out.
bool choose(const char* given, const char* first, const char* second, int32_t& value) {
    if (given == nullptr) return true;
    if (std::strcmp(given, first) == 0) value = 1;
    else if (std::strcmp(given, second) == 0) value = 2;
    else return false;
    return true;
}

}  // namespace

int cli_slots_put(const char* path, int argc, const char* const* argv, std::string& out, std::string& err) {
    const char* number = nullptr;
    const char* position = nullptr;
    const char* opponent = nullptr;
    const char* level = nullptr;
    const char* computer = nullptr;
    for (int i = 0; i < argc; i++) {
        const char** value = std::strcmp(argv[i], "--opponent") == 0   ? &opponent
                             : std::strcmp(argv[i], "--level") == 0    ? &level
                             : std::strcmp(argv[i], "--computer") == 0 ? &computer
                                                                       : nullptr;
        if (value != nullptr) {
            if (i + 1 >= argc) return cli_fail(err, std::string(argv[i]) + " needs a value; " + PUT_USAGE);
            *value = argv[++i];
        } else if (std::strncmp(argv[i], "--", 2) == 0) {
            return cli_fail(err, "unknown option " + cli_quote(argv[i]) + "; " + PUT_USAGE);
        } else if (number == nullptr) {
            number = argv[i];
        } else if (position == nullptr) {
            position = argv[i];
        } else {
            return cli_fail(err, std::string("too many arguments; ") + PUT_USAGE);
        }
    }
    if (position == nullptr) return cli_fail(err, std::string("--put needs a slot and a position; ") + PUT_USAGE);
    if (std::strlen(number) != 1 || number[0] < '1' || number[0] > '5')
        return cli_fail(err, "slot must be 1 to 5, got " + cli_quote(number));

    // The slot a new game would save: the settings' defaults.
    SaveSlot slot;
    default_slot(slot);
    slot.opponent = OPPONENT_COMPUTER;
    slot.difficulty = LEVEL_PROFESSIONAL;
    slot.computer_side = RED;
    if (!choose(opponent, "computer", "human", slot.opponent))
        return cli_fail(err, "opponent must be computer or human, got " + cli_quote(opponent));
    if (!choose(level, "amateur", "professional", slot.difficulty))
        return cli_fail(err, "level must be amateur or professional, got " + cli_quote(level));
    if (!choose(computer, "blue", "red", slot.computer_side))
        return cli_fail(err, "computer must be blue or red, got " + cli_quote(computer));

    std::string why;
    int32_t side = BLUE;
    if (!parse_position(position, side, why)) return cli_fail(err, why);
    slot.turn = side;
    slot.minutes = 0;
    slot.seconds = 0;
    for (int i = 0; i < SQUARE_COUNT; i++) slot.pieces[i] = board[i].piece;
    slot.used = 1;
    if (!slot_is_saved(slot)) return cli_fail(err, "the game cannot play this position from a slot");

    // Rewriting from a file that was only partly read would lose the rest.
    std::string bytes;
    const int read = read_whole_file(path, bytes);
    if (read < 0) return cli_fail(err, "cannot read the saved-games file " + cli_quote(path) + "; left as it was");
    SavedGames g;
    saved_games_from_bytes(g, reinterpret_cast<const unsigned char*>(bytes.data()),
                           bytes.size() < SAVED_GAMES_FILE_SIZE ? bytes.size() : SAVED_GAMES_FILE_SIZE);
    g.slots[number[0] - '1'] = slot;
    if (!write_saved_games(path, g))
        return cli_fail(err, "cannot write the saved-games file " + cli_quote(path) + "; left as it was");
    out = std::string("slot ") + number + ": " + position_text_of(slot.pieces, slot.turn) + (read == 0 ? " (new file)\n" : "\n");
    return CLI_OK;
}
