// Turn control of the game loop, pass by pass, without a display.
#include "play/loop_logic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "app/temp_dir.h"
#include "play/game_record.h"
#include "play/notice_codes.h"
#include "rules/board_setup.h"
#include "ui/menu_result.h"
#include "ui/saved_games.h"

namespace {

int sq(int row, int col) { return 8 * row + col; }

class Loop : public ::testing::Test {
protected:
    LoopState st;
    Settings saved_settings = settings;
    int32_t ticks_now = 0;  // what the timer would show
    int32_t minutes = 0;
    int32_t seconds = 0;

    void SetUp() override {
        settings.opponent = OPPONENT_HUMAN;
        settings.computer_side = RED;
        game.turn = BLUE;
        game.game_running = 1;
        game.final_minutes = 0;
        game.final_seconds = 0;
    }
    void TearDown() override { settings = saved_settings; }

    // Sets up a position with `turn` to move and (re)starts the loop on it.
    void start(std::initializer_list<std::pair<int, int32_t>> pieces, int32_t turn = BLUE) {
        place(pieces);
        game.turn = turn;
        game.game_running = 1;
        loop_start(st);
        record_start();
    }

    LoopInput input(int square, int buttons) const {
        LoopInput in = {};
        // The middle of the square; off the board for -1.
        in.mouse_x = square < 0 ? 10 : BOARD_ORIGIN_X + (square % 8) * SQUARE_SIZE + 29;
        in.mouse_y = square < 0 ? 10 : BOARD_ORIGIN_Y + (square / 8) * SQUARE_SIZE + 29;
        in.mouse_b = buttons;
        in.ticks = ticks_now;
        in.clock_minutes = minutes;
        in.clock_seconds = seconds;
        return in;
    }

    // Runs a pass and applies the timer writes as the shell does.
    LoopOutput pass(const LoopInput& in) {
        LoopOutput out = loop_pass(st, in);
        if (out.ticks_reset) ticks_now = 0;
        if (out.clock_set) {
            minutes = out.clock_minutes;
            seconds = out.clock_seconds;
        }
        return out;
    }
    LoopOutput idle(int square = -1) { return pass(input(square, 0)); }

    // Press and release over a square: the release pass acts on the click.
    LoopOutput click(int square) {
        pass(input(square, 1));
        return pass(input(square, 0));
    }

    // Lets a short notice run out: one pass clears it, doing nothing else.
    void wait_out_notice() {
        ticks_now = NOTICE_TICKS + 1;
        const LoopOutput out = idle();
        ASSERT_EQ(out.notice, NOTICE_NONE);
    }

    int marked_sources() const {
        int n = 0;
        for (const Square& s : board) n += s.source_mark;
        return n;
    }
    int marked_targets() const {
        int n = 0;
        for (const Square& s : board) n += s.target_mark;
        return n;
    }
};

TEST_F(Loop, PickingAndPuttingDown) {
    reset_board();
    game.turn = BLUE;
    loop_start(st);

    // Not on the first pass: the button is only down.
    LoopOutput out = pass(input(sq(5, 0), 1));
    EXPECT_EQ(out.piece_picked, 0);
    out = pass(input(sq(5, 0), 0));
    EXPECT_EQ(out.piece_picked, 1);
    EXPECT_EQ(out.pick_sound, 1);
    EXPECT_EQ(source_square(), sq(5, 0));
    EXPECT_EQ(out.pointer_square, sq(5, 0));

    // The picked piece clicked again is put down.
    out = click(sq(5, 0));
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(out.pick_sound, 0);
    EXPECT_EQ(source_square(), -1);

    // Opponent's piece, empty square, light square, off the board: nothing.
    for (int s : {sq(2, 1), sq(4, 1), sq(5, 1), -1}) {
        out = click(s);
        EXPECT_EQ(out.piece_picked, 0) << s;
        EXPECT_EQ(source_square(), -1) << s;
    }

    // Holding the button down is one click, not many.
    pass(input(sq(5, 2), 1));
    pass(input(sq(5, 2), 1));
    out = pass(input(sq(5, 2), 0));
    EXPECT_EQ(out.piece_picked, 1);
    out = pass(input(sq(5, 2), 0));
    EXPECT_EQ(out.piece_picked, 1);
}

TEST_F(Loop, UnreachableDestinationKeepsThePick) {
    reset_board();
    game.turn = BLUE;
    loop_start(st);
    click(sq(5, 2));
    for (int s : {sq(3, 2), sq(4, 4), sq(5, 4), sq(4, 2), -1}) {
        const LoopOutput out = click(s);
        EXPECT_EQ(out.piece_picked, 1) << s;
        EXPECT_EQ(out.notice, NOTICE_NONE) << s;
        EXPECT_EQ(out.move_sound, 0) << s;
        EXPECT_EQ(source_square(), sq(5, 2)) << s;
        EXPECT_EQ(marked_sources(), 1) << s;
    }
    EXPECT_EQ(game.turn, BLUE);

    // The legal step then passes the turn.
    ticks_now = 300;
    const LoopOutput out = click(sq(4, 3));
    EXPECT_EQ(out.move_sound, 1);
    EXPECT_EQ(out.ticks_reset, 1);
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(out.side_to_move, RED);
    EXPECT_EQ(board[sq(4, 3)].piece, BLUE_MAN);
    EXPECT_EQ(board[sq(5, 2)].piece, EMPTY);
    EXPECT_EQ(marked_sources() + marked_targets(), 0);
}

TEST_F(Loop, RefusedMoveShowsNoticeAndDropsThePick) {
    // Blue can take (5,2) from (6,1); a step elsewhere is refused.
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(6, 5), BLUE_MAN}, {sq(0, 1), RED_MAN}});
    ticks_now = 400;
    click(sq(6, 5));
    LoopOutput out = click(sq(5, 4));
    EXPECT_EQ(out.notice, NOTICE_CAPTURE_MAN);
    EXPECT_EQ(out.ticks_reset, 1);
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(out.move_sound, 0);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(board[sq(6, 5)].piece, BLUE_MAN);
    EXPECT_EQ(game.turn, BLUE);

    // The notice stands while ticks stay at 500 or below.
    ticks_now = NOTICE_TICKS;
    EXPECT_EQ(idle().notice, NOTICE_CAPTURE_MAN);
    wait_out_notice();

    // The capture itself is accepted.
    click(sq(6, 1));
    out = click(sq(4, 3));
    EXPECT_EQ(out.notice, NOTICE_NONE);
    EXPECT_EQ(board[sq(5, 2)].piece, EMPTY);
    EXPECT_EQ(board[sq(4, 3)].piece, BLUE_MAN);
    EXPECT_EQ(game.turn, RED);
}

