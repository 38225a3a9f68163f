// Menus and screens: sound options: actions repeat while the button is held, each
// after a shorter wait, so a volume can be run up or down in one press.
#include "ui/sound_options.h"

#include <algorithm>

#include "app/game_state.h"
#include "audio/music.h"
#include "ui/frame_logic.h"

namespace {

constexpr int32_t VOLUME_STEP = 5;
constexpr int32_t DELAY_STEP = 5;

// A hand-edited settings file may hold a volume that is no multiple of the
// step; the stepped value still stays a volume.
void step_volume(int32_t& volume, int32_t delta) { volume = std::clamp(volume + delta, 0, 255); }

int32_t next_track_choice(int32_t track) {
    if (track == TRACK_DREAM) return TRACK_SPRING;
    if (track == TRACK_SPRING) return TRACK_ALTERNATE;
    if (track == TRACK_ALTERNATE) return TRACK_DREAM;
    return track;
}

void act(SoundOptions& s) {
    const int32_t music = s.music;
    switch (s.hover) {
    case SOUND_MUSIC_DOWN:
        if (music && settings.music_volume > 0) step_volume(settings.music_volume, -VOLUME_STEP);
        break;
    case SOUND_EFFECTS_DOWN:
        if (settings.sound_volume > 0) step_volume(settings.sound_volume, -VOLUME_STEP);
        break;
    case SOUND_MUSIC_UP:
        if (music && settings.music_volume <= 254) step_volume(settings.music_volume, VOLUME_STEP);
        break;
    case SOUND_EFFECTS_UP:
        if (settings.sound_volume <= 254) step_volume(settings.sound_volume, VOLUME_STEP);
        break;
    case SOUND_TRACK:
        if (music) settings.music_track = next_track_choice(settings.music_track);
        break;
    case SOUND_LEAVE:
        s.done = 1;
        break;
    default:
        break;
    }
}

// The look of a text that belongs to `line_a` or `line_b`, in a row that
// is disabled when `disabled`.
int32_t row_look(const SoundOptions& s, int32_t disabled, int32_t line_a, int32_t line_b) {
    if (disabled) return LOOK_DISABLED;
    return s.hover == line_a || s.hover == line_b ? LOOK_HIGHLIGHT : LOOK_NORMAL;
}

}  // namespace

const char* const SOUND_LINE_TEXTS[SOUND_LINES] = {"<>", "<>", "<>", "<>", "<> Skladby", "<> Opustit"};

void sound_line_place(int32_t index, int32_t th, int32_t& x, int32_t& y) {
    x = index == SOUND_MUSIC_UP || index == SOUND_EFFECTS_UP ? 520 : 420;
    switch (index) {
    case SOUND_MUSIC_DOWN:
    case SOUND_MUSIC_UP: y = 70; break;
    case SOUND_EFFECTS_DOWN:
    case SOUND_EFFECTS_UP: y = 70 + th; break;
    case SOUND_TRACK: y = 70 + 2 * th; break;
    default: y = 90 + 3 * th; break;
    }
}

void sound_options_start(SoundOptions& s) {
    s.hover = -1;
    s.hold = HOLD_IDLE;
    s.repeat_delay = SOUND_FIRST_DELAY;
    s.music = 0;
    s.done = 0;
}

SoundOutput sound_options_pass(SoundOptions& s, const SoundInput& in) {
    SoundOutput out = {0, 0, 0};
    s.music = in.music;
    if (s.hold == HOLD_RELEASED) {
        s.hold = HOLD_IDLE;
        s.repeat_delay = SOUND_FIRST_DELAY;
    }
    if ((in.mouse_b & 1) && s.hold == HOLD_IDLE) s.hold = HOLD_DOWN;
    if (!(in.mouse_b & 1) && s.hold == HOLD_DOWN) s.hold = HOLD_RELEASED;
    s.hover = label_hit(in.mouse_x, in.mouse_y, s.labels, SOUND_LINES);
    // ticks is not reset by the press: the first action of a press comes
    // at once when the last one was long enough ago.
    if (s.hold != HOLD_DOWN || in.ticks <= s.repeat_delay) return out;
    out.ticks_reset = 1;
    if (s.repeat_delay > SOUND_MIN_DELAY) s.repeat_delay -= DELAY_STEP;
    act(s);
    out.adjust_music = s.music;
    // Alternating mode starts current_track without switching it.
    out.restart_music = s.hover == SOUND_TRACK && s.music;
    return out;
}

int32_t sound_options_music(const SoundOutput& out) {
    if (out.adjust_music && music_stream != nullptr)
        music_adjust(music_stream, settings.music_volume, MUSIC_PAN, MUSIC_SPEED);
    if (out.restart_music) {
        music_close(music_stream);
        music_stream = nullptr;
        music_restart();
    }
    return music_stream != nullptr ? 1 : 0;
}

int32_t sound_text_look(const SoundOptions& s, int32_t text) {
    const int32_t no_music = !s.music;
    switch (text) {
    case TEXT_MUSIC_LEFT: return row_look(s, no_music, SOUND_MUSIC_DOWN, SOUND_MUSIC_DOWN);
    case TEXT_MUSIC_WORD: return row_look(s, no_music, SOUND_MUSIC_DOWN, SOUND_MUSIC_UP);
    case TEXT_MUSIC_RIGHT: return row_look(s, no_music, SOUND_MUSIC_UP, SOUND_MUSIC_UP);
    case TEXT_EFFECTS_LEFT: return row_look(s, 0, SOUND_EFFECTS_DOWN, SOUND_EFFECTS_DOWN);
    case TEXT_EFFECTS_WORD: return row_look(s, 0, SOUND_EFFECTS_DOWN, SOUND_EFFECTS_UP);
    case TEXT_EFFECTS_RIGHT: return row_look(s, 0, SOUND_EFFECTS_UP, SOUND_EFFECTS_UP);
    case TEXT_TRACK: return row_look(s, no_music, SOUND_TRACK, SOUND_TRACK);
    default: return row_look(s, 0, SOUND_LEAVE, SOUND_LEAVE);
    }
}

int32_t volume_percent(int32_t volume) { return volume * 100 / 255; }

const char* track_name(int32_t music_track) {
    if (music_track == TRACK_ALTERNATE) return "postupně";
    if (music_track == TRACK_DREAM) return "Dream of you";
    return "Spring 2003";
}

uint64_t sound_picture_key(const SoundOptions& s) {
    uint64_t key = picture_key(PICTURE_KEY_START, settings);
    for (int32_t text = TEXT_MUSIC_LEFT; text <= TEXT_LEAVE; text++) key = picture_key(key, sound_text_look(s, text));
    return key;
}
