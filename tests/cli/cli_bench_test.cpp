// talvena-cli bench and the progress line of the long commands: in-process
// with the line sent to a file, and the real binary with its standard error
// on a terminal (a pseudo-terminal) and on a pipe.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_perft.h"
#include "cli/cli_position.h"
#include "cli/cli_progress.h"
#include "cli/cli_run.h"

namespace {

// Checks a progress stream: lines rewritten with \r, each "<what>, T s" with
// <what> accepted by `shown`, never a newline, and the terminal's row blank
// at the end. Answers how many lines were shown.
int check_progress(const std::string& stream, const std::function<bool(const std::string&)>& shown) {
    EXPECT_EQ(stream.find('\n'), std::string::npos);
    EXPECT_FALSE(stream.empty());
    if (stream.empty()) return 0;
    EXPECT_EQ(stream.front(), '\r');
    EXPECT_EQ(stream.back(), '\r');
    std::vector<std::string> parts;
    size_t at = 1;
    while (at < stream.size()) {
        const size_t next = stream.find('\r', at);
        parts.push_back(stream.substr(at, next - at));
        at = next + 1;
    }
    // "<what>, 12.3 s" and blanks after it.
    auto matches = [&](const std::string& part) {
        const std::string text = part.substr(0, part.find_last_not_of(' ') + 1);
        const size_t comma = text.rfind(", ");
        if (comma == std::string::npos || text.size() < comma + 7) return false;
        const std::string time = text.substr(comma + 2);
        const size_t dot = time.find('.');
        if (dot == std::string::npos || dot == 0 || time.substr(dot + 2) != " s") return false;
        for (size_t i = 0; i < dot + 2; i++)
            if (i != dot && !std::isdigit(static_cast<unsigned char>(time[i]))) return false;
        return shown(text.substr(0, comma));
    };
    // What the terminal's row holds: each part overwrites it from the left.
    std::string row;
    for (size_t i = 0; i < parts.size(); i++) {
        if (i + 1 < parts.size()) {
            EXPECT_TRUE(matches(parts[i])) << "'" << parts[i] << "'";
        }
        if (row.size() < parts[i].size()) row.resize(parts[i].size(), ' ');
        row.replace(0, parts[i].size(), parts[i]);
    }
    EXPECT_EQ(row.find_first_not_of(' '), std::string::npos) << "not cleared: '" << row << "'";
    return static_cast<int>(parts.size()) - 1;
}

// Accepts "selfplay: K of N games" with 1 <= K <= N.
std::function<bool(const std::string&)> selfplay_of(int games) {
    return [games](const std::string& what) {
        int k = 0, n = 0;
        char tail[8] = "";
        return std::sscanf(what.c_str(), "selfplay: %d of %d game%7s", &k, &n, tail) == 3 && n == games &&
               k >= 1 && k <= n && std::string(tail) == "s";
    };
}

// Runs a command with the progress line sent to a temporary file.
std::string progress_of(const std::vector<std::string>& args, CliResult& result) {
    std::FILE* f = std::tmpfile();
    progress_enable(f);
    result = run_cli(args);
    progress_enable(nullptr);
    std::string text;
    std::rewind(f);
    char buf[512];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return text;
}

}  // namespace

// The lines' form from --quick, which runs every part of the full run with
// the least work: the figures themselves are the benchmark's, not a test's.
TEST(CliBench, EveryFigureInOneRun) {
    expect_bad_input(run_cli({"bench", "fast"}), "argument");
    expect_bad_input(run_cli({"bench", "--quick", "1"}), "argument");
    CliResult r;
    const std::string progress = progress_of({"bench", "--quick"}, r);
    ASSERT_EQ(r.status, CLI_OK) << r.err;  // every built-in position parses
    EXPECT_TRUE(r.err.empty());
    check_progress(progress, [](const std::string& what) {
        int n = 0, of = 0;
        char level[16] = "";
        if (std::sscanf(what.c_str(), "bench: %15[a-z], position %d of %d", level, &n, &of) == 3)
            return (std::string(level) == "amateur" || std::string(level) == "professional") && n >= 1 && n <= of;
        char tail[32] = "";
        if (std::sscanf(what.c_str(), "bench: perft --fast %d %31[a-z ]", &n, tail) == 2 ||
            std::sscanf(what.c_str(), "bench: perft %d %31[a-z ]", &n, tail) == 2 ||
            std::sscanf(what.c_str(), "bench: engine depth %d %31[a-z ]", &n, tail) == 2)
            return n >= 1 && std::string(tail) == "from the start";
        return what == "bench: compose_frame";
    });

    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 7u) << r.out;
    const char* levels[2] = {"amateur", "professional"};
    for (int i = 0; i < 2; i++) {
        long long calls = 0;
        double per_second = 0, median = 0, slowest = 0, worst = 0;
        char position[128] = "";
        const std::string format = std::string(levels[i]) +
                                   " calls %lld moves_per_second %lf median_us %lf slowest_us %lf "
                                   "worst_position_us %lf worst_position %127[^\n]";
        ASSERT_EQ(std::sscanf(lines[i].c_str(), format.c_str(), &calls, &per_second, &median, &slowest, &worst,
                              position),
                  6)
            << lines[i];
        EXPECT_GT(calls, 0);
        EXPECT_EQ(calls % 2, 0) << "every position as often";
        EXPECT_GT(per_second, 0.0);
        EXPECT_LE(median, slowest);
        EXPECT_LE(worst, slowest);
        int32_t side = 0;
        std::string why;
        EXPECT_TRUE(parse_position(position, side, why)) << position;
    }

    // The perft figure counts what perft itself counts.
    int depth = 0;
    unsigned long long nodes = 0;
    double seconds = 0, per_second = 0;
    ASSERT_EQ(std::sscanf(lines[2].c_str(), "perft depth %d nodes %llu seconds %lf nodes_per_second %lf", &depth,
                          &nodes, &seconds, &per_second),
              4)
        << lines[2];
    int32_t side = 0;
    std::string why;
    ASSERT_TRUE(parse_position("start", side, why));
    EXPECT_EQ(nodes, perft_counts(side, depth).back());
    EXPECT_GT(per_second, 0.0);

    // The test binary sits beside the benchmarks binary, as talvena-cli does.
    const std::string build = TALVENA_BUILD_DIR;
    const bool built = access((build + "/benchmarks").c_str(), X_OK) == 0 &&
                       access((build + "/Data/talvena.dat").c_str(), R_OK) == 0;
    double frame_us = 0;
    if (built) {
        ASSERT_EQ(std::sscanf(lines[3].c_str(), "compose_frame_us %lf", &frame_us), 1) << lines[3];
        EXPECT_GT(frame_us, 0.0);
    } else {
        EXPECT_EQ(lines[3].rfind("compose_frame_us - (", 0), 0u) << lines[3];
    }

    // The engine: its generator's count is the rules' count (the two agree,
    // see the engine's tests), its search the depth asked.
    ASSERT_EQ(std::sscanf(lines[4].c_str(), "perft_fast depth %d nodes %llu seconds %lf nodes_per_second %lf", &depth,
                          &nodes, &seconds, &per_second),
              4)
        << lines[4];
    EXPECT_EQ(nodes, perft_counts(side, depth).back());
    EXPECT_GT(per_second, 0.0);
    ASSERT_EQ(std::sscanf(lines[5].c_str(), "engine depth %d nodes %llu seconds %lf nodes_per_second %lf", &depth,
                          &nodes, &seconds, &per_second),
              4)
        << lines[5];
    EXPECT_GE(depth, 1);
    EXPECT_GT(nodes, 0u);
    // Last the search's signature, the same as on its own.
    EXPECT_EQ(lines[6], lines_of(run_cli({"bench", "--signature"}).out).at(0));
}

