// The help and credits screens and a name with Czech letters, drawn on
// memory bitmaps with the real datafile and no window. Each test leaves its
// picture in gfx-shots/ of the build directory for people to look at.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "app/game_state.h"
#include "app/resources.h"
#include "ui/gfx_datafile.h"
#include "ui/names_screen.h"
#include "ui/text_screens.h"
#include "ui/toolkit.h"

namespace {

class TextScreens : public ::testing::Test {
protected:
    static void SetUpTestSuite() { load_datafile_without_display(); }

    BITMAP* a = nullptr;
    BITMAP* b = nullptr;
    void SetUp() override {
        ASSERT_NE(datafile, nullptr);
        a = create_bitmap(800, 600);
        b = create_bitmap(800, 600);
        // The main menu's frame, as the screens are opened over it
        // (draw_menu_backdrop copies SCREEN_W x SCREEN_H, 0 x 0 without a mode).
        blit(res_bitmap(RES_MENU_BACKGROUND), a, 0, 0, 0, 0, 800, 600);
        draw_panel(50, 310, 50, 410, a);
        clear_to_color(b, makecol(0, 0, 0));
    }
    void TearDown() override {
        destroy_bitmap(a);
        destroy_bitmap(b);
    }

    static void keep(BITMAP* bmp, const std::string& name) {
        mkdir("gfx-shots", 0755);
        EXPECT_EQ(save_bitmap(("gfx-shots/" + name + ".bmp").c_str(), bmp, nullptr), 0);
    }

    static bool is_text(BITMAP* bmp, int x, int y) { return getpixel(bmp, x, y) == makecol(170, 170, 170); }

    // Leftmost and rightmost text pixel in a box; -1 when there is none.
    static void text_extent(BITMAP* bmp, int x1, int y1, int x2, int y2, int& left, int& right) {
        left = right = -1;
        for (int y = y1; y <= y2; y++)
            for (int x = x1; x <= x2; x++)
                if (is_text(bmp, x, y)) {
                    if (left < 0 || x < left) left = x;
                    if (x > right) right = x;
                }
    }
    static int differing_pixels(BITMAP* x, BITMAP* y) {
        int n = 0;
        for (int j = 0; j < 600; j++)
            for (int i = 0; i < 800; i++) n += getpixel(x, i, j) != getpixel(y, i, j);
        return n;
    }
};

TEST_F(TextScreens, HelpLinesEndAtTheRightMarginOrStayLeftAligned) {
    draw_help(a);
    keep(a, "help");
    const int h = text_height(res_font(RES_FONT_PANEL));
    int left, right;
    // The shade keeps the picture under the panel far darker than the text:
    // inside the panel only text has the text colour.
    text_extent(a, 341, 51, 779, 559, left, right);
    EXPECT_GE(left, 360);
    EXPECT_LE(right, 760) << "no line runs past the margin";

    struct Line {
        int y;
        bool justified;
    };
    // Full body lines are justified; the title, the headings and the short
    // last lines of paragraphs are left as they stand.
    for (Line line : {Line{80, false}, Line{110, false}, Line{130, true}, Line{190, true}, Line{300, true},
                      Line{320, false}, Line{430, false}, Line{460, false}, Line{500, true}, Line{520, false}}) {
        text_extent(a, 341, line.y, 779, line.y + h - 1, left, right);
        EXPECT_LE(left, 362) << "line at " << line.y;
        if (line.justified) {
            EXPECT_GE(right, 755) << "line at " << line.y;
        } else {
            EXPECT_GT(right, 380) << "line at " << line.y;
            EXPECT_LT(right, 600) << "line at " << line.y;
        }
    }
}

TEST_F(TextScreens, UnjustifiableLinesAreDrawnAsTheyStand) {
    FONT* f = res_font(RES_FONT_PANEL);
    const int grey = makecol(170, 170, 170);
    const char* lines[] = {
        "Doplnění:",                 // one word
        "kamenem a nebo ke skoku.",  // more than 200 px of room
        // wider than 400 px
        "Talvena 2004 je hrou pro jednoho nebo dva hráče. Hraje se na poli o 8 sloupcích.",
    };
    for (const char* text : lines) {
        clear_to_color(a, makecol(0, 0, 0));
        clear_to_color(b, makecol(0, 0, 0));
        draw_justified(a, f, text, 360, 760, 100, 200, grey);
        textout_ex(b, f, text, 360, 100, grey, -1);
        EXPECT_EQ(differing_pixels(a, b), 0) << text;
    }
    // A line that fits is not drawn as it stands.
    clear_to_color(a, makecol(0, 0, 0));
    clear_to_color(b, makecol(0, 0, 0));
    draw_justified(a, f, "je brát kameny soupeře skoky povolenými pravidly hry.", 360, 760, 100, 200, grey);
    textout_ex(b, f, "je brát kameny soupeře skoky povolenými pravidly hry.", 360, 100, grey, -1);
    EXPECT_GT(differing_pixels(a, b), 100);
}

TEST_F(TextScreens, CreditsInsideTheirPanelWithTheClosingLineCentred) {
    draw_credits(a);
    keep(a, "credits");
    int left, right;
    text_extent(a, 341, 51, 779, 359, left, right);
    EXPECT_GE(left, 360);
    EXPECT_LT(right, 770);
    text_extent(a, 341, 315, 779, 315 + text_height(res_font(RES_FONT_PANEL)) - 1, left, right);
    ASSERT_GT(right, left);
    EXPECT_NEAR((left + right) / 2.0, 560, 4);
    // Nothing drawn below the panel.
    text_extent(a, 0, 361, 799, 599, left, right);
    EXPECT_EQ(right, -1);
}

TEST_F(TextScreens, ANameWithCzechLettersIsDrawnAsItsUtf8Text) {
    // The names editor while the second name is typed.
    const int32_t first[NAME_LEN] = {0x10C, 'e', 'n', 0x11B, 'k'};
    const int32_t second[NAME_LEN] = {0x158, 'e', 'h', 'o', 0x159};
    draw_panel(400, 700, 50, 170, a);
    const int th = text_height(res_font(RES_FONT_MENU));
    const char* texts[] = {"<> První jméno", "<> Druhé jméno", "<> Opustit"};
    const int ys[] = {70, 70 + th, 70 + 2 * th + 20};
    const int looks[] = {LOOK_DISABLED, LOOK_HIGHLIGHT, LOOK_DISABLED};
    for (int i = 0; i < 3; i++) {
        Label* l = label_new(texts[i], 420, ys[i]);
        draw_label(a, *l, line_colour(looks[i]));
        delete l;
    }
    draw_name(a, first, 680, ys[0], line_colour(looks[0]));
    draw_name(a, second, 680, ys[1], line_colour(looks[1]));
    keep(a, "names");

    FONT* f = res_font(RES_FONT_MENU);
    const int orange = makecol(255, 180, 0);
    clear_to_color(a, makecol(0, 0, 0));
    draw_name(a, first, 680, 100, orange);
    textout_right_ex(b, f, "Čeněk", 680, 100, orange, -1);
    EXPECT_EQ(differing_pixels(a, b), 0);
    // The accents are really drawn: without them the picture differs.
    clear_to_color(b, makecol(0, 0, 0));
    textout_right_ex(b, f, "Cenek", 680, 100, orange, -1);
    EXPECT_GT(differing_pixels(a, b), 0);
}

}  // namespace
