// The sound options screen pass by pass: hold-to-repeat timing, the
// volumes' range, the track choice restarting the music, the disabled music
// lines without music, and how the texts are drawn.
#include "ui/sound_options.h"

#include <gtest/gtest.h>

#include "audio/audio_fixture.h"

namespace {

using namespace audio_test;

const char* DREAM = "Hudba/DreamOfYou.mp3";
const char* SPRING = "Hudba/Spring2003.mp3";

class SoundOptionsPass : public MusicTest {
protected:
    static constexpr int32_t TH = 24;  // a menu font's height
    Label boxes[SOUND_LINES];
    SoundOptions s;
    int32_t ticks = 0;  // the timer as this screen's shell keeps it
    static inline std::string dir, track;

    static void SetUpTestSuite() {
        dir = make_temp_dir();
        track = make_tone_mp3(dir, "t.mp3", 0.5, 440);
        ASSERT_FALSE(track.empty()) << "sox and lame make the test track";
    }
    static void TearDownTestSuite() { remove_dir(dir); }

    void SetUp() override {
        MusicTest::SetUp();
        for (int32_t i = 0; i < SOUND_LINES; i++) {
            int32_t x = 0, y = 0;
            sound_line_place(i, TH, x, y);
            boxes[i] = {x, y, i < SOUND_TRACK ? 20 : 110, TH, SOUND_LINE_TEXTS[i]};
            s.labels[i] = &boxes[i];
        }
        sound_options_start(s);
    }

    void with_music(int32_t music_track) {
        rec().files[DREAM] = track;
        rec().files[SPRING] = track;
        settings.music_track = music_track;
        music_restart();
        ASSERT_NE(music_stream, nullptr);
    }

    // One pass with the pointer on line `line` (-1: on nothing) and the
    // left button down or up, after the timer has run `elapsed` ticks.
    void pass(int32_t line, bool down, int32_t elapsed = 0) {
        ticks += elapsed;
        const int32_t mx = line < 0 ? 10 : boxes[line].x + boxes[line].w / 2;
        const int32_t my = line < 0 ? 10 : boxes[line].y + boxes[line].h / 2;
        const SoundOutput out = sound_options_pass(s, {mx, my, down ? 1 : 0, ticks, music_stream != nullptr});
        if (out.ticks_reset) ticks = 0;
        s.music = sound_options_music(out);
    }

    // Holds the button on `line`, one tick a pass, until `actions` actions
    // happened; answers the ticks counted before each one.
    std::vector<int32_t> hold(int32_t line, int32_t actions, int32_t* watched) {
        std::vector<int32_t> waits;
        int32_t since = 0;
        while (static_cast<int32_t>(waits.size()) < actions && since < 1000) {
            const int32_t before = *watched;
            pass(line, true, 1);
            since++;
            if (*watched != before || ticks == 0) {
                waits.push_back(since);
                since = 0;
            }
        }
        return waits;
    }
};

TEST_F(SoundOptionsPass, HeldArrowRepeatsFasterAndAReleaseStartsSlowAgain) {
    settings.sound_volume = 0;
    const std::vector<int32_t> waits = hold(SOUND_EFFECTS_UP, 12, &settings.sound_volume);
    // 50 ticks and then 5 fewer each time down to 10; the action needs more than the delay.
    EXPECT_EQ(waits, (std::vector<int32_t>{51, 46, 41, 36, 31, 26, 21, 16, 11, 11, 11, 11}));
    EXPECT_EQ(settings.sound_volume, 60);

    // Released: a short press gets nothing, as ticks was reset by the last action.
    pass(SOUND_EFFECTS_UP, false, 1);
    pass(SOUND_EFFECTS_UP, false, 1);
    for (int i = 0; i < 40; i++) pass(SOUND_EFFECTS_UP, true, 1);
    pass(SOUND_EFFECTS_UP, false, 1);
    EXPECT_EQ(settings.sound_volume, 60);
    // A press long after the last action acts in its first pass.
    pass(SOUND_EFFECTS_UP, false, 200);
    pass(SOUND_EFFECTS_UP, true);
    EXPECT_EQ(settings.sound_volume, 65);
    EXPECT_EQ(ticks, 0);
    // Sliding off while held acts on what is under the pointer now; on
    // nothing, nothing happens.
    pass(SOUND_EFFECTS_DOWN, true, 46);
    EXPECT_EQ(settings.sound_volume, 60);
    pass(-1, true, 41);
    EXPECT_EQ(settings.sound_volume, 60);
    EXPECT_EQ(s.done, 0);
}

struct RangeCase {
    const char* what;
    int32_t up, down;
    int32_t Settings::*volume;
    bool music;
};

TEST_F(SoundOptionsPass, FiftyOneActionsRunAVolumeFromSilentToFullAndBack) {
    const RangeCase cases[] = {
        {"effects, without music", SOUND_EFFECTS_UP, SOUND_EFFECTS_DOWN, &Settings::sound_volume, false},
        {"music", SOUND_MUSIC_UP, SOUND_MUSIC_DOWN, &Settings::music_volume, true},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.music) with_music(TRACK_DREAM);
        int32_t& volume = settings.*c.volume;
        volume = 0;
        std::vector<int32_t> seen;
        for (int i = 0; i < 55; i++) {
            pass(c.up, true, 60);
            seen.push_back(volume);
            if (c.music) {
                EXPECT_EQ(rec().volume, volume) << "applied to the playing track at once";
            }
        }
        EXPECT_EQ(seen[49], 250);
        EXPECT_EQ(seen[50], 255);
        EXPECT_EQ(seen.back(), 255);
        for (int i = 0; i < 55; i++) {
            pass(c.down, true, 60);
            seen.push_back(volume);
        }
        EXPECT_EQ(seen[55 + 49], 5);
        EXPECT_EQ(seen[55 + 50], 0);
        EXPECT_EQ(seen.back(), 0);
        pass(c.down, false);
        music_close(music_stream);
        music_stream = nullptr;
    }
}

