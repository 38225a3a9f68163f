// Menus and screens: the frame loop's decisions that need no display: when
// the next pass is due, and whether a pass's picture differs from the one
// last put on the screen. The loop itself is run_frames (ui/toolkit.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// One pass per tick of the 250 Hz timer: no wait measured in ticks can end
// between two passes unseen.
constexpr int64_t FRAME_INTERVAL_US = 4000;

// What the loop read at the top of the pass.
struct FrameInput {
    int32_t mouse_x;
    int32_t mouse_y;
    int32_t mouse_b;  // bit 0 left, bit 1 right
};

// What a screen's pass answers the loop.
enum FrameStep : int32_t {
    FRAME_SHOW = 0,   // present the picture (drawn again only when it changed)
    FRAME_SKIP = 1,   // no frame this pass
    FRAME_LEAVE = 2   // the screen is finished
};

struct FramePacer {
    int64_t due_us;  // when the next pass may begin; 0 before the first
};

// Microseconds to sleep after a pass that ended at now_us. A pass that
// ended late (a slow frame, a screen opened on top) starts the schedule
// afresh instead of running the missed passes back to back.
int64_t frame_sleep_us(FramePacer& p, int64_t now_us);

// A picture's key: FNV-1a over everything the picture is drawn from. Equal
// keys, equal pictures.
constexpr uint64_t PICTURE_KEY_START = 14695981039346656037ull;
uint64_t picture_key_bytes(uint64_t key, const void* bytes, size_t n);
template <class T>
uint64_t picture_key(uint64_t key, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>, "hashed byte by byte");
    return picture_key_bytes(key, &value, sizeof value);
}

// The mouse as Allegro's input thread reports it, kept for the passes.
// Every button change is queued with the place it happened, and a pass takes
// at most one, oldest first: a press and a release that both fall between
// two passes reach the screens as a press in one pass and a release in the
// next, exactly like a held click. Single producer (the input thread), single
// consumer (the game thread); nothing else is shared.
struct MouseState {
    int32_t x;
    int32_t y;
    int32_t buttons;  // bit 0 left, bit 1 right
};
constexpr uint32_t MOUSE_QUEUE_SIZE = 64;  // changes a stalled game thread can owe
struct MouseLatch {
    std::atomic<uint64_t> now{0};  // the latest state
    std::atomic<uint64_t> changes[MOUSE_QUEUE_SIZE] = {};
    std::atomic<uint32_t> head{0};  // written by the input thread only
    std::atomic<uint32_t> tail{0};  // written by the game thread only
};

// Input thread: the mouse moved or a button changed.
void latch_mouse(MouseLatch& l, MouseState m);
// Game thread: the oldest button change not taken yet, else the state now.
MouseState take_mouse(MouseLatch& l);
// Game thread: the latest state, where the pointer is drawn.
MouseState mouse_now(const MouseLatch& l);

// The picture every screen draws, and the window that shows it a whole
// number of times larger, so no pixel is blurred.
constexpr int32_t PICTURE_W = 800;
constexpr int32_t PICTURE_H = 600;
constexpr int32_t MAX_WINDOW_SCALE = 8;
// What a desktop keeps for its panels and the window's title bar and frame.
constexpr int32_t DESKTOP_ROOM_W = 32;
constexpr int32_t DESKTOP_ROOM_H = 96;

// The scale asked for (1..MAX_WINDOW_SCALE; anything else is automatic) or
// else the largest whose window fits a desktop of that size with the room
// above; 1 when even that does not fit or the size is unknown (0).
int32_t window_scale(int32_t configured, int32_t desktop_w, int32_t desktop_h);

// A mouse position in a window at `scale` as a place in the picture: the
// pixel it falls in, kept inside the picture. The buttons as they are.
MouseState picture_mouse(MouseState window, int32_t scale);
