// Tiles, men, kings, destination markers and the mouse pointer.
#include <algorithm>
#include <cmath>

#include "art.h"

const WoodStyle WOOD_MAPLE = {{0.94f, 0.83f, 0.63f, 1}, {0.84f, 0.67f, 0.45f, 1}, 7.5f, 0.9f, 0.06f, 11};
const WoodStyle WOOD_WALNUT = {{0.42f, 0.27f, 0.16f, 1}, {0.27f, 0.155f, 0.085f, 1}, 6.0f, 1.3f, 0.11f, 23};
const WoodStyle WOOD_FRAME = {{0.55f, 0.28f, 0.14f, 1}, {0.36f, 0.16f, 0.07f, 1}, 6.0f, 3.5f, 0.16f, 37};

Color wood_color(const WoodStyle &s, float u, float v) {
    // Rings: stripes across v, bent by low-frequency noise so they wander
    // like sawn wood rather than ruled lines.
    float warp = fbm(u * 0.012f, v * 0.045f, 4, s.seed) - 0.5f;
    float bend = std::sin(u * 0.021f + v * 0.013f + s.seed) * 0.15f * s.figure;
    float t = v / s.ring_scale + warp * s.figure + bend;
    float ring = t - std::floor(t);
    // Late wood is a narrow, darker band with a soft edge on one side.
    float band = smoothstep(0.55f, 0.85f, ring) * (1.0f - smoothstep(0.88f, 1.0f, ring));
    float pores = value_noise(u * 0.09f, v * 1.3f, s.seed + 7);
    float fine = value_noise(u * 0.35f, v * 2.6f, s.seed + 9) - 0.5f;
    float patch = fbm(u * 0.006f, v * 0.02f, 3, s.seed + 13) - 0.5f;
    Color c = mix(s.early, s.late, clampf(band * 0.85f + pores * s.fiber * 2.0f, 0.0f, 1.0f));
    float light = 1.0f + patch * 0.22f + fine * s.fiber * 0.6f;
    return scale(c, light);
}

Image make_square(bool light) {
    Image img = image_new(TILE, TILE, rgb(0, 0, 0));
    // Light squares run their grain across, dark ones along the board, as in
    // an inlaid board; the offsets pick a pleasant part of the pattern.
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x) {
            float fx = x + 0.5f, fy = y + 0.5f;
            Color c = light ? wood_color(WOOD_MAPLE, fx + 140.0f, fy + 31.0f)
                            : wood_color(WOOD_WALNUT, fy + 77.0f, fx + 260.0f);
            pixel(img, x, y) = c;
        }
    // A faint bevel separates neighbouring squares of the same colour at the
    // board's edge and gives the inlay some depth.
    for (int i = 0; i < TILE; ++i) {
        blend(img, i, 0, rgba(255, 255, 240, 1), 0.10f);
        blend(img, 0, i, rgba(255, 255, 240, 1), 0.08f);
        blend(img, i, TILE - 1, rgba(0, 0, 0, 1), 0.18f);
        blend(img, TILE - 1, i, rgba(0, 0, 0, 1), 0.14f);
    }
    return img;
}