TEST_F(Loop, KingCaptureComesFirst) {
    // The king on (7,6) can take (6,5); the man's capture is refused with 3.
    start({{sq(7, 6), BLUE_KING}, {sq(6, 5), RED_MAN}, {sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}});
    click(sq(6, 1));
    const LoopOutput out = click(sq(4, 3));
    EXPECT_EQ(out.notice, NOTICE_CAPTURE_KING);
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(board[sq(5, 2)].piece, RED_MAN);
}

TEST_F(Loop, ChainKeepsTheTurnAndThePiece) {
    // (6,1) takes (5,2) and then (3,4): two jumps, one turn.
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(0, 1), RED_MAN}});
    click(sq(6, 1));
    LoopOutput out = click(sq(4, 3));
    EXPECT_EQ(out.notice, NOTICE_NEXT_JUMP);
    EXPECT_EQ(out.move_sound, 1);
    EXPECT_EQ(out.ticks_reset, 1);
    EXPECT_EQ(out.side_to_move, BLUE);
    EXPECT_EQ(out.piece_picked, 1);
    EXPECT_EQ(st.in_chain, 1);
    EXPECT_EQ(source_square(), sq(4, 3));
    EXPECT_EQ(target_square(), -1);
    EXPECT_EQ(board[sq(5, 2)].piece, EMPTY);
    wait_out_notice();

    // Clicking the chain piece does not put it down.
    out = click(sq(4, 3));
    EXPECT_EQ(out.piece_picked, 1);
    EXPECT_EQ(source_square(), sq(4, 3));

    // A step instead of the next jump is refused; the piece stays picked.
    out = click(sq(3, 2));
    EXPECT_EQ(out.notice, NOTICE_CAPTURE_MAN);
    EXPECT_EQ(out.piece_picked, 1);
    EXPECT_EQ(source_square(), sq(4, 3));
    wait_out_notice();

    out = click(sq(2, 5));
    EXPECT_EQ(out.notice, NOTICE_NONE);
    EXPECT_EQ(out.side_to_move, RED);
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(st.in_chain, 0);
    EXPECT_EQ(board[sq(2, 5)].piece, BLUE_MAN);
    EXPECT_EQ(board[sq(3, 4)].piece, EMPTY);
}

// The slot has no field for a chain: a save in its middle keeps the turn's
// start, so the loaded game obliges the same whole turn again.
TEST_F(Loop, SaveInTheMiddleOfAChainKeepsTheTurnsStart) {
    // (6,1) takes (5,2) then (3,4); (6,5) could take (5,6) instead.
    const std::initializer_list<std::pair<int, int32_t>> position = {
        {sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN},
        {sq(6, 5), BLUE_MAN}, {sq(5, 6), RED_MAN}, {sq(0, 1), RED_MAN}};
    start(position);
    int32_t opening[SQUARE_COUNT];
    for (int i = 0; i < SQUARE_COUNT; i++) opening[i] = board[i].piece;
    click(sq(6, 1));
    ASSERT_EQ(click(sq(4, 3)).notice, NOTICE_NEXT_JUMP);
    SaveSlot slot;
    slot_from_game(slot);
    EXPECT_EQ(slot.turn, BLUE);
    for (int i = 0; i < SQUARE_COUNT; i++) EXPECT_EQ(slot.pieces[i], opening[i]) << "square " << i;

    // Loaded, the other capture is a whole turn; the chain, its first jump.
    game_from_slot(slot);
    loop_start(st);
    record_start();
    click(sq(6, 5));
    EXPECT_EQ(click(sq(4, 7)).side_to_move, RED);
    game_from_slot(slot);
    loop_start(st);
    record_start();
    click(sq(6, 1));
    EXPECT_EQ(click(sq(4, 3)).notice, NOTICE_NEXT_JUMP);

    // After the chain the turn is done: a save keeps the board as it is.
    wait_out_notice();
    click(sq(2, 5));
    slot_from_game(slot);
    EXPECT_EQ(slot.turn, RED);
    EXPECT_EQ(slot.pieces[sq(2, 5)], BLUE_MAN);
    EXPECT_EQ(slot.pieces[sq(6, 1)], EMPTY);
}

