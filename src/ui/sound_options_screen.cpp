// Menus and screens: the sound options screen's Allegro side. Not a
// run_screen screen: it acts while the button is held, not on release.
#include "ui/sound_options_screen.h"

#include <cstdio>

#include "app/game_state.h"
#include "app/resources.h"
#include "audio/music.h"
#include "ui/sound_options.h"
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

struct SoundScreen {
    SoundOptions s;
    BITMAP* backdrop;
    BITMAP* frame;
};

int32_t sound_frame_pass(void* data, const FrameInput& in) {
    SoundOptions& s = static_cast<SoundScreen*>(data)->s;
    if (s.done) return FRAME_LEAVE;
    const SoundOutput out =
        sound_options_pass(s, {in.mouse_x, in.mouse_y, in.mouse_b, ticks, music_stream != nullptr ? 1 : 0});
    if (out.ticks_reset) ticks = 0;
    s.music = sound_options_music(out);
    return FRAME_SHOW;
}

uint64_t sound_frame_picture(const void* data) { return sound_picture_key(static_cast<const SoundScreen*>(data)->s); }

BITMAP* sound_frame_draw(void* data, int32_t&) {
    SoundScreen& d = *static_cast<SoundScreen*>(data);
    blit(d.backdrop, d.frame, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    draw_screen(d.frame, d.s);
    return d.frame;
}

}  // namespace

void sound_options_screen(BITMAP* backdrop) {
    SoundScreen d;
    d.backdrop = backdrop;
    d.frame = create_bitmap(800, 600);
    if (d.frame == nullptr) return;
    SoundOptions& s = d.s;
    sound_options_start(s);
    s.music = music_stream != nullptr ? 1 : 0;
    const int32_t th = text_height(res_font(RES_FONT_MENU));
    for (int32_t i = 0; i < SOUND_LINES; i++) {
        int32_t x = 0, y = 0;
        sound_line_place(i, th, x, y);
        s.labels[i] = label_new(SOUND_LINE_TEXTS[i], x, y);
    }
    draw_panel(SOUND_PANEL_LEFT, SOUND_PANEL_RIGHT, SOUND_PANEL_TOP, SOUND_PANEL_BOTTOM, backdrop);
    run_frames({&d, sound_frame_pass, sound_frame_picture, sound_frame_draw, nullptr});
    destroy_bitmap(d.frame);
    delete_labels(s.labels, SOUND_LINES);
}
