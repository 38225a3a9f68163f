// What the loop pass tells the play screen beyond the moves: the latest
// turn's squares, the destination marker's answer, the pieces that must
// capture; and the click or Space that hurries the computer.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "play/game_record.h"
#include "play/loop_logic.h"
#include "play/notice_codes.h"
#include "rules/board_setup.h"

namespace {

int sq(int row, int col) { return 8 * row + col; }

class PlayScreen : public ::testing::Test {
protected:
    LoopState st;
    Settings saved_settings = settings;
    int32_t ticks_now = 0;

    void SetUp() override {
        settings.opponent = OPPONENT_HUMAN;
        settings.computer_side = RED;
    }
    void TearDown() override { settings = saved_settings; }

    void start(std::initializer_list<std::pair<int, int32_t>> pieces, int32_t turn = BLUE) {
        place(pieces);
        game.turn = turn;
        game.game_running = 1;
        loop_start(st);
        record_start();
    }
    void start_opening(int32_t turn = BLUE) {
        reset_board();
        game.turn = turn;
        game.game_running = 1;
        loop_start(st);
        record_start();
    }
    LoopInput input(int square, int buttons, int space = 0) const {
        LoopInput in = {};
        in.mouse_x = square < 0 ? 10 : BOARD_ORIGIN_X + (square % 8) * SQUARE_SIZE + 29;
        in.mouse_y = square < 0 ? 10 : BOARD_ORIGIN_Y + (square / 8) * SQUARE_SIZE + 29;
        in.mouse_b = buttons;
        in.key_space = space;
        in.ticks = ticks_now;
        return in;
    }
    LoopOutput pass(const LoopInput& in) {
        const LoopOutput out = loop_pass(st, in);
        if (out.ticks_reset) ticks_now = 0;
        return out;
    }
    LoopOutput idle(int square = -1) { return pass(input(square, 0)); }
    LoopOutput click(int square) {
        pass(input(square, 1));
        return pass(input(square, 0));
    }
    void move(int from, int to) {
        click(from);
        click(to);
    }
    // One of the computer's pauses runs out.
    LoopOutput wait_out() {
        ticks_now = NOTICE_TICKS + 1;
        return idle();
    }
    static std::set<int> marked(const LoopOutput& out, uint8_t mark) {
        std::set<int> squares;
        for (int i = 0; i < SQUARE_COUNT; i++)
            if (out.square_marks[i] & mark) squares.insert(i);
        return squares;
    }
};

using Squares = std::set<int>;

TEST_F(PlayScreen, LatestTurnIsMarkedUntilTheNextIsPlayed) {
    start_opening();
    EXPECT_EQ(marked(idle(), SQUARE_LAST_PATH | SQUARE_LAST_TAKEN), Squares{}) << "nothing before the first move";

    move(sq(5, 2), sq(4, 3));
    LoopOutput out = idle();
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(5, 2), sq(4, 3)}));
    EXPECT_EQ(marked(out, SQUARE_LAST_TAKEN), Squares{});
    // Red picking a piece has not played yet.
    out = click(sq(2, 1));
    ASSERT_EQ(out.piece_picked, 1);
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(5, 2), sq(4, 3)}));
    out = click(sq(3, 2));
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(2, 1), sq(3, 2)})) << "red's turn replaces blue's";

    // Backspace takes red's turn back: blue's is marked again; once more, nothing.
    LoopInput back = input(-1, 0);
    back.key_backspace = 1;
    EXPECT_EQ(marked(pass(back), SQUARE_LAST_PATH), (Squares{sq(5, 2), sq(4, 3)}));
    EXPECT_EQ(marked(pass(back), SQUARE_LAST_PATH | SQUARE_LAST_TAKEN), Squares{});

    // A new or a loaded game starts its own record: no marks from the last.
    move(sq(5, 2), sq(4, 3));
    ASSERT_FALSE(marked(idle(), SQUARE_LAST_PATH).empty());
    start_opening();
    EXPECT_EQ(marked(idle(), SQUARE_LAST_PATH | SQUARE_LAST_TAKEN), Squares{});
}