TEST_F(Loop, ChainManIsNotBlockedByAKingCaptureElsewhere) {
    // The king on (7,4) is blocked by two red men side by side; the man's
    // first jump takes one of them, which opens a capture for the king. The
    // chain's man goes on all the same.
    start({{sq(7, 4), BLUE_KING}, {sq(6, 3), RED_MAN}, {sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN},
           {sq(3, 4), RED_MAN}, {sq(0, 1), RED_MAN}});
    click(sq(6, 1));
    ASSERT_EQ(click(sq(4, 3)).notice, NOTICE_NEXT_JUMP);
    ASSERT_EQ(can_capture_from(sq(7, 4), BLUE), 1);
    wait_out_notice();
    const LoopOutput out = click(sq(2, 5));
    EXPECT_EQ(out.notice, NOTICE_NONE);
    EXPECT_EQ(board[sq(2, 5)].piece, BLUE_MAN);
    EXPECT_EQ(board[sq(3, 4)].piece, EMPTY);
    EXPECT_EQ(game.turn, RED);
}

TEST_F(Loop, CaptureOntoTheFarRowCrownsAndPassesTheTurn) {
    // (2,1) takes (1,2) and lands on (0,3); the new king could take (1,4).
    start({{sq(2, 1), BLUE_MAN}, {sq(1, 2), RED_MAN}, {sq(1, 4), RED_MAN}});
    click(sq(2, 1));
    const LoopOutput out = click(sq(0, 3));
    EXPECT_EQ(board[sq(0, 3)].piece, BLUE_KING);
    EXPECT_EQ(out.notice, NOTICE_NONE);
    EXPECT_EQ(out.side_to_move, RED);
    EXPECT_EQ(st.in_chain, 0);
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(marked_sources() + marked_targets(), 0);
}

TEST_F(Loop, WinnerFreezesTheClock) {
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}});
    minutes = 7;
    seconds = 3;
    click(sq(6, 1));
    LoopOutput out = click(sq(4, 3));
    EXPECT_EQ(out.notice, NOTICE_NONE);  // found on the next pass
    seconds = 4;
    int32_t key_asks = 0;
    static int32_t* asks;
    asks = &key_asks;
    LoopInput in = input(-1, 0);
    in.key_waiting = [] { return ++*asks, 0; };
    out = pass(in);
    EXPECT_EQ(out.notice, NOTICE_WON);
    EXPECT_EQ(game.game_running, 0);
    EXPECT_EQ(game.final_minutes, 7);
    EXPECT_EQ(game.final_seconds, 4);
    EXPECT_EQ(out.menu, LOOP_MENU_NONE);
    EXPECT_EQ(key_asks, 1);
    EXPECT_EQ(game_result(game.turn), BLUE);

    // Later frames show the final time whatever the timer says.
    minutes = 9;
    seconds = 59;
    out = idle();
    EXPECT_EQ(out.clock_set, 1);
    EXPECT_EQ(out.clock_minutes, 7);
    EXPECT_EQ(out.clock_seconds, 4);
    EXPECT_EQ(out.minutes, 7);
    EXPECT_EQ(out.seconds, 4);
    EXPECT_EQ(game.final_seconds, 4);

    // Clicks on the board do nothing now; a pressed left button or a
    // waiting key opens the menu at once.
    out = pass(input(sq(4, 3), 1));
    EXPECT_EQ(out.menu, LOOP_MENU_GAME_OVER);
    in = input(-1, 0);
    in.key_waiting = [] { return 1; };
    EXPECT_EQ(pass(in).menu, LOOP_MENU_GAME_OVER);
    // The right button or Esc goes through the normal way.
    EXPECT_EQ(pass(input(-1, 2)).menu, LOOP_MENU_FROM_BOARD);
    EXPECT_EQ(board[sq(4, 3)].piece, BLUE_MAN);
}

TEST_F(Loop, SideWithoutMovesLoses) {
    // Red to move, its only man blocked by the edge and a blue man it cannot take.
    start({{sq(6, 7), RED_MAN}, {sq(7, 6), BLUE_MAN}, {sq(4, 1), BLUE_MAN}}, RED);
    const LoopOutput out = idle();
    EXPECT_EQ(out.notice, NOTICE_WON);
    EXPECT_EQ(game_result(game.turn), BLUE);
}

