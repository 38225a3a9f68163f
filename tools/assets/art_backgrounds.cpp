// The play screen's table, board frame and side panel, and the menu picture.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "glyphs.h"

namespace {

const int SCREEN_W = 800, SCREEN_H = 600;
const int BOARD_X = 275, BOARD_Y = 56, BOARD_SIZE = 8 * TILE;
const int FRAME = 24;

enum Align { LEFT, CENTRE };

void draw_text(Image &img, const std::string &font, float size, const std::string &text, float x, float baseline,
               Align align, Color colour, Color shadow, float letter_spacing = 0.0f) {
    int ox, oy;
    Mask m = text_mask(font, size, text, 2, &ox, &oy, letter_spacing);
    float w = text_width(font, size, text, letter_spacing);
    int left = static_cast<int>(std::lround(align == CENTRE ? x - w / 2.0f : x)) - ox;
    int top = static_cast<int>(std::lround(baseline)) - oy;
    if (shadow.a > 0) paint_mask(img, m, left + 1, top + 1, shadow);
    paint_mask(img, m, left, top, colour);
}

Color felt_colour(int x, int y) {
    float n = fbm(x * 0.02f, y * 0.02f, 5, 91) - 0.5f;
    float fine = hash2(x, y, 17) - 0.5f;
    float fibre = value_noise(x * 0.7f, y * 0.15f, 29) - 0.5f;
    Color c = scale(rgb(30, 72, 46), 1.0f + n * 0.22f + fine * 0.07f + fibre * 0.05f);
    // the lamp over the board: brighter in the middle, darker corners
    float dx = (x - 507.0f) / 520.0f, dy = (y - 290.0f) / 420.0f;
    float light = 1.15f - 0.75f * std::min(1.0f, dx * dx + dy * dy);
    return scale(c, light);
}

void drop_shadow(Image &img, int x0, int y0, int x1, int y1, float radius, int dx, int dy, float blur, float alpha) {
    Mask m = mask_new(SCREEN_W, SCREEN_H);
    float cx = (x0 + x1) / 2.0f + dx, cy = (y0 + y1) / 2.0f + dy;
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x)
            mask_at(m, x, y) = coverage_from_distance(sd_box(x + 0.5f, y + 0.5f, cx, cy, (x1 - x0) / 2.0f, (y1 - y0) / 2.0f, radius));
    mask_blur(m, blur);
    paint_mask(img, m, 0, 0, rgba(0, 0, 0, alpha));
}

// Height of the frame's moulding, s pixels in from its outer edge.
float frame_height(float s) {
    float h;
    if (s < 6.0f) {
        float t = (6.0f - s) / 6.0f;
        h = 6.0f * std::sqrt(std::max(0.0f, 1.0f - t * t));
    } else if (s < 19.0f) {
        h = 6.0f;
    } else {
        h = 6.0f - 4.0f * smoothstep(19.0f, 23.5f, s);
    }
    return h;
}

