// The match command: the engine against the professional level over many
// games, both colours, 12 and 8 men, each opening varied by the level's own
// random seed. Every turn of the engine is handed over jump by jump through
// the rule a human's move must pass, so a turn the rules refuse ends the run.
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "ai/ai.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_match.h"
#include "cli/cli_options.h"
#include "cli/cli_position.h"
#include "cli/cli_progress.h"
#include "cli/cli_selfplay.h"
#include "engine/engine.h"
#include "play/hint.h"
#include "rules/rules.h"

namespace {

struct MatchGame {
    int32_t engine_side;
    int32_t piece_count;
    unsigned seed;
};

EnginePosition live_position(int32_t side, int32_t quiet) {
    EnginePosition p = engine_position_of_board(side);
    p.quiet = quiet;
    return p;
}

// Plays one game as the game loop would, a single move or jump at a time.
// Answers the winner (1, 2), 0 for a draw, -1 when the engine's turn was
// refused or the game did not end (`failure` says why).
// time_ms 0: the engine plays as the game's "mistr" does, on `table`.
int32_t play_match_game(const MatchGame& g, int64_t time_ms, EngineTable& table, std::string& failure) {
    settings.piece_count = g.piece_count;
    settings.difficulty = LEVEL_PROFESSIONAL;
    reset_board();
    game.game_running = 1;
    std::srand(g.seed);
    DrawBook book;
    draw_book_reset(book);
    int32_t turn = BLUE;
    int32_t in_chain = 0;
    EngineMove plan{};
    int step = 0;
    std::vector<uint64_t> played;  // both sides' positions since a man last moved or a piece was taken
    const std::atomic<bool> never{false};
    for (int64_t moves = 0;; moves++) {
        const int32_t winner = game_result(turn);
        if (winner != 0) return winner;
        if (draw_check(book.quiet_moves, book.last_piece_count, book.draw_snapshot)) return 0;
        if (moves >= SELFPLAY_MOVE_CAP) {
            failure = "no end after " + std::to_string(SELFPLAY_MOVE_CAP) + " moves";
            return -1;
        }
        const EnginePosition p = live_position(turn, book.quiet_moves);
        if (!in_chain && p.quiet == 0) played.clear();
        if (turn != g.engine_side) {
            choose_computer_move(turn);
        } else {
            if (!in_chain) {
                if (time_ms == 0) {
                    // The question the game asks: the board, the draw count, the played positions.
                    const EngineAnswer a = think_turn(live_question(turn, -1, book.quiet_moves, played), table, never);
                    plan = EngineMove{};
                    plan.from = static_cast<uint8_t>(a.from < 0 ? 0 : a.from);
                    plan.length = static_cast<uint8_t>(a.length);
                    for (int i = 0; i < a.length; i++) plan.path[i] = static_cast<uint8_t>(a.path[i]);
                } else {
                    SearchLimits limits;
                    limits.time_ms = time_ms;
                    limits.thread_time = true;
                    plan = engine_search(p, limits, played).best;
                }
                step = 0;
            }
            const int32_t from = step == 0 ? plan.from : plan.path[step - 1];
            const int32_t to = plan.path[step];
            clear_marks(1);
            clear_marks(2);
            board[from].source_mark = 1;
            if (step >= plan.length || accept_human_move(from, to, turn, in_chain) != VERDICT_ACCEPTED) {
                failure = "the rules refuse the engine's " + move_text(move_squares(plan), plan.taken != 0, true) +
                          " in " + format_position(turn);
                return -1;
            }
            step++;
        }
        const int32_t turn_began = !in_chain;
        in_chain = perform_move(turn);
        if (turn_began) played.push_back(p.key);
        if (turn == g.engine_side && (in_chain == 1) != (step < plan.length)) {
            failure = "the engine's chain and the rules' part ways in " + format_position(turn);
            return -1;
        }
        if (!in_chain) turn = other_side(turn);
    }
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv,
                    "--time= --seed= --master --against= --weights= --base-weights= --nodes= --openings= --sprt=", args,
                    why))
        return cli_fail(err, why);
    if (args.positional.size() != 1)
        return cli_fail(err, "match needs a number of games: match GAMES [--time MS | --master] [--seed N]");
    const bool master = args.has("--master");
    if (master && args.value("--time") != nullptr) return cli_fail(err, "--master plays the level's own time; leave out --time");
    uint64_t games = 0;
    if (!parse_count(args.positional[0], "games", 1, 100000, games, why)) return cli_fail(err, why);
    const bool engines = args.has("--against") || args.has("--weights") || args.has("--base-weights");
    if (engines) {
        if (args.has("--seed") || master)
            return cli_fail(err, "--seed and --master are for the match against the professional level");
        return run_engine_match(args, games, out, err);
    }
    for (const char* only : {"--nodes", "--openings", "--sprt"})
        if (args.has(only))
            return cli_fail(err, std::string(only) + " is for a match of two engines (--against, --weights or --base-weights)");
    uint64_t time_ms = 100;
    if (const char* t = args.value("--time"))
        if (!parse_count(t, "time", 1, 60000, time_ms, why)) return cli_fail(err, why);
    unsigned seed = 1;
    if (!parse_seed(args.value("--seed"), seed, why)) return cli_fail(err, why);

    const Settings saved_settings = settings;
    const GameState saved_game = game;
    // [engine side - 1][8 men]: wins, draws, losses.
    int64_t tally[2][2][3] = {};
    std::string failure;
    std::string losses;
    // Kept from game to game, as the play screen keeps its table.
    EngineTable table;
    progress_begin();
    for (uint64_t n = 0; n < games && failure.empty(); n++) {
        // Four games share a seed: both colours with 12 men, then with 8.
        const MatchGame g{n % 2 == 0 ? BLUE : RED, (n / 2) % 2 == 0 ? 12 : 8, seed + static_cast<unsigned>(n / 4)};
        const int32_t winner = play_match_game(g, master ? 0 : static_cast<int64_t>(time_ms), table, failure);
        if (winner < 0) break;
        const int result = winner == g.engine_side ? 0 : winner == 0 ? 1 : 2;
        tally[g.engine_side - 1][g.piece_count == 8][result]++;
        if (result == 2)
            losses += "lost: seed " + std::to_string(g.seed) + ", engine " + (g.engine_side == BLUE ? "blue" : "red") +
                      ", " + std::to_string(g.piece_count) + " men\n";
        progress_show("match: " + std::to_string(n + 1) + " of " + std::to_string(games) + " games");
    }
    progress_end();
    settings = saved_settings;
    game = saved_game;
    if (!failure.empty()) {
        err = "match: " + failure + "\n";
        return CLI_INVARIANT_BROKEN;
    }
    int64_t total[3] = {};
    for (int side = 0; side < 2; side++)
        for (int eight = 0; eight < 2; eight++) {
            const int64_t* t = tally[side][eight];
            for (int k = 0; k < 3; k++) total[k] += t[k];
            out += std::string("engine ") + (side == 0 ? "blue" : "red") + ", " + (eight ? "8" : "12") +
                   " men: wins " + std::to_string(t[0]) + " draws " + std::to_string(t[1]) + " losses " +
                   std::to_string(t[2]) + "\n";
        }
    char share[32];
    std::snprintf(share, sizeof share, "%.1f", 100.0 * static_cast<double>(total[0]) / static_cast<double>(games));
    out += losses + "games " + std::to_string(games) + " wins " + std::to_string(total[0]) + " draws " +
           std::to_string(total[1]) + " losses " + std::to_string(total[2]) + " win_percent " + share + "\n";
    return CLI_OK;
}

}  // namespace