TEST_F(Loop, SeventeenQuietKingMovesDraw) {
    start({{sq(7, 2), BLUE_KING}, {sq(0, 1), RED_KING}});
    minutes = 12;
    seconds = 30;
    const int blue[2] = {sq(7, 2), sq(6, 3)};
    const int red[2] = {sq(0, 1), sq(1, 0)};
    for (int move = 0; move < 17; move++) {
        const int* squares = move % 2 == 0 ? blue : red;
        const int from = squares[(move / 2) % 2];
        const int to = squares[1 - (move / 2) % 2];
        click(from);
        const LoopOutput out = click(to);
        ASSERT_EQ(board[to].piece == BLUE_KING || board[to].piece == RED_KING, true) << move;
        ASSERT_EQ(out.notice, NOTICE_NONE) << move;
    }
    const LoopOutput out = idle();
    EXPECT_EQ(out.notice, NOTICE_DRAWN);
    EXPECT_EQ(game.game_running, 0);
    EXPECT_EQ(game.final_minutes, 12);
    EXPECT_EQ(game.final_seconds, 30);
    // The drawn game stays drawn.
    seconds = 45;
    EXPECT_EQ(idle().notice, NOTICE_DRAWN);
    EXPECT_EQ(seconds, 30);
}

TEST_F(Loop, ManMoveRestartsTheDrawCount) {
    start({{sq(7, 2), BLUE_KING}, {sq(0, 1), RED_KING}, {sq(6, 7), BLUE_MAN}});
    const int blue[2] = {sq(7, 2), sq(6, 3)};
    const int red[2] = {sq(0, 1), sq(1, 0)};
    for (int move = 0; move < 16; move++) {
        const int* squares = move % 2 == 0 ? blue : red;
        click(squares[(move / 2) % 2]);
        click(squares[1 - (move / 2) % 2]);
    }
    // Blue's 17th move is a man's step: no draw.
    click(sq(6, 7));
    click(sq(5, 6));
    EXPECT_EQ(idle().notice, NOTICE_NONE);
    EXPECT_EQ(game.game_running, 1);
}

TEST_F(Loop, ClickDuringANoticeCountsAfterwards) {
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(6, 5), BLUE_MAN}, {sq(0, 1), RED_MAN}});
    click(sq(6, 5));
    ASSERT_EQ(click(sq(5, 4)).notice, NOTICE_CAPTURE_MAN);
    // The player clicks the capturing man while the notice stands.
    ticks_now = 100;
    LoopOutput out = click(sq(6, 1));
    EXPECT_EQ(out.notice, NOTICE_CAPTURE_MAN);
    EXPECT_EQ(out.piece_picked, 0);
    // The pass that clears the notice does no move logic...
    ticks_now = NOTICE_TICKS + 1;
    out = idle(sq(0, 1));
    EXPECT_EQ(out.notice, NOTICE_NONE);
    EXPECT_EQ(out.piece_picked, 0);
    // ...the next takes the click, at the pointer of that frame.
    out = idle(sq(6, 1));
    EXPECT_EQ(out.piece_picked, 1);
    EXPECT_EQ(source_square(), sq(6, 1));
}

TEST_F(Loop, ComputerTurnInThreeWaits) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    reset_board();
    game.turn = BLUE;
    loop_start(st);

    ticks_now = NOTICE_TICKS;
    LoopOutput out = idle();
    EXPECT_EQ(st.ai_phase, 0);
    EXPECT_EQ(source_square(), -1);

    ticks_now = NOTICE_TICKS + 1;
    out = idle();
    EXPECT_EQ(st.ai_phase, 2);
    EXPECT_EQ(out.pick_sound, 1);
    EXPECT_EQ(out.ticks_reset, 1);
    EXPECT_EQ(out.piece_picked, 0);
    const int32_t from = source_square();
    const int32_t to = target_square();
    ASSERT_GE(from, 0);
    ASSERT_GE(to, 0);
    EXPECT_EQ(owns_piece(from, BLUE), 1);
    EXPECT_EQ(is_legal_move(from, to, BLUE), 1);
    EXPECT_EQ(out.pointer_square, to);  // the computer's pointer is its target

    ticks_now = 300;
    out = idle();
    EXPECT_EQ(st.ai_phase, 2);
    ticks_now = NOTICE_TICKS + 1;
    out = idle();
    EXPECT_EQ(st.ai_phase, 3);
    EXPECT_EQ(out.piece_picked, 1);
    EXPECT_EQ(out.ticks_reset, 1);
    EXPECT_EQ(out.move_sound, 0);

    ticks_now = NOTICE_TICKS + 1;
    out = idle();
    EXPECT_EQ(out.move_sound, 1);
    EXPECT_EQ(out.ticks_reset, 0);  // a passing turn leaves ticks running
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(st.ai_phase, 0);
    EXPECT_EQ(out.side_to_move, RED);
    EXPECT_EQ(board[to].piece, BLUE_MAN);
    EXPECT_EQ(board[from].piece, EMPTY);
}

TEST_F(Loop, ComputerChainGoesOnRightAfterTheNotice) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(0, 1), RED_MAN}});
    ticks_now = NOTICE_TICKS + 1;
    idle();  // chooses
    EXPECT_EQ(source_square(), sq(6, 1));
    EXPECT_EQ(target_square(), sq(4, 3));
    ticks_now = NOTICE_TICKS + 1;
    idle();  // shows the target
    ticks_now = NOTICE_TICKS + 1;
    LoopOutput out = idle();  // jumps
    EXPECT_EQ(out.notice, NOTICE_NEXT_JUMP);
    EXPECT_EQ(out.side_to_move, BLUE);
    EXPECT_EQ(source_square(), sq(4, 3));
    wait_out_notice();
    // The notice ran ticks past 500: the next choice follows at once,
    // without the pick sound.
    out = idle();
    EXPECT_EQ(st.ai_phase, 2);
    EXPECT_EQ(out.pick_sound, 0);
    EXPECT_EQ(source_square(), sq(4, 3));
    EXPECT_EQ(target_square(), sq(2, 5));
}

