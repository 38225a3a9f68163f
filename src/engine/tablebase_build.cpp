// Building and checking the endgame tables.
//
// The value of a position depends on the quiet moves already made, q = 0..17,
// and the game over pairs (position, q) has no cycle: a quiet turn raises q,
// a zeroing turn (a man moves without crowning, or a piece is taken) leads
// to more advanced men or fewer pieces. So a material is solved in pass
// order q = 17, 16, ..., 0 over groups of positions that only king moves and
// crownings join: one placement of the men of both sides, in the material and
// in the one with the colours swapped. Groups go from the most advanced men
// down, so a man's step always leads into a group already solved; captures
// and crownings lead into materials solved before.
//
// After pass q a position's code says its value at q: a position first found
// won or lost in pass q gets D = 17 - q. A quiet turn's successor at q + 1 is
// decided when its D <= 16 - q, which no position set in this same pass
// meets, so the passes may update the codes in place.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "engine/tablebase.h"
#include "engine/tables.h"

namespace {

TableMaterial swapped(const TableMaterial& m) { return {m.red_men, m.red_kings, m.blue_men, m.blue_kings}; }

bool same(const TableMaterial& a, const TableMaterial& b) { return table_material_id(a) == table_material_id(b); }

// How far the men have gone: one more with each man's step, whichever side
// moves it, and the same with the board turned and the colours swapped.
int men_progress(const EnginePosition& p) {
    int n = 0;
    for (uint64_t b = p.men[0]; b; b &= b - 1) n += 7 - __builtin_ctzll(b) / 8;
    for (uint64_t b = p.men[1]; b; b &= b - 1) n += __builtin_ctzll(b) / 8;
    return n;
}

bool decided_win(int code) { return code > 0 && code < TABLE_CODE_LOSS; }
int turns_of(int code) { return code < TABLE_CODE_LOSS ? code : code - TABLE_CODE_LOSS; }

// The code of `p` at quiet count q from its successors' codes at the counts
// its turns lead to; 0 while undecided. `p` has turns.
int code_at(const Tablebase& tb, const EnginePosition& p, const EngineMove* moves, int n, int q) {
    bool all_win = true;
    for (int i = 0; i < n; i++) {
        const int code = table_code(tb, after_turn(p, moves[i]));
        if (code <= 0) {
            all_win = false;
            continue;
        }
        const bool decided = table_turn_zeroes(p, moves[i]) || turns_of(code) <= TABLEBASE_QUIET_LIMIT - 1 - q;
        if (!decided) {
            all_win = false;
            continue;
        }
        if (!decided_win(code)) return TABLEBASE_QUIET_LIMIT - q;
    }
    return all_win ? TABLE_CODE_LOSS + TABLEBASE_QUIET_LIMIT - q : 0;
}

// A men placement: its first index, the kings' placements following.
struct Place {
    TableClass* table;
    uint64_t index;
    bool crowns;  // a blue man stands next to its crowning row
};

constexpr uint64_t BEFORE_CROWNING = 0xFF00ull;

void report(TableProgressFn progress, void* context, const std::string& text) {
    if (progress != nullptr) progress(text, context);
}

}  // namespace

