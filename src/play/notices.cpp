// Game play: the notices of a chain and of a refused move, and the win and
// draw panels, all centred over the board in the notice font.
#include "play/notices.h"

#include "app/game_state.h"
#include "app/resources.h"
#include "play/layout.h"
#include "ui/toolkit.h"

namespace {

constexpr int NOTICE_CENTRE_X = 507;  // middle of the board
constexpr int WIN_PANEL_HALF = 160;
constexpr int PANEL_MARGIN = 10;  // between a line and the panel's sides

int notice_colour() { return makecol(NOTICE_TEXT.r, NOTICE_TEXT.g, NOTICE_TEXT.b); }

void total_time(BITMAP* target, int y, int32_t minutes, int32_t seconds) {
    textprintf_centre_ex(target, res_font(RES_FONT_NOTICE), NOTICE_CENTRE_X, y, notice_colour(), -1,
                         "Celkový čas hry %s%d:%s%d", pad_zero(minutes), minutes, pad_zero(seconds), seconds);
}

}  // namespace

void notice_box(const char* text, BITMAP* target) {
    draw_panel(387, 627, 200, 300, target);
    textprintf_centre_ex(target, res_font(RES_FONT_NOTICE), NOTICE_CENTRE_X, 240, notice_colour(), -1, "%s", text);
}

void win_message(int32_t winning_side, int32_t minutes, int32_t seconds, BITMAP* target) {
    int32_t name[2][NAME_LEN];
    side_names(name[0], name[1]);
    const int32_t* winner = winning_side == BLUE ? name[0] : name[1];
    const int32_t* loser = winning_side == BLUE ? name[1] : name[0];
    FONT* font = res_font(RES_FONT_NOTICE);
    const int colour = notice_colour();
    // A 0 code point ends the text, so short names carry no trailing marks.
    char won[128], lost[128];
    uszprintf(won, sizeof won, "Zvítězil hráč %c%c%c%c%c%c%c%c%c%c", winner[0], winner[1], winner[2], winner[3],
              winner[4], winner[5], winner[6], winner[7], winner[8], winner[9]);
    uszprintf(lost, sizeof lost, "Poražen byl hráč %c%c%c%c%c%c%c%c%c%c", loser[0], loser[1], loser[2], loser[3],
              loser[4], loser[5], loser[6], loser[7], loser[8], loser[9]);
    // Long names widen the panel evenly, just enough; others leave it as it is.
    int half = WIN_PANEL_HALF;
    const char* const lines[] = {won, lost};
    for (const char* line : lines) {
        const int need = (text_length(font, line) + 1) / 2 + PANEL_MARGIN;
        if (need > half) half = need;
    }
    draw_panel(NOTICE_CENTRE_X - half, NOTICE_CENTRE_X + half, 180, 340, target);
    textprintf_centre_ex(target, font, NOTICE_CENTRE_X, 200, colour, -1, "%s", won);
    textprintf_centre_ex(target, font, NOTICE_CENTRE_X, 230, colour, -1, "%s", lost);
    total_time(target, 300, minutes, seconds);
}

void draw_message(int32_t minutes, int32_t seconds, BITMAP* target) {
    draw_panel(347, 667, 200, 300, target);
    textprintf_centre_ex(target, res_font(RES_FONT_NOTICE), NOTICE_CENTRE_X, 220, notice_colour(), -1, "%s",
                         "Hra skončila remízou");
    total_time(target, 260, minutes, seconds);
}