namespace {

const float CX = TILE / 2.0f, CY = TILE / 2.0f;
const float RADIUS = 22.5f;

struct Vec3 {
    float x, y, z;
};

Vec3 normalize(Vec3 v) {
    float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}

float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Height of the man's top surface at distance r from its centre: a flat
// face with two turned grooves and a rounded edge.
float piece_height(float r) {
    const float edge = 5.0f;
    float h = 6.0f;
    if (r > RADIUS - edge) {
        float t = clampf((r - (RADIUS - edge)) / edge, 0.0f, 1.0f);
        h = 6.0f * std::sqrt(std::max(0.0f, 1.0f - t * t)) + 0.0f;
        h = std::max(h, 0.0f);
    }
    h -= 0.9f * std::exp(-std::pow((r - RADIUS * 0.50f) / 0.9f, 2.0f));
    h -= 0.7f * std::exp(-std::pow((r - RADIUS * 0.76f) / 0.8f, 2.0f));
    h += 0.5f * std::exp(-std::pow((r - RADIUS * 0.63f) / 1.6f, 2.0f));
    return h;
}

// Maps a picture's pixels to the tile's coordinates, in which the piece is
// designed: k pixels per tile unit, the tile's origin at (off, off). The
// default is the tile itself; antialiasing stays one pixel wide at any k.
struct View {
    float k = 1.0f, off = 0.0f;
    float u(int x) const { return (x + 0.5f - off) / k; }
    float coverage(float d) const { return coverage_from_distance(d * k); }
};

const Vec3 LIGHT = normalize({-0.55f, -0.65f, 0.75f});

Color shade_surface(Color base, Vec3 n, float spec_power, float spec_strength, float ambient) {
    float diffuse = std::max(0.0f, dot(n, LIGHT));
    Vec3 half = normalize({LIGHT.x, LIGHT.y, LIGHT.z + 1.0f});
    float highlight = std::pow(std::max(0.0f, dot(n, half)), spec_power) * spec_strength;
    Color c = scale(base, ambient + (1.0f - ambient) * 1.1f * diffuse);
    return add(c, Color{highlight, highlight, highlight * 0.95f, 0});
}

struct PiecePalette {
    Color body, side;
};

PiecePalette palette(int side, int state) {
    PiecePalette p;
    if (side == 1) {
        p.body = rgb(48, 104, 214);
        p.side = rgb(22, 50, 120);
    } else {
        p.body = rgb(212, 44, 40);
        p.side = rgb(118, 20, 18);
    }
    if (state == 1) {
        p.body = add(scale(p.body, 1.18f), Color{0.06f, 0.06f, 0.06f, 0});
        p.side = scale(p.side, 1.2f);
    }
    return p;
}

void draw_shadow(Image &img, const View &view, float dx, float dy, float blur, float strength) {
    Mask m = mask_new(img.w, img.h);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            mask_at(m, x, y) = view.coverage(sd_circle(view.u(x), view.u(y), CX + dx, CY + dy, RADIUS));
    mask_blur(m, blur * view.k);
    paint_mask(img, m, 0, 0, rgba(0, 0, 0, strength));
}

void draw_glow(Image &img, float radius, float width, Color c) {
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x) {
            float d = std::hypot(x + 0.5f - CX, y + 0.5f - CY + 1.0f) - radius;
            if (d < -2.0f) continue;
            float a = std::exp(-std::max(0.0f, d) / width) * smoothstep(-2.0f, 0.5f, d);
            blend(img, x, y, c, a);
        }
}

// The gold ring of a selected piece: a small shaded torus.
void draw_gold_ring(Image &img, float radius, float half_width) {
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x) {
            float fx = x + 0.5f - CX, fy = y + 0.5f - CY;
            float r = std::hypot(fx, fy);
            float d = std::fabs(r - radius) - half_width;
            float cov = coverage_from_distance(d);
            if (cov <= 0.0f) continue;
            float t = clampf((r - radius) / half_width, -1.0f, 1.0f);
            float nz = std::sqrt(std::max(0.0f, 1.0f - t * t));
            Vec3 n = normalize({t * fx / r, t * fy / r, nz + 0.05f});
            Color gold = shade_surface(rgb(214, 166, 52), n, 24.0f, 0.9f, 0.35f);
            blend(img, x, y, gold, cov);
            // a dark hairline keeps the ring crisp against the walnut
            float outline = coverage_from_distance(std::fabs(d + 0.3f) - 0.45f) * 0.45f;
            blend(img, x, y, rgb(40, 24, 6), outline * (1.0f - cov * 0.6f));
        }
}

