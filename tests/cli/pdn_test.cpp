// talvena-cli in the draughts world's notation: help texts, squares a1..h8,
// FEN positions, analyse's squares, and self-play games written as PDN and
// replayed here with a reader of its own through the game's acceptance rule.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "app/temp_dir.h"
#include "cli/cli.h"
#include "cli/cli_run.h"
#include "rules/rules.h"
#include "ui/saved_games.h"

namespace {

// The line of `text` starting with `prefix`, without the prefix.
std::string field(const std::string& text, const std::string& prefix) {
    for (const std::string& line : lines_of(text))
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "<no " + prefix + ">";
}

// The moves `show` lists: the lines after "moves: N".
std::vector<std::string> listed_moves(const std::string& show_out) {
    const std::vector<std::string> lines = lines_of(show_out);
    auto at = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("moves: ", 0) == 0; });
    return at == lines.end() ? std::vector<std::string>{} : std::vector<std::string>(at + 1, lines.end());
}

// Names as the board's edge labels read: files a..h left to right, ranks
// 1..8 from the bottom row up.
std::string name_of(int i) { return std::string(1, static_cast<char>('a' + i % 8)) + static_cast<char>('8' - i / 8); }
int index_of(const std::string& name) { return ('8' - name[1]) * 8 + (name[0] - 'a'); }
bool dark(int i) { return (i / 8 + i % 8) % 2 == 1; }

struct Placement {
    int32_t piece[SQUARE_COUNT] = {};
    int32_t side = BLUE;
};

// Random pieces with kings on dark squares, no man on its crowning row.
Placement random_placement(std::mt19937& rng) {
    Placement p;
    const int n = 1 + static_cast<int>(rng() % 20);
    for (int k = 0; k < n; k++) {
        const int i = static_cast<int>(rng() % SQUARE_COUNT);
        if (!dark(i)) continue;
        int32_t code = 1 + static_cast<int32_t>(rng() % 4);
        if ((code == BLUE_MAN && i < 8) || (code == RED_MAN && i >= 56)) code += 2;
        p.piece[i] = code;
    }
    p.side = rng() % 2 ? BLUE : RED;
    return p;
}

std::string board_text(const Placement& p) {
    std::string t;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        if (i > 0 && i % 8 == 0) t += '/';
        t += ".brBR"[p.piece[i]];
    }
    return t + (p.side == BLUE ? " b" : " r");
}

// A FEN of the placement with its squares and lists in a random order.
std::string shuffled_fen(const Placement& p, std::mt19937& rng) {
    std::vector<std::string> lists[3];
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const int32_t c = p.piece[i];
        if (c != EMPTY) lists[c == BLUE_MAN || c == BLUE_KING ? 1 : 2].push_back((c > 2 ? "K" : "") + name_of(i));
    }
    std::string part[3];
    for (int s = 1; s <= 2; s++) {
        std::shuffle(lists[s].begin(), lists[s].end(), rng);
        part[s] = s == 1 ? "W" : "B";
        for (size_t k = 0; k < lists[s].size(); k++) part[s] += (k ? "," : "") + lists[s][k];
    }
    const bool swap = rng() % 2;
    return std::string(p.side == BLUE ? "W:" : "B:") + part[swap ? 2 : 1] + ":" + part[swap ? 1 : 2];
}

// Squares a move passes over between two of its stops, ends excluded.
bool passes_a_piece(const std::string& show_position, int from, int to) {
    const int step = (to > from ? 1 : -1) * ((to - from) % 9 == 0 ? 9 : 7);
    for (int i = from + step; i != to; i += step)
        if (show_position[(i / 8) * 9 + i % 8] != '.') return true;
    return false;
}

}  // namespace

