// Menus and screens: the sound options screen (music and effects volume, the track).
#pragma once

#include <allegro.h>

void sound_options_screen(BITMAP* backdrop);