void draw_frame(Image &img) {
    const int x0 = BOARD_X - FRAME, y0 = BOARD_Y - FRAME;
    const int x1 = BOARD_X + BOARD_SIZE + FRAME, y1 = BOARD_Y + BOARD_SIZE + FRAME;
    drop_shadow(img, x0, y0, x1, y1, 5.0f, 5, 8, 9.0f, 0.75f);
    const float lx = -0.5f, ly = -0.6f, lz = 0.65f;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float outer = sd_box(px, py, (x0 + x1) / 2.0f, (y0 + y1) / 2.0f, (x1 - x0) / 2.0f, (y1 - y0) / 2.0f, 5.0f);
            float cov = coverage_from_distance(outer);
            if (cov <= 0.0f) continue;
            float left = BOARD_X - px, right = px - (BOARD_X + BOARD_SIZE);
            float top = BOARD_Y - py, bottom = py - (BOARD_Y + BOARD_SIZE);
            float m = std::max(std::max(left, right), std::max(top, bottom));
            if (m < 0) continue;  // the squares cover the inside
            // which side of the mitred frame this pixel belongs to
            int side = m == top ? 0 : (m == bottom ? 1 : (m == left ? 2 : 3));
            float s = FRAME - m;  // distance in from the outer edge
            bool horizontal = side < 2;
            // each side is its own piece of wood, grain running along it
            Color wood = horizontal ? wood_color(WOOD_FRAME, px + side * 900.0f, py + side * 40.0f)
                                    : wood_color(WOOD_FRAME, py + side * 700.0f, px + side * 60.0f);
            float dh = frame_height(s + 0.5f) - frame_height(s - 0.5f);
            // moving s inwards goes down, up, right or left depending on side
            float ox = side == 2 ? 1.0f : (side == 3 ? -1.0f : 0.0f);
            float oy = side == 0 ? 1.0f : (side == 1 ? -1.0f : 0.0f);
            float nx = -dh * ox, ny = -dh * oy, nz = 1.0f;
            float l = std::sqrt(nx * nx + ny * ny + nz * nz);
            float lambert = std::max(0.0f, (nx * lx + ny * ly + nz * lz) / l);
            float hx = lx, hy = ly, hz = lz + 1.0f;
            float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
            float highlight = std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / (l * hl)), 30.0f) * 0.35f;
            Color c = add(scale(wood, 0.35f + 0.95f * lambert), Color{highlight, highlight, highlight * 0.9f, 0});
            // gold inlay line between the moulding and the squares
            float inlay = coverage_from_distance(std::fabs(s - 17.2f) - 0.75f);
            c = mix(c, mix(rgb(236, 196, 110), rgb(170, 120, 40), side == 1 || side == 3 ? 0.5f : 0.0f), inlay);
            // the mitre joints show as a fine dark seam
            float across = horizontal ? std::max(left, right) : std::max(top, bottom);
            if (across > 0 && std::fabs(m - across) < 0.8f) c = scale(c, 0.6f);
            // shadow the board casts into the groove at its edge
            if (s > 21.0f) c = scale(c, 0.85f);
            blend(img, x, y, c, cov);
        }
}

void draw_coordinates(Image &img, const FontFiles &fonts) {
    const Color ink = rgba(232, 204, 140, 0.95f), shade = rgba(20, 8, 0, 0.7f);
    const char *letters[8] = {"a", "b", "c", "d", "e", "f", "g", "h"};
    const char *numbers[8] = {"8", "7", "6", "5", "4", "3", "2", "1"};
    for (int i = 0; i < 8; ++i) {
        float cx = BOARD_X + i * TILE + TILE / 2.0f;
        draw_text(img, fonts.sans_bold, 11.0f, letters[i], cx, BOARD_Y + BOARD_SIZE + 15.0f, CENTRE, ink, shade);
        float cy = BOARD_Y + i * TILE + TILE / 2.0f;
        draw_text(img, fonts.sans_bold, 11.0f, numbers[i], BOARD_X - FRAME + 9.5f, cy + 4.0f, CENTRE, ink, shade);
    }
}

