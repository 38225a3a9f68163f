// Menus and screens: hit tests, click tracking and the input side of a
// screen pass.
#include "ui/widgets.h"

#include "app/game_state.h"
#include "ui/frame_logic.h"

int32_t label_hit(int32_t mx, int32_t my, Label* const* labels, int32_t count) {
    for (int32_t i = 0; i < count; i++) {
        const Label* l = labels[i];
        if (l == nullptr) continue;
        if (l->x < mx && mx <= l->x + l->w && l->y < my && my <= l->y + l->h) return i;
    }
    return -1;
}

void track_click(ClickTracker& click, int32_t mouse_b) {
    const bool down = (mouse_b & 1) != 0;
    if (click == CLICK_CLICKED) click = CLICK_IDLE;
    if (down && click == CLICK_IDLE) click = CLICK_PRESSED;
    if (!down && click == CLICK_PRESSED) click = CLICK_CLICKED;
}

void screen_pass(Screen& s, int32_t mx, int32_t my, int32_t mouse_b) {
    track_click(s.click, mouse_b);
    s.hover = s.hit != nullptr ? s.hit(s, mx, my) : label_hit(mx, my, s.labels, s.count);
    if (s.click == CLICK_CLICKED && s.hover >= 0 && s.act != nullptr) s.act(s, s.hover);
    if (s.update != nullptr) s.update(s);
}

int32_t screen_line_look(const Screen& s, int32_t index) {
    const int32_t look = s.look != nullptr ? s.look(s, index) : LOOK_NORMAL;
    if (look == LOOK_DISABLED) return LOOK_DISABLED;
    if (look == LOOK_HIGHLIGHT || index == s.hover) return LOOK_HIGHLIGHT;
    return LOOK_NORMAL;
}

int32_t screen_line_y(const Screen& s, int32_t index, int32_t pitch) {
    int32_t y = s.top + 20 + index * pitch;
    if (index == s.count - 1) y += 20;
    return y;
}

uint64_t screen_picture_key(const Screen& s) {
    uint64_t key = picture_key(PICTURE_KEY_START, settings);
    for (int32_t i = 0; i < s.count; i++) {
        key = picture_key(key, screen_line_look(s, i));
        key = picture_key(key, s.text != nullptr ? s.text(s, i) : s.texts[i]);
    }
    if (s.data != nullptr) key = picture_key_bytes(key, s.data, s.data_bytes);
    return key;
}
