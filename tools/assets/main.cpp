// Builds the game's runtime data: Data/talvena.dat (fonts, pictures and
// sound effects, in the order the game indexes them), Data/allegro.cfg and
// the music directory Hudba/.
//
// Usage: talvena_assets OUTPUT_DIR [--fonts DIR] [--ppm DIR] [--report]
//   --fonts  where the DejaVu TrueType files are
//   --ppm    also write every picture as a PPM file there, for inspection
//   --report print the font metrics
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
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
    "sound_stereo = 1\n";

bool make_dir(const std::string &path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

// The four fonts, in datafile order.
struct NamedFont {
    const char *name;
    FontSpec spec;
};

}  // namespace

int main(int argc, char **argv) {
    std::string out_dir, font_dir = "/usr/share/fonts/truetype/dejavu", ppm_dir;
    bool report = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--fonts" && i + 1 < argc) font_dir = argv[++i];
        else if (arg == "--ppm" && i + 1 < argc) ppm_dir = argv[++i];
        else if (arg == "--report") report = true;
        else if (out_dir.empty() && arg[0] != '-') out_dir = arg;
        else {
            std::fprintf(stderr, "usage: %s OUTPUT_DIR [--fonts DIR] [--ppm DIR] [--report]\n", argv[0]);
            return 2;
        }
    }
    if (out_dir.empty()) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [--fonts DIR] [--ppm DIR] [--report]\n", argv[0]);
        return 2;
    }

    FontFiles files{font_dir + "/DejaVuSans.ttf", font_dir + "/DejaVuSans-Bold.ttf", font_dir + "/DejaVuSerif-Bold.ttf"};

    Datafile dat;
    auto add_picture = [&](const char *name, const Image &img) {
        add_bitmap16(dat, name, img.w, img.h, image_to_565(img));
        if (!ppm_dir.empty()) write_ppm(img, (ppm_dir + "/" + name + ".ppm").c_str());
    };

    add_picture("POINTER", make_pointer());

    const NamedFont fonts[4] = {
        {"FONT_PANEL", {files.sans, 12, false, 0, 0}},
        {"FONT_NOTICE", {files.sans_bold, 16, false, 0, 0}},
        {"FONT_CLOCK", {files.sans_bold, 18, false, 0, 0}},
        // the blank is widened so "   Hudba" clears the "<>" drawn under it
        {"FONT_MENU", {files.sans_bold, 15, true, 0, 6}},
    };
    for (const NamedFont &f : fonts) {
        FontInfo info;
        std::vector<FontRange> ranges = build_mono_font(f.spec, &info);
        add_font(dat, f.name, ranges);
        if (report)
            std::printf("%-12s %2dpx height %d baseline %d space %d clipped %d\n", f.name, f.spec.pixel_size,
                        info.height, info.baseline, info.space, info.clipped);
    }

    Image light = make_square(true), dark = make_square(false);
    add_picture("MARK_LEGAL", make_marker(true, dark));
    add_picture("MARK_ILLEGAL", make_marker(false, dark));
    add_picture("SQUARE_LIGHT", light);
    add_picture("SQUARE_DARK", dark);
    add_picture("PLAY_BACKGROUND", make_play_background(files, light, dark));
    add_picture("MENU_BACKGROUND", make_menu_background(files));

    const char *states[3] = {"", "_HOVER", "_SELECTED"};
    struct { const char *name; int side; bool king; } kinds[4] = {
        {"BLUE_KING", 1, true}, {"RED_KING", 2, true}, {"BLUE_MAN", 1, false}, {"RED_MAN", 2, false}};
    for (const auto &k : kinds)
        for (int s = 0; s < 3; ++s) add_picture((std::string(k.name) + states[s]).c_str(), make_piece(k.side, k.king, s, dark));

    add_sample16(dat, "SND_PICK", SAMPLE_RATE, make_pick_sound());
    for (int v = 0; v < 3; ++v) add_sample16(dat, "SND_MOVE_" + std::to_string(v + 1), SAMPLE_RATE, make_move_sound(v));

    if (dat.objects.size() != RES_COUNT) {
        std::fprintf(stderr, "internal error: %zu objects, the game expects %d\n", dat.objects.size(), RES_COUNT);
        return 1;
    }

    std::string data_dir = out_dir + "/Data";
    if (!make_dir(out_dir) || !make_dir(data_dir) || !make_dir(out_dir + "/Hudba")) {
        std::fprintf(stderr, "cannot create %s: %s\n", data_dir.c_str(), std::strerror(errno));
        return 1;
    }
    // Written under a temporary name first so an interrupted run never
    // leaves a half-written datafile that looks up to date.
    std::string dat_path = data_dir + "/talvena.dat", tmp = dat_path + ".tmp";
    if (!write_file(tmp, datafile_bytes(dat)) || std::rename(tmp.c_str(), dat_path.c_str()) != 0) {
        std::fprintf(stderr, "cannot write %s\n", dat_path.c_str());
        return 1;
    }
    if (!write_text_file(data_dir + "/allegro.cfg", ALLEGRO_CFG)) {
        std::fprintf(stderr, "cannot write %s/allegro.cfg\n", data_dir.c_str());
        return 1;
    }
    return 0;
}
