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
