// Application shell: the layout Allegro 4's load_datafile reads, walked
// without trusting it. Headers and counts are big-endian; a chunk is its
// type, its stored size, its unpacked size (negative when compressed) and
// the stored bytes. Every read is bounded, every length checked before use.
#include "app/datafile_check.h"

#include <climits>
#include <cstdint>
#include <vector>

#include "app/resource_ids.h"

namespace {

constexpr uint32_t tag(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[0])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[3]));
}

constexpr uint32_t PACKED_MAGIC = tag("slh!");  // the whole file compressed
constexpr uint32_t PLAIN_MAGIC = tag("slh.");
constexpr uint32_t DATAFILE_MAGIC = tag("ALL.");
constexpr uint32_t PROPERTY = tag("prop");
constexpr uint32_t BITMAP_KIND = tag("BMP ");
constexpr uint32_t FONT_KIND = tag("FONT");
constexpr uint32_t SAMPLE_KIND = tag("SAMP");
constexpr uint32_t NESTED_KIND = tag("FILE");
constexpr uint32_t MIDI_KIND = tag("MIDI");
// Sprites the loader rebuilds in ways this walk does not follow; the game
// never uses them, so a file with one is refused rather than trusted.
constexpr uint32_t UNCHECKED_KINDS[] = {tag("RLE "), tag("CMP "), tag("XCMP")};

// The kind the game uses each indexed object as; any size and depth serve,
// the drawing clips and the library converts.
constexpr uint32_t RESOURCE_KINDS[RES_COUNT] = {
    BITMAP_KIND,                                                          // RES_POINTER
    FONT_KIND,   FONT_KIND,   FONT_KIND,   FONT_KIND,                     // the four fonts
    BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND,  // markers to backgrounds
    BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND,  // the kings
    BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND, BITMAP_KIND,  // the men
    SAMPLE_KIND, SAMPLE_KIND, SAMPLE_KIND, SAMPLE_KIND,
};

// The loader recurses into nested datafiles without a limit; deep nesting
// would run it out of stack.
constexpr int MAX_NESTING = 8;
// An old fixed or proportional font holds this many characters from ' '.
constexpr uint32_t OLD_FONT_CHARACTERS = 224;
// The font's stand-in for characters it lacks; without it the library
// dereferences nothing when it meets one.
constexpr uint32_t STAND_IN_CHARACTER = '^';

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

// The library's LZSS: a ring of 4096 bytes, zero but for its last 18, where
// writing starts; a flag byte tells for each of the next eight items whether
// it is a literal byte or two bytes of a copy from the ring.
constexpr size_t RING = 4096;
constexpr size_t LONGEST = 18;
constexpr size_t SHORTEST = 3;

// Unpacks from `in` until `want` bytes are made or, for a whole file
// (until_end), until the input ends. A copy from ring bytes the library
// never set (its last 18 before the first bytes are written there) would
// make the check and the loader see different bytes: refused.
const char* unpack(Cursor& in, size_t want, bool until_end, size_t budget, std::vector<unsigned char>& out) {
    unsigned char ring[RING] = {};
    size_t r = RING - LONGEST;
    size_t made = 0;
    unsigned int flags = 0;
    const unsigned char* b;
    while (until_end || made < want) {
        if (((flags >>= 1) & 256) == 0) {
            if (!take(in, 1, b)) break;
            flags = *b | 0xFF00u;
        }
        if (flags & 1) {
            if (!take(in, 1, b)) break;
            ring[r] = *b;
            r = (r + 1) & (RING - 1);
            out.push_back(*b);
            made++;
        } else {
            if (!take(in, 2, b)) break;
            const size_t from = b[0] | (static_cast<size_t>(b[1] & 0xF0) << 4);
            const size_t length = (b[1] & 0x0F) + SHORTEST;
            for (size_t k = 0; k < length && (until_end || made < want); k++) {
                const size_t at = (from + k) & (RING - 1);
                if (at >= RING - LONGEST && at - (RING - LONGEST) >= made)
                    return "a compressed stream copies bytes the unpacker never set";
                const unsigned char c = ring[at];
                ring[r] = c;
                r = (r + 1) & (RING - 1);
                out.push_back(c);
                made++;
            }
        }
        if (made > budget) return "the file unpacks to too much";
    }
    return nullptr;
}

struct Walk {
    size_t budget;  // unpacked bytes the rest of the walk may make
    int depth;      // of nested datafiles
};

