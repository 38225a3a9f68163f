#include "cli/cli_perft.h"

#include <cstring>

#include "app/game_state.h"
#include "rules/rules.h"

namespace {

bool owns_man(int32_t piece, int32_t side) { return piece == side; }
bool owns_king(int32_t piece, int32_t side) { return piece == side + 2; }

// The squares on the four diagonals of a square, in ascending order: every
// legal move lands on one of them (a wrapped index line ends on a light
// square), so trying only these finds every move the rules allow. A man
// moves at most two rows, and only forward: toward lower squares for blue.
struct Diagonals {
    int32_t up_count;  // men of blue
    int32_t up[4];
    int32_t down_count;  // men of red
    int32_t down[4];
    int32_t all_count;  // kings
    int32_t all[13];
};

struct DiagonalTable {
    Diagonals of[SQUARE_COUNT] = {};
    constexpr DiagonalTable() {
        for (int32_t from = 0; from < SQUARE_COUNT; from++) {
            Diagonals& d = of[from];
            d.up_count = d.down_count = d.all_count = 0;
            for (int32_t to = 0; to < SQUARE_COUNT; to++) {
                const int32_t rows = to / 8 - from / 8;
                const int32_t cols = to % 8 - from % 8;
                if (rows == 0 || (rows != cols && rows != -cols)) continue;
                d.all[d.all_count++] = to;
                if (rows == -1 || rows == -2) d.up[d.up_count++] = to;
                if (rows == 1 || rows == 2) d.down[d.down_count++] = to;
            }
        }
    }
};

constexpr DiagonalTable DIAGONALS;

// Calls visit(to) for each square the piece on `from` might move to, in
// ascending order.
template <class Visit>
void for_each_target(int32_t from, Visit visit) {
    const Diagonals& d = DIAGONALS.of[from];
    const int32_t p = board[from].piece;
    const int32_t* targets = d.all;
    int32_t count = d.all_count;
    if (p == BLUE_MAN) {
        targets = d.up;
        count = d.up_count;
    } else if (p == RED_MAN) {
        targets = d.down;
        count = d.down_count;
    }
    for (int32_t k = 0; k < count; k++) visit(targets[k]);
}

// Pieces stand only on the 32 dark squares, and no piece has more than 13
// diagonal targets.
constexpr int32_t MAX_TURN_STARTS = 32 * 13;

// The moves the acceptance rule lets `side` start its turn with, in scan
// order, found in one pass instead of one check per click: with a king's
// capture on the board only kings' captures pass, with any capture only
// captures, otherwise every legal move.
struct TurnStarts {
    int32_t count = 0;
    bool capture = false;
    FirstMove move[MAX_TURN_STARTS];

    explicit TurnStarts(int32_t side) {
        int32_t kind[MAX_TURN_STARTS];  // 0 quiet, 1 a man's capture, 2 a king's
        int32_t best = 0;
        for (int32_t from = 0; from < SQUARE_COUNT; from++) {
            const int32_t p = board[from].piece;
            if (!owns_man(p, side) && !owns_king(p, side)) continue;
            for_each_target(from, [&](int32_t to) {
                if (board[to].piece != EMPTY || is_legal_move(from, to, side) != 1) return;
                const int32_t k = is_capture(from, to, side) != 1 ? 0 : owns_king(p, side) ? 2 : 1;
                if (k > best) best = k;
                kind[count] = k;
                move[count++] = {from, to};
            });
        }
        int32_t kept = 0;
        for (int32_t i = 0; i < count; i++)
            if (kind[i] == best) move[kept++] = move[i];
        count = kept;
        capture = best > 0;
    }
};

struct Walk {
    int max_depth;
    std::vector<uint64_t> counts;

    // The position after `ply` whole turns, `side` to move; ply < max_depth.
    void node(int32_t side, int ply) {
        const TurnStarts starts(side);
        // A quiet move never continues, so on the last turn it is only counted.
        if (!starts.capture && ply + 1 == max_depth) {
            counts[ply] += static_cast<uint64_t>(starts.count);
            return;
        }
        for (int32_t i = 0; i < starts.count; i++) play(starts.move[i].from, starts.move[i].to, side, ply);
    }

    // Hands the move to perform_move through the marks, as the game loop does.
    void play(int32_t from, int32_t to, int32_t side, int ply) {
        int32_t saved[SQUARE_COUNT];
        for (int32_t i = 0; i < SQUARE_COUNT; i++) saved[i] = board[i].piece;
        board[from].source_mark = 1;
        board[to].target_mark = 1;
        if (perform_move(side) == 1) {
            // Inside a chain only the chaining piece's captures are accepted,
            // and the kings' precedence no longer applies.
            for_each_target(to, [&](int32_t next) {
                if (board[next].piece == EMPTY && is_capture(to, next, side)) play(to, next, side, ply);
            });
            clear_marks(1);
        } else {
            counts[ply]++;
            if (ply + 1 < max_depth) node(other_side(side), ply + 1);
        }
        for (int32_t i = 0; i < SQUARE_COUNT; i++) board[i].piece = saved[i];
    }
};

}  // namespace

std::vector<uint64_t> perft_counts(int32_t side, int max_depth) {
    Walk walk{max_depth, std::vector<uint64_t>(max_depth > 0 ? max_depth : 0, 0)};
    clear_marks(1);
    clear_marks(2);
    if (max_depth > 0) walk.node(side, 0);
    return walk.counts;
}

std::vector<FirstMove> first_moves(int32_t side) {
    const TurnStarts starts(side);
    return std::vector<FirstMove>(starts.move, starts.move + starts.count);
}

// --- the perft command --------------------------------------------------------

#include <string>

#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_position.h"
#include "engine/engine.h"

namespace {

constexpr int MAX_PERFT_DEPTH = 20;

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--fast", args, why)) return cli_fail(err, why);
    if (args.positional.empty()) return cli_fail(err, "perft needs a depth: perft DEPTH [POSITION] [--fast]");
    if (args.positional.size() > 2) return cli_fail(err, "perft takes at most two arguments (quote the position)");
    uint64_t depth = 0;
    if (!parse_count(args.positional[0], "depth", 1, MAX_PERFT_DEPTH, depth, why)) return cli_fail(err, why);
    int32_t side = BLUE;
    if (!parse_position(args.positional.size() == 2 ? args.positional[1] : "start", side, why))
        return cli_fail(err, why);
    if (args.has("--fast")) {
        const EnginePosition p = engine_position_of_board(side);
        for (int d = 1; d <= static_cast<int>(depth); d++)
            out += std::to_string(d) + " " + std::to_string(engine_perft(p, d)) + "\n";
        return CLI_OK;
    }
    const std::vector<uint64_t> counts = perft_counts(side, static_cast<int>(depth));
    for (size_t d = 1; d <= depth; d++) out += std::to_string(d) + " " + std::to_string(counts[d - 1]) + "\n";
    return CLI_OK;
}

}  // namespace

const CliCommand PERFT_COMMAND = {
    "perft", "perft DEPTH [POSITION] [--fast]", "count sequences of whole turns, depth by depth",
    "Counts the distinct sequences of whole turns (a capture chain is one turn) from\n"
    "POSITION, for each depth from 1 to DEPTH, with the game's own acceptance rule.\n"
    "\n"
    "arguments:\n"
    "  DEPTH      1..20\n"
    "  POSITION   a position (see talvena-cli --help); the 12-men opening if left out\n"
    "options:\n"
    "  --fast     count with the engine's bitboard generator instead: the same\n"
    "             numbers, many times faster\n"
    "\n"
    "example:\n"
    "  talvena-cli perft 6 start8\n",
    run};
