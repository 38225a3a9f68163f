#include "glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

FT_Library ft_library() {
    static FT_Library lib = nullptr;
    if (!lib && FT_Init_FreeType(&lib) != 0) {
        std::fprintf(stderr, "FreeType cannot start\n");
        std::exit(1);
    }
    return lib;
}

FT_Face open_face(const std::string &file) {
    static std::map<std::string, FT_Face> faces;
    auto it = faces.find(file);
    if (it != faces.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(ft_library(), file.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "cannot open font %s\n", file.c_str());
        std::exit(1);
    }
    faces[file] = face;
    return face;
}

struct RawGlyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<uint8_t> on;  // width × rows, 0 or 1
};

RawGlyph load_mono(FT_Face face, int code) {
    RawGlyph g;
    FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return g;
    FT_GlyphSlot slot = face->glyph;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(slot->bitmap.width);
    g.rows = static_cast<int>(slot->bitmap.rows);
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    g.on.assign(static_cast<size_t>(g.width) * g.rows, 0);
    for (int y = 0; y < g.rows; ++y) {
        const unsigned char *row = slot->bitmap.buffer + y * slot->bitmap.pitch;
        for (int x = 0; x < g.width; ++x) g.on[y * g.width + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    return g;
}

// A solid triangle pointing left or right, sitting on the x-height band, so
// the menu's "<>" reads as a compact diamond-like bullet.
RawGlyph chevron(int x_height, bool left) {
    RawGlyph g;
    int h = x_height + 1 + ((x_height + 1) % 2 == 0 ? 1 : 0);  // odd height: a sharp tip
    int w = h / 2 + 1;
    g.width = w;
    g.rows = h;
    g.left = 0;
    g.top = x_height + (h - x_height) / 2;
    g.advance = w + 1;
    g.on.assign(static_cast<size_t>(w) * h, 0);
    int mid = h / 2;
    for (int y = 0; y < h; ++y) {
        int span = w - std::abs(y - mid);
        for (int x = 0; x < span; ++x) {
            int col = left ? w - 1 - x : x;
            g.on[y * w + col] = 1;
        }
    }
    return g;
}

}  // namespace

std::vector<int> utf8_decode(const std::string &s) {
    std::vector<int> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int cp, n;
        if (c < 0x80) { cp = c; n = 1; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
        else { cp = c & 0x07; n = 4; }
        for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

std::vector<FontRange> build_mono_font(const FontSpec &style, FontInfo *info) {
    FT_Face face = open_face(style.file);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.pixel_size));

    int x_height = 0;
    {
        RawGlyph x = load_mono(face, 'x');
        x_height = x.top;
    }

    std::map<int, RawGlyph> raw;
    std::vector<int> missing;
    int top = 0, bottom = 0;
    for (const auto &range : FONT_RANGES)
        for (int c = range[0]; c <= range[1]; ++c) {
            RawGlyph g = (style.chevron_arrows && (c == '<' || c == '>')) ? chevron(x_height, c == '<')
                                                                           : load_mono(face, c);
            if (c == ' ' && style.space_width > 0) g.advance = style.space_width;
            if (FT_Get_Char_Index(face, static_cast<FT_ULong>(c)) == 0) missing.push_back(c);
            if (g.rows > 0) {
                top = std::max(top, g.top);
                bottom = std::max(bottom, g.rows - g.top);
            }
            raw[c] = std::move(g);
        }

    FontInfo result;
    result.missing = missing;
    result.height = top + bottom;
    result.baseline = top;

    std::vector<FontRange> ranges;
    for (const auto &range : FONT_RANGES) {
        FontRange fr;
        fr.first = range[0];
        fr.last = range[1];
        for (int c = range[0]; c <= range[1]; ++c) {
            const RawGlyph &g = raw[c];
            // A glyph hanging left of its origin (j, ý at small sizes) is
            // moved right instead of being cut: the cell cannot overlap.
            int shift = g.left < 0 ? -g.left : 0;
            int x0 = g.left + shift;
            int w = std::max(g.advance + shift, x0 + g.width) + style.letter_spacing;
            if (w < 1) w = 1;
            MonoGlyph mg;
            mg.w = w;
            mg.h = result.height;
            int stride = (w + 7) / 8;
            mg.bits.assign(static_cast<size_t>(stride) * mg.h, 0);
            bool cut = false;
            for (int y = 0; y < g.rows; ++y)
                for (int x = 0; x < g.width; ++x) {
                    if (!g.on[y * g.width + x]) continue;
                    int cx = x0 + x, cy = top - g.top + y;
                    if (cy < 0 || cy >= mg.h || cx >= w) {
                        cut = true;
                        continue;
                    }
                    mg.bits[cy * stride + (cx >> 3)] |= static_cast<uint8_t>(0x80 >> (cx & 7));
                }
            if (cut) result.cut.push_back(c);
            if (c == ' ') result.space = w;
            fr.glyphs.push_back(std::move(mg));
        }
        ranges.push_back(std::move(fr));
    }
    if (info) *info = result;
    return ranges;
}

// Pair kerning between two glyphs, in pixels; 0 where either is missing.
static float kerning(FT_Face face, FT_UInt prev, FT_UInt index) {
    if (!prev || !index) return 0.0f;
    FT_Vector k;
    FT_Get_Kerning(face, prev, index, FT_KERNING_UNFITTED, &k);
    return k.x / 64.0f;
}

float text_width(const std::string &font_file, float pixel_size, const std::string &utf8, float letter_spacing) {
    FT_Face face = open_face(font_file);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(pixel_size * 64.0f), 72, 72);
    float pen = 0;
    FT_UInt prev = 0;
    for (int cp : utf8_decode(utf8)) {
        FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(cp));
        pen += kerning(face, prev, index);
        FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING);
        pen += face->glyph->advance.x / 64.0f + letter_spacing;
        prev = index;
    }
    return pen - letter_spacing;
}

