// Audio: the MP3 stream decoder over libmpg123's feed interface.
//
// Invariants: at most one input block is out with the caller; once a last
// block has been fed no block is ever asked for again; decoded sound waits
// in `pcm` and is topped up only to `low_water` frames (plus one decoder
// chunk), so memory stays bounded and a block is asked for only when the
// sound decoded ahead runs low and the decoder has used up its input.
#include "audio/mp3_stream.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Decoded sound kept ahead of the output before a new block is asked for:
// a little over two output buffers of the usual 8000 frames.
constexpr int32_t LOW_WATER_FRAMES = 16384;
// One mpg123_read: a Layer III frame of 1152 stereo frames.
constexpr int32_t CHUNK_BYTES = 1152 * MP3_FRAME_BYTES;
// A decoder that answers "fine" this often without output or input use is stuck.
constexpr int32_t STALL_LIMIT = 64;

enum StreamState : int32_t {
    STATE_IDLE = 0,       // created, not played
    STATE_PLAYING = 1,
    STATE_DRAINING = 2,   // all sound handed to the output; waiting until it is heard
    STATE_DONE = 3,       // finished and reported, output closed
    STATE_NO_OUTPUT = 4   // the output could not be opened
};

bool mpg123_ready() {
    static const bool ok = mpg123_init() == MPG123_OK;
    return ok;
}

}  // namespace

struct Mp3Stream {
    const AudioPort* port = nullptr;
    void* out = nullptr;
    mpg123_handle* mh = nullptr;
    uint8_t block[MP3_BLOCK_SIZE];
    int32_t block_out = 0;    // the block is with the caller
    int32_t last_fed = 0;     // a last block has been fed: no more input, ever
    int32_t hungry = 0;       // the decoder has used up its input
    int32_t ended = 0;        // no more sound will be decoded
    int32_t failed = 0;       // the decoder gave up on the data
    int32_t failure_reported = 0;
    int32_t got_format = 0;
    std::vector<int16_t> pcm; // decoded, not yet played; from pcm_pos on
    size_t pcm_pos = 0;
    int32_t low_water = LOW_WATER_FRAMES;
    int32_t frames = 0;       // output buffer, frames
    int32_t state = STATE_IDLE;
    int32_t drain_left = 0;
};

