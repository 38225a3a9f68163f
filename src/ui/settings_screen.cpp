// Menus and screens: the game settings screen over the toolkit's frame loop.
#include "ui/settings_screen.h"

#include "app/resources.h"
#include "ui/settings_logic.h"
#include "ui/toolkit.h"

namespace {

void draw_value(const Screen&, int32_t line, BITMAP* frame, int32_t x, int32_t y, int32_t colour) {
    char buf[16];
    textprintf_right_ex(frame, res_font(RES_FONT_MENU), x, y, colour, -1, "%s", settings_value_text(line, buf, sizeof buf));
}

}  // namespace

void settings_screen(BITMAP* backdrop) {
    Screen s;
    settings_screen_setup(s);
    s.draw_value = draw_value;
    run_screen(s, backdrop);
}