void draw_body(Image &img, const View &view, const PiecePalette &pal, float lift) {
    // The side of the disc shows below its face, as if seen slightly from
    // the front; the face is shaded from a height field.
    const float thickness = 3.0f;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float px = view.u(x), py = view.u(y);
            float cov = view.coverage(sd_circle(px, py, CX, CY - lift + thickness, RADIUS));
            // capsule between the two circles: the visible side band
            float band_top = CY - lift, band_bottom = CY - lift + thickness;
            float dx = px - CX;
            if (std::fabs(dx) < RADIUS && py >= band_top && py <= band_bottom) cov = std::max(cov, view.coverage(std::fabs(dx) - RADIUS));
            if (cov <= 0.0f) continue;
            float across = dx / RADIUS;
            float shade = 0.55f + 0.45f * (0.5f - 0.5f * across);
            float groove = 0.88f + 0.12f * std::cos((py - band_top) * 2.1f);
            blend(img, x, y, scale(pal.side, shade * groove), cov);
        }
    const float e = 0.35f;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float px = view.u(x) - CX, py = view.u(y) - (CY - lift);
            float r = std::hypot(px, py);
            float cov = view.coverage(r - RADIUS);
            if (cov <= 0.0f) continue;
            float rr = std::max(r, 0.001f);
            float dh = (piece_height(rr + e) - piece_height(std::max(0.0f, rr - e))) / (2 * e);
            Vec3 n = normalize({-dh * px / rr, -dh * py / rr, 1.0f});
            // lacquer: a soft radial gradient under the lighting
            Color base = mix(pal.body, scale(pal.body, 0.78f), clampf(r / RADIUS, 0.0f, 1.0f) * 0.6f);
            Color c = shade_surface(base, n, 36.0f, 0.55f, 0.42f);
            // a broad sheen on the upper left of the face
            float sheen = std::exp(-std::pow(std::hypot(px + 7.0f, py + 8.0f) / 8.0f, 2.0f)) * 0.16f;
            c = add(c, Color{sheen, sheen, sheen, 0});
            // thin dark rim on the silhouette
            float rim = smoothstep(RADIUS - 1.4f, RADIUS - 0.2f, r) * 0.55f;
            c = mix(c, scale(pal.side, 0.55f), rim);
            blend(img, x, y, c, cov);
        }
}

void draw_crown(Image &img, const View &view, float lift) {
    const float cx = CX, cy = CY - lift + 0.5f;
    const float crown[] = {-10.5f, 6.0f, -11.0f, -4.5f, -5.5f, 0.5f, 0.0f, -7.5f,
                           5.5f,   0.5f, 11.0f,  -4.5f, 10.5f, 6.0f};
    const int n = 7;
    auto sdf = [&](float px, float py) {
        float d = sd_polygon(px - cx, py - cy, crown, n);
        d = std::min(d, sd_circle(px, py, cx - 11.0f, cy - 5.5f, 1.9f));
        d = std::min(d, sd_circle(px, py, cx, cy - 8.6f, 2.1f));
        d = std::min(d, sd_circle(px, py, cx + 11.0f, cy - 5.5f, 1.9f));
        return d;
    };
    // shadow of the crown on the face of the piece
    Mask sh = mask_new(img.w, img.h);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) mask_at(sh, x, y) = view.coverage(sdf(view.u(x) - 1.2f, view.u(y) - 1.6f));
    mask_blur(sh, 1.6f * view.k);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float r = std::hypot(view.u(x) - CX, view.u(y) - (CY - lift));
            if (r < RADIUS - 2.0f) blend(img, x, y, rgba(0, 0, 0, 0.55f), mask_get(sh, x, y));
        }
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float px = view.u(x), py = view.u(y);
            float d = sdf(px, py);
            float cov = view.coverage(d + 0.6f);
            float outline = view.coverage(d - 0.4f);
            if (outline <= 0.0f) continue;
            blend(img, x, y, rgb(52, 30, 6), outline * 0.9f);
            if (cov <= 0.0f) continue;
            // bevel from the distance field: the rim of the shape catches light
            float gx = sdf(px + 0.5f, py) - sdf(px - 0.5f, py);
            float gy = sdf(px, py + 0.5f) - sdf(px, py - 0.5f);
            float depth = clampf(-d / 2.2f, 0.0f, 1.0f);
            Vec3 nrm = normalize({gx * (1.0f - depth) * 1.6f, gy * (1.0f - depth) * 1.6f, 1.0f});
            float vt = clampf((py - (cy - 9.0f)) / 16.0f, 0.0f, 1.0f);
            Color base = mix(rgb(255, 222, 120), rgb(196, 132, 30), vt);
            Color c = shade_surface(base, nrm, 20.0f, 0.7f, 0.55f);
            // jewels in the band
            float band = (py > cy + 1.5f && py < cy + 5.0f) ? 1.0f : 0.0f;
            if (band > 0.0f) c = scale(c, 0.82f);
            for (int k = -1; k <= 1; ++k) {
                float jd = sd_circle(px, py, cx + k * 6.0f, cy + 3.3f, 1.45f);
                float jc = view.coverage(jd);
                if (jc > 0.0f) {
                    Color jewel = k == 0 ? rgb(230, 40, 50) : rgb(40, 160, 220);
                    c = mix(c, jewel, jc * 0.9f);
                }
            }
            blend(img, x, y, c, cov);
        }
}

