// Command dispatch and help of talvena-cli.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "cli/cli.h"

namespace {

int cli_help(int argc, const char* const* argv, std::string& out, std::string& err);

const CliCommand COMMANDS[] = {
    {"perft", "perft DEPTH [POSITION]", "count sequences of whole turns, depth by depth",
     "Counts the distinct sequences of whole turns (a capture chain is one turn) from\n"
     "POSITION, for each depth from 1 to DEPTH, with the game's own acceptance rule.\n"
     "\n"
     "arguments:\n"
     "  DEPTH      1..20\n"
     "  POSITION   a position (see talvena-cli --help); the 12-men opening if left out\n"
     "\n"
     "example:\n"
     "  talvena-cli perft 6 start8\n",
     cli_perft},
    {"show", "show POSITION [--algebraic]", "diagram, FEN, side to move and the first moves",
     "Prints POSITION as a diagram, in both position texts (board text and FEN),\n"
     "the side to move and every single move that side may start its turn with.\n"
     "\n"
     "arguments:\n"
     "  POSITION      a position (see talvena-cli --help)\n"
     "options:\n"
     "  --algebraic   label the diagram a..h and 1..8, name the moves c3-d4, c3xe5\n"
     "\n"
     "example:\n"
     "  talvena-cli show \"W:Wa1,c3,Ke5:Bd6,h8\" --algebraic\n",
     cli_show},
    {"move", "move LEVEL POSITION [--chain SQUARE] [--seed N] [--explain] [--algebraic]",
     "the move the computer would choose",
     "Prints the single move the computer opponent chooses in POSITION for the side\n"
     "to move, as FROM-TO, or \"none\" when that side cannot move.\n"
     "\n"
     "arguments:\n"
     "  LEVEL      amateur or professional\n"
     "  POSITION   a position (see talvena-cli --help)\n"
     "options:\n"
     "  --chain SQUARE  a capture chain is under way with the piece on SQUARE\n"
     "                  (c3 or 42), which must jump on\n"
     "  --seed N        seed of the random choices, 0..4294967295; 1 if left out\n"
     "  --explain       print also the rule that chose the move\n"
     "  --algebraic     name the squares: c3-d4, a capture c3xe5\n"
     "\n"
     "example:\n"
     "  talvena-cli move professional start --explain --algebraic\n",
     cli_move},
    {"selfplay", "selfplay GAMES BLUE_LEVEL RED_LEVEL [--seed N] [--pieces 12|8] [--pdn FILE]",
     "games of the computer against itself",
     "Plays GAMES whole games of the computer against itself as the game loop runs\n"
     "them, puts every chosen move to the rule a human's move must pass, and prints\n"
     "the wins of each side, the draws and the average number of single moves.\n"
     "Exit status 1, with the game and position on standard error, if a rule broke.\n"
     "\n"
     "arguments:\n"
     "  GAMES        1..1000000\n"
     "  BLUE_LEVEL   amateur or professional, for blue (moving first)\n"
     "  RED_LEVEL    amateur or professional, for red\n"
     "options:\n"
     "  --seed N      seed of the random choices, 0..4294967295; 1 if left out\n"
     "  --pieces 12|8 men a side at the start; 12 if left out\n"
     "  --pdn FILE    write every game to FILE in Portable Draughts Notation\n"
     "                (Czech draughts, blue as White, squares a1..h8)\n"
     "\n"
     "example:\n"
     "  talvena-cli selfplay 20 professional amateur --seed 7 --pdn games.pdn\n",
     cli_selfplay},
    {"bench", "bench", "speed of the computer's choice, of perft and of a frame",
     "Times the computer's choice of a move over a fixed set of positions at both\n"
     "levels (calls, moves per second, median and slowest call, slowest position),\n"
     "perft's nodes per second from the opening, and the time to compose one frame\n"
     "of the play screen when the benchmarks binary stands beside this one.\n"
     "Takes no arguments.\n"
     "\n"
     "example:\n"
     "  talvena-cli bench\n",
     cli_bench},
    {"slots", "slots FILE [--pdn] | slots FILE --put N POSITION [OPTIONS]", "the five slots of a saved-games file",
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
     "\n"
     "With --put, writes POSITION into slot N as a saved game the game loads like any\n"
     "other, with the game clock at 00:00. The file is rewritten whole and at once,\n"
     "the other four slots as they were, byte for byte; a missing file is created\n"
     "with the four other slots free. A file that cannot be read is left alone.\n"
     "  --put N POSITION   slot 1..5 and a position (see talvena-cli --help), either\n"
     "                     side to move\n"
     "  --opponent computer|human          computer if left out\n"
     "  --level amateur|professional       professional if left out\n"
     "  --computer blue|red                the computer's side; red if left out\n"
     "\n"
     "examples:\n"
     "  talvena-cli slots Data/gamdat.tdt --pdn\n"
     "  talvena-cli slots Data/gamdat.tdt --put 2 \"B:Wc3,Ke1:Bf6,h8\" --computer red\n",
     cli_slots},
    {"pdn", "pdn FILE [--game N [--fen] [--move M]]", "the games of a PDN file, replayed",
     "Lists the games of a PDN file, one line each: the number, White (blue) and\n"
     "Black (red), the result and the number of moves (each side's turn is one,\n"
     "a capture chain included), and replays every game through the game's own\n"
     "rules. An illegal move is bad input, named by its game and move number.\n"
     "The game keeps every game played in Data/partie.pdn.\n"
     "\n"
     "It reads PDN as draughts programs write it: tags in any order, comments in\n"
     "braces or after ';', variations, move numbers \"7.\" and \"7...\", results,\n"
     "captures with 'x' or ':' (also only the first and last square of a chain),\n"
     "SetUp and FEN, and squares a1..h8, or 1..32 when the GameType tag's notation\n"
     "is N (1 is b8 and 32 is g1, counted row by row from blue's far left).\n"
     "\n"
     "arguments:\n"
     "  FILE        a PDN file\n"
     "options:\n"
     "  --game N    only game N (from 1)\n"
     "  --fen       with --game: print the FEN after the game's last move\n"
     "  --move M    with --game: print the FEN after move M (1 is White's first\n"
     "              turn, 2 Black's reply; 0 the starting position)\n"
     "\n"
     "example:\n"
     "  talvena-cli pdn Data/partie.pdn --game 1 --move 2\n",
     cli_pdn},
    {"help", "help [COMMAND]", "this overview, or the help of one command",
     "Prints the overview of talvena-cli, or what COMMAND does, its arguments,\n"
     "options and an example (the same as talvena-cli COMMAND --help).\n"
     "\n"
     "example:\n"
     "  talvena-cli help selfplay\n",
     cli_help},
};

const char OVERVIEW_HEAD[] =
    "talvena-cli: Czech draughts positions analysed with the game's own rules and\n"
    "computer opponent.\n"
    "\n"
    "usage: talvena-cli COMMAND [ARGUMENTS] [OPTIONS]\n"
    "       talvena-cli help COMMAND    (or talvena-cli COMMAND --help)\n"
    "\n"
    "commands:\n";

const char OVERVIEW_TAIL[] =
    "\n"
    "positions:\n"
    "  start, start8   the openings with 12 and 8 men a side, blue to move\n"
    "  board text      eight rows from the top, '/' between them, a space and the\n"
    "                  side to move (b or r); '.' empty, b r men, B R kings:\n"
    "    \"......../......../......../......../......../......../......../b....... b\"\n"
    "  FEN             W:Wa1,c1,Ke3:Bb8,d8 (blue is White, red is Black): the side to\n"
    "                  move, then each side's squares, kings prefixed with K\n"
    "  Pieces stand on dark squares only, each square once, and no man on the row\n"
    "  where it would have been crowned: no game reaches such a position.\n"
    "squares:\n"
    "  a1..h8 as on the board's edges (a1 at blue's bottom left), or the board index\n"
    "  0..63 (0 at the top left, row by row): a1 is 56, h8 is 7\n"
    "\n"
    "exit status: 0 done, 1 selfplay saw a rule broken, 2 bad input (one \"error:\"\n"
    "line on standard error, nothing on standard output)\n";

std::string usage() {
    std::string u = "usage: talvena-cli COMMAND ...; commands:";
    for (const CliCommand& c : COMMANDS) u += std::string(" ") + c.name;
    return u;
}

const CliCommand* find_command(const char* name) {
    for (const CliCommand& c : COMMANDS)
        if (std::strcmp(name, c.name) == 0) return &c;
    return nullptr;
}

std::string overview() {
    std::string text = OVERVIEW_HEAD;
    for (const CliCommand& c : COMMANDS) {
        const std::string name = c.name;
        text += "  " + name + std::string(10 - name.size(), ' ') + c.summary + "\n";
    }
    return text + OVERVIEW_TAIL;
}

std::string command_help(const CliCommand& c) {
    return std::string("usage: talvena-cli ") + c.usage + "\n\n" + c.help;
}

bool is_help_flag(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

int cli_help(int argc, const char* const* argv, std::string& out, std::string& err) {
    if (argc == 0) {
        out = overview();
        return CLI_OK;
    }
    if (argc > 1) return cli_fail(err, "help takes at most one command: help [COMMAND]");
    const CliCommand* c = find_command(argv[0]);
    if (c == nullptr) return cli_fail(err, "no command " + cli_quote(argv[0]) + "; " + usage());
    out = command_help(*c);
    return CLI_OK;
}

}  // namespace

int cli_run(int argc, const char* const* argv, std::string& out, std::string& err) {
    out.clear();
    err.clear();
    if (argc < 2) return cli_fail(err, "no command; " + usage() + "; talvena-cli --help for more");
    if (is_help_flag(argv[1])) return cli_help(0, nullptr, out, err);
    const CliCommand* c = find_command(argv[1]);
    if (c == nullptr) return cli_fail(err, "unknown command " + cli_quote(argv[1]) + "; " + usage());
    // No position, square or number is spelt "--help", so the flag wins anywhere.
    for (int i = 2; i < argc; i++) {
        if (is_help_flag(argv[i])) {
            out = command_help(*c);
            return CLI_OK;
        }
    }
    const int status = c->run(argc - 2, argv + 2, out, err);
    // Bad input leaves nothing on standard output, whatever the command did.
    if (status != CLI_OK) out.clear();
    return status;
}
