// The endgame tables against a solver of the game's own rule functions on
// every position of up to three pieces at every quiet count; the verify pass
// catching damaged and wrong tables; and the table's wins converting before
// the draw rule when played out.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/game_state.h"
#include "cli/cli_position.h"
#include "cli/cli_run.h"
#include "engine/engine.h"
#include "engine/tablebase.h"
#include "rules/rules.h"

namespace {

using Pieces = std::array<int32_t, SQUARE_COUNT>;

void put_pieces(const Pieces& p) {
    for (int i = 0; i < SQUARE_COUNT; i++) board[i].piece = p[static_cast<size_t>(i)];
    clear_marks(1);
    clear_marks(2);
}

Pieces live_pieces() {
    Pieces p{};
    for (int i = 0; i < SQUARE_COUNT; i++) p[static_cast<size_t>(i)] = board[i].piece;
    return p;
}

// Every whole turn by the acceptance rule, click by click, with the quiet
// count the game's draw bookkeeping keeps after it when it started at 0.
struct RuleTurn {
    Pieces after;
    int32_t quiet;
};

// Squares on a diagonal through `from`: no move of the rules leaves them.
bool on_diagonal(int32_t from, int32_t to) {
    const int dr = from / 8 - to / 8, dc = from % 8 - to % 8;
    return dr != 0 && (dr == dc || dr == -dc);
}

void follow(int32_t side, int32_t from, bool chain, DrawBook book, std::vector<RuleTurn>& turns) {
    const Pieces before = live_pieces();
    put_pieces(before);  // no other piece's mark left standing
    for (int32_t to = 0; to < SQUARE_COUNT; to++) {
        if (!on_diagonal(from, to)) continue;
        // A move not accepted leaves the pieces as they were.
        board[from].source_mark = 1;
        if (accept_human_move(from, to, side, chain ? 1 : 0) != VERDICT_ACCEPTED) continue;
        const int32_t more = perform_move(side);
        DrawBook after = book;
        draw_check(after.quiet_moves, after.last_piece_count, after.draw_snapshot);
        if (more == 1)
            follow(side, to, true, after, turns);
        else
            turns.push_back({live_pieces(), after.quiet_moves});
        put_pieces(before);
    }
    put_pieces(before);
}

// The game's positions of up to three pieces as a graph of whole turns, and
// their values by plain recursion over (position, quiet count): every quiet
// turn raises the count, every other turn advances a man or takes a piece,
// so the recursion ends.
struct RuleSolver {
    struct Node {
        Pieces pieces;
        int32_t side;
        bool lost;                          // game_result gives the other side the game
        std::vector<std::pair<int, int32_t>> children;  // node, quiet count added (0: counting starts again)
    };
    std::vector<Node> nodes;
    std::unordered_map<uint64_t, int> ids;
    std::vector<std::array<int8_t, 18>> memo;

    // Nine bits a piece (square and code), the side last: no more than three pieces.
    static uint64_t key(const Pieces& p, int32_t side) {
        uint64_t k = 0;
        for (int i = 0; i < SQUARE_COUNT; i++)
            if (p[static_cast<size_t>(i)] != EMPTY) k = k << 9 | static_cast<uint64_t>(i * 8 + p[static_cast<size_t>(i)]);
        return k << 2 | static_cast<uint64_t>(side);
    }

    int node(const Pieces& p, int32_t side) {
        const uint64_t k = key(p, side);
        auto it = ids.find(k);
        if (it != ids.end()) return it->second;
        const int id = static_cast<int>(nodes.size());
        ids.emplace(k, id);
        nodes.push_back({p, side, false, {}});
        return id;
    }

    void expand(int id) {
        const Pieces p = nodes[static_cast<size_t>(id)].pieces;
        const int32_t side = nodes[static_cast<size_t>(id)].side;
        put_pieces(p);
        const bool lost = game_result(side) != 0;
        std::vector<RuleTurn> turns;
        if (!lost) {
            DrawBook book;
            draw_book_reset(book);
            for (int32_t from = 0; from < SQUARE_COUNT; from++)
                if (owns_piece(from, side)) follow(side, from, false, book, turns);
        }
        nodes[static_cast<size_t>(id)].lost = lost;
        for (const RuleTurn& t : turns) {
            const int child = node(t.after, other_side(side));
            nodes[static_cast<size_t>(id)].children.push_back({child, t.quiet});
        }
    }

