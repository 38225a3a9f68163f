#include "app/game_state.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<int> squares_holding(int32_t piece) {
    std::vector<int> out;
    for (int i = 0; i < SQUARE_COUNT; i++)
        if (board[i].piece == piece) out.push_back(i);
    return out;
}

struct BoardTest : ::testing::Test {
    Settings saved_settings = settings;
    void TearDown() override { settings = saved_settings; }
};

TEST_F(BoardTest, TwelveMenFillThreeRowsEachAndLeaveTheMiddleEmpty) {
    settings.piece_count = 12;
    reset_board();
    for (Square& s : board) {  // stale pieces and marks of an earlier game must go
        if (!s.light) s.piece = RED_KING;
        s.source_mark = s.target_mark = 1;
    }
    reset_board();
    std::vector<int> red = squares_holding(RED_MAN), blue = squares_holding(BLUE_MAN);
    ASSERT_EQ(red.size(), 12u);
    ASSERT_EQ(blue.size(), 12u);
    for (int i : red) EXPECT_LE(square_row(i), 2) << i;
    for (int i : blue) EXPECT_GE(square_row(i), 5) << i;
    EXPECT_EQ(red.front(), 1);
    EXPECT_EQ(blue.back(), 62);
    for (int i = 24; i < 40; i++) EXPECT_EQ(board[i].piece, EMPTY) << i;
    for (const Square& s : board) {
        EXPECT_EQ(s.source_mark, 0);
        EXPECT_EQ(s.target_mark, 0);
        EXPECT_EQ(s.size, SQUARE_SIZE);
    }
}

TEST_F(BoardTest, EightMenLeaveRowsTwoToFiveEmpty) {
    settings.piece_count = 8;
    reset_board();
    EXPECT_EQ(squares_holding(RED_MAN).size(), 8u);
    EXPECT_EQ(squares_holding(BLUE_MAN).size(), 8u);
    for (int i = 16; i < 48; i++) EXPECT_EQ(board[i].piece, EMPTY) << i;
    for (int i : squares_holding(RED_MAN)) EXPECT_LE(square_row(i), 1);
    for (int i : squares_holding(BLUE_MAN)) EXPECT_GE(square_row(i), 6);
}

TEST_F(BoardTest, SquareColoursAndGeometry) {
    reset_board();
    EXPECT_EQ(board[0].light, -1);
    EXPECT_EQ(board[63].light, -1);
    EXPECT_EQ(board[7].light, 0);
    EXPECT_EQ(board[56].light, 0);
    int dark = 0;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        dark += board[i].light == 0;
        EXPECT_EQ(board[i].x, (i % 8) * 58);
        EXPECT_EQ(board[i].y, (i / 8) * 58);
        if (board[i].light) {
            EXPECT_EQ(board[i].piece, EMPTY) << "pieces stand only on dark squares";
        }
    }
    EXPECT_EQ(dark, 32);
}

TEST_F(BoardTest, NewGameStartsBlueWithAClearClock) {
    game.turn = RED;
    game.game_running = 0;
    game.paused_minutes = 12;
    game.paused_seconds = 34;
    new_game();
    EXPECT_EQ(game.turn, BLUE);
    EXPECT_EQ(game.game_running, 1);
    EXPECT_EQ(game.paused_minutes, 0);
    EXPECT_EQ(game.paused_seconds, 0);
}

TEST(Sides, OtherSideTreatsAnythingButOneAsOne) {
    EXPECT_EQ(other_side(1), 2);
    EXPECT_EQ(other_side(2), 1);
    EXPECT_EQ(other_side(0), 1);
    EXPECT_EQ(other_side(7), 1);
}

// Taken before main, so before any test changes the settings.
const Settings INITIAL_SETTINGS = settings;

TEST(Settings, StaticDefaultsBeforeAnyFileIsRead) {
    const Settings& settings = INITIAL_SETTINGS;
    EXPECT_EQ(settings.opponent, OPPONENT_COMPUTER);
    EXPECT_EQ(settings.difficulty, LEVEL_PROFESSIONAL);
    EXPECT_EQ(settings.computer_side, RED);
    EXPECT_EQ(settings.piece_count, 12);
    EXPECT_EQ(settings.music_volume, 255);
    EXPECT_EQ(settings.sound_volume, 255);
    EXPECT_EQ(settings.music_track, 0);
    const int32_t modry[NAME_LEN] = {'M', 'o', 'd', 'r', 0xFD, 0, 0, 0, 0, 0};
    const int32_t rudy[NAME_LEN] = {'R', 'u', 'd', 0xFD, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < NAME_LEN; i++) {
        EXPECT_EQ(settings.player_name[0][i], modry[i]);
        EXPECT_EQ(settings.player_name[1][i], rudy[i]);
    }
}

