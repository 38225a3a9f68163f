// talvena-cli pdn on games written by hand the ways draughts programs write
// them, and slots --put into a saved-games file the game then loads.
#include <gtest/gtest.h>

#include <string>

#include "app/temp_dir.h"
#include "cli/cli_run.h"
#include "ui/saved_games.h"

namespace {

void write_text(const std::string& path, const std::string& text) { write_bytes(path, Bytes(text.begin(), text.end())); }

// Tags in any order, a comment over two lines, an annotation, a NAG inside
// a variation.
const char TOURNAMENT[] =
    "[Result \"1-0\"]\n"
    "[Black \"Jan Novák\"]\n"
    "[White \"Eva\"]\n"
    "[Event \"Klubový turnaj\"]\n"
    "[GameType \"32,W,8,8,A1,0\"]\n"
    "\n"
    "{A quiet start,\n over two lines}\n"
    "1. c3-d4 f6-e5 {forced now} 2. d4xf6! (2. b2-a3?? $4) g7xe5 3. b2-c3 1-0\n";

// Numbers for squares, ':' for captures, numbers glued to moves, a ';'
// comment: the same first four moves.
const char NUMERIC[] =
    "[Event \"Numeric\"][White \"A\"][Black \"B\"]\n"
    "[GameType \"32,W,8,8,N1,0\"]\n"
    "1.22-18 11-15 ; to the end of the line 1-0\n"
    "2.18:11 8:15 *\n";

// Set-up positions: a chain given only by its ends, red to move with
// "1...", a FEN without SetUp, and a game with a refused move.
const char PROBLEMS[] =
    "[Event \"Chain\"]\n[SetUp \"1\"]\n[FEN \"W:Wa1:Bb2,d4\"]\n\n1. a1xe5 1-0\n\n"
    "[Event \"Chain in full\"]\n[SetUp \"1\"]\n[FEN \"W:Wa1:Bb2,d4.\"]\n\n1. a1:c3:e5 1-0\n\n"
    "[Event \"Red first\"]\n[FEN \"B:Wc3,e3:Bd4\"]\n1... d4:b2 2. e3-f4 *\n\n"
    "[Event \"Capture ignored\"]\n1. c3-d4 f6-e5 2. b2-a3 *\n";

TEST(CliPdn, ReadsGamesAsOtherProgramsWriteThem) {
    TempDir dir;
    const std::string tournament = dir.file("tournament.pdn");
    const std::string numeric = dir.file("numeric.pdn");
    const std::string problems = dir.file("problems.pdn");
    write_text(tournament, TOURNAMENT);
    write_text(numeric, NUMERIC);
    write_text(problems, PROBLEMS);

    CliResult r = run_cli({"pdn", tournament});
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "1. Eva - Jan Novák, 1-0, 5 moves\n");
    r = run_cli({"pdn", numeric});
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "1. A - B, *, 4 moves\n");

    // Both notations reach the same position.
    const std::string after_four = "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,e3,g3:Be5,b6,d6,h6,a7,c7,e7,b8,d8,f8,h8\n";
    r = run_cli({"pdn", tournament, "--game", "1", "--move", "4"});
    EXPECT_EQ(r.out, after_four) << r.err;
    r = run_cli({"pdn", numeric, "--game", "1", "--fen"});
    EXPECT_EQ(r.out, after_four) << r.err;
    r = run_cli({"pdn", tournament, "--game", "1", "--move", "0"});
    EXPECT_EQ(r.out, "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8\n") << r.err;

    for (const char* game : {"1", "2"}) {
        r = run_cli({"pdn", problems, "--game", game, "--fen"});
        EXPECT_EQ(r.out, "B:We5:B\n") << game << ": " << r.err;
    }
    r = run_cli({"pdn", problems, "--game", "3", "--move", "1"});
    EXPECT_EQ(r.out, "W:We3:Bb2\n") << r.err;
    r = run_cli({"pdn", problems, "--game", "3", "--fen"});
    EXPECT_EQ(r.out, "B:Wf4:Bb2\n") << r.err;

    // The refused move is named by its game and its number.
    r = run_cli({"pdn", problems});
    expect_bad_input(r, "capture ignored");
    EXPECT_NE(r.err.find("game 4"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("move 2. 'b2-a3'"), std::string::npos) << r.err;
    r = run_cli({"pdn", problems, "--game", "2", "--move", "2"});
    expect_bad_input(r, "past the last move");
    expect_bad_input(run_cli({"pdn", problems, "--game", "5"}), "no such game");
    expect_bad_input(run_cli({"pdn", dir.file("missing.pdn")}), "missing file");
    write_text(dir.file("open.pdn"), "[Event \"x\"]\n{never closed\n1. c3-d4 *\n");
    expect_bad_input(run_cli({"pdn", dir.file("open.pdn")}), "open comment");
}

TEST(CliSlots, PutWritesOneSlotAndLeavesTheOthers) {
    TempDir dir;
    const std::string path = dir.file("gamdat.tdt");

    // A missing file is made with the other four slots free.
    CliResult r = run_cli({"slots", path, "--put", "2", "B:Wc3,Ke1:Bf6,h8", "--opponent", "human"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    r = run_cli({"slots", path});
    EXPECT_EQ(r.out, "1 free\n2 used; position .......r/......../.....r../......../......../..b...../......../....B... r; "
                     "to move red; clock 00:00; opponent human (two players)\n3 free\n4 free\n5 free\n");

    // Over any bytes, only the slot put changes.
    Bytes before(SAVED_GAMES_FILE_SIZE);
    for (size_t i = 0; i < before.size(); i++) before[i] = static_cast<unsigned char>(i * 37 + 11);
    write_bytes(path, before);
    ASSERT_EQ(run_cli({"slots", path, "--put", "5", "start8", "--level", "amateur", "--computer", "blue"}).status,
              CLI_OK);
    const Bytes after = read_bytes(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 4 * SAVE_SLOT_SIZE, after.begin()));
    EXPECT_EQ(lines_of(run_cli({"slots", path}).out).back(),
              "5 used; position .r.r.r.r/r.r.r.r./......../......../......../......../.b.b.b.b/b.b.b.b. b; "
              "to move blue; clock 00:00; opponent computer, amateur, playing blue");

    // Refusals leave the file as it was.
    expect_bad_input(run_cli({"slots", path, "--put", "6", "start"}), "slot 6");
    expect_bad_input(run_cli({"slots", path, "--put", "1", "start", "--opponent", "robot"}), "opponent");
    EXPECT_EQ(read_bytes(path), after);
    expect_bad_input(run_cli({"slots", dir.path, "--put", "1", "start"}), "a folder, not a file");
}

}  // namespace
