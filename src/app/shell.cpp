// Application shell: the run between start-up and shutdown. Until the game
// loop exists this shows the play screen with a fresh game and ends on Esc or
// the window's close button.
#include "app/shell.h"

#include "app/game_state.h"
#include "app/resources.h"
#include "play/render.h"
#include "rules/rules.h"

void run_game() {
    new_game();
    draw_board(board_buffer);
    while (!quit_requested) {
        poll_keyboard();
        poll_mouse();
        if (key[KEY_ESC]) break;
        compose_frame(square_at_point(mouse_x, mouse_y), 0, game.turn, 0, clock_seconds, clock_minutes);
        rest(1);
    }
}
