// The show command: a position as a diagram with its first moves.
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_perft.h"
#include "cli/cli_position.h"

int cli_show(int argc, const char* const* argv, std::string& out, std::string& err) {
    if (argc < 1) return cli_fail(err, "show needs a position: show POSITION");
    if (argc > 1) return cli_fail(err, "show takes one argument (quote the position)");
    int32_t side = BLUE;
    std::string why;
    if (!parse_position(argv[0], side, why)) return cli_fail(err, why);
    out += board_diagram();
    out += "position: " + format_position(side) + "\n";
    out += side == BLUE ? "to move: b (blue)\n" : "to move: r (red)\n";
    const std::vector<FirstMove> moves = first_moves(side);
    out += "moves: " + std::to_string(moves.size()) + "\n";
    for (const FirstMove& m : moves) out += std::to_string(m.from) + "-" + std::to_string(m.to) + "\n";
    return CLI_OK;
}
