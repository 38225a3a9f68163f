// Audio: the sound options screen's Allegro loop. It runs its own loop
// rather than run_screen: it acts while the button is held, not on release.
#include "audio/sound_options_screen.h"

#include <cstdio>

#include "app/game_state.h"
#include "app/resources.h"
#include "audio/music.h"
#include "audio/sound_options.h"
#include "ui/toolkit.h"

namespace {

void draw_text(BITMAP* frame, const Label* at, int32_t look, const char* format, const char* text) {
    textprintf_ex(frame, res_font(RES_FONT_MENU), at->x, at->y, line_colour(look), -1, format, text);
}

void draw_value(BITMAP* frame, int32_t y, int32_t look, const char* text) {
    textprintf_right_ex(frame, res_font(RES_FONT_MENU), SOUND_VALUE_X, y, line_colour(look), -1, "%s", text);
}

void draw_volume_row(BITMAP* frame, const SoundOptions& s, int32_t down, int32_t up, int32_t first_text,
                     const char* word, int32_t volume) {
    const int32_t word_look = sound_text_look(s, first_text + 1);
    draw_text(frame, s.labels[down], sound_text_look(s, first_text), "%s", "<>");
    draw_text(frame, s.labels[down], word_look, "   %s", word);
    draw_text(frame, s.labels[up], sound_text_look(s, first_text + 2), "%s", "<>");
    char percent[16];
    std::snprintf(percent, sizeof percent, "%d%%", static_cast<int>(volume_percent(volume)));
    draw_value(frame, s.labels[down]->y, word_look, percent);
}

void draw_screen(BITMAP* frame, const SoundOptions& s) {
    draw_volume_row(frame, s, SOUND_MUSIC_DOWN, SOUND_MUSIC_UP, TEXT_MUSIC_LEFT, "Hudba", settings.music_volume);
    draw_volume_row(frame, s, SOUND_EFFECTS_DOWN, SOUND_EFFECTS_UP, TEXT_EFFECTS_LEFT, "Zvuk", settings.sound_volume);
    const int32_t track_look = sound_text_look(s, TEXT_TRACK);
    draw_text(frame, s.labels[SOUND_TRACK], track_look, "<> %s", "Skladby");
    draw_value(frame, s.labels[SOUND_TRACK]->y, track_look, track_name(settings.music_track));
    draw_text(frame, s.labels[SOUND_LEAVE], sound_text_look(s, TEXT_LEAVE), "<> %s", "Opustit");
}

}  // namespace

void sound_options_screen(BITMAP* backdrop) {
    BITMAP* frame = create_bitmap(800, 600);
    if (frame == nullptr) return;
    SoundOptions s;
    sound_options_start(s);
    const int32_t th = text_height(res_font(RES_FONT_MENU));
    for (int32_t i = 0; i < SOUND_LINES; i++) {
        int32_t x = 0, y = 0;
        sound_line_place(i, th, x, y);
        s.labels[i] = label_new(SOUND_LINE_TEXTS[i], x, y);
    }
    draw_panel(SOUND_PANEL_LEFT, SOUND_PANEL_RIGHT, SOUND_PANEL_TOP, SOUND_PANEL_BOTTOM, backdrop);

    while (!s.done && !quit_requested) {
        poll_mouse();
        sound_options_pass(s, mouse_x, mouse_y, mouse_b);
        blit(backdrop, frame, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        draw_screen(frame, s);
        present_frame(frame);
        poll_music();
    }

    destroy_bitmap(frame);
    for (Label*& label : s.labels) {
        delete label;
        label = nullptr;
    }
}
