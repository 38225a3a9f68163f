// Menus and screens: word placement of a justified line.
#include "ui/text_layout.h"

int32_t split_words(const char* line, TextWord* words, int32_t max) {
    int32_t count = 0;
    int32_t i = 0;
    while (line[i] != '\0') {
        while (line[i] == ' ') i++;
        if (line[i] == '\0') break;
        const int32_t start = i;
        while (line[i] != '\0' && line[i] != ' ') i++;
        if (count < max) words[count] = {start, i - start};
        count++;
    }
    return count;
}

int32_t justify_words(const int32_t* widths, int32_t count, int32_t x1, int32_t x2, int32_t diff, int32_t* xs) {
    if (count < 2) return 0;
    int64_t room = int64_t{x2} - x1;
    for (int32_t i = 0; i < count; i++) room -= widths[i];
    if (room <= 0 || room > diff) return 0;
    const int64_t gaps = count - 1;
    int64_t pen = x1;
    for (int32_t i = 0; i < count; i++) {
        // Word i sits after i gaps, which together hold room * i / gaps pixels.
        xs[i] = static_cast<int32_t>(pen + room * i / gaps);
        pen += widths[i];
    }
    return 1;
}
