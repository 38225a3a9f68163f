// Menus and screens: the main menu, the hub every other screen is opened
// from. Answers a MenuResult (ui/menu_result.h).
#pragma once

#include <allegro.h>

#include <cstdint>

int32_t main_menu();

// Opens the sub-screen of an action code (1 settings, 2 sound options,
// 3 names, 4 save, 5 load, 6 credits, 7 help) over `frame`; answers a
// DispatchAnswer (ui/menu_logic.h).
int32_t menu_dispatch(int32_t action, BITMAP* frame);
