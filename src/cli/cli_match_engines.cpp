// The engine against another engine: this build's under other weights, or
// another talvena-cli asked through its analyse command. Every balanced
// opening is played twice, colours swapped; the tally gives the Elo
// difference and, when asked, a sequential test that stops the run early.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_match.h"
#include "cli/cli_position.h"
#include "cli/cli_progress.h"
#include "cli/cli_selfplay.h"
#include "engine/engine_games.h"

namespace {

bool read_weights(const char* path, EvalWeights& w, std::string& why) {
    std::ifstream in(path);
    if (!in) {
        why = "cannot read weights file " + cli_quote(path);
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    if (!parse_weights(text.str(), w, why)) {
        why = "weights file " + cli_quote(path) + ": " + why;
        return false;
    }
    return true;
}

std::string position_text(const EnginePosition& p) {
    int32_t pieces[SQUARE_COUNT] = {};
    for (int s = 0; s < SQUARE_COUNT; s++)
        for (int side = 0; side < 2; side++) {
            if ((p.men[side] >> s) & 1) pieces[s] = side == 0 ? BLUE_MAN : RED_MAN;
            if ((p.kings[side] >> s) & 1) pieces[s] = side == 0 ? BLUE_KING : RED_KING;
        }
    return position_text_of(pieces, p.side == 0 ? BLUE : RED);
}

// The other program's whole turn: `PATH analyse POSITION --time MS`, whose
// "best" line names the squares (by name, or by index as earlier builds
// print them). The answer must be one of the position's own turns; anything
// else ends the match.
EngineMove ask_program(const std::string& path, const EnginePosition& p, int64_t time_ms, std::string& failure) {
    const std::string command = shell_quote(path) + " analyse " + shell_quote(position_text(p)) + " --time " +
                                std::to_string(time_ms) + " 2>/dev/null";
    const std::string text = command_output(command);
    const size_t at = text.rfind("best ");
    const std::string best = at == std::string::npos ? "" : text.substr(at + 5, text.find('\n', at) - at - 5);
    EngineMove moves[ENGINE_MAX_MOVES];
    const int n = generate_turns(p, moves);
    for (int i = 0; i < n; i++)
        for (const bool named : {true, false})
            if (move_text(move_squares(moves[i]), moves[i].taken != 0, named) == best) return moves[i];
    failure = path + " answered " + cli_quote(best.c_str()) + " in " + position_text(p);
    return EngineMove{};
}

struct Side {
    std::string name;
    EvalWeights weights = EVAL_WEIGHTS;
    std::string program;  // empty: this build's engine
};

}  // namespace

int run_engine_match(const CliArgs& args, uint64_t games, std::string& out, std::string& err) {
    std::string why;
    Side engine{"engine", EVAL_WEIGHTS, ""};
    Side other{"built-in weights", EVAL_WEIGHTS, ""};
    if (const char* path = args.value("--weights")) {
        if (!read_weights(path, engine.weights, why)) return cli_fail(err, why);
        engine.name = path;
    }
    if (const char* path = args.value("--base-weights")) {
        if (!read_weights(path, other.weights, why)) return cli_fail(err, why);
        other.name = path;
    }
    if (const char* path = args.value("--against")) {
        if (args.has("--base-weights")) return cli_fail(err, "--against and --base-weights exclude each other");
        other.program = path;
        other.name = path;
    }
    uint64_t v = 0;
    int64_t time_ms = 100;
    uint64_t nodes = 0;
    if (const char* t = args.value("--time")) {
        if (!parse_count(t, "time", 1, 60000, v, why)) return cli_fail(err, why);
        time_ms = static_cast<int64_t>(v);
    }
    if (const char* n = args.value("--nodes")) {
        if (!parse_count(n, "nodes", 1000, 1000000000, nodes, why)) return cli_fail(err, why);
        if (!other.program.empty()) return cli_fail(err, "--nodes needs both sides in this build; --against takes --time");
        if (args.has("--time")) return cli_fail(err, "give --time or --nodes, not both");
    }
    int turns = 3;
    if (const char* o = args.value("--openings")) {
        if (!parse_count(o, "openings", 2, 3, v, why)) return cli_fail(err, why);
        turns = static_cast<int>(v);
    }
    SprtTest sprt;
    const bool sequential = args.has("--sprt");
    if (sequential && !parse_sprt(args.value("--sprt"), sprt, why)) return cli_fail(err, why);

    std::vector<EnginePosition> starts;
    for (const char* name : {"start", "start8"}) {
        int32_t side = BLUE;
        parse_position(name, side, why);
        starts.push_back(engine_position_of_board(side));
    }
    progress_begin();
    progress_show("match: choosing the openings");
    const std::vector<EngineOpening> openings = balanced_openings(starts, turns, ENGINE_OPENING_MARGIN, ENGINE_OPENING_DEPTH);

    std::string failure;
    const auto player = [&](const Side& side) -> EnginePlayer {
        return [&side, &failure, time_ms, nodes](const EnginePosition& p, const std::vector<uint64_t>& played) {
            if (!side.program.empty()) return failure.empty() ? ask_program(side.program, p, time_ms, failure) : EngineMove{};
            SearchLimits limits;
            if (nodes > 0) {
                limits.nodes = nodes;
            } else {
                limits.time_ms = time_ms;
                limits.thread_time = true;
            }
            limits.weights = &side.weights;
            return engine_search(p, limits, played).best;
        };
    };
    const EnginePlayer mine = player(engine);
    const EnginePlayer theirs = player(other);

    // Ctrl-C or TERM ends the run after the game in play, with the tally so far.
    interrupt_catch();
    MatchTally tally;
    int verdict = 0;
    uint64_t unfinished = 0;
    uint64_t played_games = 0;
    for (uint64_t n = 0; n < games && verdict == 0 && !interrupted(); n++) {
        const EngineOpening& o = openings[(n / 2) % openings.size()];
        // The engine takes the side to move after the opening in even games.
        const int engine_side = n % 2 == 0 ? o.position.side : 1 - o.position.side;
        const EnginePlayer players[2] = {engine_side == 0 ? mine : theirs, engine_side == 1 ? mine : theirs};
        const EngineGame g = play_engine_game(o.position, players);
        if (g.bad_turn || !failure.empty()) {
            progress_end();
            interrupt_release();
            err = "match: " + (failure.empty() ? std::string("a turn outside the position's own") : failure) + "\n";
            return CLI_INVARIANT_BROKEN;
        }
        played_games++;
        unfinished += g.unfinished ? 1 : 0;
        if (g.winner < 0)
            tally.draws++;
        else if (g.winner == engine_side)
            tally.wins++;
        else
            tally.losses++;
        // Pairs stay whole, so colours stay balanced when the test stops.
        if (sequential && n % 2 == 1) verdict = sprt_verdict(tally, sprt);
        progress_show("match: " + std::to_string(n + 1) + " of " + std::to_string(games) + " games, +" +
                      std::to_string(tally.wins) + " =" + std::to_string(tally.draws) + " -" +
                      std::to_string(tally.losses));
    }
    progress_end();
    interrupt_release();

    const EloEstimate e = elo_estimate(tally);
    const auto elo_text = [](bool bounded, double value, bool low) {
        if (!bounded) return std::string(low ? "-inf" : "inf");
        char b[32];
        std::snprintf(b, sizeof b, "%.1f", value);
        return std::string(b);
    };
    char line[256];
    std::snprintf(line, sizeof line, "openings %zu of %d turns, each with both colours\n", openings.size(), turns);
    out += std::string("engine ") + engine.name + " against " + other.name + "\n" + line;
    std::snprintf(line, sizeof line, "games %llu wins %lld draws %lld losses %lld score %.4f unfinished %llu\n",
                  static_cast<unsigned long long>(played_games), static_cast<long long>(tally.wins),
                  static_cast<long long>(tally.draws), static_cast<long long>(tally.losses), e.score,
                  static_cast<unsigned long long>(unfinished));
    out += line;
    out += "elo " + elo_text(e.bounded, e.elo, e.score <= 0) + " low " + elo_text(e.low_bounded, e.low, true) +
           " high " + elo_text(e.high_bounded, e.high, false) + "\n";
    if (sequential) {
        std::snprintf(line, sizeof line, "sprt elo0 %g elo1 %g alpha %g beta %g llr %.3f lower %.3f upper %.3f %s\n",
                      sprt.elo0, sprt.elo1, sprt.alpha, sprt.beta, sprt_llr(tally, sprt), sprt_lower(sprt),
                      sprt_upper(sprt),
                      verdict > 0 ? "accepted elo1" : verdict < 0 ? "accepted elo0" : "undecided");
        out += line;
    }
    if (!interrupted()) return CLI_OK;
    err = "match: interrupted after " + std::to_string(played_games) + " of " + std::to_string(games) + " games\n";
    return CLI_INTERRUPTED;
}