TEST(CliHelp, NamesEveryCommandAndEachExampleRuns) {
    // The command list the usage error gives comes from the dispatch table.
    const CliResult none = run_cli({});
    expect_bad_input(none, "no command");
    const std::string list = none.err.substr(none.err.find("commands:") + 9);
    std::vector<std::string> commands;
    std::istringstream words(list.substr(0, list.find(';')));
    for (std::string w; words >> w;) commands.push_back(w);
    ASSERT_GE(commands.size(), 6u) << none.err;

    const CliResult overview = run_cli({"--help"});
    ASSERT_EQ(overview.status, CLI_OK);
    EXPECT_TRUE(overview.err.empty());
    EXPECT_EQ(run_cli({"help"}).out, overview.out);
    EXPECT_EQ(run_cli({"-h"}).out, overview.out);
    EXPECT_NE(overview.out.find("W:Wa1"), std::string::npos) << "the FEN form is explained";

    char dir_template[] = "/tmp/talvena-help-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir_template), 0);
    // The slots example reads the game's own file.
    ASSERT_EQ(mkdir("Data", 0755), 0);
    SavedGames saved;
    for (SaveSlot& s : saved.slots) default_slot(s);
    saved.slots[1].used = 1;
    ASSERT_EQ(write_saved_games(SAVED_GAMES_PATH, saved), 1);
    // The pdn example reads the games the game keeps.
    std::FILE* kept = std::fopen("Data/partie.pdn", "w");
    ASSERT_NE(kept, nullptr);
    std::fputs("[Event \"Talvena\"]\n\n1. c3-d4 f6-e5 *\n", kept);
    std::fclose(kept);
    for (const std::string& c : commands) {
        EXPECT_NE(overview.out.find("\n  " + c + " "), std::string::npos) << c << " missing from --help";
        const CliResult h = run_cli({"help", c});
        ASSERT_EQ(h.status, CLI_OK) << c;
        EXPECT_EQ(h.out.rfind("usage: talvena-cli " + c, 0), 0u) << h.out;
        EXPECT_EQ(run_cli({c, "--help"}).out, h.out) << c;
        EXPECT_EQ(run_cli({c, "1", "--help"}).out, h.out) << "the flag wins over other words: " << c;

        // The example, run as written; bench's timing run and match's games
        // (minutes of them) are left to their own tests.
        const std::string example = field(h.out, "  talvena-cli ");
        ASSERT_EQ(example.rfind(c, 0), 0u) << c << " has no example of itself: " << h.out;
        if (c == "bench" || c == "match") continue;
        std::vector<std::string> args;
        for (size_t i = 0; i < example.size();) {
            if (example[i] == ' ') {
                i++;
            } else if (example[i] == '"') {
                const size_t end = example.find('"', i + 1);
                args.push_back(example.substr(i + 1, end - i - 1));
                i = end + 1;
            } else {
                const size_t end = std::min(example.find(' ', i), example.size());
                args.push_back(example.substr(i, end - i));
                i = end;
            }
        }
        const CliResult r = run_cli(args);
        EXPECT_EQ(r.status, CLI_OK) << example << ": " << r.err;
        EXPECT_FALSE(r.out.empty()) << example;
    }
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(std::system((std::string("rm -rf ") + dir_template).c_str()), 0);

    expect_bad_input(run_cli({"help", "nosuch"}), "help on an unknown command");
    expect_bad_input(run_cli({"help", "move", "show"}), "help on two commands");
}

TEST(CliFen, RoundTripsThroughTheBoardText) {
    for (const char* start : {"start", "start8"}) {
        const CliResult s = run_cli({"show", start});
        ASSERT_EQ(s.status, CLI_OK);
        const std::string fen = field(s.out, "fen: ");
        const CliResult back = run_cli({"show", fen});
        ASSERT_EQ(back.status, CLI_OK) << fen << ": " << back.err;
        EXPECT_EQ(field(back.out, "position: "), field(s.out, "position: "));
        EXPECT_EQ(field(back.out, "fen: "), fen);
    }
    // The 12-men opening in the notation's own words: blue (White) on ranks
    // 1-3 from a1, red (Black) on ranks 6-8.
    EXPECT_EQ(field(run_cli({"show", "start"}).out, "fen: "),
              "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8");

    std::mt19937 rng(12);
    for (int round = 0; round < 300; round++) {
        const Placement p = random_placement(rng);
        const std::string fen = shuffled_fen(p, rng);
        const CliResult from_fen = run_cli({"show", fen});
        ASSERT_EQ(from_fen.status, CLI_OK) << fen << ": " << from_fen.err;
        EXPECT_EQ(field(from_fen.out, "position: "), board_text(p)) << fen;
        const std::string canonical = field(from_fen.out, "fen: ");
        const CliResult from_text = run_cli({"show", board_text(p)});
        EXPECT_EQ(field(from_text.out, "fen: "), canonical);
        EXPECT_EQ(field(run_cli({"show", canonical}).out, "position: "), board_text(p));
        // Every command takes the FEN where it takes a position.
        EXPECT_EQ(run_cli({"perft", "2", fen}).out, run_cli({"perft", "2", board_text(p)}).out) << fen;
    }
}

