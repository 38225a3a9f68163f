// Game play: the Allegro side of the game loop, run by the toolkit's frame
// loop. Each pass hands the input to loop_pass and does what the pass asks:
// timers, sounds, the frame and the menu.
#include "play/game_loop.h"

#include <atomic>
#include <ctime>
#include <thread>

#include "app/game_state.h"
#include "app/resources.h"
#include "audio/sound_effects.h"
#include "play/hint.h"
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

// What the engine thread was last asked.
enum EngineJobName : int32_t { JOB_HINT = 1, JOB_TURN = 2 };

// From the key buffer, so a press shorter than a frame still counts; the
// other keys the play screen reads are held ones.
void read_pressed_keys(LoopInput& in) {
    in.key_backspace = 0;
    in.key_space = 0;
    while (keypressed()) {
        const int code = readkey() >> 8;
        if (code == KEY_BACKSPACE) in.key_backspace = 1;
        if (code == KEY_SPACE) in.key_space = 1;
    }
}

// The (re)start steps outside the loop's own state: the game before is kept
// and the new or loaded one starts its record.
void start_play(LoopState& st) {
    keep_game(KEPT_GAMES_PATH);
    record_start();
    clear_keybuf();
    draw_board(board_buffer);
    loop_start(st);
    game_clock = clock_from(game.paused_minutes, game.paused_seconds);
    ticks = 0;
}

// The loop's state and what the last pass asked for.
struct Play {
    LoopState st;
    LoopOutput out;
    int32_t quit;  // "Konec" chosen in the menu of a decided game
    // The hint and the computer's turn at "mistr" think here, on a copy of
    // the position, so no frame waits for them; the table is kept.
    EngineThread engine;
};

int32_t play_pass(void* data, const FrameInput& polled) {
    Play& p = *static_cast<Play*>(data);
    if (p.quit) return FRAME_LEAVE;
    LoopInput in;
    in.mouse_x = polled.mouse_x;
    in.mouse_y = polled.mouse_y;
    in.mouse_b = polled.mouse_b;
    in.key_x = key[KEY_X] ? 1 : 0;
    in.key_esc = key[KEY_ESC] ? 1 : 0;
    in.key_h = key[KEY_H] ? 1 : 0;
    int32_t job = 0;
    EngineAnswer answer{};
    const bool arrived = engine_thread_arrived(p.engine, job, answer);
    in.hint_arrived = arrived && job == JOB_HINT ? 1 : 0;
    in.hint_from = answer.from;
    in.hint_to = answer.from >= 0 && answer.length > 0 ? answer.path[0] : -1;
    in.turn_arrived = arrived && job == JOB_TURN ? 1 : 0;
    in.turn_failed = answer.failed;
    in.turn_from = answer.from;
    in.turn_length = answer.length;
    for (int i = 0; i < ENGINE_MAX_PATH; i++) in.turn_path[i] = answer.path[i];
    read_pressed_keys(in);
    in.key_waiting = key_waiting;
    in.ticks = ticks;
    const int32_t clock = game_clock;
    in.clock_minutes = clock_minutes_of(clock);
    in.clock_seconds = clock_seconds_of(clock);

    const LoopOutput out = loop_pass(p.st, in);
    p.out = out;
    if ((out.hint_drop && p.engine.job == JOB_HINT) || (out.turn_drop && p.engine.job == JOB_TURN))
        engine_thread_finish(p.engine);
    if (out.hint_ask || out.turn_ask) {
        const HintQuestion q = hint_question(p.st);
        if (out.hint_ask)
            engine_thread_start(p.engine, JOB_HINT, [q](EngineTable& t, const std::atomic<bool>& stop) {
                return think_hint(q, t, stop);
            });
        else
            engine_thread_start(p.engine, JOB_TURN, [q](EngineTable& t, const std::atomic<bool>& stop) {
                return think_turn(q, t, stop);
            });
    }
    if (out.leave) return FRAME_LEAVE;
    if (out.ticks_reset) ticks = 0;
    if (out.clock_set) game_clock = clock_from(out.clock_minutes, out.clock_seconds);
    if (out.pick_sound) play_pick_sound(RES_SND_PICK);
    if (out.move_sound) play_move_sound();

    if (out.menu == LOOP_MENU_GAME_OVER) {
        p.out.menu = LOOP_MENU_NONE;
        // The decided game can no longer be taken back: keep it now. With no
        // game in progress the menu answers a new game, a loaded one or
        // "Konec".
        keep_game(KEPT_GAMES_PATH);
        if (main_menu() == MENU_QUIT) {
            p.quit = 1;
            return FRAME_LEAVE;
        }
        start_play(p.st);
        return FRAME_SKIP;
    }
    return FRAME_SHOW;
}

// The board, the side panel with the time of day, and the notices all
// follow from these.
uint64_t play_picture(const void* data) {
    const Play& p = *static_cast<const Play*>(data);
    uint64_t key = picture_key(PICTURE_KEY_START, p.st);
    key = picture_key(key, p.out);
    key = picture_key(key, board);
    key = picture_key(key, settings);
    key = picture_key(key, game);
    return picture_key(key, static_cast<int64_t>(std::time(nullptr)));
}

BITMAP* play_draw(void* data, int32_t& with_pointer) {
    const LoopOutput& out = static_cast<Play*>(data)->out;
    with_pointer = compose_frame(out.pointer_square, out.piece_picked, out.side_to_move, out.notice, out.seconds,
                                 out.minutes, out.hint_piece, out.hint_target, out.pointer_legal, out.square_marks);
    return frame_buffer;
}

void play_after(void* data) {
    Play& p = *static_cast<Play*>(data);
    if (p.out.menu != LOOP_MENU_FROM_BOARD) return;
    // Time spent in the menu does not count.
    const int32_t paused = game_clock;
    game.paused_minutes = clock_minutes_of(paused);
    game.paused_seconds = clock_seconds_of(paused);
    const int saved_ticks = ticks;
    engine_thread_finish(p.engine);
    const int32_t result = main_menu();
    // Keys typed in the menu and its screens are theirs: a Backspace in the
    // names editor must not take back a move.
    clear_keybuf();
    if (loop_after_menu(p.st, result)) {
        start_play(p.st);
    } else {
        game_clock = paused;
        ticks = saved_ticks;
    }
}

}  // namespace

int32_t game_loop(int32_t menu_result) {
    if (menu_result == MENU_QUIT) return 0;
    Play p = {};
    start_play(p.st);
    run_frames({&p, play_pass, play_picture, play_draw, play_after});
    engine_thread_finish(p.engine);
    // "Konec" or the window's close button leave the game as it stands.
    keep_game(KEPT_GAMES_PATH);
    return 0;
}
