#include "play/hint.h"


#include "play/game_record.h"
#include "rules/rules.h"

HintQuestion live_question(int32_t side, int32_t chain, int32_t quiet, const std::vector<uint64_t>& played) {
    HintQuestion q;
    for (int i = 0; i < SQUARE_COUNT; i++) q.pieces[i] = board[i].piece;
    q.side = side;
    q.chain = chain;
    q.quiet = quiet;
    q.played = played;
    return q;
}

HintQuestion hint_question(const LoopState& st) {
    // The last `quiet` turns moved no man and took nothing, so the positions
    // they started from can come again. Inside a chain nothing repeats.
    const int32_t chain = st.in_chain ? source_square() : -1;
    const int32_t quiet = st.draw_book.quiet_moves;
    std::vector<uint64_t> played;
    const std::vector<TurnStart>& starts = game_record.starts;
    if (chain < 0 && quiet > 0) {
        const size_t n = starts.size();
        const size_t first = n > static_cast<size_t>(quiet) ? n - static_cast<size_t>(quiet) : 0;
        for (size_t k = first; k < n; k++) played.push_back(engine_position(starts[k].pieces, starts[k].turn).key);
    }
    return live_question(game.turn, chain, quiet, played);
}

SearchLimits mistr_limits(EngineTable& table, const std::atomic<bool>* stop) {
    SearchLimits limits;
    limits.time_ms = MISTR_THINK_MS;
    limits.min_depth = MISTR_MIN_DEPTH;
    limits.thread_time = true;
    limits.table = &table;
    limits.table_bits = PLAY_TABLE_BITS;
    limits.stop = stop;
    return limits;
}

namespace {

EnginePosition question_position(const HintQuestion& q) {
    EnginePosition p = engine_position(q.pieces, q.side);
    p.quiet = q.quiet;
    return p;
}

EngineAnswer answer_of(const EngineMove& m, int32_t depth) {
    EngineAnswer a{};
    a.from = m.from;
    a.length = m.length;
    for (int i = 0; i < m.length; i++) a.path[i] = m.path[i];
    a.depth = depth;
    return a;
}

EngineAnswer no_move() {
    EngineAnswer a{};
    a.from = -1;
    return a;
}

}  // namespace

EngineAnswer think_turn(const HintQuestion& q, EngineTable& table, const std::atomic<bool>& stop) {
    const EnginePosition p = question_position(q);
    EngineMove moves[ENGINE_MAX_MOVES];
    const int n = q.chain >= 0 ? generate_continuations(p, q.chain, moves) : generate_turns(p, moves);
    if (n == 0) return no_move();
    if (n == 1) return answer_of(moves[0], 0);
    SearchLimits limits = mistr_limits(table, &stop);
    limits.chain = q.chain;
    const SearchResult r = engine_search(p, limits, q.played);
    return r.has_move ? answer_of(r.best, r.depth) : no_move();
}

EngineAnswer think_hint(const HintQuestion& q, EngineTable& table, const std::atomic<bool>& stop) {
    SearchLimits limits;
    limits.time_ms = HINT_THINK_MS;
    limits.stop = &stop;
    limits.chain = q.chain;
    limits.table = &table;
    limits.table_bits = PLAY_TABLE_BITS;
    const SearchResult r = engine_search(question_position(q), limits, q.played);
    return r.has_move ? answer_of(r.best, r.depth) : no_move();
}

void engine_thread_finish(EngineThread& t) {
    t.stop = true;
    if (t.thread.joinable()) t.thread.join();
    t.job = 0;
}

void engine_thread_start(EngineThread& t, int32_t job, EngineJob run) {
    engine_thread_finish(t);
    t.stop = false;
    t.done = false;
    t.job = job;
    t.thread = std::thread([&t, run = std::move(run)] {
        EngineAnswer a{};
        try {
            a = run(t.table, t.stop);
        } catch (...) {
            // The table's memory could not be had: no answer, no end of the game.
            a = EngineAnswer{};
            a.failed = 1;
            a.from = -1;
        }
        t.answer = a;
        t.done = true;
    });
}

bool engine_thread_arrived(EngineThread& t, int32_t& job, EngineAnswer& answer) {
    if (!t.thread.joinable() || !t.done) return false;
    t.thread.join();
    job = t.job;
    answer = t.answer;
    t.job = 0;
    return true;
}