Mask text_mask(const std::string &font_file, float pixel_size, const std::string &utf8, int pad, int *origin_x,
               int *origin_y, float letter_spacing) {
    FT_Face face = open_face(font_file);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(pixel_size * 64.0f), 72, 72);
    int ascent = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0)) + 2;
    int descent = static_cast<int>(std::ceil(-face->size->metrics.descender / 64.0)) + 2;
    float width = text_width(font_file, pixel_size, utf8, letter_spacing);
    Mask m = mask_new(static_cast<int>(std::ceil(width)) + 2 * pad + 8, ascent + descent + 2 * pad);
    int ox = pad + 2, oy = pad + ascent;
    float pen = static_cast<float>(ox);
    FT_UInt prev = 0;
    for (int cp : utf8_decode(utf8)) {
        FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(cp));
        pen += kerning(face, prev, index);
        // Sub-pixel pen position through the outline offset keeps spacing even.
        float whole = std::floor(pen);
        FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING);
        FT_Outline_Translate(&face->glyph->outline, static_cast<FT_Pos>((pen - whole) * 64.0f), 0);
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
        FT_GlyphSlot slot = face->glyph;
        for (unsigned y = 0; y < slot->bitmap.rows; ++y)
            for (unsigned x = 0; x < slot->bitmap.width; ++x) {
                int mx = static_cast<int>(whole) + slot->bitmap_left + static_cast<int>(x);
                int my = oy - slot->bitmap_top + static_cast<int>(y);
                if (mx < 0 || my < 0 || mx >= m.w || my >= m.h) continue;
                float v = slot->bitmap.buffer[y * slot->bitmap.pitch + x] / 255.0f;
                float &d = mask_at(m, mx, my);
                d = std::min(1.0f, d + v);
            }
        pen += slot->advance.x / 64.0f + letter_spacing;
        prev = index;
    }
    *origin_x = ox;
    *origin_y = oy;
    return m;
}
