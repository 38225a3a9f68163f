// Game play: screen arithmetic of the play screen that needs no Allegro, so
// tests can check it without a display.
#pragma once

#include <cstdint>

// "0" for numbers up to 9, else "": each clock number shows at least two digits.
const char* pad_zero(int32_t n);

// Left x of the game clock: three-digit minutes start 5 px further left.
int32_t game_clock_x(int32_t minutes);

// Top-left corner of a picture of the given size centred on a square
// (integer halves, as the pictures are placed).
int32_t centred_left(int32_t square, int32_t width);
int32_t centred_top(int32_t square, int32_t height);

// Whether a human is to move, which decides whether the pointer is drawn.
int32_t human_to_move(int32_t side_to_move);

// Side-panel and panel text colours.
struct Rgb {
    int r, g, b;
};
constexpr Rgb PANEL_GREY_CLOCK = {140, 140, 140};
constexpr Rgb PANEL_GREY_TEXT = {170, 170, 170};
constexpr Rgb NOTICE_TEXT = {220, 220, 250};
constexpr int32_t PANEL_LEFT_X = 46;
constexpr int32_t PANEL_RIGHT_X = 147;
