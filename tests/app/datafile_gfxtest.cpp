// The generated Data/talvena.dat and Data/allegro.cfg: the kinds and order
// of the objects the game indexes, the sizes of the pictures, fonts that hold
// every character the game draws and texts that fit the screen layout.
// Runs in the build directory, with no window.
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/resource_ids.h"

namespace {

class Datafile : public ::testing::Test {
protected:
    static DATAFILE *dat;

    static void SetUpTestSuite() {
        if (dat != nullptr) return;
        if (system_driver == nullptr) {
            ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, std::atexit), 0);
        }
        set_color_depth(16);
        dat = load_datafile("Data/talvena.dat");
    }

    void SetUp() override { ASSERT_NE(dat, nullptr) << "Data/talvena.dat in the build directory"; }

    static BITMAP *bitmap(int id) { return static_cast<BITMAP *>(dat[id].dat); }
    static FONT *font_of(int id) { return static_cast<FONT *>(dat[id].dat); }
    static SAMPLE *sample_of(int id) { return static_cast<SAMPLE *>(dat[id].dat); }

    static int luminance(int c) { return (getr16(c) * 3 + getg16(c) * 6 + getb16(c)) / 10; }

    static bool gold(int c) { return getr16(c) > 170 && getg16(c) > 120 && getb16(c) < 110 && getr16(c) > getb16(c) + 90; }

    // Pixels of a 58×58 picture at a distance from its centre in [r0, r1).
    template <typename F>
    static int count_in_ring(BITMAP *b, float r0, float r1, F pred) {
        int n = 0;
        for (int y = 0; y < b->h; ++y)
            for (int x = 0; x < b->w; ++x) {
                float dx = x + 0.5f - b->w / 2.0f, dy = y + 0.5f - b->h / 2.0f;
                float r = std::sqrt(dx * dx + dy * dy);
                if (r >= r0 && r < r1 && pred(getpixel(b, x, y))) ++n;
            }
        return n;
    }

    static std::vector<char> read_all(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

DATAFILE *Datafile::dat = nullptr;

const int BITMAPS[] = {RES_POINTER,          RES_MARK_LEGAL,         RES_MARK_ILLEGAL,  RES_SQUARE_LIGHT,
                       RES_SQUARE_DARK,      RES_PLAY_BACKGROUND,    RES_MENU_BACKGROUND, RES_BLUE_KING,
                       RES_BLUE_KING_HOVER,  RES_BLUE_KING_SELECTED, RES_RED_KING,      RES_RED_KING_HOVER,
                       RES_RED_KING_SELECTED, RES_BLUE_MAN,          RES_BLUE_MAN_HOVER, RES_BLUE_MAN_SELECTED,
                       RES_RED_MAN,          RES_RED_MAN_HOVER,      RES_RED_MAN_SELECTED};
const int FONTS[] = {RES_FONT_PANEL, RES_FONT_NOTICE, RES_FONT_CLOCK, RES_FONT_MENU};
const int PIECES[] = {RES_BLUE_KING, RES_BLUE_KING_HOVER, RES_BLUE_KING_SELECTED, RES_RED_KING,
                      RES_RED_KING_HOVER, RES_RED_KING_SELECTED, RES_BLUE_MAN, RES_BLUE_MAN_HOVER,
                      RES_BLUE_MAN_SELECTED, RES_RED_MAN, RES_RED_MAN_HOVER, RES_RED_MAN_SELECTED};

TEST_F(Datafile, HoldsTheObjectsInTheOrderAndOfTheKindsTheGameIndexes) {
    int count = 0;
    while (dat[count].type != DAT_END) ++count;
    EXPECT_EQ(count, RES_COUNT);
    for (int id : BITMAPS) EXPECT_EQ(dat[id].type, DAT_BITMAP) << "object " << id;
    for (int id : FONTS) EXPECT_EQ(dat[id].type, DAT_FONT) << "object " << id;
    for (int id = RES_SND_PICK; id < RES_COUNT; ++id) EXPECT_EQ(dat[id].type, DAT_SAMPLE) << "object " << id;
}

TEST_F(Datafile, PicturesHaveTheSizesTheLayoutNeeds) {
    for (int id : {RES_SQUARE_LIGHT, RES_SQUARE_DARK}) {
        EXPECT_EQ(bitmap(id)->w, 58);
        EXPECT_EQ(bitmap(id)->h, 58);
    }
    for (int id : {RES_PLAY_BACKGROUND, RES_MENU_BACKGROUND}) {
        EXPECT_EQ(bitmap(id)->w, 800);
        EXPECT_EQ(bitmap(id)->h, 600);
    }
    for (int id : PIECES) {
        EXPECT_LE(bitmap(id)->w, 58) << "object " << id;
        EXPECT_LE(bitmap(id)->h, 58) << "object " << id;
        EXPECT_GE(bitmap(id)->w, 40) << "object " << id;
    }
    for (int id : {RES_MARK_LEGAL, RES_MARK_ILLEGAL}) {
        EXPECT_LE(bitmap(id)->w, 58);
        EXPECT_LE(bitmap(id)->h, 58);
    }
    EXPECT_LE(bitmap(RES_POINTER)->w, 64);
    EXPECT_LE(bitmap(RES_POINTER)->h, 64);
}

TEST_F(Datafile, PointerIsAnArrowOnTheMaskColour) {
    BITMAP *p = bitmap(RES_POINTER);
    const int mask = bitmap_mask_color(p);
    EXPECT_NE(getpixel(p, 0, 0), mask) << "the hot spot at the tip must be drawn";
    EXPECT_EQ(getpixel(p, p->w - 1, 0), mask);
    EXPECT_EQ(getpixel(p, 0, p->h - 1), mask);
    EXPECT_EQ(getpixel(p, p->w - 1, p->h - 1), mask);
    int drawn = 0, light = 0, dark = 0;
    for (int y = 0; y < p->h; ++y)
        for (int x = 0; x < p->w; ++x) {
            int c = getpixel(p, x, y);
            if (c == mask) continue;
            ++drawn;
            light += luminance(c) > 180;
            dark += luminance(c) < 60;
        }
    EXPECT_GT(drawn, 80);
    // a light body with a dark outline shows on any background
    EXPECT_GT(light, 40);
    EXPECT_GT(dark, 30);
}

TEST_F(Datafile, LightAndDarkSquaresAreClearlyDifferent) {
    long light = 0, dark = 0;
    for (int y = 0; y < 58; ++y)
        for (int x = 0; x < 58; ++x) {
            light += luminance(getpixel(bitmap(RES_SQUARE_LIGHT), x, y));
            dark += luminance(getpixel(bitmap(RES_SQUARE_DARK), x, y));
        }
    EXPECT_GT((light - dark) / (58 * 58), 80);
}

// Every piece picture and destination marker is blitted opaque onto a dark
// square, so around the drawing it must be exactly that square.
TEST_F(Datafile, PiecesAndMarkersCarryTheDarkSquareAroundThem) {
    BITMAP *dark = bitmap(RES_SQUARE_DARK);
    std::vector<int> ids(std::begin(PIECES), std::end(PIECES));
    ids.push_back(RES_MARK_LEGAL);
    ids.push_back(RES_MARK_ILLEGAL);
    for (int id : ids) {
        BITMAP *b = bitmap(id);
        int ox = (58 - b->w) / 2, oy = (58 - b->h) / 2;
        int far_off = 0, corners = 0;
        for (int y = 0; y < b->h; ++y)
            for (int x = 0; x < b->w; ++x) {
                float dx = x + 0.5f - b->w / 2.0f, dy = y + 0.5f - b->h / 2.0f;
                if (dx * dx + dy * dy < 36.0f * 36.0f) continue;
                ++corners;
                int c = getpixel(b, x, y), t = getpixel(dark, x + ox, y + oy);
                far_off += c != t;
            }
        EXPECT_GT(corners, 50) << "object " << id;
        EXPECT_EQ(far_off, 0) << "object " << id;
    }
}

TEST_F(Datafile, PiecePicturesShowTheirSideRankAndState) {
    auto blue = [](int c) { return getb16(c) > getr16(c) + 60; };
    auto red = [](int c) { return getr16(c) > getb16(c) + 80 && getr16(c) > getg16(c) + 80; };
    for (int i = 0; i < 12; ++i) {
        int id = PIECES[i];
        bool is_blue = (i / 3) % 2 == 0, is_king = i < 6;
        BITMAP *b = bitmap(id);
        int blue_px = count_in_ring(b, 8.0f, 20.0f, blue), red_px = count_in_ring(b, 8.0f, 20.0f, red);
        if (is_blue) {
            EXPECT_GT(blue_px, 400) << "object " << id;
            EXPECT_EQ(red_px, 0) << "object " << id;
        } else {
            EXPECT_GT(red_px, 400) << "object " << id;
            EXPECT_EQ(blue_px, 0) << "object " << id;
        }
        int crown = count_in_ring(b, 0.0f, 12.0f, gold);
        if (is_king) {
            EXPECT_GT(crown, 40) << "object " << id << " has no crown";
        } else {
            EXPECT_EQ(crown, 0) << "object " << id;
        }
    }
    for (int base : {RES_BLUE_KING, RES_RED_KING, RES_BLUE_MAN, RES_RED_MAN}) {
        BITMAP *plain = bitmap(base), *hover = bitmap(base + 1), *selected = bitmap(base + 2);
        int changed = 0;
        long plain_light = 0, hover_light = 0;
        for (int y = 0; y < 58; ++y)
            for (int x = 0; x < 58; ++x) {
                changed += getpixel(plain, x, y) != getpixel(hover, x, y);
                plain_light += luminance(getpixel(plain, x, y));
                hover_light += luminance(getpixel(hover, x, y));
            }
        EXPECT_GT(changed, 800) << "hover picture of object " << base << " looks like the plain one";
        EXPECT_GT(hover_light, plain_light) << "object " << base + 1 << " should be brighter";
        // the selected piece wears a gold ring outside its face
        EXPECT_GT(count_in_ring(selected, 23.5f, 27.5f, gold), 150) << "object " << base + 2;
        EXPECT_LT(count_in_ring(plain, 23.5f, 27.5f, gold), 10) << "object " << base;
        EXPECT_LT(count_in_ring(hover, 23.5f, 27.5f, gold), 10) << "object " << base + 1;
    }
}

TEST_F(Datafile, MarkersReadAsGoAndNoGo) {
    auto green = [](int c) { return getg16(c) > getr16(c) + 60 && getg16(c) > getb16(c) + 40; };
    auto red = [](int c) { return getr16(c) > getg16(c) + 100; };
    BITMAP *legal = bitmap(RES_MARK_LEGAL), *illegal = bitmap(RES_MARK_ILLEGAL);
    EXPECT_GT(count_in_ring(legal, 0.0f, 29.0f, green), 250);
    EXPECT_EQ(count_in_ring(legal, 0.0f, 29.0f, red), 0);
    EXPECT_GT(count_in_ring(illegal, 0.0f, 29.0f, red), 250);
    EXPECT_EQ(count_in_ring(illegal, 0.0f, 29.0f, green), 0);
}

TEST_F(Datafile, PlayBackgroundKeepsTheSidePanelDarkAndFramesTheBoard) {
    BITMAP *bg = bitmap(RES_PLAY_BACKGROUND);
    // rows where the grey panel texts stand
    const int text_rows[] = {40, 66, 106, 124, 405, 423, 463, 481, 521, 539};
    for (int top : text_rows) {
        long sum = 0;
        int brightest = 0;
        for (int y = top; y < top + 16; ++y)
            for (int x = 46; x < 148; ++x) {
                int l = luminance(getpixel(bg, x, y));
                sum += l;
                brightest = std::max(brightest, l);
            }
        EXPECT_LT(sum / (16 * 102), 40) << "panel line at y " << top;
        EXPECT_LT(brightest, 90) << "panel line at y " << top;
    }
    // a frame around the board: the ring just outside it differs from the
    // table further out, on every side
    auto differs = [&](int x1, int y1, int x2, int y2) {
        int a = getpixel(bg, x1, y1), b = getpixel(bg, x2, y2);
        return std::abs(getr16(a) - getr16(b)) + std::abs(getg16(a) - getg16(b)) + std::abs(getb16(a) - getb16(b)) > 60;
    };
    EXPECT_TRUE(differs(507, 46, 507, 20));
    EXPECT_TRUE(differs(507, 530, 507, 575));
    EXPECT_TRUE(differs(265, 288, 200, 288));
    EXPECT_TRUE(differs(748, 288, 785, 288));
}

// Characters the game draws: printable ASCII, Latin-1 and every Czech letter.
std::vector<int> needed_characters() {
    std::vector<int> chars;
    for (int c = 0x20; c <= 0x7E; ++c) chars.push_back(c);
    for (int c = 0xA0; c <= 0xFF; ++c) chars.push_back(c);
    for (int c : {0x10C, 0x10D, 0x10E, 0x10F, 0x11A, 0x11B, 0x147, 0x148, 0x158, 0x159, 0x160, 0x161, 0x164, 0x165,
                  0x16E, 0x16F, 0x17D, 0x17E})
        chars.push_back(c);
    return chars;
}

TEST_F(Datafile, FontsHoldEveryCharacterTheGameDraws) {
    BITMAP *canvas = create_bitmap(64, 64);
    for (int id : FONTS) {
        FONT *f = font_of(id);
        EXPECT_TRUE(is_mono_font(f)) << "font " << id << " must draw in the colour of the call";
        for (int c : needed_characters()) {
            bool covered = false;
            for (int r = 0; r < get_font_ranges(f); ++r)
                covered |= c >= get_font_range_begin(f, r) && c <= get_font_range_end(f, r);
            EXPECT_TRUE(covered) << "font " << id << " lacks U+" << std::hex << c;
            char text[8] = {};
            usetc(text, c);
            EXPECT_GT(text_length(f, text), 0) << "font " << id << " U+" << std::hex << c;
            if (c == 0x20 || c == 0xA0 || c == 0xAD) continue;  // blanks and the soft hyphen
            clear_to_color(canvas, 0);
            textout_ex(canvas, f, text, 0, 0, makecol(255, 255, 255), -1);
            int ink = 0;
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x) ink += getpixel(canvas, x, y) != 0;
            EXPECT_GT(ink, 0) << "font " << id << " draws nothing for U+" << std::hex << c;
        }
    }
    destroy_bitmap(canvas);
}

