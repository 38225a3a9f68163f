// Music generator: writing music in beats. Melodies and chords are typed as
// text, bar by bar, and placed in time with a little seeded unevenness so
// that the parts breathe like players rather than a sequencer.
#pragma once

#include <string>
#include <vector>

#include "synth.h"

struct Score {
    double bpm;
    int bar_beats;
    std::vector<Note> notes;
    Rng rng;         // the unevenness
    double lead_in;  // seconds of silence before beat 0: the loop point stays quiet
};

// Everything the generator needs to turn one composition into a track.
struct Track {
    std::vector<Note> notes;
    double seconds;  // loop length; the tails of the last bar must fit
    Room room;
    float rms_db;
};

Track compose_dream();
Track compose_spring();

double seconds_at(const Score &s, double beat);

// One note from `beat` for `beats`, a few milliseconds early or late and a
// few per cent louder or softer; drums take `jitter` 0.
void add_note(Score &s, Voice v, double beat, double beats, int pitch, float velocity, float pan,
              float detune = 0.0f, float jitter = 1.0f);

// "C4" = 60, "F#3", "Bb2"; aborts on anything else.
int pitch_of(const std::string &name);

struct Tone {
    double beat;
    double beats;
    int pitch;
};

// Text "B4:0.5 D5:0.5 G5:1 -:2 | ...": NAME:BEATS, "-" a rest, '|' between
// bars; every bar must add up to the bar exactly, so a typo in a melody
// stops the build instead of shifting the rest of the track.
std::vector<Tone> melody(const Score &s, int bar, const char *text);

struct Chord {
    double beat;
    double beats;
    int bass;
    std::vector<int> tones;  // the voicing above the bass, low to high
};

// Text "D2 F#3 A3 C#4 E4 | ...": one chord a bar, the bass first; '/'
// splits a bar into two chords of half a bar each.
std::vector<Chord> chords(const Score &s, int bar, const char *text);

// Plays a line; each tone is held `legato` of its written length.
void play(Score &s, Voice v, const std::vector<Tone> &line, float velocity, float pan, float legato = 0.92f,
          int transpose = 0);

// The same line `steps` degrees up or down the major scale of `key` (pitch
// class 0..11): a diatonic harmony part.
std::vector<Tone> harmony(const std::vector<Tone> &line, int key, int steps);

// The chord sounding at `beat`.
const Chord &chord_at(const std::vector<Chord> &progression, double beat);

// The chord's third above its bass, as a pitch class offset (3 or 4).
int third_of(const Chord &c);