TEST_F(PlayScreen, ChainMarksEveryLandingAndEveryPieceTaken) {
    // (6,1) takes (5,2) and then (3,4); red then answers with a step.
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(0, 1), RED_MAN}});
    move(sq(6, 1), sq(4, 3));
    LoopOutput out = idle();
    ASSERT_EQ(st.in_chain, 1);
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(6, 1), sq(4, 3)})) << "the chain so far";
    EXPECT_EQ(marked(out, SQUARE_LAST_TAKEN), Squares{sq(5, 2)});
    ticks_now = NOTICE_TICKS + 1;
    idle();
    out = click(sq(2, 5));
    ASSERT_EQ(out.side_to_move, RED);
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(6, 1), sq(4, 3), sq(2, 5)}));
    EXPECT_EQ(marked(out, SQUARE_LAST_TAKEN), (Squares{sq(5, 2), sq(3, 4)}));
    move(sq(0, 1), sq(1, 0));
    out = idle();
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(0, 1), sq(1, 0)}));
    EXPECT_EQ(marked(out, SQUARE_LAST_TAKEN), Squares{});
}

TEST_F(PlayScreen, ComputerTurnIsMarkedOnceItMoves) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = RED;
    start_opening();
    move(sq(5, 2), sq(4, 3));
    wait_out();  // chooses
    const int32_t from = source_square(), to = target_square();
    wait_out();  // shows the destination
    EXPECT_EQ(marked(idle(), SQUARE_LAST_PATH), (Squares{sq(5, 2), sq(4, 3)})) << "the human's move while shown";
    const LoopOutput out = wait_out();
    ASSERT_EQ(out.side_to_move, BLUE);
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{from, to}));
}

// Each of the computer's pauses, ended by a click or by Space.
TEST_F(PlayScreen, HurryEndsEachPauseAtOnce) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    const auto chain = {std::make_pair(sq(6, 1), BLUE_MAN), std::make_pair(sq(5, 2), RED_MAN),
                        std::make_pair(sq(3, 4), RED_MAN), std::make_pair(sq(0, 1), RED_MAN)};
    struct Case {
        const char* pause;
        int waits;  // pauses that run out on their own first
        bool in_chain;
        int32_t phase_after;  // where the hurried pass leaves the computer
    };
    const Case cases[] = {
        {"before it shows its piece", 0, false, 2},
        {"while it shows the piece", 1, false, 3},
        {"while it shows the destination", 2, false, 0},
        {"between the jumps of its chain", 3, true, 2},
    };
    for (const Case& c : cases) {
        for (const bool space : {false, true}) {
            SCOPED_TRACE(std::string(c.pause) + (space ? ", Space" : ", click"));
            start(chain);
            for (int w = 0; w < c.waits; w++) wait_out();
            ASSERT_EQ(st.notice, c.in_chain ? NOTICE_NEXT_JUMP : NOTICE_NONE);
            const int32_t phase = st.ai_phase;
            const int32_t moved = board[sq(6, 1)].piece;
            ticks_now = 20;
            idle();
            ASSERT_EQ(st.ai_phase, phase) << "no hurry, no change";

            const LoopOutput out = pass(space ? input(sq(0, 1), 0, 1) : input(sq(0, 1), 1));
            EXPECT_EQ(st.ai_phase, c.phase_after);
            EXPECT_EQ(out.notice, c.waits == 2 ? NOTICE_NEXT_JUMP : NOTICE_NONE);
            EXPECT_EQ(out.ticks_reset, 1);
            if (c.waits == 2) {
                EXPECT_NE(board[sq(6, 1)].piece, moved) << "the jump was made";
            }
            // One hurry, one pause: the release and the passes after it wait.
            ticks_now = 20;
            pass(input(sq(0, 1), 0));
            idle();
            EXPECT_EQ(st.ai_phase, c.phase_after);
            EXPECT_EQ(st.click, CLICK_IDLE);
        }
    }
}

TEST_F(PlayScreen, HurryClickIsNeverTheHumansClick) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    const int red_man = sq(2, 3);

    // Pressed while the destination is shown, held into red's turn and let
    // go over a red man: the computer moves, nothing is picked.
    start_opening();
    wait_out();
    wait_out();
    LoopOutput out = pass(input(red_man, 1));
    ASSERT_EQ(out.side_to_move, RED);
    for (int p = 0; p < 3; p++) EXPECT_EQ(pass(input(red_man, 1)).piece_picked, 0);
    EXPECT_EQ(pass(input(red_man, 0)).piece_picked, 0);
    EXPECT_EQ(idle(red_man).piece_picked, 0);
    EXPECT_EQ(click(red_man).piece_picked, 1) << "a click of red's own";

    // The winning move hurried: the end panel stands while the button is
    // held, and a later click leaves it for the menu.
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}});
    wait_out();
    wait_out();
    pass(input(-1, 1));
    out = pass(input(-1, 1));
    ASSERT_EQ(out.notice, NOTICE_WON);
    EXPECT_EQ(out.menu, LOOP_MENU_NONE);
    EXPECT_EQ(pass(input(-1, 0)).menu, LOOP_MENU_NONE);
    EXPECT_EQ(pass(input(-1, 1)).menu, LOOP_MENU_GAME_OVER);
}