// Glows and shadows fade out before the corners, so the square around the
// drawing is exactly the dark square the picture is blitted onto.
void keep_square_corners(Image &img, const Image &dark_square) {
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x) {
            float r = std::hypot(x + 0.5f - CX, y + 0.5f - CY);
            float keep = smoothstep(30.0f, 35.0f, r);
            if (keep > 0.0f) pixel(img, x, y) = mix(pixel(img, x, y), pixel(dark_square, x, y), keep);
        }
}

}  // namespace

Image make_piece(int side, bool king, int state, const Image &dark_square) {
    Image img = dark_square;
    PiecePalette pal = palette(side, state);
    float lift = state == 2 ? 1.5f : 0.0f;
    if (state == 1) draw_glow(img, RADIUS + 0.5f, 3.2f, rgba(225, 240, 255, 0.85f));
    if (state == 2) draw_glow(img, RADIUS + 3.0f, 2.6f, rgba(255, 200, 80, 0.75f));
    const View tile;
    draw_shadow(img, tile, 2.0f + lift, 3.0f + lift * 1.5f, 3.0f + lift, 0.7f);
    if (state == 2) draw_gold_ring(img, RADIUS + 2.6f, 1.9f);
    draw_body(img, tile, pal, lift);
    if (king) draw_crown(img, tile, lift);
    keep_square_corners(img, dark_square);
    return img;
}

Image make_marker(bool legal, const Image &dark_square) {
    Image img = dark_square;
    if (legal) {
        // a glowing green ring with a translucent centre: "you may go here"
        for (int y = 0; y < TILE; ++y)
            for (int x = 0; x < TILE; ++x) {
                float r = std::hypot(x + 0.5f - CX, y + 0.5f - CY);
                float fill = coverage_from_distance(r - 15.0f) * 0.28f;
                blend(img, x, y, rgb(80, 230, 110), fill);
                float glow = std::exp(-std::pow((r - 16.5f) / 4.5f, 2.0f)) * 0.45f;
                blend(img, x, y, rgb(70, 255, 120), glow);
                float ring = coverage_from_distance(std::fabs(r - 16.5f) - 2.2f);
                float hl = clampf(0.5f - (y + 0.5f - CY) / 40.0f, 0.0f, 1.0f);
                blend(img, x, y, mix(rgb(40, 190, 80), rgb(190, 255, 200), hl * 0.7f), ring);
                float dot = coverage_from_distance(r - 4.0f);
                blend(img, x, y, rgb(150, 255, 170), dot * 0.9f);
            }
    } else {
        // a red cross with a dark edge: "not here"
        auto sdf = [](float px, float py) {
            float a = sd_segment(px, py, CX - 11.0f, CY - 11.0f, CX + 11.0f, CY + 11.0f);
            float b = sd_segment(px, py, CX + 11.0f, CY - 11.0f, CX - 11.0f, CY + 11.0f);
            return std::min(a, b) - 3.4f;
        };
        Mask sh = mask_new(TILE, TILE);
        for (int y = 0; y < TILE; ++y)
            for (int x = 0; x < TILE; ++x) {
                float r = std::hypot(x + 0.5f - CX, y + 0.5f - CY);
                blend(img, x, y, rgb(255, 40, 30), std::exp(-std::pow(r / 18.0f, 2.0f)) * 0.22f);
                mask_at(sh, x, y) = coverage_from_distance(sdf(x + 0.5f - 1.5f, y + 0.5f - 2.0f));
            }
        mask_blur(sh, 2.0f);
        paint_mask(img, sh, 0, 0, rgba(0, 0, 0, 0.6f));
        for (int y = 0; y < TILE; ++y)
            for (int x = 0; x < TILE; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                float d = sdf(px, py);
                blend(img, x, y, rgb(60, 0, 0), coverage_from_distance(d - 1.0f));
                float cov = coverage_from_distance(d);
                if (cov <= 0.0f) continue;
                float depth = clampf(-d / 3.4f, 0.0f, 1.0f);
                float hl = clampf(0.5f - (py - CY) / 30.0f, 0.0f, 1.0f);
                Color c = mix(rgb(170, 20, 16), rgb(255, 90, 70), hl * 0.8f);
                c = mix(c, rgb(255, 150, 130), (1.0f - depth) * 0.15f * hl);
                blend(img, x, y, c, cov);
            }
    }
    keep_square_corners(img, dark_square);
    return img;
}

