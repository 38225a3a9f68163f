// The evaluation, in hundredths of a man from the side to move's view: a sum
// of weighted terms, each counted for the side to move minus the other, then
// scaled down in endings that kings usually hold. EVAL_WEIGHTS below is the
// one table of the weights; tools/eval_fit fits new ones to game results,
// which replace these only once a match shows them stronger.
#include <sstream>

#include "engine/engine.h"
#include "engine/tables.h"

const char* const EVAL_TERM_NAMES[EVAL_TERM_COUNT] = {
    "man",          "king",         "trade",        "advance_1",    "advance_2",      "advance_3",
    "advance_4",    "advance_5",    "advance_6",    "back_row",     "back_a",         "back_c",
    "back_e",       "back_g",       "centre_men",   "centre_kings", "inner_centre",   "king_mobility",
    "long_diagonal", "double_diagonal", "runaway",  "edge_men",     "tempo",
};

// The hand-set values (tools/eval/hand.weights); the new terms start at 0.
const EvalWeights EVAL_WEIGHTS = {{
    100, 300, 1, 1, 3, 6, 10, 16, 26, 6, 0, 0, 0, 0, 4, 4, 0, 2, 10, 0, 0, 0, 3,
}};

namespace {

// The material the trade and endgame rules count, whatever the weights.
constexpr int MAN = 100;
constexpr int KING = 300;

constexpr uint64_t CENTRE_SQUARES = 0x00003C3C3C3C0000ull & DARK;
constexpr uint64_t INNER_CENTRE = (uint64_t{1} << 28) | (uint64_t{1} << 35);
// The long diagonal a1-h8, and the two beside the double corners.
constexpr uint64_t LONG_DIAGONAL = 0x0102040810204080ull;
constexpr uint64_t EDGE_COLUMNS = COLUMN_0 | COLUMN_0 << 7;
constexpr uint64_t HOME_ROW[2] = {0xFFull << 56, 0xFFull};

constexpr uint64_t diagonal_next_to_long() {
    uint64_t b = 0;
    for (int s = 0; s < 64; s++)
        if (s / 8 - s % 8 == 1 || s % 8 - s / 8 == 1) b |= uint64_t{1} << s;
    return b;
}
constexpr uint64_t DOUBLE_DIAGONALS = diagonal_next_to_long();

// The squares ahead of a man that widen by one each row to its crowning row:
// with no enemy piece there, no enemy man can stop it.
struct Cones {
    uint64_t of[2][64] = {};
    constexpr Cones() {
        for (int side = 0; side < 2; side++)
            for (int s = 0; s < 64; s++) {
                const int r = s / 8, c = s % 8;
                for (int k = 1; k < 8; k++) {
                    const int row = side == 0 ? r - k : r + k;
                    if (row < 0 || row > 7) break;
                    for (int col = c - k; col <= c + k; col++)
                        if (col >= 0 && col < 8) of[side][s] |= uint64_t{1} << (row * 8 + col);
                }
                of[side][s] &= DARK;
            }
    }
};
constexpr Cones CONES;

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

// The terms of one side, each handed to add(term, count). The search's
// evaluation sums weight * count straight away; the fit keeps the counts.
template <typename Add>
void side_terms(const EnginePosition& p, int side, uint64_t empty, Add&& add) {
    const int op = 1 - side;
    const uint64_t enemy = p.men[op] | p.kings[op];
    int advanced_count[8] = {};
    int runaway = 0;
    for (uint64_t m = p.men[side]; m; m &= m - 1) {
        const int s = __builtin_ctzll(m);
        advanced_count[side == 0 ? 7 - s / 8 : s / 8]++;
        if ((CONES.of[side][s] & enemy) == 0) runaway++;
    }
    for (int r = 1; r <= 6; r++) add(EVAL_ADVANCE_1 + r - 1, advanced_count[r]);
    add(EVAL_RUNAWAY, runaway);
    const uint64_t home = p.men[side] & HOME_ROW[side];
    if (p.men[op] != 0) add(EVAL_BACK_ROW, bit_count(home));
    for (int k = 0; k < 4; k++) add(EVAL_BACK_A + k, static_cast<int>((home >> (side == 0 ? 56 + 2 * k : 7 - 2 * k)) & 1));
    add(EVAL_CENTRE_MEN, bit_count(p.men[side] & CENTRE_SQUARES));
    add(EVAL_INNER_CENTRE, bit_count(p.men[side] & INNER_CENTRE));
    add(EVAL_EDGE_MEN, bit_count(p.men[side] & EDGE_COLUMNS));
    if (p.kings[side] != 0) {
        add(EVAL_CENTRE_KINGS, bit_count(p.kings[side] & CENTRE_SQUARES));
        add(EVAL_KING_MOBILITY, king_mobility(p.kings[side], empty));
        add(EVAL_LONG_DIAGONAL, bit_count(p.kings[side] & LONG_DIAGONAL));
        add(EVAL_DOUBLE_DIAGONAL, bit_count(p.kings[side] & DOUBLE_DIAGONALS));
    }
}

// Every term, the side to move's counts minus the other's.
template <typename Add>
void all_terms(const EnginePosition& p, Add&& add) {
    const uint64_t empty = ~(p.men[0] | p.men[1] | p.kings[0] | p.kings[1]) & DARK;
    const int me = p.side;
    const int op = 1 - me;
    const int men[2] = {bit_count(p.men[0]), bit_count(p.men[1])};
    const int kings[2] = {bit_count(p.kings[0]), bit_count(p.kings[1])};
    add(EVAL_MAN, men[me] - men[op]);
    add(EVAL_KING, kings[me] - kings[op]);
    // Ahead, trade down: the same lead counts for more with fewer pieces.
    const int lead = MAN * (men[me] - men[op]) + KING * (kings[me] - kings[op]);
    add(EVAL_TRADE, lead * (24 - men[0] - men[1] - kings[0] - kings[1]) / 64);
    side_terms(p, me, empty, add);
    side_terms(p, op, empty, [&add](int term, int count) { add(term, -count); });
    add(EVAL_TEMPO, 1);
}

}  // namespace

