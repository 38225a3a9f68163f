// Menus and screens: the help and credits screens. Both compose their
// picture once over the menu's frame and leave as soon as the left button is
// down, without waiting for the release.
#include "ui/text_screens.h"

#include <string>

#include "app/resources.h"
#include "ui/text_layout.h"
#include "ui/toolkit.h"

namespace {

struct TextLine {
    int y;
    const char* text;
};

const TextLine HELP_LINES[] = {
    {80, "Talvena 2004"},
    {110, "Princip hry:"},
    {130, "Talvena 2004 je hrou pro jednoho nebo dva hráče. Hraje se"},
    {150, "na poli o 8 sloupcích a 8 řadách. Cílem každého hráče"},
    {170, "je brát kameny soupeře skoky povolenými pravidly hry."},
    {190, "Pokud skončíte tah nebo skok svým kamenem na protilehlé"},
    {210, "straně hracího pole, stává se z tohoto kamene dáma."},
    {240, "Vítězové a poražení:"},
    {260, "Poražen je hráč, jemuž nezbude žádný kámen nebo dáma,"},
    {280, "s nimiž by mohl odehrát svůj následující tah. Hra skončí"},
    {300, "remízou, pokud během předchozích 15 tahů nedošlo k pohybu"},
    {320, "kamenem a nebo ke skoku."},
    {350, "Ovládání hry:"},
    {370, "Pole, kam je možno táhnout či skákat, je při pohybu myši"},
    {390, "označeno, stejně tak pole, kam táhnout nelze. Pokud"},
    {410, "provedete nepřípustný tah, jste upozorněni a musíte"},
    {430, "zahájit tah nový."},
    {460, "Doplnění:"},
    {480, "V menu si pro hru můžete nastavit obtížnost soupeře,"},
    {500, "barvu kamenů a jejich počet. Česká dáma se hraje"},
    {520, "s 12 kameny na každého hráče."},
};

struct CreditsLine {
    int x;
    int y;
    const char* text;
};

const CreditsLine CREDITS_LINES[] = {
    {360, 80, "Programátor: Talvena team"},
    {360, 110, "Grafika: Talvena team"},
    {360, 140, "Hudba a zvuk: Talvena team"},
    {360, 170, "Talvena team:"},
    {370, 190, "homepage: https://talvena.example.org"},
    {370, 210, "e-mail: talvena@example.org"},
    {360, 240, "Dámový klub Talvena:"},
    {370, 260, "homepage: https://klub.talvena.example.org"},
    {370, 280, "e-mail: klub@talvena.example.org"},
};
const char* const CREDITS_CLOSING = "Příjemnou zábavu u dámy!";

constexpr int TEXT_X1 = 360;
constexpr int TEXT_X2 = 760;
constexpr int JUSTIFY_DIFF = 200;
constexpr int MAX_WORDS = 32;

int text_colour() { return makecol(170, 170, 170); }

// The frame is shown until the left button is down.
int32_t text_screen_pass(void*, const FrameInput& in) { return (in.mouse_b & 1) ? FRAME_LEAVE : FRAME_SHOW; }

// Composed once: only the pointer moves over it.
uint64_t text_screen_picture(const void*) { return PICTURE_KEY_START; }

BITMAP* text_screen_frame(void* frame, int32_t&) { return static_cast<BITMAP*>(frame); }

void run_text_screen(BITMAP* backdrop, void (*draw)(BITMAP*)) {
    BITMAP* frame = create_bitmap(800, 600);
    if (frame == nullptr) return;
    blit(backdrop, frame, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    draw(frame);
    run_frames({frame, text_screen_pass, text_screen_picture, text_screen_frame, nullptr});
    destroy_bitmap(frame);
}

}  // namespace

void draw_justified(BITMAP* bmp, FONT* f, const char* text, int x1, int x2, int y, int diff, int colour) {
    TextWord words[MAX_WORDS];
    const int32_t count = split_words(text, words, MAX_WORDS);
    int32_t widths[MAX_WORDS];
    int32_t xs[MAX_WORDS];
    std::string word[MAX_WORDS];
    if (count <= MAX_WORDS) {
        for (int32_t i = 0; i < count; i++) {
            word[i].assign(text + words[i].start, static_cast<size_t>(words[i].length));
            widths[i] = text_length(f, word[i].c_str());
        }
    }
    if (count > MAX_WORDS || !justify_words(widths, count, x1, x2, diff, xs)) {
        textout_ex(bmp, f, text, x1, y, colour, -1);
        return;
    }
    for (int32_t i = 0; i < count; i++) textout_ex(bmp, f, word[i].c_str(), xs[i], y, colour, -1);
}

void draw_help(BITMAP* frame) {
    draw_panel(340, 780, 50, 560, frame);
    FONT* f = res_font(RES_FONT_PANEL);
    for (const TextLine& line : HELP_LINES)
        draw_justified(frame, f, line.text, TEXT_X1, TEXT_X2, line.y, JUSTIFY_DIFF, text_colour());
}

void draw_credits(BITMAP* frame) {
    draw_panel(340, 780, 50, 360, frame);
    FONT* f = res_font(RES_FONT_PANEL);
    for (const CreditsLine& line : CREDITS_LINES) textout_ex(frame, f, line.text, line.x, line.y, text_colour(), -1);
    textout_centre_ex(frame, f, CREDITS_CLOSING, 340 + (780 - 340) / 2, 315, text_colour(), -1);
}

void help_screen(BITMAP* backdrop) { run_text_screen(backdrop, draw_help); }
void credits_screen(BITMAP* backdrop) { run_text_screen(backdrop, draw_credits); }
