// Game play: the pictures that interrupt play: the short notices of a chain
// and of a refused move, and the win and draw panels with the total time.
#pragma once

#include <allegro.h>

#include <cstdint>

// Values of the game loop's `notice`.
enum Notice {
    NOTICE_NONE = 0,
    NOTICE_NEXT_JUMP = 1,     // "Další skok"
    NOTICE_CAPTURE_MAN = 2,   // "Skákat kamenem"
    NOTICE_CAPTURE_KING = 3,  // "Skákat dámou"
    NOTICE_WON = 4,
    NOTICE_DRAWN = 5
};

void notice_box(const char* text, BITMAP* target);
void win_message(int32_t winning_side, int32_t minutes, int32_t seconds, BITMAP* target);
void draw_message(int32_t minutes, int32_t seconds, BITMAP* target);
