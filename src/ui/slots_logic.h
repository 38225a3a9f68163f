// Menus and screens: the slots screen's rules apart from Allegro, for saving
// and for loading: which clicks choose, what each line shows, and what the
// choice does to the file and the game state. ui/slots_screen.cpp runs it
// through run_screen.
#pragma once

#include <cstdint>

#include "ui/saved_games.h"
#include "ui/widgets.h"

constexpr int32_t SLOTS_LEAVE = SAVE_SLOT_COUNT;  // "<> Opustit", after the five slots

struct SlotsScreen {
    SavedGames games;  // as read when the screen opened
    int32_t read_ok;   // the file could be opened and read
    int32_t loading;   // 1 on the load screen: only saved slots can be chosen
    int32_t chosen;    // a slot 0..4, SLOTS_LEAVE, or -1 while open
    int32_t save_failed;  // a slot was chosen and the file was not written
    char lines[SAVE_SLOT_COUNT][16];  // "<> %d pozice"
};

// Reads the file for a screen; a missing or unreadable file gives the five
// default records. Answers read_ok.
int32_t slots_read(SlotsScreen& d, const char* path);

// Fills the panel, the six lines and the callbacks over `d`, whose games
// must already be read.
void slots_screen_setup(Screen& s, SlotsScreen& d, int32_t loading);

// "uložená hra" or "volné místo" beside slot `line`, "" beside "<> Opustit".
const char* slot_value_text(const SlotsScreen& d, int32_t line);

// 1 when at least one slot can be loaded.
int32_t slots_any_saved(const SavedGames& g);

// After the save screen: the game in progress goes into the chosen slot and
// all five are written to `path`; only a write that succeeded makes "Načíst
// hru" active. A file that exists but could not be read is never replaced:
// its four other slots would be lost. Answers 1 when written; a chosen slot
// that was not written sets save_failed.
int32_t slots_save_chosen(SlotsScreen& d, const char* path);

// After the load screen: the chosen slot becomes the game. Answers 1 when a
// game was loaded, 0 for "<> Opustit" or a closed window.
int32_t slots_load_chosen(const SlotsScreen& d);
