// talvena-cli slots on saved-games files written by the game's own code, and
// on files that are missing, unreadable, short or long.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "app/temp_dir.h"
#include "cli/cli.h"
#include "cli/cli_position.h"
#include "cli/cli_run.h"
#include "ui/saved_games.h"

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string show_field(const std::string& position, const std::string& prefix) {
    for (const std::string& line : lines_of(run_cli({"show", position}).out))
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "<no " + prefix + ">";
}

// A game saved the way the save screen saves it: the position, the side to
// move and the paused clock in the game state, the opponent in the settings.
SaveSlot saved(const std::string& position, int32_t turn, int32_t opponent, int32_t level, int32_t computer_side,
               int32_t minutes, int32_t seconds) {
    const Settings keep_settings = settings;
    const GameState keep_game = game;
    int32_t side = 0;
    std::string why;
    EXPECT_TRUE(parse_position(position, side, why)) << why;
    settings.opponent = opponent;
    settings.difficulty = level;
    settings.computer_side = computer_side;
    game.turn = turn;
    game.paused_minutes = minutes;
    game.paused_seconds = seconds;
    SaveSlot slot;
    slot_from_game(slot);
    settings = keep_settings;
    game = keep_game;
    return slot;
}

std::string text_of(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes bytes_of_text(const std::string& s) { return Bytes(s.begin(), s.end()); }

const char* const KINGS_FEN = "W:Wa1,c3,Ke5,g3:Bd6,Kb2,h8";

}  // namespace

TEST(CliSlots, ListsWhatTheGameWouldOffer) {
    TempDir dir;
    const std::string path = dir.file("gamdat.tdt");

    SavedGames g;
    for (SaveSlot& s : g.slots) default_slot(s);
    g.slots[0] = saved(KINGS_FEN, BLUE, OPPONENT_COMPUTER, LEVEL_PROFESSIONAL, RED, 12, 5);
    g.slots[2] = g.slots[0];
    g.slots[2].pieces[0] = 7;  // impossible: shown free, as the game shows it
    g.slots[3] = g.slots[0];
    g.slots[3].used = 2;
    g.slots[4] = saved("start8", RED, OPPONENT_HUMAN, LEVEL_AMATEUR, BLUE, 123, 59);
    ASSERT_EQ(write_saved_games(path.c_str(), g), 1);

    const CliResult r = run_cli({"slots", path});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;

    const std::string kings_text = show_field(KINGS_FEN, "position: ");
    EXPECT_EQ(lines[0].rfind("1 used", 0), 0u) << lines[0];
    for (const char* part : {"to move blue", "clock 12:05", "computer", "professional", "playing red"})
        EXPECT_TRUE(has(lines[0], part)) << part << " in " << lines[0];
    EXPECT_EQ(lines[1], "2 free");
    EXPECT_EQ(lines[2].rfind("3 free", 0), 0u);
    EXPECT_TRUE(has(lines[2], "marked used")) << lines[2];
    EXPECT_EQ(lines[3], "4 free");
    EXPECT_EQ(lines[4].rfind("5 used", 0), 0u) << lines[4];
    for (const char* part : {"to move red", "clock 123:59", "human"})
        EXPECT_TRUE(has(lines[4], part)) << part << " in " << lines[4];
    EXPECT_FALSE(has(lines[4], "amateur")) << "two humans have no level";

    // The listed positions are position texts that read back to the slots.
    for (size_t k : {0u, 4u}) {
        const std::string& line = lines[k];
        const size_t at = line.find("position ") + 9;
        const std::string text = line.substr(at, line.find(';', at) - at);
        EXPECT_EQ(show_field(text, "position: "), text);
        const std::string start8_red = show_field("start8", "position: ").replace(72, 1, "r");
        EXPECT_EQ(text, k == 0 ? kings_text : start8_red);
    }

    // As PDN: the two saved slots, each a set-up position with no moves.
    const CliResult p = run_cli({"slots", path, "--pdn"});
    ASSERT_EQ(p.status, CLI_OK) << p.err;
    std::vector<std::string> fens;
    int game_types = 0;
    int set_ups = 0;
    for (const std::string& line : lines_of(p.out)) {
        if (line.rfind("[FEN \"", 0) == 0) fens.push_back(line.substr(6, line.size() - 8));
        game_types += line == "[GameType \"29,W,8,8,A0,0\"]";
        set_ups += line == "[SetUp \"1\"]";
    }
    ASSERT_EQ(fens.size(), 2u) << p.out;
    EXPECT_EQ(game_types, 2);
    EXPECT_EQ(set_ups, 2);
    EXPECT_EQ(fens[0], show_field(KINGS_FEN, "fen: "));
    EXPECT_EQ(fens[1], "B" + show_field("start8", "fen: ").substr(1)) << "red to move in slot 5";
    EXPECT_TRUE(has(p.out, "[Black \"Talvena professional\"]")) << p.out;

    // Short and long files are read as the game reads them, with a note.
    const std::string whole = text_of(read_bytes(path));
    ASSERT_EQ(whole.size(), SAVED_GAMES_FILE_SIZE);
    write_bytes(path, bytes_of_text(whole.substr(0, 700)));  // slots 1 and 2 whole, 3 cut
    CliResult s = run_cli({"slots", path});
    ASSERT_EQ(s.status, CLI_OK);
    EXPECT_EQ(lines_of(s.out)[0], lines[0]);
    EXPECT_EQ(s.out.substr(s.out.find("\n3")), "\n3 free\n4 free\n5 free\n");
    EXPECT_EQ(s.err.rfind("note:", 0), 0u);
    EXPECT_TRUE(has(s.err, "700")) << s.err;
    write_bytes(path, Bytes{});
    s = run_cli({"slots", path});
    EXPECT_EQ(s.out, "1 free\n2 free\n3 free\n4 free\n5 free\n");
    EXPECT_EQ(run_cli({"slots", path, "--pdn"}).out, "");
    write_bytes(path, bytes_of_text(whole + "trailing bytes"));
    s = run_cli({"slots", path});
    EXPECT_EQ(s.out, r.out);
    EXPECT_EQ(s.err.rfind("note:", 0), 0u);
    EXPECT_EQ(text_of(read_bytes(path)), whole + "trailing bytes") << "only read";
}

TEST(CliSlots, BadFilesAndArguments) {
    TempDir dir;
    expect_bad_input(run_cli({"slots", dir.file("missing.tdt")}), "missing file");
    expect_bad_input(run_cli({"slots", dir.path}), "a directory");
    const std::string locked = dir.file("locked.tdt");
    write_bytes(locked, Bytes(SAVED_GAMES_FILE_SIZE, 0));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    expect_bad_input(run_cli({"slots"}), "no file");
    expect_bad_input(run_cli({"slots", locked, locked}), "two files");
    expect_bad_input(run_cli({"slots", locked, "--json"}), "unknown option");
    // Root reads any file, so the unreadable file is tried by another user.
    const int status = in_child([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 100;
        const CliResult r = run_cli({"slots", locked});
        return r.status == CLI_BAD_INPUT && r.out.empty() && r.err.rfind("error: cannot open", 0) == 0 ? 0 : 101;
    });
    if (status == 100) {
        GTEST_SKIP() << "running as root and cannot become uid 65534, who alone would find the file unreadable";
    }
    EXPECT_EQ(status, 0) << "unreadable file";
}
