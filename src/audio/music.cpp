// PLACEHOLDER until the music player lands: no music.
#include "audio/music.h"

MusicPlayer* music_stream = nullptr;

MusicPlayer* music_open(const char*) { return nullptr; }
int32_t music_play(MusicPlayer*, int32_t, int32_t, int32_t) { return 0; }
void music_adjust(MusicPlayer*, int32_t, int32_t, int32_t) {}
int32_t music_poll(MusicPlayer*) { return -1; }
void music_close(MusicPlayer*) {}
MusicPlayer* open_selected_track() { return nullptr; }
void start_music() {}
void poll_music() {}