TEST_F(Datafile, AccentsOfCapitalsAndDescendersStayInsideTheLine) {
    // Glyphs are cut at their cell: a caron above Ř or the tail of ý must
    // still show, so the top and bottom rows of some glyph carry ink.
    BITMAP *canvas = create_bitmap(200, 64);
    for (int id : FONTS) {
        FONT *f = font_of(id);
        int h = text_height(f);
        clear_to_color(canvas, 0);
        textout_ex(canvas, f, "ŘŠŽČĎŤŇĚÚŮÝÁ", 0, 0, makecol(255, 255, 255), -1);
        int top_ink = -1;
        for (int y = 0; y < h && top_ink < 0; ++y)
            for (int x = 0; x < 200; ++x)
                if (getpixel(canvas, x, y)) top_ink = y;
        EXPECT_GE(top_ink, 0) << "font " << id;
        EXPECT_LE(top_ink, 2) << "font " << id << ": accents should reach the top of the cell";
        clear_to_color(canvas, 0);
        textout_ex(canvas, f, "ýjgpq", 0, 0, makecol(255, 255, 255), -1);
        int bottom_ink = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 200; ++x)
                if (getpixel(canvas, x, y)) bottom_ink = y;
        EXPECT_GE(bottom_ink, h - 2) << "font " << id << ": descenders should reach the bottom of the cell";
    }
    destroy_bitmap(canvas);
}

