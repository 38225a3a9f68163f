// talvena-cli bench: the speed figures of the analysis side in one run: how
// long the computer takes to choose a move at each level, perft's nodes per
// second from the start, the time to compose one frame of the play screen
// (measured by the benchmarks binary beside this one), and the engine's
// generator and search.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "ai/ai.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_perft.h"
#include "cli/cli_position.h"
#include "cli/cli_progress.h"
#include "engine/engine.h"
#include "rules/rules.h"

namespace {

// --- bench positions: from the opening to the last kings --------------------

struct BenchPosition {
    const char* text;
    int32_t chain;  // square of a capture chain in progress, or -1
};

// Positions met in games of the computer against itself, a few per stage,
// three in the middle of a capture chain, and the slowest ones found for the
// professional level (open boards where every quiet step is checked against
// the opponent's runs to the crowning row).
const BenchPosition BENCH_POSITIONS[] = {
    {"start", -1},
    {"start8", -1},
    {".r.r.r.r/..r.r.r./...r.r../......../.....b.r/r.b.b.../.b.b...b/b.b.b.b. r", -1},
    {".r.r...r/..r.r.r./.r.r...r/b.r...../.b.r.b../....b.b./.b...b.b/b.b...b. r", -1},
    {".r...r.r/r.r.r.r./...r.r.r/r.r...../.b...b../b.b.b.b./...b.b../b.b.b.b. b", -1},
    {".r.r...r/b.r...r./.....r.r/b.r...../.....b../r...b.b./.b...b.b/b.b..... r", -1},
    {".r.B.r../....r.r./...r...r/R...b.r./...b.b.r/R...b.../.......b/b....... r", -1},
    {"...B...r/r.r...r./...r...r/r.....r./.b...b.r/b...b.b./.r...b.b/..b...b. b", -1},
    {".....r.r/..r...../...r.r../r.r.r.../.b.....b/b.b.b.b./.......b/b....... r", -1},
    {".......B/......../.r.r..../r.r.B.../...b..../b.b.b.../...b..../b.b.b... b", -1},
    {"...r.B.r/r.r...../.r.....r/r...b.../...b...b/..R...../.......b/..b...b. r", -1},
    {"...R..../..b...r./.......r/......../.....b../r......./.......b/b.....R. b", -1},
    {"......../....r.r./.r.r...r/..R...b./.b...b.b/......b./.......b/........ b", -1},
    {".B.R..../......r./.......r/......../.....b../r......./.......b/b.....R. r", -1},
    {".....R../..b...../.b....../......../.....b.r/....b.../...b...b/........ r", -1},
    {"......../B......./.......r/......../.......b/r.....b./......../b.b..... r", -1},
    {"...R..../....B.r./.......b/b......./......../R......./......../........ r", -1},
    {"...B.B../......../......../..R...../......../......B./......../........ r", -1},
    {"...B..../B......./......../......../......../B......./......../R....... b", -1},
    {"......../......../......../......../......../r......./.B....../........ r", -1},
    {".r.r.r.r/r.r...../...r...r/....r.../...b..../b......./...b.b.b/b.b.b.b. b", 35},
    {".....r../....r.r./.......r/r.r.r.../.r...r.r/r.b...b./.b.b...b/b.b..... r", 39},
    {"......../r......./.r.b.b../r.r...../.r.b.r.r/b.....b./...b.b../b....... r", 37},
    {".r.r.r.r/r.....r./...r..../r......./.......b/b...b.../.....b../b.b.b.b. r", -1},
    {".r.r.R.r/r.r.r.r./......../r.r...../.......b/b...b.../...b...b/b.b.b.b. r", -1},
};

struct LevelTiming {
    int64_t calls = 0;
    double total_us = 0;
    double slowest_us = 0;  // one call
    double worst_position_us = 0;  // the median of the slowest position's calls
    std::string worst_position;
    std::vector<double> samples;
};

double median_of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Processor time of this thread: the figures then measure the work itself,
// not how long a busy machine made it wait.
double thread_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// How much each figure runs. The full run gives the figures; --quick runs
// each part as little as shows its line, for checking the output's form.
struct BenchSize {
    int rounds;  // of every position at each level
    int perft_depth;
    int fast_perft_depth;
    int search_depth;
};
// Enough rounds that the fast positions are timed above the clock's noise;
// perft deep enough to run for a good fraction of a second, the engine's
// generator as deep as it takes the rules' about as long, and its search to
// a fixed depth, so the nodes are the same on every machine and only the
// speed differs.
constexpr BenchSize BENCH_FULL = {20, 8, 11, 14};
constexpr BenchSize BENCH_QUICK = {2, 4, 5, 4};

// Times the computer's choice on every built-in position at one level.
bool time_level(int32_t level, int rounds, std::string& out, std::string& err) {
    LevelTiming t;
    settings.difficulty = level;
    const char* name = level_name(level);
    const int position_count = static_cast<int>(sizeof BENCH_POSITIONS / sizeof BENCH_POSITIONS[0]);
    for (int n = 0; n < position_count; n++) {
        const BenchPosition& p = BENCH_POSITIONS[n];
        progress_show(std::string("bench: ") + name + ", position " + std::to_string(n + 1) + " of " +
                      std::to_string(position_count));
        int32_t side = BLUE;
        std::string why;
        if (!parse_position(p.text, side, why)) {
            cli_fail(err, std::string("built-in position ") + cli_quote(p.text) + ": " + why);
            return false;
        }
        std::vector<double> position_samples;
        for (int r = 0; r < rounds; r++) {
            clear_marks(1);
            clear_marks(2);
            if (p.chain >= 0) board[p.chain].source_mark = 1;
            std::srand(static_cast<unsigned>(r + 1));
            const double start = thread_seconds();
            choose_computer_move(side);
            const double us = (thread_seconds() - start) * 1e6;
            t.calls++;
            t.total_us += us;
            t.samples.push_back(us);
            position_samples.push_back(us);
            t.slowest_us = std::max(t.slowest_us, us);
        }
        const double typical = median_of(position_samples);
        if (typical > t.worst_position_us) {
            t.worst_position_us = typical;
            t.worst_position = p.text;
        }
    }
    clear_marks(1);
    clear_marks(2);
    char line[512];
    std::snprintf(line, sizeof line,
                  "%s calls %lld moves_per_second %.0f median_us %.1f slowest_us %.1f worst_position_us %.1f "
                  "worst_position %s\n",
                  name, static_cast<long long>(t.calls), t.total_us > 0 ? t.calls * 1e6 / t.total_us : 0.0,
                  median_of(t.samples), t.slowest_us, t.worst_position_us, t.worst_position.c_str());
    out += line;
    return true;
}

void time_perft(int depth, std::string& out) {
    progress_show("bench: perft " + std::to_string(depth) + " from the start");
    int32_t side = BLUE;
    std::string why;
    parse_position("start", side, why);
    const double start = thread_seconds();
    const std::vector<uint64_t> counts = perft_counts(side, depth);
    const double seconds = thread_seconds() - start;
    const uint64_t nodes = counts.back();
    char line[160];
    std::snprintf(line, sizeof line, "perft depth %d nodes %llu seconds %.3f nodes_per_second %.0f\n",
                  depth, static_cast<unsigned long long>(nodes), seconds,
                  seconds > 0 ? static_cast<double>(nodes) / seconds : 0.0);
    out += line;
}

EnginePosition start_position() {
    int32_t side = BLUE;
    std::string why;
    parse_position("start", side, why);
    return engine_position_of_board(side);
}

void time_engine(const BenchSize& size, std::string& out) {
    const EnginePosition start = start_position();
    progress_show("bench: perft --fast " + std::to_string(size.fast_perft_depth) + " from the start");
    double begin = thread_seconds();
    const uint64_t leaves = engine_perft(start, size.fast_perft_depth);
    double seconds = thread_seconds() - begin;
    char line[160];
    std::snprintf(line, sizeof line, "perft_fast depth %d nodes %llu seconds %.3f nodes_per_second %.0f\n",
                  size.fast_perft_depth, static_cast<unsigned long long>(leaves), seconds,
                  seconds > 0 ? static_cast<double>(leaves) / seconds : 0.0);
    out += line;

    progress_show("bench: engine depth " + std::to_string(size.search_depth) + " from the start");
    SearchLimits limits;
    limits.depth = size.search_depth;
    begin = thread_seconds();
    const SearchResult r = engine_search(start, limits);
    seconds = thread_seconds() - begin;
    std::snprintf(line, sizeof line, "engine depth %d nodes %llu seconds %.3f nodes_per_second %.0f\n", r.depth,
                  static_cast<unsigned long long>(r.nodes), seconds,
                  seconds > 0 ? static_cast<double>(r.nodes) / seconds : 0.0);
    out += line;
}

// The frame timing lives in the Google Benchmark binary of the build folder,
// which links Allegro; this command does not. It is run from its own folder,
// where the datafile it loads is generated.
std::string benchmarks_dir() {
#ifdef _WIN32
    // The Windows build has no benchmarks binary.
    return "";
#else
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "";
    path[n] = '\0';
    std::string dir(path);
    const size_t slash = dir.rfind('/');
    return slash == std::string::npos ? "" : dir.substr(0, slash);
#endif
}

// Splits one line of the benchmark's CSV output; a quoted field may hold commas.
std::vector<std::string> csv_fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

void time_compose_frame(std::string& out) {
    progress_show("bench: compose_frame");
    const std::string dir = benchmarks_dir();
    const std::string binary = dir + "/benchmarks";
    if (dir.empty() || access(binary.c_str(), X_OK) != 0) {
        out += "compose_frame_us - (no benchmarks beside talvena-cli: build the benchmarks target)\n";
        return;
    }
    const std::string command = "cd " + shell_quote(dir) +
                                " && ./benchmarks --benchmark_filter='^BM_ComposeFrame/0$' "
                                "--benchmark_format=csv --benchmark_min_time=0.2 2>/dev/null";
    const std::string text = command_output(command);
    // name,iterations,real_time,cpu_time,time_unit,...,error_occurred,error_message
    const size_t at = text.find("\"BM_ComposeFrame/0\"");
    const std::vector<std::string> f =
        csv_fields(at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at));
    if (f.size() >= 10 && f[8] != "true" && f[4] == "us" && !f[3].empty()) {
        char line[64];
        std::snprintf(line, sizeof line, "compose_frame_us %.1f\n", std::strtod(f[3].c_str(), nullptr));
        out += line;
        return;
    }
    const std::string why = f.size() >= 10 && !f[9].empty() ? f[9] : "no figure in its output";
    out += "compose_frame_us - (" + binary + ": " + why + ")\n";
}

