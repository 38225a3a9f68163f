// Whole turns from bitboards. A chain is followed jump by jump with the taken
// pieces off the board at once, as perform_move leaves them, so a king may
// cross a square it emptied earlier in the same turn.
#include <cassert>
#include <cstring>

#include "app/game_state.h"
#include "engine/engine.h"
#include "engine/tables.h"

namespace {

constexpr uint64_t bit(int s) { return uint64_t{1} << s; }

struct Gen {
    EngineMove* moves;
    int count;
    uint64_t own;    // the mover's other pieces
    uint64_t enemy;  // still on the board
    uint64_t empty;  // the mover's own square included
    int from;
    uint8_t path[ENGINE_MAX_PATH];

    void emit(int length, uint64_t taken, bool crowns) {
        // No position of the game comes near the list's size; a release build
        // that met one would drop the turns past it rather than write past it.
        assert(count < ENGINE_MAX_MOVES && "a position with more whole turns than the move list holds");
        if (count >= ENGINE_MAX_MOVES) return;
        EngineMove& m = moves[count++];
        m.taken = taken;
        m.from = static_cast<uint8_t>(from);
        m.length = static_cast<uint8_t>(length);
        std::memcpy(m.path, path, sizeof m.path);
        m.crowns = crowns;
    }

    // The man on `s` has jumped `length` times so far; it jumps on while it can.
    void man_jumps(int s, int side, int length, uint64_t taken) {
        bool jumped = false;
        for (int k = 0; k < 2; k++) {
            const int d = MAN_DIRECTIONS[side][k];
            const int over = TABLES.jump_over[d][s];
            if (over < 0) continue;
            const int land = TABLES.jump_land[d][s];
            if (!(enemy & bit(over)) || !(empty & bit(land))) continue;
            jumped = true;
            path[length] = static_cast<uint8_t>(land);
            enemy &= ~bit(over);
            empty |= bit(over);
            if (CROWN_ROW[side] & bit(land))
                emit(length + 1, taken | bit(over), true);
            else
                man_jumps(land, side, length + 1, taken | bit(over));
            empty &= ~bit(over);
            enemy |= bit(over);
        }
        if (!jumped && length > 0) emit(length, taken, false);
    }

    // A king's capture passes one or more enemy pieces on one diagonal, no two
    // of them next to each other and none of its own, and lands on any empty
    // square beyond the first of them.
    void king_jumps(int s, int length, uint64_t taken) {
        bool jumped = false;
        for (int d = 0; d < 4; d++) {
            const Ray& ray = TABLES.rays[d][s];
            uint64_t passed = 0;
            bool after_piece = false;
            for (int k = 0; k < ray.length; k++) {
                const int t = ray.square[k];
                const uint64_t b = bit(t);
                if (empty & b) {
                    after_piece = false;
                    if (passed == 0) continue;
                    if (length >= ENGINE_MAX_PATH) continue;
                    jumped = true;
                    path[length] = static_cast<uint8_t>(t);
                    // The square the king stands on stays in `empty`: it leaves it with its next jump.
                    enemy &= ~passed;
                    empty |= passed;
                    king_jumps(t, length + 1, taken | passed);
                    empty &= ~passed;
                    enemy |= passed;
                    continue;
                }
                if ((own & b) || after_piece) break;
                passed |= b;
                after_piece = true;
            }
        }
        if (!jumped && length > 0) emit(length, taken, false);
    }
};

uint64_t occupied(const EnginePosition& p) { return p.men[0] | p.men[1] | p.kings[0] | p.kings[1]; }

// Men of `side` on `men` with a jump over `enemy` onto `empty`.
uint64_t men_that_jump(uint64_t men, int side, uint64_t enemy, uint64_t empty) {
    if (side == 0)
        return (((((men & NOT_LEFT2) >> 9) & enemy) >> 9) & empty) << 18 |
               (((((men & NOT_RIGHT2) >> 7) & enemy) >> 7) & empty) << 14;
    return (((((men & NOT_LEFT2) << 7) & enemy) << 7) & empty) >> 14 |
           (((((men & NOT_RIGHT2) << 9) & enemy) << 9) & empty) >> 18;
}

bool king_can_jump(int s, uint64_t enemy, uint64_t empty) {
    for (int d = 0; d < 4; d++) {
        const Ray& ray = TABLES.rays[d][s];
        int k = 0;
        while (k < ray.length && (empty & bit(ray.square[k]))) k++;
        if (k + 1 < ray.length && (enemy & bit(ray.square[k])) && (empty & bit(ray.square[k + 1])))
            return true;
    }
    return false;
}

bool kings_can_jump(const EnginePosition& p, uint64_t empty) {
    const int me = p.side;
    const uint64_t enemy = p.men[1 - me] | p.kings[1 - me];
    for (uint64_t k = p.kings[me]; k; k &= k - 1)
        if (king_can_jump(__builtin_ctzll(k), enemy, empty)) return true;
    return false;
}

}  // namespace

