#include "ai/targets.h"

namespace {

struct TargetTable {
    Targets of[SQUARE_COUNT] = {};
    constexpr TargetTable() {
        for (int32_t from = 0; from < SQUARE_COUNT; from++) {
            Targets& t = of[from];
            t.step.count = t.jump.count = t.line.count = 0;
            for (int32_t to = 0; to < SQUARE_COUNT; to++) {
                const int32_t d = to > from ? to - from : from - to;
                if (d == 0 || (d % 9 != 0 && d % 7 != 0)) continue;
                t.line.square[t.line.count++] = to;
                if (d == 7 || d == 9) t.step.square[t.step.count++] = to;
                if (d == 14 || d == 18) t.jump.square[t.jump.count++] = to;
            }
        }
    }
};

constexpr TargetTable TABLE;

}  // namespace

const Targets& targets_of(int32_t from) { return TABLE.of[from]; }