void tablebase_solve_pair(Tablebase& tb, const TableMaterial& m, TableProgressFn progress, void* context) {
    if (tb.classes.size() < 8 * 8 * 8 * 8) tb.classes.resize(8 * 8 * 8 * 8);
    std::vector<TableClass*> pair;
    for (const TableMaterial& x : {m, swapped(m)}) {
        if (pair.size() == 1 && same(x, m)) break;
        auto c = std::make_unique<TableClass>(make_table_class(x));
        c->codes.assign(c->size, 0);
        pair.push_back(c.get());
        tb.classes[static_cast<size_t>(table_material_id(x))] = std::move(c);
    }

    // Slices of one men placement, grouped by the men's progress.
    std::map<int, std::vector<Place>, std::greater<int>> groups;
    for (TableClass* c : pair) {
        const uint64_t kings = c->blue_king_count * c->red_king_count;
        for (uint64_t base = 0; base < c->size; base += kings) {
            // The first king placement may overlap the men; find one that does not.
            EnginePosition p{};
            for (uint64_t k = 0; k < kings; k++) {
                if (!table_position(*c, base + k, p)) continue;
                groups[men_progress(p)].push_back({c, base, (p.men[0] & BEFORE_CROWNING) != 0});
                break;
            }
        }
    }

    // A position is looked at again in pass q only when something it depends
    // on may have changed since pass q + 1: in its group only positions
    // decided in pass q + 1 change, and they mark the positions whose king
    // slide leads to them; a crowning leads out of the group, to a value
    // that changes with q, so a man about to crown is looked at every pass.
    std::vector<std::vector<uint8_t>> again(pair.size());
    // Bit q % 2: look again in pass q; a position may wait for this pass and
    // the next at once.
    for (size_t i = 0; i < pair.size(); i++) again[i].assign(pair[i]->size, 0);
    auto mark_slides_into = [&](const EnginePosition& c, int pass) {
        const uint64_t occupied = c.men[0] | c.men[1] | c.kings[0] | c.kings[1];
        for (uint64_t k = c.kings[1]; k; k &= k - 1) {
            const int from = __builtin_ctzll(k);
            for (int d = 0; d < 4; d++) {
                const Ray& ray = TABLES.rays[d][from];
                for (int i = 0; i < ray.length && !((occupied >> ray.square[i]) & 1); i++) {
                    EnginePosition before = c;
                    before.kings[1] = (before.kings[1] & ~(uint64_t{1} << from)) | uint64_t{1} << ray.square[i];
                    before.side = 1;
                    const TableSlot slot = table_slot(before);
                    const TableClass* target = tb.classes[static_cast<size_t>(table_material_id(slot.material))].get();
                    for (size_t j = 0; j < pair.size(); j++)
                        if (pair[j] == target) again[j][slot.index] |= static_cast<uint8_t>(1 << (pass & 1));
                }
            }
        }
    };

    std::string name = table_file_name(m).substr(3, 4);
    if (pair.size() > 1) name += "+" + table_file_name(swapped(m)).substr(3, 4);
    size_t done = 0;
    EngineMove moves[ENGINE_MAX_MOVES];
    for (const auto& group : groups) {
        done++;
        for (int q = TABLEBASE_QUIET_LIMIT; q >= 0; q--) {
            report(progress, context,
                   "tables " + name + ": men placement " + std::to_string(done) + "/" + std::to_string(groups.size()) +
                       ", pass " + std::to_string(TABLEBASE_QUIET_LIMIT + 1 - q) + "/" +
                       std::to_string(TABLEBASE_QUIET_LIMIT + 1));
            const bool every = q >= TABLEBASE_QUIET_LIMIT - 1;
            for (const Place& slice : group.second) {
                TableClass& c = *slice.table;
                std::vector<uint8_t>& look = again[slice.table == pair[0] ? 0 : 1];
                const uint64_t kings = c.blue_king_count * c.red_king_count;
                const uint8_t bit = static_cast<uint8_t>(1 << (q & 1));
                const bool all = every || slice.crowns;
                for (uint64_t index = slice.index; index < slice.index + kings; index++) {
                    if (c.codes[index] != 0) continue;
                    const bool marked = (look[index] & bit) != 0;
                    look[index] &= static_cast<uint8_t>(~bit);
                    if (!all && !marked) continue;
                    EnginePosition p;
                    if (!table_position(c, index, p)) continue;
                    const int n = generate_turns(p, moves);
                    int code = 0;
                    if (n == 0) {
                        // No turn: lost, even on the 17th quiet move.
                        code = TABLE_CODE_LOSS;
                    } else if (q < TABLEBASE_QUIET_LIMIT) {
                        code = code_at(tb, p, moves, n, q);
                    }
                    if (code == 0) continue;
                    c.codes[index] = static_cast<uint8_t>(code);
                    if (q > 0) mark_slides_into(p, q - 1);
                }
            }
        }
    }
}

