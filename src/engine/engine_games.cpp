#include "engine/engine_games.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace {

constexpr int DRAW_QUIET_MOVES = 17;

bool same_turn(const EngineMove& a, const EngineMove& b) {
    return a.from == b.from && a.length == b.length && a.taken == b.taken &&
           std::equal(a.path, a.path + a.length, b.path);
}

void extend(const EnginePosition& p, int start, int turns_left, std::vector<EngineMove>& line,
            std::set<std::pair<uint64_t, int>>& seen, std::vector<EngineOpening>& out) {
    EngineMove moves[ENGINE_MAX_MOVES];
    const int n = generate_turns(p, moves);
    if (turns_left == 0) {
        if (n == 0 || !seen.insert({p.key, p.quiet}).second) return;
        EngineOpening o;
        o.start = start;
        o.turns = line;
        o.position = p;
        out.push_back(o);
        return;
    }
    for (int i = 0; i < n; i++) {
        line.push_back(moves[i]);
        extend(after_turn(p, moves[i]), start, turns_left - 1, line, seen, out);
        line.pop_back();
    }
}

}  // namespace

EngineGame play_engine_game(const EnginePosition& start, const EnginePlayer players[2]) {
    EngineGame g;
    EnginePosition p = start;
    std::vector<uint64_t> played;
    EngineMove moves[ENGINE_MAX_MOVES];
    for (int turn = 0;; turn++) {
        g.positions.push_back(p);
        const int n = generate_turns(p, moves);
        if (n == 0) {
            g.winner = 1 - p.side;
            return g;
        }
        if (turn >= ENGINE_GAME_TURN_CAP) {
            g.unfinished = true;
            return g;
        }
        if (p.quiet == 0) played.clear();
        const EngineMove m = players[p.side](p, played);
        if (std::none_of(moves, moves + n, [&](const EngineMove& legal) { return same_turn(legal, m); })) {
            g.bad_turn = true;
            return g;
        }
        played.push_back(p.key);
        p = after_turn(p, m);
        if (p.quiet >= DRAW_QUIET_MOVES) {
            // The drawing move's position ends the record: nobody is to move in it.
            return g;
        }
    }
}

std::vector<EngineOpening> balanced_openings(const std::vector<EnginePosition>& starts, int turns, int margin,
                                             int depth) {
    std::vector<EngineOpening> all;
    for (size_t s = 0; s < starts.size(); s++) {
        std::set<std::pair<uint64_t, int>> seen;
        std::vector<EngineMove> line;
        extend(starts[s], static_cast<int>(s), turns, line, seen, all);
    }
    std::vector<EngineOpening> kept;
    for (EngineOpening& o : all) {
        SearchLimits limits;
        limits.depth = depth;
        limits.table_bits = 16;
        o.score = engine_search(o.position, limits).score;
        if (std::abs(o.score) <= margin) kept.push_back(o);
    }
    return kept;
}
