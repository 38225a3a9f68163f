#include <cstdio>
#include <string>

#include "cli/cli.h"

int main(int argc, char** argv) {
    std::string out;
    std::string err;
    const int status = cli_run(argc, argv, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