TEST_F(Datafile, SidePanelTextsFitTheirColumns) {
    FONT *panel = font_of(RES_FONT_PANEL), *clock = font_of(RES_FONT_CLOCK);
    EXPECT_LE(text_height(panel), 18) << "panel lines stand 18 pixels apart";
    // right-aligned texts end at 147 and must not reach left of 46
    for (const char *t : {"Zahájení tahu", "Ukončení tahu", "Profesionál", "Amatér", "Dvojhra", "Konec hry",
                          "Počítač", "Svatopluk", "Obtížnost", "Nyní hraje", "Stav tahu"})
        EXPECT_LE(text_length(panel, t), 147 - 46) << t;
    EXPECT_LE(text_height(clock), 26) << "clock lines stand 26 pixels apart";
    char text[16];
    for (int d = 0; d <= 9; ++d) {
        std::snprintf(text, sizeof text, "%d%d:%d%d:%d%d", d, d, d, d, d, d);
        EXPECT_LT(54 + text_length(clock, text), 150) << text;
        std::snprintf(text, sizeof text, "%d%d:%d%d", d, d, d, d);
        EXPECT_LT(66 + text_length(clock, text), 150) << text;
        std::snprintf(text, sizeof text, "1%d%d:%d%d", d, d, d, d);
        EXPECT_LT(61 + text_length(clock, text), 150) << text;
    }
}

