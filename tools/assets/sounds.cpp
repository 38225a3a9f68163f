#include "sounds.h"

#include <algorithm>
#include <cmath>

#include "raster.h"

namespace {

struct Mode {
    float freq, decay, amp;  // Hz, seconds to fall to 1/e, relative level
};

// Struck wood: a few damped resonances, a burst of filtered noise for the
// contact, and a soft low thump of the board.
std::vector<float> strike(const std::vector<Mode> &modes, float noise_amp, float noise_decay, float thump_freq,
                          float thump_amp, float length, uint64_t seed) {
    const int n = static_cast<int>(length * SAMPLE_RATE);
    std::vector<float> out(n, 0.0f);
    Rng rng{seed};
    for (const Mode &m : modes) {
        float phase = rng_float(rng) * 6.2831853f;
        for (int i = 0; i < n; ++i) {
            float t = static_cast<float>(i) / SAMPLE_RATE;
            out[i] += m.amp * std::exp(-t / m.decay) * std::sin(6.2831853f * m.freq * t + phase);
        }
    }
    float prev = 0.0f, low = 0.0f;
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / SAMPLE_RATE;
        float white = rng_float(rng) * 2.0f - 1.0f;
        // band-limit the noise: a one-pole low-pass, then remove the lows
        low += 0.45f * (white - low);
        float band = low - prev;
        prev = low;
        out[i] += noise_amp * std::exp(-t / noise_decay) * band * 2.0f;
        out[i] += thump_amp * std::exp(-t / 0.018f) * std::sin(6.2831853f * thump_freq * t);
    }
    // a fraction of a millisecond of attack avoids a digital click
    int attack = SAMPLE_RATE / 4000;
    for (int i = 0; i < attack && i < n; ++i) out[i] *= static_cast<float>(i) / attack;
    // and the tail fades to exact silence
    int tail = SAMPLE_RATE / 50;
    for (int i = 0; i < tail && i < n; ++i) out[n - 1 - i] *= static_cast<float>(i) / tail;
    return out;
}

std::vector<int16_t> to_pcm(const std::vector<float> &v, float peak) {
    float max = 1e-6f;
    for (float x : v) max = std::max(max, std::fabs(x));
    std::vector<int16_t> out(v.size());
    for (size_t i = 0; i < v.size(); ++i) out[i] = static_cast<int16_t>(std::lround(v[i] / max * peak * 32767.0f));
    return out;
}

}  // namespace

std::vector<int16_t> make_pick_sound() {
    std::vector<Mode> modes = {{1720.0f, 0.012f, 0.6f}, {3180.0f, 0.008f, 0.45f}, {5260.0f, 0.005f, 0.3f}};
    return to_pcm(strike(modes, 0.55f, 0.0025f, 320.0f, 0.12f, 0.09f, 0x5eed01), 0.55f);
}

std::vector<int16_t> make_move_sound(int variant) {
    static const float pitch[3] = {1.0f, 0.93f, 1.07f};
    static const float body[3] = {1.0f, 1.15f, 0.9f};
    float p = pitch[variant % 3];
    // inharmonic partials, as in a struck block of hard wood
    std::vector<Mode> modes = {{880.0f * p, 0.020f * body[variant % 3], 1.0f},
                               {1490.0f * p, 0.013f, 0.6f},
                               {2410.0f * p, 0.008f, 0.4f},
                               {3870.0f * p, 0.005f, 0.25f}};
    return to_pcm(strike(modes, 0.7f, 0.0035f, 170.0f * p, 0.45f, 0.16f, 0x5eed10 + variant), 0.85f);
}
