// Whole games between two players of engine positions, and the balanced
// openings matches start from. A player is a function that answers its turn,
// so the same driver serves the engine under two sets of weights, another
// program, and the generator of the evaluation's training positions.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/engine.h"

// Whole turns after which a game is called unfinished. The draw rule ends
// every real game long before: men can move only so often.
constexpr int ENGINE_GAME_TURN_CAP = 1000;

// The position to answer and the keys of the game's positions before it since
// a man last moved or a piece was taken (what engine_search wants as `played`).
using EnginePlayer = std::function<EngineMove(const EnginePosition& p, const std::vector<uint64_t>& played)>;

struct EngineGame {
    int winner = -1;  // 0 blue, 1 red, -1 drawn by the quiet-move rule
    bool unfinished = false;  // stopped at ENGINE_GAME_TURN_CAP, counted as a draw
    bool bad_turn = false;    // a player answered a turn that is not among the position's own
    std::vector<EnginePosition> positions;  // every position in which a side was to move, the start first
};

// Plays from `start` to the end: a side with no turn has lost, the 17th
// consecutive quiet move (a crowning step counted quiet) draws. players[0]
// moves blue, players[1] red.
EngineGame play_engine_game(const EnginePosition& start, const EnginePlayer players[2]);

// What the matches and the fit call balanced: scored within 0.3 of a man at
// depth 8.
constexpr int ENGINE_OPENING_MARGIN = 30;
constexpr int ENGINE_OPENING_DEPTH = 8;

struct EngineOpening {
    int start = 0;  // index into the starts it was made from
    std::vector<EngineMove> turns;
    EnginePosition position{};
    int score = 0;  // the engine's, from the side to move's view
};

// Every sequence of `turns` whole turns from each of `starts`, in generation
// order, that leaves a position the engine scores within `margin` at `depth`
// (under EVAL_WEIGHTS). Sequences that reach the same position are kept once.
// Deterministic: fixed depth, no clock.
std::vector<EngineOpening> balanced_openings(const std::vector<EnginePosition>& starts, int turns, int margin,
                                             int depth);
