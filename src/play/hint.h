// The play screen's hint: on a human's turn the engine's choice for the side
// to move, thought on a copy of the position so the game loop's shell can
// run it on a thread of its own while frames go on.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/game_state.h"
#include "play/loop_logic.h"

// About half a second of thinking.
constexpr int64_t HINT_THINK_MS = 500;

struct HintQuestion {
    int32_t pieces[SQUARE_COUNT];
    int32_t side;
    int32_t chain;  // the square of a capture chain under way, or -1
    int32_t quiet;  // quiet moves so far, for the draw rule
};

// The piece to move and where it lands first: what the computer's own move
// marks. -1 and -1 when the side cannot move.
struct HintAnswer {
    int32_t from;
    int32_t to;
};

// The live board and the loop's turn as the engine needs them.
HintQuestion hint_question(const LoopState& st);

// Thinks for HINT_THINK_MS, or less when `stop` is set.
HintAnswer think_hint(const HintQuestion& q, const std::atomic<bool>& stop);
