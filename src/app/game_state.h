// Application shell: the one board, the settings, the state of the one game
// and the counters the timers drive. No Allegro here: the rules, the computer
// opponent and the file formats build on this without a display.
#pragma once

#include <atomic>
#include <climits>
#include <cstdint>

// Screen geometry of the board; square i = 8*row + column, row 0 at the top.
constexpr int BOARD_ORIGIN_X = 275;
constexpr int BOARD_ORIGIN_Y = 56;
constexpr int SQUARE_SIZE = 58;
constexpr int SQUARE_COUNT = 64;

// Piece codes. A side's man code equals the side; its king code is side + 2.
constexpr int32_t EMPTY = 0;
constexpr int32_t BLUE_MAN = 1;
constexpr int32_t RED_MAN = 2;
constexpr int32_t BLUE_KING = 3;
constexpr int32_t RED_KING = 4;

constexpr int32_t BLUE = 1;  // moves first, starts at the bottom, moves up
constexpr int32_t RED = 2;

constexpr int32_t OPPONENT_COMPUTER = 1;
constexpr int32_t OPPONENT_HUMAN = 2;
constexpr int32_t LEVEL_AMATEUR = 1;
constexpr int32_t LEVEL_PROFESSIONAL = 2;
constexpr int32_t LEVEL_MASTER = 3;  // "mistr": the engine chooses the whole turn
constexpr int32_t TRACK_ALTERNATE = -1;
constexpr int32_t TRACK_DREAM = 1;
constexpr int32_t TRACK_SPRING = 2;

// A player name: ten Unicode code points, 0 after the end of the name.
constexpr int NAME_LEN = 10;
// The names a player starts with, first then second: "Modrý", "Rudý".
constexpr int32_t DEFAULT_NAMES[2][NAME_LEN] = {{'M', 'o', 'd', 'r', 0xFD}, {'R', 'u', 'd', 0xFD}};

struct Square {
    int32_t x;            // left edge relative to the board origin
    int32_t y;            // top edge relative to the board origin
    int32_t size;
    int32_t light;        // -1 on a light square, 0 on a dark one
    int32_t piece;
    int32_t source_mark;  // the piece chosen to move
    int32_t target_mark;  // its destination
};

struct Settings {
    int32_t opponent;
    int32_t difficulty;
    int32_t computer_side;
    int32_t piece_count;
    int32_t music_volume;
    int32_t sound_volume;
    int32_t music_track;
    int32_t player_name[2][NAME_LEN];
};

// The game state apart from the board and the Allegro-owned resources
// (datafile, bitmaps, music player), which live in app/resources.h.
struct GameState {
    int32_t turn;
    int32_t game_running;
    int32_t saved_games_exist;
    int32_t paused_minutes;
    int32_t paused_seconds;
    int32_t final_minutes;
    int32_t final_seconds;
    int32_t current_track;
};

extern Square board[SQUARE_COUNT];
extern Settings settings;
extern GameState game;

// Written by the timer thread, read and reset by the game thread.
extern std::atomic<int> ticks;       // 250 per second
extern std::atomic<int> game_clock;  // seconds of the game clock

// The game clock is one count, so a tick can never be seen half done;
// minutes and seconds are split off only where it is shown or stored.
constexpr int32_t CLOCK_MAX_MINUTES = INT32_MAX / 60 - 1;
inline int32_t clock_minutes_of(int32_t clock) { return clock / 60; }
inline int32_t clock_seconds_of(int32_t clock) { return clock % 60; }
// Minutes 0..CLOCK_MAX_MINUTES and seconds 0..59.
inline int32_t clock_from(int32_t minutes, int32_t seconds) { return minutes * 60 + seconds; }

constexpr int TICKS_PER_SECOND = 250;
constexpr int NOTICE_TICKS = 500;  // every wait is "ticks > 500", just over 2 s

// The timer callbacks' bodies.
void fast_tick();
void clock_tick();

int32_t other_side(int32_t side);
void reset_board();
void new_game();
void side_names(int32_t side1[NAME_LEN], int32_t side2[NAME_LEN]);

inline int square_row(int i) { return i / 8; }
inline int square_col(int i) { return i % 8; }

// Why `piece` cannot stand on square `square` in a game, or null: a code
// other than 0..4, a piece on a light square, or a man on its far row (it
// would have been crowned). Saved games and typed positions both obey this.
const char* placement_fault(int square, int32_t piece);

// A code a name may hold: a Unicode scalar value that prints. Control codes
// (C0, DEL, C1), the 0 of keys that give no character, negative codes,
// surrogates, noncharacters and codes above U+10FFFF are not.
int32_t name_code_printable(int32_t code);
