// The computer's turn at "mistr" through the game loop's pass: the engine is
// asked as the turn begins, its answer waits for the first pause (and the
// pause for a late answer), the planned chain is marked jump by jump, and
// Backspace, the menu and X drop an answer still awaited. Then the engine
// side: the minimum depth, the kept table, and a thread whose job throws.
#include <gtest/gtest.h>

#include <atomic>
#include <new>

#include "play/game_record.h"
#include "play/hint.h"
#include "play/loop_logic.h"
#include "play/notice_codes.h"
#include "rules/board_setup.h"
#include "ui/menu_result.h"

namespace {

constexpr int32_t WAITED = NOTICE_TICKS + 1;

struct MistrTurn : ::testing::Test {
    Settings saved = settings;
    LoopState st;
    void TearDown() override { settings = saved; }

    // Red to move at "mistr" with one whole turn: 10x28x42.
    void chain_position() {
        settings.opponent = OPPONENT_COMPUTER;
        settings.difficulty = LEVEL_MASTER;
        settings.computer_side = RED;
        place({{1, RED_MAN}, {10, RED_MAN}, {19, BLUE_MAN}, {35, BLUE_MAN}, {62, BLUE_MAN}});
        game.turn = RED;
        game.game_running = 1;
        record_start();
        loop_start(st);
    }
    LoopOutput pass(int32_t ticks) {
        LoopInput in = {};
        in.mouse_x = in.mouse_y = 10;
        in.ticks = ticks;
        return loop_pass(st, in);
    }
    LoopOutput arrive(const EngineAnswer& a, int32_t ticks) {
        LoopInput in = {};
        in.mouse_x = in.mouse_y = 10;
        in.ticks = ticks;
        in.turn_arrived = 1;
        in.turn_failed = a.failed;
        in.turn_from = a.from;
        in.turn_length = a.length;
        for (int i = 0; i < ENGINE_MAX_PATH; i++) in.turn_path[i] = a.path[i];
        return loop_pass(st, in);
    }
    EngineAnswer engine_answer() {
        EngineTable table;
        const std::atomic<bool> stop{false};
        return think_turn(hint_question(st), table, stop);
    }
};

EngineAnswer answer(int32_t from, std::initializer_list<int32_t> path) {
    EngineAnswer a{};
    a.from = from;
    for (int32_t sq : path) a.path[a.length++] = sq;
    return a;
}

}  // namespace

TEST_F(MistrTurn, AskedAtOnceShownAfterThePauseAndTheChainFollowedJumpByJump) {
    chain_position();
    EXPECT_EQ(pass(0).turn_ask, 1);
    EXPECT_EQ(pass(5).turn_ask, 0);  // asked once
    const EngineAnswer a = engine_answer();
    ASSERT_EQ(a.failed, 0);
    ASSERT_EQ(a.from, 10);
    ASSERT_EQ(a.length, 2);
    EXPECT_EQ(a.path[0], 28);
    EXPECT_EQ(a.path[1], 42);
    EXPECT_EQ(a.depth, 0);  // the only turn there is, unthought

    // An early answer waits for the pause.
    arrive(a, 100);
    EXPECT_EQ(source_square(), -1);
    LoopOutput out = pass(WAITED);
    EXPECT_EQ(source_square(), 10);
    EXPECT_EQ(target_square(), 28);
    EXPECT_EQ(out.pick_sound, 1);
    pass(WAITED);  // the destination is shown
    out = pass(WAITED);
    EXPECT_EQ(out.move_sound, 1);
    EXPECT_EQ(st.notice, NOTICE_NEXT_JUMP);
    EXPECT_EQ(board[19].piece, EMPTY);

    // The second jump comes from the plan, with no new question.
    bool second_marked = false;
    for (int i = 0; i < 8 && game.turn == RED; i++) {
        out = pass(WAITED);
        EXPECT_EQ(out.turn_ask, 0);
        if (source_square() == 28 && target_square() == 42) second_marked = true;
    }
    EXPECT_TRUE(second_marked);
    EXPECT_EQ(game.turn, BLUE);
    EXPECT_EQ(board[42].piece, RED_MAN);
    EXPECT_EQ(board[35].piece, EMPTY);
    EXPECT_EQ(st.plan, PLAN_NONE);
    ASSERT_EQ(game_record.turns.size(), 1u);
    EXPECT_EQ(game_record.turns[0].squares, (std::vector<int32_t>{10, 28, 42}));
}

TEST_F(MistrTurn, TheFirstPauseWaitsForALateAnswerAndAFailedOneFallsToTheRuleList) {
    for (const bool failed : {false, true}) {
        SCOPED_TRACE(failed);
        chain_position();
        pass(0);
        pass(WAITED + 100);
        pass(WAITED + 400);
        EXPECT_EQ(source_square(), -1);
        EXPECT_EQ(st.ai_phase, 0);
        EngineAnswer a = answer(10, {28, 42});
        if (failed) a = EngineAnswer{1, -1, 0, {}, 0};
        const LoopOutput out = arrive(a, WAITED + 500);
        // Marked in the pass the answer came in; the rule list knows the capture too.
        EXPECT_EQ(source_square(), 10);
        EXPECT_EQ(target_square(), 28);
        EXPECT_EQ(out.pick_sound, 1);
    }
}

