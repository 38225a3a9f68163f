// The PDN reader on games written by hand the ways draughts programs write
// them: what it accepts, what it refuses and how it says so, through the pdn
// command that lists them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/temp_dir.h"
#include "cli/cli_run.h"
#include "notation/pdn.h"

namespace {

void write_text(const std::string& path, const std::string& text) { write_bytes(path, Bytes(text.begin(), text.end())); }

// talvena-cli pdn on `text` as a file, with more arguments after the file.
CliResult pdn_of(const std::string& text, std::vector<std::string> more = {}) {
    TempDir dir;
    const std::string path = dir.file("games.pdn");
    write_text(path, text);
    std::vector<std::string> args = {"pdn", path};
    args.insert(args.end(), more.begin(), more.end());
    return run_cli(args);
}

const std::string OPENING = "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8";
// After c3-d4 f6-e5 d4xf6 g7xe5.
const std::string AFTER_FOUR = "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,e3,g3:Be5,b6,d6,h6,a7,c7,e7,b8,d8,f8,h8";

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

}  // namespace

TEST(PdnRead, ReadsGamesAsOtherProgramsWriteThem) {
    CliResult r = pdn_of(TOURNAMENT);
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "1. Eva - Jan Novák, 1-0, 3 moves\n");
    r = pdn_of(NUMERIC);
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out, "1. A - B, *, 2 moves\n");

    // Both notations reach the same position.
    EXPECT_EQ(pdn_of(TOURNAMENT, {"--game", "1", "--move", "4"}).out, AFTER_FOUR + "\n");
    EXPECT_EQ(pdn_of(NUMERIC, {"--game", "1", "--fen"}).out, AFTER_FOUR + "\n");
    EXPECT_EQ(pdn_of(TOURNAMENT, {"--game", "1", "--move", "0"}).out, OPENING + "\n");

    for (const char* game : {"1", "2"}) EXPECT_EQ(pdn_of(PROBLEMS, {"--game", game, "--fen"}).out, "B:We5:B\n") << game;
    EXPECT_EQ(pdn_of(PROBLEMS, {"--game", "3", "--move", "1"}).out, "W:We3:Bb2\n");
    EXPECT_EQ(pdn_of(PROBLEMS, {"--game", "3", "--fen"}).out, "B:Wf4:Bb2\n");

    // The refused move is named by its game, line and number; the good games
    // are still listed.
    r = pdn_of(PROBLEMS);
    EXPECT_EQ(r.status, CLI_BAD_INPUT);
    EXPECT_EQ(r.out, "1. ? - ?, 1-0, 1 move\n2. ? - ?, 1-0, 1 move\n3. ? - ?, *, 2 moves\n");
    EXPECT_EQ(r.err, "error: game 4: line 18, move 2. 'b2-a3': b2-a3 is not a move or capture of the man on b2\n");
    expect_bad_input(pdn_of(PROBLEMS, {"--game", "4"}), "the bad game alone");
    expect_bad_input(pdn_of(PROBLEMS, {"--game", "2", "--move", "2"}), "past the last move");
    expect_bad_input(pdn_of(PROBLEMS, {"--game", "5"}), "no such game");
    expect_bad_input(run_cli({"pdn", "/nonexistent/missing.pdn"}), "missing file");
}

