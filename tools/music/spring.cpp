// "Spring 2003": G major, 120 beats a minute. A plucked string calls, a
// marimba answers; a bouncing bass, off-beat piano stabs and a light kit
// keep it moving. Form: intro, A, A2 (new answers), B, A' (in thirds),
// bridge (the relative minor, kit thinned out), B, A'' and a short coda
// whose last G rings out into silence before the loop starts again.
#include "score.h"

namespace {

const int BAR = 4;
const int KEY = 7;  // G
const int INTRO = 0, A1 = 4, A2 = 12, B1 = 20, A3 = 28, BRIDGE = 36, B2 = 44, A4 = 52, CODA = 60, BARS = 64;

const char *VERSE_CHORDS =
    "G2 G3 B3 D4 | E2 G3 B3 E4 | C3 G3 C4 E4 | D3 F#3 A3 D4 |"
    "G2 G3 B3 D4 | E2 G3 B3 E4 | C3 G3 C4 E4 / D3 F#3 A3 D4 | G2 G3 B3 D4";
const char *CHORUS_CHORDS =
    "C3 G3 C4 E4 | D3 F#3 A3 D4 | B2 F#3 B3 D4 | E2 G3 B3 E4 |"
    "A2 G3 C4 E4 | D3 F#3 A3 D4 | G2 G3 B3 D4 / E2 G3 B3 E4 | A2 G3 C4 E4 / D3 F#3 A3 C4";
const char *BRIDGE_CHORDS =
    "E2 G3 B3 E4 | B2 F#3 B3 D4 | C3 G3 C4 E4 | G2 G3 B3 D4 |"
    "E2 G3 B3 E4 | B2 F#3 B3 D4 | C3 G3 C4 E4 | D3 F#3 A3 D4";
const char *CODA_CHORDS = "C3 G3 C4 E4 | D3 F#3 A3 D4";

// Call (odd bars) and answer (even bars); the last two bars are one phrase.
const char *VERSE =
    "B4:0.5 D5:0.5 G5:1 F#5:0.5 G5:0.5 D5:1 | -:0.5 E5:0.5 G5:0.5 E5:0.5 B4:1 -:1 |"
    "C5:0.5 E5:0.5 G5:1 F#5:0.5 G5:0.5 E5:1 | -:0.5 D5:0.5 F#5:0.5 A5:0.5 F#5:1 -:1 |"
    "B4:0.5 D5:0.5 G5:1 F#5:0.5 G5:0.5 B5:1 | -:0.5 B5:0.5 A5:0.5 G5:0.5 E5:1 -:1 |"
    "C5:0.5 E5:0.5 G5:0.5 E5:0.5 D5:0.5 F#5:0.5 A5:0.5 C6:0.5 | B5:1.5 A5:0.5 G5:1 -:1";
const char *VERSE2 =
    "B4:0.5 D5:0.5 G5:1 F#5:0.5 G5:0.5 D5:1 | -:0.5 G5:0.5 B5:0.5 G5:0.5 E5:0.5 D5:0.5 E5:1 |"
    "C5:0.5 E5:0.5 G5:1 F#5:0.5 G5:0.5 E5:1 | -:0.5 A5:0.5 F#5:0.5 D5:0.5 E5:0.5 F#5:0.5 A5:1 |"
    "B4:0.5 D5:0.5 G5:1 F#5:0.5 G5:0.5 B5:1 | -:0.5 B5:0.5 A5:0.5 G5:0.5 A5:0.5 G5:0.5 E5:1 |"
    "C5:0.5 E5:0.5 G5:0.5 E5:0.5 D5:0.5 F#5:0.5 A5:0.5 C6:0.5 | B5:1.5 A5:0.5 G5:1 -:1";
const char *CHORUS =
    "E5:1.5 D5:0.5 E5:1 G5:1 | F#5:1.5 E5:0.5 D5:1 A4:1 | B4:0.5 D5:0.5 F#5:1.5 E5:0.5 D5:1 |"
    "E5:2.5 -:0.5 G5:0.5 A5:0.5 | B5:1 A5:0.5 G5:0.5 E5:1 C5:1 | D5:1.5 F#5:0.5 A5:2 |"
    "B5:1 A5:0.5 G5:0.5 G5:0.5 E5:0.5 D5:1 | C5:1 E5:1 D5:0.5 E5:0.5 F#5:0.5 A5:0.5";
const char *BRIDGE_LINE =
    "G5:3 F#5:0.5 E5:0.5 | F#5:3 -:1 | E5:1.5 D5:0.5 C5:1 E5:1 | D5:4 |"
    "G5:3 A5:0.5 B5:0.5 | A5:2 F#5:2 | G5:1.5 F#5:0.5 E5:1 C5:1 | D5:2 F#5:1 A5:1";
const char *CODA_LINE = "E5:1 D5:1 C5:1 E5:1 | F#5:1 E5:1 D5:1 A5:1 | G5:4 | -:4";

// Splits a verse line between the calling pluck and the answering marimba.
void call_and_answer(Score &s, const std::vector<Tone> &line, int first_bar, float velocity) {
    std::vector<Tone> call, answer;
    for (const Tone &t : line) {
        int bar = static_cast<int>(t.beat / BAR) - first_bar;
        (bar % 2 == 1 && bar < 6 ? answer : call).push_back(t);
    }
    play(s, PLUCK, call, velocity, -0.2f, 0.9f);
    play(s, MARIMBA, answer, velocity * 0.95f, 0.35f, 0.9f);
}

// Eighth-note picking over the voicing (tones[0..2]) and its top an octave up.
void picking(Score &s, const std::vector<Chord> &prog, const int *pattern, double step, float velocity) {
    for (const Chord &c : prog) {
        int tones[4] = {c.tones[0], c.tones[1], c.tones[2], c.tones[0] + 12};
        for (int k = 0; k * step < c.beats - 1e-9; ++k) {
            double at = c.beat + k * step;
            float accent = (static_cast<int>(at * 2) % 4 == 0) ? 1.0f : 0.75f;
            add_note(s, PLUCK, at, step * 0.9, tones[pattern[k % 8]], velocity * accent, 0.45f);
        }
    }
}

// Short piano chords on the off-beats, the bounce of the groove.
void stabs(Score &s, const std::vector<Chord> &prog, bool every_beat, float velocity) {
    for (const Chord &c : prog)
        for (double off = 0.5; off < c.beats; off += 1.0) {
            double at = c.beat + off;
            if (!every_beat && static_cast<int>(at) % 2 == 0) continue;
            for (int t : c.tones) add_note(s, EPIANO, at, 0.22, t, velocity, -0.45f);
        }
}

void pad_chords(Score &s, const std::vector<Chord> &prog, float velocity) {
    for (const Chord &c : prog)
        for (int t : c.tones) {
            add_note(s, PAD, c.beat, c.beats + 0.1, t, velocity, -0.6f, -5.0f);
            add_note(s, PAD, c.beat, c.beats + 0.1, t, velocity, 0.6f, 5.0f);
        }
}

enum BassStyle { BOUNCE, WALK, LONG };

// BOUNCE: root, octave jump, fifth, and a chromatic step into the next
// chord; WALK: root, third, fifth, step into the next; LONG: halves.
void bass_line(Score &s, const std::vector<Chord> &prog, BassStyle style, float velocity) {
    for (size_t k = 0; k < prog.size(); ++k) {
        const Chord &c = prog[k];
        const int root = c.bass, next = k + 1 < prog.size() ? prog[k + 1].bass : c.bass;
        const int step_in = next > root ? next - 1 : next + 1;
        if (style == LONG) {
            add_note(s, PLUCK_BASS, c.beat, c.beats / 2 - 0.2, root, velocity, 0.0f);
            add_note(s, PLUCK_BASS, c.beat + c.beats / 2, c.beats / 2 - 0.2, root + 7, velocity * 0.8f, 0.0f);
            continue;
        }
        if (c.beats < BAR) {
            add_note(s, PLUCK_BASS, c.beat, 0.7, root, velocity, 0.0f);
            add_note(s, PLUCK_BASS, c.beat + 1.0, 0.4, style == BOUNCE ? root + 12 : root + 7, velocity * 0.75f, 0.0f);
            add_note(s, PLUCK_BASS, c.beat + 1.5, 0.4, step_in == root ? root + 7 : step_in, velocity * 0.8f, 0.0f);
            continue;
        }
        if (style == BOUNCE) {
            add_note(s, PLUCK_BASS, c.beat, 0.7, root, velocity, 0.0f);
            add_note(s, PLUCK_BASS, c.beat + 1.5, 0.4, root + 12, velocity * 0.75f, 0.0f);
            add_note(s, PLUCK_BASS, c.beat + 2.0, 0.7, root + 7, velocity * 0.9f, 0.0f);
            add_note(s, PLUCK_BASS, c.beat + 3.0, 0.4, root, velocity * 0.8f, 0.0f);
            add_note(s, PLUCK_BASS, c.beat + 3.5, 0.4, step_in == root ? root + 7 : step_in, velocity * 0.8f, 0.0f);
        } else {
            const int walk[4] = {root, root + third_of(c), root + 7, step_in == root ? root + 5 : step_in};
            for (int b = 0; b < 4; ++b) add_note(s, PLUCK_BASS, c.beat + b, 0.85, walk[b], velocity, 0.0f);
        }
    }
}

struct Kit {
    bool kick, backbeat, hats, shaker;
};

void drums(Score &s, int first_bar, int bars, const Kit &kit) {
    for (int bar = first_bar; bar < first_bar + bars; ++bar) {
        const double b = bar * BAR;
        const bool last = bar == first_bar + bars - 1;
        if (kit.kick) {
            add_note(s, KICK, b, 0.5, 0, 0.9f, 0.0f, 0.0f, 0.3f);
            add_note(s, KICK, b + 2, 0.5, 0, 0.8f, 0.0f, 0.0f, 0.3f);
            if (bar % 2 == 1) add_note(s, KICK, b + 2.5, 0.5, 0, 0.5f, 0.0f, 0.0f, 0.3f);
        }
        if (kit.backbeat) {
            add_note(s, CLAP, b + 1, 0.5, 0, 0.8f, -0.1f, 0.0f, 0.3f);
            add_note(s, CLAP, b + 3, 0.5, 0, 0.8f, -0.1f, 0.0f, 0.3f);
            if (last) add_note(s, CLAP, b + 3.5, 0.5, 0, 0.55f, 0.1f, 0.0f, 0.3f);
        }
        if (kit.hats)
            for (int e = 0; e < 8; ++e) add_note(s, HAT, b + 0.5 * e, 0.25, 0, e % 2 ? 0.85f : 0.45f, 0.3f, 0.0f, 0.3f);
        if (kit.shaker)
            for (int e = 0; e < 16; ++e)
                add_note(s, SHAKER, b + 0.25 * e, 0.2, 0, e % 4 == 2 ? 0.9f : 0.5f, -0.35f, 0.0f, 0.3f);
    }
}

int bars_of(const std::vector<Chord> &prog) {
    return static_cast<int>((prog.back().beat + prog.back().beats - prog.front().beat) / BAR + 0.5);
}

void verse_band(Score &s, const std::vector<Chord> &prog, int bar) {
    const int pattern[8] = {0, 1, 2, 1, 3, 1, 2, 1};
    picking(s, prog, pattern, 0.5, 0.4f);
    stabs(s, prog, true, 0.3f);
    bass_line(s, prog, BOUNCE, 0.8f);
    drums(s, bar, bars_of(prog), {true, true, true, false});
}

void chorus_band(Score &s, const std::vector<Chord> &prog, int bar) {
    const int pattern[8] = {0, 2, 3, 2, 1, 2, 3, 2};
    picking(s, prog, pattern, 0.5, 0.36f);
    stabs(s, prog, false, 0.3f);
    pad_chords(s, prog, 0.4f);
    bass_line(s, prog, WALK, 0.8f);
    drums(s, bar, bars_of(prog), {true, true, true, true});
}

}  // namespace

