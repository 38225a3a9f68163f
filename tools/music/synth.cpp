#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

namespace {

const double PI = 3.141592653589793, TWO_PI = 2.0 * PI;
// Keeps the feedback loops of reverb and delay out of denormal numbers in
// the silent tail (a DC of -340 dB).
const float ANTI_DENORMAL = 1e-18f;

// The voices call sine hundreds of millions of times: a table with linear
// interpolation is exact to 3e-7 and many times faster than std::sin.
const int SINE_SIZE = 4096;
float sine_table[SINE_SIZE + 1];

void init_sine() {
    for (int i = 0; i <= SINE_SIZE; ++i) sine_table[i] = static_cast<float>(std::sin(TWO_PI * i / SINE_SIZE));
}

// phase in cycles, any sign
inline float sine(double cycles) {
    double x = (cycles - std::floor(cycles)) * SINE_SIZE;
    int i = static_cast<int>(x);
    float f = static_cast<float>(x - i);
    return sine_table[i] + f * (sine_table[i + 1] - sine_table[i]);
}

inline float decay_per_sample(double seconds) {
    return static_cast<float>(std::exp(-1.0 / (seconds * RATE)));
}

inline float one_pole(double hz) {
    return static_cast<float>(1.0 - std::exp(-TWO_PI * hz / RATE));
}

// Band-limited step correction for the saw (polyBLEP).
inline float blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return static_cast<float>(t + t - t * t - 1.0);
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return static_cast<float>(t * t + t + t + 1.0);
    }
    return 0.0f;
}

struct Adsr {
    float attack;   // seconds, linear
    float decay;    // seconds to fall by 1/e towards sustain
    float sustain;  // level while held
};

// Linear attack, exponential fall to the sustain level while the key is
// held, then a release over the rest of the buffer that reaches exactly
// zero on its last sample: no note ever ends on a step.
void envelope(const Adsr &a, int held, std::vector<float> &env) {
    const int n = static_cast<int>(env.size());
    const int attack = std::max(1, static_cast<int>(a.attack * RATE));
    const float k = decay_per_sample(a.decay);
    float fall = 1.0f, level = 0.0f;
    int i = 0;
    for (; i < held && i < n; ++i) {
        if (i < attack) {
            level = static_cast<float>(i + 1) / attack;
        } else {
            fall *= k;
            level = a.sustain + (1.0f - a.sustain) * fall;
        }
        env[i] = level;
    }
    const int release = n - i;
    if (release <= 0) return;
    const float kr = static_cast<float>(std::exp(-5.0 / release));
    float r = 1.0f;
    for (int j = 0; i < n; ++i, ++j) {
        r *= kr;
        env[i] = level * r * (1.0f - static_cast<float>(j + 1) / release);
    }
}

// Chamberlin state-variable filter; stable below RATE / 6.
struct Svf {
    float low = 0, band = 0;
    float f = 0, q = 1;
    void tune(float hz, float damping) {
        f = static_cast<float>(2.0 * std::sin(PI * std::min(hz, RATE / 6.5f) / RATE));
        q = damping;
    }
    float step(float in) {
        low += f * band;
        float high = in - low - q * band;
        band += f * high;
        return low;
    }
};

struct Ctx {
    const Note &note;
    Rng &rng;
    int held;  // samples
    std::vector<float> &out;
    std::vector<float> &env;
};

void epiano(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    const float v = c.note.velocity;
    const float body_decay = static_cast<float>(std::clamp(1.7 * std::sqrt(220.0 / f), 0.5, 3.2));
    envelope({0.003f, body_decay, 0.0f}, c.held, c.env);
    // The modulator stays locked to the carrier: drifting apart, the 1:1
    // pair would leave a slowly wandering offset (its difference tone).
    const double dc = f / RATE, dt = 14.0 * f / RATE;
    // the tine fades out of the top octaves, where it would only glare
    const float tine_scale = static_cast<float>(std::clamp((9000.0 - 14.0 * f) / 5000.0, 0.0, 1.0));
    const bool tine = tine_scale > 0.0f;
    const float ki = decay_per_sample(0.2), kt = decay_per_sample(0.06);
    float index = 2.5f * v + 0.8f, tine_amp = 0.5f * v * tine_scale;
    const float index_floor = 0.5f;
    double pc = 0, pt = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        float mod = (index + index_floor) * sine(pc) / static_cast<float>(TWO_PI);
        float s = sine(pc + mod);
        if (tine) s += tine_amp * sine(pt);
        c.out[i] = s * c.env[i];
        pc += dc;
        pt += dt;
        index *= ki;
        tine_amp *= kt;
    }
}

