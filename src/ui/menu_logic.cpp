// Menus and screens: the main menu's rules.
#include "ui/menu_logic.h"

#include "app/game_state.h"
#include "ui/frame_logic.h"
#include "ui/menu_result.h"

const char* const MENU_TEXTS[MENU_ITEM_COUNT] = {
    "<> Nová hra",    "<> Pokračovat", "<> Ukončit hru", "<> Nastavení hry", "<> Zvukové volby", "<> Editace jmen",
    "<> Uložit hru",  "<> Načíst hru", "<> Autoři",      "<> Nápověda",      "<> Konec"};
const char* const MENU_LOADED_TEXT = "<> Spustit načtenou hru";

void menu_start(MenuState& m) {
    m.click = CLICK_IDLE;
    m.hover = -1;
    m.action = ACTION_NONE;
    m.result = -1;
    m.loaded = 0;
}

int32_t menu_item_disabled(int32_t item) {
    switch (item) {
        case ITEM_CONTINUE:
        case ITEM_END_GAME:
        case ITEM_SAVE:
            return game.game_running ? 0 : 1;
        case ITEM_SETTINGS:
            return game.game_running ? 1 : 0;
        case ITEM_LOAD:
            return game.saved_games_exist ? 0 : 1;
        default:
            return 0;
    }
}

int32_t menu_hit(const MenuState& m, int32_t mx, int32_t my) {
    for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
        if ((i == ITEM_CONTINUE || i == ITEM_END_GAME || i == ITEM_SETTINGS) && menu_item_disabled(i)) continue;
        if (label_hit(mx, my, &m.labels[i], 1) == 0) return i;
    }
    return -1;
}

void menu_pass(MenuState& m, int32_t mx, int32_t my, int32_t mouse_b) {
    track_click(m.click, mouse_b);
    m.hover = menu_hit(m, mx, my);
    m.action = ACTION_NONE;
    if (m.click != CLICK_CLICKED) return;
    switch (m.hover) {
        case -1:
            break;
        case ITEM_NEW_GAME:
            m.result = MENU_NEW_GAME;
            break;
        case ITEM_CONTINUE:
            m.result = MENU_CONTINUE;
            break;
        case ITEM_END_GAME:
            game.game_running = 0;
            break;
        case ITEM_QUIT:
            m.result = MENU_QUIT;
            break;
        default:
            m.action = m.hover - 2;
            break;
    }
}

void menu_after_dispatch(MenuState& m, int32_t loaded_now) {
    if (m.loaded) return;
    m.loaded = loaded_now == 1 ? 1 : 0;
    m.labels[ITEM_CONTINUE]->w = m.loaded ? m.loaded_width : m.continue_width;
}

int32_t menu_item_look(const MenuState& m, int32_t item) {
    if (menu_item_disabled(item)) return LOOK_DISABLED;
    return item == m.hover ? LOOK_HIGHLIGHT : LOOK_NORMAL;
}

const char* menu_item_text(const MenuState& m, int32_t item) {
    if (item == ITEM_CONTINUE && m.loaded && game.game_running) return MENU_LOADED_TEXT;
    return MENU_TEXTS[item];
}

int32_t menu_finish(const MenuState& m) {
    if (m.result == MENU_NEW_GAME) new_game();
    if (m.result == MENU_CONTINUE && m.loaded) return MENU_LOADED;
    return m.result;
}

uint64_t menu_picture_key(const MenuState& m) {
    uint64_t key = PICTURE_KEY_START;
    for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
        key = picture_key(key, menu_item_look(m, i));
        key = picture_key(key, menu_item_text(m, i));
    }
    return key;
}
