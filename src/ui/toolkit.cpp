// Menus and screens: labels, panels and the frame loop.
#include "ui/toolkit.h"

#include <chrono>
#include <thread>

#include "app/game_state.h"
#include "app/resources.h"
#include "audio/music.h"
#include "ui/window.h"

namespace {

// Frames put on the screen so far, by any loop: a loop whose screen was
// covered by another one's frames draws its own again.
int64_t frames_presented = 0;

int64_t now_us() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

MouseLatch mouse_latch;

// Allegro calls this on its input thread after each change of the mouse,
// with mouse_x, mouse_y and mouse_b just written by that thread; the game
// thread reads the mouse only through the latch, in picture coordinates.
void on_mouse(int) { latch_mouse(mouse_latch, picture_mouse({mouse_x, mouse_y, mouse_b}, window_scale_now())); }

BITMAP* under_pointer = nullptr;  // what the pointer covers in a frame while shown

}  // namespace

void latch_mouse_input() {
    // Never polled: a polled mouse reports only the buttons at each poll,
    // and loses a press and release that fall between two. The place before
    // the first change is taken here, before the input thread takes over.
    on_mouse(0);
    mouse_callback = on_mouse;
}

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
    blit(res_bitmap(RES_MENU_BACKGROUND), bmp, 0, 0, 0, 0, PICTURE_W, PICTURE_H);
    draw_panel(x1, x2, y1, y2, bmp);
}

void present_frame(BITMAP* frame, bool with_pointer) {
    // The pointer is drawn here, on this thread, and taken off again, so
    // the frame leaves as it came. Allegro's own show_mouse would redraw it
    // from its timer thread while the blit reads the frame.
    BITMAP* sprite = mouse_sprite;
    if (with_pointer && sprite != nullptr && under_pointer == nullptr) under_pointer = create_bitmap(sprite->w, sprite->h);
    const bool pointer = with_pointer && sprite != nullptr && under_pointer != nullptr;
    const MouseState m = mouse_now(mouse_latch);
    const int px = m.x - mouse_x_focus, py = m.y - mouse_y_focus;
    if (pointer) {
        blit(frame, under_pointer, px, py, 0, 0, sprite->w, sprite->h);
        draw_sprite(frame, sprite, px, py);
    }
    const int32_t scale = window_scale_now();
    if (scale > 1)
        stretch_blit(frame, screen, 0, 0, PICTURE_W, PICTURE_H, 0, 0, PICTURE_W * scale, PICTURE_H * scale);
    else
        blit(frame, screen, 0, 0, 0, 0, PICTURE_W, PICTURE_H);
    if (pointer) blit(under_pointer, frame, 0, 0, px, py, sprite->w, sprite->h);
    frames_presented++;
}

void run_frames(const FrameScreen& s) {
    FramePacer pacer = {0};
    bool shown = false;  // this loop's picture is what the screen shows
    uint64_t shown_key = 0;
    int64_t shown_at = 0;  // frames_presented after this loop's last frame
    while (!quit_requested) {
        poll_keyboard();
        const MouseState mouse = take_mouse(mouse_latch);
        const FrameInput in = {mouse.x, mouse.y, mouse.buttons};
        const MouseState pointer = mouse_now(mouse_latch);
        const int32_t step = s.pass(s.data, in);
        if (step == FRAME_LEAVE) break;
        if (step == FRAME_SHOW) {
            uint64_t key = s.picture != nullptr ? s.picture(s.data) : PICTURE_KEY_START;
            key = picture_key(picture_key(key, pointer.x), pointer.y);
            if (s.picture == nullptr || !shown || key != shown_key || shown_at != frames_presented) {
                int32_t with_pointer = 1;
                BITMAP* frame = s.draw(s.data, with_pointer);
                present_frame(frame, with_pointer != 0);
                shown = true;
                shown_key = key;
                shown_at = frames_presented;
            }
        }
        poll_music();
        if (s.after != nullptr) s.after(s.data);
        const int64_t sleep = frame_sleep_us(pacer, now_us());
        if (sleep > 0) std::this_thread::sleep_for(std::chrono::microseconds(sleep));
    }
}

void delete_labels(Label** labels, int32_t count) {
    for (int32_t i = 0; i < count; i++) {
        delete labels[i];
        labels[i] = nullptr;
    }
}

namespace {

struct SubScreen {
    Screen* screen;
    BITMAP* backdrop;
    BITMAP* frame;
};

int32_t sub_screen_pass(void* data, const FrameInput& in) {
    Screen& s = *static_cast<SubScreen*>(data)->screen;
    if (s.done) return FRAME_LEAVE;
    screen_pass(s, in.mouse_x, in.mouse_y, in.mouse_b);
    return FRAME_SHOW;
}

uint64_t sub_screen_picture(const void* data) {
    return screen_picture_key(*static_cast<const SubScreen*>(data)->screen);
}

BITMAP* sub_screen_draw(void* data, int32_t&) {
    SubScreen& d = *static_cast<SubScreen*>(data);
    const Screen& s = *d.screen;
    blit(d.backdrop, d.frame, 0, 0, 0, 0, PICTURE_W, PICTURE_H);
    for (int32_t i = 0; i < s.count; i++) {
        const int colour = line_colour(screen_line_look(s, i));
        Label shown = *s.labels[i];
        if (s.text != nullptr) shown.text = s.text(s, i);
        draw_label(d.frame, shown, colour);
        if (s.draw_value != nullptr) s.draw_value(s, i, d.frame, s.right - 20, s.labels[i]->y, colour);
    }
    return d.frame;
}

}  // namespace

void run_screen(Screen& s, BITMAP* backdrop) {
    SubScreen d = {&s, backdrop, create_bitmap(800, 600)};
    if (d.frame == nullptr) return;
    s.hover = -1;
    s.click = CLICK_IDLE;
    s.done = 0;
    const int32_t pitch = text_height(res_font(RES_FONT_MENU));
    for (int32_t i = 0; i < s.count; i++) s.labels[i] = label_new(s.texts[i], s.left + 20, screen_line_y(s, i, pitch));
    for (int32_t i = s.count; i < SCREEN_MAX_LINES; i++) s.labels[i] = nullptr;
    draw_panel(s.left, s.right, s.top, s.bottom, backdrop);
    run_frames({&d, sub_screen_pass, sub_screen_picture, sub_screen_draw, nullptr});
    destroy_bitmap(d.frame);
    delete_labels(s.labels, s.count);
}
