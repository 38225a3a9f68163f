#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "app/temp_dir.h"

namespace {

struct SettingsFileTest : ::testing::Test {
    Settings saved = settings;
    TempDir dir;
    std::string path = dir.file("talvdat.tdt");
    void TearDown() override { settings = saved; }
};

void set_name(int32_t name[NAME_LEN], std::u32string text) {
    for (int i = 0; i < NAME_LEN; i++) name[i] = i < static_cast<int>(text.size()) ? int32_t(text[i]) : 0;
}

Bytes encoded(const Settings& s) {
    Bytes b(SETTINGS_FILE_SIZE);
    settings_to_bytes(s, b.data());
    return b;
}

Settings garbage() {
    Settings s;
    std::memset(&s, 0x5A, sizeof s);
    return s;
}

TEST_F(SettingsFileTest, EverythingTheGameWritesLoadsUnchanged) {
    struct Case {
        Settings s;
        std::u32string first, second;
    };
    const Case cases[] = {
        {{1, 2, 2, 12, 255, 255, TRACK_ALTERNATE, {}}, U"Modrý", U"Rudý"},
        {{2, 1, 1, 8, 0, 0, TRACK_DREAM, {}}, U"Řehoř Čížů", U"Ďáblice"},  // ten code points
        {{2, 2, 1, 12, 135, 5, TRACK_SPRING, {}}, U"Žofie", U"Ó"},
        {{1, LEVEL_MASTER, 1, 8, 1, 254, TRACK_DREAM, {}}, U"Mistr", U"Ž"},
    };
    for (Case c : cases) {
        set_name(c.s.player_name[0], c.first);
        set_name(c.s.player_name[1], c.second);
        settings = c.s;
        ASSERT_EQ(save_settings_to(path.c_str()), 1);
        const Bytes file = read_bytes(path);
        ASSERT_EQ(file.size(), SETTINGS_FILE_SIZE);
        EXPECT_EQ(le32_at(file, 12), c.s.piece_count);  // before both volumes
        EXPECT_EQ(le32_at(file, 16), c.s.music_volume);
        EXPECT_EQ(le32_at(file, 24), c.s.music_track);
        EXPECT_EQ(le32_at(file, 28), int32_t(c.first[0]));
        EXPECT_EQ(le32_at(file, 68), int32_t(c.second[0]));
        settings = garbage();
        load_settings_from(path.c_str());
        EXPECT_EQ(encoded(settings), file);
    }
}

TEST_F(SettingsFileTest, AMissingFileGivesTheDefaultsAndKeepsTheNames) {
    settings = garbage();
    set_name(settings.player_name[0], U"Eva");
    set_name(settings.player_name[1], U"Ota");
    const Settings before = settings;
    load_settings_from(dir.file("none.tdt").c_str());
    Settings want = {1, 2, 2, 12, 255, 255, -1, {}};
    std::memcpy(want.player_name, before.player_name, sizeof want.player_name);
    EXPECT_EQ(encoded(settings), encoded(want));
}

TEST_F(SettingsFileTest, AShortFileSetsTheFieldsItHoldsWholeAndALongOneIsCutAt108) {
    Settings file_values = {2, 1, 1, 8, 40, 60, TRACK_DREAM, {}};
    set_name(file_values.player_name[0], U"Ája");
    set_name(file_values.player_name[1], U"Bořek");
    const Bytes full = encoded(file_values);
    settings = {1, 2, 2, 12, 255, 255, 0, {}};
    set_name(settings.player_name[0], U"Modrý");
    set_name(settings.player_name[1], U"Rudý");
    const Settings start = settings;

    for (size_t size : {28, 30, 108}) {
        settings = start;
        write_bytes(path, Bytes(full.begin(), full.begin() + size));
        load_settings_from(path.c_str());
        Bytes want = encoded(start);
        std::copy(full.begin(), full.begin() + (size / 4) * 4, want.begin());
        EXPECT_EQ(encoded(settings), want) << size;
    }
    Bytes longer = full;
    longer.resize(200, 0xFF);
    write_bytes(path, longer);
    settings = start;
    load_settings_from(path.c_str());
    EXPECT_EQ(encoded(settings), full);
}

TEST_F(SettingsFileTest, ValuesTheGameNeverWritesAreMadeSafe) {
    // A valid file with full-length names, then one field changed.
    Settings base = {2, 1, 1, 8, 100, 200, TRACK_SPRING, {}};
    set_name(base.player_name[0], U"Abcdefghij");
    set_name(base.player_name[1], U"Klmnopqrst");
    struct Case {
        size_t offset;
        int32_t value;
        int32_t loaded;  // for a name: the position where it now ends
    };
    const int32_t ENDS = INT32_MIN, BLANK = INT32_MIN + 1;  // BLANK: the side's first name instead
    const Case cases[] = {
        {12, 0, 12},        {12, 10, 12},      {12, -8, 12},       {12, 24, 12},
        {0, 0, 1},          {0, 3, 1},         {4, -1, 2},         {4, 4, 2},
        {4, 0, 2},
        {8, 0, 2},          {8, 9, 2},         {16, -5, 0},        {16, 256, 255},
        {20, INT32_MIN, 0}, {20, INT32_MAX, 255},
        // Any other track reads as both in turn, so the music can be brought back.
        {24, 0, -1},        {24, 7, -1},       {24, -2, -1},
        // Noncharacters are refused as the names editor refuses them.
        {28 + 12, 0xFFFE, ENDS}, {68 + 4, 0xFDD0, ENDS}, {68 + 8, 0x1FFFF, ENDS}, {68 + 8, 0x10FFFF, ENDS},
        {28 + 12, -1, ENDS}, {28 + 12, 0xD800, ENDS}, {28 + 12, 0xDFFF, ENDS}, {28 + 12, 0x110000, ENDS},
        {68 + 4, 0x1F, ENDS}, {68 + 20, 0x7F, ENDS},  {68 + 20, 0x9F, ENDS},   {68 + 36, 0, ENDS},
        {68 + 36, '\n', ENDS}, {28 + 8, 0, ENDS},  // a 0 inside ends the name
        // Printable code points at the edges stay.
        {28 + 36, 0x10FFFD, 0x10FFFD}, {28 + 36, 0xA0, 0xA0}, {68, 0x20, 0x20}, {68, 0xE000, 0xE000},
        {28, 0, BLANK}, {28, 0xD800, BLANK}, {68, 0x1F, BLANK}, {68, 0x110000, BLANK},
    };
    for (const Case& c : cases) {
        Bytes file = encoded(base);
        put_le32(file, c.offset, c.value);
        Bytes want = file;
        if (c.loaded == BLANK) {
            for (int i = 0; i < NAME_LEN; i++) put_le32(want, c.offset + 4 * i, DEFAULT_NAMES[c.offset / 68][i]);
        } else if (c.loaded == ENDS) {
            const size_t name_end = c.offset < 68 ? 68 : 108;
            std::fill(want.begin() + c.offset, want.begin() + name_end, 0);
        } else {
            put_le32(want, c.offset, c.loaded);
        }
        settings = garbage();
        settings_from_bytes(settings, file.data(), file.size());
        EXPECT_EQ(encoded(settings), want) << "offset " << c.offset << " value " << c.value;
    }
}

}  // namespace