namespace {

int32_t backlog_frames(const Mp3Stream& s) {
    return static_cast<int32_t>((s.pcm.size() - s.pcm_pos) / 2);
}

void give_up(Mp3Stream& s) {
    s.failed = 1;
    s.ended = 1;
}

// Only 44.1 kHz stereo signed 16-bit is allowed out of the decoder, so a
// track of another rate is resampled and a mono one doubled by mpg123: it
// plays at its own pitch through an output of one fixed format.
bool format_is_ours(mpg123_handle* mh) {
    long rate = 0;
    int channels = 0, encoding = 0;
    return mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK && rate == MP3_OUTPUT_RATE &&
           channels == MPG123_STEREO && encoding == MPG123_ENC_SIGNED_16;
}

// One decoder call's worth into the backlog. Sets hungry or ended when no
// more can come for now or for good.
void decode_chunk(Mp3Stream& s) {
    if (s.ended || s.hungry) return;
    if (s.pcm_pos > 0 && s.pcm_pos * 2 >= s.pcm.size()) {
        s.pcm.erase(s.pcm.begin(), s.pcm.begin() + static_cast<long>(s.pcm_pos));
        s.pcm_pos = 0;
    }
    for (int32_t stalls = 0; stalls < STALL_LIMIT; stalls++) {
        const size_t old = s.pcm.size();
        s.pcm.resize(old + CHUNK_BYTES / 2);
        size_t done = 0;
        const int rc = mpg123_read(s.mh, reinterpret_cast<unsigned char*>(s.pcm.data() + old), CHUNK_BYTES, &done);
        s.pcm.resize(old + done / 2);
        switch (rc) {
        case MPG123_NEW_FORMAT:
            if (!format_is_ours(s.mh)) {
                give_up(s);
                return;
            }
            s.got_format = 1;
            break;
        case MPG123_OK:
            if (done > 0) return;
            break;
        case MPG123_NEED_MORE:
            if (s.last_fed) s.ended = 1;
            else s.hungry = 1;
            return;
        case MPG123_DONE:
            s.ended = 1;
            return;
        default:
            give_up(s);
            return;
        }
    }
    give_up(s);
}

void top_up(Mp3Stream& s) {
    while (backlog_frames(s) < s.low_water && !s.ended && !s.hungry) decode_chunk(s);
}

// Fills `out` from the backlog, decoding on demand; answers the frames
// written. Fewer than asked means the data ended or the input ran dry.
int32_t fill(Mp3Stream& s, int16_t* out, int32_t frames) {
    int32_t n = 0;
    while (n < frames) {
        const int32_t have = backlog_frames(s);
        if (have == 0) {
            if (s.ended || s.hungry) break;
            decode_chunk(s);
            continue;
        }
        const int32_t take = std::min(have, frames - n);
        std::memcpy(out + 2 * n, s.pcm.data() + s.pcm_pos, static_cast<size_t>(take) * MP3_FRAME_BYTES);
        s.pcm_pos += static_cast<size_t>(take) * 2;
        n += take;
    }
    return n;
}

void close_output(Mp3Stream& s) {
    if (s.out != nullptr) s.port->close(s.out);
    s.out = nullptr;
}

// Whether the block starts with an ID3v2 header whose tag runs past it.
bool id3v2_covers(const uint8_t* block, int32_t length) {
    if (length < 10 || block[0] != 'I' || block[1] != 'D' || block[2] != '3' || block[3] == 0xff || block[4] == 0xff)
        return false;
    int32_t size = 0;
    for (int i = 6; i < 10; i++) {
        if (block[i] & 0x80) return false;  // sizes are 7 bits a byte
        size = size << 7 | block[i];
    }
    const int32_t footer = block[5] & 0x10 ? 10 : 0;
    return 10 + size + footer >= length;
}

}  // namespace

