// The move rules of the computer opponent. All but man_run_to_crown are one
// pass of the same scan: candidates of one kind, in square order, each made
// on a working board, kept or thrown away by the rule's test, undone, and
// either the first kept candidate or a random one is played.
#include <cstdlib>

#include "ai/ai.h"
#include "ai/targets.h"

namespace {

enum PieceKind { KIND_MAN, KIND_KING, KIND_ANY };

enum MoveKind {
    MOVE_MAN_STEP,
    MOVE_MAN_JUMP,
    MOVE_KING_SLIDE,
    MOVE_KING_CAPTURE,
    MOVE_STEP_OR_SLIDE,  // a man's step or a king's slide
};

enum Undo { UNDO_RECOPY, UNDO_SWAP_BACK };
enum Pick { PICK_FIRST, PICK_RANDOM };

// A test sees the working board with the candidate made; it may change it
// (a simulated reply), which is why such rules undo by re-copying.
using CandidateTest = int32_t (*)(int32_t side, int32_t to, ScratchBoard& w);
// Checked once on the rule's input board; 0 ends the rule at once.
using RuleGuard = int32_t (*)(int32_t side, const ScratchBoard& b);

struct RuleScan {
    PieceKind pieces;
    MoveKind moves;
    CandidateTest test;  // nullptr: every candidate is kept
    Undo undo;
    Pick pick;
    RuleGuard guard;  // nullptr: always runs
};

int32_t holds_kind(int32_t code, int32_t side, PieceKind kind) {
    switch (kind) {
        case KIND_MAN: return code == side;
        case KIND_KING: return code == side + 2;
        case KIND_ANY: return code == side || code == side + 2;
    }
    return 0;
}

int32_t is_candidate(int32_t from, int32_t to, const ScratchBoard& w, int32_t side, MoveKind kind) {
    switch (kind) {
        case MOVE_MAN_STEP: return sim_is_man_step(from, to, w, side);
        case MOVE_MAN_JUMP: return sim_is_man_jump(from, to, w, side);
        case MOVE_KING_SLIDE: return sim_is_king_slide(from, to, w, side);
        case MOVE_KING_CAPTURE: return sim_is_king_capture(from, to, w, side);
        case MOVE_STEP_OR_SLIDE:
            return sim_is_man_step(from, to, w, side) || sim_is_king_slide(from, to, w, side);
    }
    return 0;
}

int32_t is_capture_kind(MoveKind kind) { return kind == MOVE_MAN_JUMP || kind == MOVE_KING_CAPTURE; }

struct ScanOrder {
    int32_t chain;       // the only from-square when not -1
    int32_t descending;  // from 63 down to 0, and to likewise
};

// Pieces stand only on the 32 dark squares, and no list holds more than 16
// targets.
constexpr int32_t MAX_KEPT = 32 * 16;

// The kept candidates of one scan, in scan order. A random pick needs all of
// them; keeping them spares running every test a second time to find the
// one drawn.
struct KeptMoves {
    int32_t count = 0;
    int32_t from[MAX_KEPT];
    int32_t to[MAX_KEPT];
};

// Runs the scan, stopping once `limit` candidates have been kept.
void scan_candidates(const RuleScan& rule, const ScanOrder& order, int32_t side, const ScratchBoard& b,
                     int32_t limit, KeptMoves& kept) {
    ScratchBoard w = b;
    for (int32_t n = 0; n < SQUARE_COUNT; n++) {
        const int32_t from = order.descending ? SQUARE_COUNT - 1 - n : n;
        if (order.chain != -1 && from != order.chain) continue;
        if (!holds_kind(w[from], side, rule.pieces)) continue;
        const TargetList& targets = targets_for_piece(from, w[from], is_capture_kind(rule.moves));
        for (int32_t m = 0; m < targets.count; m++) {
            const int32_t to = targets.square[order.descending ? targets.count - 1 - m : m];
            if (!is_candidate(from, to, w, side, rule.moves)) continue;
            sim_swap(from, to, w);
            if (is_capture_kind(rule.moves)) sim_remove_between(from, to, w);
            if (rule.test == nullptr || rule.test(side, to, w)) {
                kept.from[kept.count] = from;
                kept.to[kept.count] = to;
                if (++kept.count == limit) return;
            }
            if (rule.undo == UNDO_SWAP_BACK)
                sim_swap(from, to, w);
            else
                w = b;
        }
    }
}

int32_t run_rule(const RuleScan& rule, const ScanOrder& order, int32_t side, const ScratchBoard& b) {
    if (rule.guard != nullptr && !rule.guard(side, b)) return 0;
    KeptMoves kept;
    scan_candidates(rule, order, side, b, rule.pick == PICK_FIRST ? 1 : MAX_KEPT, kept);
    if (kept.count == 0) return 0;
    const int32_t pick = rule.pick == PICK_FIRST ? 0 : std::rand() % kept.count;
    board[kept.from[pick]].source_mark = 1;
    board[kept.to[pick]].target_mark = 1;
    return 1;
}

int32_t run_capture_rule(const RuleScan& rule, int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_rule(rule, ScanOrder{chain, 0}, side, b);
}

int32_t run_quiet_rule(const RuleScan& rule, int32_t side, const ScratchBoard& b) {
    return run_rule(rule, ScanOrder{-1, 0}, side, b);
}

// --- tests -------------------------------------------------------------

// Clean: the opponent has no capture anywhere.
int32_t is_clean(int32_t side, const ScratchBoard& w) { return sim_side_can_capture(side, w) == 0; }
// Safe: no single capture of the opponent takes the piece that moved.
int32_t is_safe(int32_t side, int32_t to, const ScratchBoard& w) { return sim_square_attacked(to, side, w) == 0; }

int32_t test_clean(int32_t side, int32_t, ScratchBoard& w) { return is_clean(side, w); }
int32_t test_safe(int32_t side, int32_t to, ScratchBoard& w) { return is_safe(side, to, w); }
int32_t test_then_clean_capture(int32_t side, int32_t to, ScratchBoard& w) {
    return has_clean_follow_up(side, to, w);
}
int32_t test_then_safe_capture(int32_t side, int32_t to, ScratchBoard& w) {
    return has_safe_follow_up(side, to, w);
}
int32_t test_combination(int32_t side, int32_t, ScratchBoard& w) {
    return apply_forced_reply(side, w) && has_capture_with_clean_follow_up(side, w);
}
int32_t test_king_trap(int32_t side, int32_t, ScratchBoard& w) {
    return apply_forced_reply(side, w) && can_capture_king(side, w);
}
int32_t test_slide_threat(int32_t side, int32_t to, ScratchBoard& w) {
    return is_clean(side, w) && has_safe_follow_up(side, to, w);
}
int32_t test_step_threat(int32_t side, int32_t to, ScratchBoard& w) {
    return is_clean(side, w) && !opponent_has_crowning_run(side, w) && has_safe_follow_up(side, to, w);
}
int32_t test_block(int32_t side, int32_t to, ScratchBoard& w) {
    return is_safe(side, to, w) && !opponent_has_crowning_run(side, w);
}
int32_t test_clean_no_run(int32_t side, int32_t, ScratchBoard& w) {
    return is_clean(side, w) && !opponent_has_crowning_run(side, w);
}

int32_t guard_threatened(int32_t side, const ScratchBoard& b) { return sim_side_can_capture(side, b); }

// --- the rules' parameters, in the order of the priority list --------------

constexpr RuleScan KING_CAPTURE_THEN_CLEAN = {KIND_KING, MOVE_KING_CAPTURE, test_then_clean_capture, UNDO_RECOPY,
                                              PICK_FIRST, nullptr};
constexpr RuleScan KING_CAPTURE_THEN_SAFE = {KIND_KING, MOVE_KING_CAPTURE, test_then_safe_capture, UNDO_RECOPY,
                                             PICK_FIRST, nullptr};
constexpr RuleScan KING_CAPTURE_CLEAN = {KIND_KING, MOVE_KING_CAPTURE, test_clean, UNDO_RECOPY, PICK_FIRST, nullptr};
constexpr RuleScan KING_CAPTURE_SAFE = {KIND_KING, MOVE_KING_CAPTURE, test_safe, UNDO_RECOPY, PICK_FIRST, nullptr};
constexpr RuleScan KING_CAPTURE_ANY = {KIND_KING, MOVE_KING_CAPTURE, nullptr, UNDO_RECOPY, PICK_FIRST, nullptr};
constexpr RuleScan MAN_JUMP_THEN_CLEAN = {KIND_MAN, MOVE_MAN_JUMP, test_then_clean_capture, UNDO_RECOPY, PICK_FIRST,
                                          nullptr};
constexpr RuleScan MAN_JUMP_THEN_SAFE = {KIND_MAN, MOVE_MAN_JUMP, test_then_safe_capture, UNDO_RECOPY, PICK_FIRST,
                                         nullptr};
constexpr RuleScan MAN_JUMP_CLEAN = {KIND_MAN, MOVE_MAN_JUMP, test_clean, UNDO_RECOPY, PICK_FIRST, nullptr};
constexpr RuleScan MAN_JUMP_SAFE = {KIND_MAN, MOVE_MAN_JUMP, test_safe, UNDO_RECOPY, PICK_FIRST, nullptr};
constexpr RuleScan MAN_JUMP_COMBINATION = {KIND_MAN, MOVE_MAN_JUMP, test_combination, UNDO_RECOPY, PICK_FIRST,
                                           nullptr};
constexpr RuleScan MAN_JUMP_ANY = {KIND_MAN, MOVE_MAN_JUMP, nullptr, UNDO_RECOPY, PICK_FIRST, nullptr};
constexpr RuleScan MAN_STEP_KING_TRAP = {KIND_MAN, MOVE_MAN_STEP, test_king_trap, UNDO_RECOPY, PICK_FIRST, nullptr};
constexpr RuleScan ESCAPE_THREAT = {KIND_ANY, MOVE_STEP_OR_SLIDE, test_clean, UNDO_SWAP_BACK, PICK_FIRST,
                                    guard_threatened};
constexpr RuleScan KING_SLIDE_KING_TRAP = {KIND_KING, MOVE_KING_SLIDE, test_king_trap, UNDO_RECOPY, PICK_FIRST,
                                           nullptr};
constexpr RuleScan MAN_STEP_COMBINATION = {KIND_MAN, MOVE_MAN_STEP, test_combination, UNDO_RECOPY, PICK_FIRST,
                                           nullptr};
constexpr RuleScan KING_SLIDE_THREAT = {KIND_KING, MOVE_KING_SLIDE, test_slide_threat, UNDO_SWAP_BACK, PICK_FIRST,
                                        nullptr};
constexpr RuleScan MAN_STEP_THREAT = {KIND_MAN, MOVE_MAN_STEP, test_step_threat, UNDO_SWAP_BACK, PICK_FIRST,
                                      nullptr};
constexpr RuleScan BLOCK_CROWNING_RUN = {KIND_ANY, MOVE_STEP_OR_SLIDE, test_block, UNDO_SWAP_BACK, PICK_FIRST,
                                         opponent_has_crowning_run};
constexpr RuleScan RANDOM_CLEAN_MAN_STEP = {KIND_MAN, MOVE_MAN_STEP, test_clean_no_run, UNDO_SWAP_BACK, PICK_RANDOM,
                                            nullptr};
constexpr RuleScan RANDOM_SAFE_MAN_STEP = {KIND_MAN, MOVE_MAN_STEP, test_safe, UNDO_SWAP_BACK, PICK_RANDOM, nullptr};
constexpr RuleScan RANDOM_CLEAN_KING_SLIDE = {KIND_KING, MOVE_KING_SLIDE, test_clean, UNDO_SWAP_BACK, PICK_RANDOM,
                                              nullptr};
constexpr RuleScan FIRST_KING_SLIDE = {KIND_KING, MOVE_KING_SLIDE, nullptr, UNDO_SWAP_BACK, PICK_FIRST, nullptr};
constexpr RuleScan FIRST_MAN_STEP = {KIND_MAN, MOVE_MAN_STEP, nullptr, UNDO_SWAP_BACK, PICK_FIRST, nullptr};

}  // namespace

