// The game's sound as it leaves through ALSA, captured to a file: music from
// start-up on (the shipped tracks and a test chord), the effects of a move on
// top of it, the music turned down on the sound options screen, and a game
// that starts, plays and quits cleanly without its music folder or without a
// sound card. The test's own tracks are a soft chord well below 1 kHz, so the
// music and the effects, which are bright clacks, can be told apart by their
// spectra.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "e2e/harness.h"

namespace {

using e2e::Image;
using e2e::Pixel;

constexpr int RATE = 44100;
const int CHORD[] = {220, 330};

// ---- spectra ----

void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; i++) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * M_PI / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wn = 1;
            for (size_t k = 0; k < len / 2; k++, wn *= w) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wn;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Power per frequency bin of the mono mix of `n` frames from `from` (Hann window).
std::vector<double> power(const std::vector<int16_t>& pcm, size_t from, size_t n) {
    std::vector<std::complex<double>> a(n);
    for (size_t i = 0; i < n; i++) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(n));
        a[i] = w * (pcm[2 * (from + i)] + pcm[2 * (from + i) + 1]) / 2.0;
    }
    fft(a);
    std::vector<double> p(n / 2);
    for (size_t k = 0; k < n / 2; k++) p[k] = std::norm(a[k]);
    return p;
}

double band(const std::vector<double>& p, size_t n, double lo, double hi) {
    double sum = 0;
    for (size_t k = 1; k < p.size(); k++) {
        const double hz = double(k) * RATE / double(n);
        if (hz >= lo && hz < hi) sum += p[k];
    }
    return sum;
}

struct Spectrum {
    double below_1k;   // share of the energy
    double below_5k;
    double above_5k;
    double flatness;   // geometric over arithmetic mean of the power: 1 for white noise
    double peak_hz;
};

Spectrum spectrum(const std::vector<int16_t>& pcm, size_t from, size_t to) {
    const size_t n = 4096;
    std::vector<double> sum(n / 2, 0.0);
    for (size_t at = from; at + n <= to; at += n) {
        const std::vector<double> p = power(pcm, at, n);
        for (size_t k = 0; k < p.size(); k++) sum[k] += p[k];
    }
    const double total = band(sum, n, 0, RATE);
    double log_sum = 0;
    for (size_t k = 1; k < sum.size(); k++) log_sum += std::log(sum[k] + 1e-9);
    const double geometric = std::exp(log_sum / double(sum.size() - 1));
    const size_t peak = size_t(std::max_element(sum.begin() + 1, sum.end()) - sum.begin());
    return {band(sum, n, 0, 1000) / total, band(sum, n, 0, 5000) / total, band(sum, n, 5000, RATE) / total, geometric / (total / double(sum.size() - 1)),
            double(peak) * RATE / double(n)};
}

double level(const std::vector<int16_t>& pcm, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = 2 * from; i < 2 * to; i++) sum += double(pcm[i]) * pcm[i];
    return to > from ? std::sqrt(sum / double(2 * (to - from))) : 0;
}

// Level of the 1.2..8 kHz band in short windows, where the clacks of the
// effects are and the chord is not.
std::vector<double> bright_levels(const std::vector<int16_t>& pcm, size_t from, size_t to) {
    const size_t n = 1024;
    std::vector<double> out;
    for (size_t at = from; at + n <= to; at += n / 2)
        out.push_back(std::sqrt(band(power(pcm, at, n), n, 1200, 8000)) / double(n));
    return out;
}

// Separate runs of windows above `threshold`.
int bursts(const std::vector<double>& levels, double threshold) {
    int n = 0;
    bool in = false;
    for (double l : levels) {
        if (l > threshold && !in) n++;
        in = l > threshold;
    }
    return n;
}

size_t first_sound(const std::vector<int16_t>& pcm) {
    for (size_t i = 0; i < pcm.size() / 2; i++)
        if (std::abs(pcm[2 * i]) > 200) return i;
    return pcm.size() / 2;
}

// ---- the session ----

struct MusicTest : ::testing::Test {
    e2e::Session s;

    void open_session(e2e::SoundSink sink) {
        s.sound = sink;
        std::string error;
        ASSERT_TRUE(e2e::start_session(s, error)) << error;
    }
    void TearDown() override { e2e::stop_session(s); }

    // Both tracks: the chord, quiet enough to leave room for the effects.
    void make_tracks(double seconds) {
        std::string synth;
        for (int hz : CHORD) synth += " sine " + std::to_string(hz);
        const std::string dir = s.workdir + "/Hudba";
        const std::string cmd = "mkdir -p '" + dir + "' && sox -q -R -n -r 44100 -c 2 -b 16 '" + s.home + "/chord.wav' synth " +
                                std::to_string(seconds) + synth + " vol 0.3 && lame --quiet -b 128 '" + s.home +
                                "/chord.wav' '" + dir + "/DreamOfYou.mp3' && cp '" + dir + "/DreamOfYou.mp3' '" + dir +
                                "/Spring2003.mp3'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << "sox and lame make the tracks";
    }

