// Game play: turn control. Every wait is "ticks past 500" after a reset, a
// little over two seconds; the pass works on its own copy of the counters
// and tells the shell what to write back.
#include "play/loop_logic.h"

#include "ai/ai.h"
#include "play/game_record.h"
#include "play/notice_codes.h"
#include "ui/menu_result.h"

namespace {

// The counters as this pass sees them. A hurry ends the one pause under
// way: the reset that starts the next pause spends it.
struct PassTimers {
    int32_t ticks;
    LoopOutput* out;
    bool hurried;
    void reset() {
        ticks = 0;
        hurried = false;
        out->ticks_reset = 1;
    }
};

// X can hand the move from a human to the computer or back in the middle
// of a move. The computer reads any source mark as a chain square, and a
// human must not inherit the computer's half-shown move, so whatever the
// other kind of player left behind goes, except a chain's own piece.
void hand_over(LoopState& st, int32_t computer_now) {
    clear_marks(2);
    if (st.in_chain) {
        // The chain square keeps its source mark; a human holds it picked.
        st.piece_picked = computer_now ? 0 : 1;
    } else {
        clear_marks(1);
        st.piece_picked = 0;
    }
    st.ai_phase = 0;
}

void flip_opponent(LoopState& st) {
    const int32_t computer_before = computer_to_move();
    settings.opponent = settings.opponent == OPPONENT_COMPUTER ? OPPONENT_HUMAN : OPPONENT_COMPUTER;
    const int32_t computer_now = computer_to_move();
    if (computer_now != computer_before) hand_over(st, computer_now);
}

// One move or one jump of a chain, the human's and the computer's alike.
// Answers 1 when the turn passed.
int32_t carry_out_move(LoopState& st, PassTimers& t) {
    t.out->move_sound = 1;
    record_step(source_square(), target_square(), st.in_chain ? 0 : 1, st.draw_book);
    if (perform_move(game.turn) == 1) {
        st.in_chain = 1;
        st.notice = NOTICE_NEXT_JUMP;
        t.reset();
        return 0;
    }
    st.in_chain = 0;
    game.turn = other_side(game.turn);
    return 1;
}

// What the hint was asked on; a hint stands only while the board is unchanged.
uint32_t board_digest() {
    uint32_t h = 2166136261u;
    for (const Square& s : board) h = (h ^ static_cast<uint32_t>(s.piece)) * 16777619u;
    return h;
}

// --- "mistr": the engine's whole turn -------------------------------------

int32_t engine_plays() { return settings.difficulty == LEVEL_MASTER; }

// An answer still awaited is stopped; a ready plan is forgotten.
void plan_drop(LoopState& st, LoopOutput& out) {
    if (st.plan == PLAN_ASKED) out.turn_drop = 1;
    st.plan = PLAN_NONE;
}

// Every pass: an awaited answer is taken, or dropped when the computer no
// longer moves on the board it was asked about.
void plan_pass(LoopState& st, const LoopInput& in, int32_t computer_moves, LoopOutput& out) {
    if (st.plan == PLAN_NONE) return;
    if (!computer_moves || !engine_plays()) {
        plan_drop(st, out);
        return;
    }
    if (st.plan != PLAN_ASKED) return;
    if (st.plan_board != board_digest()) {
        plan_drop(st, out);
    } else if (in.turn_arrived) {
        st.plan = PLAN_READY;
        st.plan_from = in.turn_from;
        st.plan_length = in.turn_failed || in.turn_from < 0 ? 0 : in.turn_length;
        if (st.plan_length > ENGINE_MAX_PATH) st.plan_length = 0;
        for (int32_t i = 0; i < st.plan_length; i++) st.plan_path[i] = in.turn_path[i];
        st.plan_step = 0;
    }
}

// Marks the plan's next jump when the rules take it as they would take a
// human's; otherwise (an engine that could not think) the rule list chooses.
void mark_planned_step(LoopState& st) {
    const int32_t side = game.turn;
    const int32_t from = st.plan_step == 0 ? st.plan_from : st.plan_path[st.plan_step - 1];
    const int32_t to = st.plan_step < st.plan_length ? st.plan_path[st.plan_step] : -1;
    const int32_t takes = st.plan == PLAN_READY && to >= 0 && owns_piece(from, side) &&
                          (!st.in_chain || from == source_square()) &&
                          judge_human_move(from, to, side, st.in_chain) == VERDICT_ACCEPTED;
    if (!takes) {
        choose_computer_move(side);
        return;
    }
    board[from].source_mark = 1;
    board[to].target_mark = 1;
}

// At "mistr" the engine is asked as the turn (or a chain it has no plan
// for) begins, and the first pause waits for its answer.
int32_t plan_awaited(LoopState& st, LoopOutput& out) {
    if (!engine_plays()) return 0;
    if (st.plan == PLAN_NONE) {
        st.plan = PLAN_ASKED;
        st.plan_board = board_digest();
        out.turn_ask = 1;
    }
    return st.plan == PLAN_ASKED;
}

void computer_turn(LoopState& st, PassTimers& t) {
    const int32_t awaited = st.ai_phase == 0 && plan_awaited(st, *t.out);
    if (st.ai_phase == 0 && (t.ticks > NOTICE_TICKS || t.hurried) && !awaited) {
        st.ai_phase = 1;
        t.reset();
    }
    if (st.ai_phase == 1) {
        if (engine_plays())
            mark_planned_step(st);
        else
            choose_computer_move(game.turn);
        if (source_square() < 0 || target_square() < 0) {
            // No move marked: never carry out a move from nowhere; wait
            // and ask again (the winner test ends a game without moves).
            clear_marks(2);
            st.ai_phase = 0;
            t.reset();
            return;
        }
        st.ai_phase = 2;
        t.reset();
        if (!st.in_chain) t.out->pick_sound = 1;
    }
    if (st.ai_phase == 2 && (t.ticks > NOTICE_TICKS || t.hurried)) {
        st.piece_picked = 1;  // from now on the frame marks the destination
        st.ai_phase = 3;
        t.reset();
    }
    if (st.ai_phase == 3 && (t.ticks > NOTICE_TICKS || t.hurried)) {
        // A passing turn leaves ticks running.
        if (carry_out_move(st, t))
            st.plan = PLAN_NONE;
        else
            st.plan_step++;
        st.ai_phase = 0;
        st.piece_picked = 0;
    }
}

void human_turn(LoopState& st, const LoopInput& in, PassTimers& t) {
    if (st.click != CLICK_CLICKED) return;
    st.click = CLICK_IDLE;
    const int32_t s = square_at_point(in.mouse_x, in.mouse_y);
    if (!st.piece_picked) {
        if (s >= 0 && owns_piece(s, game.turn)) {
            board[s].source_mark = 1;
            st.piece_picked = 1;
            t.out->pick_sound = 1;
        }
        return;
    }
    const int32_t p = source_square();
    if (p < 0) {
        // A pick without its mark cannot be moved; start the move anew.
        st.piece_picked = 0;
        return;
    }
    const MoveVerdict verdict = accept_human_move(p, s, game.turn, st.in_chain);
    switch (verdict) {
        case VERDICT_RECLICK:
            if (!st.in_chain) st.piece_picked = 0;
            break;
        case VERDICT_REFUSED_MAN:
        case VERDICT_REFUSED_KING:
            // Outside a chain the rules have dropped the mark: start anew.
            st.notice = verdict == VERDICT_REFUSED_KING ? NOTICE_CAPTURE_KING : NOTICE_CAPTURE_MAN;
            t.reset();
            if (!st.in_chain) st.piece_picked = 0;
            break;
        case VERDICT_ACCEPTED:
            if (carry_out_move(st, t)) {
                st.piece_picked = 0;
                t.reset();
            }
            break;
        case VERDICT_IGNORED:
            break;
    }
}

// Asked with H on a human's turn. Until the engine answers, a click, either
// button, Backspace, Esc or the end of the turn drops it; once it has come it
// stands for HINT_TICKS unless the board changes or the turn ends.
void hint_pass(LoopState& st, const LoopInput& in, int32_t humans_turn, LoopOutput& out) {
    const int32_t h_pressed = in.key_h && !st.key_h_held;
    st.key_h_held = in.key_h;
    const int32_t same_board = st.hint != HINT_NONE && st.hint_board == board_digest();
    if (st.hint == HINT_ASKED) {
        if (!humans_turn || !same_board || in.mouse_b != 0 || in.key_backspace || in.key_esc) {
            st.hint = HINT_NONE;
            out.hint_drop = 1;
        } else if (in.hint_arrived) {
            st.hint = in.hint_from >= 0 ? HINT_SHOWN : HINT_NONE;
            st.hint_from = in.hint_from;
            st.hint_to = in.hint_to;
            st.hint_since = in.ticks;
        }
    }
    const int32_t shown = in.ticks - st.hint_since;
    if (st.hint == HINT_SHOWN && (!humans_turn || !same_board || shown < 0 || shown > HINT_TICKS))
        st.hint = HINT_NONE;
    if (h_pressed && humans_turn && st.hint == HINT_NONE) {
        st.hint = HINT_ASKED;
        st.hint_board = board_digest();
        out.hint_ask = 1;
    }
    out.hint_piece = st.hint == HINT_SHOWN ? st.hint_from : -1;
    out.hint_target = st.hint == HINT_SHOWN && shown > HINT_TICKS / 2 ? st.hint_to : -1;
}

// Backspace. Against the computer play goes back to the start of the
// human's latest turn, so the computer's reply (or its move still being
// shown) and the human's move go together; with no such turn (the computer
// opened) back to the start. Two humans: the latest turn. A chain under way
// is the latest turn, so it is undone as far as it went. After the end the
// game goes on.
void take_back(LoopState& st, PassTimers& t) {
    const std::vector<TurnStart>& starts = game_record.starts;
    if (starts.empty()) return;
    size_t k = starts.size() - 1;
    if (settings.opponent == OPPONENT_COMPUTER)
        while (k > 0 && starts[k].turn == settings.computer_side) k--;
    const TurnStart& s = starts[k];
    for (int i = 0; i < SQUARE_COUNT; i++) board[i].piece = s.pieces[i];
    clear_marks(1);
    clear_marks(2);
    game.turn = s.turn;
    game.game_running = 1;
    st.draw_book = s.draw_book;
    st.click = CLICK_IDLE;
    st.in_chain = 0;
    st.piece_picked = 0;
    st.ai_phase = 0;
    st.notice = NOTICE_NONE;
    plan_drop(st, *t.out);
    record_truncate(k);
    t.reset();
    t.out->pick_sound = 1;
}

// The latest turn's squares, and while a refusal's notice stands the pieces
// that must capture.
void mark_squares(const LoopState& st, LoopOutput& out) {
    int32_t pieces[SQUARE_COUNT];
    for (int i = 0; i < SQUARE_COUNT; i++) pieces[i] = board[i].piece;
    const LastMove last = last_move(game_record, pieces);
    const uint64_t must = st.notice == NOTICE_CAPTURE_MAN || st.notice == NOTICE_CAPTURE_KING
                              ? capturing_pieces(game.turn, st.in_chain, source_square())
                              : 0;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const uint64_t bit = uint64_t(1) << i;
        out.square_marks[i] = static_cast<uint8_t>((last.path & bit ? SQUARE_LAST_PATH : 0) |
                                                   (last.taken & bit ? SQUARE_LAST_TAKEN : 0) |
                                                   (must & bit ? SQUARE_MUST_CAPTURE : 0));
    }
}

}  // namespace

