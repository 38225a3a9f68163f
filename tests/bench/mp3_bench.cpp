// What decoding the music costs: a whole track decoded into memory through
// the stream decoder, block by block as the player feeds it. The counter
// music_s_per_s is seconds of music decoded per second of CPU; its inverse
// is the decoder's share of one core while music plays. Run from the build
// directory: it takes Hudba/DreamOfYou.mp3 when there is one, else a
// 120-second chord made with sox and lame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/mp3_stream.h"

namespace {

int32_t ready() { return 1; }
void* no_open(int32_t, int32_t, int32_t) { return nullptr; }
int16_t* no_buffer(void*) { return nullptr; }
void no_release(void*) {}
void no_adjust(void*, int32_t, int32_t, int32_t) {}
void no_close(void*) {}
int32_t no_latency(void*) { return 2; }
const AudioPort MEMORY = {ready, no_open, no_buffer, no_release, no_adjust, no_close, no_latency};

std::vector<uint8_t> load(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

const std::vector<uint8_t>& track() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b = load("Hudba/DreamOfYou.mp3");
        if (!b.empty()) return b;
        const std::string wav = "/tmp/talvena-bench-chord.wav", mp3 = "/tmp/talvena-bench-chord.mp3";
        const std::string cmd = "sox -q -n -r 44100 -c 2 -b 16 " + wav + " synth 120 sine 220 sine 277 sine 330 tremolo 3 40 vol 0.3 && lame --quiet -b 160 " +
                                wav + " " + mp3;
        if (std::system(cmd.c_str()) == 0) b = load(mp3);
        std::remove(wav.c_str());
        std::remove(mp3.c_str());
        return b;
    }();
    return bytes;
}

// Frames of the whole track, decoded 8000 at a time as the game's output asks.
size_t decode_all(const std::vector<uint8_t>& bytes, std::vector<int16_t>& pcm) {
    size_t pos = std::min<size_t>(bytes.size(), MP3_BLOCK_SIZE);
    Mp3Stream* s = mp3_stream_create_on(&MEMORY, bytes.data(), static_cast<int32_t>(pos), pos < size_t(MP3_BLOCK_SIZE) ? -1 : 0);
    size_t frames = 0;
    while (s != nullptr) {
        uint8_t* block = mp3_stream_get_buffer(s);
        if (block != nullptr) {
            const size_t n = std::min<size_t>(bytes.size() - pos, MP3_BLOCK_SIZE);
            std::memcpy(block, bytes.data() + pos, n);
            pos += n;
            mp3_stream_free_buffer(s, n == size_t(MP3_BLOCK_SIZE) ? -1 : static_cast<int32_t>(n));
        }
        if (frames + 8000 > pcm.size() / 2) pcm.resize(pcm.size() + 2 * 44100 * 10);
        const int32_t got = mp3_stream_decode(s, pcm.data() + 2 * frames, 8000);
        frames += static_cast<size_t>(got);
        if (got == 0 && block == nullptr) break;  // neither sound nor a wish for more: the end
    }
    mp3_stream_destroy(s);
    return frames;
}

void BM_DecodeWholeTrack(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = track();
    if (bytes.empty()) {
        state.SkipWithError("no track: neither Hudba/DreamOfYou.mp3 nor sox and lame");
        return;
    }
    std::vector<int16_t> pcm;
    size_t frames = 0;
    for (auto _ : state) {
        frames = decode_all(bytes, pcm);
        benchmark::DoNotOptimize(pcm.data());
    }
    const double seconds = double(frames) / MP3_OUTPUT_RATE;
    state.counters["track_s"] = seconds;
    state.counters["music_s_per_s"] = benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecodeWholeTrack)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