TEST_F(Datafile, NoticeTextsFitTheirPanels) {
    FONT *f = font_of(RES_FONT_NOTICE);
    EXPECT_LE(text_height(f), 30) << "win panel lines stand 30 pixels apart";
    for (const char *t : {"Poražen byl hráč Počítač", "Zvítězil hráč Počítač", "Celkový čas hry 125:30",
                          "Hra skončila remízou", "Poražen byl hráč Svatopluk"})
        EXPECT_LE(text_length(f, t), 320 - 20) << t;
    for (const char *t : {"Skákat kamenem", "Skákat dámou", "Další skok"}) EXPECT_LE(text_length(f, t), 240 - 20) << t;
}

TEST_F(Datafile, MenuTextsFitTheirPanels) {
    FONT *f = font_of(RES_FONT_MENU);
    const int th = text_height(f);
    EXPECT_LE(th, 22);
    EXPECT_GE(th, 14);
    EXPECT_LE(70 + 5 * th + 20 + th, 225) << "saved-games panel";
    EXPECT_LE(70 + 4 * th + 20 + th, 210) << "settings panel";
    EXPECT_LE(90 + 3 * th + th, 190) << "sound panel";
    for (const char *t : {"<> Nová hra", "<> Pokračovat", "<> Spustit načtenou hru", "<> Ukončit hru",
                          "<> Nastavení hry", "<> Zvukové volby", "<> Editace jmen", "<> Uložit hru", "<> Načíst hru",
                          "<> Autoři", "<> Nápověda", "<> Konec"})
        EXPECT_LT(70 + text_length(f, t), 300) << t;
    // a label and the value right-aligned at 680 on the same line keep apart
    struct Pair {
        const char *label, *value;
    } pairs[] = {{"<> Soupeř", "počítač"},        {"<> Obtížnost", "profesionál"}, {"<> Počítač za", "modré"},
                 {"<> Počet kamenů", "12"},        {"<> Pozice 5", "uložená hra"},  {"<> 5 pozice", "volné místo"},
                 {"<> První jméno", "Svatopluk"}, {"<> Druhé jméno", "Počítač"},   {"<> Skladby", "Dream of you"},
                 {"<> Skladby", "Spring 2003"}};
    for (const Pair &p : pairs) EXPECT_LT(420 + text_length(f, p.label) + 12, 680 - text_length(f, p.value)) << p.label;
    // the sound screen writes "   Hudba" over its "<>" and another "<>" at 520
    EXPECT_GT(text_length(f, "   "), text_length(f, "<>") + 3);
    EXPECT_LT(420 + text_length(f, "   Hudba"), 520 - 4);
    EXPECT_LT(420 + text_length(f, "   Zvuk"), 520 - 4);
    EXPECT_LT(520 + text_length(f, "<>"), 680 - text_length(f, "100%"));
}

