// The toolkit's and the notices' drawing on memory bitmaps, with the real
// datafile and no window.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "app/game_state.h"
#include "app/resources.h"
#include "ui/gfx_datafile.h"
#include "play/notices.h"
#include "ui/toolkit.h"

namespace {

class Drawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { load_datafile_without_display(); }

    BITMAP* a = nullptr;
    BITMAP* b = nullptr;
    void SetUp() override {
        ASSERT_NE(datafile, nullptr);
        a = create_bitmap(800, 600);
        b = create_bitmap(800, 600);
        clear_to_color(a, makecol(90, 120, 60));
        clear_to_color(b, makecol(90, 120, 60));
        settings.opponent = OPPONENT_HUMAN;
        settings.computer_side = RED;
    }
    void TearDown() override {
        destroy_bitmap(a);
        destroy_bitmap(b);
    }

    static int differing_pixels(BITMAP* x, BITMAP* y) {
        int n = 0;
        for (int j = 0; j < 600; j++)
            for (int i = 0; i < 800; i++) n += getpixel(x, i, j) != getpixel(y, i, j);
        return n;
    }

    // What a notice line must look like: the literal UTF-8 text, centred.
    static void line(BITMAP* bmp, int y, const char* text) {
        textout_centre_ex(bmp, res_font(RES_FONT_NOTICE), text, 507, y, makecol(220, 220, 250), -1);
    }
};

TEST_F(Drawing, PanelShadesAndFramesIncludingRightAndBottomEdges) {
    clear_to_color(a, makecol(200, 160, 80));
    draw_panel(10, 50, 20, 60, a);
    const int inside = getpixel(a, 30, 40);
    // 55/255 of the colour remains under a black shade of alpha 200.
    EXPECT_NEAR(getr16(inside), 200 * 55 / 255, 9);
    EXPECT_NEAR(getg16(inside), 160 * 55 / 255, 9);
    EXPECT_NEAR(getb16(inside), 80 * 55 / 255, 9);
    for (int corner : {getpixel(a, 10, 20), getpixel(a, 50, 60), getpixel(a, 50, 40), getpixel(a, 30, 60)}) {
        EXPECT_GE(getr16(corner), 245);
        EXPECT_GE(getg16(corner), 245);
        EXPECT_GE(getb16(corner), 245);
    }
    EXPECT_EQ(getpixel(a, 51, 40), makecol(200, 160, 80));
    EXPECT_EQ(getpixel(a, 30, 61), makecol(200, 160, 80));
    EXPECT_EQ(getpixel(a, 9, 40), makecol(200, 160, 80));
}

TEST_F(Drawing, LabelsMeasureAndPrintTheirTextLiterally) {
    Label* l = label_new("<> 100% hlasitost", 70, 100);
    EXPECT_EQ(l->w, text_length(res_font(RES_FONT_MENU), "<> 100% hlasitost"));
    EXPECT_EQ(l->h, text_height(res_font(RES_FONT_MENU)));
    EXPECT_GT(l->w, 40);
    draw_label(a, *l, line_colour(LOOK_HIGHLIGHT));
    textout_ex(b, res_font(RES_FONT_MENU), "<> 100% hlasitost", 70, 100, makecol(255, 180, 0), -1);
    EXPECT_EQ(differing_pixels(a, b), 0);
    delete l;
}

TEST_F(Drawing, LineColours) {
    EXPECT_EQ(line_colour(LOOK_HIGHLIGHT), makecol(255, 180, 0));
    EXPECT_EQ(line_colour(LOOK_NORMAL), makecol(200, 200, 200));
    EXPECT_EQ(line_colour(LOOK_DISABLED), makecol(100, 100, 100));
}

TEST_F(Drawing, NoticeBox) {
    notice_box("Skákat kamenem", a);
    draw_panel(387, 627, 200, 300, b);
    line(b, 240, "Skákat kamenem");
    EXPECT_EQ(differing_pixels(a, b), 0);
}

TEST_F(Drawing, WinOfTheFirstPlayerAgainstTheComputer) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = RED;
    win_message(BLUE, 7, 4, a);
    draw_panel(347, 667, 180, 340, b);
    line(b, 200, "Zvítězil hráč Modrý");
    line(b, 230, "Poražen byl hráč Počítač");
    line(b, 300, "Celkový čas hry 07:04");
    EXPECT_EQ(differing_pixels(a, b), 0);
}

TEST_F(Drawing, WinOfTheComputerSwapsTheNames) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = RED;
    win_message(RED, 125, 30, a);
    draw_panel(347, 667, 180, 340, b);
    line(b, 200, "Zvítězil hráč Počítač");
    line(b, 230, "Poražen byl hráč Modrý");
    line(b, 300, "Celkový čas hry 125:30");
    EXPECT_EQ(differing_pixels(a, b), 0);
}

TEST_F(Drawing, WinInATwoPlayerGame) {
    win_message(RED, 0, 9, a);
    draw_panel(347, 667, 180, 340, b);
    line(b, 200, "Zvítězil hráč Rudý");
    line(b, 230, "Poražen byl hráč Modrý");
    line(b, 300, "Celkový čas hry 00:09");
    EXPECT_EQ(differing_pixels(a, b), 0);
}

TEST_F(Drawing, DrawnGameMessage) {
    draw_message(10, 0, a);
    draw_panel(347, 667, 200, 300, b);
    line(b, 220, "Hra skončila remízou");
    line(b, 260, "Celkový čas hry 10:00");
    EXPECT_EQ(differing_pixels(a, b), 0);
}

}  // namespace
