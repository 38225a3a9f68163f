// Audio: the background music. One MusicPlayer streams one MP3 track from
// disk in 32768-byte blocks into the decoder, which plays through an
// Allegro audio stream; poll_music, called once per pass of every loop,
// keeps it fed and starts the next track when one ends.
#pragma once

#include <cstdint>

struct MusicPlayer;

// The player of the track now playing, or null.
extern MusicPlayer* music_stream;

MusicPlayer* music_open(const char* path);
int32_t music_play(MusicPlayer* player, int32_t buffer_length, int32_t volume, int32_t pan);
void music_adjust(MusicPlayer* player, int32_t volume, int32_t pan, int32_t speed);
int32_t music_poll(MusicPlayer* player);
void music_close(MusicPlayer* player);

MusicPlayer* open_selected_track();
void start_music();
void poll_music();
