// Menus and screens: the names editor over the screen toolkit. The rules are
// in ui/names_logic.cpp; here are the key source and the drawing of a name.
#include "ui/names_screen.h"

#include "app/resources.h"
#include "ui/names_logic.h"
#include "ui/toolkit.h"

namespace {

void empty_keyboard_buffer() { clear_keybuf(); }

constexpr int32_t VALUE_GAP = 8;  // least room between a label and its value, or the panel's edge

// Allegro's %c writes a code as one UTF-8 character; the first 0 ends the text.
void name_text(char* out, int size, const int32_t n[NAME_LEN]) {
    uszprintf(out, size, "%c%c%c%c%c%c%c%c%c%c", n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9]);
}

void draw_line_value(const Screen& s, int32_t index, BITMAP* frame, int32_t x, int32_t y, int32_t colour) {
    if (index == NAMES_LEAVE) return;
    char text[64];
    name_text(text, sizeof text, static_cast<const NamesEditor*>(s.data)->edit[index]);
    FONT* font = res_font(RES_FONT_MENU);
    // A name wider than the room beside its label moves right, up to the
    // panel's edge, and gives up whole characters at its start (the end, where
    // typing goes on, stays) until it fits; the label is never touched.
    const Label& label = *s.labels[index];
    const int32_t room_left = label.x + label.w + VALUE_GAP;
    const char* shown = text;
    while (text_length(font, shown) > s.right - VALUE_GAP - room_left) shown += uwidth(shown);
    const int32_t width = text_length(font, shown);
    if (x - width < room_left) x = room_left + width;
    textprintf_right_ex(frame, font, x, y, colour, -1, "%s", shown);
}

}  // namespace

void draw_name(BITMAP* bmp, const int32_t name[NAME_LEN], int x, int y, int colour) {
    char text[64];
    name_text(text, sizeof text, name);
    textprintf_right_ex(bmp, res_font(RES_FONT_MENU), x, y, colour, -1, "%s", text);
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
