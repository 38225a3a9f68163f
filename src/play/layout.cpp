// Game play: play-screen arithmetic shared by the renderer and its tests.
#include "play/layout.h"

#include "app/game_state.h"

const char* pad_zero(int32_t n) { return n <= 9 ? "0" : ""; }

int32_t game_clock_x(int32_t minutes) { return minutes > 99 ? 61 : 66; }

int32_t centred_left(int32_t square, int32_t width) {
    return BOARD_ORIGIN_X + board[square].x + board[square].size / 2 - width / 2;
}

int32_t centred_top(int32_t square, int32_t height) {
    return BOARD_ORIGIN_Y + board[square].y + board[square].size / 2 - height / 2;
}

int32_t human_to_move(int32_t side_to_move) {
    if (settings.opponent == OPPONENT_HUMAN) return 1;
    if (settings.opponent != OPPONENT_COMPUTER) return 0;
    if (settings.computer_side == RED && side_to_move == BLUE) return 1;
    if (settings.computer_side == BLUE && side_to_move == RED) return 1;
    return 0;
}