TEST_F(SoundOptionsPass, AVolumeOffTheStepStaysAVolume) {
    const struct {
        int32_t from, line, to;
    } cases[] = {{253, SOUND_EFFECTS_UP, 255}, {3, SOUND_EFFECTS_DOWN, 0}, {300, SOUND_EFFECTS_DOWN, 255}, {254, SOUND_EFFECTS_UP, 255}};
    for (const auto& c : cases) {
        settings.sound_volume = c.from;
        pass(c.line, true, 60);
        pass(c.line, false);
        EXPECT_EQ(settings.sound_volume, c.to) << "from " << c.from;
    }
}

TEST_F(SoundOptionsPass, WithoutMusicTheMusicLinesAreGreyAndDoNothing) {
    settings.music_volume = 120;
    settings.music_track = TRACK_SPRING;  // its file is missing
    music_restart();
    ASSERT_EQ(music_stream, nullptr);
    for (int32_t line : {SOUND_MUSIC_UP, SOUND_MUSIC_DOWN, SOUND_TRACK}) {
        pass(line, true, 60);
        EXPECT_EQ(s.hover, line) << "disabled lines are hit like the others";
        EXPECT_EQ(sound_text_look(s, TEXT_MUSIC_LEFT), LOOK_DISABLED);
        EXPECT_EQ(sound_text_look(s, TEXT_MUSIC_WORD), LOOK_DISABLED);
        EXPECT_EQ(sound_text_look(s, TEXT_MUSIC_RIGHT), LOOK_DISABLED);
        EXPECT_EQ(sound_text_look(s, TEXT_TRACK), LOOK_DISABLED);
        pass(line, false);
    }
    EXPECT_EQ(settings.music_volume, 120);
    EXPECT_EQ(settings.music_track, TRACK_SPRING);
    EXPECT_EQ(rec().opened, std::vector<std::string>{SPRING}) << "no track opened from this screen";
    pass(SOUND_EFFECTS_DOWN, true, 60);
    EXPECT_EQ(settings.sound_volume, 250);
    EXPECT_EQ(sound_text_look(s, TEXT_EFFECTS_LEFT), LOOK_HIGHLIGHT);
    EXPECT_EQ(sound_text_look(s, TEXT_EFFECTS_WORD), LOOK_HIGHLIGHT);
    EXPECT_EQ(sound_text_look(s, TEXT_EFFECTS_RIGHT), LOOK_NORMAL);
}

