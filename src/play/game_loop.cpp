// Game play: the Allegro side of the game loop. It polls the input, hands it
// to loop_pass and does what the pass asks: timers, sounds, the frame and
// the menu.
#include "play/game_loop.h"

#include <atomic>
#include <thread>

#include "app/game_state.h"
#include "app/resources.h"
#include "audio/music.h"
#include "audio/sound_effects.h"
#include "play/hint.h"
#include "play/loop_logic.h"
#include "play/render.h"
#include "ui/main_menu.h"
#include "ui/menu_result.h"
#include "ui/toolkit.h"

namespace {

int32_t key_waiting() {
    clear_keybuf();
    return keypressed() ? 1 : 0;
}

// The engine thinks about a hint on a thread of its own, on a copy of the
// position, so no frame waits for it.
struct HintThread {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    HintAnswer answer{-1, -1};
};

void hint_finish(HintThread& h) {
    h.stop = true;
    if (h.thread.joinable()) h.thread.join();
}

void hint_start(HintThread& h, const HintQuestion& q) {
    hint_finish(h);
    h.stop = false;
    h.done = false;
    h.thread = std::thread([&h, q] {
        h.answer = think_hint(q, h.stop);
        h.done = true;
    });
}

// The answer, once, when it has come.
bool hint_arrived(HintThread& h, HintAnswer& answer) {
    if (!h.thread.joinable() || !h.done) return false;
    h.thread.join();
    answer = h.answer;
    return true;
}

// The (re)start steps outside the loop's own state.
void start_play(LoopState& st) {
    draw_board(board_buffer);
    loop_start(st);
    clock_seconds = game.paused_seconds;
    clock_minutes = game.paused_minutes;
    ticks = 0;
}

}  // namespace

int32_t game_loop(int32_t menu_result) {
    if (menu_result == MENU_QUIT) return 0;
    LoopState st;
    start_play(st);
    HintThread hint;
    while (!quit_requested) {
        poll_keyboard();
        poll_mouse();
        LoopInput in;
        in.mouse_x = mouse_x;
        in.mouse_y = mouse_y;
        in.mouse_b = mouse_b;
        in.key_x = key[KEY_X] ? 1 : 0;
        in.key_esc = key[KEY_ESC] ? 1 : 0;
        in.key_h = key[KEY_H] ? 1 : 0;
        in.key_backspace = key[KEY_BACKSPACE] ? 1 : 0;
        HintAnswer answer{-1, -1};
        in.hint_arrived = hint_arrived(hint, answer) ? 1 : 0;
        in.hint_from = answer.from;
        in.hint_to = answer.to;
        in.key_waiting = key_waiting;
        in.ticks = ticks;
        in.clock_minutes = clock_minutes;
        in.clock_seconds = clock_seconds;

        const LoopOutput out = loop_pass(st, in);
        if (out.hint_drop) hint_finish(hint);
        if (out.hint_ask) hint_start(hint, hint_question(st));
        if (out.leave) break;
        if (out.ticks_reset) ticks = 0;
        if (out.clock_set) {
            clock_minutes = out.clock_minutes;
            clock_seconds = out.clock_seconds;
        }
        if (out.pick_sound) play_pick_sound(RES_SND_PICK);
        if (out.move_sound) play_move_sound();

        if (out.menu == LOOP_MENU_GAME_OVER) {
            // With no game in progress the menu answers a new game, a loaded
            // one or "Konec".
            if (main_menu() == MENU_QUIT) break;
            start_play(st);
            continue;
        }

        compose_frame(out.pointer_square, out.piece_picked, out.side_to_move, out.notice, out.seconds,
                      out.minutes, out.hint_piece, out.hint_target);
        poll_music();

        if (out.menu == LOOP_MENU_FROM_BOARD) {
            // Time spent in the menu does not count.
            game.paused_seconds = clock_seconds;
            game.paused_minutes = clock_minutes;
            const int saved_ticks = ticks;
            hint_finish(hint);
            if (loop_after_menu(st, main_menu())) {
                start_play(st);
            } else {
                clock_minutes = game.paused_minutes;
                clock_seconds = game.paused_seconds;
                ticks = saved_ticks;
            }
        }
    }
    hint_finish(hint);
    return 0;
}