void eval_features(const EnginePosition& p, int f[EVAL_TERM_COUNT]) {
    for (int i = 0; i < EVAL_TERM_COUNT; i++) f[i] = 0;
    all_terms(p, [f](int term, int count) { f[term] += count; });
}

int eval_ending_divisor(const EnginePosition& p, int score) {
    // Kings against a king: flying kings hold most such endings, so a lead
    // there is worth little unless it is large.
    const int strong = score >= 0 ? p.side : 1 - p.side;
    const int weak = 1 - strong;
    if (p.kings[weak] == 0) return 1;
    const int men_strong = bit_count(p.men[strong]);
    const int kings_strong = bit_count(p.kings[strong]), kings_weak = bit_count(p.kings[weak]);
    if (men_strong == 0 && kings_strong <= kings_weak + 1) return 8;
    const int lead = MAN * (men_strong - bit_count(p.men[weak])) + KING * (kings_strong - kings_weak);
    return lead <= MAN ? 2 : 1;
}

int evaluate_with(const EnginePosition& p, const EvalWeights& w) {
    int score = 0;
    all_terms(p, [&score, &w](int term, int count) { score += w.weight[term] * count; });
    return score / eval_ending_divisor(p, score);
}

int evaluate(const EnginePosition& p) { return evaluate_with(p, EVAL_WEIGHTS); }

std::string format_weights(const EvalWeights& w) {
    std::string text;
    for (int i = 0; i < EVAL_TERM_COUNT; i++) text += std::string(EVAL_TERM_NAMES[i]) + " " + std::to_string(w.weight[i]) + "\n";
    return text;
}

bool parse_weights(const std::string& text, EvalWeights& w, std::string& error) {
    bool seen[EVAL_TERM_COUNT] = {};
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string name, rest;
        long value = 0;
        if (!(words >> name)) continue;
        int term = -1;
        for (int i = 0; i < EVAL_TERM_COUNT && term < 0; i++)
            if (name == EVAL_TERM_NAMES[i]) term = i;
        if (term < 0) {
            error = "line " + std::to_string(number) + ": no term '" + name + "'";
            return false;
        }
        if (!(words >> value) || (words >> rest) || value < -100000 || value > 100000) {
            error = "line " + std::to_string(number) + ": " + name + " needs one whole number from -100000 to 100000";
            return false;
        }
        if (seen[term]) {
            error = "line " + std::to_string(number) + ": " + name + " given twice";
            return false;
        }
        seen[term] = true;
        w.weight[term] = static_cast<int>(value);
    }
    for (int i = 0; i < EVAL_TERM_COUNT; i++)
        if (!seen[i]) {
            error = std::string("no weight for ") + EVAL_TERM_NAMES[i];
            return false;
        }
    return true;
}
