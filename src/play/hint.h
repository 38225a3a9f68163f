// The engine in the play screen: the hint on a human's turn and the whole
// turn of the computer at "mistr", each thought on a copy of the position on
// a thread of its own (EngineThread) while frames go on. One thread, one
// table: the two never think at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "app/game_state.h"
#include "engine/engine.h"
#include "play/loop_logic.h"

// About half a second of thinking.
constexpr int64_t HINT_THINK_MS = 500;

// "mistr": a second of the thinking thread's processor time a turn, so a
// busy machine slows the game rather than weakens it. Depth 8 takes a few
// hundredths of a second in a middle game here; even on a machine ten
// times slower it stays inside the pause the computer makes anyway, and
// no turn is ever chosen on a shallower look.
constexpr int64_t MISTR_THINK_MS = 1000;
constexpr int MISTR_MIN_DEPTH = 8;
// 2^20 entries, 16 MiB, allocated at the first question and kept.
constexpr int PLAY_TABLE_BITS = 20;

struct HintQuestion {
    int32_t pieces[SQUARE_COUNT];
    int32_t side;
    int32_t chain;  // the square of a capture chain under way, or -1
    int32_t quiet;  // quiet moves so far, for the draw rule
    // Keys of the positions before this one since a man last moved or a
    // piece was taken (oldest first), for repetitions.
    std::vector<uint64_t> played;
};

// The engine's whole turn: the piece and every landing square. from -1 when
// the side cannot move; failed when the engine could not think at all.
struct EngineAnswer {
    int32_t failed;
    int32_t from;
    int32_t length;
    int32_t path[ENGINE_MAX_PATH];
    int32_t depth;  // the depth finished, 0 for a turn that was the only one
};

// The live board and the loop's turn as the engine needs them; the played
// positions come from the game record's turn starts.
HintQuestion hint_question(const LoopState& st);
// The live board with `side` to move, a chain square or -1, the quiet moves
// and the played positions as the caller counts them.
HintQuestion live_question(int32_t side, int32_t chain, int32_t quiet, const std::vector<uint64_t>& played);

// The limits the game's "mistr" plays with, on the caller's table.
SearchLimits mistr_limits(EngineTable& table, const std::atomic<bool>* stop);

// The whole turn at "mistr". The only turn there is comes at once, unthought.
// Throws when the table cannot be allocated.
EngineAnswer think_turn(const HintQuestion& q, EngineTable& table, const std::atomic<bool>& stop);

// The hint: HINT_THINK_MS on the same table. Throws as think_turn does.
EngineAnswer think_hint(const HintQuestion& q, EngineTable& table, const std::atomic<bool>& stop);

// One question at a time on a thread of its own. A job that throws answers
// `failed`: the hint then has none and the game goes on.
struct EngineThread {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    int32_t job = 0;  // the caller's name for the question asked, 0 none
    EngineAnswer answer{};
    EngineTable table;
};

using EngineJob = std::function<EngineAnswer(EngineTable& table, const std::atomic<bool>& stop)>;

// Stops and waits for the question under way, if any; its answer is dropped.
void engine_thread_finish(EngineThread& t);
// Drops the question under way and asks `run`, named `job`.
void engine_thread_start(EngineThread& t, int32_t job, EngineJob run);
// Once, when it has come: the answer and the job it answers.
bool engine_thread_arrived(EngineThread& t, int32_t& job, EngineAnswer& answer);
