// Menus and screens: the sound options screen without the display: its
// lines, the hold-to-repeat input, the actions on the volumes and the track,
// and how each text is drawn. Like loop_pass, a pass reads the timer and the
// music's state from its input and tells the shell
// (ui/sound_options_screen.cpp) what to do to them.
#pragma once

#include <cstdint>

#include "ui/widgets.h"

// The six lines, by index.
enum SoundLine : int32_t {
    SOUND_MUSIC_DOWN = 0,
    SOUND_EFFECTS_DOWN = 1,
    SOUND_MUSIC_UP = 2,
    SOUND_EFFECTS_UP = 3,
    SOUND_TRACK = 4,
    SOUND_LEAVE = 5,
    SOUND_LINES = 6
};

// The panel: left, right, top, bottom.
constexpr int32_t SOUND_PANEL_LEFT = 400, SOUND_PANEL_RIGHT = 700, SOUND_PANEL_TOP = 50, SOUND_PANEL_BOTTOM = 190;
constexpr int32_t SOUND_VALUE_X = SOUND_PANEL_RIGHT - 20;  // values end here

extern const char* const SOUND_LINE_TEXTS[SOUND_LINES];
// Where line `index` is created, with the menu font's height `th`.
void sound_line_place(int32_t index, int32_t th, int32_t& x, int32_t& y);

// The button is read on every pass; an action fires while it is held.
enum SoundHold : int32_t { HOLD_IDLE = 0, HOLD_DOWN = 1, HOLD_RELEASED = 2 };

constexpr int32_t SOUND_FIRST_DELAY = 50;  // ticks before an action of a fresh press
constexpr int32_t SOUND_MIN_DELAY = 10;

struct SoundOptions {
    Label* labels[SOUND_LINES];  // owned by the screen
    int32_t hover;
    int32_t hold;
    int32_t repeat_delay;  // ticks that must pass before the next action
    int32_t music;         // a track plays: the music lines act
    int32_t done;
};

struct SoundInput {
    int32_t mouse_x;
    int32_t mouse_y;
    int32_t mouse_b;
    int32_t ticks;
    int32_t music;  // a track plays
};

// What the shell must do after the pass, in this order.
struct SoundOutput {
    int32_t ticks_reset;
    int32_t adjust_music;   // the playing track takes settings.music_volume
    int32_t restart_music;  // the track choice changed: close the track, start the chosen one
};

void sound_options_start(SoundOptions& s);

// The input half of one pass: hold state, hover, and when `ticks` has passed
// the repeat delay, the action of the hovered line; an action resets `ticks`
// and asks for the volume to be applied (and a new track choice started).
SoundOutput sound_options_pass(SoundOptions& s, const SoundInput& in);

// The music's half of the output: the volume applied, the chosen track
// started. Answers whether a track plays afterwards.
int32_t sound_options_music(const SoundOutput& out);

// The key of the screen's picture.
uint64_t sound_picture_key(const SoundOptions& s);

// The texts of the screen and how each is drawn (LineLook).
enum SoundText : int32_t {
    TEXT_MUSIC_LEFT,   // "<>" at line 0
    TEXT_MUSIC_WORD,   // "   Hudba" at line 0, and the music volume
    TEXT_MUSIC_RIGHT,  // "<>" at line 2
    TEXT_EFFECTS_LEFT,
    TEXT_EFFECTS_WORD,
    TEXT_EFFECTS_RIGHT,
    TEXT_TRACK,        // "<> Skladby" and the track's name
    TEXT_LEAVE
};
int32_t sound_text_look(const SoundOptions& s, int32_t text);

// A volume 0..255 as the percentage shown, fraction dropped.
int32_t volume_percent(int32_t volume);
// "postupně", "Dream of you" or "Spring 2003".
const char* track_name(int32_t music_track);
