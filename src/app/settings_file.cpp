// Application shell: the settings file. Whatever a damaged or hand-edited
// file holds, the game only ever sees values it could have written itself;
// values it does write come back unchanged.
#include "app/settings_file.h"

#include <algorithm>

#include "app/atomic_file.h"
#include "app/byte_order.h"

namespace {

constexpr int NUMBER_COUNT = 7;
constexpr int FIELD_COUNT = NUMBER_COUNT + 2 * NAME_LEN;
static_assert(FIELD_COUNT * 4 == SETTINGS_FILE_SIZE, "27 fields of 4 bytes");

// File order; not the struct's, though today they agree.
int32_t Settings::*const NUMBERS[NUMBER_COUNT] = {
    &Settings::opponent,     &Settings::difficulty,   &Settings::computer_side, &Settings::piece_count,
    &Settings::music_volume, &Settings::sound_volume, &Settings::music_track,
};

int32_t& field(Settings& s, int i) {
    if (i < NUMBER_COUNT) return s.*NUMBERS[i];
    i -= NUMBER_COUNT;
    return s.player_name[i / NAME_LEN][i % NAME_LEN];
}

int32_t in_range_or(int32_t v, int32_t lo, int32_t hi, int32_t fallback) {
    return v < lo || v > hi ? fallback : v;
}

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

void make_safe(Settings& s) {
    // reset_board fills 2 * piece_count squares from each end.
    if (s.piece_count != 8 && s.piece_count != 12) s.piece_count = 12;
    s.opponent = in_range_or(s.opponent, 1, 2, OPPONENT_COMPUTER);
    s.difficulty = in_range_or(s.difficulty, LEVEL_AMATEUR, LEVEL_MASTER, LEVEL_PROFESSIONAL);
    s.computer_side = in_range_or(s.computer_side, 1, 2, RED);
    s.music_volume = clamp(s.music_volume, 0, 255);
    s.sound_volume = clamp(s.sound_volume, 0, 255);
    // A track the game never writes would leave the music off for good: the
    // sound screen offers no track choice without music.
    if (s.music_track != TRACK_ALTERNATE && s.music_track != TRACK_DREAM && s.music_track != TRACK_SPRING)
        s.music_track = TRACK_ALTERNATE;
    // Code 0 ends a name too, so anything after the end is cleared as well.
    for (int32_t* name : s.player_name) {
        int end = 0;
        while (end < NAME_LEN && name_code_printable(name[end])) end++;
        for (int i = end; i < NAME_LEN; i++) name[i] = 0;
    }
    // The editor never leaves a name empty; a damaged file's blank name
    // reads as the side's first name, as it would without a file.
    for (int side = 0; side < 2; side++)
        if (s.player_name[side][0] == 0) std::copy_n(DEFAULT_NAMES[side], NAME_LEN, s.player_name[side]);
}

void set_defaults(Settings& s) {
    s.opponent = OPPONENT_COMPUTER;
    s.difficulty = LEVEL_PROFESSIONAL;
    s.computer_side = RED;
    s.piece_count = 12;
    s.music_volume = 255;
    s.sound_volume = 255;
    s.music_track = TRACK_ALTERNATE;
}

}  // namespace

void settings_from_bytes(Settings& s, const unsigned char* bytes, size_t size) {
    for (int i = 0; i < FIELD_COUNT && 4 * static_cast<size_t>(i) + 4 <= size; i++)
        field(s, i) = load_le32(bytes + 4 * i);
    make_safe(s);
}

void settings_to_bytes(const Settings& s, unsigned char out[SETTINGS_FILE_SIZE]) {
    Settings copy = s;
    for (int i = 0; i < FIELD_COUNT; i++) store_le32(out + 4 * i, field(copy, i));
}

// A file that could not be read whole is not written back: what the run
// changed is lost, rather than what the file held.
static int settings_file_unread = 0;

void load_settings_from(const char* path) {
    unsigned char bytes[SETTINGS_FILE_SIZE];
    size_t size = 0;
    const int read = read_file_prefix(path, bytes, sizeof bytes, size);
    settings_file_unread = read == READ_FAILED ? 1 : 0;
    if (read != READ_DONE) set_defaults(settings);
    settings_from_bytes(settings, bytes, size);
}

int save_settings_to(const char* path) {
    if (settings_file_unread) return 0;
    unsigned char bytes[SETTINGS_FILE_SIZE];
    settings_to_bytes(settings, bytes);
    return write_file_atomically(path, bytes, sizeof bytes);
}

void load_settings() { load_settings_from(SETTINGS_PATH); }

int save_settings() { return save_settings_to(SETTINGS_PATH); }
