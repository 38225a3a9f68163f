// Any bytes as a music track, fed block by block the way the music player
// feeds a file: the decoder never crashes or reads out of bounds, asks for
// blocks only as its interface promises, answers only its documented
// statuses, never yields more sound than the bytes could hold, and comes to
// its end within a bounded number of passes.
//
// Input: a header, then the file.
//   [0..1] length of the first block - 1, little endian; capped at the file
//          and at a block
//   [2]    bit 0: a file that fits the first block is announced by an empty
//          last block rather than by is_last; bits 1-2: the output (played at
//          once, from the second pass, never, or failing to open); bits 3-4:
//          output buffer length; bits 5-6: buffers until a released one is heard
//   [3..6] one byte per pass in turn: bits 0-1 further buffers the output
//          takes, bit 2 a block asked for comes a pass late, bits 3-4 the
//          frames mp3_stream_decode is asked for
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "audio/music.h"

namespace {

constexpr size_t HEADER = 7;
constexpr int32_t BUFFER_LENGTHS[4] = {1000, 4004, 16000, MUSIC_BUFFER_LENGTH};  // bytes; 1000 means 256 frames
constexpr int32_t DECODE_BESIDE_OUTPUT[4] = {0, 1, 577, 4096};
// Without an output the decoder alone drains the stream, so every pass offers
// room for sound: the hang limit below counts on it.
constexpr int32_t DECODE_ALONE[4] = {256, 1153, 4096, 16384};
constexpr uint64_t MOST_OFFERED_A_PASS = 4 * MUSIC_BUFFER_LENGTH / MP3_FRAME_BYTES + 16384;

// Every MPEG audio frame starts with a 4-byte header and holds at most 1152
// samples at no less than 8 kHz; resampled to 44.1 kHz that is 6350.4
// frames, and one more for the resampler's rounding.
constexpr uint64_t MOST_FRAMES_PER_4_BYTES = 1152 * MP3_OUTPUT_RATE / 8000 + 2;

enum Mode { PLAY_AT_ONCE = 0, PLAY_LATER = 1, NEVER_PLAY = 2, OUTPUT_FAILS = 3 };

struct Output {
    int32_t can_open = 1;
    int32_t open = 0;
    int32_t frames = 0;
    int32_t granted = 0;  // buffers it takes this pass
    int32_t played_after = 0;
    std::unique_ptr<int16_t[]> buffer;  // exactly one buffer long: an overrun is a fault ASan sees
    uint64_t sound_frames = 0;          // a lower bound: up to the last frame that is not silence
};
Output output;

int32_t port_ready() { return 1; }
void* port_open(int32_t frames, int32_t, int32_t) {
    if (output.open) std::abort();
    if (!output.can_open) return nullptr;
    output.open = 1;
    output.frames = frames;
    output.buffer.reset(new int16_t[static_cast<size_t>(frames) * 2]);
    return &output;
}
int16_t* port_buffer(void*) {
    if (output.granted == 0) return nullptr;
    output.granted--;
    return output.buffer.get();
}
void port_release(void*) {
    for (int32_t i = output.frames; i > 0; i--)
        if (output.buffer[2 * i - 2] != 0 || output.buffer[2 * i - 1] != 0) {
            output.sound_frames += static_cast<uint64_t>(i);
            break;
        }
}
void port_adjust(void*, int32_t, int32_t, int32_t) {}
void port_close(void*) { output.open = 0; }
int32_t port_played_after(void*) { return output.played_after; }

const AudioPort PORT = {port_ready, port_open, port_buffer, port_release, port_adjust, port_close, port_played_after};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size <= HEADER) return 0;
    const uint8_t* file = data + HEADER;
    const size_t file_size = size - HEADER;
    const size_t first = std::min({static_cast<size_t>(data[0] | data[1] << 8) + 1, file_size, size_t{MP3_BLOCK_SIZE}});
    const uint8_t flags = data[2];
    const int32_t mode = flags >> 1 & 3;
    const int32_t is_last = first == file_size && first < MP3_BLOCK_SIZE && !(flags & 1) ? -1 : 0;

    output = Output{};
    output.can_open = mode != OUTPUT_FAILS;
    output.played_after = flags >> 5 & 3;
    Mp3Stream* s = mp3_stream_create_on(&PORT, file, static_cast<int32_t>(first), is_last);
    if (s == nullptr) return 0;

    const uint64_t most_frames = (file_size / 4 + 1) * MOST_FRAMES_PER_4_BYTES;
    // Room offered for sound (output buffers, decode calls) is all taken but
    // in a few passes: waiting for a block (asked for, given late, the pass
    // it ran dry in), the last sound, and hearing it out.
    const uint64_t blocks = file_size / MP3_BLOCK_SIZE + 2;
    const uint64_t offer_limit = most_frames + (3 * blocks + 8) * MOST_OFFERED_A_PASS;
    uint64_t offered = 0;

    size_t pos = first;
    bool all_given = is_last != 0;
    uint8_t* held = nullptr;
    int32_t held_bytes = 0;
    bool started = false, bad_data = false, dry = false;
    uint64_t decoded = 0;
    for (uint64_t pass = 0;; pass++) {
        if (offered > offer_limit) std::abort();  // a hang
        const uint8_t step = data[3 + pass % 4];
        if (!started && (mode == PLAY_AT_ONCE || mode == OUTPUT_FAILS || (mode == PLAY_LATER && pass == 1))) {
            started = true;
            const int32_t rc = mp3_stream_play(s, BUFFER_LENGTHS[flags >> 3 & 3], 255, MUSIC_PAN);
            if ((rc == 0) != (output.open == 1)) std::abort();
        }

        bool fed = false;  // a block asked for or given this pass
        if (held != nullptr) {
            if (mp3_stream_get_buffer(s) != nullptr) std::abort();  // only one block out at a time
            mp3_stream_free_buffer(s, held_bytes);
            held = nullptr;
            all_given = held_bytes != -1;
            fed = true;
        } else if (uint8_t* block = mp3_stream_get_buffer(s)) {
            if (all_given) std::abort();  // asked again after the last block
            fed = true;
            const size_t n = std::min(file_size - pos, size_t{MP3_BLOCK_SIZE});
            std::memcpy(block, file + pos, n);
            pos += n;
            held = block;
            held_bytes = n == MP3_BLOCK_SIZE ? -1 : static_cast<int32_t>(n);
            if (!(step & 4)) {
                mp3_stream_free_buffer(s, held_bytes);
                held = nullptr;
                all_given = held_bytes != -1;
            }
        }
        if (!output.open && dry && !fed) break;  // drained, wants nothing more

        output.granted = output.open ? 1 + (step & 3) : 0;
        offered += static_cast<uint64_t>(output.granted * output.frames);
        const int32_t status = mp3_stream_poll(s);
        output.granted = 0;
        if (!started || mode == NEVER_PLAY) {
            if (status != MP3_NOT_PLAYING) std::abort();
        } else if (mode == OUTPUT_FAILS) {
            if (status != MP3_NO_OUTPUT) std::abort();
        } else if (status == MP3_FINISHED) {
            break;
        } else if (status == MP3_BAD_DATA) {
            if (bad_data) std::abort();  // reported once
            bad_data = true;
        } else if (status != MP3_PLAYING) {
            std::abort();
        }

        const int32_t want = (output.open ? DECODE_BESIDE_OUTPUT : DECODE_ALONE)[step >> 3 & 3];
        offered += static_cast<uint64_t>(want);
        if (want > 0) {
            std::unique_ptr<int16_t[]> pcm(new int16_t[static_cast<size_t>(want) * 2]);
            const int32_t got = mp3_stream_decode(s, pcm.get(), want);
            if (got < 0 || got > want) std::abort();
            decoded += static_cast<uint64_t>(got);
            dry = got == 0;
        }
        if (decoded + output.sound_frames > most_frames) std::abort();
    }

    // At the end: nothing more asked for, decoded or played.
    if (held != nullptr || mp3_stream_get_buffer(s) != nullptr) std::abort();
    int16_t pcm[2 * 64];
    if (mp3_stream_decode(s, pcm, 64) != 0) std::abort();
    if (started && mode != OUTPUT_FAILS && mp3_stream_poll(s) != MP3_NOT_PLAYING) std::abort();
    mp3_stream_destroy(s);
    if (output.open) std::abort();
    output.buffer.reset();
    return 0;
}
