// The names editor driven pass by pass as the frame loop drives it: clicks
// through screen_pass, keys from a queue standing in for the keyboard.
#include "ui/names_logic.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <vector>

namespace {

std::deque<int32_t> keys;
int keyboard_clears = 0;

int32_t next_key() {
    if (keys.empty()) return -1;
    const int32_t k = keys.front();
    keys.pop_front();
    return k;
}
void clear_keys() {
    keys.clear();
    keyboard_clears++;
}

std::vector<int32_t> name_of(const int32_t* n) { return std::vector<int32_t>(n, n + NAME_LEN); }
std::vector<int32_t> padded(std::initializer_list<int32_t> codes) {
    std::vector<int32_t> v(codes);
    v.resize(NAME_LEN, 0);
    return v;
}

const std::vector<int32_t> MODRY = padded({'M', 'o', 'd', 'r', 0xFD});
const std::vector<int32_t> RUDY = padded({'R', 'u', 'd', 0xFD});

class NamesEditorTest : public ::testing::Test {
protected:
    // Boxes as run_screen would place them: panel top 50, a 19-pixel font.
    Label lines[3] = {{420, 70, 120, 19, "<> První jméno"},
                      {420, 89, 120, 19, "<> Druhé jméno"},
                      {420, 128, 80, 19, "<> Opustit"}};
    Settings st = {};
    NamesEditor e = {};
    Screen s = {};