TEST_F(Datafile, HelpLinesFitTheHelpPanel) {
    FONT *f = font_of(RES_FONT_PANEL);
    EXPECT_LE(text_height(f), 20);
    const char *lines[] = {"Talvena 2004 je hrou pro jednoho nebo dva hráče. Hraje se",
                           "na poli o 8 sloupcích a 8 řadách. Cílem každého hráče",
                           "je brát kameny soupeře skoky povolenými pravidly hry.",
                           "Pokud skončíte tah nebo skok svým kamenem na protilehlé",
                           "straně hracího pole, stává se z tohoto kamene dáma.",
                           "Poražen je hráč, jemuž nezbude žádný kámen nebo dáma,",
                           "s nimiž by mohl odehrát svůj následující tah. Hra skončí",
                           "remízou, pokud během předchozích 15 tahů nedošlo k pohybu",
                           "Pole, kam je možno táhnout či skákat, je při pohybu myši",
                           "označeno, stejně tak pole, kam táhnout nelze. Pokud",
                           "provedete nepřípustný tah, jste upozorněni a musíte",
                           "V menu si pro hru můžete nastavit obtížnost soupeře,",
                           "barvu kamenů a jejich počet. Česká dáma se hraje"};
    for (const char *t : lines) EXPECT_LE(text_length(f, t), 400) << t;
}

