// Menus and screens: pacing and picture keys of the frame loop.
#include "ui/frame_logic.h"

int64_t frame_sleep_us(FramePacer& p, int64_t now_us) {
    if (p.due_us == 0 || now_us - p.due_us > FRAME_INTERVAL_US) p.due_us = now_us;
    p.due_us += FRAME_INTERVAL_US;
    return p.due_us > now_us ? p.due_us - now_us : 0;
}

uint64_t picture_key_bytes(uint64_t key, const void* bytes, size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < n; i++) {
        key ^= b[i];
        key *= 1099511628211ull;
    }
    return key;
}

namespace {

uint64_t pack(MouseState m) {
    return uint64_t(uint16_t(m.x)) | uint64_t(uint16_t(m.y)) << 16 | uint64_t(uint32_t(m.buttons)) << 32;
}

MouseState unpack(uint64_t v) {
    return {int16_t(v & 0xffff), int16_t(v >> 16 & 0xffff), int32_t(uint32_t(v >> 32))};
}

}  // namespace

void latch_mouse(MouseLatch& l, MouseState m) {
    const MouseState before = unpack(l.now.load(std::memory_order_relaxed));
    l.now.store(pack(m), std::memory_order_release);
    if (m.buttons == before.buttons) return;
    const uint32_t head = l.head.load(std::memory_order_relaxed);
    // Full only when the game thread has not run for 64 changes; the newest
    // are dropped, and the state now still says where the buttons are.
    if (head - l.tail.load(std::memory_order_acquire) >= MOUSE_QUEUE_SIZE) return;
    l.changes[head % MOUSE_QUEUE_SIZE].store(pack(m), std::memory_order_relaxed);
    l.head.store(head + 1, std::memory_order_release);
}

MouseState take_mouse(MouseLatch& l) {
    const uint32_t tail = l.tail.load(std::memory_order_relaxed);
    if (tail == l.head.load(std::memory_order_acquire)) return mouse_now(l);
    const MouseState m = unpack(l.changes[tail % MOUSE_QUEUE_SIZE].load(std::memory_order_relaxed));
    l.tail.store(tail + 1, std::memory_order_release);
    return m;
}

MouseState mouse_now(const MouseLatch& l) { return unpack(l.now.load(std::memory_order_acquire)); }

int32_t window_scale(int32_t configured, int32_t desktop_w, int32_t desktop_h) {
    if (configured >= 1 && configured <= MAX_WINDOW_SCALE) return configured;
    int32_t scale = 1;
    while (scale < MAX_WINDOW_SCALE && PICTURE_W * (scale + 1) <= desktop_w - DESKTOP_ROOM_W &&
           PICTURE_H * (scale + 1) <= desktop_h - DESKTOP_ROOM_H)
        scale++;
    return scale;
}

MouseState picture_mouse(MouseState window, int32_t scale) {
    if (scale < 1) scale = 1;
    auto inside = [](int32_t v, int32_t size) { return v < 0 ? 0 : v >= size ? size - 1 : v; };
    return {inside(window.x / scale, PICTURE_W), inside(window.y / scale, PICTURE_H), window.buttons};
}
