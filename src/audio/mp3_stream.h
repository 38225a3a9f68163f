// Audio: the MP3 stream decoder. It is fed a track block by block (never the
// whole file) through libmpg123's feed interface, always yields 44.1 kHz
// stereo signed 16-bit sound whatever the track's own rate and channel count
// (mpg123 converts), and plays it through an AudioPort: an Allegro audio
// stream in the game (audio/music_allegro.cpp), a recorder in the tests.
// No Allegro here.
#pragma once

#include <cstdint>

constexpr int32_t MP3_BLOCK_SIZE = 32768;  // input block, bytes
constexpr int32_t MP3_OUTPUT_RATE = 44100;
constexpr int32_t MP3_FRAME_BYTES = 4;     // one stereo frame of two 16-bit samples

// mp3_stream_poll answers.
constexpr int32_t MP3_PLAYING = 0;
constexpr int32_t MP3_FINISHED = 1;      // once, when the last sound has been heard
constexpr int32_t MP3_NOT_PLAYING = -1;  // not started, or finished before
constexpr int32_t MP3_BAD_DATA = -2;     // once, when the decoder gave up on the data; the end follows
constexpr int32_t MP3_NO_OUTPUT = -3;    // the output could not be opened: stays silent for good

// Where the sound goes. `open` answers a handle or null; `buffer` the next
// buffer of `frames` stereo frames to fill, or null while the output is
// still busy with what it has; `release` hands the filled buffer over.
// `played_after` answers how many further buffer requests pass before a
// released buffer has been heard in full.
struct AudioPort {
    int32_t (*ready)();  // 0: no sound device, nothing can play
    void* (*open)(int32_t frames, int32_t volume, int32_t pan);
    int16_t* (*buffer)(void* out);
    void (*release)(void* out);
    void (*adjust)(void* out, int32_t volume, int32_t pan, int32_t speed);
    void (*close)(void* out);
    int32_t (*played_after)(void* out);
};

struct Mp3Stream;

// Null when there is no sound device or the block does not start an MPEG
// audio stream. is_last: -1 when the block holds the whole file, else 0.
Mp3Stream* mp3_stream_create_on(const AudioPort* port, const uint8_t* block, int32_t length, int32_t is_last);

// The same over Allegro's audio stream: the game's decoder
// (audio/music_allegro.cpp).
Mp3Stream* mp3_stream_create(const uint8_t* block, int32_t length, int32_t is_last);

// buffer_length is the output buffer in bytes of decoded sound.
int32_t mp3_stream_play(Mp3Stream* s, int32_t buffer_length, int32_t volume, int32_t pan);
void mp3_stream_adjust(Mp3Stream* s, int32_t volume, int32_t pan, int32_t speed);
// A MP3_BLOCK_SIZE buffer to fill now, or null: while enough decoded sound
// is waiting, while a buffer is out, and always after the last block.
uint8_t* mp3_stream_get_buffer(Mp3Stream* s);
// -1: the buffer is full and more follows. Any other count is the last
// block's length (0 at the end of the file).
void mp3_stream_free_buffer(Mp3Stream* s, int32_t bytes_used);
// Feeds the output; answers one of the statuses above.
int32_t mp3_stream_poll(Mp3Stream* s);
void mp3_stream_destroy(Mp3Stream* s);

// Test and benchmark access: decodes up to `frames` frames into `out`
// without any output; answers how many were written (0 once the data is
// used up or the decoder waits for a block).
int32_t mp3_stream_decode(Mp3Stream* s, int16_t* out, int32_t frames);
