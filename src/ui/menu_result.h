// Menus and screens: what the main menu tells its caller.
#pragma once

#include <cstdint>

enum MenuResult : int32_t {
    MENU_CONTINUE = 0,  // resume the game in progress
    MENU_NEW_GAME = 1,  // a new game has been set up
    MENU_LOADED = 2,    // a saved game has been loaded
    MENU_QUIT = 10      // "Konec"
};
