// Game play: the Allegro side of the game loop. It polls the input, hands it
// to loop_pass and does what the pass asks: timers, sounds, the frame and
// the menu.
#include "play/game_loop.h"

#include "app/game_state.h"
#include "app/resources.h"
#include "audio/music.h"
#include "audio/sound_effects.h"
#include "play/game_record.h"
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

// From the key buffer, so a press shorter than a frame still counts; the
// other keys the play screen reads are held ones.
int32_t backspace_pressed() {
    int32_t pressed = 0;
    while (keypressed())
        if ((readkey() >> 8) == KEY_BACKSPACE) pressed = 1;
    return pressed;
}

// The (re)start steps outside the loop's own state: the game before is kept
// and the new or loaded one starts its record.
void start_play(LoopState& st) {
    keep_game(KEPT_GAMES_PATH);
    record_start();
    clear_keybuf();
    draw_board(board_buffer);
    loop_start(st);
    clock_seconds = game.paused_seconds;
    clock_minutes = game.paused_minutes;
    ticks = 0;
}

void play(int32_t menu_result) {
    if (menu_result == MENU_QUIT) return;
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
        in.key_backspace = backspace_pressed();
        in.key_waiting = key_waiting;
        in.ticks = ticks;
        in.clock_minutes = clock_minutes;
        in.clock_seconds = clock_seconds;

        const LoopOutput out = loop_pass(st, in);
        if (out.leave) return;
        if (out.ticks_reset) ticks = 0;
        if (out.clock_set) {
            clock_minutes = out.clock_minutes;
            clock_seconds = out.clock_seconds;
        }
        if (out.pick_sound) play_pick_sound(RES_SND_PICK);
        if (out.move_sound) play_move_sound();

        if (out.menu == LOOP_MENU_GAME_OVER) {
            // The decided game can no longer be taken back: keep it now. With
            // no game in progress the menu answers a new game, a loaded one
            // or "Konec".
            keep_game(KEPT_GAMES_PATH);
            if (main_menu() == MENU_QUIT) return;
            start_play(st);
            continue;
        }

        compose_frame(out.pointer_square, out.piece_picked, out.side_to_move, out.notice, out.seconds,
                      out.minutes);
        poll_music();

        if (out.menu == LOOP_MENU_FROM_BOARD) {
            // Time spent in the menu does not count.
            game.paused_seconds = clock_seconds;
            game.paused_minutes = clock_minutes;
            const int saved_ticks = ticks;
            const int32_t result = main_menu();
            // Keys typed in the menu and its screens are theirs: a Backspace
            // in the names editor must not take back a move.
            clear_keybuf();
            if (loop_after_menu(st, result)) {
                start_play(st);
            } else {
                clock_minutes = game.paused_minutes;
                clock_seconds = game.paused_seconds;
                ticks = saved_ticks;
            }
        }
    }
}

}  // namespace

int32_t game_loop(int32_t menu_result) {
    play(menu_result);
    // "Konec" or the window's close button leave the game as it stands.
    keep_game(KEPT_GAMES_PATH);
    return 0;
}
