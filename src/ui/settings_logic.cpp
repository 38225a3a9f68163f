// Menus and screens: the game settings screen's rules. Every click writes
// straight into `settings`; the file keeps them at exit.
#include "ui/settings_logic.h"

#include <cstdio>

#include "app/game_state.h"

namespace {

const char* const TEXTS[SETTINGS_LINE_COUNT] = {"<> Soupeř", "<> Obtížnost", "<> Počítač za", "<> Počet kamenů",
                                                "<> Opustit"};

// A value the screen never writes toggles to the first of the pair.
int32_t toggled(int32_t value, int32_t first, int32_t second) { return value == first ? second : first; }

int32_t hit(const Screen& s, int32_t mx, int32_t my) {
    for (int32_t i = 0; i < s.count; i++)
        if (!settings_line_disabled(i) && label_hit(mx, my, &s.labels[i], 1) == 0) return i;
    return -1;
}

void act(Screen& s, int32_t line) {
    switch (line) {
        case SETTINGS_OPPONENT:
            settings.opponent = toggled(settings.opponent, OPPONENT_COMPUTER, OPPONENT_HUMAN);
            break;
        case SETTINGS_LEVEL:
            // 1, 2, 3 and round again; anything else starts at 1.
            settings.difficulty = settings.difficulty == LEVEL_AMATEUR        ? LEVEL_PROFESSIONAL
                                  : settings.difficulty == LEVEL_PROFESSIONAL ? LEVEL_MASTER
                                                                              : LEVEL_AMATEUR;
            break;
        case SETTINGS_COMPUTER_SIDE:
            settings.computer_side = toggled(settings.computer_side, BLUE, RED);
            break;
        case SETTINGS_PIECES:
            settings.piece_count = toggled(settings.piece_count, 12, 8);
            break;
        default:
            s.done = 1;
            break;
    }
}

int32_t look(const Screen&, int32_t line) { return settings_line_disabled(line) ? LOOK_DISABLED : LOOK_NORMAL; }

}  // namespace

void settings_screen_setup(Screen& s) {
    s = Screen{};
    s.left = 400;
    s.right = 700;
    s.top = 50;
    s.bottom = 210;
    s.count = SETTINGS_LINE_COUNT;
    for (int32_t i = 0; i < s.count; i++) s.texts[i] = TEXTS[i];
    s.hit = hit;
    s.act = act;
    s.look = look;
}

int32_t settings_line_disabled(int32_t line) {
    if (line == SETTINGS_LEAVE) return 0;
    if (game.game_running) return 1;
    if (line == SETTINGS_LEVEL || line == SETTINGS_COMPUTER_SIDE) return settings.opponent == OPPONENT_HUMAN ? 1 : 0;
    return 0;
}

const char* settings_value_text(int32_t line, char* buf, size_t size) {
    switch (line) {
        case SETTINGS_OPPONENT:
            return settings.opponent == OPPONENT_COMPUTER ? "počítač" : "hráč";
        case SETTINGS_LEVEL:
            return settings.difficulty == LEVEL_AMATEUR  ? "amatér"
                   : settings.difficulty == LEVEL_MASTER ? "mistr"
                                                         : "profesionál";
        case SETTINGS_COMPUTER_SIDE:
            return settings.computer_side == BLUE ? "modré" : "rudé";
        case SETTINGS_PIECES:
            std::snprintf(buf, size, "%d", settings.piece_count);
            return buf;
        default:
            return "";
    }
}