void bell(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    envelope({0.002f, 1.3f, 0.0f}, c.held, c.env);
    const double dc = f / RATE, dm = 3.5 * f / RATE;
    const float ki = decay_per_sample(0.5);
    float index = 1.6f * c.note.velocity;
    double pc = 0, pm = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        float mod = (index + 0.15f) * sine(pm) / static_cast<float>(TWO_PI);
        c.out[i] = sine(pc + mod) * c.env[i];
        pc += dc;
        pm += dm;
        index *= ki;
    }
}

void marimba(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    const float fundamental = static_cast<float>(std::clamp(0.45 * std::sqrt(440.0 / f), 0.15, 0.8));
    envelope({0.0015f, fundamental, 0.0f}, c.held, c.env);
    const bool tenth = 10.0 * f < 16000.0;
    const float k4 = decay_per_sample(0.07), k10 = decay_per_sample(0.018);
    float a4 = 0.32f, a10 = tenth ? 0.07f : 0.0f;
    double p1 = 0, p4 = 0, p10 = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        float s = sine(p1) + a4 * sine(p4) + a10 * sine(p10);
        c.out[i] = s * c.env[i];
        p1 += f / RATE;
        p4 += 4.0 * f / RATE;
        p10 += 10.0 * f / RATE;
        a4 *= k4;
        a10 *= k10;
    }
}

void lead(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    envelope({0.07f, 1.6f, 0.72f}, c.held, c.env);
    // breath: band-limited noise around the fourth harmonic
    Svf breath;
    breath.tune(static_cast<float>(std::min(4.0 * f, 6000.0)), 1.2f);
    double p = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        const double t = static_cast<double>(i) / RATE;
        // vibrato grows in after the attack, as a player's would
        const double depth = 0.0045 * std::clamp((t - 0.25) / 0.6, 0.0, 1.0);
        const double hz = f * (1.0 + depth * sine(5.1 * t));
        float s = sine(p) + 0.35f * sine(2 * p) + 0.18f * sine(3 * p) + 0.09f * sine(4 * p) + 0.04f * sine(5 * p);
        s += 0.16f * breath.step(rng_signed(c.rng));
        c.out[i] = s * c.env[i];
        p += hz / RATE;
    }
}

void pad(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    envelope({1.4f, 3.0f, 0.8f}, c.held, c.env);
    const double cents[3] = {-7.0, 0.0, 6.0};
    double phase[3], dt[3];
    for (int k = 0; k < 3; ++k) {
        phase[k] = rng_float(c.rng);
        dt[k] = f * std::pow(2.0, cents[k] / 1200.0) / RATE;
    }
    const float a = one_pole(std::min(6.0 * f + 900.0, 3500.0));
    float lp1 = 0, lp2 = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        float s = 0;
        for (int k = 0; k < 3; ++k) {
            s += static_cast<float>(2.0 * phase[k] - 1.0) - blep(phase[k], dt[k]);
            phase[k] += dt[k];
            if (phase[k] >= 1.0) phase[k] -= 1.0;
        }
        lp1 += a * (s / 3.0f - lp1);
        lp2 += a * (lp1 - lp2);
        c.out[i] = lp2 * c.env[i];
    }
}