TEST_F(Datafile, SamplesAreShortAudibleMonoSounds) {
    std::vector<std::vector<int>> shapes;
    for (int id = RES_SND_PICK; id < RES_COUNT; ++id) {
        SAMPLE *s = sample_of(id);
        EXPECT_TRUE(s->bits == 8 || s->bits == 16) << "object " << id;
        EXPECT_EQ(s->stereo, 0) << "object " << id;
        EXPECT_TRUE(s->freq == 22050 || s->freq == 44100) << "object " << id;
        EXPECT_LT(static_cast<double>(s->len) / s->freq, 0.4) << "object " << id;
        EXPECT_GT(static_cast<double>(s->len) / s->freq, 0.03) << "object " << id;
        int peak = 0;
        std::vector<int> v;
        for (unsigned long i = 0; i < s->len; ++i) {
            int x = s->bits == 16 ? static_cast<int>(static_cast<uint16_t *>(s->data)[i]) - 0x8000
                                  : (static_cast<int>(static_cast<uint8_t *>(s->data)[i]) - 0x80) * 256;
            peak = std::max(peak, std::abs(x));
            v.push_back(x);
        }
        EXPECT_GT(peak, 8000) << "object " << id << " is nearly silent";
        EXPECT_LT(std::abs(v.back()), 300) << "object " << id << " ends with a click";
        shapes.push_back(v);
    }
    // the three move sounds are variations, not copies
    EXPECT_NE(shapes[1], shapes[2]);
    EXPECT_NE(shapes[2], shapes[3]);
    EXPECT_NE(shapes[1], shapes[3]);
}

TEST_F(Datafile, LibraryConfigurationSelectsWindowedX11AndAlsa) {
    push_config_state();
    set_config_file("Data/allegro.cfg");
    EXPECT_EQ(get_config_id("graphics", "gfx_card", 0), GFX_XWINDOWS);
    EXPECT_EQ(get_config_id("sound", "digi_card", 0), DIGI_ALSA);
    // The window's scale, there for a player to change: automatic.
    EXPECT_EQ(get_config_int("talvena", "scale", -1), 0);
    pop_config_state();
}

// Building twice gives the same bytes, so the data never changes unless its
// generator does.
TEST_F(Datafile, GeneratorOutputIsReproducible) {
    std::FILE *tool = std::fopen("tools/talvena_assets", "rb");
    ASSERT_NE(tool, nullptr) << "tools/talvena_assets in the build directory";
    std::fclose(tool);
    char dir[] = "/tmp/talvena_assets_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string out = dir;
    ASSERT_EQ(std::system(("tools/talvena_assets " + out).c_str()), 0);
    std::vector<char> again = read_all(out + "/Data/talvena.dat"), built = read_all("Data/talvena.dat");
    EXPECT_GT(built.size(), 100000u);  // compressed, yet far more than a stub
    EXPECT_TRUE(again == built) << "a second run produced different bytes";
    EXPECT_TRUE(read_all(out + "/Data/allegro.cfg") == read_all("Data/allegro.cfg"));
    std::remove((out + "/Data/talvena.dat").c_str());
    std::remove((out + "/Data/allegro.cfg").c_str());
    std::remove((out + "/Data").c_str());
    std::remove((out + "/Hudba").c_str());
    std::remove(out.c_str());
}

}  // namespace
