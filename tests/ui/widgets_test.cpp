// Hit tests, click tracking and the input side of a screen pass.
#include "ui/widgets.h"

#include <gtest/gtest.h>

namespace {

TEST(LabelHit, LeftAndTopEdgesOutsideRightAndBottomInside) {
    Label l = {10, 20, 30, 8, "<> Konec"};
    Label* labels[] = {&l};
    EXPECT_EQ(label_hit(10, 25, labels, 1), -1);  // left edge
    EXPECT_EQ(label_hit(20, 20, labels, 1), -1);  // top edge
    EXPECT_EQ(label_hit(11, 21, labels, 1), 0);
    EXPECT_EQ(label_hit(40, 28, labels, 1), 0);   // right and bottom edges
    EXPECT_EQ(label_hit(41, 25, labels, 1), -1);
    EXPECT_EQ(label_hit(25, 29, labels, 1), -1);
    EXPECT_EQ(label_hit(25, 25, labels, 0), -1);  // no labels counted
}

TEST(LabelHit, OverlapGoesToTheLowerIndex) {
    Label a = {0, 0, 100, 20, "a"};
    Label b = {50, 10, 100, 20, "b"};
    Label* labels[] = {&a, &b};
    EXPECT_EQ(label_hit(60, 15, labels, 2), 0);
    EXPECT_EQ(label_hit(120, 15, labels, 2), 1);
    EXPECT_EQ(label_hit(60, 25, labels, 2), 1);
    Label* reversed[] = {&b, &a};
    EXPECT_EQ(label_hit(60, 15, reversed, 2), 0);
    EXPECT_EQ(label_hit(20, 15, reversed, 2), 1);
}

TEST(ClickTracking, ClickOnReleaseLastingOnePass) {
    ClickTracker c = CLICK_IDLE;
    track_click(c, 0);
    EXPECT_EQ(c, CLICK_IDLE);
    track_click(c, 1);
    EXPECT_EQ(c, CLICK_PRESSED);
    track_click(c, 1);  // held: still one press
    EXPECT_EQ(c, CLICK_PRESSED);
    track_click(c, 2);  // the right button alone is no left press
    EXPECT_EQ(c, CLICK_CLICKED);
    track_click(c, 0);
    EXPECT_EQ(c, CLICK_IDLE);
    // Pressed again right in the pass after a click: a new press.
    track_click(c, 1);
    track_click(c, 0);
    EXPECT_EQ(c, CLICK_CLICKED);
    track_click(c, 1);
    EXPECT_EQ(c, CLICK_PRESSED);
}

struct Record {
    int acted[4];
    int updates;
};

void count_act(Screen& s, int32_t index) {
    static_cast<Record*>(s.data)->acted[index]++;
    if (index == s.count - 1) s.done = 1;
}
void count_update(Screen& s) { static_cast<Record*>(s.data)->updates++; }

class ScreenPass : public ::testing::Test {
protected:
    Label lines[3] = {{70, 70, 100, 20, "<> A"}, {70, 90, 100, 20, "<> B"}, {70, 130, 100, 20, "<> Opustit"}};
    Record rec = {};
    Screen s = {};
    void SetUp() override {
        s.left = 50;
        s.right = 310;
        s.top = 50;
        s.bottom = 200;
        s.count = 3;
        s.data = &rec;
        s.act = count_act;
        s.update = count_update;
        for (int i = 0; i < 3; i++) s.labels[i] = &lines[i];
        s.hover = -1;
    }
};

TEST_F(ScreenPass, PressOutsideReleaseOnALabelActivatesIt) {
    screen_pass(s, 300, 300, 1);
    EXPECT_EQ(s.hover, -1);
    screen_pass(s, 80, 80, 0);
    EXPECT_EQ(s.hover, 0);
    EXPECT_EQ(rec.acted[0], 1);
    screen_pass(s, 80, 80, 0);  // the click lasts one pass
    EXPECT_EQ(rec.acted[0], 1);
    EXPECT_EQ(rec.updates, 3);
}

TEST_F(ScreenPass, PressOnALabelReleaseOutsideActivatesNothing) {
    screen_pass(s, 80, 80, 1);
    screen_pass(s, 300, 300, 0);
    EXPECT_EQ(rec.acted[0] + rec.acted[1] + rec.acted[2], 0);
    EXPECT_EQ(s.click, CLICK_CLICKED);
}

TEST_F(ScreenPass, LastLineLeaves) {
    screen_pass(s, 80, 140, 1);
    screen_pass(s, 80, 140, 0);
    EXPECT_EQ(rec.acted[2], 1);
    EXPECT_EQ(s.done, 1);
}

int32_t skip_second(const Screen& s, int32_t mx, int32_t my) {
    const int32_t i = label_hit(mx, my, s.labels, s.count);
    return i == 1 ? -1 : i;
}
int32_t second_disabled_third_edited(const Screen&, int32_t index) {
    return index == 1 ? LOOK_DISABLED : index == 2 ? LOOK_HIGHLIGHT : LOOK_NORMAL;
}

TEST_F(ScreenPass, OwnHitTestAndLineLooks) {
    s.hit = skip_second;
    s.look = second_disabled_third_edited;
    screen_pass(s, 80, 100, 1);
    screen_pass(s, 80, 100, 0);
    EXPECT_EQ(rec.acted[1], 0);
    EXPECT_EQ(s.hover, -1);
    EXPECT_EQ(screen_line_look(s, 0), LOOK_NORMAL);
    EXPECT_EQ(screen_line_look(s, 1), LOOK_DISABLED);
    EXPECT_EQ(screen_line_look(s, 2), LOOK_HIGHLIGHT);
    screen_pass(s, 80, 80, 0);
    EXPECT_EQ(screen_line_look(s, 0), LOOK_HIGHLIGHT);
    // A disabled line never shows the hover colour.
    s.hover = 1;
    EXPECT_EQ(screen_line_look(s, 1), LOOK_DISABLED);
}

TEST_F(ScreenPass, LinePlacement) {
    EXPECT_EQ(screen_line_y(s, 0, 16), 70);
    EXPECT_EQ(screen_line_y(s, 1, 16), 86);
    EXPECT_EQ(screen_line_y(s, 2, 16), 50 + 20 + 2 * 16 + 20);  // the leaving line sits 20 px lower
}

}  // namespace