TEST(CliFen, BadFenIsBadInput) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"W:Wa1,c3,a1:Bb8", "a square twice in one list"},
        {"W:Wa1,c3:Bc3", "a square in both lists"},
        {"W:Wa2:Bb8", "a light square"},
        {"W:Wa1:BKh1", "a king on a light square"},
        {"W:Wi3:Bb8", "a file beyond h"},
        {"W:Wa9:Bb8", "a rank beyond 8"},
        {"W:Wa0:Bb8", "rank 0"},
        {"W:W21,22:B0", "square number 0"},
        {"W:W21,22:B33", "square number 33"},
        {"W:W23-21:B1", "a range backwards"},
        {"W:W21-:B1", "a range without its end"},
        {"W:Wa1-c3:B1", "a range of names"},
        {"W:WA1:Bb8", "a capital file"},
        {"W:Wa1,:Bb8", "an empty entry"},
        {"W:WK:Bb8", "a king without square"},
        {"Wa1,c1:Bb8", "no side to move"},
        {":Wa1:Bb8", "an empty side to move"},
        {"X:Wa1:Bb8", "an unknown side to move"},
        {"w:Wa1:Bb8", "a lowercase side to move"},
        {"W:Wa1", "one list"},
        {"W:Wa1:Wc1", "one colour twice"},
        {"W:Wa1:Bb8:Bd8", "three lists"},
        {"W:Xa1:Bb8", "a list without colour"},
        {"W:Wb8:Ba7", "a blue man on its crowning row"},
        {"B:Wc1:Ba1", "a red man on its crowning row"},
        {"W:Wa1:B\x1b[2Jb8", "control bytes"},
    };
    for (const auto& [fen, what] : bad) {
        expect_bad_input(run_cli({"show", fen}), what);
        expect_bad_input(run_cli({"perft", "1", fen}), what);
        expect_bad_input(run_cli({"move", "amateur", fen}), what);
        EXPECT_EQ(run_cli({"show", fen}).err.find('\x1b'), std::string::npos) << what;
    }
    // Numbers count from b8 (1) to g1 (32), ranges included; spaces and a
    // full stop as PDN files write them.
    EXPECT_EQ(field(run_cli({"show", "W:W21-23:B1,K2"}).out, "fen: "), "W:Wa3,c3,e3:Bb8,Kd8");
    EXPECT_EQ(field(run_cli({"show", "B:W 21, c3 :B1."}).out, "fen: "), "B:Wa3,c3:Bb8");
    // The crowning rows hold kings, and a side may have no pieces at all.
    EXPECT_EQ(run_cli({"show", "W:WKb8:BKa1"}).status, CLI_OK);
    EXPECT_EQ(run_cli({"show", "B:W:Bb8"}).status, CLI_OK);
}

TEST(CliAlgebraic, AgreesWithTheIndicesSquareForSquare) {
    // a1 is the bottom-left dark square, 56; h8 the top-right one, 7.
    EXPECT_EQ(field(run_cli({"show", "W:Wa1:Bh8"}).out, "position: "),
              ".......r/......../......../......../......../......../......../b....... b");

    std::mt19937 rng(5);
    int captures = 0;
    for (int round = 0; round < 200; round++) {
        const std::string text = board_text(random_placement(rng));
        const CliResult by_index = run_cli({"show", text});
        const CliResult by_name = run_cli({"show", text, "--algebraic"});
        ASSERT_EQ(by_index.status, CLI_OK);
        ASSERT_EQ(by_name.status, CLI_OK);
        const std::vector<std::string> indexed = listed_moves(by_index.out);
        const std::vector<std::string> named = listed_moves(by_name.out);
        ASSERT_EQ(indexed.size(), named.size()) << text;
        for (size_t k = 0; k < indexed.size(); k++) {
            const int from = std::stoi(indexed[k]);
            const int to = std::stoi(indexed[k].substr(indexed[k].find('-') + 1));
            const bool capture = passes_a_piece(text, from, to);
            captures += capture;
            EXPECT_EQ(named[k], name_of(from) + (capture ? "x" : "-") + name_of(to)) << text;
        }
        // The diagrams hold the same cells; only the labels differ.
        const std::vector<std::string> a = lines_of(by_index.out);
        const std::vector<std::string> b = lines_of(by_name.out);
        for (int row = 0; row < 8; row++)
            EXPECT_EQ(a[2 + 2 * row].substr(6), b[2 + 2 * row].substr(6)) << text;
        EXPECT_EQ(b[2].substr(0, 6), "    8 ");
        EXPECT_EQ(field(by_index.out, "fen: "), field(by_name.out, "fen: "));

        for (const char* level : {"amateur", "professional"}) {
            const std::string seed = std::to_string(round);
            const std::string m = run_cli({"move", level, text, "--seed", seed}).out;
            const std::string n = run_cli({"move", level, text, "--seed", seed, "--algebraic"}).out;
            if (m == "none\n") {
                EXPECT_EQ(n, m);
                continue;
            }
            const int from = std::stoi(m);
            const int to = std::stoi(m.substr(m.find('-') + 1));
            EXPECT_EQ(n, name_of(from) + (passes_a_piece(text, from, to) ? "x" : "-") + name_of(to) + "\n") << text;
        }
    }
    EXPECT_GT(captures, 20) << "the positions should give captures as well as steps";

    // A chain square by name is the same square as by index.
    const std::string chain = "W:Wa1,b2,b4:Bc3,c5,e5,h8";
    for (const auto& [index, name] : std::vector<std::pair<std::string, std::string>>{{"33", "b4"}, {"49", "b2"}, {"56", "a1"}}) {
        const CliResult i = run_cli({"move", "professional", chain, "--chain", index});
        const CliResult n = run_cli({"move", "professional", chain, "--chain", name});
        EXPECT_EQ(i.status, n.status);
        EXPECT_EQ(i.out, n.out);
        EXPECT_EQ(i.err.empty(), n.err.empty());
    }
    EXPECT_EQ(run_cli({"move", "professional", chain, "--chain", "b4", "--algebraic"}).out, "b4xd6\n");
    for (const char* bad : {"i1", "a9", "B4", "b", "b44", "64", "-1"})
        expect_bad_input(run_cli({"move", "amateur", chain, "--chain", bad}), std::string("chain ") + bad);
}

