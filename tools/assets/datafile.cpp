#include "datafile.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {


uint32_t id4(const char *s) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24) | (static_cast<uint8_t>(s[1]) << 16) |
           (static_cast<uint8_t>(s[2]) << 8) | static_cast<uint8_t>(s[3]);
}

// Headers and counts are big-endian; pixel and sample words little-endian,
// as the library reads them.
void put_be32(std::vector<uint8_t> &out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void put_be16(std::vector<uint8_t> &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void put_le16(std::vector<uint8_t> &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

void add_bitmap16(Datafile &dat, const std::string &name, int w, int h, const std::vector<uint16_t> &pixels) {
    DatafileObject obj{id4("BMP "), name, {}, {}};
    put_be16(obj.data, 16);
    put_be16(obj.data, static_cast<uint16_t>(w));
    put_be16(obj.data, static_cast<uint16_t>(h));
    for (uint16_t p : pixels) put_le16(obj.data, p);
    dat.objects.push_back(std::move(obj));
}

void add_font(Datafile &dat, const std::string &name, const std::vector<FontRange> &ranges) {
    DatafileObject obj{id4("FONT"), name, {}, {}};
    put_be16(obj.data, 0);  // the multi-range format
    put_be16(obj.data, static_cast<uint16_t>(ranges.size()));
    for (const FontRange &r : ranges) {
        obj.data.push_back(1);  // one bit per pixel
        put_be32(obj.data, static_cast<uint32_t>(r.first));
        put_be32(obj.data, static_cast<uint32_t>(r.last));
        for (const MonoGlyph &g : r.glyphs) {
            put_be16(obj.data, static_cast<uint16_t>(g.w));
            put_be16(obj.data, static_cast<uint16_t>(g.h));
            obj.data.insert(obj.data.end(), g.bits.begin(), g.bits.end());
        }
    }
    dat.objects.push_back(std::move(obj));
}

void add_sample16(Datafile &dat, const std::string &name, int freq, const std::vector<int16_t> &samples) {
    DatafileObject obj{id4("SAMP"), name, {}, {}};
    put_be16(obj.data, 16);
    put_be16(obj.data, static_cast<uint16_t>(freq));
    put_be32(obj.data, static_cast<uint32_t>(samples.size()));
    // The library keeps 16-bit samples unsigned, centred on 0x8000.
    for (int16_t s : samples) put_le16(obj.data, static_cast<uint16_t>(s) ^ 0x8000);
    dat.objects.push_back(std::move(obj));
}

namespace {

struct Reader {
    const std::vector<uint8_t> &b;
    size_t at = 0;
    uint32_t be16() {
        at += 2;
        return static_cast<uint32_t>(b[at - 2]) << 8 | b[at - 1];
    }
    uint32_t be32() {
        const uint32_t hi = be16();
        return hi << 16 | be16();
    }
    uint32_t le16() {
        at += 2;
        return static_cast<uint32_t>(b[at - 1]) << 8 | b[at - 2];
    }
};

constexpr uint16_t MASK_565 = 0xF81F;

// A 16-bit picture (as add_bitmap16 stores it) at another depth and size.
std::vector<uint8_t> reshaped_bitmap(const std::vector<uint8_t> &data, const DatafileForm &form) {
    Reader in{data};
    in.be16();
    const int w = static_cast<int>(in.be16()), h = static_cast<int>(in.be16());
    const int grow = form.grow_pictures, W = w + grow, H = h + grow;
    std::vector<uint8_t> out;
    put_be16(out, static_cast<uint16_t>(static_cast<int16_t>(form.bitmap_depth)));
    put_be16(out, static_cast<uint16_t>(W));
    put_be16(out, static_cast<uint16_t>(H));
    std::vector<uint16_t> pixels(static_cast<size_t>(W) * H, MASK_565);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) pixels[static_cast<size_t>(y) * W + x] = static_cast<uint16_t>(in.le16());
    for (uint16_t p : pixels) {
        const int r = (p >> 11) * 255 / 31, g = ((p >> 5) & 63) * 255 / 63, b = (p & 31) * 255 / 31;
        switch (form.bitmap_depth) {
            case 8:  // palette indices: colours are the palette's, mask 0
                out.push_back(p == MASK_565 ? 0 : static_cast<uint8_t>(1 + (r >> 5 << 4 | g >> 5 << 1 | b >> 7) % 255));
                break;
            case 15:
            case 16:  // the library reads both as 5-6-5 words
                put_le16(out, p);
                break;
            default:
                out.push_back(static_cast<uint8_t>(r));
                out.push_back(static_cast<uint8_t>(g));
                out.push_back(static_cast<uint8_t>(b));
                if (form.bitmap_depth < 0) out.push_back(p == MASK_565 ? 0 : 255);
        }
    }
    return out;
}

// A one-bit font (as add_font stores it) as 8-bit colour glyphs: 255 where
// a bit is set, 0 (transparent) elsewhere.
std::vector<uint8_t> colour_font(const std::vector<uint8_t> &data) {
    Reader in{data};
    std::vector<uint8_t> out;
    put_be16(out, static_cast<uint16_t>(in.be16()));  // the ranged format
    const uint32_t ranges = in.be16();
    put_be16(out, static_cast<uint16_t>(ranges));
    for (uint32_t r = 0; r < ranges; r++) {
        in.at++;
        out.push_back(8);
        const uint32_t first = in.be32(), last = in.be32();
        put_be32(out, first);
        put_be32(out, last);
        for (uint32_t ch = first; ch <= last; ch++) {
            const int w = static_cast<int>(in.be16()), h = static_cast<int>(in.be16());
            put_be16(out, static_cast<uint16_t>(w));
            put_be16(out, static_cast<uint16_t>(h));
            const size_t row = static_cast<size_t>(w + 7) / 8;
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) out.push_back((data[in.at + y * row + x / 8] >> (7 - x % 8)) & 1 ? 255 : 0);
            in.at += row * static_cast<size_t>(h);
        }
    }
    return out;
}

DatafileObject in_form(const DatafileObject &obj, const DatafileForm &form) {
    DatafileObject out = obj;
    if (obj.type == id4("BMP ")) out.data = reshaped_bitmap(obj.data, form);
    if (obj.type == id4("FONT") && form.colour_fonts) out.data = colour_font(obj.data);
    return out;
}

bool write_objects(PACKFILE *f, const std::vector<DatafileObject> &objects, const DatafileForm &form) {
    pack_mputl(static_cast<int32_t>(objects.size()), f);
    for (const DatafileObject &obj : objects) {
        pack_mputl(DAT_PROPERTY, f);
        pack_mputl(DAT_NAME, f);
        pack_mputl(static_cast<int32_t>(obj.name.size()), f);
        pack_fwrite(obj.name.data(), static_cast<long>(obj.name.size()), f);
        pack_mputl(static_cast<int32_t>(obj.type), f);
        // The library's chunk writer stores both sizes and, asked to,
        // compresses the object by itself.
        PACKFILE *chunk = pack_fopen_chunk(f, form.compress_objects ? 1 : 0);
        if (chunk == nullptr) return false;
        bool ok = true;
        if (obj.type == DAT_FILE) {
            ok = write_objects(chunk, obj.children, form);
        } else {
            const DatafileObject shaped = in_form(obj, form);
            const long size = static_cast<long>(shaped.data.size());
            ok = pack_fwrite(shaped.data.data(), size, chunk) == size;
        }
        if (pack_fclose_chunk(chunk) == nullptr || !ok) return false;
    }
    return pack_ferror(f) == 0;
}

// After the game's objects: a picture, a block of bytes and a nested
// datafile holding a font and a sample, none of which the game looks at.
std::vector<DatafileObject> with_extras(const Datafile &dat) {
    std::vector<DatafileObject> objects = dat.objects;
    DatafileObject picture = dat.objects.front();
    picture.name = "EXTRA_PICTURE";
    DatafileObject bytes{DAT_DATA, "EXTRA_NOTES", {'T', 'a', 'l', 'v', 'e', 'n', 'a'}, {}};
    DatafileObject nested{DAT_FILE, "EXTRA_THEME", {}, {}};
    for (const DatafileObject &obj : dat.objects)
        if (obj.type == id4("FONT") || obj.type == id4("SAMP")) nested.children.push_back(obj);
    objects.push_back(picture);
    objects.push_back(bytes);
    objects.push_back(nested);
    return objects;
}

DatafileForm form_with(void (*change)(DatafileForm &)) {
    DatafileForm form;
    change(form);
    return form;
}

}  // namespace

std::vector<NamedForm> datafile_forms() {
    return {
        {"shipped", DatafileForm{}},
        {"not-packed", form_with([](DatafileForm &f) { f.pack_file = false; })},
        {"8-bit", form_with([](DatafileForm &f) { f.bitmap_depth = 8; })},
        {"15-bit", form_with([](DatafileForm &f) { f.bitmap_depth = 15; })},
        {"24-bit", form_with([](DatafileForm &f) { f.bitmap_depth = 24; })},
        {"32-bit", form_with([](DatafileForm &f) { f.bitmap_depth = 32; })},
        {"32-bit-alpha", form_with([](DatafileForm &f) { f.bitmap_depth = -32; })},
        {"colour-fonts", form_with([](DatafileForm &f) { f.colour_fonts = true; })},
        {"objects-compressed", form_with([](DatafileForm &f) { f.compress_objects = true; })},
        {"extra-objects", form_with([](DatafileForm &f) { f.extra_objects = true; })},
        {"trailing-bytes", form_with([](DatafileForm &f) { f.trailing_bytes = 1000; })},
        {"other-sizes", form_with([](DatafileForm &f) { f.grow_pictures = 7; })},
        {"all-at-once", form_with([](DatafileForm &f) {
             f.bitmap_depth = 24;
             f.colour_fonts = f.compress_objects = f.extra_objects = true;
             f.pack_file = false;
             f.trailing_bytes = 100;
             f.grow_pictures = 3;
         })},
    };
}

bool write_datafile(const std::string &path, const Datafile &dat, const DatafileForm &form) {
    // The chunk writer's temporary files need the library up, without a display.
    if (system_driver == nullptr && install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) return false;
    PACKFILE *f = pack_fopen(path.c_str(), form.pack_file ? F_WRITE_PACKED : F_WRITE_NOPACK);
    if (!f) return false;
    pack_mputl(DAT_MAGIC, f);
    bool ok = write_objects(f, form.extra_objects ? with_extras(dat) : dat.objects, form);
    for (size_t i = 0; i < form.trailing_bytes; i++) pack_putc(static_cast<int>(i * 37 % 251), f);
    ok = ok && pack_ferror(f) == 0;
    return pack_fclose(f) == 0 && ok;
}

bool write_packed_datafile(const std::string &path, const Datafile &dat) {
    return write_datafile(path, dat, DatafileForm{});
}

bool write_file(const std::string &path, const std::vector<uint8_t> &bytes) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool write_text_file(const std::string &path, const std::string &text) {
    return write_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool write_wav(const std::string &path, int freq, const std::vector<int16_t> &samples) {
    std::vector<uint8_t> out;
    auto put_le32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put_tag = [&out](const char *tag) { out.insert(out.end(), tag, tag + 4); };
    uint32_t data_size = static_cast<uint32_t>(samples.size() * 2);
    put_tag("RIFF");
    put_le32(36 + data_size);
    put_tag("WAVE");
    put_tag("fmt ");
    put_le32(16);
    put_le16(out, 1);  // PCM
    put_le16(out, 1);  // mono
    put_le32(static_cast<uint32_t>(freq));
    put_le32(static_cast<uint32_t>(freq * 2));
    put_le16(out, 2);
    put_le16(out, 16);
    put_tag("data");
    put_le32(data_size);
    for (int16_t s : samples) put_le16(out, static_cast<uint16_t>(s));
    return write_file(path, out);
}
