// Menus and screens: the game settings screen's rules apart from Allegro:
// which lines are grey, what a click toggles, what stands beside each line.
// ui/settings_screen.cpp runs it through run_screen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/widgets.h"

enum SettingsLine : int32_t {
    SETTINGS_OPPONENT = 0,
    SETTINGS_LEVEL = 1,
    SETTINGS_COMPUTER_SIDE = 2,
    SETTINGS_PIECES = 3,
    SETTINGS_LEAVE = 4,
    SETTINGS_LINE_COUNT = 5
};

// Fills the panel, the lines and the callbacks; the drawing side adds
// draw_value.
void settings_screen_setup(Screen& s);

// 1 when the line is grey and cannot be hit.
int32_t settings_line_disabled(int32_t line);

// The value shown beside a line, into `buf`; "" for "<> Opustit".
const char* settings_value_text(int32_t line, char* buf, size_t size);