Mp3Stream* mp3_stream_create_on(const AudioPort* port, const uint8_t* block, int32_t length, int32_t is_last) {
    if (port == nullptr || !port->ready() || block == nullptr || length < 1 || length > MP3_BLOCK_SIZE) return nullptr;
    if (!mpg123_ready()) return nullptr;
    Mp3Stream* s = new (std::nothrow) Mp3Stream;
    if (s == nullptr) return nullptr;
    s->port = port;
    s->mh = mpg123_new(nullptr, nullptr);
    // No resync: data that stops being MPEG audio ends the track instead of
    // being searched for something that looks like a frame header, which in
    // random bytes turns up sooner or later and decodes to noise.
    // No gapless trimming either: to trim a resampled track mpg123 walks
    // every frame its Info header claims, and a damaged header claiming
    // billions froze the first read for tens of seconds. Untrimmed, a track
    // gains a few milliseconds of the encoder's silence at its ends.
    const bool set_up = s->mh != nullptr && mpg123_param(s->mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_NO_RESYNC, 0) == MPG123_OK &&
                        mpg123_param(s->mh, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) == MPG123_OK &&
                        mpg123_format_none(s->mh) == MPG123_OK &&
                        mpg123_format(s->mh, MP3_OUTPUT_RATE, MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK &&
                        mpg123_open_feed(s->mh) == MPG123_OK && mpg123_feed(s->mh, block, static_cast<size_t>(length)) == MPG123_OK;
    s->last_fed = is_last != 0 ? 1 : 0;
    if (set_up) top_up(*s);
    // The first block must decode to sound, or lie wholly inside an ID3v2
    // tag (one with a picture can be larger than a block); anything else is
    // not a track. mpg123 goes on looking for a first frame in any bytes,
    // so "no fault yet" alone would take random data for a track.
    const bool sound = s->got_format && backlog_frames(*s) > 0;
    const bool only_tag_so_far = !s->got_format && s->hungry && !s->last_fed && id3v2_covers(block, length);
    if (!set_up || s->failed || !(sound || only_tag_so_far)) {
        mp3_stream_destroy(s);
        return nullptr;
    }
    return s;
}

int32_t mp3_stream_play(Mp3Stream* s, int32_t buffer_length, int32_t volume, int32_t pan) {
    if (s == nullptr || s->state != STATE_IDLE) return -1;
    s->frames = std::max(buffer_length / MP3_FRAME_BYTES, 256);
    s->low_water = std::max(LOW_WATER_FRAMES, 2 * s->frames);
    s->out = s->port->open(s->frames, std::clamp(volume, 0, 255), std::clamp(pan, 0, 255));
    s->state = s->out != nullptr ? STATE_PLAYING : STATE_NO_OUTPUT;
    return s->out != nullptr ? 0 : -1;
}

void mp3_stream_adjust(Mp3Stream* s, int32_t volume, int32_t pan, int32_t speed) {
    if (s == nullptr || s->out == nullptr) return;
    s->port->adjust(s->out, std::clamp(volume, 0, 255), std::clamp(pan, 0, 255), std::max(speed, 1));
}

uint8_t* mp3_stream_get_buffer(Mp3Stream* s) {
    if (s == nullptr || s->last_fed || s->block_out) return nullptr;
    top_up(*s);
    if (!s->hungry || s->ended || backlog_frames(*s) >= s->low_water) return nullptr;
    s->block_out = 1;
    return s->block;
}

void mp3_stream_free_buffer(Mp3Stream* s, int32_t bytes_used) {
    if (s == nullptr || !s->block_out) return;
    s->block_out = 0;
    const int32_t n = bytes_used == -1 ? MP3_BLOCK_SIZE : std::clamp(bytes_used, 0, MP3_BLOCK_SIZE);
    if (bytes_used != -1) s->last_fed = 1;
    if (n > 0 && mpg123_feed(s->mh, s->block, static_cast<size_t>(n)) != MPG123_OK) give_up(*s);
    s->hungry = 0;
}

int32_t mp3_stream_poll(Mp3Stream* s) {
    if (s == nullptr) return MP3_NOT_PLAYING;
    if (s->state == STATE_NO_OUTPUT) return MP3_NO_OUTPUT;
    if (s->state != STATE_PLAYING && s->state != STATE_DRAINING) return MP3_NOT_PLAYING;
    while (int16_t* buf = s->port->buffer(s->out)) {
        int32_t n = 0;
        if (s->state == STATE_PLAYING) {
            n = fill(*s, buf, s->frames);
            if (s->ended && backlog_frames(*s) == 0) {
                s->state = STATE_DRAINING;
                s->drain_left = s->port->played_after(s->out);
            }
        } else if (--s->drain_left <= 0) {
            close_output(*s);
            s->state = STATE_DONE;
            return MP3_FINISHED;
        }
        // Silence where no sound is: after the end, or while the input is late.
        std::memset(buf + 2 * n, 0, static_cast<size_t>(s->frames - n) * MP3_FRAME_BYTES);
        s->port->release(s->out);
    }
    if (s->failed && !s->failure_reported) {
        s->failure_reported = 1;
        return MP3_BAD_DATA;
    }
    return MP3_PLAYING;
}

void mp3_stream_destroy(Mp3Stream* s) {
    if (s == nullptr) return;
    close_output(*s);
    if (s->mh != nullptr) mpg123_delete(s->mh);
    delete s;
}

int32_t mp3_stream_decode(Mp3Stream* s, int16_t* out, int32_t frames) {
    if (s == nullptr || out == nullptr || frames <= 0) return 0;
    return fill(*s, out, frames);
}
