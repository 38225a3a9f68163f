// Test helpers for the music: MP3 files made with sox and lame in a
// temporary folder, a music backend over stdio that records every open,
// read and first block, and an output that hands out one buffer per tick
// and keeps everything it is given.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "audio/music.h"

namespace audio_test {

inline std::string make_temp_dir() {
    char tmpl[] = "/tmp/talvena-audio-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    return dir != nullptr ? dir : "";
}

inline void remove_dir(const std::string& dir) {
    if (dir.rfind("/tmp/talvena-audio-", 0) == 0) std::system(("rm -rf '" + dir + "'").c_str());
}

// sox synthesises `seconds` of a sine at `hz` into a WAV of that rate and
// channel count (-R: the same dither, so the same bytes, every run); lame
// encodes it at 128 kbit/s. Empty on failure.
inline std::string make_tone_mp3(const std::string& dir, const std::string& name, double seconds, int hz, int rate = 44100,
                                 int channels = 2) {
    const std::string wav = dir + "/" + name + ".wav", mp3 = dir + "/" + name;
    const std::string cmd = "sox -q -R -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b 16 '" + wav +
                            "' synth " + std::to_string(seconds) + " sine " + std::to_string(hz) + " vol 0.5 && lame --quiet -b 128 '" +
                            wav + "' '" + mp3 + "'";
    return std::system(cmd.c_str()) == 0 ? mp3 : "";
}

inline std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// An ID3v2 tag of zero padding in front of the MP3 that brings the file to
// the next multiple of 32768 bytes.
inline std::vector<uint8_t> pad_to_block_multiple(const std::vector<uint8_t>& mp3) {
    const size_t total = (mp3.size() + 10 + MP3_BLOCK_SIZE - 1) / MP3_BLOCK_SIZE * MP3_BLOCK_SIZE;
    const uint32_t size = static_cast<uint32_t>(total - mp3.size() - 10);
    std::vector<uint8_t> out = {'I', 'D', '3', 3, 0, 0, static_cast<uint8_t>(size >> 21 & 0x7f),
                                static_cast<uint8_t>(size >> 14 & 0x7f), static_cast<uint8_t>(size >> 7 & 0x7f),
                                static_cast<uint8_t>(size & 0x7f)};
    out.resize(10 + size, 0);
    out.insert(out.end(), mp3.begin(), mp3.end());
    return out;
}

// ---- the recording backend ----

struct Read {
    int32_t asked;
    int32_t got;
    size_t frames_heard;  // output handed over before this read
};

struct Log {
    std::map<std::string, std::string> files;  // game path -> real file; missing when absent
    std::vector<std::string> opened;           // every open asked for, found or not
    std::vector<Read> reads;
    std::vector<int32_t> created_is_last;      // is_last of each first block handed to the decoder
    int32_t open_files = 0;
    int32_t sound_device = 1;
    // The output.
    std::vector<int16_t> heard;  // every frame released, silence included
    int32_t free_buffers = 0;    // buffers the output may ask for now
    int32_t outputs_open = 0;
    int32_t volume = -1, pan = -1, speed = -1;
    std::vector<int16_t> buffer;
};

inline Log& rec() {
    static Log l;
    return l;
}

inline int32_t fake_ready() { return rec().sound_device; }
inline void* fake_open_output(int32_t frames, int32_t volume, int32_t pan) {
    rec().outputs_open++;
    rec().buffer.assign(static_cast<size_t>(frames) * 2, 0x5555);  // not silence: every frame must be written
    rec().volume = volume;
    rec().pan = pan;
    rec().speed = MUSIC_SPEED;
    return &rec();
}
inline int16_t* fake_buffer(void*) {
    if (rec().free_buffers == 0) return nullptr;
    rec().free_buffers--;
    return rec().buffer.data();
}
inline void fake_release(void*) {
    rec().heard.insert(rec().heard.end(), rec().buffer.begin(), rec().buffer.end());
    std::fill(rec().buffer.begin(), rec().buffer.end(), 0x5555);
}
inline void fake_adjust(void*, int32_t volume, int32_t pan, int32_t speed) {
    rec().volume = volume;
    rec().pan = pan;
    rec().speed = speed;
}
inline void fake_close_output(void*) { rec().outputs_open--; }
inline int32_t fake_played_after(void*) { return 2; }

inline const AudioPort FAKE_PORT = {fake_ready,  fake_open_output,  fake_buffer,      fake_release,
                                    fake_adjust, fake_close_output, fake_played_after};

inline void* fake_file_open(const char* path) {
    rec().opened.push_back(path);
    auto it = rec().files.find(path);
    if (it == rec().files.end()) return nullptr;
    FILE* f = std::fopen(it->second.c_str(), "rb");
    if (f != nullptr) rec().open_files++;
    return f;
}
inline int32_t fake_file_read(void* file, uint8_t* buffer, int32_t length) {
    const int32_t got = static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(length), static_cast<FILE*>(file)));
    rec().reads.push_back({length, got, rec().heard.size() / 2});
    return got;
}
inline void fake_file_close(void* file) {
    if (file == nullptr) return;
    std::fclose(static_cast<FILE*>(file));
    rec().open_files--;
}
inline Mp3Stream* fake_create(const uint8_t* block, int32_t length, int32_t is_last) {
    rec().created_is_last.push_back(is_last);
    return mp3_stream_create_on(&FAKE_PORT, block, length, is_last);
}

// Puts the recording backend in place with the given files, and keeps the
// settings and the game state the music touches apart from other tests.
class MusicTest : public ::testing::Test {
protected:
    Settings saved_settings = settings;
    GameState saved_game = game;

    void SetUp() override {
        rec() = Log{};
        music_backend = {fake_file_open, fake_file_read, fake_file_close, fake_create};
        settings.music_volume = 255;
        settings.music_track = TRACK_ALTERNATE;
        game.current_track = 1;
    }
    void TearDown() override {
        music_close(music_stream);
        music_stream = nullptr;
        music_backend = {nullptr, nullptr, nullptr, nullptr};
        EXPECT_EQ(rec().open_files, 0) << "a track file was left open";
        EXPECT_EQ(rec().outputs_open, 0) << "an output was left open";
        settings = saved_settings;
        game = saved_game;
    }
};

// Time passes by one output buffer.
inline void tick() { rec().free_buffers = 1; }

// Root mean square of the left channel of frames [from, to).
inline double rms(const std::vector<int16_t>& pcm, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; i++) sum += double(pcm[2 * i]) * pcm[2 * i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

// Frequency of a steady tone from its rising zero crossings, left channel.
inline double tone_hz(const std::vector<int16_t>& pcm, size_t from, size_t to) {
    int crossings = 0;
    for (size_t i = from + 1; i < to; i++) crossings += pcm[2 * (i - 1)] < 0 && pcm[2 * i] >= 0;
    return crossings * double(MP3_OUTPUT_RATE) / double(to - from);
}

// Frames from the first to the last one that is not silence.
inline size_t sounding_frames(const std::vector<int16_t>& pcm) {
    size_t first = pcm.size(), last = 0;
    for (size_t i = 0; i < pcm.size() / 2; i++)
        if (std::abs(pcm[2 * i]) > 64 || std::abs(pcm[2 * i + 1]) > 64) {
            if (first == pcm.size()) first = i;
            last = i + 1;
        }
    return last > first ? last - first : 0;
}

}  // namespace audio_test