struct SideNamesTest : BoardTest {
    int32_t a[NAME_LEN], b[NAME_LEN];
    const int32_t computer[NAME_LEN] = {'P', 'o', 0x10D, 0xED, 't', 'a', 0x10D, 0, 0, 0};
    static bool same(const int32_t* x, const int32_t* y) {
        for (int i = 0; i < NAME_LEN; i++)
            if (x[i] != y[i]) return false;
        return true;
    }
};

TEST_F(SideNamesTest, TwoHumansIgnoreTheComputersSide) {
    settings.opponent = OPPONENT_HUMAN;
    for (int side : {BLUE, RED}) {
        settings.computer_side = side;
        side_names(a, b);
        EXPECT_TRUE(same(a, settings.player_name[0]));
        EXPECT_TRUE(same(b, settings.player_name[1]));
    }
}

TEST_F(SideNamesTest, ComputerTakesTheLineOfItsSide) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = BLUE;
    side_names(a, b);
    EXPECT_TRUE(same(a, computer));
    EXPECT_TRUE(same(b, settings.player_name[0]));
    settings.computer_side = RED;
    side_names(a, b);
    EXPECT_TRUE(same(a, settings.player_name[0]));
    EXPECT_TRUE(same(b, computer));
}

TEST(Timers, FastTickWrapsOnlyAfterPassingAMillion) {
    ticks = 999999;
    fast_tick();
    EXPECT_EQ(ticks, 1000000);
    fast_tick();
    EXPECT_EQ(ticks, 0);
}

TEST(Timers, ClockCarriesSecondsIntoMinutes) {
    game_clock = clock_from(4, 58);
    clock_tick();
    EXPECT_EQ(clock_seconds_of(game_clock), 59);
    EXPECT_EQ(clock_minutes_of(game_clock), 4);
    clock_tick();
    EXPECT_EQ(clock_seconds_of(game_clock), 0);
    EXPECT_EQ(clock_minutes_of(game_clock), 5);
}

// The timers run on their own threads while the loop reads the counters:
// every tick counts, and the reader never sees a counter go back.
TEST(Timers, CountersStayExactWhileReadFromAnotherThread) {
    ticks = 0;
    game_clock = 0;
    std::thread fast([] {
        for (int i = 0; i < 200000; i++) fast_tick();
    });
    std::thread clock([] {
        for (int i = 0; i < 6000; i++) clock_tick();
    });
    int last_ticks = 0;
    int last_clock = 0;
    for (int i = 0; i < 100000; i++) {
        const int t = ticks;
        const int c = game_clock;
        ASSERT_GE(t, last_ticks);
        ASSERT_GE(c, last_clock);
        last_ticks = t;
        last_clock = c;
    }
    fast.join();
    clock.join();
    EXPECT_EQ(ticks, 200000);
    EXPECT_EQ(clock_minutes_of(game_clock), 100);
    EXPECT_EQ(clock_seconds_of(game_clock), 0);
}

// The loop resets the counters while the timer thread counts on: a tick
// never writes back a value from before the reset. Whatever the loop takes
// away with each reset plus what is left must add up to the ticks made.
TEST(Timers, AResetBetweenATicksReadAndWriteIsNotUndone) {
    struct Case {
        const char* name;
        std::atomic<int>& counter;
        void (*tick)();
        int ticks;
    };
    const Case cases[] = {
        {"fast", ticks, fast_tick, 400000},
        {"clock", game_clock, clock_tick, 400000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.counter = 0;
        std::atomic<bool> done{false};
        std::thread timer([&] {
            for (int i = 0; i < c.ticks; i++) c.tick();
            done = true;
        });
        long taken = 0;
        while (!done) taken += c.counter.exchange(0);
        timer.join();
        EXPECT_EQ(taken + c.counter, c.ticks);
    }
}

}  // namespace
