// The analyse command: the engine's search on a position, one line per
// finished depth and the best whole turn.
#include <cstdio>
#include <cstdlib>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "notation/position.h"
#include "engine/engine.h"
#include "engine/tablebase.h"

namespace {

constexpr uint64_t MAX_TIME_MS = 3600000;
constexpr int64_t DEFAULT_TIME_MS = 1000;

std::string turn_text(const EngineMove& m, bool algebraic) {
    return move_text(move_squares(m), m.taken != 0, algebraic);
}

std::string score_text(int score) {
    if (is_table_score(score))
        return std::string(score > 0 ? "table win, " : "table loss, ") + std::to_string(TABLE_WIN_SCORE - std::abs(score)) +
               " to convert";
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
    if (!parse_args(argc, argv, "--depth= --time= --algebraic --indices --tables= --quiet=", args, why))
        return cli_fail(err, why);
    if (args.positional.size() != 1)
        return cli_fail(err, "analyse needs one position: analyse POSITION [--depth N] [--time MS] [--indices] "
                             "[--tables DIR] [--quiet Q]");
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
    uint64_t quiet = 0;
    if (const char* q = args.value("--quiet"))
        if (!parse_count(q, "quiet", 0, TABLEBASE_QUIET_LIMIT, quiet, why)) return cli_fail(err, why);
    int32_t side = BLUE;
    if (!parse_position(args.positional[0], side, why)) return cli_fail(err, why);
    Tablebase tables;
    if (const char* dir = args.value("--tables")) {
        std::vector<std::string> errors;
        tables = tablebase_load(dir, false, errors);
        if (!errors.empty()) return cli_fail(err, errors.front());
        if (tables.pieces == 0) return cli_fail(err, std::string("no tables in ") + cli_quote(dir));
    }
    EnginePosition root = engine_position_of_board(side);
    root.quiet = static_cast<int32_t>(quiet);

    // Squares by name unless indices are asked for; --algebraic, the
    // earlier way to ask for names, still reads.
    if (args.has("--algebraic") && args.has("--indices")) return cli_fail(err, "--algebraic and --indices disagree");
    const bool algebraic = !args.has("--indices");
    engine_tablebase = args.has("--tables") ? &tables : nullptr;
    const SearchResult r =
        engine_search(root, limits, {}, [&](const SearchReport& report) { out += report_line(report, algebraic); });
    TableProbe known;
    if (engine_tablebase != nullptr && table_probe(tables, root, known))
        out += std::string("table ") +
               (known.value == TABLE_WIN ? "win" : known.value == TABLE_LOSS ? "loss" : "draw") + "\n";
    engine_tablebase = nullptr;
    out += "best " + (r.has_move ? turn_text(r.best, algebraic) : std::string("none")) + "\n";
    return CLI_OK;
}

}  // namespace

const CliCommand ANALYSE_COMMAND = {
    "analyse", "analyse POSITION [--depth N] [--time MS] [--indices] [--tables DIR] [--quiet Q]",
    "the engine's search: score and best turn",
    "Searches POSITION with the engine, deeper and deeper, and prints one line per\n"
    "finished depth: the depth in turns, the score, the seconds it took so far, the\n"
    "nodes searched, nodes per second and the principal variation; then \"best\"\n"
    "and the whole turn it would play, by square names with x for a capture (a\n"
    "chain with every square it lands on, c3xe5xg7), or \"best none\" when the\n"
    "side to move cannot move. The score is in hundredths of a man from the side to\n"
    "move's view, or \"win in N\" / \"loss in N\" when the side to move wins or loses\n"
    "by force in N of the winner's turns. The draw on the 17th quiet move counts\n"
    "from this position, or from Q quiet moves already made.\n"
    "With --tables the endgame tables answer every position they hold: a score\n"
    "\"table win, N to convert\" (or loss) is exact, N the turns to the next man\n"
    "move or capture; a position in the tables is answered at once, with a line\n"
    "\"table win\", \"table draw\" or \"table loss\" before the best turn.\n"
    "\n"
    "arguments:\n"
    "  POSITION     a position (see talvena-cli --help)\n"
    "options:\n"
    "  --depth N    stop after depth N, 1..64\n"
    "  --time MS    stop at the last depth finished within MS milliseconds,\n"
    "               1..3600000; 1000 when neither limit is given\n"
    "  --indices    the squares as board indices 0..63 joined by '-'\n"
    "  --algebraic  the squares by name, as without either option\n"
    "  --tables DIR the endgame tables in DIR (talvena-cli tablebase build)\n"
    "  --quiet Q    Q quiet moves already made, 0..17 (0 when not given)\n"
    "\n"
    "example:\n"
    "  talvena-cli analyse start --time 2000\n",
    run};
