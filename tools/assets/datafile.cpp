#include "datafile.h"

#include <allegro.h>

#include <cstdio>

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
    DatafileObject obj{id4("BMP "), name, {}};
    put_be16(obj.data, 16);
    put_be16(obj.data, static_cast<uint16_t>(w));
    put_be16(obj.data, static_cast<uint16_t>(h));
    for (uint16_t p : pixels) put_le16(obj.data, p);
    dat.objects.push_back(std::move(obj));
}

void add_font(Datafile &dat, const std::string &name, const std::vector<FontRange> &ranges) {
    DatafileObject obj{id4("FONT"), name, {}};
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
    DatafileObject obj{id4("SAMP"), name, {}};
    put_be16(obj.data, 16);
    put_be16(obj.data, static_cast<uint16_t>(freq));
    put_be32(obj.data, static_cast<uint32_t>(samples.size()));
    // The library keeps 16-bit samples unsigned, centred on 0x8000.
    for (int16_t s : samples) put_le16(obj.data, static_cast<uint16_t>(s) ^ 0x8000);
    dat.objects.push_back(std::move(obj));
}

std::vector<uint8_t> datafile_body(const Datafile &dat) {
    std::vector<uint8_t> out;
    put_be32(out, DAT_MAGIC);
    put_be32(out, static_cast<uint32_t>(dat.objects.size()));
    for (const DatafileObject &obj : dat.objects) {
        put_be32(out, id4("prop"));
        put_be32(out, id4("NAME"));
        put_be32(out, static_cast<uint32_t>(obj.name.size()));
        out.insert(out.end(), obj.name.begin(), obj.name.end());
        put_be32(out, obj.type);
        put_be32(out, static_cast<uint32_t>(obj.data.size()));  // stored size
        put_be32(out, static_cast<uint32_t>(obj.data.size()));  // positive: not compressed
        out.insert(out.end(), obj.data.begin(), obj.data.end());
    }
    return out;
}

bool write_packed_datafile(const std::string &path, const Datafile &dat) {
    // The library's packed writer adds its own magic and compresses the
    // whole file, exactly as load_datafile expects to read it back.
    const std::vector<uint8_t> body = datafile_body(dat);
    PACKFILE *f = pack_fopen(path.c_str(), F_WRITE_PACKED);
    if (!f) return false;
    const long size = static_cast<long>(body.size());
    bool ok = pack_fwrite(body.data(), size, f) == size;
    return pack_fclose(f) == 0 && ok;
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
