// Menus and screens: where the words of a justified line go, without a
// display. The help screen measures the words in its font and draws them
// where this says.
#pragma once

#include <cstdint>

// One word of a line: byte offset and byte length in the UTF-8 text.
struct TextWord {
    int32_t start;
    int32_t length;
};

// The words of a line cut at blanks; a run of blanks separates like one.
// Answers how many there are; only the first `max` are stored.
int32_t split_words(const char* line, TextWord* words, int32_t max);

// Justifies `count` words of the given widths between x1 and x2. The room
// for the gaps is (x2 - x1) - the sum of the widths; when it is more than 0,
// at most `diff` and there are at least two words, the room is shared out
// over the gaps in whole pixels, the spare pixels spread among them, so the
// last word ends exactly at x2: answers 1 with each word's left edge in xs.
// Otherwise answers 0: the line is drawn as it stands, left-aligned at x1.
int32_t justify_words(const int32_t* widths, int32_t count, int32_t x1, int32_t x2, int32_t diff, int32_t* xs);
