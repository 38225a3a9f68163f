// Menus and screens: the main menu's loop. A sub-screen opens in the pass
// that saw the click, after that pass's frame is shown, on top of it.
#include "ui/main_menu.h"

#include "app/resources.h"
#include "audio/music.h"
#include "audio/sound_options_screen.h"
#include "play/notices.h"
#include "ui/menu_logic.h"
#include "ui/menu_result.h"
#include "ui/names_screen.h"
#include "ui/settings_screen.h"
#include "ui/slots_screen.h"
#include "ui/text_screens.h"
#include "ui/toolkit.h"

int32_t menu_dispatch(int32_t action, BITMAP* frame) {
    switch (action) {
        case ACTION_SETTINGS:
            settings_screen(frame);
            break;
        case ACTION_SOUND:
            sound_options_screen(frame);
            break;
        case ACTION_NAMES:
            names_screen(frame);
            break;
        case ACTION_SAVE:
            return save_game_screen(frame) ? DISPATCH_SAVE_FAILED : DISPATCH_NOTHING;
        case ACTION_LOAD:
            return load_game_screen(frame);
        case ACTION_CREDITS:
            credits_screen(frame);
            break;
        case ACTION_HELP:
            help_screen(frame);
            break;
        default:
            break;
    }
    return 0;
}

int32_t main_menu() {
    BITMAP* frame = create_bitmap(800, 600);
    BITMAP* backdrop = create_bitmap(800, 600);
    FONT* menu_font = res_font(RES_FONT_MENU);

    MenuState m;
    for (int32_t i = 0; i < MENU_ITEM_COUNT; i++)
        m.labels[i] = label_new(MENU_TEXTS[i], MENU_ITEM_X, MENU_ITEM_Y + MENU_PITCH * i);
    m.continue_width = text_length(menu_font, MENU_TEXTS[ITEM_CONTINUE]);
    m.loaded_width = text_length(menu_font, MENU_LOADED_TEXT);
    menu_start(m);
    draw_menu_backdrop(MENU_LEFT, MENU_RIGHT, MENU_TOP, MENU_BOTTOM, backdrop);

    while (m.result == -1 && !quit_requested) {
        poll_mouse();
        menu_pass(m, mouse_x, mouse_y, mouse_b);
        blit(backdrop, frame, 0, 0, 0, 0, backdrop->w, backdrop->h);
        for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
            const Label& l = *m.labels[i];
            textprintf_ex(frame, menu_font, l.x, l.y, line_colour(menu_item_look(m, i)), -1, "%s",
                          menu_item_text(m, i));
        }
        if (const char* notice = menu_notice(m)) notice_box(notice, frame);
        present_frame(frame);
        poll_music();
        menu_after_dispatch(m, menu_dispatch(m.action, frame));
    }

    destroy_bitmap(frame);
    destroy_bitmap(backdrop);
    for (Label*& l : m.labels) {
        delete l;
        l = nullptr;
    }
    // The window's close button ends the program like "Konec".
    if (quit_requested) return MENU_QUIT;
    return menu_finish(m);
}
