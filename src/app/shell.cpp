// Application shell: the run between start-up and shutdown. Until the main
// menu exists, play starts at once with a new two-player game; leaving the
// board ends the program.
#include "app/shell.h"

#include "play/game_loop.h"

void run_game() { play_two_player_game(); }
