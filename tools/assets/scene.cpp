// The menu picture's board in perspective: a small ray tracer over a board
// slab, draughts men as cylinders, a felt table and one spot light with soft
// shadows. Stratified samples with fixed offsets keep it deterministic.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

struct V3 {
    float x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 norm(V3 a) { return a * (1.0f / std::sqrt(dot(a, a))); }

const float BOARD_MIN = -0.42f, BOARD_MAX = 8.42f, BOARD_DEPTH = 0.32f;
const float MAN_RADIUS = 0.39f, MAN_HEIGHT = 0.14f;

struct Piece {
    float x, z;
    int side;
    bool king;
};

// A position from the middle of a game, with a king on each side.
const char *POSITION[8] = {
    ".r.r.r.r",
    "r.r...r.",
    ".r...r.r",
    "..r.....",
    ".b...R..",
    "b...b.b.",
    ".b.B.b.b",
    "b.b.b.b.",
};

enum Material { NONE, TABLE, BOARD_TOP, BOARD_SIDE, PIECE_TOP, PIECE_SIDE };

struct Hit {
    float t = 1e30f;
    V3 n{0, 1, 0};
    Material mat = NONE;
    int piece = -1;
};

struct Scene {
    std::vector<Piece> pieces;
    const Image *light_tile;
    const Image *dark_tile;
    const Image *faces[2][2];  // [side - 1][king]: the game's own piece pictures
    V3 light_pos;
};

float piece_height(const Piece &p) {
    return p.king ? MAN_HEIGHT * 2.0f : MAN_HEIGHT;
}

void hit_cylinder(const Scene &s, int i, V3 o, V3 d, Hit &h) {
    const Piece &p = s.pieces[i];
    float top = piece_height(p);
    float ox = o.x - p.x, oz = o.z - p.z;
    float a = d.x * d.x + d.z * d.z;
    float b = 2 * (ox * d.x + oz * d.z);
    float c = ox * ox + oz * oz - MAN_RADIUS * MAN_RADIUS;
    float disc = b * b - 4 * a * c;
    if (disc >= 0 && a > 1e-9f) {
        float t = (-b - std::sqrt(disc)) / (2 * a);
        float y = o.y + d.y * t;
        if (t > 1e-4f && t < h.t && y >= 0 && y <= top) {
            h.t = t;
            h.n = norm({ox + d.x * t, 0, oz + d.z * t});
            h.mat = PIECE_SIDE;
            h.piece = i;
        }
    }
    if (std::fabs(d.y) > 1e-9f) {
        float t = (top - o.y) / d.y;
        float px = ox + d.x * t, pz = oz + d.z * t;
        if (t > 1e-4f && t < h.t && px * px + pz * pz <= MAN_RADIUS * MAN_RADIUS) {
            h.t = t;
            h.n = {0, 1, 0};
            h.mat = PIECE_TOP;
            h.piece = i;
        }
    }
}

void hit_board(V3 o, V3 d, Hit &h) {
    float tmin = -1e30f, tmax = 1e30f;
    int axis = -1;
    const float lo[3] = {BOARD_MIN, -BOARD_DEPTH, BOARD_MIN}, hi[3] = {BOARD_MAX, 0.0f, BOARD_MAX};
    const float oo[3] = {o.x, o.y, o.z}, dd[3] = {d.x, d.y, d.z};
    for (int k = 0; k < 3; ++k) {
        if (std::fabs(dd[k]) < 1e-9f) {
            if (oo[k] < lo[k] || oo[k] > hi[k]) return;
            continue;
        }
        float t1 = (lo[k] - oo[k]) / dd[k], t2 = (hi[k] - oo[k]) / dd[k];
        if (t1 > t2) std::swap(t1, t2);
        if (t1 > tmin) {
            tmin = t1;
            axis = k;
        }
        tmax = std::min(tmax, t2);
    }
    if (tmin > tmax || tmin < 1e-4f || tmin >= h.t) return;
    h.t = tmin;
    V3 n{0, 0, 0};
    if (axis == 0) n.x = d.x > 0 ? -1.0f : 1.0f;
    if (axis == 1) n.y = d.y > 0 ? -1.0f : 1.0f;
    if (axis == 2) n.z = d.z > 0 ? -1.0f : 1.0f;
    h.n = n;
    h.mat = axis == 1 ? BOARD_TOP : BOARD_SIDE;
}

Hit trace(const Scene &s, V3 o, V3 d) {
    Hit h;
    if (d.y < -1e-6f) {
        float t = (-BOARD_DEPTH - o.y) / d.y;
        if (t > 1e-4f) {
            h.t = t;
            h.n = {0, 1, 0};
            h.mat = TABLE;
        }
    }
    hit_board(o, d, h);
    for (size_t i = 0; i < s.pieces.size(); ++i) hit_cylinder(s, static_cast<int>(i), o, d, h);
    return h;
}

Color felt(float x, float z) {
    float n = fbm(x * 3.0f, z * 3.0f, 4, 71) - 0.5f;
    float fine = hash2(static_cast<int>(std::floor(x * 90)), static_cast<int>(std::floor(z * 90)), 5) - 0.5f;
    return scale(rgb(30, 74, 48), 1.0f + n * 0.25f + fine * 0.08f);
}

Color tile_lookup(const Image &tile, float u, float v) {
    return sample(tile, clampf(u, 0, 0.999f) * TILE - 0.5f, clampf(v, 0, 0.999f) * TILE - 0.5f);
}

Color albedo(const Scene &s, const Hit &h, V3 p, float *gloss) {
    *gloss = 0.0f;
    switch (h.mat) {
    case TABLE:
        return felt(p.x, p.z);
    case BOARD_TOP: {
        *gloss = 0.35f;
        if (p.x >= 0 && p.x < 8 && p.z >= 0 && p.z < 8) {
            int c = static_cast<int>(p.x), r = static_cast<int>(p.z);
            const Image &tile = ((r + c) % 2 == 0) ? *s.light_tile : *s.dark_tile;
            return tile_lookup(tile, p.x - c, p.z - r);
        }
        // frame: grain along each side, a gold line near the squares
        float ex = std::min(p.x - BOARD_MIN, BOARD_MAX - p.x), ez = std::min(p.z - BOARD_MIN, BOARD_MAX - p.z);
        bool along_x = ez < ex;
        Color c = along_x ? wood_color(WOOD_FRAME, p.x * 58.0f, p.z * 58.0f + 300.0f)
                          : wood_color(WOOD_FRAME, p.z * 58.0f + 500.0f, p.x * 58.0f);
        float inner = std::min(std::min(std::fabs(p.x), std::fabs(p.x - 8.0f)), std::min(std::fabs(p.z), std::fabs(p.z - 8.0f)));
        bool outside_squares = p.x < 0 || p.x > 8 || p.z < 0 || p.z > 8;
        if (outside_squares && inner > 0.09f && inner < 0.13f) return rgb(214, 170, 80);
        return c;
    }
    case BOARD_SIDE: {
        float u = std::fabs(h.n.x) > 0.5f ? p.z : p.x;
        return scale(wood_color(WOOD_FRAME, u * 58.0f, p.y * 200.0f + 90.0f), 0.8f);
    }
    case PIECE_TOP:
    case PIECE_SIDE: {
        const Piece &pc = s.pieces[h.piece];
        Color base = pc.side == 1 ? rgb(48, 104, 214) : rgb(212, 44, 40);
        *gloss = 0.8f;
        if (h.mat == PIECE_SIDE) {
            float y = p.y;
            float groove = 0.82f + 0.18f * std::cos(y / MAN_HEIGHT * 6.2831853f * 2.0f);
            if (pc.king && std::fabs(y - MAN_HEIGHT) < 0.018f) return rgb(220, 170, 60);
            return scale(base, 0.8f * groove);
        }
        // the face is the game's own picture of the piece, so the menu
        // shows the same men and crowns as the board
        *gloss = 0.35f;
        const Image &face = *s.faces[pc.side - 1][pc.king ? 1 : 0];
        const float face_radius = 21.5f;
        return sample(face, TILE / 2.0f + (p.x - pc.x) / MAN_RADIUS * face_radius - 0.5f,
                      TILE / 2.0f + (p.z - pc.z) / MAN_RADIUS * face_radius - 0.5f);
    }
    default:
        return rgb(0, 0, 0);
    }
}

// Whether one of nine points on the lamp sees p; the sub-pixel samples of a
// pixel pick different points, which softens the shadows' edges.
float visibility(const Scene &s, V3 p, int sample_index) {
    const float lamp = 0.9f;
    float jx = ((sample_index % 3) - 1) * lamp * 0.5f, jz = ((sample_index / 3 % 3) - 1) * lamp * 0.5f;
    V3 lp = s.light_pos + V3{jx, 0, jz};
    V3 d = lp - p;
    float dist = std::sqrt(dot(d, d));
    d = d * (1.0f / dist);
    Hit h = trace(s, p + d * 1e-3f, d);
    return (h.mat == NONE || h.t > dist || h.mat == TABLE) ? 1.0f : 0.0f;
}

Color shade(const Scene &s, V3 o, V3 d, int sample_index) {
    Hit h = trace(s, o, d);
    if (h.mat == NONE) return rgb(8, 14, 10);
    V3 p = o + d * h.t;
    float gloss;
    Color base = albedo(s, h, p, &gloss);
    V3 n = h.n;
    // rounded edge on the men's faces
    if (h.mat == PIECE_TOP) {
        const Piece &pc = s.pieces[h.piece];
        float dx = p.x - pc.x, dz = p.z - pc.z, r = std::hypot(dx, dz);
        float edge = smoothstep(MAN_RADIUS - 0.06f, MAN_RADIUS, r);
        n = norm({dx / r * edge * 1.2f, 1.0f, dz / r * edge * 1.2f});
    }
    V3 l = s.light_pos - p;
    float dist = std::sqrt(dot(l, l));
    l = l * (1.0f / dist);
    // spot cone aimed at the middle of the board
    V3 spot_dir = norm(V3{4.2f, 0.0f, 4.6f} - s.light_pos);
    float cone = smoothstep(0.80f, 0.95f, dot(l * -1.0f, spot_dir));
    float vis = visibility(s, p, sample_index);
    float diffuse = std::max(0.0f, dot(n, l)) * cone * vis;
    V3 half = norm(l - d);
    float shine = std::pow(std::max(0.0f, dot(n, half)), 18.0f + gloss * 50.0f) * gloss * 0.9f * cone * vis;
    float ambient = 0.16f + 0.06f * std::max(0.0f, n.y);
    Color c = scale(base, ambient + 1.05f * diffuse);
    return add(c, Color{shine, shine * 0.97f, shine * 0.9f, 0});
}

}  // namespace

