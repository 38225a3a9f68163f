// Menus and screens: the game's window. Every screen draws an 800x600
// picture; the window shows it a whole number of times larger, chosen at
// start-up from the desktop's size or by Data/allegro.cfg's [talvena] scale.
#pragma once

#include <cstdint>

// Sets the graphics mode for the window at the chosen scale, or at 1 when
// that mode cannot be had; names the window's class after the game. Answers
// 0, or set_gfx_mode's failure when not even the 800x600 window opens.
int open_game_window();

// How many times larger the window shows the picture (1 before it opens).
int32_t window_scale_now();
