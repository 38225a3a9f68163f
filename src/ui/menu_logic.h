// Menus and screens: the main menu's decisions apart from Allegro: which
// items are grey, which can be hit, what a click does and what the menu
// finally answers. ui/main_menu.cpp polls, draws and opens the sub-screens.
#pragma once

#include <cstdint>

#include "ui/widgets.h"

enum MenuItem : int32_t {
    ITEM_NEW_GAME = 0,
    ITEM_CONTINUE = 1,
    ITEM_END_GAME = 2,
    ITEM_SETTINGS = 3,
    ITEM_SOUND = 4,
    ITEM_NAMES = 5,
    ITEM_SAVE = 6,
    ITEM_LOAD = 7,
    ITEM_CREDITS = 8,
    ITEM_HELP = 9,
    ITEM_QUIT = 10,
    MENU_ITEM_COUNT = 11
};

// What menu_dispatch opens; a click on item i of 3..9 asks for action i - 2.
enum MenuAction : int32_t {
    ACTION_NONE = 0,
    ACTION_SETTINGS = 1,
    ACTION_SOUND = 2,
    ACTION_NAMES = 3,
    ACTION_SAVE = 4,
    ACTION_LOAD = 5,
    ACTION_CREDITS = 6,
    ACTION_HELP = 7
};

// The main menu's panel, and its lines at a fixed 30-pixel pitch.
constexpr int32_t MENU_LEFT = 50, MENU_RIGHT = 310, MENU_TOP = 50, MENU_BOTTOM = 410;
constexpr int32_t MENU_ITEM_X = 70;
constexpr int32_t MENU_ITEM_Y = 70;
constexpr int32_t MENU_PITCH = 30;

// Item i's creation text, and the text item 1 shows once a loaded game waits.
extern const char* const MENU_TEXTS[MENU_ITEM_COUNT];
extern const char* const MENU_LOADED_TEXT;

// One call of the main menu. The labels belong to the caller; the two widths
// are the menu font's for item 1's two texts.
struct MenuState {
    Label* labels[MENU_ITEM_COUNT];
    int32_t continue_width;  // "<> Pokračovat"
    int32_t loaded_width;    // "<> Spustit načtenou hru"
    ClickTracker click;
    int32_t hover;
    int32_t action;  // MenuAction of this pass, opened after the frame is shown
    int32_t result;  // MenuResult, -1 while the menu stays open
    int32_t loaded;  // a saved game was loaded in this call
};

// Fresh state over the caller's labels.
void menu_start(MenuState& m);

// 1 when the item is drawn grey in the current game state.
int32_t menu_item_disabled(int32_t item);

// label_hit, except that "Pokračovat" and "Ukončit hru" never match without
// a game in progress and "Nastavení hry" never matches with one. The grey
// "Uložit hru" and "Načíst hru" still match: their screens decide.
int32_t menu_hit(const MenuState& m, int32_t mx, int32_t my);

// Input half of a pass: tracker, hover, the click's effect (result, action,
// or "Ukončit hru" abandoning the game while the menu stays open).
void menu_pass(MenuState& m, int32_t mx, int32_t my, int32_t mouse_b);

// After the pass's dispatch, which answered `loaded_now` (1 when the load
// screen loaded a game). Until a game is loaded item 1's box keeps the width
// of "<> Pokračovat"; from the load on, that of the longer text.
void menu_after_dispatch(MenuState& m, int32_t loaded_now);

// How item `item` is drawn this pass, and with which text.
int32_t menu_item_look(const MenuState& m, int32_t item);
const char* menu_item_text(const MenuState& m, int32_t item);

// The key of the menu's picture: each item's look and text.
uint64_t menu_picture_key(const MenuState& m);

// The menu has closed: a new game is set up on "Nová hra", and "Pokračovat"
// after a load means the loaded game. Answers the MenuResult.
int32_t menu_finish(const MenuState& m);