    void SetUp() override {
        keys.clear();
        keyboard_clears = 0;
        for (int i = 0; i < NAME_LEN; i++) {
            st.player_name[0][i] = MODRY[i];
            st.player_name[1][i] = RUDY[i];
        }
        names_begin(e, st);
        e.read_key = next_key;
        e.clear_keys = clear_keys;
        names_setup(s, e);
        for (int i = 0; i < 3; i++) s.labels[i] = &lines[i];
        s.hover = -1;
    }
    void click(int line) {
        screen_pass(s, lines[line].x + 5, lines[line].y + 5, 1);
        screen_pass(s, lines[line].x + 5, lines[line].y + 5, 0);
    }
    // Each key goes through one pass of its own, the pointer off the lines.
    void type(std::initializer_list<int32_t> codes) {
        for (int32_t k : codes) {
            keys.push_back(k);
            screen_pass(s, 10, 10, 0);
        }
        EXPECT_TRUE(keys.empty());
    }
    void leave() {
        click(NAMES_LEAVE);
        ASSERT_EQ(s.done, 1);
        names_finish(e, st);
    }
};

TEST_F(NamesEditorTest, TypingACzechNameWithTheNineCodeLimitAndBackspace) {
    keys = {'x', 'y'};  // typed before the click: not taken
    click(NAMES_FIRST);
    EXPECT_EQ(keyboard_clears, 1);
    EXPECT_EQ(e.editing, 1);
    EXPECT_EQ(name_of(e.edit[0]), padded({}));  // an edit starts from an empty name

    // While editing the edited line is highlighted and the others are grey,
    // whatever the pointer is over; clicks do nothing, "<> Opustit" included.
    click(NAMES_LEAVE);
    click(NAMES_SECOND);
    EXPECT_EQ(s.done, 0);
    EXPECT_EQ(e.editing, 1);
    EXPECT_EQ(screen_line_look(s, NAMES_FIRST), LOOK_HIGHLIGHT);
    EXPECT_EQ(screen_line_look(s, NAMES_SECOND), LOOK_DISABLED);
    EXPECT_EQ(screen_line_look(s, NAMES_LEAVE), LOOK_DISABLED);

    // "Přemyslovec" is eleven letters: the tenth and eleventh are dropped.
    type({'P', 0x159, 'e', 'm', 'y', 's', 'l', 'o', 'v', 'e', 'c'});
    EXPECT_EQ(name_of(e.edit[0]), padded({'P', 0x159, 'e', 'm', 'y', 's', 'l', 'o', 'v'}));
    EXPECT_EQ(e.length, 9);
    type({KEY_CODE_BACKSPACE, KEY_CODE_BACKSPACE, 0x10D});  // Backspace makes room
    EXPECT_EQ(name_of(e.edit[0]), padded({'P', 0x159, 'e', 'm', 'y', 's', 'l', 0x10D}));
    type({KEY_CODE_ENTER});
    EXPECT_EQ(e.editing, 0);
    EXPECT_EQ(screen_line_look(s, NAMES_SECOND), LOOK_NORMAL);

    // A later edit cancelled with Esc returns to the confirmed name, not to
    // the one the screen opened with.
    click(NAMES_FIRST);
    type({'Z', 'Z', KEY_CODE_ESC});
    EXPECT_EQ(e.editing, 0);
    leave();
    EXPECT_EQ(name_of(st.player_name[0]), padded({'P', 0x159, 'e', 'm', 'y', 's', 'l', 0x10D}));
    EXPECT_EQ(name_of(st.player_name[1]), RUDY);
}

TEST_F(NamesEditorTest, EnterAndBackspaceOnAnEmptyLineDoNothingEscRestores) {
    click(NAMES_SECOND);
    type({KEY_CODE_ENTER, KEY_CODE_BACKSPACE, KEY_CODE_ENTER});
    EXPECT_EQ(e.editing, 2);
    EXPECT_EQ(e.length, 0);
    EXPECT_EQ(name_of(e.edit[1]), padded({}));
    type({'A', KEY_CODE_BACKSPACE, KEY_CODE_BACKSPACE, KEY_CODE_ENTER});
    EXPECT_EQ(e.editing, 2);
    type({KEY_CODE_ESC});
    EXPECT_EQ(e.editing, 0);
    EXPECT_EQ(name_of(e.edit[1]), RUDY);
    leave();
    EXPECT_EQ(name_of(st.player_name[0]), MODRY);
    EXPECT_EQ(name_of(st.player_name[1]), RUDY);
}

TEST_F(NamesEditorTest, OnlyPrintableCodesTheFontsDrawAreStored) {
    click(NAMES_FIRST);
    // 0 from arrows and F-keys, Tab, line feed, other C0 codes, DEL, C1
    // codes, surrogate halves, noncharacters, codes beyond Unicode.
    type({0, 1, 9, 10, 26, 31, 127, 0x80, 0x9F, 0xD800, 0xDC00, 0xDFFF, 0xFDD0, 0xFFFE, 0xFFFF, 0x1FFFF, 0x110000,
          -2, INT32_MIN});
    // Printable, but in no font: Cyrillic, the euro sign, past Latin
    // Extended-A, and the last codes below the surrogates and of Unicode.
    type({0x416, 0x20AC, 0x180, 0x391, 0x2013, 0xD7FF, 0x10FFFD});
    EXPECT_EQ(e.length, 0);
    EXPECT_EQ(name_of(e.edit[0]), padded({}));
    // Czech letters, small and capital, a blank and printable codes at the
    // edges of the dropped ranges are kept.
    type({0x11B, 0x161, 0x10D, 0x159, 0x17E, 0xFD, 0xE1, 0xED, 0xE9});
    EXPECT_EQ(name_of(e.edit[0]), padded({0x11B, 0x161, 0x10D, 0x159, 0x17E, 0xFD, 0xE1, 0xED, 0xE9}));
    for (int i = 0; i < 9; i++) type({KEY_CODE_BACKSPACE});
    type({0x16F, 0xFA, 0x11A, 0x160, 0x10C, 0x158, 0x17D, 0xDD, 0xC1});
    EXPECT_EQ(name_of(e.edit[0]), padded({0x16F, 0xFA, 0x11A, 0x160, 0x10C, 0x158, 0x17D, 0xDD, 0xC1}));
    for (int i = 0; i < 9; i++) type({KEY_CODE_BACKSPACE});
    type({0xCD, 0xC9, 0x16E, 0xDA, ' ', '~', 0xA0, 0x17F, 0x152});
    EXPECT_EQ(name_of(e.edit[0]), padded({0xCD, 0xC9, 0x16E, 0xDA, ' ', '~', 0xA0, 0x17F, 0x152}));
}

TEST_F(NamesEditorTest, AnEditOpenWhenTheScreenEndsIsCancelled) {
    click(NAMES_FIRST);
    type({'A', 'd', 'a', KEY_CODE_ENTER});
    click(NAMES_SECOND);
    type({'E', 'v'});
    names_finish(e, st);  // the window was closed mid-edit
    EXPECT_EQ(name_of(st.player_name[0]), padded({'A', 'd', 'a'}));
    EXPECT_EQ(name_of(st.player_name[1]), RUDY);
}

}  // namespace
