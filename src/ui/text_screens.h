// Menus and screens: the help and credits screens, shown until the left
// button goes down.
#pragma once

#include <allegro.h>

void help_screen(BITMAP* backdrop);
void credits_screen(BITMAP* backdrop);