// Karplus-Strong: a burst of filtered noise circulating in a delay line one
// period long; the two-point average loses the highs first, as a string
// does, and a first-order all-pass supplies the fractional part of the
// period so that high notes stay in tune.
void pluck(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    envelope({0.001f, 100.0f, 1.0f}, c.held, c.env);
    const double period = RATE / f;
    // the average delays by half a sample, the all-pass by d in 0.1..1.1
    const int n = static_cast<int>(std::floor(period - 0.6));
    const double d = period - 0.5 - n;
    const float ap = static_cast<float>((1.0 - d) / (1.0 + d));
    const double tau = std::clamp(1.1 * std::sqrt(262.0 / f), 0.35, 2.5);
    const float rho =
        static_cast<float>(std::min(0.99995, std::exp(-period / (tau * RATE)) / std::cos(PI * f / RATE)));
    std::vector<float> line(n);
    const float bright = 0.12f + 0.35f * c.note.velocity;
    float lp = 0, mean = 0;
    for (float &x : line) {
        lp += bright * (rng_signed(c.rng) - lp);
        x = lp;
        mean += lp;
    }
    mean /= static_cast<float>(n);
    for (float &x : line) x -= mean;
    float last = 0, ap_x = 0, ap_y = 0;
    int at = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        float x = line[at];
        float avg = 0.5f * (x + last);
        float y = ap * avg + ap_x - ap * ap_y;
        ap_x = avg;
        ap_y = y;
        line[at] = y * rho;
        last = x;
        if (++at == n) at = 0;
        c.out[i] = 1.6f * x * c.env[i];
    }
}

void soft_bass(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    envelope({0.025f, 1.2f, 0.6f}, c.held, c.env);
    double p = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        float s = sine(p) + 0.3f * sine(2 * p) + 0.12f * sine(3 * p);
        c.out[i] = s * c.env[i];
        p += f / RATE;
    }
}

void pluck_bass(Ctx &c) {
    const double f = note_hz(c.note.pitch + c.note.detune / 100.0);
    envelope({0.004f, 0.35f, 0.55f}, c.held, c.env);
    const double dt = f / RATE;
    const float kc = decay_per_sample(0.09);
    float sweep = 1300.0f * c.note.velocity;
    Svf filter;
    double phase = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        if (i % 16 == 0) filter.tune(170.0f + sweep, 0.9f);
        float saw = static_cast<float>(2.0 * phase - 1.0) - blep(phase, dt);
        float s = filter.step(0.7f * saw) + 0.55f * sine(phase);
        c.out[i] = s * c.env[i];
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        sweep *= kc;
    }
}

void kick(Ctx &c) {
    envelope({0.002f, 0.11f, 0.0f}, static_cast<int>(c.out.size()) - RATE / 100, c.env);
    // the beater: a few milliseconds of dull noise, not a tick
    float bend = 1.0f, click = 0.08f, beater = 0.0f;
    const float kb = decay_per_sample(0.03), kk = decay_per_sample(0.004), a = one_pole(2500.0);
    double p = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        beater += a * (rng_signed(c.rng) - beater);
        c.out[i] = (sine(p) + click * beater) * c.env[i];
        p += (58.0 + 80.0 * bend) / RATE;
        bend *= kb;
        click *= kk;
    }
}

void clap(Ctx &c) {
    envelope({0.001f, 100.0f, 1.0f}, static_cast<int>(c.out.size()) - RATE / 100, c.env);
    Svf band;
    band.tune(1500.0f, 1.1f);
    const float kt = decay_per_sample(0.075), kb = decay_per_sample(0.004);
    float tail = 1.0f, burst = 1.0f;
    const int gap = RATE * 9 / 1000;
    for (size_t i = 0; i < c.out.size(); ++i) {
        if (i > 0 && i % gap == 0 && i <= static_cast<size_t>(2 * gap)) burst = 1.0f;
        float amp = std::max(burst, 0.55f * tail);
        band.step(rng_signed(c.rng));
        c.out[i] = 2.2f * band.band * amp * c.env[i];
        burst *= kb;
        if (i >= static_cast<size_t>(2 * gap)) tail *= kt;
    }
}

void hat(Ctx &c) {
    envelope({0.0008f, 0.028f, 0.0f}, static_cast<int>(c.out.size()) - RATE / 200, c.env);
    // white noise between 7 and 12 kHz: a closed hat without the sizzle
    const float a = one_pole(7000.0), top = one_pole(12000.0);
    float lp1 = 0, lp2 = 0, soft = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        float x = rng_signed(c.rng);
        lp1 += a * (x - lp1);
        float h = x - lp1;
        lp2 += a * (h - lp2);
        soft += top * ((h - lp2) - soft);
        c.out[i] = 1.4f * soft * c.env[i];
    }
}

