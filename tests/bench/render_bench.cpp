// How long composing one play-screen frame takes, into memory bitmaps at the
// game's 16-bit depth. Run from the build directory (it loads Data/talvena.dat).
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>

#include "app/game_state.h"
#include "app/resources.h"
#include "play/render.h"
#include "rules/rules.h"

namespace {

bool load_resources() {
    static bool loaded = false;
    if (loaded) return true;
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) return false;
    set_color_depth(16);
    set_color_conversion(COLORCONV_TOTAL);
    datafile = load_datafile("Data/talvena.dat");
    loaded = datafile != nullptr;
    return loaded;
}

void BM_ComposeFrame(benchmark::State& state) {
    if (!load_resources()) {
        state.SkipWithError("Data/talvena.dat not found: run from the build directory");
        return;
    }
    BITMAP* frame = create_bitmap_ex(16, 800, 600);
    BITMAP* background = create_bitmap_ex(16, 800, 600);
    settings.piece_count = 12;
    new_game();
    draw_board(background);
    const int picked = static_cast<int>(state.range(0));
    if (picked) board[42].source_mark = 1;
    for (auto _ : state) {
        // Pointer over a square: a hover picture, or a destination marker.
        compose_frame_into(frame, background, picked ? 33 : 42, picked, BLUE, 0, 7, 5);
        benchmark::DoNotOptimize(frame->line[0][0]);
    }
    destroy_bitmap(frame);
    destroy_bitmap(background);
}
BENCHMARK(BM_ComposeFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
