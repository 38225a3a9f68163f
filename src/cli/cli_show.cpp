// The show command: a position as a diagram with its first moves.
#include <cstring>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_perft.h"
#include "cli/cli_position.h"
#include "rules/rules.h"

int cli_show(int argc, const char* const* argv, std::string& out, std::string& err) {
    const char* position = nullptr;
    bool algebraic = false;
    int positional = 0;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--algebraic") == 0) {
            algebraic = true;
        } else if (std::strncmp(argv[i], "--", 2) == 0) {
            return cli_fail(err, "unknown option " + cli_quote(argv[i]));
        } else {
            position = argv[i];
            positional++;
        }
    }
    if (positional < 1) return cli_fail(err, "show needs a position: show POSITION [--algebraic]");
    if (positional > 1) return cli_fail(err, "show takes one position (quote it)");
    int32_t side = BLUE;
    std::string why;
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