TEST_F(Loop, ClickDuringTheComputersMoveHurriesItAndIsSpent) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    reset_board();
    game.turn = BLUE;
    loop_start(st);
    ticks_now = NOTICE_TICKS + 1;
    idle();
    // A click over a red man while the computer's piece is shown ends that
    // pause and is not kept for red.
    ticks_now = 100;
    click(sq(2, 1));
    EXPECT_EQ(st.click, CLICK_IDLE);
    EXPECT_EQ(st.ai_phase, 3);
    ticks_now = NOTICE_TICKS + 1;
    LoopOutput out = idle(sq(2, 3));
    EXPECT_EQ(out.side_to_move, RED);
    out = idle(sq(2, 3));
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(source_square(), -1);
}

std::set<int> marked(const LoopOutput& out, uint8_t mark) {
    std::set<int> squares;
    for (int i = 0; i < SQUARE_COUNT; i++)
        if (out.square_marks[i] & mark) squares.insert(i);
    return squares;
}
using Squares = std::set<int>;

TEST_F(Loop, LatestTurnIsMarkedUntilTheNextIsPlayed) {
    constexpr uint8_t ANY = SQUARE_LAST_PATH | SQUARE_LAST_TAKEN;
    // (6,1) takes (5,2) and then (3,4); the chain is marked as it goes.
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(0, 1), RED_MAN}});
    EXPECT_EQ(marked(idle(), ANY), Squares{});
    click(sq(6, 1));
    LoopOutput out = click(sq(4, 3));
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(6, 1), sq(4, 3)}));
    EXPECT_EQ(marked(out, SQUARE_LAST_TAKEN), Squares{sq(5, 2)});
    wait_out_notice();
    out = click(sq(2, 5));
    EXPECT_EQ(marked(out, SQUARE_LAST_PATH), (Squares{sq(6, 1), sq(4, 3), sq(2, 5)}));
    EXPECT_EQ(marked(out, SQUARE_LAST_TAKEN), (Squares{sq(5, 2), sq(3, 4)}));
    // Red picking a piece has not played yet; its step replaces the chain.
    EXPECT_EQ(marked(click(sq(0, 1)), ANY).size(), 5u);
    EXPECT_EQ(marked(click(sq(1, 0)), ANY), (Squares{sq(0, 1), sq(1, 0)}));
    // Backspace: the chain is marked again; once more, nothing.
    LoopInput back = input(-1, 0);
    back.key_backspace = 1;
    EXPECT_EQ(marked(pass(back), SQUARE_LAST_TAKEN), (Squares{sq(5, 2), sq(3, 4)}));
    EXPECT_EQ(marked(pass(back), ANY), Squares{});

    // The computer's turn is marked once it moves; a new game has no marks.
    settings.opponent = OPPONENT_COMPUTER;
    reset_board();
    game.turn = BLUE;
    loop_start(st);
    record_start();
    click(sq(5, 2));
    click(sq(4, 3));
    ticks_now = NOTICE_TICKS + 1;
    idle();
    const int32_t from = source_square(), to = target_square();
    ticks_now = NOTICE_TICKS + 1;
    EXPECT_EQ(marked(idle(), SQUARE_LAST_PATH), (Squares{sq(5, 2), sq(4, 3)})) << "shown, not yet played";
    ticks_now = NOTICE_TICKS + 1;
    EXPECT_EQ(marked(idle(), SQUARE_LAST_PATH), (Squares{from, to}));
    record_start();
    EXPECT_EQ(marked(idle(), ANY), Squares{});
}