    void start() {
        std::string error;
        ASSERT_TRUE(e2e::start_game(s, error)) << error;
    }

    // Waits until `frames` more have been captured.
    void wait_captured(size_t frames, int timeout_ms = 20000) {
        const size_t until = e2e::captured_frames(s) + frames;
        for (int waited = 0; e2e::captured_frames(s) < until && waited < timeout_ms; waited += 100) e2e::sleep_ms(100);
        ASSERT_GE(e2e::captured_frames(s), until) << "the sound stopped coming";
    }

    void click_square(int square) {
        e2e::click_square(s, square);
    }

    // A new two-player game from the main menu, then blue's first move,
    // 40 -> 33, and the board shows it.
    void play_a_move() {
        std::string error;
        ASSERT_TRUE(e2e::start_new_game(s, true, error)) << error;
        click_square(40);
        click_square(33);
        e2e::move_mouse(s, 780, 590);
        Image img;
        EXPECT_TRUE(e2e::wait_for_screen(s, "music_move", 5000, [](const Image& i) {
            const Pixel p = e2e::square_colour(i, 33, 10);
            return p.b > p.r + 30;
        }, img)) << "the blue man should stand on 33";
    }

    void quit() {
        std::string error;
        EXPECT_TRUE(e2e::quit_through_menu(s, error)) << error;
    }

    // The settings the game wrote at exit.
    Settings saved_settings() {
        Settings saved = {};
        load_settings_from((s.workdir + "/" + SETTINGS_PATH).c_str());
        saved = settings;
        return saved;
    }
};

TEST_F(MusicTest, MusicPlaysFromStartUpAndAMoveIsHeardOverIt) {
    open_session(e2e::SOUND_CAPTURE);
    make_tracks(60);
    start();
    ASSERT_TRUE(e2e::wait_for_menu(s, "music_menu"));
    wait_captured(4 * RATE);

    const size_t before_move = e2e::captured_frames(s);
    std::vector<int16_t> pcm = e2e::captured_sound(s);
    const size_t start = first_sound(pcm);
    EXPECT_LT(start, size_t(2 * RATE)) << "music from start-up on";
    const size_t from = start + RATE / 2;
    ASSERT_GT(before_move, from + RATE);

    // The chord at a fair level: not silence, not noise, not clipped.
    const double music_level = level(pcm, from, before_move);
    const Spectrum sp = spectrum(pcm, from, before_move);
    std::printf("[ music ] level %.0f, below 1 kHz %.4f, above 5 kHz %.6f, flatness %.2e, peak %.1f Hz\n", music_level,
                sp.below_1k, sp.above_5k, sp.flatness, sp.peak_hz);
    EXPECT_GT(music_level, 2000);
    EXPECT_LT(music_level, 16000);
    EXPECT_GT(sp.below_1k, 0.99);
    EXPECT_LT(sp.above_5k, 1e-4);
    EXPECT_LT(sp.flatness, 0.01);
    EXPECT_TRUE(std::abs(sp.peak_hz - CHORD[0]) < 11 || std::abs(sp.peak_hz - CHORD[1]) < 11) << sp.peak_hz;
    // And steady: every second of it sounds.
    for (size_t at = from; at + RATE <= before_move; at += RATE) EXPECT_GT(level(pcm, at, at + RATE), music_level / 2) << at;

    const std::vector<double> quiet = bright_levels(pcm, from, before_move);
    const double music_bright = *std::max_element(quiet.begin(), quiet.end());

    play_a_move();
    wait_captured(2 * RATE);
    pcm = e2e::captured_sound(s);
    const std::vector<double> lit = bright_levels(pcm, before_move, pcm.size() / 2);
    const double effects_bright = *std::max_element(lit.begin(), lit.end());
    std::printf("[ music ] bright band: music alone %.1f, with the move %.1f\n", music_bright, effects_bright);
    EXPECT_GT(effects_bright, 20 * music_bright + 50) << "the clacks of the move";
    // Picked up, then set down: two clacks.
    EXPECT_EQ(bursts(lit, effects_bright / 4), 2);
    EXPECT_GT(level(pcm, pcm.size() / 2 - RATE, pcm.size() / 2), music_level / 2) << "the music goes on";
    quit();
}