// The dark panel the game writes its clocks, level, names and move state on.
void draw_side_panel(Image &img, const FontFiles &fonts) {
    const float x0 = 28, y0 = 24, x1 = 162, y1 = 566;
    drop_shadow(img, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1), 8.0f, 4, 6,
                8.0f, 0.7f);
    const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hw = (x1 - x0) / 2, hh = (y1 - y0) / 2;
    for (int y = static_cast<int>(y0) - 2; y < y1 + 2; ++y)
        for (int x = static_cast<int>(x0) - 2; x < x1 + 2; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float d = sd_box(px, py, cx, cy, hw, hh, 8.0f);
            float cov = coverage_from_distance(d);
            if (cov <= 0) continue;
            float t = (py - y0) / (y1 - y0);
            Color body = mix(rgb(26, 24, 22), rgb(14, 13, 12), t);
            float grain = (value_noise(px * 0.05f, py * 0.8f, 211) - 0.5f) * 0.10f;
            body = scale(body, 1.0f + grain);
            // bronze border with a highlight on its upper left
            float border = coverage_from_distance(std::fabs(d + 2.0f) - 1.3f);
            float lit = clampf(0.5f - ((px - cx) / hw + (py - cy) / hh) * 0.5f, 0.0f, 1.0f);
            Color bronze = mix(rgb(96, 66, 34), rgb(196, 150, 84), lit);
            body = mix(body, bronze, border);
            // inner dark line just inside the border: a recessed look
            float inner = coverage_from_distance(std::fabs(d + 4.2f) - 0.6f);
            body = mix(body, rgb(4, 4, 4), inner * 0.8f);
            blend(img, x, y, body, cov);
        }
    // the clock window: recessed, nearly black
    for (int y = 32; y < 96; ++y)
        for (int x = 39; x < 155; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float d = sd_box(px, py, 97.0f, 64.0f, 58.0f, 32.0f, 4.0f);
            float cov = coverage_from_distance(d);
            if (cov <= 0) continue;
            Color c = rgb(7, 8, 8);
            float inner_shadow = std::exp(-std::max(0.0f, py - 32.0f) / 3.0f) * 0.6f;
            c = scale(c, 1.0f - inner_shadow);
            float rim = coverage_from_distance(std::fabs(d + 0.5f) - 0.6f);
            // the lower edge of the recess catches the light, the upper is in shade
            c = mix(c, mix(rgb(0, 0, 0), rgb(92, 72, 46), smoothstep(40.0f, 94.0f, py)), rim);
            blend(img, x, y, c, cov);
        }
    // engraved separators between the blocks of text
    const int separators[] = {147, 394, 452, 510};
    for (int sy : separators)
        for (int x = 42; x < 148; ++x) {
            float fade = smoothstep(42.0f, 60.0f, x + 0.5f) * (1.0f - smoothstep(130.0f, 148.0f, x + 0.5f));
            blend(img, x, sy, rgb(0, 0, 0), 0.8f * fade);
            blend(img, x, sy + 1, rgb(120, 96, 64), 0.45f * fade);
        }
    // emblem in the empty middle of the panel
    const float ey = 270.0f;
    for (int y = 180; y < 330; ++y)
        for (int x = 40; x < 150; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float glow = std::exp(-std::pow(std::hypot((px - 95.0f) / 50.0f, (py - ey) / 60.0f), 2.0f));
            blend(img, x, y, rgb(60, 48, 30), glow * 0.35f);
        }
    draw_text(img, fonts.serif_bold, 24.0f, "Talvena", 95.0f, ey + 2.0f, CENTRE, rgb(196, 156, 84), rgba(0, 0, 0, 0.9f));
    for (int x = 50; x < 141; ++x) {
        float px = x + 0.5f;
        float fade = 1.0f - std::fabs(px - 95.0f) / 46.0f;
        blend(img, x, static_cast<int>(ey) + 12, rgb(170, 130, 70), fade * 0.8f);
        blend(img, x, static_cast<int>(ey) - 27, rgb(170, 130, 70), fade * 0.8f);
    }
    for (int k = 0; k < 2; ++k) {
        float dy = k == 0 ? ey + 12.5f : ey - 26.5f;
        for (int y = static_cast<int>(dy) - 5; y < dy + 5; ++y)
            for (int x = 89; x < 102; ++x) {
                float d = std::fabs(x + 0.5f - 95.0f) + std::fabs(y + 0.5f - dy) - 3.5f;
                blend(img, x, y, rgb(214, 170, 90), coverage_from_distance(d));
            }
    }
    draw_text(img, fonts.sans, 11.0f, "česká dáma", 95.0f, ey + 30.0f, CENTRE, rgb(128, 116, 98), rgba(0, 0, 0, 0.8f), 1.0f);
}

}  // namespace

