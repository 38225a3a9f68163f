// The real game binary under Xvfb: start-up through the main menu, the play
// screen, the clocks, the ways out, and the start-up failure.
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <cstdio>
#include <string>

#include "app/temp_dir.h"
#include "e2e/harness.h"

namespace {

using e2e::Image;
using e2e::Pixel;


// The datafile's unpacked stream, through the library's own unpacking.
std::vector<unsigned char> unpacked(const std::string& path) {
    if (system_driver == nullptr) install_allegro(SYSTEM_NONE, &errno, std::atexit);
    std::vector<unsigned char> body;
    PACKFILE* f = pack_fopen(path.c_str(), F_READ_PACKED);
    if (f == nullptr) return body;
    for (int c; (c = pack_getc(f)) != EOF;) body.push_back(static_cast<unsigned char>(c));
    pack_fclose(f);
    return body;
}

// Packed files are written through the library; unpacked ones carry the
// magic of an uncompressed packfile, which it reads as well.
void write_datafile(const std::string& path, const std::vector<unsigned char>& bytes, bool unpacked) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (unpacked) out.write("slh.", 4);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

size_t find(const std::vector<unsigned char>& bytes, const std::string& text, size_t from) {
    auto at = std::search(bytes.begin() + static_cast<long>(from), bytes.end(), text.begin(), text.end());
    return at == bytes.end() ? std::string::npos : static_cast<size_t>(at - bytes.begin());
}

// Every 97th byte of the compressed stream's first few kilobytes inverted.
std::vector<unsigned char> scrambled(std::vector<unsigned char> bytes) {
    for (size_t at = 16; at < 8192 && at < bytes.size(); at += 97) bytes[at] ^= 0xFF;
    return bytes;
}

bool is_dark(int square) { return (square / 8 + square % 8) % 2 == 1; }

// Pixels of a panel line's grey inside its box: text drawn there or not.
int text_pixels(const Image& img, int x1, int y1, int x2, int y2, int grey) {
    return e2e::count_near(img, x1, y1, x2, y2, grey, grey, grey, 10);
}

struct StartupTest : ::testing::Test {
    e2e::Session s;
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(e2e::start_session(s, error)) << error;
    }
    void TearDown() override { e2e::stop_session(s); }
    // Start-up opens the main menu; "Nová hra" leads to the board.
    void start() {
        std::string error;
        ASSERT_TRUE(e2e::start_game(s, error)) << error;
        ASSERT_TRUE(e2e::start_new_game(s, false, error)) << error;
    }
};

TEST_F(StartupTest, PlayScreenShowsTheStartingPositionAndPanel) {
    start();
    e2e::move_mouse(s, 780, 580);  // pointer away from the board
    e2e::sleep_ms(400);
    Image img = e2e::screenshot(s, "startup_play_screen");
    ASSERT_EQ(img.width, 800);
    ASSERT_EQ(img.height, 600);

    // Every light square shows the same tile; the empty dark squares of rows
    // 3 and 4 show another, clearly different one.
    const Pixel light = e2e::square_colour(img, 0, 4), dark = e2e::square_colour(img, 24, 4);
    EXPECT_GT(e2e::distance(light, dark), 60) << "light and dark tiles must differ";
    for (int i = 0; i < 64; i++) {
        const int from_light = e2e::distance(e2e::square_colour(img, i, 4), light);
        const int from_dark = e2e::distance(e2e::square_colour(img, i, 4), dark);
        if (!is_dark(i)) {
            EXPECT_LT(from_light, 30) << "light square " << i;
        } else if (i >= 24 && i < 40) {
            EXPECT_LT(from_dark, 30) << "empty dark square " << i;
        }
    }
    // Men on the 24 starting squares: red on rows 0-2, blue on rows 5-7.
    for (int i = 0; i < 64; i++) {
        if (!is_dark(i) || (i >= 24 && i < 40)) continue;
        Pixel p = e2e::square_colour(img, i, 10);
        EXPECT_GT(e2e::distance(p, dark), 40) << "a man should stand on " << i;
        if (i < 24) {
            EXPECT_GT(p.r, p.b + 30) << "red man on " << i;
        } else {
            EXPECT_GT(p.b, p.r + 30) << "blue man on " << i;
        }
    }
    // Panel text: the clocks in grey 140, the labels in grey 170.
    EXPECT_GT(text_pixels(img, 54, 40, 150, 64, 140), 40) << "time of day";
    EXPECT_GT(text_pixels(img, 61, 66, 150, 90, 140), 30) << "game clock";
    EXPECT_GT(text_pixels(img, 46, 106, 147, 121, 170), 20) << "Obtížnost";
    EXPECT_GT(text_pixels(img, 46, 124, 147, 139, 170), 20) << "level";
    EXPECT_GT(text_pixels(img, 46, 405, 147, 438, 170), 20) << "names";
    EXPECT_GT(text_pixels(img, 46, 463, 147, 496, 170), 20) << "Nyní hraje";
    EXPECT_GT(text_pixels(img, 46, 521, 147, 554, 170), 20) << "Stav tahu";
}