TEST_F(MusicTest, TheShippedTracksSoundLikeMusic) {
    open_session(e2e::SOUND_CAPTURE);
    ASSERT_TRUE(std::system(("test -s '" + s.workdir + "/Hudba/DreamOfYou.mp3' && test -s '" + s.workdir +
                             "/Hudba/Spring2003.mp3'").c_str()) == 0)
        << "the build makes both tracks";
    start();
    ASSERT_TRUE(e2e::wait_for_menu(s, "music_shipped_menu"));
    wait_captured(8 * RATE);
    const std::vector<int16_t> pcm = e2e::captured_sound(s);
    const size_t from = first_sound(pcm) + RATE / 2, to = pcm.size() / 2;
    EXPECT_LT(from, size_t(3 * RATE)) << "music from start-up on";
    const double music_level = level(pcm, from, to);
    const Spectrum sp = spectrum(pcm, from, to);
    size_t clipped = 0;
    for (size_t i = 2 * from; i < 2 * to; i++) clipped += pcm[i] == 32767 || pcm[i] == -32768;
    std::printf("[ music ] shipped: level %.0f, below 1 kHz %.3f, below 5 kHz %.4f, flatness %.2e, clipped %zu\n",
                music_level, sp.below_1k, sp.below_5k, sp.flatness, clipped);
    EXPECT_GT(music_level, 500);
    EXPECT_LT(music_level, 16000);
    EXPECT_GT(sp.below_5k, 0.9) << "music, not noise";
    EXPECT_LT(sp.flatness, 0.05);
    EXPECT_LT(clipped, (to - from) / 10000);
    e2e::click_menu_item(s, 10);
    int status = -1;
    ASSERT_TRUE(e2e::wait_game(s, 10000, status));
    EXPECT_EQ(status, 0);
}

TEST_F(MusicTest, TurningTheMusicDownOnTheSoundOptionsScreenLowersIt) {
    open_session(e2e::SOUND_CAPTURE);
    make_tracks(60);
    start();
    ASSERT_TRUE(e2e::wait_for_menu(s, "sound_menu"));
    e2e::click_menu_item(s, 4);
    Image img;
    ASSERT_TRUE(e2e::wait_for_screen(s, "sound_options", 10000, [](const Image& i) { return e2e::frame_drawn(i, 400, 700, 50, 190); }, img));
    wait_captured(RATE);
    const size_t before = e2e::captured_frames(s);
    wait_captured(2 * RATE);
    const double loud = level(e2e::captured_sound(s), before, e2e::captured_frames(s));

    // Hold the music row's left arrow for two seconds: about forty steps down.
    e2e::move_mouse(s, 426, 70 + e2e::MENU_FONT_HEIGHT / 2);
    e2e::sleep_ms(100);
    e2e::run(s, "xdotool mousedown 1");
    e2e::sleep_ms(2000);
    e2e::run(s, "xdotool mouseup 1");
    e2e::sleep_ms(300);
    e2e::screenshot(s, "sound_options_music_down");
    const size_t after = e2e::captured_frames(s);
    wait_captured(2 * RATE);
    const double quiet = level(e2e::captured_sound(s), after, e2e::captured_frames(s));

    e2e::click_screen_line(s, 50, 3, 3);  // "<> Opustit"
    ASSERT_TRUE(e2e::wait_for_menu(s, "sound_left"));
    e2e::click_menu_item(s, 10);
    int status = -1;
    ASSERT_TRUE(e2e::wait_game(s, 10000, status));
    EXPECT_EQ(status, 0);

    const int32_t volume = saved_settings().music_volume;
    std::printf("[ music ] level %.0f at 255, %.0f at %d\n", loud, quiet, volume);
    EXPECT_GT(volume, 0);
    EXPECT_LT(volume, 200);
    EXPECT_EQ(volume % 5, 0);
    EXPECT_GT(loud, 2000);
    // Allegro's voice volume scales the sound linearly.
    EXPECT_NEAR(quiet / loud, volume / 255.0, 0.08);
}

struct SilentCase {
    const char* what;
    e2e::SoundSink sink;
    bool hudba;
};

TEST_F(MusicTest, WithoutMusicOrSoundCardTheGameStartsPlaysAndQuits) {
    const SilentCase cases[] = {
        {"no Hudba folder", e2e::SOUND_CAPTURE, false},
        {"no sound card", e2e::SOUND_NO_CARD, true},
    };
    for (const SilentCase& c : cases) {
        SCOPED_TRACE(c.what);
        open_session(c.sink);
        if (c.hudba) make_tracks(30);
        else std::system(("rm -rf '" + s.workdir + "/Hudba'").c_str());
        start();
        size_t before_move = 0;
        if (c.sink == e2e::SOUND_CAPTURE) {
            wait_captured(2 * RATE);
            before_move = e2e::captured_frames(s);
            EXPECT_LT(level(e2e::captured_sound(s), 0, before_move), 30) << "silence, no music";
        }
        play_a_move();
        if (c.sink == e2e::SOUND_CAPTURE) {
            wait_captured(RATE);
            const std::vector<int16_t> pcm = e2e::captured_sound(s);
            const std::vector<double> lit = bright_levels(pcm, before_move, pcm.size() / 2);
            EXPECT_EQ(bursts(lit, 100), 2) << "the effects still play";
        }
        quit();
        e2e::stop_session(s);
        s = e2e::Session{};
    }
}

}  // namespace
