// The selfplay command: many games of the computer against itself, the
// totals, and the games as PDN if asked.
#include <cstdio>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_progress.h"
#include "cli/cli_selfplay.h"
#include "notation/pdn.h"
#include "notation/position.h"

namespace {

// The tags every game of the run shares.
PdnGame pdn_header(int32_t piece_count, int32_t blue_level, int32_t red_level) {
    PdnGame game;
    game.event = "Talvena self-play";
    game.site = "talvena-cli";
    game.date = pdn_today();
    game.white = std::string("Talvena ") + level_name(blue_level);
    game.black = std::string("Talvena ") + level_name(red_level);
    // The opening with 12 men is the standard one; any other needs its FEN.
    if (piece_count != 12) {
        int32_t side = BLUE;
        std::string unused;
        parse_position("start8", side, unused);
        game.fen = format_fen(side);
    }
    return game;
}

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--seed= --pieces= --pdn=", args, why)) return cli_fail(err, why);
    if (args.positional.size() != 3)
        return cli_fail(err, "selfplay needs a number of games and two levels: selfplay GAMES BLUE_LEVEL RED_LEVEL "
                             "[--seed N] [--pieces 12|8] [--pdn FILE]");
    uint64_t games = 0;
    if (!parse_count(args.positional[0], "games", 1, 1000000, games, why)) return cli_fail(err, why);
    int32_t blue_level = 0;
    int32_t red_level = 0;
    if (!parse_level(args.positional[1], blue_level, why)) return cli_fail(err, why);
    if (!parse_level(args.positional[2], red_level, why)) return cli_fail(err, why);
    unsigned seed = 1;
    if (!parse_seed(args.value("--seed"), seed, why)) return cli_fail(err, why);
    int32_t pieces = 12;
    if (!parse_pieces(args.value("--pieces"), pieces, why)) return cli_fail(err, why);

    PdnFile pdn;
    PdnGame record;
    if (const char* path = args.value("--pdn")) {
        if (!pdn_file_open(pdn, path, why)) return cli_fail(err, why);
        record = pdn_header(pieces, blue_level, red_level);
    }
    const SelfplayGameFn on_game = [&pdn, &record](int64_t g, int32_t winner, const std::vector<PdnTurn>& turns) {
        if (pdn.file != nullptr) {
            record.round = std::to_string(g);
            record.result = pdn_result(winner);
            record.turns = turns;
            if (!pdn_file_write(pdn, record)) return false;
        }
        return !interrupted();
    };

    // Ctrl-C or TERM ends the run once the game in play is over and written.
    interrupt_catch();
    SelfplayTotals t;
    std::string failure;
    progress_begin();
    const bool held = run_selfplay(static_cast<int64_t>(games), blue_level, red_level, pieces, seed, t, failure,
                                   on_game);
    progress_end();
    interrupt_release();
    // The games written so far stay in the file either way.
    if (!pdn_file_close(pdn, why)) return cli_fail(err, why);
    if (!held) {
        err = failure;
        return CLI_INVARIANT_BROKEN;
    }
    char avg[32];
    std::snprintf(avg, sizeof avg, "%.1f", static_cast<double>(t.single_moves) / static_cast<double>(t.games));
    out = "blue_wins " + std::to_string(t.blue_wins) + "\nred_wins " + std::to_string(t.red_wins) + "\ndraws " +
          std::to_string(t.draws) + "\navg_moves " + avg + "\n";
    if (!interrupted()) return CLI_OK;
    err = "selfplay: interrupted after " + std::to_string(t.games) + " of " + std::to_string(games) + " games\n";
    return CLI_INTERRUPTED;
}

}  // namespace

const CliCommand SELFPLAY_COMMAND = {
    "selfplay", "selfplay GAMES BLUE_LEVEL RED_LEVEL [--seed N] [--pieces 12|8] [--pdn FILE]",
    "games of the computer against itself",
    "Plays GAMES whole games of the computer against itself as the game loop runs\n"
    "them, puts every chosen move to the rule a human's move must pass, and prints\n"
    "the wins of each side, the draws and the average number of single moves.\n"
    "Exit status 1, with the game and position on standard error, if a rule broke.\n"
    "Ctrl-C (or TERM) stops it after the game in play: the totals so far are\n"
    "printed, the PDN file holds the finished games, and the exit status is 130.\n"
    "\n"
    "arguments:\n"
    "  GAMES        1..1000000\n"
    "  BLUE_LEVEL   amateur, professional or master, for blue (moving first)\n"
    "  RED_LEVEL    amateur, professional or master, for red\n"
    "options:\n"
    "  --seed N      seed of the random choices, 0..4294967295; 1 if left out\n"
    "  --pieces 12|8 men a side at the start; 12 if left out\n"
    "  --pdn FILE    write every game to FILE in Portable Draughts Notation\n"
    "                (Czech draughts, blue as White, squares a1..h8)\n"
    "\n"
    "example:\n"
    "  talvena-cli selfplay 20 professional amateur --seed 7 --pdn games.pdn\n",
    run};
