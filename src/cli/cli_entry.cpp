#include <cstdio>
#include <string>

#include <unistd.h>

#include "cli/cli.h"
#include "cli/cli_progress.h"

int main(int argc, char** argv) {
    std::string out;
    std::string err;
    // Long commands show how far they have got, on a terminal only.
    if (isatty(STDERR_FILENO)) progress_enable(stderr);
    const int status = cli_run(argc, argv, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