TEST(PdnRead, AnyBytesEndInAListingOrAReason) {
    // Each text as a whole file: what the listing says, and the one error
    // line (empty: none). The first four hung the reader once.
    struct Case {
        const char* what;
        std::string text;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"a stray ')'", "1. g3-f4 ) f6-g5 *\n", "", "game 1: line 1: a ')' that closes nothing"},
        {"a stray '}' then a good game", "1. g3-f4 } *\n[Event \"2\"]\n1. c3-d4 *\n", "2. ? - ?, *, 1 move\n",
         "game 1: line 1: a '}' that closes nothing"},
        {"a stray ']'", "1. c3-d4 ] *\n", "", "game 1: line 1: a ']' that closes nothing"},
        {"a NUL among the moves", std::string("1. c3-d4 \0 f6-e5 *\n", 19), "",
         "game 1: line 1, move 1... '\\x00': cannot read it as a move: squares are a1..h8 or 1..32, joined by "
         "'-', 'x' or ':'"},
        {"a ')' in a comment in a variation", "1. c3-d4 (1. a3-b4 {threat) or (not}; )\n f6-g5) f6-e5 *\n",
         "1. ? - ?, *, 1 move\n", ""},
        {"nested variations", "1. c3-d4 (1. a3-b4 (1. c3-b4 b6-a5) h6-g5) f6-e5 *\n", "1. ? - ?, *, 1 move\n", ""},
        {"a byte-order mark and CRLF", "\xEF\xBB\xBF[White \"Eva\"]\r\n\r\n1. c3-d4 f6-e5\r\n2. d4xf6 g7xe5 *\r\n",
         "1. Eva - ?, *, 2 moves\n", ""},
        {"'%' lines", "\xEF\xBB\xBF% from a database\n[Event \"x\"]\n% between\n1. c3-d4 *\n", "1. ? - ?, *, 1 move\n",
         ""},
        {"'...' for White's move left out", "[FEN \"B:Wc3:Bf6\"]\n1. ... f6-e5 2. c3-d4 *\n",
         "1. ? - ?, *, 2 moves\n", ""},
        {"numeric FEN squares and a range", "[FEN \"W:W21-23:B1,2\"]\n1. a3-b4 *\n", "1. ? - ?, *, 1 move\n", ""},
        {"a tag never closed, then a good game", "[Event \"x]\n1. c3-d4 *\n\n[Event \"y\"]\n1. c3-d4 *\n",
         "2. ? - ?, *, 1 move\n", "game 1: line 1: tag 'Event' is never closed"},
        {"a comment never closed", "[Event \"x\"]\n{never closed\n1. c3-d4 *\n", "",
         "game 1: line 2: '{' is never closed"},
        {"a variation never closed", "1. c3-d4 (f6-e5 *\n", "", "game 1: line 1: '(' is never closed"},
        {"a tag without a value", "[Event]\n1. c3-d4 *\n", "", "game 1: line 1: a tag must read [Name \"value\"]"},
        {"Russian draughts", "[GameType \"25\"]\n1. c3-d4 *\n", "",
         "game 1: GameType 25 (Russian draughts) is not Czech draughts"},
        {"international draughts", "[GameType \"20,W,10,10,N2,0\"]\n1. 32-28 19-23 *\n", "",
         "game 1: GameType 20 (international draughts, 10\u00d710) is not Czech draughts"},
        {"Czech draughts numbered from a1", "[GameType \"29,W,8,8,N0,0\"]\n1. 10-14 *\n", "1. ? - ?, *, 1 move\n",
         ""},
        {"the man must capture again", "[FEN \"W:Wa1:Bb2,d4\"]\n1. a1xc3 *\n", "",
         "game 1: line 2, move 1. 'a1xc3': the man on c3 must capture again"},
        {"the king must capture again", "[FEN \"W:WKa1:Bc3,e5\"]\n1. a1xd4 *\n", "",
         "game 1: line 2, move 1. 'a1xd4': the king on d4 must capture again"},
        {"a chain written past its end", "[FEN \"W:Wa1:Bb2\"]\n1. a1xc3xe5 *\n", "",
         "game 1: line 2, move 1. 'a1xc3xe5': the capture ends on c3, not on e5"},
        {"a capture left out", "1. c3-d4 f6-e5 2. g3-h4 *\n", "",
         "game 1: line 1, move 2. 'g3-h4': a man must capture, such as d4xf6"},
        {"the king's capture first", "[FEN \"W:WKa1,c1:Bb2,d2\"]\n1. c1xe3 *\n", "",
         "game 1: line 2, move 1. 'c1xe3': a king must capture, such as a1xh8"},
        {"two chains join the squares written", "[FEN \"W:Wc1:Bb2,d2,b4,d4\"]\n1. c1xc5 *\n", "",
         "game 1: line 2, move 1. 'c1xc5': more than one capture chain joins c1 and c5: write the squares between"},
        {"a move after the end", "[FEN \"W:Wa1:Bb2\"]\n1. a1xc3 c3-d4 *\n", "",
         "game 1: line 2, move 1... 'c3-d4': the game was already over"},
        {"a FEN that is not one", "[FEN \"start\"]\n1. c3-d4 *\n", "",
         "game 1: line 1: its FEN 'start' is not a FEN (W:W...:B...)"},
    };
    for (const Case& c : cases) {
        const CliResult r = pdn_of(c.text);
        EXPECT_EQ(r.out, c.out) << c.what;
        const std::string err = *c.err ? std::string("error: ") + c.err + "\n" : "";
        EXPECT_EQ(r.err, err) << c.what;
        EXPECT_EQ(r.status, err.empty() ? CLI_OK : CLI_BAD_INPUT) << c.what;
    }
    // The full chain reads where its ends alone do not.
    EXPECT_EQ(pdn_of("[FEN \"W:Wc1:Bb2,d2,b4,d4\"]\n1. c1xe3xc5 *\n", {"--game", "1", "--fen"}).out,
              "B:Wc5:Bb2,b4\n");
    // Numbers from a1 and names reach the same square.
    EXPECT_EQ(pdn_of("[GameType \"29,W,8,8,N0,0\"]\n1. 10-14 *\n", {"--game", "1", "--fen"}).out,
              pdn_of("1. c3-d4 *\n", {"--game", "1", "--fen"}).out);
    expect_bad_input(pdn_of(""), "an empty file");
    expect_bad_input(pdn_of("\xEF\xBB\xBF  \r\n% only a comment line\n"), "nothing but blanks");
}

