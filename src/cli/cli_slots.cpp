// The slots command: the five slots of a saved-games file as the game's
// slots screen sees them, or the saved positions as PDN for other programs.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_pdn.h"
#include "cli/cli_position.h"
#include "ui/saved_games.h"

namespace {

const char* side_word(int32_t side) { return side == BLUE ? "blue" : "red"; }

std::string clock_text(const SaveSlot& s) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(s.minutes), static_cast<int>(s.seconds));
    return text;
}

std::string slot_line(int number, const SaveSlot& s) {
    std::string line = std::to_string(number);
    if (!slot_is_saved(s)) {
        // The game shows such a slot free and will not load it.
        return line + (s.used == 1 ? " free (marked used, but not a position the game can load)\n" : " free\n");
    }
    line += " used; position " + position_text_of(s.pieces, s.turn) + "; to move " + side_word(s.turn) + "; clock " +
            clock_text(s) + "; opponent ";
    if (s.opponent == OPPONENT_HUMAN) return line + "human (two players)\n";
    return line + "computer, " + level_name(s.difficulty) + ", playing " + side_word(s.computer_side) + "\n";
}

std::string player(const SaveSlot& s, int32_t side) {
    if (s.opponent == OPPONENT_COMPUTER && s.computer_side == side) return std::string("Talvena ") + level_name(s.difficulty);
    return "?";
}

std::string slot_pdn(int number, const SaveSlot& s) {
    PdnGame g;
    g.event = "Talvena saved game, slot " + std::to_string(number);
    g.site = "?";
    g.date = "????.??.??";
    g.round = "-";
    g.white = player(s, BLUE);
    g.black = player(s, RED);
    g.result = "*";
    g.fen = fen_of(s.pieces, s.turn);
    return pdn_text(g);
}

// The file's bytes, at most one more than a whole file, so that a longer
// file shows as such without being read to its end.
bool read_bytes(const char* path, std::vector<unsigned char>& bytes, std::string& error) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        error = "cannot open the saved-games file " + cli_quote(path) + ": " + std::strerror(errno);
        return false;
    }
    bytes.resize(SAVED_GAMES_FILE_SIZE + 1);
    const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    const bool failed = std::ferror(f) != 0;
    const int read_errno = errno;
    std::fclose(f);
    if (failed) {
        error = "cannot read the saved-games file " + cli_quote(path) + ": " + std::strerror(read_errno);
        return false;
    }
    bytes.resize(n);
    return true;
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--pdn", args, why)) return cli_fail(err, why);
    if (args.positional.size() != 1) return cli_fail(err, "slots needs one saved-games file: slots FILE [--pdn]");
    const char* path = args.positional[0];
    const bool pdn = args.has("--pdn");

    std::vector<unsigned char> bytes;
    if (!read_bytes(path, bytes, why)) return cli_fail(err, why);
    // Read as the game reads it: slots a short file does not hold whole are
    // free, bytes past the five slots are never looked at.
    const size_t size = bytes.size();
    SavedGames g;
    saved_games_from_bytes(g, bytes.data(), size < SAVED_GAMES_FILE_SIZE ? size : SAVED_GAMES_FILE_SIZE);
    if (size < SAVED_GAMES_FILE_SIZE) {
        err = "note: the file has " + std::to_string(size) + " bytes, not " + std::to_string(SAVED_GAMES_FILE_SIZE) +
              "; the slots it does not hold whole are free\n";
    } else if (size > SAVED_GAMES_FILE_SIZE) {
        err = "note: the file is longer than " + std::to_string(SAVED_GAMES_FILE_SIZE) +
              " bytes; what follows the five slots is ignored\n";
    }

    for (int k = 0; k < SAVE_SLOT_COUNT; k++) {
        const SaveSlot& s = g.slots[k];
        if (!pdn)
            out += slot_line(k + 1, s);
        else if (slot_is_saved(s))
            out += slot_pdn(k + 1, s);
    }
    return CLI_OK;
}

}  // namespace

const CliCommand SLOTS_COMMAND = {
    "slots", "slots FILE [--pdn]", "the five slots of a saved-games file",
    "Lists the five slots of a saved-games file (the game keeps its own in\n"
    "Data/gamdat.tdt), one line each: the number, used or free, and for a used slot\n"
    "its position in the board text, the side to move, the game clock and the\n"
    "opponent. The file is read as the game reads it: a slot marked used whose\n"
    "content the game cannot play shows free, the slots a short file does not hold\n"
    "whole are free and bytes past the five slots are ignored, with a note of the\n"
    "size on standard error. A file that cannot be opened or read is bad input.\n"
    "\n"
    "arguments:\n"
    "  FILE    the saved-games file\n"
    "options:\n"
    "  --pdn   print each used slot as a PDN game other draughts programs open: its\n"
    "          position as a FEN with blue as White, no moves, result \"*\"\n"
    "\n"
    "example:\n"
    "  talvena-cli slots Data/gamdat.tdt --pdn\n",
    run};
