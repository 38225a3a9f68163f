#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/cli.h"
#include "cli/cli_progress.h"

int main(int argc, char** argv) {
    std::string out;
    std::string err;
#ifdef _WIN32
    // The answers are UTF-8 with '\n' line ends, the same bytes as on Linux:
    // binary streams, and a console told to show UTF-8.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    const bool terminal = _isatty(_fileno(stderr)) != 0;
#else
    const bool terminal = isatty(STDERR_FILENO) != 0;
#endif
    // Long commands show how far they have got, on a terminal only.
    if (terminal) progress_enable(stderr);
    const int status = cli_run(argc, argv, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
