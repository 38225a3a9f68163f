// Composes the play screen and the menu screens from Data/talvena.dat the way
// the game lays them out and saves them as BMP files, so the artwork and the
// fit of the fonts can be judged without running the game.
// Usage (from the build directory): tools/talvena_assets_preview OUTPUT_DIR
#include <allegro.h>

#include <cstdio>
#include <string>

#include "app/resources.h"
#include "ui/text_screens.h"

namespace {

DATAFILE *dat;

BITMAP *bmp(int id) { return static_cast<BITMAP *>(dat[id].dat); }
FONT *fnt(int id) { return static_cast<FONT *>(dat[id].dat); }

void panel(BITMAP *target, int x1, int x2, int y1, int y2) {
    BITMAP *shade = create_bitmap(x2 - x1, y2 - y1);
    clear_to_color(shade, makecol(0, 0, 0));
    set_trans_blender(0, 0, 0, 200);
    draw_trans_sprite(target, shade, x1, y1);
    destroy_bitmap(shade);
    rect(target, x1, y1, x2, y2, makecol(250, 250, 250));
}

void centred(BITMAP *target, int id, int sq_x, int sq_y) {
    BITMAP *b = bmp(id);
    blit(b, target, 0, 0, 275 + sq_x * 58 + 29 - b->w / 2, 56 + sq_y * 58 + 29 - b->h / 2, b->w, b->h);
}

void play_screen(const std::string &out, int notice) {
    BITMAP *frame = create_bitmap(800, 600);
    blit(bmp(RES_PLAY_BACKGROUND), frame, 0, 0, 0, 0, 800, 600);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            blit(bmp((r + c) % 2 ? RES_SQUARE_DARK : RES_SQUARE_LIGHT), frame, 0, 0, 275 + c * 58, 56 + r * 58, 58, 58);
    // A position from the middle of a game with every kind of picture on it.
    const char *rows[8] = {".r.r.r.r", "r.r.r.R.", ".r...r.r", "..r.....", ".b...B..", "b...S.b.", ".b.H.b.b", "b.b.b.b."};
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            int id = -1;
            switch (rows[r][c]) {
            case 'r': id = RES_RED_MAN; break;
            case 'R': id = RES_RED_KING; break;
            case 'b': id = RES_BLUE_MAN; break;
            case 'B': id = RES_BLUE_KING_HOVER; break;
            case 'S': id = RES_BLUE_MAN_SELECTED; break;
            case 'H': id = RES_BLUE_MAN_HOVER; break;
            }
            if (id >= 0) centred(frame, id, c, r);
        }
    centred(frame, RES_MARK_LEGAL, 3, 4);
    centred(frame, RES_MARK_ILLEGAL, 5, 4 - 2);
    centred(frame, RES_RED_KING_SELECTED, 7, 2);
    centred(frame, RES_RED_MAN_HOVER, 1, 0);
    centred(frame, RES_BLUE_KING, 1, 6);
    centred(frame, RES_RED_KING_HOVER, 5, 0);
    centred(frame, RES_BLUE_KING_SELECTED, 7, 6);

    int g1 = makecol(140, 140, 140), g2 = makecol(170, 170, 170);
    textprintf_ex(frame, fnt(RES_FONT_CLOCK), 54, 40, g1, -1, "%s%d:%s%d:%s%d", "0", 7, "", 25, "0", 9);
    textprintf_ex(frame, fnt(RES_FONT_CLOCK), 66, 66, g1, -1, "%s%d:%s%d", "", 12, "0", 4);
    textprintf_ex(frame, fnt(RES_FONT_PANEL), 46, 106, g2, -1, "Obtížnost");
    textprintf_right_ex(frame, fnt(RES_FONT_PANEL), 147, 124, g2, -1, "Profesionál");
    textprintf_ex(frame, fnt(RES_FONT_PANEL), 46, 405, g2, -1, "Počítač");
    textprintf_right_ex(frame, fnt(RES_FONT_PANEL), 147, 423, g2, -1, "Modrý");
    textprintf_ex(frame, fnt(RES_FONT_PANEL), 46, 463, g2, -1, "Nyní hraje");
    textprintf_right_ex(frame, fnt(RES_FONT_PANEL), 147, 481, g2, -1, "Modrý");
    textprintf_ex(frame, fnt(RES_FONT_PANEL), 46, 521, g2, -1, "Stav tahu");
    textprintf_right_ex(frame, fnt(RES_FONT_PANEL), 147, 539, g2, -1, "Ukončení tahu");

    int ink = makecol(220, 220, 250);
    if (notice == 1) {
        panel(frame, 347, 667, 180, 340);
        textprintf_centre_ex(frame, fnt(RES_FONT_NOTICE), 507, 200, ink, -1, "Zvítězil hráč Modrý");
        textprintf_centre_ex(frame, fnt(RES_FONT_NOTICE), 507, 230, ink, -1, "Poražen byl hráč Počítač");
        textprintf_centre_ex(frame, fnt(RES_FONT_NOTICE), 507, 300, ink, -1, "Celkový čas hry 125:30");
    } else if (notice == 2) {
        panel(frame, 387, 627, 200, 300);
        textprintf_centre_ex(frame, fnt(RES_FONT_NOTICE), 507, 240, ink, -1, "Skákat kamenem");
    } else {
        draw_sprite(frame, bmp(RES_POINTER), 455, 340);
    }
    save_bitmap(out.c_str(), frame, nullptr);
    destroy_bitmap(frame);
}

