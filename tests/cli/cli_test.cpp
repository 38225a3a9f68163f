#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_run.h"

namespace {

const char* const KINGS = "......../......../......../......../......../......../.r....../B....... r";

}  // namespace

TEST(CliPerft, CountsPerDepth) {
    const CliResult r = run_cli({"perft", "3"});
    EXPECT_EQ(r.status, CLI_OK);
    EXPECT_EQ(r.out, "1 7\n2 49\n3 302\n");
    EXPECT_TRUE(r.err.empty());
    EXPECT_EQ(run_cli({"perft", "2", "start8"}).out, "1 7\n2 49\n");
    // Red's man on 49: 56 is taken and the jump over it would land on light
    // 63, so its one move is the step to 58.
    const CliResult k = run_cli({"perft", "1", KINGS});
    EXPECT_EQ(k.status, CLI_OK);
    EXPECT_EQ(k.out, "1 1\n");
}

TEST(CliPerft, BadDepths) {
    for (const char* d : {"0", "21", "-1", "+3", "3x", "", "abc", " 3", "99999999999999999999", "1.5"})
        expect_bad_input(run_cli({"perft", d}), std::string("depth '") + d + "'");
    expect_bad_input(run_cli({"perft"}), "no depth");
    expect_bad_input(run_cli({"perft", "2", "start", "extra"}), "extra argument");
    EXPECT_EQ(run_cli({"perft", "20", "......../......../......../......../......../......../......../B....... r"}).out,
              "1 0\n2 0\n3 0\n4 0\n5 0\n6 0\n7 0\n8 0\n9 0\n10 0\n11 0\n12 0\n13 0\n14 0\n15 0\n16 0\n17 0\n18 0\n"
              "19 0\n20 0\n");
}

TEST(CliShow, DiagramSideAndFirstMoves) {
    const CliResult r = run_cli({"show", "start"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_NE(r.out.find("to move: b"), std::string::npos);
    EXPECT_NE(r.out.find("   40 | b |   | b |"), std::string::npos) << r.out;
    const std::string moves = "40-33\n42-33\n42-35\n44-35\n44-37\n46-37\n46-39\n";
    ASSERT_GE(r.out.size(), moves.size());
    EXPECT_EQ(r.out.substr(r.out.size() - moves.size()), moves);

    // With a capture pending only the capture is listed.
    const CliResult c = run_cli({"show", "......../......../......../......../...r..../....b.../.....b../........ b"});
    ASSERT_EQ(c.status, CLI_OK);
    EXPECT_NE(c.out.find("moves: 1\n44-26\n"), std::string::npos) << c.out;
}

TEST(CliRun, CommandErrors) {
    expect_bad_input(run_cli({}), "no command");
    expect_bad_input(run_cli({"perfect", "3"}), "unknown command");
    expect_bad_input(run_cli({"\x01\xff\x1b[2J", "3"}), "control bytes");
    expect_bad_input(run_cli({"show"}), "show without position");
    expect_bad_input(run_cli({"show", "start", "start"}), "show with two positions");
    const CliResult r = run_cli({"\x1b[31mred"});
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);  // escaped, not echoed raw
}

TEST(CliRun, ArbitraryBytesNeverCrash) {
    std::mt19937 rng(7);
    const std::string alphabet = "./bBrR .xX/\t\n\x7f\x80\xff" "0123456789";
    for (int round = 0; round < 3000; round++) {
        const size_t len = round % 3 == 0 ? 73 : rng() % 90;
        std::string text;
        for (size_t i = 0; i < len; i++) {
            char c = round % 2 ? alphabet[rng() % alphabet.size()] : static_cast<char>(1 + rng() % 255);
            text += c;
        }
        for (const char* cmd : {"show", "perft"}) {
            const CliResult r = cmd[0] == 's' ? run_cli({cmd, text}) : run_cli({cmd, "2", text});
            EXPECT_TRUE(r.status == CLI_OK || r.status == CLI_BAD_INPUT);
            if (r.status != CLI_OK) expect_bad_input(r, "fuzz");
        }
    }
}

// The real binary: exit status and the split between the two streams.
TEST(CliBinary, ExitStatusAndStreams) {
    const std::string cli = std::string(TALVENA_BUILD_DIR) + "/talvena-cli";
    if (std::FILE* f = std::fopen(cli.c_str(), "rb")) {
        std::fclose(f);
    } else {
        GTEST_SKIP() << "talvena-cli not built";
    }
    auto capture = [&](const std::string& args, int& status) {
        std::string text;
        std::FILE* p = popen((cli + " " + args + " 2>/dev/null").c_str(), "r");
        char buf[256];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
        status = WEXITSTATUS(pclose(p));
        return text;
    };
    int status = -1;
    EXPECT_EQ(capture("perft 2", status), "1 7\n2 49\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(capture("perft 21", status), "");
    EXPECT_EQ(status, 2);
    EXPECT_EQ(capture("bogus", status), "");
    EXPECT_EQ(status, 2);
}
