// Asset generator: text through FreeType — the game's one-bit fonts and the
// antialiased lettering painted into the pictures.
#pragma once

#include <string>
#include <vector>

#include "app/font_codes.h"
#include "datafile.h"
#include "raster.h"

struct FontSpec {
    std::string file;          // TrueType file
    int pixel_size = 12;       // em size in pixels
    bool chevron_arrows = false;  // draw "<" and ">" as small solid triangles
    int letter_spacing = 0;    // extra pixels after every glyph
    int space_width = 0;       // width of the blank; 0 keeps the font's own
};

struct FontInfo {
    int height = 0;     // cell height of every glyph
    int baseline = 0;   // baseline offset from the cell top
    std::vector<int> cut;      // characters whose glyph did not fit the cell (none expected)
    std::vector<int> missing;  // characters the TrueType file has no glyph for (none expected)
    int space = 0;      // width of the blank
};

// The ranges the game's fonts hold: FONT_RANGES of app/font_codes.h, which
// the names editor keeps to as well.

// Rasterises the font as crisp one-bit hinted glyphs, every glyph a cell of
// the same height so lines of text share one baseline.
std::vector<FontRange> build_mono_font(const FontSpec &style, FontInfo *info);

// Antialiased coverage of a UTF-8 string; origin_x/origin_y receive the pen
// start inside the mask (left edge, baseline).
Mask text_mask(const std::string &font_file, float pixel_size, const std::string &utf8, int pad, int *origin_x,
               int *origin_y, float letter_spacing = 0.0f);
// Advance width of a UTF-8 string in the same rendering.
float text_width(const std::string &font_file, float pixel_size, const std::string &utf8, float letter_spacing = 0.0f);

// Decodes UTF-8 into code points.
std::vector<int> utf8_decode(const std::string &s);
