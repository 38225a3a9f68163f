// "Dream of you": D major, 72 beats a minute. A soft pad under a rippling
// electric piano, an airy lead on top, a round bass; glass bells in the
// later verses. Form: intro, A, B, A' (bells), bridge (a borrowed G minor),
// A'' that closes on D, and two bars of D major ninth that fade into the
// intro's first chord when the track starts again.
#include "score.h"

namespace {

const int BAR = 4;
const int INTRO = 0, A1 = 4, B1 = 12, A2 = 20, BRIDGE = 28, A3 = 32, END = 40, BARS = 42;

const char *VERSE_CHORDS =
    "D2 F#3 A3 C#4 E4 | B1 F#3 A3 D4 E4 | G2 F#3 A3 B3 D4 | A2 G3 B3 D4 E4 |"
    "D2 F#3 A3 C#4 E4 | B1 F#3 A3 D4 E4 | G2 F#3 A3 B3 D4 | A2 G3 B3 D4 E4";
const char *CLOSING_CHORDS =
    "D2 F#3 A3 C#4 E4 | B1 F#3 A3 D4 E4 | G2 F#3 A3 B3 D4 | A2 G3 B3 D4 E4 |"
    "D2 F#3 A3 C#4 E4 | B1 F#3 A3 D4 E4 | G2 F#3 A3 B3 D4 | A2 G3 B3 D4 E4 / A2 G3 A3 C#4 E4";
const char *CHORUS_CHORDS =
    "E2 G3 B3 D4 F#4 | F#2 A3 C#4 E4 F#4 | G2 F#3 A3 B3 D4 | A2 G3 B3 D4 E4 |"
    "E2 G3 B3 D4 F#4 | F#2 A3 C#4 E4 F#4 | B1 A3 C#4 D4 F#4 | A2 G3 B3 D4 E4 / A2 G3 A3 C#4 E4";
const char *BRIDGE_CHORDS = "G2 F#3 A3 B3 D4 | G2 G3 Bb3 D4 E4 | F#2 F#3 A3 D4 E4 | A2 G3 B3 D4 E4";
const char *FINAL_CHORDS = "D2 F#3 A3 C#4 E4 | D2 F#3 A3 C#4 E4";

const char *VERSE =
    "-:1 A4:0.5 C#5:0.5 E5:2 | F#5:1.5 E5:0.5 D5:1 C#5:1 | B4:3 -:0.5 A4:0.5 | D5:1 E5:1 A4:2 |"
    "-:1 A4:0.5 C#5:0.5 E5:1.5 F#5:0.5 | A5:1.5 F#5:0.5 E5:1 D5:1 | F#5:1.5 E5:0.5 D5:1 B4:1 | E5:2.5 -:1.5";
const char *CLOSING =
    "-:1 A4:0.5 C#5:0.5 E5:2 | F#5:1.5 E5:0.5 D5:1 C#5:1 | B4:3 -:0.5 A4:0.5 | D5:1 E5:1 A4:2 |"
    "-:1 A4:0.5 C#5:0.5 E5:1.5 F#5:0.5 | A5:1.5 F#5:0.5 E5:1 D5:1 | F#5:1.5 E5:0.5 D5:1 B4:1 | E5:1.5 D5:0.5 C#5:2 |"
    "D5:4 | -:4";
const char *CHORUS =
    "-:0.5 E5:0.5 F#5:0.5 G5:2.5 | F#5:1 E5:1 C#5:2 | -:0.5 D5:0.5 E5:0.5 F#5:2.5 | E5:1 D5:1 B4:2 |"
    "-:0.5 B4:0.5 E5:0.5 G5:1.5 B5:1 | A5:1.5 F#5:0.5 E5:1 C#5:1 | D5:1 C#5:0.5 D5:0.5 F#5:2 | E5:1.5 D5:0.5 C#5:2";
const char *BRIDGE_LINE = "B4:3 D5:1 | Bb4:3 D5:1 | A4:3 F#4:1 | E4:2 -:2";

// Broken chords in eighths over the voicing and the bass two octaves up.
void ripple(Score &s, const std::vector<Chord> &prog, const int *pattern, int steps, double step, float velocity) {
    for (const Chord &c : prog) {
        std::vector<int> tones = {c.bass + 24};
        tones.insert(tones.end(), c.tones.begin(), c.tones.end());
        tones.push_back(c.tones[1] + 12);
        for (int k = 0; k * step < c.beats - 1e-9; ++k) {
            int p = tones[pattern[k % steps] % tones.size()];
            float accent = (k % 4 == 0) ? 1.0f : 0.8f;
            float pan = -0.35f + 0.7f * static_cast<float>(p % 12) / 11.0f;
            add_note(s, EPIANO, c.beat + k * step, step * 1.8, p, velocity * accent, pan);
        }
    }
}

// Two pad layers, spread left and right and detuned against each other.
void pad_chords(Score &s, const std::vector<Chord> &prog, float velocity) {
    for (const Chord &c : prog)
        for (int t : c.tones) {
            add_note(s, PAD, c.beat, c.beats + 0.15, t, velocity, -0.55f, -4.0f);
            add_note(s, PAD, c.beat, c.beats + 0.15, t, velocity, 0.55f, 4.0f);
        }
}

void bass_line(Score &s, const std::vector<Chord> &prog, bool moving, float velocity) {
    for (const Chord &c : prog) {
        if (!moving || c.beats < BAR) {
            add_note(s, SOFT_BASS, c.beat, c.beats * 0.95, c.bass, velocity, 0.0f);
            continue;
        }
        add_note(s, SOFT_BASS, c.beat, 2.4, c.bass, velocity, 0.0f);
        add_note(s, SOFT_BASS, c.beat + 2.5, 1.4, c.bass + 7, velocity * 0.8f, 0.0f);
    }
}

// Now and then a high bell on a chord tone, placed by the seed.
void sparkles(Score &s, const std::vector<Chord> &prog) {
    for (size_t k = 0; k < prog.size(); ++k) {
        if (k % 2 == 1 && rng_float(s.rng) < 0.5f) continue;
        const Chord &c = prog[k];
        int tone = c.tones[rng_next(s.rng) % c.tones.size()] + 24;
        double at = c.beat + 0.5 * (1 + rng_next(s.rng) % 6);
        add_note(s, BELL, at, 0.5, tone, 0.35f + 0.2f * rng_float(s.rng), rng_signed(s.rng) * 0.7f);
    }
}

// A brushed shaker on the eighths, barely there: air over the chorus.
void brushes(Score &s, int first_bar, int bars) {
    for (int k = 0; k < bars * 8; ++k)
        add_note(s, SHAKER, first_bar * BAR + 0.5 * k, 0.2, 0, k % 2 ? 0.45f : 0.25f, 0.4f, 0.0f, 0.5f);
}

}  // namespace

