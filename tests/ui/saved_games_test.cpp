#include "ui/saved_games.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/temp_dir.h"

namespace {

struct SavedGamesTest : ::testing::Test {
    Settings saved_settings = settings;
    GameState saved_game = game;
    Square saved_board[SQUARE_COUNT];
    TempDir dir;
    std::string path = dir.file("gamdat.tdt");
    void SetUp() override {
        std::copy(board, board + SQUARE_COUNT, saved_board);
        settings.piece_count = 12;
        new_game();
    }
    void TearDown() override {
        settings = saved_settings;
        game = saved_game;
        std::copy(saved_board, saved_board + SQUARE_COUNT, board);
    }
};

Bytes file_of(const SavedGames& g) {
    Bytes b(SAVED_GAMES_FILE_SIZE);
    saved_games_to_bytes(g, b.data());
    return b;
}

Bytes record(const Bytes& file, int k) {
    return Bytes(file.begin() + SAVE_SLOT_SIZE * k, file.begin() + SAVE_SLOT_SIZE * (k + 1));
}

void expect_default_record(const Bytes& file, int k) {
    for (size_t off = 0; off < SAVE_SLOT_SIZE; off += 4)
        EXPECT_EQ(le32_at(file, SAVE_SLOT_SIZE * k + off), off < 16 ? 1 : 0) << "slot " << k << " offset " << off;
}

std::vector<int32_t> pieces() {
    std::vector<int32_t> out;
    for (const Square& s : board) out.push_back(s.piece);
    return out;
}

TEST_F(SavedGamesTest, SavingIntoSlotThreeOfANewFile) {
    SavedGames g;
    EXPECT_EQ(read_saved_games(path.c_str(), g), 0);
    for (const SaveSlot& slot : g.slots) EXPECT_EQ(slot_is_saved(slot), 0);
    settings.opponent = OPPONENT_HUMAN;
    settings.difficulty = LEVEL_AMATEUR;
    settings.computer_side = BLUE;
    board[42].piece = BLUE_KING;
    board[17].piece = RED_KING;
    game.turn = RED;
    game.paused_minutes = 7;
    game.paused_seconds = 42;
    slot_from_game(g.slots[2]);
    ASSERT_EQ(write_saved_games(path.c_str(), g), 1);

    const Bytes file = read_bytes(path);
    ASSERT_EQ(file.size(), 1420u);
    const int32_t header[] = {OPPONENT_HUMAN, LEVEL_AMATEUR, BLUE, RED, 7, 42};
    for (int i = 0; i < 6; i++) EXPECT_EQ(le32_at(file, 568 + 4 * i), header[i]) << i;
    for (int i = 0; i < SQUARE_COUNT; i++) EXPECT_EQ(le32_at(file, 592 + 4 * i), board[i].piece) << i;
    EXPECT_EQ(le32_at(file, 848), 1);
    for (int k : {0, 1, 3, 4}) expect_default_record(file, k);

    EXPECT_EQ(read_saved_games(path.c_str(), g), 1);
    for (int k = 0; k < SAVE_SLOT_COUNT; k++) EXPECT_EQ(slot_is_saved(g.slots[k]), k == 2 ? 1 : 0) << k;
}

TEST_F(SavedGamesTest, OnlyAPlayableSlotMarkedUsedIsSavedAndOddSlotsAreWrittenBackByteForByte) {
    struct Case {
        const char* what;
        std::function<void(SaveSlot&)> change;
        int saved;
    };
    const Case cases[] = {
        {"used 2", [](SaveSlot& s) { s.used = 2; }, 0},
        {"used -1", [](SaveSlot& s) { s.used = -1; }, 0},
        {"code 5", [](SaveSlot& s) { s.pieces[33] = 5; }, 0},
        {"code -1", [](SaveSlot& s) { s.pieces[33] = -1; }, 0},
        {"king on a light square", [](SaveSlot& s) { s.pieces[0] = BLUE_KING; }, 0},
        {"man on a light square", [](SaveSlot& s) { s.pieces[36] = RED_MAN; }, 0},
        {"blue man on row 0", [](SaveSlot& s) { s.pieces[1] = BLUE_MAN; }, 0},
        {"red man on row 7", [](SaveSlot& s) { s.pieces[56] = RED_MAN; }, 0},
        {"turn 0", [](SaveSlot& s) { s.turn = 0; }, 0},
        {"turn 3", [](SaveSlot& s) { s.turn = 3; }, 0},
        {"opponent 0", [](SaveSlot& s) { s.opponent = 0; }, 0},
        {"difficulty 4", [](SaveSlot& s) { s.difficulty = 4; }, 0},
        {"difficulty 0", [](SaveSlot& s) { s.difficulty = 0; }, 0},
        {"computer side -1", [](SaveSlot& s) { s.computer_side = -1; }, 0},
        {"minutes -1", [](SaveSlot& s) { s.minutes = -1; }, 0},
        {"seconds 60", [](SaveSlot& s) { s.seconds = 60; }, 0},
        {"seconds -1", [](SaveSlot& s) { s.seconds = -1; }, 0},
        // Possible positions stay loadable.
        {"as saved", [](SaveSlot&) {}, 1},
        {"mistr", [](SaveSlot& s) { s.difficulty = LEVEL_MASTER; }, 1},
        {"kings on the far rows, a red man on row 0", [](SaveSlot& s) {
             s.pieces[1] = BLUE_KING, s.pieces[62] = RED_KING, s.pieces[3] = RED_MAN;
         }, 1},
        {"a long game", [](SaveSlot& s) { s.minutes = 5000, s.seconds = 59; }, 1},
    };
    SaveSlot playable;
    slot_from_game(playable);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SavedGames g;
        saved_games_from_bytes(g, nullptr, 0);
        g.slots[0] = playable;
        c.change(g.slots[0]);
        g.slots[1] = playable;
        g.slots[1].turn = RED;
        const Bytes before = file_of(g);
        write_bytes(path, before);

        game.game_running = 0;
        board[33].piece = BLUE_KING;
        const std::vector<int32_t> board_before = pieces();
        ASSERT_EQ(read_saved_games(path.c_str(), g), 1);
        EXPECT_EQ(slot_is_saved(g.slots[0]), c.saved);
        EXPECT_EQ(slot_is_saved(g.slots[1]), 1);
        settings.difficulty = LEVEL_AMATEUR;
        game_from_slot(g.slots[0]);
        EXPECT_EQ(game.game_running, c.saved);
        EXPECT_EQ(pieces() == board_before, c.saved == 0);
        EXPECT_EQ(settings.difficulty, c.saved ? g.slots[0].difficulty : LEVEL_AMATEUR);

        slot_from_game(g.slots[3]);
        ASSERT_EQ(write_saved_games(path.c_str(), g), 1);
        const Bytes after = read_bytes(path);
        ASSERT_EQ(after.size(), 1420u);
        for (int k : {0, 1, 2, 4}) EXPECT_EQ(record(after, k), record(before, k)) << k;
        EXPECT_EQ(le32_at(after, 3 * SAVE_SLOT_SIZE + 280), 1);
    }
}

