// Game play: the play screen's loop. It alternates the sides, turns clicks
// into moves, paces the computer, shows the notices and the end of the game,
// and opens the main menu when the player leaves the board.
#pragma once

#include <cstdint>

// Runs play from the main menu's result until the player quits; 10 returns
// at once. Always answers 0.
int32_t game_loop(int32_t menu_result);

// START STAND-IN until the main menu exists: start-up calls this where it
// will later call game_loop(main_menu()). Sets two human players, starts a
// new game and plays it until the player leaves the board, which for now
// ends the program.
int32_t play_two_player_game();
