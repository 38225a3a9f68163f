// Application shell: the letters the game's fonts hold. The datafile
// generator draws exactly these ranges into every font, and the names editor
// takes nothing else, so a name never shows a letter as '^'. No Allegro here.
#pragma once

#include <cstdint>

// Printable ASCII, then Latin-1 and Latin Extended-A (all Czech letters) in
// one run; ends inclusive.
constexpr int32_t FONT_RANGE_COUNT = 2;
constexpr int32_t FONT_RANGES[FONT_RANGE_COUNT][2] = {{0x20, 0x7E}, {0xA0, 0x17F}};

inline int32_t font_has_code(int32_t code) {
    for (const auto& range : FONT_RANGES)
        if (code >= range[0] && code <= range[1]) return 1;
    return 0;
}
