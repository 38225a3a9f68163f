// Builds the game's runtime data: Data/talvena.dat (fonts, pictures and
// sound effects, in the order the game indexes them), Data/allegro.cfg and
// the music directory Hudba/.
//
// Usage: talvena_assets OUTPUT_DIR [--fonts DIR] [--dump DIR] [--report]
//   --fonts  where the DejaVu TrueType files are
//   --dump   also write every picture (PPM) and sound (WAV) there, to inspect
//   --report print the font metrics
//        talvena_assets --icons DIR
//   writes only the desktop icon, DIR/talvena-<size>.png for each size the
//   icon theme wants
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../../src/app/resource_ids.h"
#include "art.h"
#include "datafile.h"
#include "glyphs.h"
#include "sounds.h"

namespace {

const char *ALLEGRO_CFG =
    "# Settings of the graphics library for Talvena.\n"
    "\n"
    "[system]\n"
    "system = XWIN\n"
    "\n"
    "[graphics]\n"
    "# X11, in a window\n"
    "gfx_card = XWIN\n"
    "\n"
    "[sound]\n"
    "digi_card = ALSA\n"
    "quality = 2\n"
    "sound_freq = 44100\n"
    "sound_bits = 16\n"
    "sound_stereo = 1\n"
    "\n"
    "[talvena]\n"
    "# The window shows the 800x600 picture this many times larger (1 to 8);\n"
    "# 0 is the largest that fits the desktop.\n"
    "scale = 0\n";

bool make_dir(const std::string &path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

const int ICON_SIZES[] = {16, 22, 24, 32, 48, 64, 128, 256};

int write_icons(const std::string &dir) {
    if (!make_dir(dir)) {
        std::fprintf(stderr, "cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
        return 1;
    }
    for (int size : ICON_SIZES) {
        std::string path = dir + "/talvena-" + std::to_string(size) + ".png";
        if (!write_png(make_icon(size), path.c_str())) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

// The four fonts, in datafile order.
struct NamedFont {
    int id;
    const char *name;
    FontSpec style;
};

}  // namespace

int main(int argc, char **argv) {
    std::string out_dir, font_dir = "/usr/share/fonts/truetype/dejavu", dump_dir, forms_dir;
    bool report = false;
    if (argc == 3 && std::string(argv[1]) == "--icons") return write_icons(argv[2]);
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--fonts" && i + 1 < argc) font_dir = argv[++i];
        else if (arg == "--dump" && i + 1 < argc) dump_dir = argv[++i];
        else if (arg == "--forms" && i + 1 < argc) forms_dir = argv[++i];
        else if (arg == "--report") report = true;
        else if (out_dir.empty() && arg[0] != '-') out_dir = arg;
        else {
            std::fprintf(stderr, "usage: %s OUTPUT_DIR [--fonts DIR] [--dump DIR] [--forms DIR] [--report]\n       %s --icons DIR\n", argv[0], argv[0]);
            return 2;
        }
    }
    if (out_dir.empty()) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [--fonts DIR] [--dump DIR] [--forms DIR] [--report]\n       %s --icons DIR\n", argv[0], argv[0]);
        return 2;
    }

    FontFiles files{font_dir + "/DejaVuSans.ttf", font_dir + "/DejaVuSans-Bold.ttf", font_dir + "/DejaVuSerif-Bold.ttf"};

    // Every object is added with the index the game will look it up by; the
    // writer keeps insertion order, so a mismatch here is the only way the
    // order could go wrong, and it stops the build.
    Datafile dat;
    auto expect_index = [&](int id, const std::string &name) {
        if (static_cast<int>(dat.objects.size()) != id) {
            std::fprintf(stderr, "internal error: %s would land at %zu instead of %d\n", name.c_str(),
                         dat.objects.size(), id);
            std::exit(1);
        }
    };
    auto add_picture = [&](int id, const std::string &name, const Image &img) {
        expect_index(id, name);
        add_bitmap16(dat, name, img.w, img.h, image_to_565(img));
        if (!dump_dir.empty()) write_ppm(img, (dump_dir + "/" + name + ".ppm").c_str());
    };
    auto add_sound = [&](int id, const std::string &name, const std::vector<int16_t> &pcm) {
        expect_index(id, name);
        add_sample16(dat, name, SAMPLE_RATE, pcm);
        if (!dump_dir.empty()) write_wav(dump_dir + "/" + name + ".wav", SAMPLE_RATE, pcm);
    };

    add_picture(RES_POINTER, "POINTER", make_pointer());

    const NamedFont fonts[4] = {
        {RES_FONT_PANEL, "FONT_PANEL", {files.sans, 12, false, 0, 0}},
        {RES_FONT_NOTICE, "FONT_NOTICE", {files.sans_bold, 17, false, 0, 0}},
        {RES_FONT_CLOCK, "FONT_CLOCK", {files.sans_bold, 18, false, 0, 0}},
        // the blank is widened so "   Hudba" clears the "<>" drawn under it
        {RES_FONT_MENU, "FONT_MENU", {files.sans_bold, 15, true, 0, 6}},
    };
    for (const NamedFont &f : fonts) {
        FontInfo info;
        std::vector<FontRange> ranges = build_mono_font(f.style, &info);
        expect_index(f.id, f.name);
        add_font(dat, f.name, ranges);
        if (report)
            std::printf("%-12s %2dpx height %d baseline %d space %d\n", f.name, f.style.pixel_size, info.height,
                        info.baseline, info.space);
        for (int c : info.cut) std::fprintf(stderr, "%s: glyph U+%04X is cut\n", f.name, c);
        for (int c : info.missing) std::fprintf(stderr, "%s: no glyph for U+%04X\n", f.name, c);
        if (!info.cut.empty() || !info.missing.empty()) return 1;
    }

    Image light = make_square(true), dark = make_square(false);
    add_picture(RES_MARK_LEGAL, "MARK_LEGAL", make_marker(true, dark));
    add_picture(RES_MARK_ILLEGAL, "MARK_ILLEGAL", make_marker(false, dark));
    add_picture(RES_SQUARE_LIGHT, "SQUARE_LIGHT", light);
    add_picture(RES_SQUARE_DARK, "SQUARE_DARK", dark);
    add_picture(RES_PLAY_BACKGROUND, "PLAY_BACKGROUND", make_play_background(files, light, dark));
    add_picture(RES_MENU_BACKGROUND, "MENU_BACKGROUND", make_menu_background(files));

    const char *states[3] = {"", "_HOVER", "_SELECTED"};
    const struct {
        int id;
        const char *name;
        int side;
        bool king;
    } kinds[4] = {{RES_BLUE_KING, "BLUE_KING", 1, true},
                  {RES_RED_KING, "RED_KING", 2, true},
                  {RES_BLUE_MAN, "BLUE_MAN", 1, false},
                  {RES_RED_MAN, "RED_MAN", 2, false}};
    for (const auto &k : kinds)
        for (int s = 0; s < 3; ++s)
            add_picture(k.id + s, std::string(k.name) + states[s], make_piece(k.side, k.king, s, dark));

    add_sound(RES_SND_PICK, "SND_PICK", make_pick_sound());
    for (int v = 0; v < 3; ++v) add_sound(RES_SND_MOVE + v, "SND_MOVE_" + std::to_string(v + 1), make_move_sound(v));
    expect_index(RES_COUNT, "the end");

    std::string data_dir = out_dir + "/Data";
    if (!make_dir(out_dir) || !make_dir(data_dir) || !make_dir(out_dir + "/Hudba")) {
        std::fprintf(stderr, "cannot create %s: %s\n", data_dir.c_str(), std::strerror(errno));
        return 1;
    }
    // Written under a temporary name first so an interrupted run never
    // leaves a half-written datafile that looks up to date.
    std::string dat_path = data_dir + "/talvena.dat", tmp = dat_path + ".tmp";
    if (!write_packed_datafile(tmp, dat) || std::rename(tmp.c_str(), dat_path.c_str()) != 0) {
        std::fprintf(stderr, "cannot write %s\n", dat_path.c_str());
        return 1;
    }
    // The same objects in every other form the game reads, for its tests:
    // FORMS_DIR/<form>.dat.
    if (!forms_dir.empty()) {
        if (!make_dir(forms_dir)) {
            std::fprintf(stderr, "cannot create %s: %s\n", forms_dir.c_str(), std::strerror(errno));
            return 1;
        }
        for (const NamedForm &f : datafile_forms()) {
            const std::string path = forms_dir + "/" + f.name + ".dat";
            if (!write_datafile(path, dat, f.form)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    if (!write_text_file(data_dir + "/allegro.cfg", ALLEGRO_CFG)) {
        std::fprintf(stderr, "cannot write %s/allegro.cfg\n", data_dir.c_str());
        return 1;
    }
    return 0;
}