namespace {

struct PdnGameRead {
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<std::string> moves;
    std::string result;

    std::string tag(const std::string& name) const {
        for (const auto& [n, v] : tags)
            if (n == name) return v;
        return "<none>";
    }
};

// A reader that knows nothing of the writer: tag pairs, then movetext of
// numbers, moves and a closing result.
std::vector<PdnGameRead> read_pdn(const std::string& text) {
    std::vector<PdnGameRead> games;
    std::istringstream in(text);
    bool in_moves = false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        if (line[0] == '[') {
            if (in_moves || games.empty()) games.emplace_back();
            in_moves = false;
            const size_t q = line.find('"');
            games.back().tags.emplace_back(line.substr(1, q - 2), line.substr(q + 1, line.rfind('"') - q - 1));
            continue;
        }
        in_moves = true;
        std::istringstream words(line);
        for (std::string w; words >> w;) {
            if (w == "1-0" || w == "0-1" || w == "1/2-1/2" || w == "*")
                games.back().result = w;
            else if (w.back() != '.')
                games.back().moves.push_back(w);
        }
    }
    return games;
}

// Sets the board from the FEN tag, or the 12-men opening without one.
void set_up(const PdnGameRead& g, int32_t& side) {
    const int32_t saved = settings.piece_count;
    settings.piece_count = 12;
    reset_board();
    settings.piece_count = saved;
    side = BLUE;
    if (g.tag("SetUp") != "1") return;
    for (Square& s : board) s.piece = EMPTY;
    const std::string fen = g.tag("FEN");
    side = fen[0] == 'W' ? BLUE : RED;
    std::istringstream lists(fen.substr(2));
    for (std::string list; std::getline(lists, list, ':');) {
        const int32_t colour = list[0] == 'W' ? BLUE : RED;
        std::istringstream entries(list.substr(1));
        for (std::string e; std::getline(entries, e, ',');) {
            const bool king = e[0] == 'K';
            board[index_of(king ? e.substr(1) : e)].piece = colour + (king ? 2 : 0);
        }
    }
}