void shaker(Ctx &c) {
    envelope({0.007f, 0.03f, 0.0f}, static_cast<int>(c.out.size()) - RATE / 200, c.env);
    // seeds around 5 to 6 kHz; the top octave stays out, or a run of
    // sixteenths turns into hiss
    Svf band;
    band.tune(5500.0f, 0.8f);
    const float top = one_pole(9000.0);
    float soft = 0;
    for (size_t i = 0; i < c.out.size(); ++i) {
        band.step(rng_signed(c.rng));
        soft += top * (band.band - soft);
        c.out[i] = 1.3f * soft * c.env[i];
    }
}

struct VoiceSpec {
    void (*render)(Ctx &);
    float tail;     // seconds after the key is released; drums: their whole length
    bool drum;      // fixed length, the key's length is ignored
    float gain;
    float reverb;   // send levels
    float delay;
};

const VoiceSpec VOICES[VOICE_COUNT] = {
    {epiano, 0.35f, false, 0.30f, 0.35f, 0.10f},
    {bell, 1.2f, false, 0.16f, 0.60f, 0.35f},
    {marimba, 0.12f, false, 0.30f, 0.25f, 0.15f},
    {lead, 0.35f, false, 0.22f, 0.45f, 0.30f},
    {pad, 1.8f, false, 0.14f, 0.55f, 0.0f},
    {pluck, 0.08f, false, 0.30f, 0.25f, 0.12f},
    {soft_bass, 0.25f, false, 0.20f, 0.0f, 0.0f},
    {pluck_bass, 0.07f, false, 0.30f, 0.0f, 0.0f},
    {kick, 0.35f, true, 0.30f, 0.0f, 0.0f},
    {clap, 0.30f, true, 0.16f, 0.30f, 0.0f},
    {hat, 0.12f, true, 0.10f, 0.08f, 0.0f},
    {shaker, 0.12f, true, 0.08f, 0.10f, 0.0f},
};

// Freeverb's tunings at 44.1 kHz: eight combs and four all-passes per side,
// the right side a little longer so that the tail is wide.
const int COMBS[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int ALLPASSES[4] = {556, 441, 341, 225};
const int SPREAD = 23;

struct Comb {
    std::vector<float> buf;
    int at = 0;
    float store = 0;
    float step(float in, float feedback, float damp) {
        float out = buf[at];
        store = out * (1.0f - damp) + store * damp;
        buf[at] = in + store * feedback;
        if (++at == static_cast<int>(buf.size())) at = 0;
        return out;
    }
};

struct Allpass {
    std::vector<float> buf;
    int at = 0;
    float step(float in) {
        float held = buf[at];
        buf[at] = in + held * 0.5f;
        if (++at == static_cast<int>(buf.size())) at = 0;
        return held - in;
    }
};

void reverb(const std::vector<float> &send, const Room &room, Stereo &mix) {
    Comb comb[2][8];
    Allpass pass[2][4];
    for (int s = 0; s < 2; ++s) {
        for (int k = 0; k < 8; ++k) comb[s][k].buf.assign(COMBS[k] + s * SPREAD, 0.0f);
        for (int k = 0; k < 4; ++k) pass[s][k].buf.assign(ALLPASSES[k] + s * SPREAD, 0.0f);
    }
    const float feedback = 0.7f + 0.28f * room.reverb_size, damp = 0.4f * room.reverb_damp;
    // Low end and top end stay out of the tail: no boom, no hiss.
    const float hp = one_pole(180.0), lp = one_pole(8000.0);
    const int predelay = RATE * 18 / 1000;
    float low = 0, top = 0;
    for (size_t i = 0; i < send.size(); ++i) {
        float x = i >= static_cast<size_t>(predelay) ? send[i - predelay] : 0.0f;
        low += hp * (x - low);
        top += lp * ((x - low) - top);
        float in = 0.015f * top + ANTI_DENORMAL;
        float out[2];
        for (int s = 0; s < 2; ++s) {
            float acc = 0;
            for (int k = 0; k < 8; ++k) acc += comb[s][k].step(in, feedback, damp);
            for (int k = 0; k < 4; ++k) acc = pass[s][k].step(acc);
            out[s] = acc;
        }
        // width 1: each side hears only its own tail
        mix.l[i] += room.reverb_return * out[0];
        mix.r[i] += room.reverb_return * out[1];
    }
}

// Ping-pong: the first echo comes from the left, the next from the right.
void delay(const std::vector<float> &send, const Room &room, Stereo &mix) {
    const int n = static_cast<int>(room.delay_seconds * RATE);
    std::vector<float> left(n, 0.0f), right(n, 0.0f);
    const float a = one_pole(3500.0);
    float soft = 0;
    int at = 0;
    for (size_t i = 0; i < send.size(); ++i) {
        float out_l = left[at], out_r = right[at];
        soft += a * (out_r - soft);
        left[at] = send[i] + room.delay_feedback * soft + ANTI_DENORMAL;
        right[at] = room.delay_feedback * out_l;
        if (++at == n) at = 0;
        mix.l[i] += room.delay_return * out_l;
        mix.r[i] += room.delay_return * out_r;
    }
}

}  // namespace

