// Application shell: the layout Allegro 4's load_datafile reads, walked
// without trusting it. Headers and counts are big-endian; a chunk is its
// type, its stored size, its unpacked size (negative when compressed) and
// the stored bytes.
#include "app/datafile_check.h"

#include <cstdint>

#include "app/game_state.h"
#include "app/resource_ids.h"

namespace {

constexpr uint32_t tag(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[0])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[3]));
}

constexpr uint32_t DATAFILE_MAGIC = tag("ALL.");
constexpr uint32_t PROPERTY = tag("prop");
constexpr uint32_t BITMAP_KIND = tag("BMP ");
constexpr uint32_t FONT_KIND = tag("FONT");
constexpr uint32_t SAMPLE_KIND = tag("SAMP");

// How the game uses each object. Squares and backgrounds are blitted whole
// into the layout, so their sizes are exact; pieces and markers are centred
// on a square, and the pointer may be any sprite up to 64 pixels.
struct ResourceShape {
    uint32_t kind;
    int32_t width, height;
    bool exact;
};

constexpr ResourceShape SQUARE_PICTURE = {BITMAP_KIND, SQUARE_SIZE, SQUARE_SIZE, false};
constexpr ResourceShape FONT_SHAPE = {FONT_KIND, 0, 0, false};
constexpr ResourceShape SAMPLE_SHAPE = {SAMPLE_KIND, 0, 0, false};

constexpr ResourceShape RESOURCE_SHAPES[RES_COUNT] = {
    {BITMAP_KIND, 64, 64, false},  // RES_POINTER
    FONT_SHAPE, FONT_SHAPE, FONT_SHAPE, FONT_SHAPE,
    SQUARE_PICTURE, SQUARE_PICTURE,  // the two markers
    {BITMAP_KIND, SQUARE_SIZE, SQUARE_SIZE, true}, {BITMAP_KIND, SQUARE_SIZE, SQUARE_SIZE, true},
    {BITMAP_KIND, 800, 600, true}, {BITMAP_KIND, 800, 600, true},
    SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE,
    SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE, SQUARE_PICTURE,
    SAMPLE_SHAPE, SAMPLE_SHAPE, SAMPLE_SHAPE, SAMPLE_SHAPE,
};

// A bounded reader: every take checks the bytes are there first.
struct Cursor {
    const unsigned char* p;
    size_t left;
};

bool take(Cursor& c, size_t n, const unsigned char*& at) {
    if (n > c.left) return false;
    at = c.p;
    c.p += n;
    c.left -= n;
    return true;
}

bool skip(Cursor& c, size_t n) {
    const unsigned char* at;
    return take(c, n, at);
}

bool be32(Cursor& c, uint32_t& v) {
    const unsigned char* b;
    if (!take(c, 4, b)) return false;
    v = static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 | b[3];
    return true;
}

bool be16(Cursor& c, uint32_t& v) {
    const unsigned char* b;
    if (!take(c, 2, b)) return false;
    v = static_cast<uint32_t>(b[0]) << 8 | b[1];
    return true;
}

int32_t signed16(uint32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

// Only the 16-bit pictures the game runs in; Allegro keeps w and h as read.
const char* bitmap_fault(Cursor c, const ResourceShape& shape) {
    uint32_t bits, w, h;
    if (!be16(c, bits) || !be16(c, w) || !be16(c, h)) return "a picture's header is cut short";
    if (bits != 16) return "a picture is not in 16-bit colour";
    if (w == 0 || h == 0) return "a picture is empty";
    if (shape.exact ? (static_cast<int32_t>(w) != shape.width || static_cast<int32_t>(h) != shape.height)
                    : (static_cast<int32_t>(w) > shape.width || static_cast<int32_t>(h) > shape.height))
        return "a picture has the wrong size";
    if (!skip(c, static_cast<size_t>(w) * h * 2)) return "a picture's pixels are cut short";
    return nullptr;
}

// The multi-range one-bit fonts. Allegro falls back on '^' for a character
// a font lacks, and crashes when that is missing too: printable ASCII must
// be there.
const char* font_fault(Cursor c) {
    uint32_t version, ranges;
    if (!be16(c, version) || !be16(c, ranges)) return "a font's header is cut short";
    if (version != 0) return "a font is not in the multi-range format";
    if (ranges == 0) return "a font has no characters";
    bool has_ascii = false;
    for (uint32_t r = 0; r < ranges; r++) {
        const unsigned char* mono;
        uint32_t first, last;
        if (!take(c, 1, mono) || !be32(c, first) || !be32(c, last)) return "a font's range is cut short";
        if (*mono != 1) return "a font range is not one bit per pixel";
        if (first > last || last > 0x10FFFF) return "a font range is out of order";
        has_ascii = has_ascii || (first <= 0x20 && last >= 0x7E);
        // Each glyph takes at least its 4-byte header, so this loop ends
        // with the bytes even for a range of a million characters.
        for (uint32_t ch = first; ch <= last; ch++) {
            uint32_t w, h;
            if (!be16(c, w) || !be16(c, h)) return "a font's glyphs are cut short";
            if (!skip(c, static_cast<size_t>((w + 7) / 8) * h)) return "a font's glyphs are cut short";
        }
    }
    return has_ascii ? nullptr : "a font lacks the printable ASCII characters";
}

const char* sample_fault(Cursor c) {
    uint32_t bits, freq, length;
    if (!be16(c, bits) || !be16(c, freq) || !be32(c, length)) return "a sample's header is cut short";
    const int32_t b = signed16(bits);  // negative: stereo
    const size_t bytes_per_frame = b == 8 ? 1 : b == 16 ? 2 : b == -8 ? 2 : b == -16 ? 4 : 0;
    if (bytes_per_frame == 0) return "a sample is neither 8 nor 16 bits";
    if (freq == 0 || length == 0) return "a sample is empty";
    if (!skip(c, static_cast<size_t>(length) * bytes_per_frame)) return "a sample's sound is cut short";
    return nullptr;
}

}  // namespace

const char* datafile_fault(const unsigned char* body, size_t size) {
    Cursor c{body, size};
    uint32_t magic, count;
    if (!be32(c, magic) || magic != DATAFILE_MAGIC) return "not a datafile";
    if (!be32(c, count) || count != RES_COUNT) return "not the number of objects the game indexes";
    for (const ResourceShape& shape : RESOURCE_SHAPES) {
        uint32_t kind;
        if (!be32(c, kind)) return "an object is missing";
        while (kind == PROPERTY) {
            uint32_t property, length;
            if (!be32(c, property) || !be32(c, length) || !skip(c, length) || !be32(c, kind))
                return "an object's properties are cut short";
        }
        if (kind != shape.kind) return "an object is of the wrong kind";
        uint32_t stored, unpacked;
        if (!be32(c, stored) || !be32(c, unpacked)) return "an object's header is cut short";
        if (unpacked != stored) return "an object is compressed on its own";
        Cursor object{c.p, 0};
        if (!take(c, stored, object.p)) return "an object is cut short";
        object.left = stored;
        const char* fault = kind == BITMAP_KIND ? bitmap_fault(object, shape)
                            : kind == FONT_KIND ? font_fault(object)
                                                : sample_fault(object);
        if (fault != nullptr) return fault;
    }
    return c.left == 0 ? nullptr : "bytes follow the last object";
}