int32_t king_capture_then_clean_capture(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(KING_CAPTURE_THEN_CLEAN, side, chain, b);
}
int32_t king_capture_then_safe_capture(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(KING_CAPTURE_THEN_SAFE, side, chain, b);
}
int32_t king_capture_clean(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(KING_CAPTURE_CLEAN, side, chain, b);
}
int32_t king_capture_safe(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(KING_CAPTURE_SAFE, side, chain, b);
}
int32_t king_capture_any(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(KING_CAPTURE_ANY, side, chain, b);
}
int32_t man_jump_then_clean_capture(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(MAN_JUMP_THEN_CLEAN, side, chain, b);
}
int32_t man_jump_then_safe_capture(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(MAN_JUMP_THEN_SAFE, side, chain, b);
}
int32_t man_jump_clean(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(MAN_JUMP_CLEAN, side, chain, b);
}
int32_t man_jump_safe(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(MAN_JUMP_SAFE, side, chain, b);
}
int32_t man_jump_combination(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(MAN_JUMP_COMBINATION, side, chain, b);
}
int32_t man_jump_any(int32_t side, int32_t chain, const ScratchBoard& b) {
    return run_capture_rule(MAN_JUMP_ANY, side, chain, b);
}
int32_t man_step_king_trap(int32_t side, const ScratchBoard& b) { return run_quiet_rule(MAN_STEP_KING_TRAP, side, b); }
int32_t escape_threat(int32_t side, const ScratchBoard& b) { return run_quiet_rule(ESCAPE_THREAT, side, b); }
int32_t king_slide_king_trap(int32_t side, const ScratchBoard& b) {
    return run_quiet_rule(KING_SLIDE_KING_TRAP, side, b);
}
int32_t man_step_combination(int32_t side, const ScratchBoard& b) {
    return run_quiet_rule(MAN_STEP_COMBINATION, side, b);
}
int32_t king_slide_threat(int32_t side, const ScratchBoard& b) {
    // Kings nearest the side's own home rows are tried first.
    return run_rule(KING_SLIDE_THREAT, ScanOrder{-1, side == BLUE ? 1 : 0}, side, b);
}
int32_t man_step_threat(int32_t side, const ScratchBoard& b) { return run_quiet_rule(MAN_STEP_THREAT, side, b); }
int32_t block_crowning_run(int32_t side, const ScratchBoard& b) { return run_quiet_rule(BLOCK_CROWNING_RUN, side, b); }
int32_t random_clean_man_step(int32_t side, const ScratchBoard& b) {
    return run_quiet_rule(RANDOM_CLEAN_MAN_STEP, side, b);
}
int32_t random_safe_man_step(int32_t side, const ScratchBoard& b) {
    return run_quiet_rule(RANDOM_SAFE_MAN_STEP, side, b);
}
int32_t random_clean_king_slide(int32_t side, const ScratchBoard& b) {
    return run_quiet_rule(RANDOM_CLEAN_KING_SLIDE, side, b);
}
int32_t first_king_slide(int32_t side, const ScratchBoard& b) { return run_quiet_rule(FIRST_KING_SLIDE, side, b); }
int32_t first_man_step(int32_t side, const ScratchBoard& b) { return run_quiet_rule(FIRST_MAN_STEP, side, b); }
