// The show command: a position as a diagram with its first moves.
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_perft.h"
#include "cli/cli_position.h"
#include "rules/rules.h"

namespace {

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--algebraic", args, why)) return cli_fail(err, why);
    if (args.positional.empty()) return cli_fail(err, "show needs a position: show POSITION [--algebraic]");
    if (args.positional.size() > 1) return cli_fail(err, "show takes one position (quote it)");
    const char* position = args.positional[0];
    const bool algebraic = args.has("--algebraic");
    int32_t side = BLUE;
    if (!parse_position(position, side, why)) return cli_fail(err, why);
    out += algebraic ? board_diagram_algebraic() : board_diagram();
    out += "position: " + format_position(side) + "\n";
    out += "fen: " + format_fen(side) + "\n";
    out += side == BLUE ? "to move: b (blue)\n" : "to move: r (red)\n";
    const std::vector<FirstMove> moves = first_moves(side);
    out += "moves: " + std::to_string(moves.size()) + "\n";
    for (const FirstMove& m : moves)
        out += move_text({m.from, m.to}, is_capture(m.from, m.to, side) == 1, algebraic) + "\n";
    return CLI_OK;
}

}  // namespace

const CliCommand SHOW_COMMAND = {
    "show", "show POSITION [--algebraic]", "diagram, FEN, side to move and the first moves",
    "Prints POSITION as a diagram, in both position texts (board text and FEN),\n"
    "the side to move and every single move that side may start its turn with.\n"
    "\n"
    "arguments:\n"
    "  POSITION      a position (see talvena-cli --help)\n"
    "options:\n"
    "  --algebraic   label the diagram a..h and 1..8, name the moves c3-d4, c3xe5\n"
    "\n"
    "example:\n"
    "  talvena-cli show \"W:Wa1,c3,Ke5:Bd6,h8\" --algebraic\n",
    run};
