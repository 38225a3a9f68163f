// The pdn command: the games of a PDN file, replayed through the game's own
// rules by the notation's reader.
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "notation/pdn.h"

namespace {

std::string name_or_unknown(const std::string& name) { return name.empty() ? "?" : name; }

// "30 moves" for a game numbered to 30.
std::string moves_text(const PdnReplay& r) {
    const int n = r.turns.empty() ? 0 : move_number(r.turns.size() - 1, r.black_first);
    return std::to_string(n) + (n == 1 ? " move" : " moves");
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--game= --fen --move=", args, why)) return cli_fail(err, why);
    if (args.positional.size() != 1)
        return cli_fail(err, "pdn needs one PDN file: pdn FILE [--game N [--fen] [--move M]]");
    const char* path = args.positional[0];
    const bool fen = args.has("--fen") || args.has("--move");
    uint64_t wanted = 0;
    if (args.has("--game") && !parse_count(args.value("--game"), "game", 1, 1000000000, wanted, why))
        return cli_fail(err, why);
    if (fen && wanted == 0) return cli_fail(err, "--fen and --move need --game N: the position of which game");
    uint64_t move = 0;
    if (args.has("--move") && !parse_count(args.value("--move"), "move", 0, 1000000000, move, why))
        return cli_fail(err, why);

    std::string text;
    if (read_whole_file(path, text) != READ_DONE) return cli_fail(err, "cannot read the PDN file " + cli_quote(path));
    const std::vector<PdnSourceGame> games = pdn_read_games(text);
    if (games.empty()) return cli_fail(err, cli_quote(path) + " holds no PDN game");
    if (wanted > games.size())
        return cli_fail(err, "there is no game " + std::to_string(wanted) + "; the file holds " +
                                 std::to_string(games.size()));

    // Each bad game is named on a line of its own; the good ones are listed.
    std::string listing;
    std::string faults;
    for (size_t k = 0; k < games.size(); k++) {
        if (wanted != 0 && k + 1 != wanted) continue;
        const PdnSourceGame& g = games[k];
        PdnReplay r;
        if (!pdn_replay(g, r, why)) {
            faults += "error: game " + std::to_string(k + 1) + ": " + why + "\n";
            continue;
        }
        const size_t turns = r.turns.size();
        if (!fen) {
            listing += std::to_string(k + 1) + ". " + name_or_unknown(g.tag("White")) + " - " +
                       name_or_unknown(g.tag("Black")) + ", " + (g.result.empty() ? "*" : g.result) + ", " +
                       moves_text(r) + "\n";
        } else if (args.has("--move") && move > turns) {
            return cli_fail(err, "game " + std::to_string(k + 1) + " has " + std::to_string(turns) +
                                     " turns (--move counts each side's turn), not " + std::to_string(move));
        } else {
            listing += r.fens[args.has("--move") ? move : turns] + "\n";
        }
    }
    out = listing;
    if (faults.empty()) return CLI_OK;
    err = faults;
    return CLI_PARTLY_BAD;
}

}  // namespace

const CliCommand PDN_COMMAND = {
    "pdn", "pdn FILE [--game N [--fen] [--move M]]", "the games of a PDN file, replayed",
    "Lists the games of a PDN file, one line each: the number, White (blue) and\n"
    "Black (red), the result and the number of moves as the game numbers them,\n"
    "and replays every game through the game's own rules. A bad game is named on\n"
    "standard error by its number, line and reason (for a move, what the rules\n"
    "want instead), the good ones are still listed, and the exit status is 2.\n"
    "The game keeps every game played in Data/partie.pdn.\n"
    "\n"
    "It reads PDN as draughts programs write it: tags in any order, comments in\n"
    "braces or after ';', variations, move numbers \"7.\" and \"7...\", \"...\" for a\n"
    "move left out, '%' lines, results, captures with 'x' or ':' (also only the\n"
    "first and last square of a chain), SetUp and FEN (squares by name or number,\n"
    "ranges 1-12), a byte-order mark and CRLF line ends. The GameType tag decides:\n"
    "none, 29 (Czech draughts) or 32 (this game's earlier files) are read, any\n"
    "other is refused by name. Squares are a1..h8, or 1..32 when the GameType's\n"
    "notation is N, counted from the corner its digit gives (without one, 1 is b8\n"
    "and 32 is g1, row by row from blue's far left).\n"
    "\n"
    "arguments:\n"
    "  FILE        a PDN file\n"
    "options:\n"
    "  --game N    only game N (from 1)\n"
    "  --fen       with --game: print the FEN after the game's last move\n"
    "  --move M    with --game: print the FEN after turn M (1 is White's first\n"
    "              turn, 2 Black's reply; 0 the starting position)\n"
    "\n"
    "example:\n"
    "  talvena-cli pdn Data/partie.pdn --game 1 --move 2\n",
    run};
