// The engine: whole turns of the game's rules generated from bitboards, and a
// search over them. It works on its own position record, never on the live
// board, so a search may run on a thread of its own.
//
// Bits are the board's square indexes 0..63 (0 at the top left); only the 32
// dark squares are ever set. Sides are 0 (blue, moving up) and 1 (red).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A turn's landing squares: every jump takes at least one of at most 12
// pieces, and a step or slide has one.
constexpr int ENGINE_MAX_PATH = 12;
// Whole turns of one position, every capture route counted apart. Far above
// what a game position reaches; a generator that would pass it stops there.
constexpr int ENGINE_MAX_MOVES = 512;

struct EnginePosition {
    uint64_t men[2];
    uint64_t kings[2];
    int32_t side;   // to move
    int32_t quiet;  // consecutive moves in which no man moved and nothing was taken
    uint64_t key;   // Zobrist key of pieces and side to move
};

struct EngineMove {
    uint64_t taken;  // squares of the pieces taken
    uint8_t from;
    uint8_t length;  // landing squares in `path`; the last is where the piece ends
    uint8_t path[ENGINE_MAX_PATH];
    bool crowns;
};

// Piece codes 0..4 as the board keeps them (EMPTY, BLUE_MAN, RED_MAN,
// BLUE_KING, RED_KING) and the game's side (1 blue, 2 red).
EnginePosition engine_position(const int32_t pieces[64], int32_t side);
// The same for the game's live board.
EnginePosition engine_position_of_board(int32_t side);

// Every whole turn the game's acceptance rule and chains allow, in a fixed
// order: kings' captures if any, else men's captures if any, else every step
// and slide. Answers how many were written to `moves`.
int generate_turns(const EnginePosition& p, EngineMove* moves);

// The rest of a capture chain under way with the piece on `square`: its
// captures only, whatever other piece could capture.
int generate_continuations(const EnginePosition& p, int square, EngineMove* moves);

// Whether the side to move must capture.
bool must_capture(const EnginePosition& p);

EnginePosition after_turn(const EnginePosition& p, const EngineMove& m);

// Sequences of `depth` whole turns, as the rules' perft counts them.
uint64_t engine_perft(const EnginePosition& p, int depth);

// The squares the piece stands on and lands on, from the first.
std::vector<int32_t> move_squares(const EngineMove& m);

// --- search -------------------------------------------------------------------

// Scores are hundredths of a man from the side to move's view; beyond
// ENGINE_WIN - ENGINE_MAX_PLY a side wins in ENGINE_WIN - score plies.
constexpr int ENGINE_WIN = 30000;
constexpr int ENGINE_MAX_PLY = 128;
constexpr int ENGINE_MAX_DEPTH = 64;

bool is_win_score(int score);
// Whole turns of the winning side until the win: 1 when its next turn wins.
int turns_to_win(int score);

// --- evaluation -----------------------------------------------------------------

// The evaluation's terms, each counted for the side to move minus the other.
enum EvalTerm {
    EVAL_MAN,
    EVAL_KING,
    EVAL_TRADE,  // the lead in hundredths times the pieces off the board, / 64
    EVAL_ADVANCE_1,  // men 1..6 rows from their home row
    EVAL_ADVANCE_2,
    EVAL_ADVANCE_3,
    EVAL_ADVANCE_4,
    EVAL_ADVANCE_5,
    EVAL_ADVANCE_6,
    EVAL_BACK_ROW,  // men on the home row while the other side has men
    EVAL_BACK_A,    // a man on each home square, from the mover's left
    EVAL_BACK_C,
    EVAL_BACK_E,
    EVAL_BACK_G,
    EVAL_CENTRE_MEN,
    EVAL_CENTRE_KINGS,
    EVAL_INNER_CENTRE,
    EVAL_KING_MOBILITY,  // empty squares the kings see
    EVAL_LONG_DIAGONAL,
    EVAL_DOUBLE_DIAGONAL,
    EVAL_RUNAWAY,  // men no enemy piece stands in front of, in a cone to the crowning row
    EVAL_EDGE_MEN,
    EVAL_TEMPO,  // 1: the move
    EVAL_TERM_COUNT
};

struct EvalWeights {
    int weight[EVAL_TERM_COUNT];
};

// The names weights files and the fit use, in term order.
extern const char* const EVAL_TERM_NAMES[EVAL_TERM_COUNT];
// The engine's weights: the one table of them.
extern const EvalWeights EVAL_WEIGHTS;

void eval_features(const EnginePosition& p, int f[EVAL_TERM_COUNT]);
// The weighted sum is divided by this (1, 2 or 8) in endings kings usually hold.
int eval_ending_divisor(const EnginePosition& p, int score);
int evaluate_with(const EnginePosition& p, const EvalWeights& w);
int evaluate(const EnginePosition& p);  // with EVAL_WEIGHTS

// Weights as text: one "name value" line per term, '#' starts a comment.
// Parsing needs every term exactly once.
std::string format_weights(const EvalWeights& w);
bool parse_weights(const std::string& text, EvalWeights& w, std::string& error);

// The transposition table as its owner keeps it from one search to the next:
// allocated once, never zeroed by a search. One search at a time may use it.
struct EngineTableFree {
    void operator()(void* p) const;
};
struct EngineTable {
    std::unique_ptr<void, EngineTableFree> buckets;
    int bits = 0;  // entries as a power of two; 0 until allocated
};

// Makes `t` hold 2^bits entries (bits clamped to 10..30), all empty, unless
// it already holds that many, which it then keeps. Throws std::bad_alloc
// when the memory cannot be had; `t` is then empty.
void engine_table_reserve(EngineTable& t, int bits);

struct SearchLimits {
    int depth = ENGINE_MAX_DEPTH;
    // Depths up to this one finish whatever the time limit; only `stop`
    // ends them early.
    int min_depth = 1;
    int64_t time_ms = 0;                        // 0: no limit; counted from the first depth, not the setup
    const std::atomic<bool>* stop = nullptr;    // set from another thread to end early
    int table_bits = 20;                        // entries of the transposition table, as a power of two
    // The caller's table, kept between searches (table_bits then says its
    // size); null: a table of table_bits for this search alone.
    EngineTable* table = nullptr;
    int chain = -1;  // a capture chain goes on with the piece on this square: the root's turns are its captures
    // time_ms counts this thread's processor time instead of the wall clock's:
    // a busy machine then slows the run, not the play.
    bool thread_time = false;
    uint64_t nodes = 0;                  // stop at the last depth finished within this many nodes; 0: no limit
    const EvalWeights* weights = nullptr;  // nullptr: EVAL_WEIGHTS
};

struct SearchReport {
    int depth;
    int score;
    uint64_t nodes;
    double seconds;
    std::vector<EngineMove> pv;
};

struct SearchResult {
    bool has_move = false;
    EngineMove best{};
    int score = 0;
    int depth = 0;  // the last depth finished
    uint64_t nodes = 0;
    double seconds = 0;
    std::vector<EngineMove> pv;
};

using SearchReportFn = std::function<void(const SearchReport&)>;

// Iterative deepening from depth 1 to limits.depth; a time limit ends it at
// the last finished depth past limits.min_depth, a stop at the last finished
// depth (depth 1 always finishes). `played`
// holds the keys of the game's positions before the root since the last
// move that took or moved a man, for repetitions. The same inputs without a
// time limit, on a fresh table, give the same result. Throws std::bad_alloc
// when the table cannot be allocated.
SearchResult engine_search(const EnginePosition& root, const SearchLimits& limits,
                           const std::vector<uint64_t>& played = {}, const SearchReportFn& on_depth = nullptr);
