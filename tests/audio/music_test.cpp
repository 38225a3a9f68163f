// The music player over the real decoder: which blocks of a track file are
// read, when, and what is heard; the statuses; the choice of the next track.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "audio/audio_fixture.h"

namespace {

using namespace audio_test;

const char* DREAM = "Hudba/DreamOfYou.mp3";
const char* SPRING = "Hudba/Spring2003.mp3";

struct Files {
    std::string dir;
    std::string short_tone, long_tone, exact_blocks, truncated, spoilt, random, empty, mono48, blip_low, blip_high;
};

Files& files() {
    static Files f = [] {
        Files f;
        f.dir = make_temp_dir();
        f.short_tone = make_tone_mp3(f.dir, "short.mp3", 1.0, 440);
        f.long_tone = make_tone_mp3(f.dir, "long.mp3", 6.0, 440);
        f.mono48 = make_tone_mp3(f.dir, "mono48.mp3", 3.0, 1000, 48000, 1);
        f.blip_low = make_tone_mp3(f.dir, "blip_low.mp3", 0.3, 300);
        f.blip_high = make_tone_mp3(f.dir, "blip_high.mp3", 0.3, 900);
        const std::vector<uint8_t> long_bytes = read_bytes(f.long_tone);
        f.exact_blocks = f.dir + "/exact.mp3";
        write_bytes(f.exact_blocks, pad_to_block_multiple(long_bytes));
        f.truncated = f.dir + "/truncated.mp3";
        write_bytes(f.truncated, std::vector<uint8_t>(long_bytes.begin(), long_bytes.begin() + 50000));
        std::mt19937 gen(2003);
        std::vector<uint8_t> noise(50000);
        for (uint8_t& b : noise) b = static_cast<uint8_t>(gen());
        std::vector<uint8_t> spoilt(long_bytes.begin(), long_bytes.begin() + 40000);
        spoilt.insert(spoilt.end(), noise.begin(), noise.begin() + 5000);
        spoilt.insert(spoilt.end(), long_bytes.begin() + 40000, long_bytes.end());
        f.spoilt = f.dir + "/spoilt.mp3";
        write_bytes(f.spoilt, spoilt);
        f.random = f.dir + "/random.mp3";
        write_bytes(f.random, noise);
        f.empty = f.dir + "/empty.mp3";
        write_bytes(f.empty, {});
        return f;
    }();
    return f;
}

class MusicFiles : public MusicTest {
protected:
    static void SetUpTestSuite() {
        ASSERT_FALSE(files().short_tone.empty() || files().long_tone.empty() || files().mono48.empty())
            << "sox and lame make the test tracks (tools/setup.sh installs them)";
    }
    static void TearDownTestSuite() { remove_dir(files().dir); }
};

struct TrackCase {
    const char* what;
    std::string Files::*file;  // null: no such file
    bool plays;
    double seconds;  // of sound heard; a range for a cut file
    double seconds_max;
    int hz;
    bool bad_data = false;  // the decoder reports it once, then the track ends
};

// The reads the block protocol implies for a file of `size` bytes: full
// blocks while they last, then the rest, which is 0 when the size is a
// multiple of a block.
std::vector<int32_t> expected_reads(size_t size) {
    std::vector<int32_t> reads;
    for (size_t left = size;; left -= MP3_BLOCK_SIZE) {
        reads.push_back(static_cast<int32_t>(std::min<size_t>(left, MP3_BLOCK_SIZE)));
        if (left < static_cast<size_t>(MP3_BLOCK_SIZE)) break;
    }
    return reads;
}

TEST_F(MusicFiles, TrackFilesStreamBlockByBlockPlayOnceAndEndOnce) {
    const TrackCase cases[] = {
        {"shorter than a block", &Files::short_tone, true, 1.0, 1.0, 440},
        {"several blocks", &Files::long_tone, true, 6.0, 6.0, 440},
        {"an exact multiple of a block", &Files::exact_blocks, true, 6.0, 6.0, 440},
        {"48 kHz mono, at its own pitch", &Files::mono48, true, 3.0, 3.0, 1000},
        {"cut off in the middle of a frame", &Files::truncated, true, 2.5, 3.3, 440},
        {"random bytes in the middle", &Files::spoilt, true, 2.0, 2.6, 440, true},
        {"random bytes", &Files::random, false, 0, 0, 0},
        {"empty", &Files::empty, false, 0, 0, 0},
        {"missing", nullptr, false, 0, 0, 0},
    };
    for (const TrackCase& c : cases) {
        SCOPED_TRACE(c.what);
        rec() = Log{};
        size_t size = 0;
        if (c.file != nullptr) {
            rec().files[DREAM] = files().*c.file;
            size = read_bytes(files().*c.file).size();
        }

        MusicPlayer* p = music_open(DREAM);
        ASSERT_EQ(p != nullptr, c.plays);
        if (!c.plays) {
            // Nothing more than the first block was ever read, and nothing is left open.
            if (c.file != nullptr) EXPECT_EQ(rec().reads.size(), 1u);
            else EXPECT_TRUE(rec().reads.empty());
            if (size > 0) EXPECT_EQ(rec().created_is_last.size(), 1u);
            else EXPECT_TRUE(rec().created_is_last.empty());
            continue;
        }
        EXPECT_EQ(rec().created_is_last, std::vector<int32_t>{size < size_t(MP3_BLOCK_SIZE) ? -1 : 0});
        EXPECT_EQ(music_poll(p), MP3_NOT_PLAYING) << "before it is played";

        music_play(p, MUSIC_BUFFER_LENGTH, 200, MUSIC_PAN);
        EXPECT_EQ(rec().volume, 200);
        EXPECT_EQ(rec().pan, MUSIC_PAN);
        // No output wanted: polling reads nothing ahead.
        for (int i = 0; i < 50; i++) EXPECT_EQ(music_poll(p), MP3_PLAYING);
        EXPECT_EQ(rec().reads.size(), 1u);

        std::vector<int32_t> statuses;
        for (int i = 0; i < 2000 && (statuses.empty() || statuses.back() != MP3_FINISHED); i++) {
            tick();
            statuses.push_back(music_poll(p));
        }
        for (int i = 0; i < 5; i++) {
            tick();
            statuses.push_back(music_poll(p));
        }
        // 0 while playing (bad data reported once on the way), 1 once, -1 from then on.
        const auto finished = std::find(statuses.begin(), statuses.end(), MP3_FINISHED);
        ASSERT_NE(finished, statuses.end());
        EXPECT_EQ(std::count(statuses.begin(), finished, MP3_BAD_DATA), c.bad_data ? 1 : 0);
        EXPECT_TRUE(std::all_of(statuses.begin(), finished, [](int32_t s) { return s == MP3_PLAYING || s == MP3_BAD_DATA; }));
        EXPECT_TRUE(std::all_of(finished + 1, statuses.end(), [](int32_t s) { return s == MP3_NOT_PLAYING; }));

        std::vector<int32_t> got;
        for (const Read& r : rec().reads) {
            EXPECT_EQ(r.asked, MP3_BLOCK_SIZE);
            got.push_back(r.got);
        }
        if (c.seconds == c.seconds_max) {
            EXPECT_EQ(got, expected_reads(size));
        }
        // A block is read only once the sound of the one before has been
        // mostly heard: a 128 kbit/s block holds two seconds.
        for (size_t k = 1; k < rec().reads.size(); k++)
            EXPECT_GE(rec().reads[k].frames_heard, rec().reads[k - 1].frames_heard + MP3_OUTPUT_RATE) << "read " << k;

        const std::vector<int16_t>& heard = rec().heard;
        const size_t sound = sounding_frames(heard);
        EXPECT_GE(sound, size_t(c.seconds * MP3_OUTPUT_RATE * 0.99));
        // Without gapless trimming the encoder's silence stays at both ends,
        // and the tone's hard edges ring into it for up to one 1152-sample frame.
        EXPECT_LE(sound, size_t(c.seconds_max * MP3_OUTPUT_RATE * 1.01) + 1152);
        // The tone itself, not noise: its pitch and a steady level.
        const size_t mid = sound / 2;
        EXPECT_NEAR(tone_hz(heard, mid - 8000, mid + 8000), c.hz, c.hz * 0.01);
        EXPECT_NEAR(rms(heard, mid - 8000, mid + 8000), 0.5 * 32767 / std::sqrt(2.0), 2000);
        size_t unwritten = 0;
        for (size_t i = 0; i < heard.size(); i++) unwritten += heard[i] == 0x5555;
        EXPECT_EQ(unwritten, 0u) << "every sample of every buffer is written";

        music_close(p);
    }
}

struct SwitchCase {
    const char* what;
    int32_t music_track;
    int32_t current_track;
    const char* missing;  // the track without a file, or null
    int32_t sound_device;
    std::vector<const char*> opened;  // at the start and at each end of a track
    int32_t current_after;
};

TEST_F(MusicFiles, PollMusicStartsTheNextTrackAsTheSettingsSay) {
    const SwitchCase cases[] = {
        {"alternating from Spring", TRACK_ALTERNATE, 2, nullptr, 1, {SPRING, DREAM, SPRING, DREAM}, 1},
        {"alternating from Dream", TRACK_ALTERNATE, 1, nullptr, 1, {DREAM, SPRING, DREAM, SPRING}, 2},
        {"alternating from a bad current_track", TRACK_ALTERNATE, 7, nullptr, 1, {}, 7},
        {"Dream repeats", TRACK_DREAM, 2, nullptr, 1, {DREAM, DREAM, DREAM, DREAM}, 2},
        {"Spring repeats", TRACK_SPRING, 1, nullptr, 1, {SPRING, SPRING, SPRING, SPRING}, 1},
        // A missing track gives way to the other one.
        {"Spring missing: Dream in its turn", TRACK_ALTERNATE, 1, SPRING, 1, {DREAM, SPRING, DREAM, DREAM}, 1},
        {"Dream chosen and missing: Spring", TRACK_DREAM, 1, DREAM, 1, {DREAM, SPRING, DREAM, SPRING}, 1},
        {"track 0: no music", 0, 1, nullptr, 1, {}, 1},
        {"no sound card", TRACK_DREAM, 1, nullptr, 0, {DREAM, SPRING}, 1},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.what);
        rec() = Log{};
        rec().sound_device = c.sound_device;
        rec().files[DREAM] = files().blip_low;
        rec().files[SPRING] = files().blip_high;
        if (c.missing != nullptr) rec().files.erase(c.missing);
        settings.music_track = c.music_track;
        game.current_track = c.current_track;

        music_restart();
        const size_t wanted = c.opened.size() == 4 ? 4 : 100;
        for (int i = 0; i < 3000 && rec().opened.size() < wanted; i++) {
            tick();
            poll_music();
        }
        EXPECT_EQ(rec().opened, std::vector<std::string>(c.opened.begin(), c.opened.end()));
        EXPECT_EQ(game.current_track, c.current_after);
        if (c.opened.size() < 4) {
            EXPECT_EQ(music_stream, nullptr) << "no music, and poll_music has nothing to do";
        }
        // Each track that played was heard, Dream low and Spring high.
        if (c.opened.size() == 4 && c.music_track == TRACK_ALTERNATE && c.missing == nullptr) {
            const size_t blip = size_t(0.3 * MP3_OUTPUT_RATE);
            const size_t first_mid = blip / 2;
            const int first_hz = c.current_track == 1 ? 300 : 900;
            EXPECT_NEAR(tone_hz(rec().heard, first_mid - 2000, first_mid + 2000), first_hz, 10);
        }
        music_close(music_stream);
        music_stream = nullptr;
    }
}