uint64_t rng_next(Rng &rng) {
    uint64_t z = (rng.state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

float rng_float(Rng &rng) {
    return static_cast<float>(rng_next(rng) >> 40) / 16777216.0f;
}

float rng_signed(Rng &rng) {
    return 2.0f * rng_float(rng) - 1.0f;
}

double note_hz(double pitch) {
    return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0);
}

Stereo render(const std::vector<Note> &notes, double seconds, const Room &room, uint64_t seed) {
    init_sine();
    const size_t total = static_cast<size_t>(seconds * RATE);
    Stereo mix;
    mix.l.assign(total, 0.0f);
    mix.r.assign(total, 0.0f);
    std::vector<float> reverb_send(total, 0.0f), delay_send(total, 0.0f), out, env;
    for (size_t k = 0; k < notes.size(); ++k) {
        const Note &note = notes[k];
        const VoiceSpec &voice_spec = VOICES[note.voice];
        const long start = std::lround(note.start * RATE);
        const int held = voice_spec.drum ? 0 : static_cast<int>(note.length * RATE);
        const int length = held + static_cast<int>(voice_spec.tail * RATE);
        out.assign(length, 0.0f);
        env.assign(length, 0.0f);
        Rng rng{seed ^ (k * 0x632be59bd9b4e019ULL)};
        Ctx ctx{note, rng, held, out, env};
        voice_spec.render(ctx);
        // constant-power pan
        const double angle = (std::clamp(note.pan, -1.0f, 1.0f) + 1.0) * PI / 4.0;
        const float amp = voice_spec.gain * note.velocity;
        const float gl = amp * static_cast<float>(std::cos(angle)), gr = amp * static_cast<float>(std::sin(angle));
        for (int i = 0; i < length; ++i) {
            long at = start + i;
            if (at < 0 || at >= static_cast<long>(total)) continue;
            mix.l[at] += gl * out[i];
            mix.r[at] += gr * out[i];
            reverb_send[at] += amp * voice_spec.reverb * out[i];
            delay_send[at] += amp * voice_spec.delay * out[i];
        }
    }
    reverb(reverb_send, room, mix);
    delay(delay_send, room, mix);
    return mix;
}

void master(Stereo &mix, float target_rms_db, float ceiling_db, double fade_in, double fade_out) {
    const size_t n = mix.l.size();
    // below hearing: DC and rumble out
    const float a = one_pole(25.0);
    float dc_l = 0, dc_r = 0;
    for (size_t i = 0; i < n; ++i) {
        dc_l += a * (mix.l[i] - dc_l);
        dc_r += a * (mix.r[i] - dc_r);
        mix.l[i] -= dc_l;
        mix.r[i] -= dc_r;
    }
    const float gain = std::pow(10.0f, (target_rms_db - rms_db(mix)) / 20.0f);
    for (size_t i = 0; i < n; ++i) {
        mix.l[i] *= gain;
        mix.r[i] *= gain;
    }
    // Look-ahead limiter. need[i] is the gain sample i needs; the minimum
    // over the next `ahead` samples, averaged over the last `ahead`, is a
    // smooth curve that never exceeds need[] (each average term's window
    // holds i); the release then only ever lowers it further.
    const float ceiling = std::pow(10.0f, ceiling_db / 20.0f);
    const int ahead = RATE * 5 / 1000;
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        float p = std::max(std::fabs(mix.l[i]), std::fabs(mix.r[i]));
        need[i] = p > ceiling ? ceiling / p : 1.0f;
    }
    std::deque<size_t> window;  // indices of increasing need
    std::vector<float> lowest(n);
    size_t next = 0;
    for (size_t i = 0; i < n; ++i) {
        for (; next < n && next < i + ahead; ++next) {
            while (!window.empty() && need[window.back()] >= need[next]) window.pop_back();
            window.push_back(next);
        }
        while (window.front() < i) window.pop_front();
        lowest[i] = need[window.front()];
    }
    const float release = 1.0f - decay_per_sample(0.2);
    double sum = 0;
    float g = 1.0f;
    for (size_t i = 0; i < n; ++i) {
        sum += lowest[i];
        if (i >= static_cast<size_t>(ahead)) sum -= lowest[i - ahead];
        // before `ahead` samples exist the missing terms count as 1, which
        // the window minimum of sample 0 already bounds
        float smooth = static_cast<float>(
            (sum + (i + 1 < static_cast<size_t>(ahead) ? (ahead - i - 1) * lowest[0] : 0.0)) / ahead);
        g = std::min(smooth, g + release * (1.0f - g));
        mix.l[i] *= g;
        mix.r[i] *= g;
    }
    const size_t in = static_cast<size_t>(fade_in * RATE), out = static_cast<size_t>(fade_out * RATE);
    for (size_t i = 0; i < in && i < n; ++i) {
        float s = static_cast<float>(std::sin(0.5 * PI * i / in));
        mix.l[i] *= s * s;
        mix.r[i] *= s * s;
    }
    for (size_t i = 0; i < out && i < n; ++i) {
        float s = static_cast<float>(std::sin(0.5 * PI * i / out));
        mix.l[n - 1 - i] *= s * s;
        mix.r[n - 1 - i] *= s * s;
    }
}

