// The move command: the single move the computer opponent would choose.
#include <atomic>
#include <cstdlib>

#include "ai/ai.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_position.h"
#include "play/hint.h"
#include "rules/rules.h"

namespace {

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--chain= --seed= --explain --algebraic", args, why)) return cli_fail(err, why);
    if (args.positional.size() != 2)
        return cli_fail(err, "move needs a level and a position: move LEVEL POSITION [--chain SQUARE] [--seed N] "
                             "[--explain] [--algebraic]");
    int32_t level = 0;
    if (!parse_level(args.positional[0], level, why)) return cli_fail(err, why);
    unsigned seed = 1;
    if (!parse_seed(args.value("--seed"), seed, why)) return cli_fail(err, why);
    int32_t side = BLUE;
    if (!parse_position(args.positional[1], side, why)) return cli_fail(err, why);
    if (const char* chain = args.value("--chain")) {
        int32_t c = -1;
        if (!parse_square(chain, c))
            return cli_fail(err, "chain square must be a1..h8 or a number from 0 to 63, got " + cli_quote(chain));
        const std::string named = std::to_string(c) + " (" + square_name(c) + ")";
        if (!owns_piece(c, side)) return cli_fail(err, "chain square " + named + " holds no piece of the side to move");
        if (!can_capture_from(c, side))
            return cli_fail(err, "the piece on chain square " + named + " has no capture to go on with");
        board[c].source_mark = 1;
    }

    const Settings saved = settings;
    settings.difficulty = level;
    std::srand(seed);
    const char* rule = nullptr;
    int32_t from = -1;
    int32_t to = -1;
    if (level == LEVEL_MASTER) {
        // The game's own question, as on a turn that starts here.
        EngineTable table;
        const std::atomic<bool> never{false};
        const EngineAnswer a = think_turn(live_question(side, source_square(), 0, {}), table, never);
        if (a.from >= 0) {
            rule = "engine";
            from = a.from;
            to = a.path[0];
        }
    } else {
        rule = choose_computer_move_explained(side);
        from = source_square();
        to = target_square();
    }
    const bool capture = rule != nullptr && is_capture(from, to, side) == 1;
    settings = saved;
    clear_marks(1);
    clear_marks(2);

    out = rule != nullptr ? move_text({from, to}, capture, args.has("--algebraic")) + "\n" : "none\n";
    if (args.has("--explain")) out += std::string("rule ") + (rule != nullptr ? rule : "none") + "\n";
    return CLI_OK;
}

}  // namespace

const CliCommand MOVE_COMMAND = {
    "move", "move LEVEL POSITION [--chain SQUARE] [--seed N] [--explain] [--algebraic]",
    "the move the computer would choose",
    "Prints the single move the computer opponent chooses in POSITION for the side\n"
    "to move, as FROM-TO, or \"none\" when that side cannot move. At master the\n"
    "engine chooses the whole turn as the game's \"mistr\" does (a second of\n"
    "thinking, never shallower than its minimum depth); its first step is printed\n"
    "and --explain names the rule \"engine\".\n"
    "\n"
    "arguments:\n"
    "  LEVEL      amateur, professional or master\n"
    "  POSITION   a position (see talvena-cli --help)\n"
    "options:\n"
    "  --chain SQUARE  a capture chain is under way with the piece on SQUARE\n"
    "                  (c3 or 42), which must jump on\n"
    "  --seed N        seed of the random choices, 0..4294967295; 1 if left out\n"
    "  --explain       print also the rule that chose the move\n"
    "  --algebraic     name the squares: c3-d4, a capture c3xe5\n"
    "\n"
    "example:\n"
    "  talvena-cli move professional start --explain --algebraic\n",
    run};
