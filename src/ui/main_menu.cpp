// Menus and screens: the main menu's loop. A sub-screen opens in the pass
// that saw the click, after that pass's frame is shown, on top of it.
#include "ui/main_menu.h"

#include "app/resources.h"
#include "play/game_record.h"
#include "ui/menu_logic.h"
#include "ui/menu_result.h"
#include "ui/names_screen.h"
#include "ui/settings_screen.h"
#include "ui/slots_screen.h"
#include "ui/sound_options_screen.h"
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
            save_game_screen(frame);
            break;
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

namespace {

struct MainMenu {
    MenuState m;
    BITMAP* frame;
    BITMAP* backdrop;
};

int32_t menu_frame_pass(void* data, const FrameInput& in) {
    MenuState& m = static_cast<MainMenu*>(data)->m;
    if (m.result != -1) return FRAME_LEAVE;
    const int32_t running = game.game_running;
    menu_pass(m, in.mouse_x, in.mouse_y, in.mouse_b);
    // "Ukončit hru" leaves the game for good: keep it at once.
    if (running && !game.game_running) keep_game(KEPT_GAMES_PATH);
    return FRAME_SHOW;
}

uint64_t menu_frame_picture(const void* data) { return menu_picture_key(static_cast<const MainMenu*>(data)->m); }

BITMAP* menu_frame_draw(void* data, int32_t&) {
    MainMenu& d = *static_cast<MainMenu*>(data);
    FONT* menu_font = res_font(RES_FONT_MENU);
    blit(d.backdrop, d.frame, 0, 0, 0, 0, d.backdrop->w, d.backdrop->h);
    for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
        const Label& l = *d.m.labels[i];
        textprintf_ex(d.frame, menu_font, l.x, l.y, line_colour(menu_item_look(d.m, i)), -1, "%s",
                      menu_item_text(d.m, i));
    }
    return d.frame;
}

// A sub-screen opens over the frame just shown.
void menu_frame_after(void* data) {
    MainMenu& d = *static_cast<MainMenu*>(data);
    menu_after_dispatch(d.m, menu_dispatch(d.m.action, d.frame));
}

}  // namespace

int32_t main_menu() {
    MainMenu d;
    d.frame = create_bitmap(800, 600);
    d.backdrop = create_bitmap(800, 600);
    FONT* menu_font = res_font(RES_FONT_MENU);

    MenuState& m = d.m;
    for (int32_t i = 0; i < MENU_ITEM_COUNT; i++)
        m.labels[i] = label_new(MENU_TEXTS[i], MENU_ITEM_X, MENU_ITEM_Y + MENU_PITCH * i);
    m.continue_width = text_length(menu_font, MENU_TEXTS[ITEM_CONTINUE]);
    m.loaded_width = text_length(menu_font, MENU_LOADED_TEXT);
    menu_start(m);
    draw_menu_backdrop(MENU_LEFT, MENU_RIGHT, MENU_TOP, MENU_BOTTOM, d.backdrop);

    run_frames({&d, menu_frame_pass, menu_frame_picture, menu_frame_draw, menu_frame_after});

    destroy_bitmap(d.frame);
    destroy_bitmap(d.backdrop);
    delete_labels(m.labels, MENU_ITEM_COUNT);
    // The window's close button ends the program like "Konec".
    if (quit_requested) return MENU_QUIT;
    return menu_finish(m);
}
