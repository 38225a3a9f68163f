// Endgame tables: every position of a few pieces solved exactly under the
// game's rules, the draw on the 17th quiet move included.
//
// A position is kept with blue to move (red to move is the board turned half
// round with the colours swapped) in the table of its material: the numbers
// of blue men, blue kings, red men and red kings. Each position has one byte:
//   0          draw, whatever the quiet count
//   1..17      win: D turns (both sides' turns counted) up to and including
//              the winner's next man move or capture, or its winning turn
//   32..49     loss: D = code - 32 turns, the same count seen from the loser
// With q quiet moves already made, the side to move wins (or loses) exactly
// when q + D <= 17; otherwise the draw rule comes first and it is a draw.
// A man's move that crowns is a quiet move, as the game's draw rule counts it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"

// Pieces the index can name; the tables built are usually fewer.
constexpr int TABLEBASE_MAX_PIECES = 6;
// The draw comes with the 17th consecutive quiet move.
constexpr int TABLEBASE_QUIET_LIMIT = 17;
constexpr uint8_t TABLE_CODE_LOSS = 32;

enum TableValue { TABLE_LOSS = -1, TABLE_DRAW = 0, TABLE_WIN = 1 };

struct TableMaterial {
    int blue_men, blue_kings, red_men, red_kings;
    int pieces() const { return blue_men + blue_kings + red_men + red_kings; }
};

// One material's table: positions named by index, one byte each.
struct TableClass {
    TableMaterial material{};
    uint64_t size = 0;                  // index range, overlapping placements included
    uint64_t red_men_count = 0, blue_king_count = 0, red_king_count = 0;  // ranks of each piece set
    std::vector<uint8_t> codes;         // the whole table, or empty when only `packed` is held
    // The table as kept on disk: blocks of TABLE_BLOCK positions, each
    // deflated; offsets[i] is where block i starts in `packed`.
    std::vector<uint8_t> packed;
    std::vector<uint64_t> offsets;
    uint32_t crc = 0;  // of the whole table's bytes
};

constexpr uint64_t TABLE_BLOCK = 8192;

// Every table loaded. `pieces` is the most pieces for which every material is
// present; positions with more are not probed.
struct Tablebase {
    std::vector<std::unique_ptr<TableClass>> classes;  // by material id
    int pieces = 0;
    uint64_t serial = 0;  // tells one loaded set from another in the block caches
};

// The tables the search probes: nullptr none. Set before searches start and
// left alone while any runs.
extern const Tablebase* engine_tablebase;

// The game's start: loads whatever whole tables `dir` holds for the rest of
// the run and points engine_tablebase at them (at nothing when there are
// none). Answers the most pieces of the tables loaded, 0 for none.
int tablebase_use(const std::string& dir);

int table_material_id(const TableMaterial& m);
TableClass make_table_class(const TableMaterial& m);
// The file name of a material's table: "tb_1021.tbl" for one blue man, no blue
// king, two red men and one red king.
std::string table_file_name(const TableMaterial& m);
// Every material of exactly `pieces` pieces with a piece on each side.
std::vector<TableMaterial> table_materials(int pieces);

// The blue-to-move form of `p`: its material and index. At most
// TABLEBASE_MAX_PIECES pieces.
struct TableSlot {
    TableMaterial material;
    uint64_t index;
};
TableSlot table_slot(const EnginePosition& p);
// The position at `index` of `c` (blue to move, quiet 0); false when its
// pieces overlap, a place no position has.
bool table_position(const TableClass& c, uint64_t index, EnginePosition& p);

// The code of a position's blue-to-move form; a side to move without a piece
// has lost (code TABLE_CODE_LOSS). -1 when its table is not loaded.
int table_code(const Tablebase& tb, const EnginePosition& p);

// The value for the side to move with p.quiet quiet moves made, and the
// turns D of the code. False when the position is not in the tables.
struct TableProbe {
    TableValue value = TABLE_DRAW;
    int turns = 0;
};
bool table_probe(const Tablebase& tb, const EnginePosition& p, TableProbe& out);

// The turn that keeps the table's value for the side to move with the
// fewest turns to convert a win (the most when losing); among drawing turns
// the one the evaluation likes best. False when the position is not in the
// tables or has no turn.
bool table_best_turn(const Tablebase& tb, const EnginePosition& p, EngineMove& best, TableProbe& value);

// Whether turn `m` of `p` moves a man without crowning or takes a piece: the
// draw count starts again after it.
bool table_turn_zeroes(const EnginePosition& p, const EngineMove& m);

// --- the search's view ---------------------------------------------------------

// A table's win scores TABLE_WIN_SCORE less the turns to convert, below every
// forced win the search sees itself and above every evaluation; a loss the
// negative. The same at every ply, so the search's table may keep them.
constexpr int TABLE_WIN_SCORE = ENGINE_WIN - 2 * ENGINE_MAX_PLY;
bool is_table_score(int score);
// The score of `p` when the tables hold it.
bool table_search_score(const Tablebase& tb, const EnginePosition& p, int& score);
// The root's answer from the tables: the turn table_best_turn picks, its
// score, a principal variation of that one turn. False when the tables do
// not hold the root.
bool table_root_result(const Tablebase& tb, const EnginePosition& root, SearchResult& result);

// --- files ------------------------------------------------------------------

// Writes `c.codes` deflated under `dir`, through a temporary file renamed
// into place, so a run stopped half way leaves no table behind.
bool table_save(const TableClass& c, const std::string& dir, std::string& error);
// Reads one material's table; `unpack` keeps the whole table in `codes`
// (building, verifying), otherwise only the deflated blocks. Checks the
// header, the block offsets and, when unpacking, every block and the CRC.
bool table_load(const TableMaterial& m, const std::string& dir, bool unpack, TableClass& c, std::string& error);
// Every table under `dir`, materials of up to TABLEBASE_MAX_PIECES pieces;
// `pieces` of the result counts only complete sets. A missing file is no
// error; a damaged one is, and is left out.
Tablebase tablebase_load(const std::string& dir, bool unpack, std::vector<std::string>& errors);

// --- building and checking ----------------------------------------------------

// Called with a line of progress now and then.
using TableProgressFn = void (*)(const std::string& text, void* context);

// Builds every table of up to `pieces` pieces into `dir`, skipping those
// whose file is already there and loads whole. `built` counts tables made.
bool tablebase_build(int pieces, const std::string& dir, TableProgressFn progress, void* context, int& built,
                     std::string& error);
// Solves one material in memory, its smaller materials already in `tb`
// (unpacked). The tables of the material with the colours swapped are solved
// with it: king moves pass between the two. Both are added to `tb`.
void tablebase_solve_pair(Tablebase& tb, const TableMaterial& m, TableProgressFn progress, void* context);

// The code every position's turns ask for, from the codes of the positions
// they lead to; verify compares it with the stored one.
int table_expected_code(const Tablebase& tb, const EnginePosition& p);

struct TableVerifyReport {
    uint64_t positions = 0;  // placements checked, overlapping ones included
    uint64_t wrong = 0;
    std::string first_wrong;  // material and index of the first wrong one
};
// Checks every position of every table in `tb` (unpacked) against its
// successors.
TableVerifyReport tablebase_verify(const Tablebase& tb, TableProgressFn progress, void* context);