// An object's chunk: its stored size, its unpacked size (negative when the
// object is compressed on its own) and its bytes. The loader reads the
// object from a window that ends where `object` ends; for a compressed one
// that is `store`, which must outlive `object`.
const char* chunk_fault(Cursor& c, Walk& w, std::vector<unsigned char>& store, Cursor& object) {
    uint32_t stored, unpacked;
    if (!be32(c, stored) || !be32(c, unpacked)) return "an object's header is cut short";
    const int32_t size = static_cast<int32_t>(unpacked);
    if (size >= 0) {
        if (stored != unpacked) return "an object's two sizes disagree";
        object.left = stored;
        return take(c, stored, object.p) ? nullptr : "an object is cut short";
    }
    const size_t want = size == INT32_MIN ? SIZE_MAX : static_cast<size_t>(-static_cast<int64_t>(size));
    if (want > w.budget) return "an object unpacks to too much";
    const unsigned char* start = c.p;
    store.reserve(want);
    if (const char* fault = unpack(c, want, false, w.budget, store)) return fault;
    if (store.size() != want) return "a compressed object is cut short";
    // The loader stops reading where the unpacked size is reached; a stored
    // size that says otherwise would put the next object somewhere else.
    if (static_cast<size_t>(c.p - start) != stored) return "a compressed object's size disagrees with its bytes";
    w.budget -= want;
    object = Cursor{store.data(), store.size()};
    return nullptr;
}

// Bytes per pixel as the loader reads them: 15 and 16 bits as one word, 24
// and 32 as three bytes, plus one for alpha; negative depths carry alpha.
size_t pixel_bytes(int32_t bits) {
    const bool alpha = bits < 0;
    switch (alpha ? -bits : bits) {
        case 8: return 1;
        case 15:
        case 16: return 2;
        case 24:
        case 32: return alpha ? 4 : 3;
        default: return 0;  // the library would make a bitmap of no depth it knows
    }
}

const char* bitmap_fault(Cursor c) {
    uint32_t bits, w, h;
    if (!be16(c, bits) || !be16(c, w) || !be16(c, h)) return "a picture's header is cut short";
    const size_t per_pixel = pixel_bytes(signed16(bits));
    if (per_pixel == 0) return "a picture's colour depth is not one Allegro reads";
    if (w == 0 || h == 0) return "a picture is empty";
    if (!skip(c, static_cast<size_t>(w) * h * per_pixel)) return "a picture's pixels are cut short";
    return nullptr;
}

// Characters as one-bit glyphs or as colour bitmaps, in ranges; a font
// whose ranges mix the two gets one drawing routine for both and crashes.
const char* ranged_font_fault(Cursor c) {
    uint32_t ranges;
    if (!be16(c, ranges)) return "a font's header is cut short";
    if (ranges == 0) return "a font has no characters";
    bool mono = false, colour = false, stand_in = false;
    for (uint32_t r = 0; r < ranges; r++) {
        const unsigned char* depth;
        uint32_t first, last;
        if (!take(c, 1, depth) || !be32(c, first) || !be32(c, last)) return "a font's range is cut short";
        // 1 and 255 mark one-bit glyphs; 0 is an old mark for 8-bit colour.
        const bool one_bit = *depth == 1 || *depth == 255;
        const size_t per_pixel = one_bit ? 0 : pixel_bytes(*depth == 0 ? 8 : *depth);
        if (!one_bit && per_pixel == 0) return "a font range's colour depth is not one Allegro reads";
        (one_bit ? mono : colour) = true;
        if (first > last || last > 0x10FFFF) return "a font range is out of order";
        stand_in = stand_in || (first <= STAND_IN_CHARACTER && last >= STAND_IN_CHARACTER);
        // Each glyph takes at least its 4-byte header, so this loop ends
        // with the bytes even for a range of a million characters.
        for (uint32_t ch = first; ch <= last; ch++) {
            uint32_t w, h;
            if (!be16(c, w) || !be16(c, h)) return "a font's glyphs are cut short";
            const size_t bytes = one_bit ? static_cast<size_t>((w + 7) / 8) * h : static_cast<size_t>(w) * h * per_pixel;
            if (!skip(c, bytes)) return "a font's glyphs are cut short";
        }
    }
    if (mono && colour) return "a font mixes one-bit and colour ranges";
    return stand_in ? nullptr : "a font lacks '^', which stands in for the characters it lacks";
}

