// Look-ahead predicates of the computer opponent. Each works on a working
// copy of the board it is given, so a caller's board survives every trial
// move; only apply_forced_reply writes back, and only the reply it found.
#include "ai/ai.h"

#include "ai/targets.h"

namespace {

int32_t is_man_of(int32_t code, int32_t side) { return code == side; }
int32_t is_king_of(int32_t code, int32_t side) { return code == side + 2; }
int32_t is_piece_of(int32_t code, int32_t side) { return code == side || code == side + 2; }

void make_capture(int32_t from, int32_t to, ScratchBoard& w) {
    sim_swap(from, to, w);
    sim_remove_between(from, to, w);
}

// Shared by the two follow-up predicates: does the piece on q have a capture
// after which `accept` holds for the resulting board?
template <typename Accept>
int32_t has_follow_up(int32_t side, int32_t q, const ScratchBoard& b, Accept accept) {
    ScratchBoard w = b;
    const TargetList& targets = targets_for_piece(q, b[q], true);
    for (int32_t k = 0; k < targets.count; k++) {
        const int32_t to = targets.square[k];
        if (is_man_of(w[q], side) && sim_is_man_jump(q, to, w, side)) {
            make_capture(q, to, w);
            if (accept(to, w)) return 1;
            w = b;
        }
        if (is_king_of(w[q], side) && sim_is_king_capture(q, to, w, side)) {
            make_capture(q, to, w);
            if (accept(to, w)) return 1;
            w = b;
        }
    }
    return 0;
}

// Walks one man of `walker` from p by the first step (in square order) after
// which the other side has no capture, again and again, without replies in
// between. Answers 1 when the walk reaches a crowning row; `first` gets the
// walk's first step.
int32_t crowning_walk(int32_t walker, int32_t p, const ScratchBoard& b, int32_t& first) {
    ScratchBoard w = b;
    int32_t cur = p;
    first = -1;
    for (;;) {
        // Each kept step starts the scan of targets again, from the lowest.
        int32_t next = -1;
        const TargetList& steps = targets_of(cur).step;
        for (int32_t k = 0; k < steps.count && next < 0; k++) {
            const int32_t to = steps.square[k];
            if (!sim_is_man_step(cur, to, w, walker)) continue;
            sim_swap(cur, to, w);
            if (sim_side_can_capture(walker, w)) {
                sim_swap(cur, to, w);
                continue;
            }
            next = to;
        }
        if (next < 0) return 0;
        if (cur == p) first = next;
        cur = next;
        if (man_on_crowning_row(w)) return 1;
    }
}

}  // namespace

int32_t has_clean_follow_up(int32_t side, int32_t square, const ScratchBoard& b) {
    return has_follow_up(side, square, b,
                         [side](int32_t, const ScratchBoard& w) { return sim_side_can_capture(side, w) == 0; });
}

int32_t has_safe_follow_up(int32_t side, int32_t square, const ScratchBoard& b) {
    return has_follow_up(side, square, b, [side](int32_t to, const ScratchBoard& w) {
        return sim_square_attacked(to, side, w) == 0;
    });
}

int32_t apply_forced_reply(int32_t side, ScratchBoard& b) {
    const int32_t o = other_side(side);
    ScratchBoard w = b;
    int32_t men = 0;
    int32_t kings = 0;
    for (int32_t f = 0; f < SQUARE_COUNT; f++) {
        if (!is_piece_of(w[f], o)) continue;
        const TargetList& targets = targets_for_piece(f, w[f], true);
        for (int32_t k = 0; k < targets.count; k++) {
            const int32_t to = targets.square[k];
            men += sim_is_man_jump(f, to, w, o);
            kings += sim_is_king_capture(f, to, w, o);
        }
    }
    // A single king capture is forced even when men could jump too, because
    // the king's capture comes first.
    int32_t (*capture)(int32_t, int32_t, const ScratchBoard&, int32_t);
    if (kings == 1)
        capture = sim_is_king_capture;
    else if (men == 1 && kings == 0)
        capture = sim_is_man_jump;
    else
        return 0;

    int32_t from = -1;
    int32_t landing = -1;
    for (int32_t f = 0; f < SQUARE_COUNT && from < 0; f++) {
        if (!is_piece_of(w[f], o)) continue;
        const TargetList& targets = targets_for_piece(f, w[f], true);
        for (int32_t k = 0; k < targets.count; k++) {
            const int32_t to = targets.square[k];
            if (capture(f, to, w, o)) {
                from = f;
                landing = to;
                break;
            }
        }
    }
    make_capture(from, landing, w);
    // A reply that could jump on is not a single capture: the look-ahead
    // does not follow it.
    const TargetList& onward = targets_for_piece(landing, w[landing], true);
    for (int32_t k = 0; k < onward.count; k++)
        if (capture(landing, onward.square[k], w, o)) return 0;
    make_capture(from, landing, b);
    return 1;
}

