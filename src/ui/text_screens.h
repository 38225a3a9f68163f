// Menus and screens: the help and credits screens, shown until the left
// button goes down.
#pragma once

#include <allegro.h>

void help_screen(BITMAP* backdrop);
void credits_screen(BITMAP* backdrop);

// The screens' panels and text drawn into `frame`, as the screens show them.
void draw_help(BITMAP* frame);
void draw_credits(BITMAP* frame);

// A line justified between x1 and x2 by the rule of justify_words
// (ui/text_layout.h), else drawn as it stands at x1. Transparent background.
void draw_justified(BITMAP* bmp, FONT* f, const char* text, int x1, int x2, int y, int diff, int colour);
