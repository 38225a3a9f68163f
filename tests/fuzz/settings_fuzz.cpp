// Any bytes as the settings file: whatever they hold, the settings the game
// sees afterwards are ones it could have written itself, and writing them
// back and reading again changes nothing.
#include <cstdlib>
#include <cstring>

#include "app/settings_file.h"

namespace {

bool in(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

bool printable(int32_t c) {
    return in(c, 0x20, 0x7E) || in(c, 0xA0, 0xD7FF) || in(c, 0xE000, 0x10FFFF);
}

void check(const Settings& s) {
    if (s.piece_count != 8 && s.piece_count != 12) std::abort();
    if (!in(s.opponent, 1, 2) || !in(s.difficulty, 1, 3) || !in(s.computer_side, 1, 2)) std::abort();
    if (!in(s.music_volume, 0, 255) || !in(s.sound_volume, 0, 255)) std::abort();
    if (s.music_track != -1 && s.music_track != 1 && s.music_track != 2) std::abort();
    for (const int32_t* name : s.player_name) {
        if (name[0] == 0) std::abort();  // a blank name reads as the default
        int end = 0;
        while (end < NAME_LEN && name[end] != 0) {
            if (!printable(name[end])) std::abort();
            end++;
        }
        for (int i = end; i < NAME_LEN; i++)
            if (name[i] != 0) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    Settings s;
    std::memset(&s, 0, sizeof s);
    settings_from_bytes(s, data, size);
    check(s);
    unsigned char out[SETTINGS_FILE_SIZE];
    settings_to_bytes(s, out);
    Settings again;
    std::memset(&again, 0xA5, sizeof again);
    settings_from_bytes(again, out, sizeof out);
    if (std::memcmp(&s, &again, sizeof s) != 0) std::abort();
    return 0;
}
