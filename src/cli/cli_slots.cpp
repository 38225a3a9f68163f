// The slots command: the five slots of a saved-games file as the game's
// slots screen sees them, or the saved positions as PDN for other programs;
// with --put, a position written into a slot as a game the slots screen
// loads, so a position from a book or a PDN file can be played out.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "notation/pdn.h"
#include "notation/position.h"
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
    g.round = "?";
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

const char PUT_USAGE[] =
    "slots FILE --put N POSITION [--opponent computer|human] [--level amateur|professional|master] [--computer blue|red]";

// One of two words, 1 for the first, or the option left out.
bool one_of(const char* given, const char* first, const char* second, const char* what, int32_t& value,
            std::string& error) {
    if (given == nullptr) return true;
    if (std::strcmp(given, first) == 0 || std::strcmp(given, second) == 0) {
        value = std::strcmp(given, first) == 0 ? 1 : 2;
        return true;
    }
    error = std::string(what) + " must be " + first + " or " + second + ", got " + cli_quote(given);
    return false;
}

int put(const CliArgs& args, std::string& out, std::string& err) {
    std::string why;
    if (args.positional.size() != 2 || args.has("--pdn"))
        return cli_fail(err, std::string("--put needs a saved-games file, a slot and a position: ") + PUT_USAGE);
    const char* path = args.positional[0];
    const char* position = args.positional[1];
    uint64_t number = 0;
    if (!parse_count(args.value("--put"), "slot", 1, SAVE_SLOT_COUNT, number, why)) return cli_fail(err, why);

    // What a new game would save with the settings' defaults.
    SaveSlot slot;
    default_slot(slot);
    slot.opponent = OPPONENT_COMPUTER;
    slot.difficulty = LEVEL_PROFESSIONAL;
    slot.computer_side = RED;
    const char* level = args.value("--level");
    if (!one_of(args.value("--opponent"), "computer", "human", "opponent", slot.opponent, why) ||
        (level != nullptr && !parse_level(level, slot.difficulty, why)) ||
        !one_of(args.value("--computer"), "blue", "red", "computer", slot.computer_side, why))
        return cli_fail(err, why);
    int32_t side = BLUE;
    if (!parse_position(position, side, why)) return cli_fail(err, why);
    slot.turn = side;
    for (int i = 0; i < SQUARE_COUNT; i++) slot.pieces[i] = board[i].piece;
    slot.used = 1;
    if (!slot_is_saved(slot)) return cli_fail(err, "the game cannot load this position from a slot");

    // Rewritten from a file read only in part, the rest would be lost.
    std::string bytes;
    const int read = read_whole_file(path, bytes);
    if (read < 0) return cli_fail(err, "cannot read the saved-games file " + cli_quote(path) + "; left as it was");
    SavedGames g;
    saved_games_from_bytes(g, reinterpret_cast<const unsigned char*>(bytes.data()),
                           bytes.size() < SAVED_GAMES_FILE_SIZE ? bytes.size() : SAVED_GAMES_FILE_SIZE);
    g.slots[number - 1] = slot;
    if (!write_saved_games(path, g))
        return cli_fail(err, "cannot write the saved-games file " + cli_quote(path) + "; left as it was");
    out = "slot " + std::to_string(number) + ": " + position_text_of(slot.pieces, slot.turn) +
          (read == 0 ? " (new file)\n" : "\n");
    return CLI_OK;
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--pdn --put= --opponent= --level= --computer=", args, why)) return cli_fail(err, why);
    if (args.has("--put")) return put(args, out, err);
    if (args.has("--opponent") || args.has("--level") || args.has("--computer"))
        return cli_fail(err, std::string("--opponent, --level and --computer go with --put: ") + PUT_USAGE);
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
    "slots", "slots FILE [--pdn] | slots FILE --put N POSITION [OPTIONS]", "the five slots of a saved-games file",
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
    "With --put, writes POSITION into slot N as a saved game the game loads like any\n"
    "other, with the game clock at 00:00. The file is rewritten whole and at once,\n"
    "the other four slots as they were, byte for byte; a missing file is created\n"
    "with the four other slots free. A file that cannot be read is left alone.\n"
    "  --put N POSITION              slot 1..5 and a position (see talvena-cli\n"
    "                                --help), either side to move\n"
    "  --opponent computer|human     computer if left out\n"
    "  --level LEVEL                 amateur, professional or master; professional\n"
    "                                if left out\n"
    "  --computer blue|red           the computer's side; red if left out\n"
    "\n"
    "examples:\n"
    "  talvena-cli slots Data/gamdat.tdt --pdn\n"
    "  talvena-cli slots Data/gamdat.tdt --put 2 \"B:Wc3,Ke1:Bf6,h8\" --computer red\n",
    run};