EnginePosition engine_position(const int32_t pieces[64], int32_t side) {
    EnginePosition p{};
    for (int s = 0; s < 64; s++) {
        const int32_t c = pieces[s];
        if (c == 1 || c == 2) p.men[c - 1] |= bit(s);
        if (c == 3 || c == 4) p.kings[c - 3] |= bit(s);
    }
    p.side = side == 2 ? 1 : 0;
    p.quiet = 0;
    p.key = position_key(p);
    return p;
}

EnginePosition engine_position_of_board(int32_t side) {
    int32_t pieces[SQUARE_COUNT];
    for (int i = 0; i < SQUARE_COUNT; i++) pieces[i] = board[i].piece;
    return engine_position(pieces, side);
}

bool must_capture(const EnginePosition& p) {
    const int me = p.side;
    const uint64_t empty = ~occupied(p) & DARK;
    return men_that_jump(p.men[me], me, p.men[1 - me] | p.kings[1 - me], empty) != 0 || kings_can_jump(p, empty);
}

int generate_turns(const EnginePosition& p, EngineMove* moves) {
    const int me = p.side;
    const uint64_t empty = ~occupied(p) & DARK;
    Gen g{moves, 0, 0, p.men[1 - me] | p.kings[1 - me], 0, 0, {}};
    const uint64_t own = p.men[me] | p.kings[me];

    // A king's capture comes before every other move.
    for (uint64_t k = p.kings[me]; k; k &= k - 1) {
        const int s = __builtin_ctzll(k);
        g.own = own & ~bit(s);
        g.empty = empty | bit(s);
        g.from = s;
        g.king_jumps(s, 0, 0);
    }
    if (g.count > 0) return g.count;

    for (uint64_t m = men_that_jump(p.men[me], me, g.enemy, empty); m; m &= m - 1) {
        const int s = __builtin_ctzll(m);
        g.own = own & ~bit(s);
        g.empty = empty | bit(s);
        g.from = s;
        g.man_jumps(s, me, 0, 0);
    }
    if (g.count > 0) return g.count;

    for (uint64_t m = p.men[me]; m; m &= m - 1) {
        const int s = __builtin_ctzll(m);
        for (int k = 0; k < 2; k++) {
            const int t = TABLES.step[MAN_DIRECTIONS[me][k]][s];
            if (t < 0 || !(empty & bit(t))) continue;
            g.from = s;
            g.path[0] = static_cast<uint8_t>(t);
            g.emit(1, 0, (CROWN_ROW[me] & bit(t)) != 0);
        }
    }
    for (uint64_t k = p.kings[me]; k; k &= k - 1) {
        const int s = __builtin_ctzll(k);
        g.from = s;
        for (int d = 0; d < 4; d++) {
            const Ray& ray = TABLES.rays[d][s];
            for (int i = 0; i < ray.length && (empty & bit(ray.square[i])); i++) {
                g.path[0] = ray.square[i];
                g.emit(1, 0, false);
            }
        }
    }
    return g.count;
}

