// The hand-tuned evaluation, in hundredths of a man from the side to move's
// view. Every term is counted for blue and for red and the difference taken.
#include "engine/engine.h"
#include "engine/tables.h"

namespace {

constexpr int MAN = 100;
constexpr int KING = 300;

// By rows advanced from the home row; the last rows before the crown weigh
// most, a man there ties down defenders.
constexpr int ADVANCE[8] = {0, 1, 3, 6, 10, 16, 26, 0};
// Men on the home row keep the opponent's men from crowning.
constexpr int BACK_ROW = 6;
constexpr int CENTRE = 4;
constexpr uint64_t CENTRE_SQUARES = 0x00003C3C3C3C0000ull & DARK;
constexpr int KING_MOBILITY = 2;
// The long diagonal a1-h8: a lone king on it is hard to catch.
constexpr uint64_t LONG_DIAGONAL = 0x0102040810204080ull;
constexpr int KING_ON_LONG_DIAGONAL = 10;
constexpr int TEMPO = 3;

constexpr uint64_t HOME_ROW[2] = {0xFFull << 56, 0xFFull};

int row_of(int s) { return s / 8; }

int king_mobility(uint64_t kings, uint64_t empty) {
    int n = 0;
    for (; kings; kings &= kings - 1) {
        const int s = __builtin_ctzll(kings);
        for (int d = 0; d < 4; d++) {
            const Ray& ray = TABLES.rays[d][s];
            int i = 0;
            while (i < ray.length && ((empty >> ray.square[i]) & 1)) i++;
            n += i;
        }
    }
    return n;
}

int side_terms(const EnginePosition& p, int side, uint64_t empty) {
    const int op = 1 - side;
    int score = 0;
    for (uint64_t m = p.men[side]; m; m &= m - 1) {
        const int s = __builtin_ctzll(m);
        score += ADVANCE[side == 0 ? 7 - row_of(s) : row_of(s)];
    }
    if (p.men[op] != 0) score += BACK_ROW * bit_count(p.men[side] & HOME_ROW[side]);
    score += CENTRE * bit_count((p.men[side] | p.kings[side]) & CENTRE_SQUARES);
    score += KING_MOBILITY * king_mobility(p.kings[side], empty);
    score += KING_ON_LONG_DIAGONAL * bit_count(p.kings[side] & LONG_DIAGONAL);
    return score;
}

}  // namespace

int evaluate(const EnginePosition& p) {
    const uint64_t empty = ~(p.men[0] | p.men[1] | p.kings[0] | p.kings[1]) & DARK;
    const int men[2] = {bit_count(p.men[0]), bit_count(p.men[1])};
    const int kings[2] = {bit_count(p.kings[0]), bit_count(p.kings[1])};
    const int material[2] = {MAN * men[0] + KING * kings[0], MAN * men[1] + KING * kings[1]};
    const int me = p.side;
    const int op = 1 - me;

    int score = material[me] - material[op];
    // Ahead, trade down: the same lead counts for more with fewer pieces.
    const int pieces = men[0] + men[1] + kings[0] + kings[1];
    score += (material[me] - material[op]) * (24 - pieces) / 64;
    score += side_terms(p, me, empty) - side_terms(p, op, empty);
    score += TEMPO;

    // Kings against a king: flying kings hold most such endings, so a lead
    // there is worth little unless it is large.
    const int strong = score >= 0 ? me : op;
    const int weak = 1 - strong;
    if (kings[weak] > 0 && men[strong] == 0 && kings[strong] <= kings[weak] + 1)
        score /= 8;
    else if (kings[weak] > 0 && material[strong] - material[weak] <= MAN)
        score /= 2;
    return score;
}
