// talvena-cli bench: how long the computer takes to choose a move.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ai/ai.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_position.h"
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
    double slowest_us = 0;  // one call, which the scheduler may have stretched
    double worst_position_us = 0;  // the median of the slowest position's calls
    std::string worst_position;
    std::vector<double> samples;
};

double median_of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int cli_bench(int argc, const char* const* argv, std::string& out, std::string& err) {
    (void)argv;
    if (argc != 0) return cli_fail(err, "bench takes no arguments");
    // Enough rounds that the fast positions are timed above the clock's noise.
    constexpr int ROUNDS = 20;
    const Settings saved = settings;
    for (int32_t level : {LEVEL_AMATEUR, LEVEL_PROFESSIONAL}) {
        LevelTiming t;
        settings.difficulty = level;
        for (const BenchPosition& p : BENCH_POSITIONS) {
            int32_t side = BLUE;
            std::string why;
            if (!parse_position(p.text, side, why)) {
                settings = saved;
                return cli_fail(err, std::string("built-in position ") + cli_quote(p.text) + ": " + why);
            }
            std::vector<double> position_samples;
            for (int r = 0; r < ROUNDS; r++) {
                clear_marks(1);
                clear_marks(2);
                if (p.chain >= 0) board[p.chain].source_mark = 1;
                std::srand(static_cast<unsigned>(r + 1));
                const auto start = std::chrono::steady_clock::now();
                choose_computer_move(side);
                const auto stop = std::chrono::steady_clock::now();
                const double us = std::chrono::duration<double, std::micro>(stop - start).count();
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
                      level == LEVEL_AMATEUR ? "amateur" : "professional", static_cast<long long>(t.calls),
                      t.total_us > 0 ? t.calls * 1e6 / t.total_us : 0.0, median_of(t.samples), t.slowest_us,
                      t.worst_position_us, t.worst_position.c_str());
        out += line;
    }
    settings = saved;
    return CLI_OK;
}
