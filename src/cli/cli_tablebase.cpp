// The tablebase command: builds the endgame tables, checks them, and looks a
// position up in them.
#include <chrono>
#include <cstdio>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_position.h"
#include "cli/cli_progress.h"
#include "engine/tablebase.h"

namespace {

constexpr int TABLE_FAILED = 1;

void show(const std::string& text, void*) { progress_show(text); }

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string value_text(const TableProbe& v) {
    if (v.value == TABLE_DRAW) return "draw";
    return std::string(v.value == TABLE_WIN ? "win" : "loss") + ", " + std::to_string(v.turns) +
           " turns to the next man move or capture";
}

struct Totals {
    int tables = 0;
    uint64_t positions = 0;
    uint64_t bytes = 0;
};

Totals totals_of(const Tablebase& tb) {
    Totals t;
    for (const auto& c : tb.classes) {
        if (!c) continue;
        t.tables++;
        t.positions += c->size;
        t.bytes += c->packed.size() + 8 * c->offsets.size();
    }
    return t;
}

int build(const CliArgs& args, std::string& out, std::string& err) {
    if (args.positional.size() != 3) return cli_fail(err, "tablebase build needs N and DIR: tablebase build N DIR");
    uint64_t n = 0;
    std::string why;
    if (!parse_count(args.positional[1], "N", 2, TABLEBASE_MAX_PIECES, n, why)) return cli_fail(err, why);
    const std::string dir = args.positional[2];
    const auto start = std::chrono::steady_clock::now();
    progress_begin();
    int built = 0;
    const bool ok = tablebase_build(static_cast<int>(n), dir, show, nullptr, built, why);
    progress_end();
    if (!ok) return cli_fail(err, why);
    std::vector<std::string> errors;
    const Tablebase tb = tablebase_load(dir, false, errors);
    const Totals t = totals_of(tb);
    char line[200];
    std::snprintf(line, sizeof line, "built %d tables in %.1f s; %s holds %d tables of up to %d pieces\n", built,
                  seconds_since(start), dir.c_str(), t.tables, tb.pieces);
    out += line;
    std::snprintf(line, sizeof line, "%llu places, %llu bytes on disk\n", static_cast<unsigned long long>(t.positions),
                  static_cast<unsigned long long>(t.bytes));
    out += line;
    return CLI_OK;
}

int verify(const CliArgs& args, std::string& out, std::string& err) {
    if (args.positional.size() != 2) return cli_fail(err, "tablebase verify needs DIR: tablebase verify DIR");
    const std::string dir = args.positional[1];
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> errors;
    const Tablebase tb = tablebase_load(dir, true, errors);
    for (const std::string& e : errors) out += "damaged: " + e + "\n";
    if (tb.pieces == 0 && errors.empty()) return cli_fail(err, "no tables in " + cli_quote(dir.c_str()));
    progress_begin();
    const TableVerifyReport r = tablebase_verify(tb, show, nullptr);
    progress_end();
    int tables = 0;
    for (const auto& c : tb.classes) tables += c ? 1 : 0;
    char line[200];
    std::snprintf(line, sizeof line, "checked %d tables, %llu places in %.1f s: %llu wrong\n", tables,
                  static_cast<unsigned long long>(r.positions), seconds_since(start),
                  static_cast<unsigned long long>(r.wrong));
    out += line;
    if (r.wrong > 0) out += "first wrong: " + r.first_wrong + "\n";
    return r.wrong == 0 && errors.empty() ? CLI_OK : TABLE_FAILED;
}

int probe(const CliArgs& args, std::string& out, std::string& err) {
    if (args.positional.size() != 3)
        return cli_fail(err, "tablebase probe needs DIR and POSITION: tablebase probe DIR POSITION [--quiet Q]");
    std::string why;
    uint64_t quiet = 0;
    if (const char* q = args.value("--quiet"))
        if (!parse_count(q, "quiet", 0, TABLEBASE_QUIET_LIMIT, quiet, why)) return cli_fail(err, why);
    int32_t side = BLUE;
    if (!parse_position(args.positional[2], side, why)) return cli_fail(err, why);
    std::vector<std::string> errors;
    const Tablebase tb = tablebase_load(args.positional[1], false, errors);
    if (!errors.empty()) return cli_fail(err, errors.front());
    EnginePosition p = engine_position_of_board(side);
    p.quiet = static_cast<int32_t>(quiet);
    TableProbe v;
    if (!table_probe(tb, p, v)) return cli_fail(err, "the position is not in the tables");
    out += "table " + value_text(v) + "\n";
    EngineMove best{};
    TableProbe kept;
    if (table_best_turn(tb, p, best, kept))
        out += "best " + move_text(move_squares(best), best.taken != 0, args.has("--algebraic")) + "\n";
    else
        out += "best none\n";
    return CLI_OK;
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--quiet= --algebraic", args, why)) return cli_fail(err, why);
    if (args.positional.empty()) return cli_fail(err, "tablebase needs build, verify or probe");
    const std::string what = args.positional[0];
    if (what == "build") return build(args, out, err);
    if (what == "verify") return verify(args, out, err);
    if (what == "probe") return probe(args, out, err);
    return cli_fail(err, "tablebase has no " + cli_quote(args.positional[0]) + "; build, verify or probe");
}

}  // namespace

const CliCommand TABLEBASE_COMMAND = {
    "tablebase", "tablebase build N DIR | verify DIR | probe DIR POSITION [--quiet Q] [--algebraic]",
    "the endgame tables: build, check, look up",
    "build N DIR   solves every position of 2 to N pieces (N up to 6) under the\n"
    "              game's rules, the draw on the 17th quiet move included, and\n"
    "              writes one file per material into DIR. Tables already in DIR\n"
    "              and whole are kept, so a stopped build goes on where it was.\n"
    "verify DIR    checks every table in DIR: each file's checksum, and each\n"
    "              position's value against the values of the positions its turns\n"
    "              lead to. Exit status 1 when anything is wrong.\n"
    "probe DIR POSITION\n"
    "              the table's value of POSITION for the side to move (win, draw\n"
    "              or loss, and the turns to the next man move or capture on the\n"
    "              best path) and the turn that keeps it.\n"
    "\n"
    "options:\n"
    "  --quiet Q    probe: Q quiet moves already made, 0..17 (0 when not given)\n"
    "  --algebraic  probe: name the squares\n"
    "\n"
    "A win is a win only when it converts before the draw rule ends the game: with\n"
    "Q quiet moves made, a win or loss in D turns holds when Q + D <= 17.\n"
    "\n"
    "example:\n"
    "  talvena-cli tablebase build 3 tables\n",
    run};