// Replays the game click by click as a human would play it; answers the
// result the game loop would declare, or a description of what went wrong.
std::string replay(const PdnGameRead& g) {
    int32_t side = BLUE;
    set_up(g, side);
    game.game_running = 1;  // the draw rule counts only in a running game
    DrawBook book;
    draw_book_reset(book);
    clear_marks(1);
    clear_marks(2);
    for (const std::string& move : g.moves) {
        const bool capture = move.find('x') != std::string::npos;
        std::vector<int> stops;
        for (size_t i = 0; i < move.size(); i += 3) stops.push_back(index_of(move.substr(i, 2)));
        int taken = 0;
        for (size_t k = 0; k + 1 < stops.size(); k++) {
            if (game_result(side) != 0 || draw_check(book.quiet_moves, book.last_piece_count, book.draw_snapshot))
                return "the game was over before " + move;
            if (k == 0) {
                clear_marks(1);
                board[stops[0]].source_mark = 1;
            }
            if (accept_human_move(stops[k], stops[k + 1], side, k > 0) != VERDICT_ACCEPTED)
                return "refused: " + move + " at " + name_of(stops[k + 1]);
            int before = 0;
            for (const Square& s : board) before += s.piece != EMPTY;
            const int32_t again = perform_move(side);
            for (const Square& s : board) before -= s.piece != EMPTY;
            taken += before;
            if (again != (k + 2 < stops.size() ? 1 : 0)) return "the chain of " + move + " does not end where written";
        }
        if ((taken > 0) != capture) return "capture mark wrong on " + move;
        side = other_side(side);
    }
    const int32_t winner = game_result(side);
    if (winner == BLUE) return "1-0";
    if (winner == RED) return "0-1";
    if (draw_check(book.quiet_moves, book.last_piece_count, book.draw_snapshot)) return "1/2-1/2";
    return "no end";
}

}  // namespace

TEST(CliSelfplayPdn, EveryGameReplaysToItsResult) {
    struct Run {
        std::vector<std::string> args;
        bool set_up;
    };
    const TempDir dir;  // its own folder: a root run and a user run never share the file
    const std::string path = dir.file("selfplay.pdn");
    for (const Run& run : {Run{{"30", "professional", "amateur", "--seed", "4"}, false},
                           Run{{"30", "amateur", "professional", "--pieces", "8", "--seed", "9"}, true}}) {
        std::vector<std::string> args = {"selfplay"};
        args.insert(args.end(), run.args.begin(), run.args.end());
        const CliResult plain = run_cli(args);
        args.push_back("--pdn");
        args.push_back(path);
        const CliResult r = run_cli(args);
        ASSERT_EQ(r.status, CLI_OK) << r.err;
        EXPECT_EQ(r.out, plain.out) << "writing the games changes no game";

        std::ifstream file(path);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::vector<PdnGameRead> games = read_pdn(text);
        ASSERT_EQ(games.size(), 30u);
        std::map<std::string, int> results;
        const char* const seven[] = {"Event", "Site", "Date", "Round", "White", "Black", "Result"};
        for (size_t n = 0; n < games.size(); n++) {
            const PdnGameRead& g = games[n];
            ASSERT_GE(g.tags.size(), 8u);
            for (int t = 0; t < 7; t++) EXPECT_EQ(g.tags[t].first, seven[t]) << "game " << n + 1;
            EXPECT_EQ(g.tag("Round"), std::to_string(n + 1));
            EXPECT_EQ(g.tag("GameType"), "29,W,8,8,A0,0");
            EXPECT_EQ(g.tag("SetUp") == "1", run.set_up);
            EXPECT_EQ(g.tag("White"), "Talvena " + run.args[1]);
            EXPECT_EQ(g.tag("Black"), "Talvena " + run.args[2]);
            const std::string date = g.tag("Date");
            EXPECT_TRUE(date.size() == 10 && date[4] == '.' && date[7] == '.') << date;
            EXPECT_EQ(g.result, g.tag("Result")) << "game " << n + 1;
            const GameState saved = game;
            EXPECT_EQ(replay(g), g.tag("Result")) << "game " << n + 1 << " of " << text;
            game = saved;
            results[g.result]++;
        }
        // The game's own reader takes every game back: the same players and
        // results, the moves counted as the game numbers them.
        const CliResult listed = run_cli({"pdn", path});
        ASSERT_EQ(listed.status, CLI_OK) << listed.err;
        const std::vector<std::string> rows = lines_of(listed.out);
        ASSERT_EQ(rows.size(), games.size());
        for (size_t n = 0; n < rows.size(); n++) {
            const size_t numbered = (games[n].moves.size() + 1) / 2;
            EXPECT_EQ(rows[n], std::to_string(n + 1) + ". Talvena " + run.args[1] + " - Talvena " + run.args[2] +
                                   ", " + games[n].result + ", " + std::to_string(numbered) +
                                   (numbered == 1 ? " move" : " moves"));
        }
        EXPECT_EQ(field(r.out, "blue_wins "), std::to_string(results["1-0"]));
        EXPECT_EQ(field(r.out, "red_wins "), std::to_string(results["0-1"]));
        EXPECT_EQ(field(r.out, "draws "), std::to_string(results["1/2-1/2"]));
    }
    EXPECT_EQ(std::remove(path.c_str()), 0);

    expect_bad_input(run_cli({"selfplay", "1", "amateur", "amateur", "--pdn"}), "no file");
    expect_bad_input(run_cli({"selfplay", "1", "amateur", "amateur", "--pdn", "/nonexistent-dir/x.pdn"}),
                     "a file that cannot be made");
    expect_bad_input(run_cli({"selfplay", "2", "amateur", "amateur", "--pdn", "/dev/full"}), "a full disk");
}

