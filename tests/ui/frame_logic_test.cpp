// The frame loop's pacing and its test of an unchanged picture: a skipped
// frame must be one that would look the same, and no pass may come later
// than the timer's next tick unless the pass before it ran late.
#include "ui/frame_logic.h"

#include <gtest/gtest.h>

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

}  // namespace
