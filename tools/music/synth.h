// Music generator: the synthesiser. Each note is rendered on its own into a
// stereo mix, with sends to one reverb and one ping-pong delay; the mix is
// then levelled and limited. No clocks and no global random state: the same
// notes always give the same samples.
#pragma once

#include <cstdint>
#include <vector>

const int RATE = 44100;

enum Voice {
    EPIANO,      // FM electric piano: a soft tine over a round body
    BELL,        // FM glass bell, for sparkles high up
    MARIMBA,     // struck bar: fundamental, fourth harmonic, a touch of the tenth
    LEAD,        // airy flute-like line with delayed vibrato and breath
    PAD,         // detuned saws through a low-pass, slow in and slow out
    PLUCK,       // Karplus-Strong string
    SOFT_BASS,   // rounded sine bass
    PLUCK_BASS,  // saw and sub through a closing filter
    KICK,
    CLAP,
    HAT,
    SHAKER,
    VOICE_COUNT
};

struct Note {
    Voice voice;
    double start;    // seconds
    double length;   // seconds the key is held; the release follows
    int pitch;       // MIDI number (60 = middle C); drums ignore it
    float velocity;  // 0..1
    float pan;       // -1 left .. 1 right
    float detune;    // cents
};

struct Room {
    float reverb_size;     // 0..1, feedback of the reverb's combs
    float reverb_damp;     // 0..1, high-frequency loss in the tail
    float reverb_return;   // level of the reverb in the mix
    double delay_seconds;  // one echo of the ping-pong delay
    float delay_feedback;
    float delay_return;
};

struct Stereo {
    std::vector<float> l, r;
};

// 64-bit splitmix: one stream per note, keyed by the note's index, so a
// change to one note never reshuffles the noise of another.
struct Rng {
    uint64_t state;
};
uint64_t rng_next(Rng &rng);
float rng_float(Rng &rng);   // 0..1
float rng_signed(Rng &rng);  // -1..1

double note_hz(double pitch);

// All notes into a mix `seconds` long, reverb and delay included; whatever
// rings past the end is cut, so the composer leaves room for the tails.
Stereo render(const std::vector<Note> &notes, double seconds, const Room &room, uint64_t seed);

// Levels the mix to `rms_db` (dBFS), holds every peak under `ceiling_db`
// with a look-ahead limiter, and fades the first `fade_in` and the last
// `fade_out` seconds so that the track loops without a click.
void master(Stereo &mix, float rms_db, float ceiling_db, double fade_in, double fade_out);

float peak_db(const Stereo &mix);
float rms_db(const Stereo &mix);

// Interleaved 16-bit PCM, rounded, saturating.
std::vector<int16_t> to_pcm16(const Stereo &mix);
bool write_wav(const char *path, const std::vector<int16_t> &pcm);