float peak_db(const Stereo &mix) {
    float p = 1e-9f;
    for (size_t i = 0; i < mix.l.size(); ++i) p = std::max({p, std::fabs(mix.l[i]), std::fabs(mix.r[i])});
    return 20.0f * std::log10(p);
}

float rms_db(const Stereo &mix) {
    double sum = 1e-18;
    for (size_t i = 0; i < mix.l.size(); ++i) sum += mix.l[i] * mix.l[i] + mix.r[i] * mix.r[i];
    return static_cast<float>(10.0 * std::log10(sum / (2.0 * std::max<size_t>(1, mix.l.size()))));
}

std::vector<int16_t> to_pcm16(const Stereo &mix) {
    std::vector<int16_t> pcm(2 * mix.l.size());
    for (size_t i = 0; i < mix.l.size(); ++i) {
        pcm[2 * i] = static_cast<int16_t>(std::clamp(std::lround(mix.l[i] * 32767.0f), -32768L, 32767L));
        pcm[2 * i + 1] = static_cast<int16_t>(std::clamp(std::lround(mix.r[i] * 32767.0f), -32768L, 32767L));
    }
    return pcm;
}

bool write_wav(const char *path, const std::vector<int16_t> &pcm) {
    const uint32_t data = static_cast<uint32_t>(pcm.size() * 2);
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + data);
    auto text = [&](const char *s) { bytes.insert(bytes.end(), s, s + 4); };
    auto u32 = [&](uint32_t v) {
        for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<unsigned char>(v >> (8 * k)));
    };
    auto u16 = [&](uint16_t v) {
        bytes.push_back(static_cast<unsigned char>(v));
        bytes.push_back(static_cast<unsigned char>(v >> 8));
    };
    text("RIFF");
    u32(36 + data);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);  // PCM
    u16(2);
    u32(RATE);
    u32(RATE * 4);
    u16(4);
    u16(16);
    text("data");
    u32(data);
    for (int16_t s : pcm) u16(static_cast<uint16_t>(s));
    FILE *f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
