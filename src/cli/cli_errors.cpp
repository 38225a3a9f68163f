// talvena-cli: the one-line error answer and safe quoting of arguments,
// apart from the dispatch so the position parser links on its own.
#include <cstdio>

#include "cli/cli.h"

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
