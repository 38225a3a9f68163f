// Menus and screens: the game settings screen (opponent, level, the
// computer's colour, pieces per side).
#pragma once

#include <allegro.h>

void settings_screen(BITMAP* backdrop);
