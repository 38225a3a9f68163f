// The frame loop's pacing and its test of an unchanged picture: a skipped
// frame must be one that would look the same, and no pass may come later
// than the timer's next tick unless the pass before it ran late.
#include "ui/frame_logic.h"

#include <gtest/gtest.h>

#include <thread>

#include "ui/menu_logic.h"
#include "ui/menu_result.h"
#include "ui/names_logic.h"

namespace {

TEST(FramePacing, PassesFollowTheTickAndALatePassStartsAfresh) {
    FramePacer p = {0};
    const struct {
        int64_t ended_at;  // when a pass ended, microseconds
        int64_t sleep;     // until the next one begins
    } passes[] = {
        {1000000, 4000},  // the first pass waits one interval
        {1004300, 3700},  // on schedule: the work of a pass comes off the wait
        {1008000, 4000},
        {1015000, 1000},  // behind by less than an interval: only the rest
        {1016100, 3900},
        {1050000, 4000},  // a screen was open on top: no run of missed passes
        {1054000, 4000},
    };
    for (const auto& pass : passes) EXPECT_EQ(frame_sleep_us(p, pass.ended_at), pass.sleep) << pass.ended_at;
}

int32_t no_key() { return -1; }
void no_clear() {}

TEST(PictureKey, FollowsWhatTheScreenShowsAndNothingElse) {
    Label lines[3] = {{420, 70, 120, 19, "<> První jméno"}, {420, 89, 120, 19, "<> Druhé jméno"},
                      {420, 128, 80, 19, "<> Opustit"}};
    const Settings kept = settings;
    NamesEditor e = {};
    names_begin(e, settings);
    e.read_key = no_key;
    e.clear_keys = no_clear;
    Screen s = {};
    names_setup(s, e);
    for (int i = 0; i < 3; i++) s.labels[i] = &lines[i];
    s.hover = -1;

    const uint64_t still = screen_picture_key(s);
    screen_pass(s, 10, 10, 0);
    EXPECT_EQ(screen_picture_key(s), still) << "a pass that changes nothing keeps the picture";
    screen_pass(s, 450, 130, 0);
    EXPECT_NE(screen_picture_key(s), still) << "hover";
    screen_pass(s, 10, 10, 0);
    EXPECT_EQ(screen_picture_key(s), still);
    names_key(e, 'x');  // ignored while browsing
    EXPECT_EQ(screen_picture_key(s), still);
    screen_pass(s, 450, 75, 1);
    screen_pass(s, 450, 75, 0);  // the first name is being edited
    const uint64_t editing = screen_picture_key(s);
    EXPECT_NE(editing, still);
    names_key(e, 'x');
    EXPECT_NE(screen_picture_key(s), editing) << "a typed letter";
    settings.music_volume += 5;
    EXPECT_NE(screen_picture_key(s), editing) << "a setting a screen may show";
    settings = kept;
}

TEST(MouseLatch, APressAndReleaseBetweenTwoPassesReachTheMenuAsAClick) {
    MouseLatch l;
    latch_mouse(l, {100, 100, 0});
    Label items[MENU_ITEM_COUNT];
    MenuState m = {};
    for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
        items[i] = {MENU_ITEM_X, MENU_ITEM_Y + MENU_PITCH * i, 150, 19, MENU_TEXTS[i]};
        m.labels[i] = &items[i];
    }
    menu_start(m);
    auto pass = [&] {
        const MouseState in = take_mouse(l);
        menu_pass(m, in.x, in.y, in.buttons);
        return in;
    };
    pass();
    // Both changes arrive before the next pass, on "Konec"; the pointer has
    // moved on by the time the passes run.
    latch_mouse(l, {100, 380, 0});
    latch_mouse(l, {100, 380, 1});
    latch_mouse(l, {100, 380, 0});
    latch_mouse(l, {300, 500, 0});
    const MouseState down = pass();
    EXPECT_EQ(down.buttons, 1);
    EXPECT_EQ(m.result, -1) << "acts on the release, as a held click does";
    const MouseState up = pass();
    EXPECT_EQ(up.buttons, 0);
    EXPECT_EQ(up.y, 380) << "at the place of the release";
    EXPECT_EQ(m.result, MENU_QUIT);
    const MouseState after = pass();
    EXPECT_EQ(after.x, 300) << "then the pointer as it is now";
    EXPECT_EQ(mouse_now(l).y, 500);
}

