// The start-up check of Data/talvena.dat against damaged and foreign files:
// what it refuses never reaches Allegro's loader (which crashes on them),
// and what it lets through loads whole. Runs in the build directory.
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "app/datafile_check.h"
#include "app/resources.h"
#include "app/temp_dir.h"
#include "app/resource_ids.h"

namespace {

Bytes unpacked(const char* path) {
    Bytes body;
    PACKFILE* f = pack_fopen(path, F_READ_PACKED);
    if (f == nullptr) return body;
    for (int c; (c = pack_getc(f)) != EOF;) body.push_back(static_cast<unsigned char>(c));
    pack_fclose(f);
    return body;
}

uint32_t be32_at(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

void put_be32_at(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// An object found by its NAME property: where its bytes begin (the
// property), its kind tag and its chunk's data, and where it ends.
struct Object {
    size_t begin = 0, kind = 0, data = 0, end = 0;
};

Object object_named(const Bytes& body, const std::string& name) {
    const std::string key = "NAME" + std::string(1, '\0') + '\0' + '\0' + char(name.size()) + name;
    auto at = std::search(body.begin(), body.end(), key.begin(), key.end());
    EXPECT_NE(at, body.end()) << name;
    if (at == body.end()) return {};
    Object o;
    o.begin = static_cast<size_t>(at - body.begin()) - 4;
    o.kind = o.begin + 4 + key.size();
    o.data = o.kind + 12;
    o.end = o.data + be32_at(body, o.kind + 4);
    return o;
}

// Writes the body as an unpacked packfile, which the library reads too.
std::string write_datafile(const TempDir& dir, const Bytes& body) {
    Bytes file = {'s', 'l', 'h', '.'};
    file.insert(file.end(), body.begin(), body.end());
    const std::string path = dir.file("talvena.dat");
    write_bytes(path, file);
    return path;
}

// Null, or a datafile whose every object is the kind the game indexes.
bool loads_whole_or_not_at_all(const std::string& path, bool& loaded) {
    DATAFILE* d = load_checked_datafile(path.c_str());
    loaded = d != nullptr;
    if (d == nullptr) return true;
    int count = 0;
    while (d[count].type != DAT_END) count++;
    const bool whole = count == RES_COUNT && d[RES_FONT_MENU].type == DAT_FONT &&
                       d[RES_MENU_BACKGROUND].type == DAT_BITMAP && d[RES_SND_PICK].type == DAT_SAMPLE;
    unload_datafile(d);
    return whole;
}

struct DatafileCheck : ::testing::Test {
    static void SetUpTestSuite() {
        if (system_driver == nullptr) {
            ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, std::atexit), 0);
        }
        set_color_depth(16);
    }
    Bytes body = unpacked("Data/talvena.dat");
    TempDir dir;
    void SetUp() override { ASSERT_GT(body.size(), 1000000u) << "Data/talvena.dat in the build directory"; }
};

TEST_F(DatafileCheck, RefusesEveryCutAndForeignObjectAndLoadsWhatItAccepts) {
    const Object font = object_named(body, "FONT_MENU"), mark = object_named(body, "MARK_LEGAL");
    const Object background = object_named(body, "MENU_BACKGROUND"), square = object_named(body, "SQUARE_DARK");
    const Object man = object_named(body, "BLUE_MAN"), pick = object_named(body, "SND_PICK");
    auto swapped = [](Bytes b, Object first, Object second) {  // first lies before second
        Bytes out(b.begin(), b.begin() + first.begin);
        out.insert(out.end(), b.begin() + second.begin, b.begin() + second.end);
        out.insert(out.end(), b.begin() + first.end, b.begin() + second.begin);
        out.insert(out.end(), b.begin() + first.begin, b.begin() + first.end);
        out.insert(out.end(), b.begin() + second.end, b.end());
        return out;
    };
    struct Case {
        const char* what;
        bool refused;
        Bytes bytes;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, bool refused, auto change) {
        Bytes b = body;
        change(b);
        cases.push_back({what, refused, b});
    };
    with("the generated file", false, [](Bytes&) {});
    with("a pixel changed", false, [&](Bytes& b) { b[background.data + 1000] ^= 0x5A; });
    with("a piece narrower than its square", false, [&](Bytes& b) { b[man.data + 3] = 40; });
    with("bytes after the last object", false, [](Bytes& b) { b.insert(b.end(), 100, 0xEE); });
    with("an object fewer", true, [](Bytes& b) { b[7]--; });
    with("a font stored as a picture", true, [&](Bytes& b) { std::memcpy(&b[font.kind], "BMP ", 4); });
    with("a background one pixel narrower, its last pixels unread", false, [&](Bytes& b) { b[background.data + 3]--; });
    with("a piece claiming more pixels than it holds", true, [&](Bytes& b) { b[man.data + 3] = 59; });
    with("a picture of 12 bits", true, [&](Bytes& b) { b[man.data + 1] = 12; });
    with("a sample of 12 bits", true, [&](Bytes& b) { b[pick.data + 1] = 12; });
    with("a property of 4 GB", true, [&](Bytes& b) { put_be32_at(b, font.begin + 8, 0xFFFFFFFF); });
    with("an object marked compressed whose bytes are not", true,
         [&](Bytes& b) { put_be32_at(b, font.kind + 8, -be32_at(b, font.kind + 8)); });
    cases.push_back({"a font and a marker swapped", true, swapped(body, font, mark)});
    cases.push_back({"a background and a square swapped: pictures both", false, swapped(body, square, background)});
    for (const Object& o : {font, mark, background, pick})
        for (size_t cut : {o.begin, o.kind + 2, o.data - 1, o.data + 5, o.end - 1})
            cases.push_back({"cut inside an object", true, Bytes(body.begin(), body.begin() + cut)});
    cases.push_back({"cut inside the header", true, Bytes(body.begin(), body.begin() + 6)});
    cases.push_back({"empty", true, {}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write_datafile(dir, c.bytes);
        const Bytes file = read_bytes(path);
        const char* fault = datafile_fault(file.data(), file.size());
        EXPECT_EQ(fault != nullptr, c.refused) << (fault ? fault : "accepted");
        bool loaded = false;
        EXPECT_TRUE(loads_whole_or_not_at_all(path, loaded));
        EXPECT_EQ(loaded, !c.refused);
    }
}

// The game's own path over the packed file as shipped, damaged at random:
// flipped bits anywhere in the compressed stream, or the file cut short.
// Unchecked, two in three of these crash the library's loader.
TEST_F(DatafileCheck, RandomDamageIsRefusedOrLoadsWhole) {
    Bytes packed = read_bytes("Data/talvena.dat");
    ASSERT_GT(packed.size(), 100000u);
    std::mt19937 random(20261208);
    const std::string path = dir.file("damaged.dat");
    int loaded_count = 0, refused_count = 0;
    for (int round = 0; round < 120; round++) {
        Bytes b = packed;
        if (round % 3 == 0) {
            b.resize(random() % b.size());
        } else {
            // Most of the header-dense bytes sit in the first part.
            const size_t span = round % 3 == 1 ? 16384 : b.size();
            for (int flips = 1 + random() % 4; flips > 0; flips--) b[random() % span] ^= 1 << random() % 8;
        }
        write_bytes(path, b);
        bool loaded = false;
        EXPECT_TRUE(loads_whole_or_not_at_all(path, loaded)) << "round " << round;
        (loaded ? loaded_count : refused_count)++;
    }
    // Both outcomes occur, so neither half of the claim is empty.
    EXPECT_GT(loaded_count, 0);
    EXPECT_GT(refused_count, 40);
}

// A player's own datafile may take any form the loader reads. The generator
// writes the game's objects in each; every one passes the check, loads
// whole and draws: pictures onto a 16-bit frame, text in every font.
TEST_F(DatafileCheck, EveryFormOfTheGamesObjectsLoadsAndDraws) {
    struct Form {
        const char* name;
        int objects;
        bool colour_fonts;
        int grown;  // pixels the pictures gained
    };
    const Form FORMS[] = {
        {"shipped", RES_COUNT, false, 0},         {"not-packed", RES_COUNT, false, 0},
        {"8-bit", RES_COUNT, false, 0},           {"15-bit", RES_COUNT, false, 0},
        {"24-bit", RES_COUNT, false, 0},          {"32-bit", RES_COUNT, false, 0},
        {"32-bit-alpha", RES_COUNT, false, 0},    {"colour-fonts", RES_COUNT, true, 0},
        {"objects-compressed", RES_COUNT, false, 0}, {"extra-objects", RES_COUNT + 3, false, 0},
        {"trailing-bytes", RES_COUNT, false, 0},  {"other-sizes", RES_COUNT, false, 7},
        {"all-at-once", RES_COUNT + 3, true, 3},
    };
    const std::string forms = dir.file("forms");
    const std::string generate = "tools/talvena_assets '" + dir.file("out") + "' --forms '" + forms + "' >/dev/null";
    ASSERT_EQ(std::system(generate.c_str()), 0) << "the generator in the build directory writes every form";
    DATAFILE* shipped = load_checked_datafile("Data/talvena.dat");
    ASSERT_NE(shipped, nullptr);
    // 8-bit pictures are converted through the palette, which in the game is
    // the default one set with the graphics mode.
    select_palette(default_palette);
    BITMAP* frame = create_bitmap_ex(16, 800, 600);
    const int red = makecol16(255, 0, 0);
    for (const Form& f : FORMS) {
        SCOPED_TRACE(f.name);
        const std::string path = forms + "/" + f.name + ".dat";
        const Bytes file = read_bytes(path);
        const char* fault = datafile_fault(file.data(), file.size());
        EXPECT_EQ(fault, nullptr) << fault;
        DATAFILE* d = load_checked_datafile(path.c_str());
        ASSERT_NE(d, nullptr);
        int count = 0;
        while (d[count].type != DAT_END) count++;
        EXPECT_EQ(count, f.objects);
        for (int i = 0; i < RES_COUNT; i++) {
            SCOPED_TRACE(i);
            ASSERT_EQ(d[i].type, shipped[i].type);
            clear_to_color(frame, 0);
            int drawn = 0;
            if (d[i].type == DAT_BITMAP) {
                BITMAP* b = static_cast<BITMAP*>(d[i].dat);
                const BITMAP* want = static_cast<BITMAP*>(shipped[i].dat);
                EXPECT_EQ(b->w, want->w + f.grown);
                EXPECT_EQ(b->h, want->h + f.grown);
                EXPECT_EQ(bitmap_color_depth(b), 16) << "converted to the game's depth";
                draw_sprite(frame, b, 0, 0);
                for (int y = 0; y < b->h; y++)
                    for (int x = 0; x < b->w; x++) drawn += getpixel(frame, x, y) != 0;
                EXPECT_GT(drawn, b->w * b->h / 20);
            } else if (d[i].type == DAT_FONT) {
                FONT* font = static_cast<FONT*>(d[i].dat);
                EXPECT_EQ(is_color_font(font) != 0, f.colour_fonts);
                textout_ex(frame, font, "Nová hra: šachovnice, dáma ^", 10, 10, red, -1);
                for (int y = 0; y < 100; y++)
                    for (int x = 0; x < 800; x++) drawn += getpixel(frame, x, y) == red;
                EXPECT_GT(drawn, 150) << "the text is drawn in the colour asked for";
            } else {
                const SAMPLE* sample = static_cast<SAMPLE*>(d[i].dat);
                const SAMPLE* want = static_cast<SAMPLE*>(shipped[i].dat);
                EXPECT_EQ(sample->len, want->len);
                EXPECT_EQ(0, std::memcmp(sample->data, want->data, sample->len * 2)) << "the same sound";
            }
        }
        unload_datafile(d);
    }
    unselect_palette();
    destroy_bitmap(frame);
    unload_datafile(shipped);
}

}  // namespace