TEST_F(MistrTurn, BackspaceTheMenuAndXDropAnAnswerStillAwaited) {
    enum Dropper { BACKSPACE, MENU, KEY_X };
    for (const Dropper d : {BACKSPACE, MENU, KEY_X}) {
        SCOPED_TRACE(d);
        settings.opponent = OPPONENT_COMPUTER;
        settings.difficulty = LEVEL_MASTER;
        settings.computer_side = RED;
        settings.piece_count = 12;
        new_game();
        record_start();
        loop_start(st);
        // The human's opening move 42-33, by two clicks each.
        for (const int32_t sq : {42, 33}) {
            for (const int32_t b : {1, 0}) {
                LoopInput in = {};
                in.mouse_x = BOARD_ORIGIN_X + (sq % 8) * SQUARE_SIZE + 29;
                in.mouse_y = BOARD_ORIGIN_Y + (sq / 8) * SQUARE_SIZE + 29;
                in.mouse_b = b;
                loop_pass(st, in);
            }
        }
        ASSERT_EQ(game.turn, RED);
        ASSERT_EQ(pass(0).turn_ask, 1);
        LoopInput in = {};
        in.mouse_x = in.mouse_y = 10;
        if (d == BACKSPACE) {
            in.key_backspace = 1;
            EXPECT_EQ(loop_pass(st, in).turn_drop, 1);
            EXPECT_EQ(game.turn, BLUE);  // back before the human's move
        } else if (d == MENU) {
            EXPECT_EQ(loop_after_menu(st, MENU_CONTINUE), 0);
            st.leave_code = 0;
            EXPECT_EQ(pass(0).turn_ask, 1);  // thinking starts again on the board
            EXPECT_EQ(pass(0).turn_ask, 0);
            continue;
        } else {
            in.key_x = 1;
            EXPECT_EQ(loop_pass(st, in).turn_drop, 1);
            EXPECT_EQ(settings.opponent, OPPONENT_HUMAN);  // red is a human's now
        }
        // The late answer is not played.
        arrive(answer(21, {28}), WAITED);
        arrive(answer(21, {28}), WAITED);
        EXPECT_EQ(st.plan, PLAN_NONE);
        EXPECT_EQ(board[21].piece, RED_MAN);
        EXPECT_EQ(source_square(), -1);
    }
}

TEST(MistrEngine, EveryTurnIsThoughtToTheMinimumDepthOnAKeptTable) {
    reset_board();
    int32_t pieces[SQUARE_COUNT];
    for (int i = 0; i < SQUARE_COUNT; i++) pieces[i] = board[i].piece;
    const EnginePosition p = engine_position(pieces, BLUE);

    // A millisecond of time still finishes the minimum depth.
    EngineTable table;
    SearchLimits limits;
    limits.time_ms = 1;
    limits.min_depth = MISTR_MIN_DEPTH;
    limits.table = &table;
    const SearchResult first = engine_search(p, limits);
    EXPECT_GE(first.depth, MISTR_MIN_DEPTH);
    ASSERT_TRUE(first.has_move);
    const void* memory = table.buckets.get();
    ASSERT_NE(memory, nullptr);

    // The same search again on the kept table finds what the first stored:
    // fewer nodes than on a fresh table, in the same memory.
    SearchLimits fixed;
    fixed.depth = MISTR_MIN_DEPTH;
    fixed.table = &table;
    const SearchResult again = engine_search(p, fixed);
    EXPECT_EQ(table.buckets.get(), memory);
    SearchLimits fresh = fixed;
    fresh.table = nullptr;
    const SearchResult cold = engine_search(p, fresh);
    EXPECT_LT(again.nodes, cold.nodes);
    EXPECT_EQ(again.depth, cold.depth);
}

TEST(EngineThread, AJobThatThrowsAnswersFailedAndAStoppedOneNeverArrives) {
    EngineThread t;
    int32_t job = 0;
    EngineAnswer a{};
    engine_thread_start(t, 7, [](EngineTable&, const std::atomic<bool>&) -> EngineAnswer { throw std::bad_alloc(); });
    while (!engine_thread_arrived(t, job, a)) std::this_thread::yield();
    EXPECT_EQ(job, 7);
    EXPECT_EQ(a.failed, 1);
    EXPECT_EQ(a.from, -1);

    // A stopped job's answer never arrives; the thread takes the next.
    engine_thread_start(t, 8, [](EngineTable&, const std::atomic<bool>& stop) {
        while (!stop) std::this_thread::yield();
        return answer(1, {2});
    });
    engine_thread_finish(t);
    EXPECT_FALSE(engine_thread_arrived(t, job, a));
}
