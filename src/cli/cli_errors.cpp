// talvena-cli: the one-line error answer, safe quoting of arguments (the
// notation's own) and of shell words, apart from the dispatch.
#include "cli/cli.h"

#include <cstdio>

#include "notation/squares.h"

int cli_fail(std::string& err, const std::string& message) {
    err = "error: " + message + "\n";
    return CLI_BAD_INPUT;
}

std::string cli_quote(const char* arg) { return quoted(arg); }

std::string shell_quote(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string command_output(const std::string& command) {
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
        pclose(pipe);
    }
    return text;
}
