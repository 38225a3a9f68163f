// Command dispatch and help of talvena-cli.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "cli/cli.h"

namespace {

int cli_help(int argc, const char* const* argv, std::string& out, std::string& err);

const CliCommand HELP_COMMAND = {
    "help", "help [COMMAND]", "this overview, or the help of one command",
    "Prints the overview of talvena-cli, or what COMMAND does, its arguments,\n"
    "options and an example (the same as talvena-cli COMMAND --help).\n"
    "\n"
    "example:\n"
    "  talvena-cli help selfplay\n",
    cli_help};

// The order of the overview.
const CliCommand* const COMMANDS[] = {&PERFT_COMMAND,   &SHOW_COMMAND,  &MOVE_COMMAND, &SELFPLAY_COMMAND,
                                      &BENCH_COMMAND,   &SLOTS_COMMAND, &PDN_COMMAND,  &ANALYSE_COMMAND,
                                      &MATCH_COMMAND,   &TABLEBASE_COMMAND, &HELP_COMMAND};

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
    "                  move, then each side's squares, kings prefixed with K; squares\n"
    "                  may be numbers 1..32 (1 is b8, 32 is g1) and ranges 21-32\n"
    "  Pieces stand on dark squares only, each square once, and no man on the row\n"
    "  where it would have been crowned: no game reaches such a position.\n"
    "squares:\n"
    "  a1..h8 as on the board's edges (a1 at blue's bottom left), or the board index\n"
    "  0..63 (0 at the top left, row by row): a1 is 56, h8 is 7\n"
    "\n"
    "exit status: 0 done, 1 selfplay or match saw a rule broken or tablebase verify\n"
    "found a damaged table, 2 bad input (one \"error:\" line on standard error,\n"
    "nothing on standard output; pdn still lists the good games, with one line for\n"
    "each bad one), 130 selfplay interrupted\n";

std::string usage() {
    std::string u = "usage: talvena-cli COMMAND ...; commands:";
    for (const CliCommand* c : COMMANDS) u += std::string(" ") + c->name;
    return u;
}

const CliCommand* find_command(const char* name) {
    for (const CliCommand* c : COMMANDS)
        if (std::strcmp(name, c->name) == 0) return c;
    return nullptr;
}

std::string overview() {
    std::string text = OVERVIEW_HEAD;
    for (const CliCommand* c : COMMANDS) {
        const std::string name = c->name;
        text += "  " + name + std::string(10 - name.size(), ' ') + c->summary + "\n";
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
    // Bad input leaves nothing on standard output, whatever the command did,
    // unless the command told the good part from the bad.
    if (status == CLI_PARTLY_BAD) return CLI_BAD_INPUT;
    if (status == CLI_BAD_INPUT) out.clear();
    return status;
}