// The marker under the pointer says exactly what the click would do: with
// each piece picked every square is hovered, then clicked on a copy of the
// game.
TEST_F(PlayScreen, MarkerAnswersTheClick) {
    struct Case {
        const char* name;
        std::initializer_list<std::pair<int, int32_t>> pieces;
        int picked;
        int chain_jump;  // -1, or the first jump of a chain under way
        int refused;     // a destination is_legal_move allows and the click refuses
        int32_t notice;  // the refusal's notice
        Squares must;    // the pieces marked under it
    };
    const Case cases[] = {
        {"a man must take elsewhere",
         {{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(6, 5), BLUE_MAN}, {sq(0, 1), RED_MAN}},
         sq(6, 5), -1, sq(5, 4), NOTICE_CAPTURE_MAN, {sq(6, 1)}},
        {"a king's capture comes first",
         {{sq(7, 6), BLUE_KING}, {sq(6, 5), RED_MAN}, {sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}},
         sq(6, 1), -1, sq(4, 3), NOTICE_CAPTURE_KING, {sq(7, 6)}},
        {"the chain goes on",
         {{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(6, 7), BLUE_MAN},
          {sq(0, 1), RED_MAN}},
         sq(6, 1), sq(4, 3), sq(3, 2), NOTICE_CAPTURE_MAN, {sq(4, 3)}},
    };
    auto steps = [] {
        size_t n = 0;
        for (const PdnTurn& t : game_record.turns) n += t.squares.size();
        return n;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Outside a chain every blue piece is picked in turn; in a chain the
        // chain's piece is.
        auto pick = [&](int piece) {
            start(c.pieces);
            click(c.chain_jump >= 0 ? c.picked : piece);
            if (c.chain_jump < 0) return;
            ASSERT_EQ(click(c.chain_jump).notice, NOTICE_NEXT_JUMP);
            ticks_now = NOTICE_TICKS + 1;
            idle();
        };
        start(c.pieces);
        std::vector<int> pieces;
        for (int piece = 0; piece < SQUARE_COUNT; piece++)
            if (owns_piece(piece, BLUE) && (c.chain_jump < 0 || piece == c.picked)) pieces.push_back(piece);
        int accepted = 0;
        for (const int piece : pieces) {
            pick(piece);
            Square board_before[SQUARE_COUNT];
            std::copy(std::begin(board), std::end(board), board_before);
            const LoopState st_before = st;
            const GameState game_before = game;
            const GameRecord record_before = game_record;
            for (int s = 0; s < SQUARE_COUNT; s++) {
                const int32_t shown = idle(s).pointer_legal;
                const size_t before = steps();
                click(s);
                const bool moved = steps() != before;
                EXPECT_EQ(shown, moved ? 1 : 0) << "picked " << piece << ", square " << s;
                accepted += moved;
                std::copy(board_before, board_before + SQUARE_COUNT, board);
                st = st_before;
                game = game_before;
                game_record = record_before;
            }
        }
        EXPECT_GE(accepted, 1) << "a capture is always allowed";

        // The refusal: the pieces that must capture are marked while the
        // notice stands, and no longer.
        pick(c.picked);
        const int from = c.chain_jump >= 0 ? c.chain_jump : c.picked;
        ASSERT_EQ(is_legal_move(from, c.refused, BLUE), 1);
        EXPECT_EQ(idle(c.refused).pointer_legal, 0) << "the ring over a refused move";
        LoopOutput out = click(c.refused);
        ASSERT_EQ(out.notice, c.notice);
        EXPECT_EQ(marked(out, SQUARE_MUST_CAPTURE), c.must);
        ticks_now = NOTICE_TICKS;
        EXPECT_EQ(marked(idle(), SQUARE_MUST_CAPTURE), c.must);
        ticks_now = NOTICE_TICKS + 1;
        EXPECT_EQ(marked(idle(), SQUARE_MUST_CAPTURE), Squares{});
    }
}

}  // namespace