Image make_play_background(const FontFiles &fonts, const Image &light, const Image &dark) {
    Image img = image_new(SCREEN_W, SCREEN_H, rgb(0, 0, 0));
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x) pixel(img, x, y) = felt_colour(x, y);
    draw_frame(img);
    draw_coordinates(img, fonts);
    // The squares are drawn over this by the game; having them here too
    // keeps the picture whole if it is ever shown on its own.
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) composite(img, (r + c) % 2 == 0 ? light : dark, BOARD_X + c * TILE, BOARD_Y + r * TILE);
    draw_side_panel(img, fonts);
    return img;
}

namespace {

// Gold lettering with an outline, a bevel and a cast shadow.
void draw_title(Image &img, const FontFiles &fonts, const std::string &text, float size, float cx, float baseline) {
    int ox, oy;
    const int pad = 16;
    Mask m = text_mask(fonts.serif_bold, size, text, pad, &ox, &oy);
    float w = text_width(fonts.serif_bold, size, text);
    int left = static_cast<int>(std::lround(cx - w / 2.0f)) - ox;
    int top = static_cast<int>(std::lround(baseline)) - oy;

    Mask shadow = m;
    mask_blur(shadow, 7.0f);
    paint_mask(img, shadow, left + 5, top + 8, rgba(0, 0, 0, 0.85f));

    Mask outline = m;
    mask_blur(outline, 2.2f);
    for (float &v : outline.v) v = clampf(v * 3.0f, 0.0f, 1.0f);
    paint_mask(img, outline, left, top, rgb(40, 20, 4));

    Mask height = m;
    mask_blur(height, 2.5f);
    const float lx = -0.45f, ly = -0.65f, lz = 0.62f;
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float cov = mask_get(m, x, y);
            if (cov <= 0.0f) continue;
            float gx = (mask_get(height, x + 1, y) - mask_get(height, x - 1, y)) * 6.0f;
            float gy = (mask_get(height, x, y + 1) - mask_get(height, x, y - 1)) * 6.0f;
            float nx = -gx, ny = -gy, nz = 1.0f;
            float l = std::sqrt(nx * nx + ny * ny + nz * nz);
            float lambert = (nx * lx + ny * ly + nz * lz) / l;
            float hx = lx, hy = ly, hz = lz + 1.0f, hl = std::sqrt(hx * hx + hy * hy + hz * hz);
            float highlight = std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / (l * hl)), 24.0f);
            float t = clampf((y - (oy - size * 0.75f)) / (size * 0.85f), 0.0f, 1.0f);
            Color base = t < 0.5f ? mix(rgb(255, 240, 170), rgb(236, 184, 70), t * 2.0f)
                                  : mix(rgb(236, 184, 70), rgb(150, 90, 24), (t - 0.5f) * 2.0f);
            Color c = add(scale(base, 0.45f + 0.75f * std::max(0.0f, lambert)), Color{highlight * 0.6f, highlight * 0.55f, highlight * 0.4f, 0});
            blend(img, left + x, top + y, c, cov);
        }
}

}  // namespace

Image make_menu_background(const FontFiles &fonts) {
    Image img = image_new(SCREEN_W, SCREEN_H, rgb(0, 0, 0));
    render_menu_scene(img);
    // darken the edges so the title and the menu sit on calm ground
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x) {
            float dx = (x - 560.0f) / 560.0f, dy = (y - 380.0f) / 480.0f;
            float v = clampf(1.1f - 0.6f * (dx * dx + dy * dy), 0.35f, 1.0f);
            float top_fade = 1.0f - 0.55f * (1.0f - smoothstep(40.0f, 260.0f, y + 0.5f));
            Color &c = pixel(img, x, y);
            c = scale(c, v * top_fade);
            c.a = 1.0f;
        }
    draw_title(img, fonts, "Talvena", 104.0f, 560.0f, 150.0f);
    draw_text(img, fonts.serif_bold, 20.0f, "ČESKÁ DÁMA", 560.0f, 190.0f, CENTRE, rgb(226, 206, 160), rgba(0, 0, 0, 0.9f), 6.0f);
    return img;
}