Track compose_spring() {
    Score s{120.0, BAR, {}, {0x5b1e2003}, 0.04};

    std::vector<Chord> intro = chords(s, INTRO, VERSE_CHORDS);
    intro.resize(4);
    const int pattern[8] = {0, 1, 2, 1, 3, 1, 2, 1};
    picking(s, intro, pattern, 0.5, 0.4f);
    bass_line(s, {intro[2], intro[3]}, BOUNCE, 0.75f);
    drums(s, INTRO, 2, {false, false, true, false});
    drums(s, INTRO + 2, 2, {true, false, true, false});

    verse_band(s, chords(s, A1, VERSE_CHORDS), A1);
    call_and_answer(s, melody(s, A1, VERSE), A1, 0.75f);

    verse_band(s, chords(s, A2, VERSE_CHORDS), A2);
    call_and_answer(s, melody(s, A2, VERSE2), A2, 0.78f);

    chorus_band(s, chords(s, B1, CHORUS_CHORDS), B1);
    play(s, PLUCK, melody(s, B1, CHORUS), 0.75f, -0.2f);
    play(s, MARIMBA, melody(s, B1, CHORUS), 0.45f, 0.35f, 0.9f, -12);

    verse_band(s, chords(s, A3, VERSE_CHORDS), A3);
    std::vector<Tone> verse = melody(s, A3, VERSE);
    call_and_answer(s, verse, A3, 0.75f);
    play(s, PLUCK, harmony(verse, KEY, -2), 0.42f, -0.5f, 0.9f);

    // Bridge: the kit drops to kick and shaker, a pad and the piano carry
    // the tune, and the groove comes back in the last four bars.
    std::vector<Chord> bridge = chords(s, BRIDGE, BRIDGE_CHORDS);
    pad_chords(s, bridge, 0.55f);
    bass_line(s, bridge, LONG, 0.75f);
    const int slow[8] = {0, 1, 2, 3, 2, 1, 2, 3};
    picking(s, bridge, slow, 1.0, 0.32f);
    play(s, EPIANO, melody(s, BRIDGE, BRIDGE_LINE), 0.6f, 0.1f, 0.95f);
    play(s, BELL, melody(s, BRIDGE, BRIDGE_LINE), 0.2f, -0.3f, 0.9f, 12);
    drums(s, BRIDGE, 4, {false, false, false, true});
    drums(s, BRIDGE + 4, 4, {true, false, false, true});

    chorus_band(s, chords(s, B2, CHORUS_CHORDS), B2);
    std::vector<Tone> chorus = melody(s, B2, CHORUS);
    play(s, PLUCK, chorus, 0.75f, -0.2f);
    play(s, MARIMBA, harmony(chorus, KEY, -2), 0.4f, 0.4f, 0.9f);

    verse_band(s, chords(s, A4, VERSE_CHORDS), A4);
    std::vector<Tone> verse2 = melody(s, A4, VERSE2);
    call_and_answer(s, verse2, A4, 0.78f);
    play(s, PLUCK, harmony(verse2, KEY, -2), 0.42f, -0.5f, 0.9f);
    play(s, BELL, verse2, 0.14f, 0.0f, 0.9f, 12);

    // Coda: two bars of groove, then the G rings out and everything stops
    // well before the loop point.
    verse_band(s, chords(s, CODA, CODA_CHORDS), CODA);
    play(s, PLUCK, melody(s, CODA, CODA_LINE), 0.78f, -0.2f);
    play(s, MARIMBA, melody(s, CODA, CODA_LINE), 0.45f, 0.35f, 0.9f, -12);
    const double last = (CODA + 2) * BAR;
    const int strum[6] = {43, 55, 59, 62, 67, 71};
    for (int k = 0; k < 6; ++k) add_note(s, PLUCK, last + 0.05 * k, 5.0, strum[k], 0.5f, -0.4f + 0.16f * k);
    add_note(s, PLUCK_BASS, last, 3.0, 43, 0.75f, 0.0f);
    add_note(s, KICK, last, 0.5, 0, 0.7f, 0.0f, 0.0f, 0.3f);
    pad_chords(s, {Chord{last, 4.0, 43, {55, 59, 62, 67}}}, 0.35f);

    return {s.notes, seconds_at(s, BARS * BAR), {0.7f, 0.5f, 1.6f, 0.75 * 60.0 / s.bpm, 0.25f, 1.0f}, -15.5f};
}
