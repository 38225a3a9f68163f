// The hint's life in the game loop's pass: asked with H, shown piece first
// and destination after, dropped before it comes by a click, Backspace or
// Esc; and the engine's answer on a copy of the position.
#include "play/hint.h"

#include <gtest/gtest.h>

#include <atomic>

#include "cli/cli_perft.h"
#include "play/loop_logic.h"
#include "rules/board_setup.h"

namespace {

LoopInput idle_input(int32_t ticks) {
    LoopInput in = {};
    in.mouse_x = in.mouse_y = 10;  // off the board
    in.ticks = ticks;
    return in;
}

// H pressed and released: answers whether the pass asked the engine.
int32_t press_h(LoopState& st, int32_t ticks) {
    LoopInput in = idle_input(ticks);
    in.key_h = 1;
    const int32_t asked = loop_pass(st, in).hint_ask;
    // Held on, it asks no more.
    EXPECT_EQ(loop_pass(st, in).hint_ask, 0);
    loop_pass(st, idle_input(ticks));
    return asked;
}

struct HintAnswer {
    int32_t from;
    int32_t to;
};

LoopOutput arrive(LoopState& st, const HintAnswer& a, int32_t ticks) {
    LoopInput in = idle_input(ticks);
    in.hint_arrived = 1;
    in.hint_from = a.from;
    in.hint_to = a.to;
    return loop_pass(st, in);
}

}  // namespace

TEST(Hint, AskedShownThenGoneAndDroppedBeforeItComes) {
    const Settings saved = settings;
    settings.opponent = OPPONENT_HUMAN;
    reset_board();
    game.turn = BLUE;
    game.game_running = 1;
    LoopState st;
    loop_start(st);

    ASSERT_EQ(press_h(st, 0), 1);
    // Stopped at once, the engine still answers one of the opening moves.
    std::atomic<bool> stop{true};
    EngineTable table;
    const EngineAnswer e = think_hint(hint_question(st), table, stop);
    const HintAnswer a{e.from, e.path[0]};
    bool legal = false;
    for (const FirstMove& m : first_moves(BLUE)) legal = legal || (m.from == a.from && m.to == a.to);
    ASSERT_TRUE(legal) << a.from << "-" << a.to;

    LoopOutput out = arrive(st, a, 100);
    EXPECT_EQ(out.hint_piece, a.from);
    EXPECT_EQ(out.hint_target, -1);
    out = loop_pass(st, idle_input(100 + HINT_TICKS / 2 + 1));
    EXPECT_EQ(out.hint_piece, a.from);
    EXPECT_EQ(out.hint_target, a.to);
    out = loop_pass(st, idle_input(100 + HINT_TICKS + 1));
    EXPECT_EQ(out.hint_piece, -1);
    EXPECT_EQ(out.hint_target, -1);
    EXPECT_EQ(board[a.from].source_mark, 0);  // shown, never picked

    // A click, Backspace or Esc before the answer drops it; the late answer
    // is not shown.
    for (int dropper = 0; dropper < 3; dropper++) {
        ASSERT_EQ(press_h(st, 0), 1) << dropper;
        LoopInput in = idle_input(0);
        in.mouse_b = dropper == 0 ? 1 : 0;
        in.key_backspace = dropper == 1;
        in.key_esc = dropper == 2;
        EXPECT_EQ(loop_pass(st, in).hint_drop, 1) << dropper;
        loop_pass(st, idle_input(0));
        EXPECT_EQ(arrive(st, a, 10).hint_piece, -1) << dropper;
        loop_start(st);
    }

    // Not on the computer's turn.
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    EXPECT_EQ(press_h(st, 0), 0);
    settings = saved;
}
