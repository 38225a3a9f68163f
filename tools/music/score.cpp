#include "score.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

[[noreturn]] void fail(const std::string &what) {
    std::fprintf(stderr, "talvena_music: %s\n", what.c_str());
    std::exit(1);
}

std::vector<std::string> split(const std::string &text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) parts.push_back(part);
    return parts;
}

std::vector<std::string> words(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

const int MAJOR[7] = {0, 2, 4, 5, 7, 9, 11};

}  // namespace

double seconds_at(const Score &s, double beat) {
    return s.lead_in + beat * 60.0 / s.bpm;
}

void add_note(Score &s, Voice v, double beat, double beats, int pitch, float velocity, float pan, float detune,
              float jitter) {
    const double early_late = 0.006 * jitter * rng_signed(s.rng);
    const float loud_soft = 1.0f + 0.07f * rng_signed(s.rng);
    Note n;
    n.voice = v;
    n.start = std::max(0.0, seconds_at(s, beat) + early_late);
    n.length = beats * 60.0 / s.bpm;
    n.pitch = pitch;
    n.velocity = std::min(1.0f, velocity * loud_soft);
    n.pan = pan;
    n.detune = detune;
    s.notes.push_back(n);
}

int pitch_of(const std::string &name) {
    static const int LETTER[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') fail("bad note name '" + name + "'");
    int pc = LETTER[name[0] - 'A'];
    size_t at = 1;
    if (name[at] == '#') pc += 1, ++at;
    else if (name[at] == 'b') pc -= 1, ++at;
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') fail("bad note name '" + name + "'");
    return 12 * (name[at] - '0' + 1) + pc;
}

std::vector<Tone> melody(const Score &s, int bar, const char *text) {
    std::vector<Tone> line;
    for (const std::string &bar_text : split(text, '|')) {
        std::vector<std::string> tokens = words(bar_text);
        if (tokens.empty()) continue;
        double at = 0;
        for (const std::string &t : tokens) {
            size_t colon = t.find(':');
            if (colon == std::string::npos) fail("melody token without length '" + t + "'");
            double beats = std::atof(t.c_str() + colon + 1);
            if (beats <= 0) fail("bad length in '" + t + "'");
            std::string name = t.substr(0, colon);
            if (name != "-") line.push_back({bar * s.bar_beats + at, beats, pitch_of(name)});
            at += beats;
        }
        if (std::fabs(at - s.bar_beats) > 1e-9)
            fail("bar " + std::to_string(bar) + " holds " + std::to_string(at) + " beats: " + bar_text);
        ++bar;
    }
    return line;
}

std::vector<Chord> chords(const Score &s, int bar, const char *text) {
    std::vector<Chord> out;
    for (const std::string &bar_text : split(text, '|')) {
        std::vector<std::string> halves = split(bar_text, '/');
        if (words(bar_text).empty()) continue;
        const double beats = static_cast<double>(s.bar_beats) / halves.size();
        for (size_t h = 0; h < halves.size(); ++h) {
            std::vector<std::string> names = words(halves[h]);
            if (names.size() < 3) fail("chord needs a bass and two tones: " + halves[h]);
            Chord c{bar * s.bar_beats + h * beats, beats, pitch_of(names[0]), {}};
            for (size_t k = 1; k < names.size(); ++k) c.tones.push_back(pitch_of(names[k]));
            out.push_back(c);
        }
        ++bar;
    }
    return out;
}

void play(Score &s, Voice v, const std::vector<Tone> &line, float velocity, float pan, float legato, int transpose) {
    for (const Tone &t : line) add_note(s, v, t.beat, t.beats * legato, t.pitch + transpose, velocity, pan);
}

std::vector<Tone> harmony(const std::vector<Tone> &line, int key, int steps) {
    std::vector<Tone> out = line;
    for (Tone &t : out) {
        int rel = t.pitch - key;
        int octave = (rel >= 0 ? rel : rel - 11) / 12;
        int pc = rel - 12 * octave, degree = -1;
        for (int d = 0; d < 7; ++d)
            if (MAJOR[d] == pc) degree = d;
        if (degree < 0) fail("harmony of a note outside the key");
        int target = degree + steps;
        int shift = (target >= 0 ? target : target - 6) / 7;
        t.pitch = key + 12 * (octave + shift) + MAJOR[target - 7 * shift];
    }
    return out;
}

const Chord &chord_at(const std::vector<Chord> &progression, double beat) {
    for (const Chord &c : progression)
        if (beat >= c.beat - 1e-9 && beat < c.beat + c.beats - 1e-9) return c;
    fail("no chord at beat " + std::to_string(beat));
}

int third_of(const Chord &c) {
    for (int t : c.tones) {
        int interval = ((t - c.bass) % 12 + 12) % 12;
        if (interval == 3 || interval == 4) return interval;
    }
    return 4;
}
