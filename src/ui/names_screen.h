// Menus and screens: the players' names editor.
#pragma once

#include <allegro.h>

#include <cstdint>

void names_screen(BITMAP* backdrop);

// The Unicode code of a waiting key (ureadkey), -1 when none is waiting.
int32_t read_name_key();