Image make_pointer() {
    const int size = 32;
    Image img = image_new(size, size, rgb(255, 0, 255));
    // The classic arrow, tip at (0, 0); solid pixels only, since the sprite
    // is drawn with the magenta mask colour as its only transparency.
    const float arrow[] = {0.0f, 0.0f, 0.0f, 17.5f, 4.2f, 13.6f, 7.4f, 20.6f, 10.4f, 19.3f, 7.3f, 12.5f, 12.6f, 12.5f};
    const int n = 7;
    // shifted one pixel so the outline has room on the left and top
    auto inside = [&](int x, int y) { return sd_polygon(x - 0.5f, y - 0.5f, arrow, n) < 0.0f; };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (inside(x, y)) {
                // white body, warmer towards the tail, with a shaded inner
                // edge on the lower right for a little relief
                float t = clampf((x + y) / 26.0f, 0.0f, 1.0f);
                Color c = mix(rgb(255, 255, 255), rgb(226, 214, 186), t);
                if (!inside(x + 1, y + 1)) c = rgb(150, 136, 110);
                pixel(img, x, y) = c;
                continue;
            }
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1 && !edge; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < size && ny < size && inside(nx, ny)) edge = true;
                }
            if (edge) pixel(img, x, y) = rgb(24, 16, 8);
        }
    // the tip itself is part of the outline so the hot spot shows
    pixel(img, 0, 0) = rgb(24, 16, 8);
    return img;
}

Image make_icon(int size) {
    const float s = static_cast<float>(size), half = s / 2.0f;
    const float margin = s * 0.03f, corner = s * 0.17f, frame = std::max(1.0f, s * 0.07f);
    // The piece keeps its tile design, scaled so it nearly fills the walnut.
    View view;
    view.k = 0.36f * s / RADIUS;
    view.off = half - CX * view.k;
    // Wood is sampled in tile units like the board's squares; small icons
    // average several samples so the grain does not turn into noise.
    const int sub = std::min(4, std::max(1, static_cast<int>(std::ceil(2.0f / view.k))));
    Image img = image_new(size, size, rgb(0, 0, 0));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float inner = sd_box(px, py, half, half, half - margin - frame, half - margin - frame, corner * 0.6f);
            Color maple, walnut;
            for (int j = 0; j < sub; ++j)
                for (int i = 0; i < sub; ++i) {
                    // shifted so the noise never sees negative coordinates
                    float u = (x + (i + 0.5f) / sub - view.off) / view.k + 40.0f;
                    float v = (y + (j + 0.5f) / sub - view.off) / view.k + 40.0f;
                    Color a = wood_color(WOOD_MAPLE, u + 140.0f, v + 31.0f), b = wood_color(WOOD_WALNUT, v + 77.0f, u + 260.0f);
                    maple = add(maple, scale(a, 1.0f / (sub * sub)));
                    walnut = add(walnut, scale(b, 1.0f / (sub * sub)));
                }
            // The maple frame is bevelled: lit towards the top left.
            float bevel = clampf(((half - px) + (half - py)) / s, -0.5f, 0.5f);
            maple = scale(maple, 1.0f + bevel * 0.35f);
            Color c = mix(maple, walnut, coverage_from_distance(inner));
            // a dark seam where the walnut meets the frame
            c = mix(c, rgb(40, 22, 10), coverage_from_distance(std::fabs(inner) - 0.35f * std::max(1.0f, s / 64.0f)) * 0.7f);
            c.a = 1.0f;
            pixel(img, x, y) = c;
        }
    draw_shadow(img, view, 2.0f, 3.0f, 3.0f, 0.7f);
    draw_body(img, view, palette(2, 0), 0.0f);
    draw_crown(img, view, 0.0f);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float outer = sd_box(x + 0.5f, y + 0.5f, half, half, half - margin, half - margin, corner);
            pixel(img, x, y).a = coverage_from_distance(outer);
        }
    return img;
}
