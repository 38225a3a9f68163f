#include "play/hint.h"

#include "engine/engine.h"
#include "rules/rules.h"

HintQuestion hint_question(const LoopState& st) {
    HintQuestion q;
    for (int i = 0; i < SQUARE_COUNT; i++) q.pieces[i] = board[i].piece;
    q.side = game.turn;
    q.chain = st.in_chain ? source_square() : -1;
    q.quiet = st.draw_book.quiet_moves;
    return q;
}

HintAnswer think_hint(const HintQuestion& q, const std::atomic<bool>& stop) {
    EnginePosition p = engine_position(q.pieces, q.side);
    p.quiet = q.quiet;
    SearchLimits limits;
    limits.time_ms = HINT_THINK_MS;
    limits.stop = &stop;
    limits.chain = q.chain;
    limits.table_bits = 18;
    const SearchResult r = engine_search(p, limits);
    if (!r.has_move) return HintAnswer{-1, -1};
    return HintAnswer{r.best.from, r.best.path[0]};
}