TEST(MouseLatch, EveryChangeFromAnotherThreadArrivesOnceInOrder) {
    MouseLatch l;
    constexpr int CLICKS = 20000;
    std::thread input([&l] {
        for (int i = 0; i < CLICKS; i++) {
            latch_mouse(l, {i % 800, 1, 0});  // a move: no change of the buttons
            latch_mouse(l, {i % 800, 2, 1});
            latch_mouse(l, {i % 800, 3, 0});
            // A game thread that falls 64 changes behind loses the newest;
            // this one keeps up, as the frame loop does.
            while (l.head.load() - l.tail.load() > MOUSE_QUEUE_SIZE / 2) std::this_thread::yield();
        }
    });
    int presses = 0, releases = 0, out_of_order = 0;
    while (releases < CLICKS) {
        if (l.tail.load() == l.head.load()) {
            std::this_thread::yield();  // no change waiting: take_mouse would answer the state now
            continue;
        }
        const MouseState m = take_mouse(l);
        const bool press_due = presses == releases;
        out_of_order += press_due ? m.buttons != 1 || m.y != 2 || m.x != presses % 800 : m.buttons != 0 || m.y != 3;
        (m.buttons == 1 ? presses : releases)++;
    }
    input.join();
    EXPECT_EQ(presses, CLICKS);
    EXPECT_EQ(out_of_order, 0);
    EXPECT_EQ(l.head.load(), l.tail.load());
}

TEST(WindowScale, LargestThatFitsOrTheOneAskedForAndTheMouseMappedBack) {
    struct Case {
        int32_t configured, desktop_w, desktop_h, scale;
    };
    const Case cases[] = {
        {0, 800, 600, 1},   {0, 1920, 1080, 1}, {0, 1920, 1200, 1},  // no room left for a panel
        {0, 2560, 1440, 2}, {0, 2560, 1600, 2}, {0, 3440, 1440, 2},  // the height decides
        {0, 3840, 2160, 3}, {0, 5120, 2880, 4}, {0, 16000, 12000, MAX_WINDOW_SCALE},
        {0, 1632, 1296, 2}, {0, 1631, 1296, 1}, {0, 1632, 1295, 1},  // exactly the room, and a pixel short
        {0, 0, 0, 1},       {0, 640, 480, 1},                        // unknown, too small
        {3, 1920, 1080, 3}, {1, 3840, 2160, 1}, {-1, 2560, 1440, 2}, {9, 2560, 1440, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(window_scale(c.configured, c.desktop_w, c.desktop_h), c.scale)
            << c.configured << " on " << c.desktop_w << "x" << c.desktop_h;

    struct Mouse {
        MouseState window;
        int32_t scale;
        int32_t x, y;
    };
    const Mouse mice[] = {{{799, 599, 1}, 1, 799, 599}, {{551, 113, 2}, 2, 275, 56}, {{550, 112, 2}, 2, 275, 56},
                          {{1600, 1200, 0}, 2, 799, 599}, {{2399, 5, 1}, 3, 799, 1}, {{-4, -1, 0}, 2, 0, 0},
                          {{30, 40, 0}, 0, 30, 40}};
    for (const Mouse& m : mice) {
        const MouseState p = picture_mouse(m.window, m.scale);
        EXPECT_EQ(p.x * 10000 + p.y, m.x * 10000 + m.y) << m.window.x << "," << m.window.y << " at " << m.scale;
        EXPECT_EQ(p.buttons, m.window.buttons);
    }
}

}  // namespace
