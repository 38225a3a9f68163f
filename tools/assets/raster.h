// Asset generator: floating-point RGBA canvas and the drawing helpers the
// artwork is built from. Everything here is deterministic: no clocks, no
// global random state, so a rebuild yields the same bytes.
#pragma once

#include <cstdint>
#include <vector>

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};

Color rgb(int r, int g, int b);
Color rgba(int r, int g, int b, float a);
Color mix(const Color &c1, const Color &c2, float t);
Color scale(const Color &c, float k);
Color add(const Color &c1, const Color &c2);

struct Image {
    int w = 0, h = 0;
    std::vector<Color> px;
};

Image image_new(int w, int h, Color fill);
Color &pixel(Image &img, int x, int y);
Color pixel(const Image &img, int x, int y);
// Bilinear lookup with coordinates clamped to the image.
Color sample(const Image &img, float x, float y);

// "Over" compositing of c (its own alpha times coverage) onto the pixel.
void blend(Image &img, int x, int y, const Color &c, float coverage);
// Copies src onto dst at (x, y), compositing with src's alpha.
void composite(Image &dst, const Image &src, int x, int y);

// A single-channel coverage mask; used for shadows, glows and text.
struct Mask {
    int w = 0, h = 0;
    std::vector<float> v;
};
Mask mask_new(int w, int h);
float &mask_at(Mask &m, int x, int y);
float mask_get(const Mask &m, int x, int y);
void mask_blur(Mask &m, float radius);
// Paints colour c onto img through the mask placed at (x, y).
void paint_mask(Image &img, const Mask &m, int x, int y, const Color &c);

// Antialiasing from a signed distance (negative inside), one pixel wide.
float coverage_from_distance(float d);
float clampf(float v, float lo, float hi);
float smoothstep(float e0, float e1, float x);

// Signed distances used by the shapes.
float sd_circle(float px, float py, float cx, float cy, float r);
float sd_box(float px, float py, float cx, float cy, float hw, float hh, float radius);
float sd_segment(float px, float py, float ax, float ay, float bx, float by);
float sd_polygon(float px, float py, const float *pts, int n);

// Deterministic hash-based value noise in 0..1 and its fractal sum.
float hash2(int x, int y, uint32_t seed);
float value_noise(float x, float y, uint32_t seed);
float fbm(float x, float y, int octaves, uint32_t seed);

// Small deterministic generator for the few random choices of the art and
// the noise of the sounds.
struct Rng {
    uint64_t state;
};
uint32_t rng_next(Rng &rng);
float rng_float(Rng &rng);  // 0..1

// Quantises to 5.6.5 with a fixed ordered dither so smooth gradients do not
// band on the 16-bit screen; the dither depends only on the pixel position.
uint16_t to_rgb565(const Color &c, int x, int y);
std::vector<uint16_t> image_to_565(const Image &img);

// Writes a binary PPM (used only for inspecting the artwork).
bool write_ppm(const Image &img, const char *path);
// Writes an 8-bit RGBA PNG, alpha included (the desktop icons).
bool write_png(const Image &img, const char *path);