// The search's signature: its nodes over every bench position at fixed
// depths, the same on every machine and run. A change to the search or the
// evaluation that alters the tree shows here first.
constexpr int SIGNATURE_DEPTH_OPEN = 9;   // positions with men
constexpr int SIGNATURE_DEPTH_KINGS = 7;  // positions with kings: wider trees

bool signature(std::string& out, std::string& err) {
    uint64_t total = 0;
    for (const BenchPosition& b : BENCH_POSITIONS) {
        int32_t side = BLUE;
        std::string why;
        if (!parse_position(b.text, side, why)) {
            cli_fail(err, std::string("built-in position ") + cli_quote(b.text) + ": " + why);
            return false;
        }
        const EnginePosition p = engine_position_of_board(side);
        SearchLimits limits;
        limits.depth = (p.kings[0] | p.kings[1]) != 0 ? SIGNATURE_DEPTH_KINGS : SIGNATURE_DEPTH_OPEN;
        limits.table_bits = 16;
        limits.chain = b.chain;
        total += engine_search(p, limits).nodes;
    }
    out += "signature " + std::to_string(total) + "\n";
    return true;
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    if (argc == 1 && std::string(argv[0]) == "--signature") return signature(out, err) ? CLI_OK : CLI_BAD_INPUT;
    const bool quick = argc == 1 && std::string(argv[0]) == "--quick";
    if (argc != 0 && !quick) return cli_fail(err, "bench takes no arguments but --quick or --signature");
    const BenchSize& size = quick ? BENCH_QUICK : BENCH_FULL;
    const Settings saved = settings;
    progress_begin();
    bool ok = true;
    for (int32_t level : {LEVEL_AMATEUR, LEVEL_PROFESSIONAL})
        if (ok) ok = time_level(level, size.rounds, out, err);
    settings = saved;
    if (ok) {
        time_perft(size.perft_depth, out);
        time_compose_frame(out);
        time_engine(size, out);
        ok = signature(out, err);
    }
    progress_end();
    return ok ? CLI_OK : CLI_BAD_INPUT;
}

}  // namespace

const CliCommand BENCH_COMMAND = {
    "bench", "bench [--quick | --signature]", "speed of the computer's choice, of perft, a frame, the engine",
    "Times the computer's choice of a move over a fixed set of positions at both\n"
    "levels (calls, moves per second, median and slowest call, slowest position),\n"
    "perft's nodes per second from the opening, the time to compose one frame\n"
    "of the play screen when the benchmarks binary stands beside this one, and\n"
    "the engine's perft --fast and its search to a fixed depth from the opening\n"
    "(nodes per second), and last the search's signature: the nodes it searches\n"
    "over the same positions at fixed depths, the same on every machine, which\n"
    "changes whenever the search or the evaluation does.\n"
    "options:\n"
    "  --quick      two rounds and the shallowest depths: the same lines in a\n"
    "               moment, with figures too rough to go by\n"
    "  --signature  print only the signature line\n"
    "\n"
    "example:\n"
    "  talvena-cli bench\n",
    run};