// Each of the computer's pauses ends at once on a click or Space, and only
// that pause; the hurrying press is never the human's click.
TEST_F(Loop, HurryEndsEachPauseAndIsNeverTheHumansClick) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    struct Case {
        const char* pause;
        int waits;  // pauses that run out on their own first
        int32_t phase_after;
    };
    const Case cases[] = {{"before it shows its piece", 0, 2},
                          {"while it shows the piece", 1, 3},
                          {"while it shows the destination", 2, 0},
                          {"between the jumps of its chain", 3, 2}};
    for (const Case& c : cases) {
        for (const bool space : {false, true}) {
            SCOPED_TRACE(std::string(c.pause) + (space ? ", Space" : ", click"));
            start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(0, 1), RED_MAN}});
            for (int w = 0; w < c.waits; w++) {
                ticks_now = NOTICE_TICKS + 1;
                idle();
            }
            ticks_now = 20;
            const int32_t phase = st.ai_phase;
            ASSERT_EQ(idle().notice, c.waits == 3 ? NOTICE_NEXT_JUMP : NOTICE_NONE);
            ASSERT_EQ(st.ai_phase, phase) << "no hurry, no change";
            LoopInput hurry = input(sq(0, 1), space ? 0 : 1);
            hurry.key_space = space;
            const LoopOutput out = pass(hurry);
            EXPECT_EQ(st.ai_phase, c.phase_after);
            EXPECT_EQ(out.notice, c.waits == 2 ? NOTICE_NEXT_JUMP : NOTICE_NONE);  // the first jump made
            EXPECT_EQ(out.ticks_reset, 1);
            ticks_now = 20;
            idle(sq(0, 1));
            EXPECT_EQ(st.ai_phase, c.phase_after) << "one hurry, one pause";
            EXPECT_EQ(st.click, CLICK_IDLE);
        }
    }

    // Pressed while the destination is shown and held into red's turn: no
    // pick on the release over a red man, nor a menu when the jump has won.
    for (const bool wins : {false, true}) {
        SCOPED_TRACE(wins ? "the winning jump" : "the opening");
        if (wins) {
            start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}});
        } else {
            reset_board();
            game.turn = BLUE;
            loop_start(st);
        }
        for (int w = 0; w < 2; w++) {
            ticks_now = NOTICE_TICKS + 1;
            idle();
        }
        ASSERT_EQ(pass(input(sq(2, 3), 1)).side_to_move, RED);
        LoopOutput out = pass(input(sq(2, 3), 1));
        EXPECT_EQ(out.notice, wins ? NOTICE_WON : NOTICE_NONE);
        EXPECT_EQ(out.menu, LOOP_MENU_NONE);
        out = pass(input(sq(2, 3), 0));
        EXPECT_EQ(out.piece_picked + idle(sq(2, 3)).piece_picked, 0);
        EXPECT_EQ(out.menu, LOOP_MENU_NONE);
        EXPECT_EQ(pass(input(sq(2, 3), 1)).menu, wins ? LOOP_MENU_GAME_OVER : LOOP_MENU_NONE);
        if (!wins) {
            EXPECT_EQ(idle(sq(2, 3)).piece_picked, 1) << "a click of red's own";
        }
    }
}

// The marker under the pointer says what the click would do: with each piece
// picked every square is hovered, then clicked on a copy of the game. A
// refusal marks the pieces that must capture while its notice stands.
TEST_F(Loop, MarkerAnswersTheClick) {
    struct Case {
        const char* name;
        std::initializer_list<std::pair<int, int32_t>> pieces;
        int chain_jump;  // -1, or the first jump (from (6,1)) of a chain under way
        int picked;      // the piece whose legal step is refused
        int refused;
        int32_t notice;
        Squares must;
    };
    const Case cases[] = {
        {"a man must take elsewhere",
         {{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(6, 5), BLUE_MAN}, {sq(0, 1), RED_MAN}}, -1, sq(6, 5),
         sq(5, 4), NOTICE_CAPTURE_MAN, {sq(6, 1)}},
        {"a king's capture comes first",
         {{sq(7, 6), BLUE_KING}, {sq(6, 5), RED_MAN}, {sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}}, -1, sq(6, 1),
         sq(4, 3), NOTICE_CAPTURE_KING, {sq(7, 6)}},
        {"the chain goes on",
         {{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(6, 7), BLUE_MAN}, {sq(0, 1), RED_MAN}},
         sq(4, 3), sq(4, 3), sq(3, 2), NOTICE_CAPTURE_MAN, {sq(4, 3)}},
    };
    auto steps = [] {
        size_t n = 0;
        for (const PdnTurn& t : game_record.turns) n += t.squares.size();
        return n;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto pick = [&](int piece) {
            start(c.pieces);
            click(c.chain_jump >= 0 ? sq(6, 1) : piece);
            if (c.chain_jump < 0) return;
            click(c.chain_jump);
            wait_out_notice();
        };
        start(c.pieces);
        std::vector<int> pieces;
        for (int p = 0; p < SQUARE_COUNT; p++)
            if (owns_piece(p, BLUE) && (c.chain_jump < 0 || p == sq(6, 1))) pieces.push_back(p);
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
                EXPECT_EQ(shown, steps() != before ? 1 : 0) << "picked " << piece << ", square " << s;
                accepted += steps() != before;
                std::copy(board_before, board_before + SQUARE_COUNT, board);
                st = st_before;
                game = game_before;
                game_record = record_before;
            }
        }
        EXPECT_GE(accepted, 1) << "a capture is always allowed";

        pick(c.picked);
        ASSERT_EQ(is_legal_move(c.picked, c.refused, BLUE), 1);
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

TEST_F(Loop, XHandsTheMoveOverWithoutStaleMarks) {
    // A human has picked a piece when X gives blue to the computer.
    settings.computer_side = BLUE;
    reset_board();
    game.turn = BLUE;
    loop_start(st);
    click(sq(5, 0));
    ASSERT_EQ(source_square(), sq(5, 0));
    LoopInput in = input(-1, 0);
    in.key_x = 1;
    LoopOutput out = pass(in);
    EXPECT_EQ(settings.opponent, OPPONENT_COMPUTER);
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(marked_sources() + marked_targets(), 0);

    // The computer shows its move; X gives it back to the human.
    ticks_now = NOTICE_TICKS + 1;
    idle();
    ticks_now = NOTICE_TICKS + 1;
    idle();
    ASSERT_EQ(st.ai_phase, 3);
    out = pass(in);
    EXPECT_EQ(settings.opponent, OPPONENT_HUMAN);
    EXPECT_EQ(st.ai_phase, 0);
    EXPECT_EQ(out.piece_picked, 0);
    EXPECT_EQ(marked_sources() + marked_targets(), 0);

    // Held, X flips on every frame.
    out = pass(in);
    EXPECT_EQ(settings.opponent, OPPONENT_COMPUTER);
    out = pass(in);
    EXPECT_EQ(settings.opponent, OPPONENT_HUMAN);
}

