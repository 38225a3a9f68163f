// Game play: the play screen's loop. It alternates the sides, turns clicks
// into moves, paces the computer, shows the notices and the end of the game,
// and opens the main menu when the player leaves the board.
#pragma once

#include <cstdint>

// Runs play from the main menu's result until the player quits; 10 returns
// at once. Always answers 0.
int32_t game_loop(int32_t menu_result);

