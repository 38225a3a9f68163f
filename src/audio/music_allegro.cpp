// Audio: the music's Allegro side: track files through packfiles, decoded
// sound through an audio stream.
#include <allegro.h>

#include <cstdlib>
#include <new>

#include "app/game_state.h"
#include "audio/music.h"

namespace {

// Without a sound card install_sound leaves the dummy driver in place:
// then no stream is created at all and the game stays silent.
int32_t sound_ready() { return digi_driver != nullptr && digi_driver->id != DIGI_NONE ? 1 : 0; }

// The stream and the buffer it handed out last.
struct StreamOut {
    AUDIOSTREAM* stream;
    int16_t* buffer;
};

AUDIOSTREAM* stream_of(void* out) { return static_cast<StreamOut*>(out)->stream; }

void* stream_open(int32_t frames, int32_t volume, int32_t pan) {
    AUDIOSTREAM* stream = play_audio_stream(frames, 16, TRUE, MP3_OUTPUT_RATE, volume, pan);
    if (stream == nullptr) return nullptr;
    StreamOut* out = new (std::nothrow) StreamOut{stream, nullptr};
    if (out == nullptr) stop_audio_stream(stream);
    return out;
}

int16_t* stream_buffer(void* out) {
    StreamOut* o = static_cast<StreamOut*>(out);
    o->buffer = static_cast<int16_t*>(get_audio_stream_buffer(o->stream));
    return o->buffer;
}

// Allegro's 16-bit samples are unsigned: flip the sign bits on the way.
void stream_release(void* out) {
    StreamOut* o = static_cast<StreamOut*>(out);
    uint16_t* samples = reinterpret_cast<uint16_t*>(o->buffer);
    for (int i = 0; i < o->stream->len * 2; i++) samples[i] ^= 0x8000;
    free_audio_stream_buffer(o->stream);
}

void stream_adjust(void* out, int32_t volume, int32_t pan, int32_t speed) {
    const int voice = stream_of(out)->voice;
    voice_set_volume(voice, volume);
    voice_set_pan(voice, pan);
    voice_set_frequency(voice, MP3_OUTPUT_RATE * speed / 1000);
}

void stream_close(void* out) {
    stop_audio_stream(stream_of(out));
    delete static_cast<StreamOut*>(out);
}

// The stream plays two halves of `bufcount` buffers each in turn: a buffer
// has been heard once the other half has been asked for and then its own.
int32_t stream_played_after(void* out) { return 2 * stream_of(out)->bufcount; }

const AudioPort ALLEGRO_PORT = {sound_ready,  stream_open,  stream_buffer,      stream_release,
                                stream_adjust, stream_close, stream_played_after};

void* file_open(const char* path) { return pack_fopen(path, F_READ); }

int32_t file_read(void* file, uint8_t* buffer, int32_t length) {
    const long n = pack_fread(buffer, length, static_cast<PACKFILE*>(file));
    return n > 0 ? static_cast<int32_t>(n) : 0;
}

void file_close(void* file) {
    if (file != nullptr) pack_fclose(static_cast<PACKFILE*>(file));
}

}  // namespace

Mp3Stream* mp3_stream_create(const uint8_t* block, int32_t length, int32_t is_last) {
    return mp3_stream_create_on(&ALLEGRO_PORT, block, length, is_last);
}

void start_music() {
    music_backend = {file_open, file_read, file_close, mp3_stream_create};
    game.current_track = std::rand() % 2 + 1;
    music_restart();
}
