// The main menu, the game settings screen and the slots screens, pass by
// pass, without a display: what can be clicked in each situation and what a
// click does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/game_state.h"
#include "ui/menu_logic.h"
#include "ui/menu_result.h"
#include "ui/settings_logic.h"
#include "ui/slots_logic.h"

namespace {

// Restores what the tests change in the shared state.
struct SharedState : ::testing::Test {
    Settings saved_settings = settings;
    GameState saved_game = game;
    void TearDown() override {
        settings = saved_settings;
        game = saved_game;
    }
};

// --- main menu -----------------------------------------------------------

constexpr int32_t ITEM_W = 120, ITEM_H = 20;

struct Menu : SharedState {
    Label lines[MENU_ITEM_COUNT];
    MenuState m;
    void SetUp() override {
        for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
            lines[i] = {MENU_ITEM_X, MENU_ITEM_Y + MENU_PITCH * i, ITEM_W, ITEM_H, MENU_TEXTS[i]};
            m.labels[i] = &lines[i];
        }
        m.continue_width = ITEM_W;
        m.loaded_width = ITEM_W + 80;
        menu_start(m);
        game.game_running = 0;
        game.saved_games_exist = 0;
    }
    // Press and release over item i, at `dx` from its left edge.
    void click_item(int32_t i, int32_t dx = 10) {
        const int32_t x = MENU_ITEM_X + dx, y = MENU_ITEM_Y + MENU_PITCH * i + ITEM_H / 2;
        menu_pass(m, x, y, 1);
        menu_pass(m, x, y, 0);
    }
    std::string greys() const {
        std::string g;
        for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) g += menu_item_look(m, i) == LOOK_DISABLED ? 'x' : '.';
        return g;
    }
};