Track compose_dream() {
    Score s{72.0, BAR, {}, {0xd7ea3f0e}, 0.04};
    const int flowing[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    const int rocking[8] = {0, 2, 4, 5, 1, 3, 5, 4};
    const int wide[8] = {0, 3, 5, 3, 1, 4, 5, 2};

    std::vector<Chord> intro = chords(s, INTRO, VERSE_CHORDS);
    intro.resize(4);
    ripple(s, intro, flowing, 8, 0.5, 0.42f);
    pad_chords(s, intro, 0.45f);
    bass_line(s, {intro[2], intro[3]}, false, 0.6f);

    std::vector<Chord> a1 = chords(s, A1, VERSE_CHORDS);
    ripple(s, a1, flowing, 8, 0.5, 0.4f);
    pad_chords(s, a1, 0.55f);
    bass_line(s, a1, false, 0.75f);
    play(s, LEAD, melody(s, A1, VERSE), 0.7f, 0.05f);

    std::vector<Chord> b1 = chords(s, B1, CHORUS_CHORDS);
    ripple(s, b1, rocking, 8, 0.5, 0.42f);
    pad_chords(s, b1, 0.6f);
    bass_line(s, b1, true, 0.8f);
    play(s, LEAD, melody(s, B1, CHORUS), 0.75f, 0.05f);
    brushes(s, B1, 8);
    sparkles(s, b1);

    std::vector<Chord> a2 = chords(s, A2, VERSE_CHORDS);
    ripple(s, a2, wide, 8, 0.5, 0.42f);
    pad_chords(s, a2, 0.6f);
    bass_line(s, a2, true, 0.8f);
    play(s, LEAD, melody(s, A2, VERSE), 0.72f, 0.05f);
    play(s, BELL, melody(s, A2, VERSE), 0.22f, -0.4f, 0.9f, 12);
    sparkles(s, a2);
    brushes(s, A2, 8);

    // The bridge thins out: rolled chords instead of the ripple, and the
    // lead steps down chromatically over the borrowed minor chord.
    std::vector<Chord> bridge = chords(s, BRIDGE, BRIDGE_CHORDS);
    for (const Chord &c : bridge)
        for (double at : {0.0, 1.5})
            for (size_t k = 0; k < c.tones.size(); ++k)
                add_note(s, EPIANO, c.beat + at + 0.06 * k, 2.2, c.tones[k] + 12, 0.33f, -0.3f + 0.2f * k);
    pad_chords(s, bridge, 0.65f);
    bass_line(s, bridge, false, 0.7f);
    play(s, LEAD, melody(s, BRIDGE, BRIDGE_LINE), 0.62f, 0.05f);

    std::vector<Chord> a3 = chords(s, A3, CLOSING_CHORDS);
    ripple(s, a3, flowing, 8, 0.5, 0.4f);
    pad_chords(s, a3, 0.55f);
    bass_line(s, a3, false, 0.75f);
    play(s, LEAD, melody(s, A3, CLOSING), 0.7f, 0.05f);
    sparkles(s, a3);

    // The ending: the ripple slows to quarters and stops, the chord rings
    // out under the last D of the lead and is gone before the loop point.
    std::vector<Chord> end = chords(s, END, FINAL_CHORDS);
    const int settle[4] = {0, 2, 3, 4};
    ripple(s, {Chord{end[0].beat, 4.0, end[0].bass, end[0].tones}}, settle, 4, 1.0, 0.36f);
    add_note(s, EPIANO, end[1].beat, 3.0, end[0].tones[3] + 12, 0.28f, 0.2f);
    pad_chords(s, {Chord{end[0].beat, 5.0, end[0].bass, end[0].tones}}, 0.5f);
    add_note(s, SOFT_BASS, end[0].beat, 5.0, end[0].bass, 0.7f, 0.0f);

    return {s.notes, seconds_at(s, BARS * BAR), {0.86f, 0.45f, 1.2f, 0.75 * 60.0 / s.bpm, 0.35f, 1.2f}, -17.0f};
}
