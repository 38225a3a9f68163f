// Asset generator: writes an Allegro 4 datafile, compressed by the
// library's packfile routines. The objects
// are stored in the order they are added, which is the order the game
// indexes them by; nothing is sorted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One glyph of a one-bit font: w×h pixels, rows of (w + 7) / 8 bytes, the
// leftmost pixel in the highest bit.
struct MonoGlyph {
    int w = 0, h = 0;
    std::vector<uint8_t> bits;
};

struct FontRange {
    int first = 0, last = 0;  // inclusive
    std::vector<MonoGlyph> glyphs;
};

struct DatafileObject {
    uint32_t type = 0;
    std::string name;
    std::vector<uint8_t> data;
};

struct Datafile {
    std::vector<DatafileObject> objects;
};

void add_bitmap16(Datafile &dat, const std::string &name, int w, int h, const std::vector<uint16_t> &pixels);
void add_font(Datafile &dat, const std::string &name, const std::vector<FontRange> &ranges);
// Mono 16-bit signed samples; stored the way the library expects them.
void add_sample16(Datafile &dat, const std::string &name, int freq, const std::vector<int16_t> &samples);

// The datafile after the packfile magic: "ALL.", the count, the objects.
std::vector<uint8_t> datafile_body(const Datafile &dat);
bool write_packed_datafile(const std::string &path, const Datafile &dat);
bool write_file(const std::string &path, const std::vector<uint8_t> &bytes);
bool write_text_file(const std::string &path, const std::string &text);
// A mono 16-bit WAV file (used only for listening to the sounds).
bool write_wav(const std::string &path, int freq, const std::vector<int16_t> &samples);