void menu_screen(const std::string &out, int sub) {
    BITMAP *frame = create_bitmap(800, 600);
    blit(bmp(RES_MENU_BACKGROUND), frame, 0, 0, 0, 0, 800, 600);
    panel(frame, 50, 310, 50, 410);
    const char *items[11] = {"<> Nová hra",     "<> Spustit načtenou hru", "<> Ukončit hru", "<> Nastavení hry",
                             "<> Zvukové volby", "<> Editace jmen",        "<> Uložit hru",  "<> Načíst hru",
                             "<> Autoři",        "<> Nápověda",            "<> Konec"};
    FONT *f = fnt(RES_FONT_MENU);
    for (int i = 0; i < 11; ++i) {
        int c = i == 4 ? makecol(255, 180, 0) : (i == 3 ? makecol(100, 100, 100) : makecol(200, 200, 200));
        textprintf_ex(frame, f, 70, 70 + 30 * i, c, -1, "%s", items[i]);
    }
    int th = text_height(f);
    int normal = makecol(200, 200, 200), hot = makecol(255, 180, 0);
    if (sub == 1) {
        panel(frame, 400, 700, 50, 225);
        for (int i = 0; i < 5; ++i) {
            textprintf_ex(frame, f, 420, 70 + i * th, i == 2 ? hot : normal, -1, "<> %d pozice", i + 1);
            textprintf_right_ex(frame, f, 680, 70 + i * th, i == 2 ? hot : normal, -1, "%s", i % 2 ? "uložená hra" : "volné místo");
        }
        textprintf_ex(frame, f, 420, 70 + 5 * th + 20, normal, -1, "<> Opustit");
    } else if (sub == 2) {
        panel(frame, 400, 700, 50, 190);
        textprintf_ex(frame, f, 420, 70, hot, -1, "<>");
        textprintf_ex(frame, f, 420, 70, hot, -1, "   %s", "Hudba");
        textprintf_ex(frame, f, 520, 70, normal, -1, "<>");
        textprintf_right_ex(frame, f, 680, 70, hot, -1, "%d%%", 100);
        textprintf_ex(frame, f, 420, 70 + th, normal, -1, "<>");
        textprintf_ex(frame, f, 420, 70 + th, normal, -1, "   %s", "Zvuk");
        textprintf_ex(frame, f, 520, 70 + th, normal, -1, "<>");
        textprintf_right_ex(frame, f, 680, 70 + th, normal, -1, "%d%%", 98);
        textprintf_ex(frame, f, 420, 70 + 2 * th, normal, -1, "<> %s", "Skladby");
        textprintf_right_ex(frame, f, 680, 70 + 2 * th, normal, -1, "%s", "postupně");
        textprintf_ex(frame, f, 420, 90 + 3 * th, normal, -1, "<> %s", "Opustit");
    } else if (sub == 3) {
        draw_help(frame);  // the game's own help screen, not a copy of its text
    } else if (sub == 4) {
        panel(frame, 400, 700, 50, 210);
        const char *labels[4] = {"<> Soupeř", "<> Obtížnost", "<> Počítač za", "<> Počet kamenů"};
        const char *values[4] = {"počítač", "profesionál", "rudé", "12"};
        for (int i = 0; i < 4; ++i) {
            textprintf_ex(frame, f, 420, 70 + i * th, normal, -1, "%s", labels[i]);
            textprintf_right_ex(frame, f, 680, 70 + i * th, normal, -1, "%s", values[i]);
        }
        textprintf_ex(frame, f, 420, 70 + 4 * th + 20, normal, -1, "<> Opustit");
        panel(frame, 400, 700, 260, 380);
        textprintf_ex(frame, f, 420, 280, hot, -1, "<> První jméno");
        textprintf_right_ex(frame, f, 680, 280, hot, -1, "ŽĎÁRSKÝČŘ");
        textprintf_ex(frame, f, 420, 280 + th, normal, -1, "<> Druhé jméno");
        textprintf_right_ex(frame, f, 680, 280 + th, normal, -1, "Rudý");
    }
    save_bitmap(out.c_str(), frame, nullptr);
    destroy_bitmap(frame);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(16);
    set_color_conversion(COLORCONV_NONE);
    dat = load_datafile("Data/talvena.dat");
    if (!dat) {
        std::fprintf(stderr, "cannot load Data/talvena.dat\n");
        return 1;
    }
    datafile = dat;  // the game's drawing code reads its resources from here
    play_screen(dir + "/play.bmp", 0);
    play_screen(dir + "/play_win.bmp", 1);
    play_screen(dir + "/play_notice.bmp", 2);
    menu_screen(dir + "/menu.bmp", 0);
    menu_screen(dir + "/menu_slots.bmp", 1);
    menu_screen(dir + "/menu_sound.bmp", 2);
    menu_screen(dir + "/menu_help.bmp", 3);
    menu_screen(dir + "/menu_settings.bmp", 4);
    return 0;
}