// In every situation, a click on each item: what it answers, which screen
// it asks for, whether the menu stays open, and which items are grey.
TEST_F(Menu, EachItemInEachSituation) {
    struct Case {
        int32_t running, saved;
        const char* greys;  // item 0 first; x = grey
        // Per item: result (-1 open), action, game_running after the click.
        int32_t result[MENU_ITEM_COUNT], action[MENU_ITEM_COUNT], running_after[MENU_ITEM_COUNT];
    };
    const Case cases[] = {
        // First start: no game, no saved games. "Pokračovat", "Ukončit hru"
        // and "Nastavení hry"'s rule: the first two cannot be hit; the grey
        // "Uložit hru" and "Načíst hru" still ask for their screens.
        {0, 0, ".xx...xx...",
         {1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 10},
         {0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 0},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {0, 1, ".xx...x....",
         {1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 10},
         {0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 0},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // A game in progress: settings grey and dead; "Ukončit hru" ends the
        // game and leaves the menu open.
        {1, 0, "...x...x...",
         {1, 0, -1, -1, -1, -1, -1, -1, -1, -1, 10},
         {0, 0, 0, 0, 2, 3, 4, 5, 6, 7, 0},
         {1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1}},
        {1, 1, "...x.......",
         {1, 0, -1, -1, -1, -1, -1, -1, -1, -1, 10},
         {0, 0, 0, 0, 2, 3, 4, 5, 6, 7, 0},
         {1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
            SCOPED_TRACE("running " + std::to_string(c.running) + " saved " + std::to_string(c.saved) + " item " +
                         std::to_string(i));
            game.game_running = c.running;
            game.saved_games_exist = c.saved;
            menu_start(m);
            EXPECT_EQ(greys(), c.greys);
            click_item(i);
            EXPECT_EQ(m.result, c.result[i]);
            EXPECT_EQ(m.action, c.action[i]);
            EXPECT_EQ(game.game_running, c.running_after[i]);
            // The next pass forgets the action: a screen opens once.
            menu_pass(m, 0, 0, 0);
            EXPECT_EQ(m.action, ACTION_NONE);
        }
    }
}

TEST_F(Menu, HoverColourOnlyOnEnabledItems) {
    game.game_running = 0;
    game.saved_games_exist = 0;
    for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) {
        menu_pass(m, MENU_ITEM_X + 10, MENU_ITEM_Y + MENU_PITCH * i + 5, 0);
        const int32_t expected = (i == 1 || i == 2 || i == 6 || i == 7) ? LOOK_DISABLED : LOOK_HIGHLIGHT;
        EXPECT_EQ(menu_item_look(m, i), expected) << i;
        for (int32_t j = 0; j < MENU_ITEM_COUNT; j++) {
            if (j == i) continue;
            EXPECT_NE(menu_item_look(m, j), LOOK_HIGHLIGHT) << i << " " << j;
        }
    }
    // Between two lines and beside them nothing is hovered.
    menu_pass(m, MENU_ITEM_X + 10, MENU_ITEM_Y + ITEM_H + 5, 0);
    EXPECT_EQ(m.hover, -1);
    menu_pass(m, MENU_ITEM_X + ITEM_W + 5, MENU_ITEM_Y + 5, 0);
    EXPECT_EQ(m.hover, -1);
}

TEST_F(Menu, EndingTheGameKeepsTheMenuOpenAndSwitchesTheGreys) {
    game.game_running = 1;
    game.saved_games_exist = 1;
    EXPECT_EQ(greys(), "...x.......");
    click_item(ITEM_END_GAME);
    EXPECT_EQ(m.result, -1);
    EXPECT_EQ(game.game_running, 0);
    EXPECT_EQ(greys(), ".xx...x....");
    // The same place now hits nothing, and settings can be opened.
    click_item(ITEM_END_GAME);
    EXPECT_EQ(m.hover, -1);
    click_item(ITEM_CONTINUE);
    EXPECT_EQ(m.result, -1);
    click_item(ITEM_SETTINGS);
    EXPECT_EQ(m.action, ACTION_SETTINGS);
    click_item(ITEM_NEW_GAME);
    EXPECT_EQ(menu_finish(m), MENU_NEW_GAME);
    EXPECT_EQ(game.game_running, 1);
}

TEST_F(Menu, LoadedGameWidensTheSecondLineAndAnswersLoaded) {
    game.game_running = 1;
    const int32_t wide_x = ITEM_W + 40;  // inside the long text only
    // Until a load, the box stays that of "<> Pokračovat", whatever the
    // dispatch of other screens answered.
    lines[ITEM_CONTINUE].w = 999;
    menu_after_dispatch(m, 0);
    EXPECT_EQ(lines[ITEM_CONTINUE].w, ITEM_W);
    EXPECT_STREQ(menu_item_text(m, ITEM_CONTINUE), "<> Pokračovat");
    click_item(ITEM_CONTINUE, wide_x);
    EXPECT_EQ(m.hover, -1);

    // The load screen answers 1 (and has set a game in progress).
    click_item(ITEM_LOAD);
    EXPECT_EQ(m.action, ACTION_LOAD);
    menu_after_dispatch(m, 1);
    EXPECT_EQ(m.loaded, 1);
    EXPECT_EQ(lines[ITEM_CONTINUE].w, ITEM_W + 80);
    EXPECT_STREQ(menu_item_text(m, ITEM_CONTINUE), "<> Spustit načtenou hru");
    EXPECT_STREQ(lines[ITEM_CONTINUE].text, "<> Pokračovat");  // the label keeps its text
    // Later dispatches no longer touch the flag or the width.
    menu_after_dispatch(m, 0);
    EXPECT_EQ(m.loaded, 1);
    EXPECT_EQ(lines[ITEM_CONTINUE].w, ITEM_W + 80);

    // Grey again without a game, with its own text.
    game.game_running = 0;
    EXPECT_STREQ(menu_item_text(m, ITEM_CONTINUE), "<> Pokračovat");
    EXPECT_EQ(menu_item_look(m, ITEM_CONTINUE), LOOK_DISABLED);
    game.game_running = 1;

    click_item(ITEM_CONTINUE, wide_x);
    EXPECT_EQ(m.result, MENU_CONTINUE);
    EXPECT_EQ(menu_finish(m), MENU_LOADED);
}

TEST_F(Menu, NewGameAfterALoadReplacesTheLoadedPosition) {
    settings.piece_count = 8;
    reset_board();  // square colours, whatever ran before
    game.game_running = 1;
    game.turn = RED;
    game.paused_minutes = 7;
    game.paused_seconds = 12;
    for (Square& s : board) s.piece = s.light ? EMPTY : RED_KING;
    menu_after_dispatch(m, 1);
    click_item(ITEM_NEW_GAME);
    EXPECT_EQ(menu_finish(m), MENU_NEW_GAME);
    int men[5] = {};
    for (const Square& s : board) men[s.piece]++;
    EXPECT_EQ(men[BLUE_MAN], 8);
    EXPECT_EQ(men[RED_MAN], 8);
    EXPECT_EQ(men[RED_KING], 0);
    EXPECT_EQ(game.turn, BLUE);
    EXPECT_EQ(game.paused_minutes * 60 + game.paused_seconds, 0);
}

TEST_F(Menu, QuitAndContinueLeaveTheBoardAlone) {
    game.game_running = 1;
    board[40].piece = RED_KING;
    click_item(ITEM_CONTINUE);
    EXPECT_EQ(menu_finish(m), MENU_CONTINUE);
    menu_start(m);
    click_item(ITEM_QUIT);
    EXPECT_EQ(menu_finish(m), MENU_QUIT);
    EXPECT_EQ(board[40].piece, RED_KING);
    reset_board();
}

// --- game settings screen -------------------------------------------------

struct SettingsScreen : SharedState {
    Screen s;
    Label lines[SETTINGS_LINE_COUNT];
    void SetUp() override {
        settings_screen_setup(s);
        for (int32_t i = 0; i < s.count; i++) {
            lines[i] = {420, screen_line_y(s, i, 20), 150, 20, s.texts[i]};
            s.labels[i] = &lines[i];
        }
        game.game_running = 0;
    }
    void click_line(int32_t i) {
        screen_pass(s, 430, lines[i].y + 10, 1);
        screen_pass(s, 430, lines[i].y + 10, 0);
    }
    std::string greys() const {
        std::string g;
        for (int32_t i = 0; i < s.count; i++) g += screen_line_look(s, i) == LOOK_DISABLED ? 'x' : '.';
        return g;
    }
    std::string values() const {
        char buf[16];
        std::string v;
        for (int32_t i = 0; i < SETTINGS_LINE_COUNT - 1; i++) v += std::string(settings_value_text(i, buf, sizeof buf)) + "|";
        return v;
    }
};

TEST_F(SettingsScreen, ClicksToggleOnlyEnabledLines) {
    struct Case {
        int32_t running;
        Settings before;
        const char* greys;
        Settings after_one_click_each;  // lines 0..3 clicked in order
    };
    auto make = [](int32_t opponent, int32_t level, int32_t side, int32_t pieces) {
        Settings x = settings;
        x.opponent = opponent, x.difficulty = level, x.computer_side = side, x.piece_count = pieces;
        return x;
    };
    const Case cases[] = {
        // The first click makes the opponent a human, which greys level and
        // colour at once: they keep their values.
        {0, make(1, 2, 2, 12), ".....", make(2, 2, 2, 8)},
        // A human opponent greys level and colour; clicking the opponent
        // first makes them live for the next clicks.
        {0, make(2, 1, 1, 8), ".xx..", make(1, 2, 2, 12)},
        // Values the screen never writes become the first of their pair.
        {0, make(7, 0, -3, 10), ".....", make(1, 1, 1, 12)},
        // A game in progress: nothing but "Opustit" reacts.
        {1, make(1, 2, 2, 12), "xxxx.", make(1, 2, 2, 12)},
        {1, make(2, 1, 1, 8), "xxxx.", make(2, 1, 1, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.greys);
        game.game_running = c.running;
        settings = c.before;
        EXPECT_EQ(greys(), c.greys);
        for (int32_t i = 0; i < SETTINGS_LEAVE; i++) click_line(i);
        EXPECT_EQ(settings.opponent, c.after_one_click_each.opponent);
        EXPECT_EQ(settings.difficulty, c.after_one_click_each.difficulty);
        EXPECT_EQ(settings.computer_side, c.after_one_click_each.computer_side);
        EXPECT_EQ(settings.piece_count, c.after_one_click_each.piece_count);
        EXPECT_EQ(s.done, 0);
        click_line(SETTINGS_LEAVE);
        EXPECT_EQ(s.done, 1);
        s.done = 0;
    }
}

TEST_F(SettingsScreen, LevelLineGoesRoundTheThreeLevels) {
    game.game_running = 0;
    settings.opponent = OPPONENT_COMPUTER;
    settings.computer_side = RED;
    settings.piece_count = 12;
    struct Step {
        int32_t before;
        int32_t after;
        const char* shown;
    };
    // Any value the screen never writes starts the round at "amatér".
    const Step steps[] = {{1, 2, "profesionál"}, {2, 3, "mistr"}, {3, 1, "amatér"},
                          {4, 1, "amatér"},      {0, 1, "amatér"}, {-2, 1, "amatér"}};
    for (const Step& st : steps) {
        settings.difficulty = st.before;
        click_line(SETTINGS_LEVEL);
        EXPECT_EQ(settings.difficulty, st.after) << st.before;
        EXPECT_EQ(values(), std::string("počítač|") + st.shown + "|rudé|12|") << st.before;
    }
}

TEST_F(SettingsScreen, HumanOpponentGreysLevelAndColourInTheSamePass) {
    settings.opponent = OPPONENT_COMPUTER;
    settings.difficulty = LEVEL_PROFESSIONAL;
    settings.computer_side = RED;
    settings.piece_count = 12;
    EXPECT_EQ(values(), "počítač|profesionál|rudé|12|");
    click_line(SETTINGS_OPPONENT);
    EXPECT_EQ(greys(), ".xx..");
    EXPECT_EQ(values(), "hráč|profesionál|rudé|12|");
    click_line(SETTINGS_LEVEL);
    EXPECT_EQ(s.hover, -1);
    click_line(SETTINGS_COMPUTER_SIDE);
    EXPECT_EQ(values(), "hráč|profesionál|rudé|12|");
    click_line(SETTINGS_PIECES);
    click_line(SETTINGS_OPPONENT);
    click_line(SETTINGS_LEVEL);
    click_line(SETTINGS_COMPUTER_SIDE);
    EXPECT_EQ(values(), "počítač|mistr|modré|8|");  // profesionál, then mistr
    click_line(SETTINGS_PIECES);  // twice returns to the start
    EXPECT_EQ(settings.piece_count, 12);
}

// --- slots screens -----------------------------------------------------------

struct Slots : SharedState {
    Screen s;
    SlotsScreen d;
    Label lines[SAVE_SLOT_COUNT + 1];
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/talvena-slots-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        for (SaveSlot& slot : d.games.slots) default_slot(slot);
        d.read_ok = 1;
    }
    void TearDown() override {
        std::remove((dir + "/gamdat.tdt").c_str());
        rmdir(dir.c_str());
        SharedState::TearDown();
    }
    void open(int32_t loading) {
        slots_screen_setup(s, d, loading);
        for (int32_t i = 0; i < s.count; i++) {
            lines[i] = {420, screen_line_y(s, i, 20), 100, 20, s.texts[i]};
            s.labels[i] = &lines[i];
        }
    }
    void click_line(int32_t i) {
        screen_pass(s, 430, lines[i].y + 10, 1);
        screen_pass(s, 430, lines[i].y + 10, 0);
    }
    void save_game_into(SaveSlot& slot, int32_t minutes) {
        new_game();
        game.paused_minutes = minutes;
        slot_from_game(slot);
    }
};

TEST_F(Slots, LinesShowTheirNumberInABoxOfOneWidth) {
    save_game_into(d.games.slots[1], 3);
    d.games.slots[2] = d.games.slots[1];
    d.games.slots[2].used = 2;  // counts as free
    open(0);
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        EXPECT_STREQ(s.texts[i], s.texts[0]) << "every slot is created with one text";
        EXPECT_EQ(s.text(s, i), "<> " + std::to_string(i + 1) + " pozice");
    }
    EXPECT_STREQ(s.text(s, SLOTS_LEAVE), "<> Opustit");
    EXPECT_STREQ(slot_value_text(d, 0), "volné místo");
    EXPECT_STREQ(slot_value_text(d, 1), "uložená hra");
    EXPECT_STREQ(slot_value_text(d, 2), "volné místo");
}

TEST_F(Slots, LoadingIgnoresFreeSlotsSavingTakesAny) {
    save_game_into(d.games.slots[3], 5);
    EXPECT_EQ(slots_any_saved(d.games), 1);
    open(1);
    for (int32_t free_slot : {0, 1, 2, 4}) {
        click_line(free_slot);
        EXPECT_EQ(s.done, 0) << free_slot;
    }
    click_line(3);
    EXPECT_EQ(s.done, 1);
    EXPECT_EQ(d.chosen, 3);

    open(0);
    click_line(0);
    EXPECT_EQ(d.chosen, 0);
    open(1);
    click_line(SLOTS_LEAVE);
    EXPECT_EQ(d.chosen, SLOTS_LEAVE);
    EXPECT_EQ(slots_load_chosen(d), 0);

    for (SaveSlot& slot : d.games.slots) default_slot(slot);
    EXPECT_EQ(slots_any_saved(d.games), 0);
}

TEST_F(Slots, SaveThenLoadRestoresTheGameAndItsClock) {
    const std::string path = dir + "/gamdat.tdt";
    game.saved_games_exist = 0;
    settings.piece_count = 8;
    new_game();
    settings.opponent = OPPONENT_COMPUTER;
    settings.difficulty = LEVEL_AMATEUR;
    settings.computer_side = BLUE;
    game.turn = RED;
    game.paused_minutes = 4;
    game.paused_seconds = 59;
    board[40].piece = EMPTY;
    board[33].piece = BLUE_KING;
    Square saved_board[SQUARE_COUNT];
    std::memcpy(saved_board, board, sizeof board);

    EXPECT_EQ(slots_read(d, path.c_str()), 0) << "no file yet";
    open(0);
    click_line(2);
    ASSERT_EQ(slots_save_chosen(d, path.c_str()), 1);
    EXPECT_EQ(game.saved_games_exist, 1);

    // Another game in between.
    settings = saved_settings;
    settings.piece_count = 12;
    new_game();
    game.game_running = 0;

    SlotsScreen again;
    ASSERT_EQ(slots_read(again, path.c_str()), 1);
    EXPECT_STREQ(slot_value_text(again, 2), "uložená hra");
    EXPECT_STREQ(slot_value_text(again, 0), "volné místo");
    Screen s2;
    slots_screen_setup(s2, again, 1);
    again.chosen = 2;
    ASSERT_EQ(slots_load_chosen(again), 1);
    EXPECT_EQ(game.game_running, 1);
    EXPECT_EQ(game.turn, RED);
    EXPECT_EQ(game.paused_minutes, 4);
    EXPECT_EQ(game.paused_seconds, 59);
    EXPECT_EQ(settings.opponent, OPPONENT_COMPUTER);
    EXPECT_EQ(settings.difficulty, LEVEL_AMATEUR);
    EXPECT_EQ(settings.computer_side, BLUE);
    EXPECT_EQ(settings.piece_count, 12) << "the count is not part of a save";
    for (int i = 0; i < SQUARE_COUNT; i++) EXPECT_EQ(board[i].piece, saved_board[i].piece) << i;
    reset_board();
}

TEST_F(Slots, AFailedSaveWritesNothingAndLeavesLoadingGrey) {
    const std::string nowhere = dir + "/missing/gamdat.tdt";  // its folder does not exist
    game.saved_games_exist = 0;
    new_game();
    open(0);
    click_line(0);
    EXPECT_EQ(slots_save_chosen(d, nowhere.c_str()), 0);
    EXPECT_EQ(game.saved_games_exist, 0);
    // "Opustit" writes nothing at all.
    const std::string path = dir + "/gamdat.tdt";
    open(0);
    click_line(SLOTS_LEAVE);
    EXPECT_EQ(slots_save_chosen(d, path.c_str()), 0);
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    EXPECT_EQ(game.saved_games_exist, 0);

    // A file that is there but could not be read keeps its games: the
    // screen's five default records must not replace them.
    SavedGames held;
    for (SaveSlot& slot : held.slots) default_slot(slot);
    slot_from_game(held.slots[4]);
    ASSERT_EQ(write_saved_games(path.c_str(), held), 1);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char before[SAVED_GAMES_FILE_SIZE + 1];
    const size_t before_size = std::fread(before, 1, sizeof before, f);
    std::fclose(f);
    open(0);
    d.read_ok = 0;  // as slots_read leaves it for an unreadable file
    for (SaveSlot& slot : d.games.slots) default_slot(slot);
    click_line(0);
    EXPECT_EQ(slots_save_chosen(d, path.c_str()), 0);
    EXPECT_EQ(game.saved_games_exist, 0);
    f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char after[SAVED_GAMES_FILE_SIZE + 1];
    const size_t after_size = std::fread(after, 1, sizeof after, f);
    std::fclose(f);
    ASSERT_EQ(after_size, before_size);
    EXPECT_EQ(std::memcmp(before, after, before_size), 0);
    reset_board();
}

}  // namespace

