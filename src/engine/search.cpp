// Iterative deepening principal variation search with a transposition table,
// the table's move, killers and history first, captures followed to the end
// of the exchange, late quiet moves searched shallower, and draws by the
// game's quiet-move rule and by repetition.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <memory>

#ifdef _WIN32
#include <malloc.h>
#else
#include <sys/mman.h>
#endif
#include <time.h>

#include "engine/engine.h"
#include "engine/tablebase.h"
#include "engine/tables.h"

namespace {

// The game is drawn on the 17th consecutive quiet move.
constexpr int DRAW_QUIET_MOVES = 17;
constexpr int INFINITE = ENGINE_WIN + 1;

// Late quiet moves are searched shallower, the more the later and deeper;
// one that then beats alpha is searched again at full depth.
struct Reductions {
    int of[64][64] = {};
    Reductions() {
        for (int d = 1; d < 64; d++)
            for (int i = 1; i < 64; i++) of[d][i] = static_cast<int>(0.5 + std::log(d) * std::log(i) / 1.8);
    }
};

const Reductions REDUCTIONS;

// Mixed into the table's key: one per quiet-move count up to the draw.
struct QuietKeys {
    uint64_t key[DRAW_QUIET_MOVES + 1] = {};
    constexpr QuietKeys() {
        uint64_t state = 17;
        key[0] = 0;
        for (int q = 1; q <= DRAW_QUIET_MOVES; q++) key[q] = splitmix(state);
    }
    constexpr uint64_t operator[](int quiet) const { return key[quiet]; }
};

constexpr QuietKeys QUIET_KEYS;

enum Bound : uint8_t { BOUND_NONE = 0, BOUND_UPPER = 1, BOUND_LOWER = 2, BOUND_EXACT = 3 };

struct TableEntry {
    uint64_t key;
    int16_t score;
    int8_t depth;
    uint8_t bound;
    uint16_t move;  // index in the position's ordered-by-generation turn list, +1; 0 none
};

// Two entries share a cache line: the first keeps the deepest result seen,
// the second the latest, so the quiet ends of the tree cannot push out what
// the deep searches found.
struct alignas(32) Bucket {
    TableEntry slot[2];
};

// A view of the caller's table (or the search's own).
struct Table {
    Bucket* buckets = nullptr;
    uint64_t mask = 0;

    Bucket& bucket(uint64_t key) const { return buckets[key & mask]; }

    // The entry of `key`, or nullptr.
    TableEntry* find(uint64_t key) const {
        Bucket& b = bucket(key);
        if (b.slot[0].key == key && b.slot[0].bound != BOUND_NONE) return &b.slot[0];
        if (b.slot[1].key == key && b.slot[1].bound != BOUND_NONE) return &b.slot[1];
        return nullptr;
    }

    void store(uint64_t key, int depth, const TableEntry& e) const {
        Bucket& b = bucket(key);
        if (b.slot[0].key == key || depth >= b.slot[0].depth) {
            if (b.slot[0].key != key) b.slot[1] = b.slot[0];
            b.slot[0] = e;
        } else {
            b.slot[1] = e;
        }
    }
};

int clamped_bits(int bits) { return std::min(std::max(bits, 10), 30); }

}  // namespace

#ifdef _WIN32
void EngineTableFree::operator()(void* p) const { _aligned_free(p); }
#else
void EngineTableFree::operator()(void* p) const { std::free(p); }
#endif

// On huge pages where the system offers them: the table's reads are
// scattered, and with small pages most of them miss the address cache too.
void engine_table_reserve(EngineTable& t, int bits) {
    bits = clamped_bits(bits);
    if (t.buckets != nullptr && t.bits == bits) return;
    t.buckets.reset();
    t.bits = 0;
    const size_t bytes = (size_t{1} << (bits - 1)) * sizeof(Bucket);
    const size_t align = bytes >= (size_t{2} << 20) ? (size_t{2} << 20) : alignof(Bucket);
#ifdef _WIN32
    // Windows' C runtime has no aligned_alloc, nor pages to advise.
    void* memory = _aligned_malloc(bytes, align);
    if (memory == nullptr) throw std::bad_alloc();
#else
    void* memory = std::aligned_alloc(align, bytes);
    if (memory == nullptr) throw std::bad_alloc();
    madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    std::memset(memory, 0, bytes);
    t.buckets.reset(memory);
    t.bits = bits;
}

