#include "cli/cli_perft.h"

#include <cstring>

#include "app/game_state.h"
#include "rules/rules.h"

namespace {

bool owns_man(int32_t piece, int32_t side) { return piece == side; }
bool owns_king(int32_t piece, int32_t side) { return piece == side + 2; }

// What the acceptance rule allows at the start of a turn, settled once per
// position instead of once per click: with a king's capture on the board only
// kings' captures pass, with any capture only captures, otherwise any legal
// move.
struct Obligation {
    bool king_capture = false;
    bool capture = false;
};

Obligation obligation(int32_t side) {
    Obligation o;
    for (int32_t i = 0; i < SQUARE_COUNT; i++) {
        const int32_t p = board[i].piece;
        if (owns_king(p, side) && can_capture_from(i, side)) {
            o.king_capture = o.capture = true;
            return o;
        }
    }
    for (int32_t i = 0; i < SQUARE_COUNT && !o.capture; i++)
        if (owns_man(board[i].piece, side) && can_capture_from(i, side)) o.capture = true;
    return o;
}

bool allowed(const Obligation& o, int32_t from, int32_t to, int32_t side) {
    if (from == to) return false;
    if (o.king_capture && !owns_king(board[from].piece, side)) return false;
    return o.capture ? is_capture(from, to, side) == 1 : is_legal_move(from, to, side) == 1;
}

struct Walk {
    int max_depth;
    std::vector<uint64_t> counts;

    // The position after `ply` whole turns, `side` to move; ply < max_depth.
    void node(int32_t side, int ply) {
        const Obligation o = obligation(side);
        // A quiet move never continues, so on the last turn it is only counted.
        const bool count_quiet = !o.capture && ply + 1 == max_depth;
        for (int32_t from = 0; from < SQUARE_COUNT; from++) {
            const int32_t p = board[from].piece;
            if (!owns_man(p, side) && !owns_king(p, side)) continue;
            for (int32_t to = 0; to < SQUARE_COUNT; to++) {
                if (!allowed(o, from, to, side)) continue;
                if (count_quiet)
                    counts[ply]++;
                else
                    play(from, to, side, ply);
            }
        }
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
            for (int32_t next = 0; next < SQUARE_COUNT; next++)
                if (next != to && is_capture(to, next, side)) play(to, next, side, ply);
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
    std::vector<FirstMove> moves;
    const Obligation o = obligation(side);
    for (int32_t from = 0; from < SQUARE_COUNT; from++) {
        const int32_t p = board[from].piece;
        if (!owns_man(p, side) && !owns_king(p, side)) continue;
        for (int32_t to = 0; to < SQUARE_COUNT; to++)
            if (allowed(o, from, to, side)) moves.push_back({from, to});
    }
    return moves;
}

// --- the perft command --------------------------------------------------------

#include <string>

#include "cli/cli.h"
#include "cli/cli_position.h"

namespace {

constexpr int MAX_PERFT_DEPTH = 20;

// Digits only, checked against the bound before they can overflow.
bool parse_depth(const char* text, int& depth) {
    if (text[0] == '\0') return false;
    int value = 0;
    for (const char* c = text; *c; c++) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + (*c - '0');
        if (value > MAX_PERFT_DEPTH) return false;
    }
    depth = value;
    return depth >= 1;
}

}  // namespace

int cli_perft(int argc, const char* const* argv, std::string& out, std::string& err) {
    if (argc < 1) return cli_fail(err, "perft needs a depth: perft DEPTH [POSITION]");
    if (argc > 2) return cli_fail(err, "perft takes at most two arguments (quote the position)");
    int depth = 0;
    if (!parse_depth(argv[0], depth))
        return cli_fail(err, "depth must be a whole number from 1 to " + std::to_string(MAX_PERFT_DEPTH) + ", got " +
                                 cli_quote(argv[0]));
    int32_t side = BLUE;
    std::string why;
    if (!parse_position(argc == 2 ? argv[1] : "start", side, why)) return cli_fail(err, why);
    const std::vector<uint64_t> counts = perft_counts(side, depth);
    for (int d = 1; d <= depth; d++) out += std::to_string(d) + " " + std::to_string(counts[d - 1]) + "\n";
    return CLI_OK;
}