// A height first: 0 for the ranged format; above 0 an old fixed font of
// 8-pixel-wide glyphs; below 0 an old font of up to 224 8-bit bitmaps.
const char* font_fault(Cursor c) {
    uint32_t height;
    if (!be16(c, height)) return "a font's header is cut short";
    const int32_t h = signed16(height);
    if (h == 0) return ranged_font_fault(c);
    if (h > 0) return skip(c, OLD_FONT_CHARACTERS * static_cast<size_t>(h)) ? nullptr : "an old font is cut short";
    for (uint32_t i = 0; i < OLD_FONT_CHARACTERS && c.left > 0; i++) {
        uint32_t w, gh;
        if (!be16(c, w) || !be16(c, gh) || !skip(c, static_cast<size_t>(w) * gh)) return "an old font is cut short";
    }
    return nullptr;
}

const char* sample_fault(Cursor c, bool played) {
    uint32_t bits, freq, length;
    if (!be16(c, bits) || !be16(c, freq) || !be32(c, length)) return "a sample's header is cut short";
    const int32_t b = signed16(bits);  // negative: stereo
    const size_t bytes_per_frame = b == 8 ? 1 : b == 16 ? 2 : b == -8 ? 2 : b == -16 ? 4 : 0;
    if (bytes_per_frame == 0) return "a sample is neither 8 nor 16 bits";
    if (played && (freq == 0 || length == 0)) return "a sample is empty";
    if (!skip(c, static_cast<size_t>(length) * bytes_per_frame)) return "a sample's sound is cut short";
    return nullptr;
}

const char* midi_fault(Cursor c) {
    constexpr int TRACKS = 32;
    uint32_t divisions, length;
    if (!be16(c, divisions)) return "a MIDI object is cut short";
    for (int t = 0; t < TRACKS; t++) {
        if (!be32(c, length)) return "a MIDI object is cut short";
        if (static_cast<int32_t>(length) > 0 && !skip(c, length)) return "a MIDI track is cut short";
    }
    return nullptr;
}

const char* objects_fault(Cursor& c, Walk& w, bool indexed);

const char* object_fault(uint32_t kind, Cursor object, Walk& w, bool indexed) {
    for (uint32_t unchecked : UNCHECKED_KINDS)
        if (kind == unchecked) return "a sprite kind the game does not use";
    switch (kind) {
        case BITMAP_KIND: return bitmap_fault(object);
        case FONT_KIND: return font_fault(object);
        case SAMPLE_KIND: return sample_fault(object, indexed);
        case MIDI_KIND: return midi_fault(object);
        case NESTED_KIND: {
            if (w.depth == MAX_NESTING) return "datafiles nested too deep";
            w.depth++;
            const char* fault = objects_fault(object, w, false);
            w.depth--;
            return fault;
        }
        default: return nullptr;  // kept as a block of bytes
    }
}

// The object count and the objects; each may follow properties (a tag, a
// length and that many bytes). The first RES_COUNT of the file itself are
// the game's.
const char* objects_fault(Cursor& c, Walk& w, bool indexed) {
    uint32_t count;
    if (!be32(c, count)) return "the object count is cut short";
    if (indexed && count < RES_COUNT) return "fewer objects than the game indexes";
    // Every object takes at least its kind and two sizes; this also keeps
    // the loader's array for the count from overflowing.
    if (count > c.left / 12) return "more objects than the file has bytes for";
    for (uint32_t i = 0; i < count; i++) {
        uint32_t kind;
        if (!be32(c, kind)) return "an object is missing";
        while (kind == PROPERTY) {
            uint32_t property, length;
            if (!be32(c, property) || !be32(c, length) || !skip(c, length) || !be32(c, kind))
                return "an object's properties are cut short";
        }
        const bool game_object = indexed && i < RES_COUNT;
        if (game_object && kind != RESOURCE_KINDS[i]) return "an object is of the wrong kind";
        std::vector<unsigned char> store;
        Cursor object{nullptr, 0};
        if (const char* fault = chunk_fault(c, w, store, object)) return fault;
        if (const char* fault = object_fault(kind, object, w, game_object)) return fault;
    }
    return nullptr;
}

}  // namespace

const char* datafile_fault(const unsigned char* file, size_t size) {
    Cursor c{file, size};
    uint32_t magic;
    if (!be32(c, magic) || (magic != PACKED_MAGIC && magic != PLAIN_MAGIC)) return "not a packfile";
    Walk w{MAX_DATAFILE_UNPACKED, 0};
    std::vector<unsigned char> body;
    if (magic == PACKED_MAGIC) {
        if (const char* fault = unpack(c, 0, true, w.budget, body)) return fault;
        w.budget -= body.size();
        c = Cursor{body.data(), body.size()};
    }
    uint32_t kind;
    if (!be32(c, kind) || kind != DATAFILE_MAGIC) return "not a datafile";
    // Bytes after the objects are never read.
    return objects_fault(c, w, true);
}