int32_t has_capture_with_clean_follow_up(int32_t side, const ScratchBoard& b) {
    ScratchBoard w = b;
    for (int32_t f = 0; f < SQUARE_COUNT; f++) {
        if (!is_piece_of(w[f], side)) continue;
        const TargetList& targets = targets_for_piece(f, w[f], true);
        for (int32_t k = 0; k < targets.count; k++) {
            const int32_t to = targets.square[k];
            if (!sim_is_man_jump(f, to, w, side) && !sim_is_king_capture(f, to, w, side)) continue;
            make_capture(f, to, w);
            if (has_clean_follow_up(side, to, w)) return 1;
            w = b;
        }
    }
    return 0;
}

int32_t jumps_over_king(int32_t from, int32_t to, const ScratchBoard& b) {
    const int32_t distance = to > from ? to - from : from - to;
    const int32_t sign = to > from ? 1 : -1;
    if (distance == 0) return 0;
    // The same lines the capture itself clears: the step-9 line, then the
    // step-7 line, each when the distance is a multiple of its step.
    const int32_t steps[2] = {9, 7};
    for (int32_t step : steps) {
        if (distance % step != 0) continue;
        for (int32_t s = from + sign * step; s != to; s += sign * step)
            if (b[s] == BLUE_KING || b[s] == RED_KING) return 1;
    }
    return 0;
}

int32_t can_capture_king(int32_t side, const ScratchBoard& b) {
    ScratchBoard w = b;
    for (int32_t f = 0; f < SQUARE_COUNT; f++) {
        if (!is_piece_of(w[f], side)) continue;
        const TargetList& targets = targets_for_piece(f, w[f], true);
        for (int32_t k = 0; k < targets.count; k++) {
            const int32_t to = targets.square[k];
            if (!sim_is_man_jump(f, to, w, side) && !sim_is_king_capture(f, to, w, side)) continue;
            // Moving the capturer leaves the jumped squares as they are.
            sim_swap(f, to, w);
            const int32_t hit = jumps_over_king(f, to, w);
            sim_swap(f, to, w);
            if (hit) return 1;
        }
    }
    return 0;
}

int32_t man_on_crowning_row(const ScratchBoard& b) {
    for (int32_t i = 0; i < 8; i++)
        if (b[i] == BLUE_MAN) return 1;
    for (int32_t i = 56; i < SQUARE_COUNT; i++)
        if (b[i] == RED_MAN) return 1;
    return 0;
}

int32_t opponent_has_crowning_run(int32_t side, const ScratchBoard& b) {
    const int32_t o = other_side(side);
    int32_t first = -1;
    // Men nearest their crowning row first: side 1 crowns on row 0.
    for (int32_t n = 0; n < SQUARE_COUNT; n++) {
        const int32_t p = o == BLUE ? n : SQUARE_COUNT - 1 - n;
        if (is_man_of(b[p], o) && crowning_walk(o, p, b, first)) return 1;
    }
    return 0;
}

int32_t man_run_to_crown(int32_t side, const ScratchBoard& b) {
    int32_t first = -1;
    for (int32_t n = 0; n < SQUARE_COUNT; n++) {
        const int32_t p = side == BLUE ? n : SQUARE_COUNT - 1 - n;
        if (!is_man_of(b[p], side) || !crowning_walk(side, p, b, first)) continue;
        // Only the first step is played; the rest of the run is not kept.
        board[p].source_mark = 1;
        board[first].target_mark = 1;
        return 1;
    }
    return 0;
}