TEST(CliBench, TheSignaturePinsTheSearch) {
    // The nodes of fixed-depth searches over the bench positions. A change to
    // the search or the evaluation that alters any tree changes this number:
    // check the change with a match, then pin the new one here.
    const CliResult r = run_cli({"bench", "--signature"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "signature 436600\n");
    expect_bad_input(run_cli({"bench", "--signature", "x"}), "extra argument");
}

TEST(CliProgress, SelfplayCountsItsGamesAndClearsTheLine) {
    CliResult quiet = run_cli({"selfplay", "30", "amateur", "professional", "--seed", "4"});
    CliResult shown;
    const std::string progress = progress_of({"selfplay", "30", "amateur", "professional", "--seed", "4"}, shown);
    EXPECT_EQ(shown.out, quiet.out);
    EXPECT_EQ(shown.err, quiet.err);
    EXPECT_GE(check_progress(progress, selfplay_of(30)), 1);
    EXPECT_EQ(progress.rfind("\rselfplay: 1 of 30 games, ", 0), 0u);
    // Bad input never starts the line.
    EXPECT_TRUE(progress_of({"selfplay", "0", "amateur", "amateur"}, shown).empty());
}

namespace {

struct Streams {
    std::string out;
    std::string err;
    int status = -1;
};

// Runs talvena-cli with standard output on a pipe and standard error on a
// pseudo-terminal (on_terminal) or a pipe.
Streams run_binary(const std::vector<std::string>& args, bool on_terminal) {
    Streams s;
    const std::string cli = std::string(TALVENA_BUILD_DIR) + "/talvena-cli";
    int out_pipe[2];
    int err_fd[2];  // [0] read end, [1] the child's standard error
    if (pipe(out_pipe) != 0) return s;
    if (on_terminal) {
        if (openpty(&err_fd[0], &err_fd[1], nullptr, nullptr, nullptr) != 0) return s;
    } else if (pipe(err_fd) != 0) {
        return s;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out_pipe[1], 1);
        dup2(err_fd[1], 2);
        close(out_pipe[0]);
        close(err_fd[0]);
        std::vector<char*> argv{const_cast<char*>(cli.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(cli.c_str(), argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_fd[1]);
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_fd[0], POLLIN, 0}};
    std::string* sinks[2] = {&s.out, &s.err};
    int open_fds = 2;
    while (open_fds > 0 && poll(fds, 2, 60000) > 0) {
        for (int i = 0; i < 2; i++) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buf[512];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<size_t>(n));
            } else {  // end of a pipe, or EIO once the child has closed the terminal
                close(fds[i].fd);
                fds[i].fd = -1;
                open_fds--;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return s;
}

}  // namespace

TEST(CliProgress, TheRealBinaryShowsItOnATerminalOnly) {
    if (access((std::string(TALVENA_BUILD_DIR) + "/talvena-cli").c_str(), X_OK) != 0)
        GTEST_SKIP() << "talvena-cli not built";
    const std::vector<std::string> args{"selfplay", "12", "professional", "professional", "--seed", "2"};
    const Streams piped = run_binary(args, false);
    const Streams terminal = run_binary(args, true);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_EQ(terminal.out, piped.out);
    EXPECT_FALSE(piped.out.empty());
    EXPECT_EQ(piped.err, "");
    // The terminal turns each \n into \r\n; the line itself has neither.
    EXPECT_GE(check_progress(terminal.err, selfplay_of(12)), 1);
}