int32_t computer_to_move() {
    return settings.opponent == OPPONENT_COMPUTER && game.turn == settings.computer_side ? 1 : 0;
}

void loop_start(LoopState& st) {
    st.click = CLICK_IDLE;
    st.in_chain = 0;
    clear_marks(1);
    clear_marks(2);
    st.piece_picked = 0;
    st.leave_code = 0;
    st.ai_phase = 0;
    st.notice = NOTICE_NONE;
    draw_book_reset(st.draw_book);
    st.hint = HINT_NONE;
    st.hint_from = st.hint_to = -1;
    st.hint_since = 0;
    st.hint_board = 0;
    st.key_h_held = 0;
    st.hurry_held = 0;
    st.plan = PLAN_NONE;
    st.plan_board = 0;
    st.plan_from = -1;
    st.plan_length = st.plan_step = 0;
}

LoopOutput loop_pass(LoopState& st, const LoopInput& in) {
    LoopOutput out = {};
    if (st.leave_code != 0) {
        out.leave = 1;
        return out;
    }
    PassTimers t = {in.ticks, &out, false};
    const bool down = (in.mouse_b & 1) != 0;
    if (!down) st.hurry_held = 0;
    int32_t minutes = in.clock_minutes;
    int32_t seconds = in.clock_seconds;

    if (in.key_x) flip_opponent(st);
    if (in.key_backspace) take_back(st, t);

    int32_t ended = NOTICE_NONE;
    if (game_result(game.turn) != 0) {
        ended = NOTICE_WON;
    } else if (draw_check(st.draw_book.quiet_moves, st.draw_book.last_piece_count, st.draw_book.draw_snapshot) ==
               1) {
        ended = NOTICE_DRAWN;
    }

    if (ended != NOTICE_NONE) {
        // Only the frame that finds the end records it; a short notice still
        // standing then gives way to the end panel.
        if (st.notice < NOTICE_WON) {
            st.notice = ended;
            game_record.result = ended == NOTICE_WON ? game_result(game.turn) : 0;
            game.final_minutes = minutes;
            game.final_seconds = seconds;
            game.game_running = 0;
        }
        minutes = game.final_minutes;
        seconds = game.final_seconds;
        out.clock_set = 1;
        out.clock_minutes = minutes;
        out.clock_seconds = seconds;
        hint_pass(st, in, 0, out);
        plan_pass(st, in, 0, out);
        const int32_t key_waiting = in.key_waiting != nullptr ? in.key_waiting() : 0;
        if (key_waiting || (down && !st.hurry_held)) {
            out.menu = LOOP_MENU_GAME_OVER;
            return out;
        }
    } else {
        // The game loop's own tracker keeps a click until a human's turn
        // takes it, so a click made during a notice counts afterwards. A
        // press while the computer plays hurries it instead, and belongs to
        // it until the button is up again: never the human's next click.
        plan_pass(st, in, computer_to_move(), out);
        if (computer_to_move()) {
            t.hurried = (down && !st.hurry_held) || in.key_space;
            if (down) st.hurry_held = 1;
            st.click = CLICK_IDLE;
        } else if (!st.hurry_held) {
            if (!down && st.click == CLICK_PRESSED) st.click = CLICK_CLICKED;
            if (down && st.click == CLICK_IDLE) st.click = CLICK_PRESSED;
        }

        // Between the computer's jumps the notice is its pause.
        if (st.notice == NOTICE_NEXT_JUMP && t.hurried) st.notice = NOTICE_NONE;
        if (st.notice != NOTICE_NONE) {
            if (t.ticks > NOTICE_TICKS) st.notice = NOTICE_NONE;
        } else if (computer_to_move()) {
            computer_turn(st, t);
        } else {
            human_turn(st, in, t);
        }
        hint_pass(st, in, !computer_to_move(), out);
    }

    out.pointer_square = computer_to_move() ? target_square() : square_at_point(in.mouse_x, in.mouse_y);
    out.pointer_legal =
        judge_human_move(source_square(), out.pointer_square, game.turn, st.in_chain) == VERDICT_ACCEPTED ? 1 : 0;
    mark_squares(st, out);
    out.piece_picked = st.piece_picked;
    out.side_to_move = game.turn;
    out.notice = st.notice;
    out.seconds = seconds;
    out.minutes = minutes;
    if ((in.mouse_b & 2) || in.key_esc) out.menu = LOOP_MENU_FROM_BOARD;
    return out;
}

int32_t loop_after_menu(LoopState& st, int32_t result) {
    st.leave_code = result;
    // The menu stopped the engine; back on the board it is asked again.
    if (st.plan == PLAN_ASKED) st.plan = PLAN_NONE;
    if (result == MENU_NEW_GAME || result == MENU_LOADED) {
        loop_start(st);
        return 1;
    }
    return 0;
}
