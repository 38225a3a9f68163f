#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <zlib.h>

Color rgb(int r, int g, int b) {
    return Color{r / 255.0f, g / 255.0f, b / 255.0f, 1.0f};
}

Color rgba(int r, int g, int b, float a) {
    return Color{r / 255.0f, g / 255.0f, b / 255.0f, a};
}

Color mix(const Color &c1, const Color &c2, float t) {
    return Color{c1.r + (c2.r - c1.r) * t, c1.g + (c2.g - c1.g) * t, c1.b + (c2.b - c1.b) * t,
                 c1.a + (c2.a - c1.a) * t};
}

Color scale(const Color &c, float k) {
    return Color{c.r * k, c.g * k, c.b * k, c.a};
}

Color add(const Color &c1, const Color &c2) {
    return Color{c1.r + c2.r, c1.g + c2.g, c1.b + c2.b, c1.a};
}

Image image_new(int w, int h, Color fill) {
    Image img;
    img.w = w;
    img.h = h;
    img.px.assign(static_cast<size_t>(w) * h, fill);
    return img;
}

Color &pixel(Image &img, int x, int y) {
    return img.px[static_cast<size_t>(y) * img.w + x];
}

Color pixel(const Image &img, int x, int y) {
    return img.px[static_cast<size_t>(y) * img.w + x];
}

Color sample(const Image &img, float x, float y) {
    x = clampf(x, 0.0f, img.w - 1.001f);
    y = clampf(y, 0.0f, img.h - 1.001f);
    int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    float fx = x - x0, fy = y - y0;
    Color top = mix(pixel(img, x0, y0), pixel(img, x0 + 1, y0), fx);
    Color bottom = mix(pixel(img, x0, y0 + 1), pixel(img, x0 + 1, y0 + 1), fx);
    return mix(top, bottom, fy);
}

void blend(Image &img, int x, int y, const Color &c, float coverage) {
    if (x < 0 || y < 0 || x >= img.w || y >= img.h) return;
    float a = clampf(c.a * coverage, 0.0f, 1.0f);
    if (a <= 0.0f) return;
    Color &d = pixel(img, x, y);
    d.r += (c.r - d.r) * a;
    d.g += (c.g - d.g) * a;
    d.b += (c.b - d.b) * a;
    d.a = a + d.a * (1.0f - a);
}

void composite(Image &dst, const Image &src, int x, int y) {
    for (int j = 0; j < src.h; ++j)
        for (int i = 0; i < src.w; ++i) {
            Color c = pixel(src, i, j);
            blend(dst, x + i, y + j, c, 1.0f);
        }
}

Mask mask_new(int w, int h) {
    Mask m;
    m.w = w;
    m.h = h;
    m.v.assign(static_cast<size_t>(w) * h, 0.0f);
    return m;
}

float &mask_at(Mask &m, int x, int y) {
    return m.v[static_cast<size_t>(y) * m.w + x];
}

float mask_get(const Mask &m, int x, int y) {
    if (x < 0 || y < 0 || x >= m.w || y >= m.h) return 0.0f;
    return m.v[static_cast<size_t>(y) * m.w + x];
}

// Three box passes per axis approximate a Gaussian of the given radius.
void mask_blur(Mask &m, float radius) {
    int r = std::max(1, static_cast<int>(std::lround(radius / 1.7f)));
    std::vector<float> tmp(m.v.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < m.h; ++y) {
            float sum = 0;
            for (int x = -r; x <= r; ++x) sum += mask_get(m, x, y);
            for (int x = 0; x < m.w; ++x) {
                tmp[static_cast<size_t>(y) * m.w + x] = sum / (2 * r + 1);
                sum += mask_get(m, x + r + 1, y) - mask_get(m, x - r, y);
            }
        }
        m.v.swap(tmp);
        for (int x = 0; x < m.w; ++x) {
            float sum = 0;
            for (int y = -r; y <= r; ++y) sum += mask_get(m, x, y);
            for (int y = 0; y < m.h; ++y) {
                tmp[static_cast<size_t>(y) * m.w + x] = sum / (2 * r + 1);
                sum += mask_get(m, x, y + r + 1) - mask_get(m, x, y - r);
            }
        }
        m.v.swap(tmp);
    }
}

void paint_mask(Image &img, const Mask &m, int x, int y, const Color &c) {
    for (int j = 0; j < m.h; ++j)
        for (int i = 0; i < m.w; ++i) {
            float v = m.v[static_cast<size_t>(j) * m.w + i];
            if (v > 0.0f) blend(img, x + i, y + j, c, v);
        }
}