TEST_F(MusicFiles, VolumeReachesAPlayingTrackAndClosingNothingIsHarmless) {
    rec().files[DREAM] = files().short_tone;
    settings.music_track = TRACK_DREAM;
    settings.music_volume = 90;
    music_restart();
    ASSERT_NE(music_stream, nullptr);
    EXPECT_EQ(rec().volume, 90);
    music_adjust(music_stream, 40, MUSIC_PAN, MUSIC_SPEED);
    EXPECT_EQ(rec().volume, 40);
    EXPECT_EQ(rec().speed, MUSIC_SPEED);
    music_close(nullptr);
    music_adjust(nullptr, 0, 0, 0);
    EXPECT_EQ(music_poll(nullptr), MP3_NOT_PLAYING);
}

// The decoder on its own: the last-block marking ends the asking for good.
TEST_F(MusicFiles, AfterTheLastBlockTheDecoderAsksForNoMore) {
    const std::vector<uint8_t> bytes = read_bytes(files().long_tone);
    Mp3Stream* s = mp3_stream_create_on(&FAKE_PORT, bytes.data(), MP3_BLOCK_SIZE, 0);
    ASSERT_NE(s, nullptr);
    std::vector<int16_t> pcm(2 * 4096);
    size_t frames = 0;
    uint8_t* block = nullptr;
    while ((block = mp3_stream_get_buffer(s)) == nullptr) frames += mp3_stream_decode(s, pcm.data(), 4096);
    EXPECT_EQ(mp3_stream_get_buffer(s), nullptr) << "one block out at a time";
    std::copy(bytes.begin() + MP3_BLOCK_SIZE, bytes.begin() + 2 * MP3_BLOCK_SIZE, block);
    mp3_stream_free_buffer(s, 1000);  // a short count marks the last block
    for (int i = 0; i < 100; i++) {
        EXPECT_EQ(mp3_stream_get_buffer(s), nullptr);
        frames += mp3_stream_decode(s, pcm.data(), 4096);
    }
    // The first block and the thousand bytes of the second, about 2 s.
    EXPECT_NEAR(double(frames) / MP3_OUTPUT_RATE, (MP3_BLOCK_SIZE + 1000) * 8.0 / 128000, 0.1);
    mp3_stream_destroy(s);
}

}  // namespace