const CliCommand MATCH_COMMAND = {
    "match",
    "match GAMES [--time MS | --master] [--seed N] | match GAMES (--against PATH | --weights FILE | --base-weights "
    "FILE) [--time MS | --nodes N] [--openings 2|3] [--sprt ELO0,ELO1[,ALPHA,BETA]]",
    "the engine against the professional level or another engine",
    "Plays GAMES games of the engine against the computer's professional level and\n"
    "prints the engine's wins, draws and losses for each colour and number of men,\n"
    "every lost game's seed, and the totals. Games go in fours: the engine blue,\n"
    "then red, with 12 men, then the same with 8; each four shares one seed of the\n"
    "professional level's random choices, the next four the next seed. Every turn\n"
    "of the engine must pass the rule a human's move passes; exit status 1 with the\n"
    "position on standard error if one does not.\n"
    "\n"
    "arguments:\n"
    "  GAMES      1..100000\n"
    "options:\n"
    "  --time MS  the engine's thinking time a turn, 1..60000, counted in processor\n"
    "             time so a busy machine does not weaken it; 100 if left out\n"
    "  --master   the engine plays as the game's level \"mistr\" does: its time,\n"
    "             minimum depth and table, the table kept from turn to turn\n"
    "  --seed N   the first seed, 0..4294967295; 1 if left out\n"
    "\n"
    "\n"
    "Against another engine (any of --against, --weights, --base-weights): every\n"
    "opening of 2 or 3 whole turns from both starts that the engine scores within\n"
    "0.3 of a man at depth 8 is played twice, colours swapped, in a fixed order\n"
    "(round again when GAMES asks for more). A side with no turn loses; the 17th\n"
    "quiet move draws. Prints the engine's wins, draws and losses, its score and\n"
    "the Elo difference with its 95 % interval.\n"
    "  --against PATH      the other side is the talvena-cli at PATH, asked for each\n"
    "                      turn by PATH analyse POSITION --time MS (its own clock)\n"
    "  --weights FILE      the engine's evaluation weights (\"name value\" lines);\n"
    "                      the built-in ones if left out\n"
    "  --base-weights FILE the other side is this engine with these weights; the\n"
    "                      built-in ones if left out\n"
    "  --nodes N           a search of N nodes a turn (1000..1000000000) instead of\n"
    "                      time: the same games on every machine\n"
    "  --openings 2|3      openings of 2 or 3 whole turns; 3 if left out\n"
    "  --sprt ELO0,ELO1[,ALPHA,BETA]  stop once the sequential probability ratio\n"
    "                      test accepts one of the two Elo differences (error rates\n"
    "                      0.05 if left out), checked after each pair of games\n"
    "Ctrl-C (or TERM) stops it after the game in play and prints the figures so\n"
    "far, with exit status 130.\n"
    "\n"
    "examples:\n"
    "  talvena-cli match 200 --time 100\n"
    "  talvena-cli match 2000 --base-weights old.weights --time 100 --sprt 0,20\n",
    run};