TEST_F(Loop, XInAChainKeepsOnlyTheChainSquare) {
    settings.computer_side = BLUE;
    start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN}, {sq(0, 1), RED_MAN}});
    click(sq(6, 1));
    ASSERT_EQ(click(sq(4, 3)).notice, NOTICE_NEXT_JUMP);
    LoopInput in = input(-1, 0);
    in.key_x = 1;
    pass(in);  // the computer takes over the chain
    EXPECT_EQ(source_square(), sq(4, 3));
    EXPECT_EQ(marked_sources(), 1);
    EXPECT_EQ(st.piece_picked, 0);
    wait_out_notice();
    idle();
    EXPECT_EQ(source_square(), sq(4, 3));
    EXPECT_EQ(target_square(), sq(2, 5));
    // Back to the human in the middle of showing it: the chain piece stays
    // picked, the computer's target goes.
    pass(in);
    EXPECT_EQ(settings.opponent, OPPONENT_HUMAN);
    EXPECT_EQ(source_square(), sq(4, 3));
    EXPECT_EQ(marked_targets(), 0);
    EXPECT_EQ(st.piece_picked, 1);
    const LoopOutput out = click(sq(2, 5));
    EXPECT_EQ(board[sq(2, 5)].piece, BLUE_MAN);
    EXPECT_EQ(out.side_to_move, RED);
}

TEST_F(Loop, XThatDoesNotChangeWhoMovesKeepsThePick) {
    settings.computer_side = RED;  // blue stays human either way
    reset_board();
    game.turn = BLUE;
    loop_start(st);
    click(sq(5, 2));
    LoopInput in = input(-1, 0);
    in.key_x = 1;
    const LoopOutput out = pass(in);
    EXPECT_EQ(settings.opponent, OPPONENT_COMPUTER);
    EXPECT_EQ(out.piece_picked, 1);
    EXPECT_EQ(source_square(), sq(5, 2));
}

TEST_F(Loop, MenuFromTheBoard) {
    reset_board();
    game.turn = BLUE;
    loop_start(st);
    click(sq(5, 2));
    EXPECT_EQ(pass(input(-1, 2)).menu, LOOP_MENU_FROM_BOARD);
    LoopInput in = input(-1, 0);
    in.key_esc = 1;
    EXPECT_EQ(pass(in).menu, LOOP_MENU_FROM_BOARD);

    // "Pokračovat": play goes on as it was.
    EXPECT_EQ(loop_after_menu(st, MENU_CONTINUE), 0);
    EXPECT_EQ(idle().piece_picked, 1);
    // A new game: everything loop-local starts afresh.
    st.notice = NOTICE_CAPTURE_MAN;
    EXPECT_EQ(loop_after_menu(st, MENU_NEW_GAME), 1);
    EXPECT_EQ(st.piece_picked, 0);
    EXPECT_EQ(st.notice, NOTICE_NONE);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(loop_after_menu(st, MENU_LOADED), 1);
    EXPECT_EQ(st.leave_code, 0);
    // "Konec": the next pass leaves.
    EXPECT_EQ(loop_after_menu(st, MENU_QUIT), 0);
    EXPECT_EQ(idle().leave, 1);
}

}  // namespace