int table_expected_code(const Tablebase& tb, const EnginePosition& p) {
    EngineMove moves[ENGINE_MAX_MOVES];
    const int n = generate_turns(p, moves);
    if (n == 0) return TABLE_CODE_LOSS;
    int win = TABLEBASE_QUIET_LIMIT + 1, loss = 1;
    bool all_win = true;
    for (int i = 0; i < n; i++) {
        const int code = table_code(tb, after_turn(p, moves[i]));
        if (code < 0) return -1;
        if (code == 0) {
            all_win = false;
            continue;
        }
        const int turns = table_turn_zeroes(p, moves[i]) ? 1 : turns_of(code) + 1;
        if (decided_win(code)) {
            loss = std::max(loss, turns);
        } else {
            all_win = false;
            win = std::min(win, turns);
        }
    }
    if (win <= TABLEBASE_QUIET_LIMIT) return win;
    if (all_win && loss <= TABLEBASE_QUIET_LIMIT) return TABLE_CODE_LOSS + loss;
    return 0;
}

TableVerifyReport tablebase_verify(const Tablebase& tb, TableProgressFn progress, void* context) {
    TableVerifyReport r;
    for (const auto& held : tb.classes) {
        if (!held) continue;
        const TableClass& c = *held;
        const std::string name = table_file_name(c.material);
        for (uint64_t index = 0; index < c.size; index++) {
            if ((index & 0xFFFFF) == 0)
                report(progress, context,
                       "verify " + name + ": " + std::to_string(index * 100 / c.size) + " %");
            EnginePosition p;
            const int stored = c.codes[index];
            const int expected = table_position(c, index, p) ? table_expected_code(tb, p) : 0;
            r.positions++;
            if (stored != expected) {
                if (r.wrong++ == 0)
                    r.first_wrong = name + " index " + std::to_string(index) + ": stored " + std::to_string(stored) +
                                    ", its successors give " + std::to_string(expected);
            }
        }
    }
    return r;
}

bool tablebase_build(int pieces, const std::string& dir, TableProgressFn progress, void* context, int& built,
                     std::string& error) {
    built = 0;
    // Every missing folder on the way, as mkdir -p.
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) {
        error = "cannot make the folder " + dir;
        return false;
    }
    Tablebase tb;
    tb.classes.resize(8 * 8 * 8 * 8);
    for (int n = 2; n <= pieces; n++) {
        std::vector<TableMaterial> order = table_materials(n);
        // Crownings lead to fewer men: those materials first.
        std::stable_sort(order.begin(), order.end(), [](const TableMaterial& a, const TableMaterial& b) {
            return a.blue_men + a.red_men < b.blue_men + b.red_men;
        });
        for (const TableMaterial& m : order) {
            if (tb.classes[static_cast<size_t>(table_material_id(m))]) continue;
            // A pair already on disk and whole is taken as it is.
            bool have = true;
            for (const TableMaterial& x : {m, swapped(m)}) {
                auto c = std::make_unique<TableClass>();
                std::string why;
                if (!table_load(x, dir, true, *c, why)) {
                    have = false;
                    break;
                }
                tb.classes[static_cast<size_t>(table_material_id(x))] = std::move(c);
            }
            if (have) continue;
            tablebase_solve_pair(tb, m, progress, context);
            for (const TableMaterial& x : {m, swapped(m)}) {
                if (!table_save(*tb.classes[static_cast<size_t>(table_material_id(x))], dir, error)) return false;
                built++;
                if (same(x, swapped(x))) break;
            }
        }
    }
    return true;
}
