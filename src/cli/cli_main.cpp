// Command dispatch of talvena-cli.
#include <cstdio>
#include <iterator>

#include "cli/cli.h"

namespace {

const CliCommand COMMANDS[] = {
    {"perft", "perft DEPTH [POSITION]   count sequences of whole turns, depth 1..20", cli_perft},
    {"show", "show POSITION            diagram, side to move and first moves", cli_show},
    {"move", "move LEVEL POSITION [--chain SQ] [--seed N] [--explain]   the computer's move", cli_move},
    {"selfplay", "selfplay GAMES BLUE_LEVEL RED_LEVEL [--seed N] [--pieces 12|8]   computer against itself",
     cli_selfplay},
    {"bench", "bench                    time the computer's choice at both levels", cli_bench},
};

std::string usage() {
    std::string u = "usage: talvena-cli COMMAND ...; commands:";
    for (const CliCommand& c : COMMANDS) u += std::string(" ") + c.name;
    return u;
}

}  // namespace

int cli_fail(std::string& err, const std::string& message) {
    err = "error: " + message + "\n";
    return CLI_BAD_INPUT;
}

std::string cli_quote(const char* arg) {
    std::string q = "'";
    for (const char* c = arg; *c && q.size() < 80; c++) {
        const unsigned char b = static_cast<unsigned char>(*c);
        if (b >= 0x20 && b < 0x7f && b != '\\') {
            q += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            q += hex;
        }
    }
    return q + "'";
}

int cli_run(int argc, const char* const* argv, std::string& out, std::string& err) {
    out.clear();
    err.clear();
    if (argc < 2) return cli_fail(err, "no command; " + usage());
    for (const CliCommand& c : COMMANDS) {
        if (std::string(argv[1]) != c.name) continue;
        const int status = c.run(argc - 2, argv + 2, out, err);
        // Bad input leaves nothing on standard output, whatever the command did.
        if (status != CLI_OK) out.clear();
        return status;
    }
    return cli_fail(err, "unknown command " + cli_quote(argv[1]) + "; " + usage());
}