// Backspace, case by case: each case plays up to the position Backspace must
// bring back (noted by `mark`) and on; one press must then restore it exactly,
// the game going on with nothing picked and the taken-back turns out of the
// record.
TEST_F(Loop, BackspaceTakesBack) {
    TurnStart stood = {};
    size_t stood_turns = 0;
    auto mark = [&] {
        for (int i = 0; i < SQUARE_COUNT; i++) stood.pieces[i] = board[i].piece;
        stood.turn = game.turn;
        stood.draw_book = st.draw_book;
        stood_turns = game_record.turns.size();
    };
    auto move = [&](int from, int to) {
        click(from);
        click(to);
    };
    auto computer_moves = [&] {
        for (int w = 0; w < 3; w++) {
            ticks_now = NOTICE_TICKS + 1;
            idle();
        }
    };
    auto backspace = [&] {
        LoopInput in = input(-1, 0);
        in.key_backspace = 1;
        return pass(in);
    };
    // Far apart, so the computer's replies cannot touch blue's men.
    const auto apart = {std::make_pair(sq(7, 0), BLUE_MAN), std::make_pair(sq(7, 6), BLUE_MAN),
                        std::make_pair(sq(0, 1), RED_MAN), std::make_pair(sq(0, 5), RED_MAN)};
    struct Case {
        const char* name;
        std::function<void()> play;
        bool takes_back = true;
    };
    const Case cases[] = {
        {"the computer's reply and the human's move",
         [&] {
             settings.opponent = OPPONENT_COMPUTER;
             start(apart);
             move(sq(7, 0), sq(6, 1));
             computer_moves();
             idle();  // the draw count sees the reply
             mark();
             move(sq(7, 6), sq(6, 7));
             computer_moves();
             ASSERT_EQ(game_record.turns.size(), 4u);
         }},
        {"the computer's move still being shown",
         [&] {
             settings.opponent = OPPONENT_COMPUTER;
             start(apart);
             mark();
             move(sq(7, 0), sq(6, 1));
             ticks_now = NOTICE_TICKS + 1;
             idle();
             ASSERT_EQ(st.ai_phase, 2);  // its marks stand
         }},
        {"two humans, a chain under way but not the turn before it",
         [&] {
             // Blue's man on 7,0 keeps red's man from taking first.
             start({{sq(6, 1), BLUE_MAN}, {sq(7, 0), BLUE_MAN}, {sq(5, 2), RED_MAN}, {sq(3, 4), RED_MAN},
                    {sq(0, 1), RED_MAN}},
                   RED);
             move(sq(0, 1), sq(1, 2));
             idle();
             mark();
             move(sq(6, 1), sq(4, 3));
             ASSERT_EQ(st.in_chain, 1);
         }},
        {"after a win",
         [&] {
             start({{sq(6, 1), BLUE_MAN}, {sq(5, 2), RED_MAN}});
             mark();
             move(sq(6, 1), sq(4, 3));
             ASSERT_EQ(idle().notice, NOTICE_WON);
             ASSERT_EQ(game_record.result, BLUE);
         }},
        {"after a draw, the draw count as it stood",
         [&] {
             start({{sq(7, 2), BLUE_KING}, {sq(0, 1), RED_KING}});
             // Each king steps out and back: blue's squares, then red's.
             const int squares[2][2] = {{sq(7, 2), sq(6, 3)}, {sq(0, 1), sq(1, 0)}};
             for (int m = 0; m < 16; m++) {
                 const int* king = squares[m % 2];
                 const int out = m / 2 % 2;
                 move(king[out], king[1 - out]);
             }
             click(squares[0][0]);
             mark();
             ASSERT_EQ(stood.draw_book.quiet_moves, 16);
             click(squares[0][1]);
             ASSERT_EQ(idle().notice, NOTICE_DRAWN);
         }},
        {"at the start nothing",
         [&] {
             settings.opponent = OPPONENT_COMPUTER;
             start(apart);
             move(sq(7, 0), sq(6, 1));
             computer_moves();
             backspace();
             mark();
         },
         false},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.play();
        if (HasFatalFailure()) return;
        const LoopOutput out = backspace();
        for (int i = 0; i < SQUARE_COUNT; i++) EXPECT_EQ(board[i].piece, stood.pieces[i]) << "square " << i;
        EXPECT_EQ(game.turn, stood.turn);
        EXPECT_EQ(std::memcmp(&st.draw_book, &stood.draw_book, sizeof(DrawBook)), 0);
        EXPECT_EQ(game_record.turns.size(), stood_turns);
        EXPECT_EQ(game_record.result, RECORD_UNFINISHED);
        EXPECT_EQ(out.pick_sound, c.takes_back ? 1 : 0);
        EXPECT_EQ(game.game_running, 1);
        EXPECT_EQ(out.notice, NOTICE_NONE);
        EXPECT_EQ(out.clock_set, 0);  // the clock runs on
        EXPECT_EQ(st.in_chain + st.piece_picked + st.ai_phase + marked_sources() + marked_targets(), 0);
        // The next pass finds no end and no change of the draw count.
        EXPECT_EQ(idle().notice, NOTICE_NONE);
        EXPECT_EQ(st.draw_book.quiet_moves, stood.draw_book.quiet_moves);
    }
}

// A game is appended once, after what the file held; a file that cannot be
// read whole is not rewritten.
TEST_F(Loop, KeptGameIsAppendedOnce) {
    TempDir dir;
    const std::string path = dir.file("partie.pdn");
    write_bytes(path, Bytes{'%', ' ', 'o', 'l', 'd', '\n'});
    settings.piece_count = 8;
    reset_board();
    loop_start(st);
    record_start();
    EXPECT_EQ(keep_game(path.c_str()), 1);  // nothing to keep without a move
    EXPECT_EQ(read_bytes(path).size(), 6u);
    click(sq(6, 1));
    click(sq(5, 0));
    EXPECT_EQ(keep_game(dir.path.c_str()), 0);
    EXPECT_EQ(keep_game(path.c_str()), 1);
    EXPECT_EQ(keep_game(path.c_str()), 1);
    const Bytes kept = read_bytes(path);
    const std::string text(kept.begin(), kept.end());
    EXPECT_EQ(text.rfind("% old\n\n[Event \"Talvena\"]\n", 0), 0u) << text;
    EXPECT_NE(text.find("[SetUp \"1\"]\n[FEN \"W:Wa1,c1,e1,g1,b2,d2,f2,h2:Ba7,c7,e7,g7,b8,d8,f8,h8\"]"),
              std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 13), "\n1. b2-a3 *\n\n") << text;
}
