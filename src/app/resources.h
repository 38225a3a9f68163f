// Application shell: the process-wide resources that main owns for the whole
// run. Only code that draws or plays sound includes this.
#pragma once

#include <allegro.h>

#include <atomic>

#include "app/resource_ids.h"

extern DATAFILE* datafile;
extern BITMAP* frame_buffer;  // each frame is composed here
extern BITMAP* board_buffer;  // play background with the empty board

// Set by the window's close button; every screen loop ends when it is set and
// the program then shuts down as if the player had chosen "Konec".
extern std::atomic<int> quit_requested;

// The datafile at `path`, loaded only after datafile_fault has walked its
// bytes and found nothing wrong; null when it is missing, damaged or not
// the game's.
DATAFILE* load_checked_datafile(const char* path);

inline FONT* res_font(int index) { return static_cast<FONT*>(datafile[index].dat); }
inline BITMAP* res_bitmap(int index) { return static_cast<BITMAP*>(datafile[index].dat); }
inline SAMPLE* res_sample(int index) { return static_cast<SAMPLE*>(datafile[index].dat); }