TEST_F(SoundOptionsPass, ATrackChoiceRestartsTheMusicAndAMissingFileSilencesIt) {
    with_music(TRACK_SPRING);
    game.current_track = 1;
    const struct {
        int32_t choice;
        const char* opened;
        const char* name;
    } steps[] = {{TRACK_ALTERNATE, DREAM, "postupně"}, {TRACK_DREAM, DREAM, "Dream of you"}, {TRACK_SPRING, SPRING, "Spring 2003"}};
    for (const auto& step : steps) {
        pass(SOUND_TRACK, true, 60);
        pass(SOUND_TRACK, false);
        EXPECT_EQ(settings.music_track, step.choice);
        EXPECT_EQ(rec().opened.back(), step.opened);
        EXPECT_EQ(std::string(track_name(settings.music_track)), step.name);
        EXPECT_NE(music_stream, nullptr);
        EXPECT_EQ(rec().outputs_open, 1) << "the old track stopped, the new one plays";
        EXPECT_EQ(game.current_track, 1) << "alternating mode starts current_track without switching it";
    }
    // Dream goes missing: choosing "postupně" (current_track 1 → Dream) silences the music.
    rec().files.erase(DREAM);
    pass(SOUND_TRACK, true, 60);
    EXPECT_EQ(settings.music_track, TRACK_ALTERNATE);
    EXPECT_EQ(music_stream, nullptr);
    EXPECT_EQ(sound_text_look(s, TEXT_TRACK), LOOK_DISABLED);
    pass(SOUND_TRACK, true, 60);
    EXPECT_EQ(settings.music_track, TRACK_ALTERNATE) << "no more track choices without music";
}

TEST_F(SoundOptionsPass, HoverLooksValueTextsAndLeaving) {
    with_music(TRACK_DREAM);
    const struct {
        int32_t hover;
        int32_t music_left, music_word, music_right, effects_left, effects_word, effects_right, track, leave;
    } looks[] = {
        {-1, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL},
        {SOUND_MUSIC_UP, LOOK_NORMAL, LOOK_HIGHLIGHT, LOOK_HIGHLIGHT, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL},
        {SOUND_MUSIC_DOWN, LOOK_HIGHLIGHT, LOOK_HIGHLIGHT, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL},
        {SOUND_EFFECTS_UP, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_HIGHLIGHT, LOOK_HIGHLIGHT, LOOK_NORMAL, LOOK_NORMAL},
        {SOUND_TRACK, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_HIGHLIGHT, LOOK_NORMAL},
        {SOUND_LEAVE, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_NORMAL, LOOK_HIGHLIGHT},
    };
    for (const auto& l : looks) {
        pass(l.hover, false);
        EXPECT_EQ(s.hover, l.hover);
        const int32_t got[] = {sound_text_look(s, TEXT_MUSIC_LEFT),   sound_text_look(s, TEXT_MUSIC_WORD),
                               sound_text_look(s, TEXT_MUSIC_RIGHT),  sound_text_look(s, TEXT_EFFECTS_LEFT),
                               sound_text_look(s, TEXT_EFFECTS_WORD), sound_text_look(s, TEXT_EFFECTS_RIGHT),
                               sound_text_look(s, TEXT_TRACK),        sound_text_look(s, TEXT_LEAVE)};
        const int32_t want[] = {l.music_left, l.music_word, l.music_right, l.effects_left, l.effects_word, l.effects_right, l.track, l.leave};
        EXPECT_TRUE(std::equal(std::begin(got), std::end(got), std::begin(want))) << "hover " << l.hover;
    }
    // The word beside an arrow is no part of the arrow's box.
    sound_options_pass(s, {boxes[SOUND_MUSIC_DOWN].x + boxes[SOUND_MUSIC_DOWN].w + 15, boxes[SOUND_MUSIC_DOWN].y + 5, 0, 0, 1});
    EXPECT_EQ(s.hover, -1);

    const struct {
        int32_t volume, percent;
    } values[] = {{255, 100}, {250, 98}, {128, 50}, {5, 1}, {0, 0}};
    for (const auto& v : values) EXPECT_EQ(volume_percent(v.volume), v.percent) << v.volume;
    EXPECT_STREQ(track_name(0), "Spring 2003");

    pass(SOUND_LEAVE, true, 60);
    EXPECT_EQ(s.done, 1);
}

}  // namespace