int generate_continuations(const EnginePosition& p, int square, EngineMove* moves) {
    const int me = p.side;
    const uint64_t own = p.men[me] | p.kings[me];
    const uint64_t empty = (~occupied(p) & DARK) | bit(square);
    Gen g{moves, 0, own & ~bit(square), p.men[1 - me] | p.kings[1 - me], empty, square, {}};
    if ((p.kings[me] >> square) & 1)
        g.king_jumps(square, 0, 0);
    else if ((p.men[me] >> square) & 1)
        g.man_jumps(square, me, 0, 0);
    return g.count;
}

EnginePosition after_turn(const EnginePosition& p, const EngineMove& m) {
    EnginePosition n = p;
    const int me = p.side;
    const int op = 1 - me;
    const int to = m.path[m.length - 1];
    const bool king = (p.kings[me] >> m.from) & 1;
    uint64_t key = p.key ^ SIDE_KEY;
    if (king) {
        n.kings[me] = (n.kings[me] & ~bit(m.from)) | bit(to);
        key ^= PIECE_KEYS[2 + me][m.from] ^ PIECE_KEYS[2 + me][to];
    } else {
        n.men[me] &= ~bit(m.from);
        key ^= PIECE_KEYS[me][m.from];
        if (m.crowns) {
            n.kings[me] |= bit(to);
            key ^= PIECE_KEYS[2 + me][to];
        } else {
            n.men[me] |= bit(to);
            key ^= PIECE_KEYS[me][to];
        }
    }
    for (uint64_t t = m.taken; t; t &= t - 1) {
        const int s = __builtin_ctzll(t);
        key ^= PIECE_KEYS[(p.kings[op] >> s) & 1 ? 2 + op : op][s];
    }
    n.men[op] &= ~m.taken;
    n.kings[op] &= ~m.taken;
    n.side = op;
    // A man's move ending in its crowning counts as quiet: the draw rule sees
    // only a king where the man arrived.
    n.quiet = m.taken != 0 || (!king && !m.crowns) ? 0 : p.quiet + 1;
    n.key = key;
    return n;
}

namespace {

// The number of whole turns, without making them when no capture is due.
uint64_t count_turns(const EnginePosition& p) {
    const int me = p.side;
    const uint64_t empty = ~occupied(p) & DARK;
    if (men_that_jump(p.men[me], me, p.men[1 - me] | p.kings[1 - me], empty) != 0 || kings_can_jump(p, empty)) {
        EngineMove moves[ENGINE_MAX_MOVES];
        return static_cast<uint64_t>(generate_turns(p, moves));
    }
    // Each direction apart: two men may step to one square.
    uint64_t n = 0;
    if (me == 0)
        n = static_cast<uint64_t>(bit_count(((p.men[0] & NOT_LEFT) >> 9) & empty) +
                                  bit_count(((p.men[0] & NOT_RIGHT) >> 7) & empty));
    else
        n = static_cast<uint64_t>(bit_count(((p.men[1] & NOT_LEFT) << 7) & empty) +
                                  bit_count(((p.men[1] & NOT_RIGHT) << 9) & empty));
    for (uint64_t k = p.kings[me]; k; k &= k - 1) {
        const int s = __builtin_ctzll(k);
        for (int d = 0; d < 4; d++) {
            const Ray& ray = TABLES.rays[d][s];
            int i = 0;
            while (i < ray.length && (empty & bit(ray.square[i]))) i++;
            n += static_cast<uint64_t>(i);
        }
    }
    return n;
}

uint64_t perft(const EnginePosition& p, int depth) {
    if (depth == 1) return count_turns(p);
    EngineMove moves[ENGINE_MAX_MOVES];
    const int n = generate_turns(p, moves);
    uint64_t total = 0;
    for (int i = 0; i < n; i++) total += perft(after_turn(p, moves[i]), depth - 1);
    return total;
}

}  // namespace

uint64_t engine_perft(const EnginePosition& p, int depth) { return depth <= 0 ? 1 : perft(p, depth); }

std::vector<int32_t> move_squares(const EngineMove& m) {
    std::vector<int32_t> squares{m.from};
    for (int i = 0; i < m.length; i++) squares.push_back(m.path[i]);
    return squares;
}