TEST(CliSelfplayPdn, InterruptedItStopsAfterAWholeGameWithTheTotalsSoFar) {
    const std::string cli = std::string(TALVENA_BUILD_DIR) + "/talvena-cli";
    if (access(cli.c_str(), X_OK) != 0) GTEST_SKIP() << "talvena-cli not built";
    const std::string path = ::testing::TempDir() + "talvena-interrupted.pdn";
    std::remove(path.c_str());
    int out_pipe[2];
    ASSERT_EQ(pipe(out_pipe), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out_pipe[1], 1);
        close(out_pipe[0]);
        execl(cli.c_str(), "talvena-cli", "selfplay", "1000000", "professional", "amateur", "--pdn", path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out_pipe[1]);
    auto file_text = [&path] {
        std::ifstream file(path);
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    };
    // Interrupted while some games are written and the next is under way.
    for (int waited = 0; waited < 30000; waited += 5) {
        std::string text = file_text();
        size_t events = 0;
        for (size_t at = text.find("[Event "); at != std::string::npos; at = text.find("[Event ", at + 1)) events++;
        if (events >= 3) break;
        usleep(5000);
    }
    ASSERT_EQ(kill(pid, SIGINT), 0);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = read(out_pipe[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
    close(out_pipe[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 130);

    const std::vector<PdnGameRead> games = read_pdn(file_text());
    ASSERT_GE(games.size(), 3u);
    std::map<std::string, int> results;
    for (size_t n = 0; n < games.size(); n++) {
        EXPECT_EQ(games[n].tag("Round"), std::to_string(n + 1));
        const GameState saved = game;
        EXPECT_EQ(replay(games[n]), games[n].tag("Result")) << "game " << n + 1;
        game = saved;
        results[games[n].result]++;
    }
    EXPECT_EQ(field(out, "blue_wins "), std::to_string(results["1-0"])) << out;
    EXPECT_EQ(field(out, "red_wins "), std::to_string(results["0-1"]));
    EXPECT_EQ(field(out, "draws "), std::to_string(results["1/2-1/2"]));
    EXPECT_EQ(std::remove(path.c_str()), 0);
}

TEST(CliAnalyse, NamesSquaresByDefaultAndTimesEachDepth) {
    // Blue's man on c3 takes twice: c3xe5xg7, squares 42, 28 and 14.
    const std::string chain = "W:Wc3:Bd4,f6,a7";
    struct Case {
        std::vector<std::string> options;
        const char* best;
        const char* pv;
    };
    const Case cases[] = {
        {{}, "best c3xe5xg7", " pv c3xe5xg7"},
        {{"--algebraic"}, "best c3xe5xg7", " pv c3xe5xg7"},
        {{"--indices"}, "best 42-28-14", " pv 42-28-14"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"analyse", chain, "--depth", "3"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult r = run_cli(args);
        ASSERT_EQ(r.status, CLI_OK) << r.err;
        const std::vector<std::string> lines = lines_of(r.out);
        ASSERT_EQ(lines.size(), 4u) << r.out;
        EXPECT_EQ(lines.back(), c.best);
        double before = 0;
        for (size_t i = 0; i + 1 < lines.size(); i++) {
            int depth = 0;
            char score[32] = "";
            double seconds = -1;
            unsigned long long nodes = 0;
            ASSERT_EQ(std::sscanf(lines[i].c_str(), "depth %d score %31[^t]time %lf nodes %llu", &depth, score,
                                  &seconds, &nodes),
                      4)
                << lines[i];
            EXPECT_EQ(depth, static_cast<int>(i) + 1);
            EXPECT_GE(seconds, before) << "the time so far, not each depth's own";
            before = seconds;
            EXPECT_GT(nodes, 0u);
            EXPECT_NE(lines[i].find(c.pv), std::string::npos) << lines[i];
        }
    }
    expect_bad_input(run_cli({"analyse", chain, "--algebraic", "--indices"}), "both ways at once");
}
