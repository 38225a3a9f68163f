// The analyse command: the engine's search on a position, one line per
// finished depth and the best whole turn.
#include <cstdio>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "notation/position.h"
#include "engine/engine.h"

namespace {

constexpr uint64_t MAX_TIME_MS = 3600000;
constexpr int64_t DEFAULT_TIME_MS = 1000;

std::string turn_text(const EngineMove& m, bool algebraic) {
    return move_text(move_squares(m), m.taken != 0, algebraic);
}

std::string score_text(int score) {
    if (!is_win_score(score)) return std::to_string(score);
    return std::string(score > 0 ? "win in " : "loss in ") + std::to_string(turns_to_win(score));
}

std::string report_line(const SearchReport& r, bool algebraic) {
    char head[160];
    std::snprintf(head, sizeof head, "depth %d score %s time %.3f nodes %llu nps %.0f pv", r.depth,
                  score_text(r.score).c_str(), r.seconds, static_cast<unsigned long long>(r.nodes),
                  r.seconds > 0 ? static_cast<double>(r.nodes) / r.seconds : 0.0);
    std::string line = head;
    for (const EngineMove& m : r.pv) line += " " + turn_text(m, algebraic);
    return line + "\n";
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--depth= --time= --algebraic --indices", args, why)) return cli_fail(err, why);
    if (args.positional.size() != 1)
        return cli_fail(err, "analyse needs one position: analyse POSITION [--depth N] [--time MS] [--indices]");
    SearchLimits limits;
    uint64_t v = 0;
    if (const char* depth = args.value("--depth")) {
        if (!parse_count(depth, "depth", 1, ENGINE_MAX_DEPTH, v, why)) return cli_fail(err, why);
        limits.depth = static_cast<int>(v);
    }
    if (const char* time = args.value("--time")) {
        if (!parse_count(time, "time", 1, MAX_TIME_MS, v, why)) return cli_fail(err, why);
        limits.time_ms = static_cast<int64_t>(v);
    } else if (!args.has("--depth")) {
        limits.time_ms = DEFAULT_TIME_MS;
    }
    int32_t side = BLUE;
    if (!parse_position(args.positional[0], side, why)) return cli_fail(err, why);

    // Squares by name unless indices are asked for; --algebraic, the
    // earlier way to ask for names, still reads.
    if (args.has("--algebraic") && args.has("--indices")) return cli_fail(err, "--algebraic and --indices disagree");
    const bool algebraic = !args.has("--indices");
    const SearchResult r = engine_search(engine_position_of_board(side), limits, {},
                                         [&](const SearchReport& report) { out += report_line(report, algebraic); });
    out += "best " + (r.has_move ? turn_text(r.best, algebraic) : std::string("none")) + "\n";
    return CLI_OK;
}

}  // namespace

const CliCommand ANALYSE_COMMAND = {
    "analyse", "analyse POSITION [--depth N] [--time MS] [--indices]", "the engine's search: score and best turn",
    "Searches POSITION with the engine, deeper and deeper, and prints one line per\n"
    "finished depth: the depth in turns, the score, the seconds it took so far, the\n"
    "nodes searched, nodes per second and the principal variation; then \"best\"\n"
    "and the whole turn it would play, by square names with x for a capture (a\n"
    "chain with every square it lands on, c3xe5xg7), or \"best none\" when the\n"
    "side to move cannot move. The score is in hundredths of a man from the side to\n"
    "move's view, or \"win in N\" / \"loss in N\" when the side to move wins or loses\n"
    "by force in N of the winner's turns. The draw on the 17th quiet move counts\n"
    "from this position.\n"
    "\n"
    "arguments:\n"
    "  POSITION     a position (see talvena-cli --help)\n"
    "options:\n"
    "  --depth N    stop after depth N, 1..64\n"
    "  --time MS    stop at the last depth finished within MS milliseconds,\n"
    "               1..3600000; 1000 when neither limit is given\n"
    "  --indices    the squares as board indices 0..63 joined by '-'\n"
    "  --algebraic  the squares by name, as without either option\n"
    "\n"
    "example:\n"
    "  talvena-cli analyse start --time 2000\n",
    run};
