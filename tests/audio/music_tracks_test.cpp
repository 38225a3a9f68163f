// The two music tracks the build composes and encodes into Hudba/: decoded
// with libmpg123 they must suit the player (44.1 kHz stereo), last a
// couple of minutes, be audible but never clipped, and be quiet at both
// ends, since the player restarts a track the moment it ends.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/temp_dir.h"

namespace {

struct Decoded {
    bool opened = false;
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> pcm;  // interleaved
};

Decoded decode(const std::string &path) {
    Decoded d;
    mpg123_init();
    int err = MPG123_OK;
    mpg123_handle *mh = mpg123_new(nullptr, &err);
    if (!mh) return d;
    // any rate and channel count may come out, so that a wrong one shows
    mpg123_format_none(mh);
    const long *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
        int encoding = 0;
        d.opened = mpg123_getformat(mh, &d.rate, &d.channels, &encoding) == MPG123_OK;
        std::vector<unsigned char> buf(65536);
        for (;;) {
            size_t done = 0;
            int rc = mpg123_read(mh, buf.data(), buf.size(), &done);
            const int16_t *s = reinterpret_cast<const int16_t *>(buf.data());
            d.pcm.insert(d.pcm.end(), s, s + done / 2);
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break;
        }
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return d;
}

double db(double linear) {
    return 20.0 * std::log10(std::max(linear, 1e-10));
}

double rms_db(const std::vector<int16_t> &pcm, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count; ++i) sum += static_cast<double>(pcm[i]) * pcm[i];
    return db(std::sqrt(sum / std::max<size_t>(count, 1)) / 32768.0);
}

std::string slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TrackCase {
    const char *piece;  // the generator's name for it
    const char *name;
};

const TrackCase TRACKS[] = {{"dream", "DreamOfYou"}, {"spring", "Spring2003"}};

}  // namespace

TEST(MusicTracks, DecodeAsLoopableStereoMusicWithoutClipping) {
    for (const TrackCase &t : TRACKS) {
        SCOPED_TRACE(t.name);
        Decoded d = decode(std::string(TALVENA_BUILD_DIR) + "/Hudba/" + t.name + ".mp3");
        ASSERT_TRUE(d.opened);
        EXPECT_EQ(d.rate, 44100);
        ASSERT_EQ(d.channels, 2);
        const double seconds = d.pcm.size() / 2.0 / d.rate;
        EXPECT_GE(seconds, 90.0);
        EXPECT_LE(seconds, 180.0);

        int peak = 0;
        for (int16_t s : d.pcm) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(db(peak / 32768.0), -0.5) << "peak " << peak;
        const double level = rms_db(d.pcm, 0, d.pcm.size());
        EXPECT_GT(level, -21.0);
        EXPECT_LT(level, -12.0);

        // 10 ms at each end, both channels: far below the music, so the
        // jump from the last sample to the first is inaudible
        const size_t edge = 2 * 441;
        EXPECT_LT(rms_db(d.pcm, 0, edge), -60.0);
        EXPECT_LT(rms_db(d.pcm, d.pcm.size() - edge, edge), -60.0);
        // and the music itself starts softly: no burst in the first 200 ms
        EXPECT_LT(rms_db(d.pcm, 0, 2 * 8820), level - 6.0);
    }
}

TEST(MusicTracks, GeneratorRepeatsItselfByteForByte) {
    const TempDir dir;
    for (const TrackCase &t : TRACKS) {
        SCOPED_TRACE(t.name);
        const std::string built = std::string(TALVENA_BUILD_DIR) + "/tools/music/" + t.name + ".wav";
        const std::string again = dir.file(std::string(t.name) + ".wav");
        const std::string command =
            std::string(TALVENA_BUILD_DIR) + "/tools/talvena_music " + t.piece + " " + again + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string first = slurp(built), second = slurp(again);
        std::remove(again.c_str());
        ASSERT_GT(first.size(), 44u * 100);
        EXPECT_TRUE(first == second) << "sizes " << first.size() << " and " << second.size();
    }
}