namespace {

struct Searcher {
    SearchLimits limits;
    std::chrono::steady_clock::time_point start;
    uint64_t nodes = 0;
    bool aborted = false;
    bool may_abort = false;     // by the stop flag
    bool may_time_out = false;  // by the time limit
    EngineTable own_table;  // when the caller keeps none
    Table view;
    const Table* table = &view;
    std::vector<EngineMove> move_stack;  // ENGINE_MAX_MOVES a ply
    std::vector<uint64_t> keys;          // the game's positions, then the path's
    size_t played = 0;
    uint32_t killers[ENGINE_MAX_PLY][2] = {};
    int32_t history[2][64][64] = {};
    EngineMove pv[ENGINE_MAX_PLY][ENGINE_MAX_PLY];
    int pv_length[ENGINE_MAX_PLY] = {};

    double thread_start = 0;
    const EvalWeights* weights = &EVAL_WEIGHTS;

    static double thread_clock() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    }

    double seconds() const {
        if (limits.thread_time) return thread_clock() - thread_start;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    void check_time() {
        if (!may_abort) return;
        if (limits.stop != nullptr && limits.stop->load(std::memory_order_relaxed)) aborted = true;
        if (may_time_out && limits.time_ms > 0 && seconds() * 1000.0 >= static_cast<double>(limits.time_ms))
            aborted = true;
        if (may_time_out && limits.nodes > 0 && nodes >= limits.nodes) aborted = true;
    }

    bool repeated(const EnginePosition& p, int ply) const {
        const size_t here = played + static_cast<size_t>(ply);
        for (int back = 4; back <= p.quiet && static_cast<size_t>(back) <= here; back += 2)
            if (keys[here - static_cast<size_t>(back)] == p.key) return true;
        return false;
    }

    static uint32_t quiet_id(const EngineMove& m) { return 1u + m.from * 64u + m.path[0]; }

    int search(const EnginePosition& p, int depth, int alpha, int beta, int ply);
    int order(const EnginePosition& p, EngineMove* moves, int n, int tt_move, int ply, int* order_index);
};

// Capture routes that take the same pieces and end on the same square leave
// the same position; the search needs only one of them.
int drop_same_captures(EngineMove* moves, int n) {
    if (n < 2 || moves[0].taken == 0) return n;
    int kept = 0;
    for (int i = 0; i < n; i++) {
        bool seen = false;
        for (int j = 0; j < kept && !seen; j++)
            seen = moves[j].from == moves[i].from && moves[j].taken == moves[i].taken &&
                   moves[j].path[moves[j].length - 1] == moves[i].path[moves[i].length - 1];
        if (!seen) moves[kept++] = moves[i];
    }
    return kept;
}

int score_to_table(int score, int ply) {
    if (score > ENGINE_WIN - ENGINE_MAX_PLY) return score + ply;
    if (score < -ENGINE_WIN + ENGINE_MAX_PLY) return score - ply;
    return score;
}

int score_from_table(int score, int ply) {
    if (score > ENGINE_WIN - ENGINE_MAX_PLY) return score - ply;
    if (score < -ENGINE_WIN + ENGINE_MAX_PLY) return score + ply;
    return score;
}

// Sorts `moves` best first; order_index[i] keeps each move's place in the
// generated list, which names it in the table.
int Searcher::order(const EnginePosition& p, EngineMove* moves, int n, int tt_move, int ply, int* order_index) {
    int keys_of[ENGINE_MAX_MOVES];
    for (int i = 0; i < n; i++) {
        const EngineMove& m = moves[i];
        int k = 0;
        if (i + 1 == tt_move) {
            k = 1 << 30;
        } else if (m.taken != 0) {
            const int kings = bit_count(m.taken & p.kings[1 - p.side]);
            k = (1 << 28) + 1000 * (bit_count(m.taken) + 2 * kings) + (m.crowns ? 500 : 0);
        } else {
            const uint32_t id = quiet_id(m);
            if (id == killers[ply][0])
                k = (1 << 27) + 2;
            else if (id == killers[ply][1])
                k = (1 << 27) + 1;
            else
                k = history[p.side][m.from][m.path[0]] + (m.crowns ? (1 << 26) : 0);
        }
        keys_of[i] = k;
        order_index[i] = i;
    }
    // Insertion sort: the lists are short and it keeps equal keys in
    // generation order, so the search stays deterministic.
    for (int i = 1; i < n; i++) {
        const EngineMove m = moves[i];
        const int k = keys_of[i];
        const int idx = order_index[i];
        int j = i - 1;
        while (j >= 0 && keys_of[j] < k) {
            moves[j + 1] = moves[j];
            keys_of[j + 1] = keys_of[j];
            order_index[j + 1] = order_index[j];
            j--;
        }
        moves[j + 1] = m;
        keys_of[j + 1] = k;
        order_index[j + 1] = idx;
    }
    return n;
}

int Searcher::search(const EnginePosition& p, int depth, int alpha, int beta, int ply) {
    pv_length[ply] = ply;
    nodes++;
    if ((nodes & 1023) == 0) check_time();
    if (aborted) return 0;
    keys[played + static_cast<size_t>(ply)] = p.key;

    EngineMove* moves = &move_stack[static_cast<size_t>(ply) * ENGINE_MAX_MOVES];
    if (ply > 0 && (p.quiet >= DRAW_QUIET_MOVES || repeated(p, ply))) {
        // A side that cannot move has lost, which is asked before the draw rule.
        return generate_turns(p, moves) == 0 ? -(ENGINE_WIN - ply) : 0;
    }
    int known = 0;
    if (ply > 0 && engine_tablebase != nullptr && table_search_score(*engine_tablebase, p, known)) return known;
    if (ply >= ENGINE_MAX_PLY - 1) return evaluate_with(p, *weights);

    const bool pv_node = beta - alpha > 1;
    // The root of a chain is not the position's own turn list: keep it out of the table.
    const bool use_table = ply > 0 || limits.chain < 0;
    // A stored score holds only for the same distance to the draw rule.
    const uint64_t table_key = p.key ^ QUIET_KEYS[std::min(p.quiet, DRAW_QUIET_MOVES)];
    const TableEntry* entry = use_table ? table->find(table_key) : nullptr;
    if (entry != nullptr && !pv_node && entry->depth >= depth && ply > 0) {
        const int s = score_from_table(entry->score, ply);
        if (entry->bound == BOUND_EXACT) return s;
        if (entry->bound == BOUND_LOWER && s >= beta) return s;
        if (entry->bound == BOUND_UPPER && s <= alpha) return s;
    }

    int n = ply == 0 && limits.chain >= 0 ? generate_continuations(p, limits.chain, moves) : generate_turns(p, moves);
    if (n == 0) return -(ENGINE_WIN - ply);
    const bool capture = moves[0].taken != 0;
    // Past the horizon only captures go on, so no exchange is cut in half.
    if (depth <= 0 && !capture) return evaluate_with(p, *weights);
    n = drop_same_captures(moves, n);
    const int tt_move = entry != nullptr && entry->move <= n ? entry->move : 0;

    int order_index[ENGINE_MAX_MOVES];
    order(p, moves, n, tt_move, ply, order_index);

    const int alpha_in = alpha;
    int best = -INFINITE;
    int best_index = 0;
    for (int i = 0; i < n; i++) {
        const EngineMove& m = moves[i];
        const EnginePosition child = after_turn(p, m);
        __builtin_prefetch(&table->bucket(child.key ^ QUIET_KEYS[std::min(child.quiet, DRAW_QUIET_MOVES)]));
        // A forced move costs no depth; captures past the horizon stay at 0.
        int next = depth - 1;
        if (n == 1 && depth > 0) next = depth;
        if (depth <= 0) next = 0;
        int score;
        if (i == 0) {
            score = -search(child, next, -beta, -alpha, ply + 1);
        } else {
            int reduce = 0;
            if (!capture && ply > 0 && depth >= 3 && i >= 2 && quiet_id(m) != killers[ply][0] &&
                quiet_id(m) != killers[ply][1])
                reduce = std::max(1, REDUCTIONS.of[std::min(depth, 63)][std::min(i, 63)] - (pv_node ? 1 : 0));
            score = -search(child, next - reduce, -alpha - 1, -alpha, ply + 1);
            if (score > alpha && reduce > 0) score = -search(child, next, -alpha - 1, -alpha, ply + 1);
            if (score > alpha && score < beta) score = -search(child, next, -beta, -alpha, ply + 1);
        }
        if (aborted) return 0;
        if (score > best) {
            best = score;
            best_index = i;
            if (score > alpha) {
                alpha = score;
                pv[ply][ply] = m;
                for (int k = ply + 1; k < pv_length[ply + 1]; k++) pv[ply][k] = pv[ply + 1][k];
                pv_length[ply] = pv_length[ply + 1];
                if (alpha >= beta) {
                    if (m.taken == 0) {
                        const uint32_t id = quiet_id(m);
                        if (killers[ply][0] != id) {
                            killers[ply][1] = killers[ply][0];
                            killers[ply][0] = id;
                        }
                        int32_t& h = history[p.side][m.from][m.path[0]];
                        h += depth * depth;
                        if (h > (1 << 24)) {
                            for (auto& side : history)
                                for (auto& from : side)
                                    for (int32_t& v : from) v /= 2;
                        }
                    }
                    break;
                }
            }
        }
    }

    const uint8_t bound = best >= beta ? BOUND_LOWER : best > alpha_in ? BOUND_EXACT : BOUND_UPPER;
    if (use_table) {
        const int stored = std::max(depth, -1);
        table->store(table_key, stored,
                     TableEntry{table_key, static_cast<int16_t>(score_to_table(best, ply)), static_cast<int8_t>(stored),
                                bound, static_cast<uint16_t>(order_index[best_index] + 1)});
    }
    return best;
}

}  // namespace

