// Application shell: the shared records and the starting position.
#include "app/game_state.h"

#include <cstring>

Square board[SQUARE_COUNT];

// Static values equal the defaults, except music_track: 0 until the settings
// file has been read (a missing file then sets -1).
// A constant expression, so set before any code runs.
Settings settings = [] {
    Settings s = {OPPONENT_COMPUTER, LEVEL_PROFESSIONAL, RED, 12, 255, 255, 0, {}};
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < NAME_LEN; i++) s.player_name[side][i] = DEFAULT_NAMES[side][i];
    return s;
}();

GameState game = {1, 0, 0, 0, 0, 0, 0, 1};

std::atomic<int> ticks{0};
std::atomic<int> clock_seconds{0};
std::atomic<int> clock_minutes{0};

// The loop stores new values (a reset, a loaded game's clock) at any time:
// a tick only ever replaces the value it read, or a store made between its
// read and its write would be lost.
void fast_tick() {
    int t = ticks.load(std::memory_order_relaxed);
    while (!ticks.compare_exchange_weak(t, t >= 1000000 ? 0 : t + 1, std::memory_order_relaxed)) {
    }
}

void clock_tick() {
    int s = clock_seconds.load(std::memory_order_relaxed);
    while (!clock_seconds.compare_exchange_weak(s, s + 1 == 60 ? 0 : s + 1, std::memory_order_relaxed)) {
    }
    if (s + 1 == 60) clock_minutes.fetch_add(1, std::memory_order_relaxed);
}

int32_t other_side(int32_t side) { return side == BLUE ? RED : BLUE; }

void reset_board() {
    for (int i = 0; i < SQUARE_COUNT; i++) {
        board[i].x = square_col(i) * SQUARE_SIZE;
        board[i].y = square_row(i) * SQUARE_SIZE;
        board[i].size = SQUARE_SIZE;
        board[i].light = (square_row(i) + square_col(i)) % 2 == 0 ? -1 : 0;
    }
    for (int i = 0; i < SQUARE_COUNT; i++)
        if (!board[i].light) board[i].piece = EMPTY;
    // Men fill the first and the last 2n squares; only the dark ones get one.
    const int n = settings.piece_count;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        if (board[i].light) continue;
        if (i <= 2 * n - 1) board[i].piece = RED_MAN;
        if (i >= 64 - 2 * n) board[i].piece = BLUE_MAN;
    }
    for (Square& s : board) s.source_mark = s.target_mark = 0;
}

void new_game() {
    reset_board();
    game.game_running = 1;
    game.turn = BLUE;
    game.paused_minutes = 0;
    game.paused_seconds = 0;
}

static const int32_t COMPUTER_NAME[NAME_LEN] = {'P', 'o', 0x10D, 0xED, 't', 'a', 0x10D, 0, 0, 0};

void side_names(int32_t side1[NAME_LEN], int32_t side2[NAME_LEN]) {
    const int32_t* first = settings.player_name[0];
    const int32_t* second = settings.player_name[1];
    const int32_t* a = first;
    const int32_t* b = COMPUTER_NAME;
    if (settings.opponent == OPPONENT_HUMAN) {
        b = second;
    } else if (settings.computer_side == BLUE) {
        a = COMPUTER_NAME;
        b = first;
    }
    std::memcpy(side1, a, sizeof(int32_t) * NAME_LEN);
    std::memcpy(side2, b, sizeof(int32_t) * NAME_LEN);
}