TEST(PdnRead, GameTypeDecides) {
    struct Case {
        const char* value;
        const char* refusal;  // empty: Czech draughts
        bool numeric;
        int corner;
    };
    const Case cases[] = {
        {"", "", false, CORNER_BOTTOM_LEFT},
        {"29", "", false, CORNER_BOTTOM_LEFT},
        {"29,W,8,8,A0,0", "", false, CORNER_BOTTOM_LEFT},
        {"29,W,8,8,A0", "", false, CORNER_BOTTOM_LEFT},
        {" 29 , W , 8 , 8 , N2 , 0 ", "", true, CORNER_TOP_LEFT},
        {"29,W,8,8,N0,0", "", true, CORNER_BOTTOM_LEFT},
        {"32,W,8,8,A1,0", "", false, CORNER_BOTTOM_LEFT},  // what this game wrote before
        {"32,W,8,8,N1,0", "", true, CORNER_TOP_LEFT},
        {"20", "GameType 20 (international draughts, 10\u00d710) is not Czech draughts", false, 0},
        {"21,B,8,8,N1,0", "GameType 21 (English draughts) is not Czech draughts", false, 0},
        {"25,W,8,8,A0,0", "GameType 25 (Russian draughts) is not Czech draughts", false, 0},
        {"26", "GameType 26 (Brazilian draughts) is not Czech draughts", false, 0},
        {"0", "GameType 0 (chess) is not Czech draughts", false, 0},
        {"99", "GameType 99 (a type this reader does not know) is not Czech draughts", false, 0},
        {"29,B,8,8,A0,0", "GameType '29,B,8,8,A0,0': in Czech draughts White moves first", false, 0},
        {"29,W,10,10,N2,0", "GameType '29,W,10,10,N2,0': Czech draughts is played on 8\u00d78 squares", false, 0},
        {"29,W,8,8,S0,0", "GameType '29,W,8,8,S0,0': notation 'S0' is not A0..A3 or N0..N3", false, 0},
        {"29,W,8,8,A0,1",
         "GameType '29,W,8,8,A0,1': a light square at the bottom left is not the board of Czech draughts", false, 0},
        {"29,W,8", "GameType '29,W,8' must be the type alone or type,colour,width,height,notation[,invert]", false, 0},
        {"Czech", "GameType 'Czech' does not start with a game type number", false, 0},
        {"99999999999", "GameType '99999999999' does not start with a game type number", false, 0},
    };
    for (const Case& c : cases) {
        SquareNumbering n{};
        std::string why;
        const bool czech = pdn_czech_numbering(c.value, n, why);
        EXPECT_EQ(czech, *c.refusal == 0) << c.value;
        EXPECT_EQ(why, c.refusal) << c.value;
        if (czech) {
            EXPECT_EQ(n.numeric, c.numeric) << c.value;
            EXPECT_EQ(n.corner, c.corner) << c.value;
        }
    }
}