TEST_F(SavedGamesTest, SlotsAShortFileDoesNotHoldWholeAreFree) {
    SavedGames full;
    for (int k = 0; k < SAVE_SLOT_COUNT; k++) {
        game.paused_minutes = k;
        slot_from_game(full.slots[k]);
    }
    const Bytes whole = file_of(full);
    for (size_t size : {0, 300, 568, 1419}) {
        SCOPED_TRACE(size);
        write_bytes(path, Bytes(whole.begin(), whole.begin() + size));
        SavedGames g;
        ASSERT_EQ(read_saved_games(path.c_str(), g), 1);
        const size_t held = size / SAVE_SLOT_SIZE;
        for (size_t k = 0; k < SAVE_SLOT_COUNT; k++) {
            EXPECT_EQ(slot_is_saved(g.slots[k]), k < held ? 1 : 0) << k;
            EXPECT_EQ(g.slots[k].minutes, k < held ? int32_t(k) : 0) << k;
        }
        ASSERT_EQ(write_saved_games(path.c_str(), g), 1);
        const Bytes after = read_bytes(path);
        ASSERT_EQ(after.size(), 1420u);
        for (size_t k = 0; k < SAVE_SLOT_COUNT; k++) {
            if (k < held) {
                EXPECT_EQ(record(after, k), record(whole, k)) << k;
            } else {
                expect_default_record(after, k);
            }
        }
    }
}

TEST_F(SavedGamesTest, AnEightPieceGameComesBackWhilePieceCountIsTwelve) {
    settings.piece_count = 8;
    new_game();
    board[49].piece = EMPTY;  // a blue man forward, a red man crowned
    board[42].piece = BLUE_MAN;
    board[8].piece = EMPTY;
    board[58].piece = RED_KING;
    settings = {OPPONENT_COMPUTER, LEVEL_AMATEUR, BLUE, 12, 255, 255, -1, {}};
    game.turn = RED;
    game.paused_minutes = 12;
    game.paused_seconds = 3;
    const std::vector<int32_t> position = pieces();
    SavedGames g;
    read_saved_games(path.c_str(), g);
    slot_from_game(g.slots[4]);
    ASSERT_EQ(write_saved_games(path.c_str(), g), 1);

    settings.opponent = OPPONENT_HUMAN;
    settings.difficulty = LEVEL_PROFESSIONAL;
    settings.computer_side = RED;
    new_game();
    game.turn = BLUE;
    game.game_running = 0;
    ASSERT_EQ(read_saved_games(path.c_str(), g), 1);
    ASSERT_EQ(slot_is_saved(g.slots[4]), 1);
    game_from_slot(g.slots[4]);
    EXPECT_EQ(pieces(), position);
    EXPECT_EQ(std::count(position.begin(), position.end(), RED_MAN), 7);
    EXPECT_EQ(settings.piece_count, 12);
    EXPECT_EQ(settings.opponent, OPPONENT_COMPUTER);
    EXPECT_EQ(settings.difficulty, LEVEL_AMATEUR);
    EXPECT_EQ(settings.computer_side, BLUE);
    EXPECT_EQ(game.turn, RED);
    EXPECT_EQ(game.paused_minutes, 12);
    EXPECT_EQ(game.paused_seconds, 3);
    EXPECT_EQ(game.game_running, 1);
    for (int i = 0; i < SQUARE_COUNT; i++) EXPECT_EQ(board[i].light != 0, (i / 8 + i % 8) % 2 == 0) << i;
}

}  // namespace
