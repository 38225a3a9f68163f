// Game play: the pictures that interrupt play: the short notices of a chain
// and of a refused move, and the win and draw panels with the total time.
#pragma once

#include <allegro.h>

#include <cstdint>

#include "play/notice_codes.h"

void notice_box(const char* text, BITMAP* target);
void win_message(int32_t winning_side, int32_t minutes, int32_t seconds, BITMAP* target);
void draw_message(int32_t minutes, int32_t seconds, BITMAP* target);