namespace {

// A chosen slot that could not be written is told on the menu for about two
// seconds after the slots screen closes; a save that worked, or leaving
// without choosing, tells nothing.
TEST_F(Slots, AFailedSaveIsToldOnTheMenuForAboutTwoSeconds) {
    struct Case {
        const char* what;
        int32_t line;
        std::string path;
        bool told;
    };
    const Case cases[] = {
        {"a folder that is not there", 2, dir + "/missing/gamdat.tdt", true},
        {"a folder where it can be written", 2, dir + "/gamdat.tdt", false},
        {"leaving without a choice", SLOTS_LEAVE, dir + "/missing/gamdat.tdt", false},
    };
    new_game();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Label menu_lines[MENU_ITEM_COUNT] = {};
        MenuState m;
        for (int32_t i = 0; i < MENU_ITEM_COUNT; i++) m.labels[i] = &menu_lines[i];
        menu_start(m);
        open(0);
        click_line(c.line);
        slots_save_chosen(d, c.path.c_str());
        ticks = 1000;
        menu_after_dispatch(m, d.save_failed ? DISPATCH_SAVE_FAILED : DISPATCH_NOTHING);
        for (int32_t later : {0, NOTICE_TICKS}) {
            ticks = 1000 + later;
            EXPECT_EQ(menu_notice(m) != nullptr, c.told) << later;
        }
        if (!c.told) continue;
        EXPECT_STREQ(menu_notice(m), "Hru nelze uložit");
        ticks = 1000 + NOTICE_TICKS + 1;
        EXPECT_EQ(menu_notice(m), nullptr) << "gone after two seconds";
        ticks = 999;
        EXPECT_EQ(menu_notice(m), nullptr) << "gone once another screen reset the ticks";
    }
    ticks = 0;
}

}  // namespace
