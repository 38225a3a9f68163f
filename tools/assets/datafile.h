// Asset generator: writes an Allegro 4 datafile through the library's own
// packfile and chunk routines, in the shipped form or in any other form a
// player's theme may take. The objects are stored in the order they are
// added, which is the order the game indexes them by; nothing is sorted.
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
    std::vector<DatafileObject> children;  // the objects of a nested datafile ("FILE")
};

struct Datafile {
    std::vector<DatafileObject> objects;
};

void add_bitmap16(Datafile &dat, const std::string &name, int w, int h, const std::vector<uint16_t> &pixels);
void add_font(Datafile &dat, const std::string &name, const std::vector<FontRange> &ranges);
// Mono 16-bit signed samples; stored the way the library expects them.
void add_sample16(Datafile &dat, const std::string &name, int freq, const std::vector<int16_t> &samples);

// How the datafile is laid out. The game reads every form; the shipped one
// is the default: 16-bit pictures, one-bit fonts, the whole file packed.
struct DatafileForm {
    int bitmap_depth = 16;         // 8, 15, 16, 24, 32, or -32 for 32 with alpha
    bool colour_fonts = false;     // 8-bit colour glyphs instead of one-bit ones
    bool compress_objects = false; // each object packed on its own
    bool pack_file = true;         // the whole file packed
    bool extra_objects = false;    // a picture, a block of bytes and a nested datafile after the game's
    size_t trailing_bytes = 0;     // after the last object
    int grow_pictures = 0;         // pixels of mask colour added right of and below every picture
};

struct NamedForm {
    const char *name;
    DatafileForm form;
};
// Every form a player's own datafile may take, by name.
std::vector<NamedForm> datafile_forms();

bool write_datafile(const std::string &path, const Datafile &dat, const DatafileForm &form);
bool write_packed_datafile(const std::string &path, const Datafile &dat);
bool write_file(const std::string &path, const std::vector<uint8_t> &bytes);
bool write_text_file(const std::string &path, const std::string &text);
// A mono 16-bit WAV file (used only for listening to the sounds).
bool write_wav(const std::string &path, int freq, const std::vector<int16_t> &samples);
