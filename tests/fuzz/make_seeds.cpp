// Writes the seed corpora: files the game itself writes, positions, and
// short tones that lame encodes as music tracks.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "app/resource_ids.h"
#include "app/settings_file.h"
#include "cli/cli_selfplay.h"
#include "notation/pdn.h"
#include "notation/position.h"
#include "ui/saved_games.h"

namespace {

void write(const std::string& path, const void* bytes, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes, 1, size, f) != size) std::perror(path.c_str());
    if (f != nullptr) std::fclose(f);
}

void put_le(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A sine as a 16-bit WAV, the same in every channel.
bool write_tone_wav(const std::string& path, int rate, int channels, double seconds, double hz) {
    const uint32_t frames = static_cast<uint32_t>(rate * seconds);
    const uint32_t bytes = frames * static_cast<uint32_t>(channels) * 2;
    std::vector<uint8_t> w = {'R', 'I', 'F', 'F'};
    put_le(w, 36 + bytes, 4);
    for (char c : std::string("WAVEfmt ")) w.push_back(static_cast<uint8_t>(c));
    put_le(w, 16, 4);
    put_le(w, 1, 2);  // PCM
    put_le(w, static_cast<uint32_t>(channels), 2);
    put_le(w, static_cast<uint32_t>(rate), 4);
    put_le(w, static_cast<uint32_t>(rate * channels * 2), 4);
    put_le(w, static_cast<uint32_t>(channels * 2), 2);
    put_le(w, 16, 2);
    for (char c : std::string("data")) w.push_back(static_cast<uint8_t>(c));
    put_le(w, bytes, 4);
    for (uint32_t i = 0; i < frames; i++) {
        const auto v = static_cast<int16_t>(std::lround(12000 * std::sin(2 * M_PI * hz * i / rate)));
        for (int c = 0; c < channels; c++) put_le(w, static_cast<uint16_t>(v), 2);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f != nullptr && std::fwrite(w.data(), 1, w.size(), f) == w.size();
    if (f != nullptr) std::fclose(f);
    return ok;
}

struct TrackSeed {
    const char* name;
    int rate, channels;
    double seconds;
    const char* lame_options;
    double keep;          // share of the encoded file kept: under 1 cuts it mid-frame
    uint32_t claimed_frames;  // written over the Info header's frame count; 0: as encoded
    uint8_t header[7];    // how mp3_fuzz feeds and plays it
};

// Tones of a few formats; the header bytes pick the first block, the output
// and the pass schedule (see mp3_fuzz.cpp).
const TrackSeed TRACK_SEEDS[] = {
    {"stereo", 44100, 2, 0.3, "-b 96", 1, 0, {0xff, 0xff, 0x58, 0x01, 0x00, 0x04, 0x09}},
    {"mono22k", 22050, 1, 0.4, "-b 32", 1, 0, {0xe7, 0x03, 0x04, 0x1b, 0x00, 0x0c, 0x12}},
    {"mpeg25", 8000, 1, 0.5, "-b 8", 1, 0, {0xff, 0xff, 0x23, 0x02, 0x1c, 0x03, 0x00}},
    // A resampled track whose Info header claims four billion frames once
    // froze mpg123's first read for 40 s (gapless trimming walked them all).
    {"mpeg25_claims_billions", 11025, 1, 0.3, "-b 32", 1, 0xffffff56, {0xff, 0xff, 0x23, 0x02, 0x1c, 0x03, 0x00}},
    {"tagged", 22050, 1, 0.3, "-b 24 --add-id3v2 --tt Talvena", 1, 0, {0x27, 0x00, 0x06, 0x08, 0x10, 0x18, 0x00}},
    {"truncated", 44100, 2, 0.3, "-b 96", 0.6, 0, {0xff, 0xff, 0x78, 0x03, 0x0f, 0x05, 0x01}},
};

// The frame count of lame's Info header (flags bit 0), big-endian after the
// tag and its flags.
void claim_frames(std::vector<uint8_t>& mp3, uint32_t frames) {
    const char tag[] = "Info";
    const auto at = std::search(mp3.begin(), mp3.end(), tag, tag + 4);
    if (at == mp3.end() || mp3.end() - at < 12 || !(at[7] & 1)) return;
    for (int i = 0; i < 4; i++) at[8 + i] = static_cast<uint8_t>(frames >> (24 - 8 * i));
}

bool write_track_seeds(const std::string& dir) {
    char tmpl[] = "/tmp/talvena-seeds-XXXXXX";
    const char* tmp = mkdtemp(tmpl);
    if (tmp == nullptr) return false;
    bool ok = true;
    for (const TrackSeed& t : TRACK_SEEDS) {
        const std::string wav = std::string(tmp) + "/tone.wav", mp3 = std::string(tmp) + "/tone.mp3";
        const std::string lame = "lame --quiet --noreplaygain " + std::string(t.lame_options) + " '" + wav + "' '" + mp3 + "'";
        if (!write_tone_wav(wav, t.rate, t.channels, t.seconds, 440) || std::system(lame.c_str()) != 0) {
            std::fprintf(stderr, "make_seeds: could not encode %s\n", t.name);
            ok = false;
            continue;
        }
        std::ifstream in(mp3, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes.resize(static_cast<size_t>(static_cast<double>(bytes.size()) * t.keep));
        if (t.claimed_frames != 0) claim_frames(bytes, t.claimed_frames);
        bytes.insert(bytes.begin(), std::begin(t.header), std::end(t.header));
        write(dir + "/mp3/" + t.name, bytes.data(), bytes.size());
        unlink(wav.c_str());
        unlink(mp3.c_str());
    }
    rmdir(tmp);
    return ok;
}

void put_be(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; i--) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_tag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// The library's LZSS with nothing but literals: a flag byte of eight ones
// before every eight bytes.
std::vector<uint8_t> literal_lzss(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < in.size(); i++) {
        if (i % 8 == 0) out.push_back(0xFF);
        out.push_back(in[i]);
    }
    return out;
}

// The smallest datafile the game could run on: 1x1 pictures, fonts of one
// pixel per printable ASCII character, samples of four frames; objects
// stored plainly or packed one by one, the file plain or packed whole. Small
// seeds reach every header quickly; tools/fuzz.sh adds the shipped file.
void write_datafile_seeds(const std::string& dir) {
    std::vector<uint8_t> picture, font, sample;
    for (uint32_t v : {16, 1, 1}) put_be(picture, v, 2);
    picture.insert(picture.end(), {0xFF, 0xFF});
    put_be(font, 0, 2);  // the ranged format, one range of one-bit glyphs
    put_be(font, 1, 2);
    font.push_back(1);
    put_be(font, 0x20, 4);
    put_be(font, 0x7E, 4);
    for (int ch = 0x20; ch <= 0x7E; ch++) font.insert(font.end(), {0, 1, 0, 1, 0x80});
    for (uint32_t v : {8, 11025}) put_be(sample, v, 2);
    put_be(sample, 4, 4);
    sample.insert(sample.end(), {0x80, 0xC0, 0x80, 0x40});
    for (int form = 0; form < 3; form++) {
        std::vector<uint8_t> body;
        put_tag(body, "ALL.");
        put_be(body, RES_COUNT, 4);
        for (int i = 0; i < RES_COUNT; i++) {
            const bool is_font = i >= RES_FONT_PANEL && i <= RES_FONT_MENU, is_sample = i >= RES_SND_PICK;
            const std::vector<uint8_t>& data = is_font ? font : is_sample ? sample : picture;
            const std::vector<uint8_t> stored = form == 1 ? literal_lzss(data) : data;
            put_tag(body, is_font ? "FONT" : is_sample ? "SAMP" : "BMP ");
            put_be(body, static_cast<uint32_t>(stored.size()), 4);
            put_be(body, static_cast<uint32_t>(form == 1 ? -static_cast<int32_t>(data.size()) : data.size()), 4);
            body.insert(body.end(), stored.begin(), stored.end());
        }
        std::vector<uint8_t> file;
        put_tag(file, form == 2 ? "slh!" : "slh.");
        const std::vector<uint8_t> rest = form == 2 ? literal_lzss(body) : body;
        file.insert(file.end(), rest.begin(), rest.end());
        const char* names[] = {"tiny", "tiny-objects-packed", "tiny-file-packed"};
        write(dir + "/datafile/" + names[form], file.data(), file.size());
    }
}

// Games as this program writes them (self-play at both piece counts), and
// the forms other programs' files take.
void write_pdn_seeds(const std::string& dir) {
    int n = 0;
    for (int32_t pieces : {12, 8}) {
        PdnGame g;
        g.event = "Talvena self-play";
        if (pieces == 8) {
            int32_t side = BLUE;
            std::string unused;
            parse_position("start8", side, unused);
            g.fen = format_fen(side);
        }
        SelfplayTotals totals;
        std::string failure;
        run_selfplay(3, LEVEL_PROFESSIONAL, LEVEL_AMATEUR, pieces, 5, totals, failure,
                     [&](int64_t, int32_t winner, const std::vector<PdnTurn>& turns) {
                         g.result = pdn_result(winner);
                         g.turns = turns;
                         const std::string text = pdn_text(g);
                         write(dir + "/pdn/selfplay" + std::to_string(n++), text.data(), text.size());
                         return true;
                     });
    }
    const char* const forms[] = {
        "\xEF\xBB\xBF[Event \"x\"]\r\n[GameType \"29\"]\r\n\r\n1. c3-d4 f6-e5 2. d4xf6 g7xe5 *\r\n",
        "[GameType \"32,W,8,8,N1,0\"]\n1.22-18 11-15 ; note\n2.18:11 8:15 *\n",
        "[SetUp \"1\"]\n[FEN \"W:W21-23:B1,2.\"]\n1. 21-17 ... 2. 17-13 *\n",
        "[FEN \"W:Wa1:Bb2,d4\"]\n1. a1xe5 (1. a1:c3 {a ) inside} $2) 1-0\n% escaped\n",
        "[GameType \"20,W,10,10,N2,0\"]\n1. 32-28 19-23 *\n\n[Round \"?\"]\n1. c3-d4 ) f6-g5 *\n",
    };
    for (const char* f : forms) write(dir + "/pdn/form" + std::to_string(n++), f, std::strlen(f));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];

    Settings s;
    std::memset(&s, 0, sizeof s);
    settings_from_bytes(s, nullptr, 0);
    unsigned char sb[SETTINGS_FILE_SIZE];
    settings_to_bytes(s, sb);
    write(dir + "/settings/defaults", sb, sizeof sb);
    s.piece_count = 8;
    s.opponent = 2;
    s.music_volume = 17;
    const int32_t name[] = {0x10C, 0x65, 0x6E, 0x11B, 0x6B, 0};  // a Czech name
    std::memcpy(s.player_name[1], name, sizeof name);
    settings_to_bytes(s, sb);
    write(dir + "/settings/edited", sb, sizeof sb);

    SavedGames g;
    saved_games_from_bytes(g, nullptr, 0);
    unsigned char gb[SAVED_GAMES_FILE_SIZE];
    saved_games_to_bytes(g, gb);
    write(dir + "/saved_games/empty", gb, sizeof gb);
    settings.piece_count = 12;
    new_game();
    game.paused_minutes = 3;
    slot_from_game(g.slots[1]);
    settings.piece_count = 8;
    new_game();
    game.turn = RED;
    slot_from_game(g.slots[4]);
    saved_games_to_bytes(g, gb);
    write(dir + "/saved_games/two_games", gb, sizeof gb);

    const char* positions[] = {
        "start", "start8",
        "......../......../......../...b..../....R.../......../......../........ r",
        "b.b.b.b./.b.b.b.b/......../......../......../......../r.r.r.r./.r.r.r.r b",
    };
    int n = 0;
    for (const char* p : positions) write(dir + "/position/" + std::to_string(n++), p, std::strlen(p));
    write_pdn_seeds(dir);
    write_datafile_seeds(dir);
    return write_track_seeds(dir) ? 0 : 1;
}
