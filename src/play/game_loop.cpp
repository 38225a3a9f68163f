// Game play: the Allegro side of the game loop. It polls the input, hands it
// to loop_pass and does what the pass asks: timers, sounds, the frame and
// the menu.
#include "play/game_loop.h"

#include "app/game_state.h"
#include "app/resources.h"
#include "audio/music.h"
#include "audio/sound_effects.h"
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

// The (re)start steps outside the loop's own state.
void start_play(LoopState& st) {
    draw_board(board_buffer);
    loop_start(st);
    game_clock = clock_from(game.paused_minutes, game.paused_seconds);
    ticks = 0;
}

}  // namespace

int32_t game_loop(int32_t menu_result) {
    if (menu_result == MENU_QUIT) return 0;
    LoopState st;
    start_play(st);
    while (!quit_requested) {
        poll_keyboard();
        poll_mouse();
        LoopInput in;
        in.mouse_x = mouse_x;
        in.mouse_y = mouse_y;
        in.mouse_b = mouse_b;
        in.key_x = key[KEY_X] ? 1 : 0;
        in.key_esc = key[KEY_ESC] ? 1 : 0;
        in.key_waiting = key_waiting;
        in.ticks = ticks;
        const int32_t clock = game_clock;
        in.clock_minutes = clock_minutes_of(clock);
        in.clock_seconds = clock_seconds_of(clock);

        const LoopOutput out = loop_pass(st, in);
        if (out.leave) return 0;
        if (out.ticks_reset) ticks = 0;
        if (out.clock_set) game_clock = clock_from(out.clock_minutes, out.clock_seconds);
        if (out.pick_sound) play_pick_sound(RES_SND_PICK);
        if (out.move_sound) play_move_sound();

        if (out.menu == LOOP_MENU_GAME_OVER) {
            // With no game in progress the menu answers a new game, a loaded
            // one or "Konec".
            if (main_menu() == MENU_QUIT) return 0;
            start_play(st);
            continue;
        }

        compose_frame(out.pointer_square, out.piece_picked, out.side_to_move, out.notice, out.seconds,
                      out.minutes);
        poll_music();

        if (out.menu == LOOP_MENU_FROM_BOARD) {
            // Time spent in the menu does not count.
            const int32_t paused = game_clock;
            game.paused_minutes = clock_minutes_of(paused);
            game.paused_seconds = clock_seconds_of(paused);
            const int saved_ticks = ticks;
            if (loop_after_menu(st, main_menu())) {
                start_play(st);
            } else {
                game_clock = paused;
                ticks = saved_ticks;
            }
        }
    }
    return 0;
}