    // +1 the side to move wins, -1 loses, 0 draw, with q quiet moves made.
    int value(int id, int q) {
        int8_t& v = memo[static_cast<size_t>(id)][static_cast<size_t>(q)];
        if (v != 2) return v;
        const Node& n = nodes[static_cast<size_t>(id)];
        int best = -1;
        if (n.lost) {
            best = -1;
        } else if (q >= TABLEBASE_QUIET_LIMIT) {
            best = 0;  // the draw check fired after the last turn
        } else {
            for (const auto& [child, added] : n.children) {
                const int next = added == 0 ? 0 : q + added;
                best = std::max(best, -value(child, std::min(next, TABLEBASE_QUIET_LIMIT)));
                if (best == 1) break;
            }
        }
        v = static_cast<int8_t>(best);
        return best;
    }

    void solve_all() {
        for (size_t i = 0; i < nodes.size(); i++) expand(static_cast<int>(i));
        memo.assign(nodes.size(), {});
        for (auto& m : memo) m.fill(2);
    }
};

// Every placement of 2 or 3 pieces on dark squares with a piece of each side
// and no man on its crowning row, with either side to move.
void add_all_positions(RuleSolver& solver) {
    std::vector<int> dark;
    for (int i = 0; i < SQUARE_COUNT; i++)
        if ((i / 8 + i % 8) % 2 == 1) dark.push_back(i);
    const int32_t codes[4] = {BLUE_MAN, RED_MAN, BLUE_KING, RED_KING};
    Pieces p{};
    std::vector<int> squares, kinds;
    auto place = [&](auto&& self, int count, int first) -> void {
        if (count == 0) {
            bool blue = false, red = false;
            for (int k : kinds) (k % 2 == 0 ? blue : red) = true;
            if (!blue || !red) return;
            for (int32_t side : {BLUE, RED}) solver.node(p, side);
            return;
        }
        for (size_t d = static_cast<size_t>(first); d < dark.size(); d++) {
            const int s = dark[d];
            for (int k = 0; k < 4; k++) {
                if ((codes[k] == BLUE_MAN && s < 8) || (codes[k] == RED_MAN && s >= 56)) continue;
                p[static_cast<size_t>(s)] = codes[k];
                kinds.push_back(k);
                self(self, count - 1, static_cast<int>(d) + 1);
                kinds.pop_back();
                p[static_cast<size_t>(s)] = EMPTY;
            }
        }
    };
    place(place, 2, 0);
    place(place, 3, 0);
}

std::string temp_dir(const char* name) {
    char pattern[] = "/tmp/talvena-tables-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    return std::string(made ? made : "/tmp") + "/" + name;
}

// Three-piece tables, built once through the files for all the tests here.
struct Built {
    std::string dir;
    Tablebase tb;
};

const Built& tables3() {
    static const Built built = [] {
        Built b;
        b.dir = temp_dir("tables");
        int made = 0;
        std::string error;
        EXPECT_TRUE(tablebase_build(3, b.dir, nullptr, nullptr, made, error)) << error;
        std::vector<std::string> errors;
        b.tb = tablebase_load(b.dir, true, errors);
        EXPECT_TRUE(errors.empty()) << errors.front();
        return b;
    }();
    return built;
}

EnginePosition engine_of(const Pieces& p, int32_t side, int quiet) {
    EnginePosition e = engine_position(p.data(), side);
    e.quiet = quiet;
    return e;
}

}  // namespace