bool is_win_score(int score) { return score > ENGINE_WIN - ENGINE_MAX_PLY || score < -ENGINE_WIN + ENGINE_MAX_PLY; }

int turns_to_win(int score) {
    const int plies = ENGINE_WIN - (score < 0 ? -score : score);
    return (plies + 1) / 2;
}

SearchResult engine_search(const EnginePosition& root, const SearchLimits& limits, const std::vector<uint64_t>& played,
                           const SearchReportFn& on_depth) {
    // The endgame tables answer the root exactly: perfect play.
    SearchResult known;
    if (engine_tablebase != nullptr && limits.chain < 0 && table_root_result(*engine_tablebase, root, known)) {
        if (on_depth) on_depth(SearchReport{known.depth, known.score, known.nodes, 0.0, known.pv});
        return known;
    }
    auto s = std::make_unique<Searcher>();
    s->limits = limits;
    if (limits.weights != nullptr) s->weights = limits.weights;
    EngineTable& table = limits.table != nullptr ? *limits.table : s->own_table;
    engine_table_reserve(table, limits.table_bits);
    s->view.buckets = static_cast<Bucket*>(table.buckets.get());
    s->view.mask = (uint64_t{1} << (table.bits - 1)) - 1;
    s->move_stack.resize(static_cast<size_t>(ENGINE_MAX_PLY) * ENGINE_MAX_MOVES);
    s->keys = played;
    s->played = played.size();
    s->keys.resize(played.size() + ENGINE_MAX_PLY + 1);
    // The clock starts once the tables are ready: their setup is no thinking.
    s->start = std::chrono::steady_clock::now();
    s->thread_start = Searcher::thread_clock();

    SearchResult result;
    const int max_depth = std::min(std::max(limits.depth, 1), ENGINE_MAX_DEPTH);
    for (int depth = 1; depth <= max_depth; depth++) {
        // Depth 1 always finishes, so there is always a move to answer; the
        // time limit waits for the minimum depth.
        s->may_abort = depth > 1;
        s->may_time_out = depth > limits.min_depth;
        if (s->may_abort) s->check_time();
        if (s->aborted) break;
        // A window round the last score; a score outside it is searched again
        // with the window open on that side.
        int window = 40;
        int alpha = depth >= 5 && !is_win_score(result.score) ? result.score - window : -INFINITE;
        int beta = depth >= 5 && !is_win_score(result.score) ? result.score + window : INFINITE;
        int score = 0;
        for (;;) {
            score = s->search(root, depth, alpha, beta, 0);
            if (s->aborted || (score > alpha && score < beta)) break;
            window *= 4;
            if (score <= alpha) alpha = std::max(score - window, -INFINITE);
            if (score >= beta) beta = std::min(score + window, INFINITE);
            if (window > 1000) alpha = -INFINITE, beta = INFINITE;
        }
        if (s->aborted) break;
        result.depth = depth;
        result.score = score;
        result.nodes = s->nodes;
        result.seconds = s->seconds();
        result.pv.assign(s->pv[0], s->pv[0] + s->pv_length[0]);
        result.has_move = !result.pv.empty();
        if (result.has_move) result.best = result.pv[0];
        if (on_depth) on_depth(SearchReport{depth, score, s->nodes, result.seconds, result.pv});
        if (is_win_score(score) && ENGINE_WIN - std::abs(score) < depth) break;  // the end is within reach
        if (depth >= limits.min_depth && limits.time_ms > 0 && result.seconds * 1000.0 > limits.time_ms * 0.5) break;
        if (depth >= limits.min_depth && limits.nodes > 0 && s->nodes > limits.nodes / 2) break;
    }
    result.nodes = s->nodes;
    return result;
}
