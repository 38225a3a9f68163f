// Whole games of the computer against itself, as the game loop plays them.
// The driver is apart from the selfplay command so the unit tests can run
// many games without a process.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "notation/pdn.h"

// Exit status of selfplay when an invariant broke (bad input stays 2).
constexpr int CLI_INVARIANT_BROKEN = 1;
// Exit status of selfplay stopped by SIGINT or SIGTERM, as a shell reports Ctrl-C.
constexpr int CLI_INTERRUPTED = 130;

// Single moves (each jump of a chain counts) after which a game is taken as
// endless. The draw rule ends every game long before: at most 17 moves pass
// without a man moving or a capture, and men can move and pieces be taken
// only a few hundred times in one game.
constexpr int64_t SELFPLAY_MOVE_CAP = 4000;

struct SelfplayTotals {
    int64_t games;
    int64_t blue_wins;
    int64_t red_wins;
    int64_t draws;
    int64_t single_moves;  // every perform_move, summed over all games
};

// Hears of each finished game: its number from 1, the winner (1, 2) or 0 for
// a draw, and its turns. Answering false ends the run after that game.
using SelfplayGameFn = std::function<bool(int64_t game, int32_t winner, const std::vector<PdnTurn>& turns)>;

// Plays `games` games from the opening with `piece_count` men a side, the
// computer on both sides at the given levels (LEVEL_AMATEUR or
// LEVEL_PROFESSIONAL), after srand(seed), the way the game loop does: one
// choose_computer_move per move or jump, perform_move, then game_result and
// draw_check. Every chosen move is also put to the acceptance rule a human's
// move must pass. Answers false at the first broken invariant, with a
// description and the position in `failure`. Settings and game state are
// restored afterwards; the board holds the last position.
bool run_selfplay(int64_t games, int32_t blue_level, int32_t red_level, int32_t piece_count, unsigned seed,
                  SelfplayTotals& totals, std::string& failure, const SelfplayGameFn& on_game = nullptr);
