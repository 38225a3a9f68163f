// Menus and screens: labels, panels and the sub-screen frame loop.
#include "ui/toolkit.h"

#include "app/resources.h"
#include "audio/music.h"

int line_colour(int32_t look) {
    const LineColour c = look == LOOK_HIGHLIGHT  ? COLOUR_HIGHLIGHT
                         : look == LOOK_DISABLED ? COLOUR_DISABLED
                                                 : COLOUR_NORMAL;
    return makecol(c.r, c.g, c.b);
}

Label* label_new(const char* text, int32_t x, int32_t y) {
    FONT* menu_font = res_font(RES_FONT_MENU);
    Label* label = new Label;
    label->x = x;
    label->y = y;
    label->w = text_length(menu_font, text);
    label->h = text_height(menu_font);
    label->text = text;
    return label;
}

void draw_label(BITMAP* bmp, const Label& label, int colour) {
    textprintf_ex(bmp, res_font(RES_FONT_MENU), label.x, label.y, colour, -1, "%s", label.text);
}

void draw_panel(int32_t x1, int32_t x2, int32_t y1, int32_t y2, BITMAP* bmp) {
    BITMAP* shade = create_bitmap(x2 - x1, y2 - y1);
    if (shade != nullptr) {
        clear_to_color(shade, makecol(0, 0, 0));
        set_trans_blender(0, 0, 0, PANEL_SHADE_ALPHA);
        draw_trans_sprite(bmp, shade, x1, y1);
        destroy_bitmap(shade);
    }
    rect(bmp, x1, y1, x2, y2, makecol(COLOUR_FRAME.r, COLOUR_FRAME.g, COLOUR_FRAME.b));
}

void draw_menu_backdrop(int32_t x1, int32_t x2, int32_t y1, int32_t y2, BITMAP* bmp) {
    blit(res_bitmap(RES_MENU_BACKGROUND), bmp, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    draw_panel(x1, x2, y1, y2, bmp);
}

void present_frame(BITMAP* frame, bool with_pointer) {
    // While shown on a bitmap the pointer is redrawn there from Allegro's
    // timer thread whenever the mouse moves, which would race with the blit
    // reading the frame. Frozen, only show_mouse draws and removes it here;
    // the timer mutex show_mouse takes orders the flag for that thread.
    if (with_pointer) {
        freeze_mouse_flag = TRUE;
        show_mouse(frame);
    }
    blit(frame, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    if (with_pointer) {
        show_mouse(nullptr);
        freeze_mouse_flag = FALSE;
    }
}

void run_screen(Screen& s, BITMAP* backdrop) {
    BITMAP* frame = create_bitmap(800, 600);
    s.hover = -1;
    s.click = CLICK_IDLE;
    s.done = 0;
    const int32_t pitch = text_height(res_font(RES_FONT_MENU));
    for (int32_t i = 0; i < s.count; i++) s.labels[i] = label_new(s.texts[i], s.left + 20, screen_line_y(s, i, pitch));
    for (int32_t i = s.count; i < SCREEN_MAX_LINES; i++) s.labels[i] = nullptr;
    draw_panel(s.left, s.right, s.top, s.bottom, backdrop);

    while (!s.done && !quit_requested) {
        poll_mouse();
        screen_pass(s, mouse_x, mouse_y, mouse_b);
        blit(backdrop, frame, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        for (int32_t i = 0; i < s.count; i++) {
            const int colour = line_colour(screen_line_look(s, i));
            Label shown = *s.labels[i];
            if (s.text != nullptr) shown.text = s.text(s, i);
            draw_label(frame, shown, colour);
            if (s.draw_value != nullptr) s.draw_value(s, i, frame, s.right - 20, s.labels[i]->y, colour);
        }
        present_frame(frame);
        poll_music();
    }

    destroy_bitmap(frame);
    for (int32_t i = 0; i < s.count; i++) {
        delete s.labels[i];
        s.labels[i] = nullptr;
    }
}
