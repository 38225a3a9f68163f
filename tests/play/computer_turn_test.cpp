// The computer plays its side through the game loop at both levels and with
// either colour: whole games against a scripted human, every computer move
// checked against the acceptance rule a human's move must pass.
#include <gtest/gtest.h>

#include <cstdlib>

#include "play/loop_logic.h"
#include "play/notice_codes.h"

namespace {

struct ComputerGame : ::testing::TestWithParam<std::pair<int32_t, int32_t>> {
    Settings saved = settings;
    LoopState st;
    void TearDown() override { settings = saved; }

    LoopInput input(int square, int buttons) const {
        LoopInput in = {};
        in.mouse_x = square < 0 ? 10 : BOARD_ORIGIN_X + (square % 8) * SQUARE_SIZE + 29;
        in.mouse_y = square < 0 ? 10 : BOARD_ORIGIN_Y + (square / 8) * SQUARE_SIZE + 29;
        in.mouse_b = buttons;
        in.ticks = NOTICE_TICKS + 1;  // every wait has run out
        return in;
    }
    void click(int square) {
        loop_pass(st, input(square, 1));
        loop_pass(st, input(square, 0));
    }

    // Whether a human would be allowed the move the marks now describe.
    static bool acceptable(int32_t from, int32_t to, int32_t side, int32_t in_chain) {
        if (from < 0 || to < 0 || !owns_piece(from, side) || is_legal_move(from, to, side) != 1) return false;
        if (capture_pending(from, to, side)) return false;
        return in_chain || !king_capture_pending(from, to, side);
    }

    // The scripted human: the first acceptable move in scan order.
    bool human_move() {
        const int32_t side = game.turn;
        const int32_t only = st.in_chain ? source_square() : -1;
        for (int32_t from = 0; from < SQUARE_COUNT; from++) {
            if (only >= 0 && from != only) continue;
            if (!owns_piece(from, side)) continue;
            for (int32_t to = 0; to < SQUARE_COUNT; to++) {
                if (!acceptable(from, to, side, st.in_chain)) continue;
                if (!st.piece_picked) click(from);
                click(to);
                return true;
            }
        }
        return false;
    }
};

TEST_P(ComputerGame, PlaysWholeGamesWithAcceptableMoves) {
    const auto [level, computer] = GetParam();
    settings.opponent = OPPONENT_COMPUTER;
    settings.difficulty = level;
    settings.computer_side = computer;
    settings.piece_count = 12;
    std::srand(7);
    new_game();
    loop_start(st);

    int computer_moves = 0, human_moves = 0;
    for (int pass = 0; pass < 20000 && game.game_running; pass++) {
        if (st.notice >= NOTICE_NEXT_JUMP && st.notice <= NOTICE_CAPTURE_KING) {
            loop_pass(st, input(-1, 0));  // the notice runs out
            continue;
        }
        if (computer_to_move()) {
            const int32_t side = game.turn;
            const int32_t chain = st.in_chain;
            LoopOutput out = loop_pass(st, input(-1, 0));
            if (st.ai_phase == 2 && out.ticks_reset) {
                // The move has just been chosen and is being shown.
                EXPECT_TRUE(acceptable(source_square(), target_square(), side, chain))
                    << "computer chose " << source_square() << "-" << target_square();
                computer_moves++;
            }
        } else if (human_move()) {
            human_moves++;
        } else {
            loop_pass(st, input(-1, 0));  // no move: the next pass decides the game
        }
    }
    EXPECT_EQ(game.game_running, 0) << "the game should have ended";
    EXPECT_GT(computer_moves, 5);
    EXPECT_GT(human_moves, 5);
    EXPECT_TRUE(st.notice == NOTICE_WON || st.notice == NOTICE_DRAWN);
}

INSTANTIATE_TEST_SUITE_P(LevelsAndColours, ComputerGame,
                         ::testing::Values(std::make_pair(LEVEL_AMATEUR, RED), std::make_pair(LEVEL_AMATEUR, BLUE),
                                           std::make_pair(LEVEL_PROFESSIONAL, RED),
                                           std::make_pair(LEVEL_PROFESSIONAL, BLUE)));

}  // namespace