float clampf(float v, float lo, float hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

float smoothstep(float e0, float e1, float x) {
    float t = clampf((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float coverage_from_distance(float d) {
    return clampf(0.5f - d, 0.0f, 1.0f);
}

float sd_circle(float px, float py, float cx, float cy, float r) {
    return std::hypot(px - cx, py - cy) - r;
}

float sd_box(float px, float py, float cx, float cy, float hw, float hh, float radius) {
    float qx = std::fabs(px - cx) - (hw - radius);
    float qy = std::fabs(py - cy) - (hh - radius);
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float sd_segment(float px, float py, float ax, float ay, float bx, float by) {
    float pax = px - ax, pay = py - ay, bax = bx - ax, bay = by - ay;
    float h = clampf((pax * bax + pay * bay) / (bax * bax + bay * bay), 0.0f, 1.0f);
    return std::hypot(pax - bax * h, pay - bay * h);
}

// Even-odd polygon distance: pts holds n (x, y) pairs.
float sd_polygon(float px, float py, const float *pts, int n) {
    float d = 1e9f;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        float xi = pts[2 * i], yi = pts[2 * i + 1], xj = pts[2 * j], yj = pts[2 * j + 1];
        d = std::min(d, sd_segment(px, py, xj, yj, xi, yi));
        if (((yi > py) != (yj > py)) && (px < (xj - xi) * (py - yi) / (yj - yi) + xi)) inside = !inside;
    }
    return inside ? -d : d;
}

float hash2(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0f;
}

float value_noise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
    float c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
    return a + (b - a) * tx + (c - a) * ty + (a - b - c + d) * tx * ty;
}

float fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * value_noise(x, y, seed + i * 101);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

uint32_t rng_next(Rng &rng) {
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

float rng_float(Rng &rng) {
    return (rng_next(rng) >> 8) / 16777216.0f;
}

uint16_t to_rgb565(const Color &c, int x, int y) {
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    float t = (bayer[y & 3][x & 3] + 0.5f) / 16.0f;
    auto quant = [t](float v, int levels) {
        float s = clampf(v, 0.0f, 1.0f) * levels + t - 0.5f;
        int q = static_cast<int>(std::floor(s + 0.5f));
        return std::clamp(q, 0, levels);
    };
    int r = quant(c.r, 31), g = quant(c.g, 63), b = quant(c.b, 31);
    return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

std::vector<uint16_t> image_to_565(const Image &img) {
    std::vector<uint16_t> out(static_cast<size_t>(img.w) * img.h);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) out[static_cast<size_t>(y) * img.w + x] = to_rgb565(pixel(img, x, y), x, y);
    return out;
}

bool write_ppm(const Image &img, const char *path) {
    FILE *f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", img.w, img.h);
    for (const Color &c : img.px) {
        unsigned char p[3] = {static_cast<unsigned char>(clampf(c.r, 0, 1) * 255.0f + 0.5f),
                              static_cast<unsigned char>(clampf(c.g, 0, 1) * 255.0f + 0.5f),
                              static_cast<unsigned char>(clampf(c.b, 0, 1) * 255.0f + 0.5f)};
        std::fwrite(p, 1, 3, f);
    }
    return std::fclose(f) == 0;
}

namespace {

void put_be32(std::string &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xff);
}

void put_chunk(std::string &out, const char *type, const std::string &data) {
    put_be32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put_be32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()), body.size())));
}

}  // namespace

bool write_png(const Image &img, const char *path) {
    // 8-bit RGBA, straight alpha, every row with filter type 0.
    std::string raw;
    raw.reserve(static_cast<size_t>(img.w * 4 + 1) * img.h);
    for (int y = 0; y < img.h; ++y) {
        raw += '\0';
        for (int x = 0; x < img.w; ++x) {
            Color c = pixel(img, x, y);
            for (float v : {c.r, c.g, c.b, c.a}) raw += static_cast<char>(static_cast<int>(clampf(v, 0, 1) * 255.0f + 0.5f));
        }
    }
    uLongf packed_size = compressBound(raw.size());
    std::string packed(packed_size, '\0');
    if (compress2(reinterpret_cast<Bytef *>(&packed[0]), &packed_size, reinterpret_cast<const Bytef *>(raw.data()),
                  raw.size(), 9) != Z_OK)
        return false;
    packed.resize(packed_size);

    std::string header;
    put_be32(header, static_cast<uint32_t>(img.w));
    put_be32(header, static_cast<uint32_t>(img.h));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // depth 8, RGBA, deflate, filter 0, no interlace
    std::string out = "\x89PNG\r\n\x1a\n";
    put_chunk(out, "IHDR", header);
    put_chunk(out, "IDAT", packed);
    put_chunk(out, "IEND", "");

    FILE *f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
