// talvena-cli: the one-line error answer and safe quoting of arguments,
// apart from the dispatch; the quoting is the notation's own.
#include "cli/cli.h"
#include "notation/squares.h"

int cli_fail(std::string& err, const std::string& message) {
    err = "error: " + message + "\n";
    return CLI_BAD_INPUT;
}

std::string cli_quote(const char* arg) { return quoted(arg); }
