// Menus and screens: the names editor over the screen toolkit. The rules are
// in ui/names_logic.cpp; here are the key source and the drawing of a name.
#include "ui/names_screen.h"

#include "app/resources.h"
#include "ui/names_logic.h"
#include "ui/toolkit.h"

namespace {

void empty_keyboard_buffer() { clear_keybuf(); }

void draw_line_value(const Screen& s, int32_t index, BITMAP* frame, int32_t x, int32_t y, int32_t colour) {
    if (index == NAMES_LEAVE) return;
    draw_name(frame, static_cast<const NamesEditor*>(s.data)->edit[index], x, y, colour);
}

}  // namespace

void draw_name(BITMAP* bmp, const int32_t name[NAME_LEN], int x, int y, int colour) {
    const int32_t* n = name;
    // Allegro's %c writes a code as one UTF-8 character; the first 0 ends the text.
    textprintf_right_ex(bmp, res_font(RES_FONT_MENU), x, y, colour, -1, "%c%c%c%c%c%c%c%c%c%c", n[0], n[1], n[2], n[3],
                        n[4], n[5], n[6], n[7], n[8], n[9]);
}

void names_screen(BITMAP* backdrop) {
    NamesEditor editor = {};
    names_begin(editor, settings);
    editor.read_key = read_name_key;
    editor.clear_keys = empty_keyboard_buffer;
    Screen s = {};
    names_setup(s, editor);
    s.draw_value = draw_line_value;
    run_screen(s, backdrop);
    names_finish(editor, settings);
}

int32_t read_name_key() {
    if (!keypressed()) return -1;
    return ureadkey(nullptr);
}
