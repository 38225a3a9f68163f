// Menus and screens: the five save slots over the toolkit's frame loop. The
// whole file is read when a screen opens and rewritten, all five slots, on a
// save; the slots not chosen go back exactly as they were read.
#include "ui/slots_screen.h"

#include "app/resources.h"
#include "ui/slots_logic.h"
#include "ui/toolkit.h"

namespace {

void draw_value(const Screen& s, int32_t line, BITMAP* frame, int32_t x, int32_t y, int32_t colour) {
    const SlotsScreen& d = *static_cast<const SlotsScreen*>(s.data);
    textprintf_right_ex(frame, res_font(RES_FONT_MENU), x, y, colour, -1, "%s", slot_value_text(d, line));
}

}  // namespace

int32_t save_game_screen(BITMAP* backdrop) {
    if (!game.game_running) return 0;
    SlotsScreen d;
    slots_read(d, SAVED_GAMES_PATH);
    Screen s;
    slots_screen_setup(s, d, 0);
    s.draw_value = draw_value;
    run_screen(s, backdrop);
    // A failed write leaves the old file as it was; the menu tells of it.
    slots_save_chosen(d, SAVED_GAMES_PATH);
    return d.save_failed;
}

int32_t load_game_screen(BITMAP* backdrop) {
    SlotsScreen d;
    if (!slots_read(d, SAVED_GAMES_PATH) || !slots_any_saved(d.games)) return 0;
    Screen s;
    slots_screen_setup(s, d, 1);
    s.draw_value = draw_value;
    run_screen(s, backdrop);
    return slots_load_chosen(d);
}