TEST(Tablebase, EveryPositionOfUpToThreePiecesAgreesWithTheRulesAtEveryQuietCount) {
    const Tablebase& tb = tables3().tb;
    ASSERT_EQ(tb.pieces, 3);
    reset_board();
    RuleSolver solver;
    add_all_positions(solver);
    const size_t roots = solver.nodes.size();
    solver.solve_all();
    // Turns lead only to the positions enumerated, or to one where a side has
    // no piece left and has lost.
    for (size_t id = roots; id < solver.nodes.size(); id++) ASSERT_TRUE(solver.nodes[id].lost);

    int counts[3] = {};
    int wrong = 0;
    for (size_t id = 0; id < roots; id++) {
        const RuleSolver::Node& n = solver.nodes[id];
        for (int q = 0; q <= TABLEBASE_QUIET_LIMIT; q++) {
            const int expected = solver.value(static_cast<int>(id), q);
            TableProbe got;
            ASSERT_TRUE(table_probe(tb, engine_of(n.pieces, n.side, q), got));
            counts[expected + 1]++;
            if (got.value != expected && wrong++ < 5)
                ADD_FAILURE() << "position " << std::hex << RuleSolver::key(n.pieces, n.side) << std::dec << " quiet " << q << ": rules give "
                              << expected << ", the table " << got.value << " (" << got.turns << " turns)";
        }
    }
    EXPECT_EQ(wrong, 0);
    // Every kind of result occurs, and the draw rule turns some wins into draws.
    EXPECT_GT(counts[0], 0);
    EXPECT_GT(counts[1], 0);
    EXPECT_GT(counts[2], 0);
}

TEST(Tablebase, VerifyPassesWholeTablesAndFindsEveryKindOfWrongValue) {
    const Built& built = tables3();
    const TableVerifyReport clean = tablebase_verify(built.tb, nullptr, nullptr);
    EXPECT_EQ(clean.wrong, 0u) << clean.first_wrong;
    EXPECT_GT(clean.positions, 200000u);

    // Changes a verify must see: a win one turn slower or faster, a loss
    // claimed as a draw, a draw claimed as a win.
    struct Case {
        const char* what;
        bool (*applies)(uint8_t);
        uint8_t (*change)(uint8_t);
    };
    const Case cases[] = {
        {"win a turn longer", [](uint8_t c) { return c >= 1 && c < 17; }, [](uint8_t c) { return uint8_t(c + 1); }},
        {"win a turn shorter", [](uint8_t c) { return c >= 2 && c <= 17; }, [](uint8_t c) { return uint8_t(c - 1); }},
        {"loss as a draw", [](uint8_t c) { return c >= 33; }, [](uint8_t) { return uint8_t(0); }},
        {"draw as a win", [](uint8_t c) { return c == 0; }, [](uint8_t) { return uint8_t(5); }},
    };
    for (const Case& c : cases) {
        Tablebase copy;
        copy.classes.resize(built.tb.classes.size());
        for (size_t i = 0; i < built.tb.classes.size(); i++)
            if (built.tb.classes[i]) copy.classes[i] = std::make_unique<TableClass>(*built.tb.classes[i]);
        copy.pieces = built.tb.pieces;
        // The first real position whose code fits the change.
        bool changed = false;
        for (size_t i = 0; i < copy.classes.size() && !changed; i++) {
            if (!copy.classes[i]) continue;
            TableClass& t = *copy.classes[i];
            EnginePosition p;
            for (uint64_t index = 0; index < t.size && !changed; index++) {
                if (!table_position(t, index, p) || !c.applies(t.codes[index])) continue;
                t.codes[index] = c.change(t.codes[index]);
                changed = true;
            }
        }
        ASSERT_TRUE(changed) << c.what;
        const TableVerifyReport r = tablebase_verify(copy, nullptr, nullptr);
        EXPECT_GE(r.wrong, 1u) << c.what;
    }
}

