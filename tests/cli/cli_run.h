// Test helpers: talvena-cli run in-process through cli_run.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult run_cli(std::vector<std::string> args) {
    args.insert(args.begin(), "talvena-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    CliResult r;
    r.status = cli_run(static_cast<int>(argv.size()), argv.data(), r.out, r.err);
    return r;
}

// Bad input: status 2, nothing on standard output, one "error:" line.
inline void expect_bad_input(const CliResult& r, const std::string& what) {
    EXPECT_EQ(r.status, CLI_BAD_INPUT) << what;
    EXPECT_TRUE(r.out.empty()) << what << ": " << r.out;
    EXPECT_EQ(r.err.rfind("error:", 0), 0u) << what << ": " << r.err;
    ASSERT_FALSE(r.err.empty()) << what;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << what << ": one line expected: " << r.err;
}

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
