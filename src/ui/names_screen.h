// Menus and screens: the players' names editor.
#pragma once

#include <allegro.h>

#include <cstdint>

#include "app/game_state.h"

void names_screen(BITMAP* backdrop);

// A name of ten codes right-aligned at x in the menu font; the first 0 ends it.
void draw_name(BITMAP* bmp, const int32_t name[NAME_LEN], int x, int y, int colour);

// The Unicode code of a waiting key (ureadkey), -1 when none is waiting.
int32_t read_name_key();