TEST_F(StartupTest, GameClockAdvances) {
    start();
    e2e::move_mouse(s, 780, 580);
    Image first = e2e::screenshot(s, "clock_first");
    e2e::sleep_ms(2300);
    Image second = e2e::screenshot(s, "clock_second");
    int changed = 0;
    for (int y = 66; y < 92; y++)
        for (int x = 60; x < 160; x++) changed += e2e::distance(first.at(x, y), second.at(x, y)) > 30;
    EXPECT_GT(changed, 5) << "the game clock should have moved on";
}

TEST_F(StartupTest, EscapeOpensTheMenuWhoseKonecEndsTheProgram) {
    start();
    std::string error;
    ASSERT_TRUE(e2e::quit_through_menu(s, error)) << error;
}

TEST_F(StartupTest, CloseButtonOnTheBoardEndsTheProgramLikeQuitting) {
    start();
    ASSERT_TRUE(e2e::send_close_request(s, s.window));
    int status = -1;
    ASSERT_TRUE(e2e::wait_game(s, 10000, status)) << "the game did not end on the close request";
    EXPECT_EQ(status, 0);
    std::FILE* f = std::fopen((s.workdir + "/Data/talvdat.tdt").c_str(), "rb");
    EXPECT_NE(f, nullptr) << "the settings are written on the way out";
    if (f) std::fclose(f);
}

// A missing, cut, damaged or foreign datafile: the window opens (graphics
// come up before the datafile is loaded), then Allegro shows the start-up
// message through xmessage, and the game fails once it is closed.
TEST_F(StartupTest, MissingOrDamagedDatafileIsReportedAndFails) {
    const std::string path = s.workdir + "/Data/talvena.dat";
    const std::vector<unsigned char> packed = read_bytes(path);
    const std::vector<unsigned char> body = unpacked(path);
    ASSERT_GT(body.size(), 1000000u);
    std::vector<unsigned char> swapped = body;  // the fonts' kind tags turned into pictures'
    for (size_t at = 0; (at = find(swapped, "FONT_", at)) != std::string::npos; at++)
        std::memcpy(&swapped[at + swapped[at - 1]], "BMP ", 4);  // after the name, whose length precedes it
    // The menu background one pixel wider than its pixels: the loader would
    // read past its bytes.
    std::vector<unsigned char> wider = body;
    wider[find(wider, "MENU_BACKGROUND", 0) + 15 + 12 + 3]++;
    struct Variant {
        const char* what;
        std::vector<unsigned char> bytes;
        bool unpacked;
    };
    const Variant variants[] = {
        {"missing", {}, false},
        {"truncated", std::vector<unsigned char>(packed.begin(), packed.begin() + packed.size() / 2), false},
        {"corrupt", scrambled(packed), false},
        {"wrong_kinds", swapped, true},
        {"pixels_short", wider, true},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        std::remove(path.c_str());
        if (!v.bytes.empty()) write_datafile(path, v.bytes, v.unpacked);
        std::string error;
        ASSERT_TRUE(e2e::start_game(s, error)) << error;
        std::string box;
        for (int i = 0; i < 100 && box.empty(); i++) {
            box = e2e::find_window(s, "--onlyvisible --class Xmessage");
            if (box.empty()) e2e::sleep_ms(100);
        }
        ASSERT_FALSE(box.empty()) << "no message box";
        s.window = box;
        Image img = e2e::screenshot(s, std::string("datafile_") + v.what);
        EXPECT_GT(img.width, 0);
        // The message itself is the box's text; read it from the command
        // line Allegro gave xmessage.
        std::string args;
        e2e::run(s, "ps -o args= -C xmessage", &args);
        EXPECT_NE(args.find("Nelze nahrat soubor talvena.dat z adresare Data."), std::string::npos) << args;
        // Close it as a user would: click its OK button, bottom left in the box.
        e2e::click(s, 15, img.height - 13);
        int status = -1;
        ASSERT_TRUE(e2e::wait_game(s, 5000, status)) << "the game did not end after the message box";
        EXPECT_NE(status, 0);
        EXPECT_LT(status, 128) << "killed by a signal";
    }
}

}  // namespace

namespace {

// Without a display (and without a console) Allegro cannot start at all; the
// game must say so and fail instead of crashing in its next library call.
TEST(StartupWithoutDisplay, ReportsAndFailsCleanly) {
    const std::string binary = std::string(TALVENA_BUILD_DIR) + "/talvena";
    const std::string command =
        "cd " + std::string(TALVENA_BUILD_DIR) + " && env -u DISPLAY " + binary + " </dev/null 2>&1; echo \"exit=$?\"";
    FILE* p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    EXPECT_NE(out.find("cannot initialise Allegro"), std::string::npos) << out;
    EXPECT_NE(out.find("exit=3"), std::string::npos) << out;
    for (unsigned char c : out) EXPECT_LT(c, 128) << "the message is plain ASCII";
}

}  // namespace
