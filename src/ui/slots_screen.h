// Menus and screens: the five save slots, for saving and for loading.
#pragma once

#include <allegro.h>

#include <cstdint>

// 1 when a slot was chosen and could not be saved, else 0.
int32_t save_game_screen(BITMAP* backdrop);
// 1 when a saved game was loaded into the game state, else 0.
int32_t load_game_screen(BITMAP* backdrop);