TEST(Tablebase, CommandVerifiesBuiltTablesAndFailsOnDamagedOrWrongOnes) {
    const std::string dir = temp_dir("cli");
    CliResult r = run_cli({"tablebase", "build", "3", dir});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_NE(r.out.find("of up to 3 pieces"), std::string::npos) << r.out;
    // Restarted, it keeps what is there.
    r = run_cli({"tablebase", "build", "3", dir});
    EXPECT_NE(r.out.find("built 0 tables"), std::string::npos) << r.out;
    r = run_cli({"tablebase", "verify", dir});
    EXPECT_EQ(r.status, CLI_OK) << r.out << r.err;
    EXPECT_NE(r.out.find(": 0 wrong"), std::string::npos) << r.out;

    const TableMaterial m{1, 0, 0, 2};
    const std::string path = dir + "/" + table_file_name(m);
    // A wrong value written as a whole, well-formed file: only the values show it.
    TableClass c;
    std::string error;
    ASSERT_TRUE(table_load(m, dir, true, c, error)) << error;
    const TableClass original = c;
    uint64_t index = 0;
    EnginePosition p;
    while (!(table_position(c, index, p) && c.codes[index] == 0)) index++;
    c.codes[index] = TABLE_CODE_LOSS + 3;
    ASSERT_TRUE(table_save(c, dir, error)) << error;
    r = run_cli({"tablebase", "verify", dir});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out.find(": 0 wrong"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("first wrong: tb_"), std::string::npos) << r.out;

    // A byte of the file changed on disk: its checksum or its blocks fail.
    ASSERT_TRUE(table_save(original, dir, error)) << error;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, -20, SEEK_END);
    const int byte = std::fgetc(f);
    std::fseek(f, -20, SEEK_END);
    std::fputc(byte ^ 0x41, f);
    std::fclose(f);
    r = run_cli({"tablebase", "verify", dir});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("damaged: " + path), std::string::npos) << r.out;
    // A damaged table is never probed: the set is no longer whole.
    std::vector<std::string> errors;
    EXPECT_EQ(tablebase_load(dir, false, errors).pieces, 2);
    EXPECT_EQ(errors.size(), 1u);

    expect_bad_input(run_cli({"tablebase", "build", "9", dir}), "too many pieces");
    expect_bad_input(run_cli({"tablebase", "verify", dir + "/none"}), "no tables");
    expect_bad_input(run_cli({"tablebase", "mend", dir}), "unknown");
    EXPECT_EQ(std::system(("rm -rf " + dir.substr(0, dir.rfind('/'))).c_str()), 0);
}

TEST(Tablebase, TheTablesWinsConvertBeforeTheDrawRuleWhenPlayedOut) {
    const Tablebase& tb = tables3().tb;
    // Every 97th won position of three pieces and every one that takes five
    // turns or more, played out: the winner by the table's turn, the loser by
    // the turn that resists longest.
    int games = 0, long_ones = 0;  // long: five turns or more to convert
    for (const TableMaterial& m : table_materials(3)) {
        const TableClass& c = *tb.classes[static_cast<size_t>(table_material_id(m))];
        for (uint64_t index = 0; index < c.size; index++) {
            EnginePosition p;
            if (c.codes[index] == 0 || c.codes[index] >= TABLE_CODE_LOSS) continue;
            if (index % 97 != 0 && c.codes[index] < 5) continue;
            if (!table_position(c, index, p)) continue;
            // Start with as many quiet moves made as the win allows.
            p.quiet = TABLEBASE_QUIET_LIMIT - c.codes[index];
            long_ones += c.codes[index] >= 5 ? 1 : 0;
            games++;
            const int winner = p.side;
            bool ended = false;
            for (int turn = 0; turn < 300 && !ended; turn++) {
                EngineMove moves[ENGINE_MAX_MOVES];
                if (generate_turns(p, moves) == 0) {
                    EXPECT_NE(p.side, winner) << table_file_name(m) << " " << index;
                    ended = true;
                    break;
                }
                ASSERT_LT(p.quiet, TABLEBASE_QUIET_LIMIT) << "drawn by the quiet rule: " << table_file_name(m) << " "
                                                           << index;
                EngineMove best;
                TableProbe v;
                ASSERT_TRUE(table_best_turn(tb, p, best, v));
                ASSERT_EQ(v.value, p.side == winner ? TABLE_WIN : TABLE_LOSS) << table_file_name(m) << " " << index;
                p = after_turn(p, best);
            }
            EXPECT_TRUE(ended) << table_file_name(m) << " " << index;
        }
    }
    EXPECT_GT(games, 100);
    EXPECT_GT(long_ones, 100);
}

