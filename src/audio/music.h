// Audio: the background music. One MusicPlayer streams one MP3 track from
// disk in 32768-byte blocks into the decoder (audio/mp3_stream.h), which
// plays through an Allegro audio stream; poll_music, called once per pass of
// every loop, keeps it fed and starts the next track when one ends.
//
// Everything here but start_music is free of Allegro: the files and the
// decoder come through music_backend, which start_music points at Allegro's
// packfiles and audio stream (audio/music_allegro.cpp). Tests put their own
// there.
#pragma once

#include <cstdint>

#include "audio/mp3_stream.h"

constexpr int32_t MUSIC_BUFFER_LENGTH = 32000;  // bytes of decoded sound per output buffer
constexpr int32_t MUSIC_PAN = 127;
constexpr int32_t MUSIC_SPEED = 1000;           // normal

struct MusicPlayer {
    void* file;           // the track's file, open while the track plays
    Mp3Stream* decoder;
};

// The track files and the decoder that turns their first block into a
// stream. Null members: nothing opens, no music.
struct MusicBackend {
    void* (*open)(const char* path);
    int32_t (*read)(void* file, uint8_t* buffer, int32_t length);  // bytes read, 0 at the end
    void (*close)(void* file);
    Mp3Stream* (*create)(const uint8_t* block, int32_t length, int32_t is_last);
};
extern MusicBackend music_backend;

// The player of the track now playing, or null.
extern MusicPlayer* music_stream;

MusicPlayer* music_open(const char* path);
int32_t music_play(MusicPlayer* player, int32_t buffer_length, int32_t volume, int32_t pan);
void music_adjust(MusicPlayer* player, int32_t volume, int32_t pan, int32_t speed);
int32_t music_poll(MusicPlayer* player);
void music_close(MusicPlayer* player);

// "Hudba/DreamOfYou.mp3" for 1, "Hudba/Spring2003.mp3" for 2, else null.
const char* track_path(int32_t track);
// The track the settings select; when its file is missing or undecodable,
// the other track. Null when neither opens or nothing is selected.
MusicPlayer* open_selected_track();
// music_stream = open_selected_track (), played when there is one. The
// previous player must be closed already.
void music_restart();
// Start-up: installs Allegro's backend, picks current_track at random and
// starts the selected track.
void start_music();
void poll_music();
