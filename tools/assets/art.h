// Asset generator: the pictures of the datafile.
#pragma once

#include <string>

#include "raster.h"

const int TILE = 58;

struct FontFiles {
    std::string sans, sans_bold, serif_bold;
};

// Wood with straight grain running along u; v runs across the grain. The
// styles differ in colour, ring spacing and figure.
struct WoodStyle {
    Color early, late;   // light and dark parts of the growth rings
    float ring_scale;    // pixels per ring
    float figure;        // how much the rings wander
    float fiber;         // strength of the fine pores along the grain
    uint32_t seed;
};

extern const WoodStyle WOOD_MAPLE, WOOD_WALNUT, WOOD_FRAME;

Color wood_color(const WoodStyle &style, float u, float v);

Image make_square(bool light);
// side 1 blue, 2 red; state 0 plain, 1 under the pointer, 2 selected.
Image make_piece(int side, bool king, int state, const Image &dark_square);
Image make_marker(bool legal, const Image &dark_square);
// The program's icon, size x size pixels with a transparent surround: a red
// king on a walnut square inlaid in maple.
Image make_icon(int size);
// The pointer: magenta where transparent, the tip at the top-left pixel.
Image make_pointer();

Image make_play_background(const FontFiles &fonts, const Image &light, const Image &dark);
Image make_menu_background(const FontFiles &fonts);
// The perspective board of the menu picture, drawn into img.
void render_menu_scene(Image &img);
