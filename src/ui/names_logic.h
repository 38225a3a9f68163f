// Menus and screens: the players' names editor without a display. Its
// state, the click and key rules and the line looks, as the callbacks of a
// Screen record; the Allegro side (ui/names_screen.cpp) supplies the key
// source and draws the names.
#pragma once

#include <cstdint>

#include "app/game_state.h"
#include "ui/widgets.h"

constexpr int32_t NAME_MAX_TYPED = 9;  // the tenth code always stays 0

constexpr int32_t KEY_CODE_BACKSPACE = 8;
constexpr int32_t KEY_CODE_ENTER = 13;
constexpr int32_t KEY_CODE_ESC = 27;

enum NamesLine : int32_t { NAMES_FIRST = 0, NAMES_SECOND = 1, NAMES_LEAVE = 2, NAMES_LINE_COUNT = 3 };

struct NamesEditor {
    int32_t edit[2][NAME_LEN];    // the names as shown and edited
    int32_t backup[2][NAME_LEN];  // the last confirmed names
    int32_t editing;              // 0 browsing, 1 or 2: that name is being typed
    int32_t length;               // codes typed into the name being edited
    // The key source: a character code, -1 when no key is waiting.
    int32_t (*read_key)();
    // Empties the key source, so keys pressed before an edit began are not taken.
    void (*clear_keys)();
};

// Both buffers and both backups from the settings' names, browsing.
void names_begin(NamesEditor& e, const Settings& s);

// Fills the screen record: panel, the three lines and the callbacks below,
// with `e` as its data. The caller adds draw_value.
void names_setup(Screen& s, NamesEditor& e);

// Screen callbacks. A click only acts while browsing; a key only while
// editing: a printable code the fonts draw is stored while fewer than nine
// are typed, Enter
// confirms a non-empty name, Backspace takes back one, Esc restores the name
// the edit began from.
void names_act(Screen& s, int32_t index);
void names_update(Screen& s);
int32_t names_look(const Screen& s, int32_t index);

// One key, as names_update hands it on.
void names_key(NamesEditor& e, int32_t key);

// The edit buffers into the settings. An edit still open (the window was
// closed meanwhile) is cancelled first, so a half-typed or empty name never
// reaches the settings file.
void names_finish(NamesEditor& e, Settings& s);