void render_menu_scene(Image &img) {
    Image light_tile = make_square(true), dark_tile = make_square(false);
    Scene s;
    s.light_tile = &light_tile;
    s.dark_tile = &dark_tile;
    Image faces[2][2];
    for (int side = 0; side < 2; ++side)
        for (int king = 0; king < 2; ++king) {
            faces[side][king] = make_piece(side + 1, king == 1, 0, dark_tile);
            s.faces[side][king] = &faces[side][king];
        }
    s.light_pos = {1.8f, 11.0f, 1.0f};
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            char ch = POSITION[r][c];
            if (ch == '.') continue;
            Piece p{c + 0.5f, r + 0.5f, (ch == 'b' || ch == 'B') ? 1 : 2, ch == 'B' || ch == 'R'};
            s.pieces.push_back(p);
        }

    V3 target{4.0f, 0.0f, 4.2f};
    const float yaw = 0.66f, pitch = 0.72f, distance = 14.5f;
    V3 eye = target + V3{std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch)} * distance;
    V3 fwd = norm(target - eye);
    V3 right = norm(cross(fwd, V3{0, 1, 0}));
    V3 up = cross(right, fwd);
    const float focal = 640.0f, ppx = 560.0f, ppy = 425.0f;

    const int grid = 3;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            Color sum{0, 0, 0, 0};
            for (int k = 0; k < grid * grid; ++k) {
                float sx = x + ((k % grid) + 0.5f) / grid, sy = y + ((k / grid) + 0.5f) / grid;
                V3 d = norm(fwd + right * ((sx - ppx) / focal) - up * ((sy - ppy) / focal));
                // each sub-pixel sees another point of the lamp: soft shadows
                Color c = shade(s, eye, d, (k * 4 + (x + y * 3)) % 9);
                sum = add(sum, c);
            }
            Color c = scale(sum, 1.0f / (grid * grid));
            c.a = 1.0f;
            pixel(img, x, y) = c;
        }
}
