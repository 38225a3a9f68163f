// Application shell: the settings file Data/talvdat.tdt, 27 little-endian
// 32-bit integers (108 bytes): opponent, difficulty, computer_side,
// piece_count, music_volume, sound_volume, music_track, then the two names
// of ten code points each. No Allegro here: the game, the tests and the
// analysis command share this code.
#pragma once

#include <cstddef>

#include "app/game_state.h"

constexpr const char* SETTINGS_PATH = "Data/talvdat.tdt";
constexpr size_t SETTINGS_FILE_SIZE = 108;

// The file's bytes laid over `s`: the fields the bytes hold whole are
// taken, the rest keep their values; bytes beyond 108 are ignored. Values
// the game never writes are made safe before they can reach it.
void settings_from_bytes(Settings& s, const unsigned char* bytes, size_t size);
void settings_to_bytes(const Settings& s, unsigned char out[SETTINGS_FILE_SIZE]);

// Start-up: reads SETTINGS_PATH into `settings`; a missing file gives the
// defaults (music_track -1). A file that cannot be read whole gives the
// defaults under what was read, and is then never written back.
void load_settings();
// Shutdown: writes `settings` to SETTINGS_PATH, atomically; a failure is
// silent and leaves the old file as it was. Answers 1 when written, 0 also
// when the last load met a read error.
int save_settings();

// The same on any path (tests, tools).
void load_settings_from(const char* path);
int save_settings_to(const char* path);