TEST(Tablebase, SearchPlaysTheTablesAtTheRootAndScoresThemInside) {
    const Built& built = tables3();
    engine_tablebase = &built.tb;
    SearchLimits limits;
    limits.depth = 4;
    limits.table_bits = 12;
    // The root: a turn that keeps the table's value, scored as the table says.
    int roots = 0;
    for (const TableMaterial& m : table_materials(3)) {
        const TableClass& c = *built.tb.classes[static_cast<size_t>(table_material_id(m))];
        for (uint64_t index = 0; index < c.size; index += 1009) {
            EnginePosition p;
            if (!table_position(c, index, p)) continue;
            p.quiet = static_cast<int32_t>(index % 17);
            TableProbe v;
            ASSERT_TRUE(table_probe(built.tb, p, v));
            const SearchResult r = engine_search(p, limits);
            if (c.codes[index] == TABLE_CODE_LOSS) {
                EXPECT_FALSE(r.has_move);
                continue;
            }
            roots++;
            ASSERT_TRUE(r.has_move);
            TableProbe reply;
            ASSERT_TRUE(table_probe(built.tb, after_turn(p, r.best), reply));
            EXPECT_EQ(-reply.value, v.value) << table_file_name(m) << " " << index;
            EXPECT_EQ(r.score > 0 ? TABLE_WIN : r.score < 0 ? TABLE_LOSS : TABLE_DRAW, v.value);
            EXPECT_EQ(is_table_score(r.score), v.value != TABLE_DRAW);
        }
    }
    EXPECT_GT(roots, 100);

    // Inside: four pieces, and the king's capture that must come leaves three.
    // The search scores the root by the tables' values of what it leads to.
    int32_t side = 0;
    std::string why;
    ASSERT_TRUE(parse_position(".......R/......../......../......../......../....b.../.r....../B....... b", side, why))
        << why;
    const EnginePosition p = engine_position_of_board(side);
    EngineMove moves[ENGINE_MAX_MOVES];
    const int n = generate_turns(p, moves);
    ASSERT_EQ(n, 5);
    int expected = -ENGINE_WIN;
    for (int i = 0; i < n; i++) {
        int child = 0;
        ASSERT_TRUE(table_search_score(built.tb, after_turn(p, moves[i]), child));
        expected = std::max(expected, -child);
    }
    EXPECT_TRUE(is_table_score(expected)) << expected;
    EXPECT_EQ(engine_search(p, limits).score, expected);
    engine_tablebase = nullptr;

    // The command marks what the tables decided.
    const CliResult a = run_cli({"analyse", "......../......../......../....B.../......../......../.B....../R....... b",
                                 "--tables", built.dir, "--depth", "3", "--algebraic"});
    ASSERT_EQ(a.status, CLI_OK) << a.err;
    EXPECT_NE(a.out.find("score table win, 1 to convert"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("table win\nbest e5-c3\n"), std::string::npos) << a.out;
    expect_bad_input(run_cli({"analyse", "start", "--tables", built.dir + "/none"}), "no tables");
}

TEST(Tablebase, PositionsBeyondTheTablesAreNotProbed) {
    const Tablebase& tb = tables3().tb;
    int32_t side = 0;
    std::string why;
    // The opening, four pieces and a lone side without a piece to move.
    const struct {
        const char* position;
        int code;
    } cases[] = {
        {"start", -1},
        {"......../......../......../....B.../......../..r...../.B....../R....... b", -1},
        {"......../......../......../....B.../......../......../.B....../........ r", TABLE_CODE_LOSS},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(parse_position(c.position, side, why)) << why;
        EXPECT_EQ(table_code(tb, engine_position_of_board(side)), c.code) << c.position;
    }
    ASSERT_TRUE(parse_position("start", side, why));
    TableProbe v;
    EXPECT_FALSE(table_probe(tb, engine_position_of_board(side), v));
}
