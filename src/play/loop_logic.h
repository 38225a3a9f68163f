// Game play: one pass of the game loop as a function of the loop's state and
// what was read from the mouse, the keyboard and the timers. It moves the
// pieces, keeps the turn, the notices and the end of the game, and answers
// what the Allegro shell (play/game_loop.cpp) must do: sounds, the frame,
// the menu. No Allegro here, so every rule of play can be tested without a
// display.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "rules/rules.h"
#include "ui/widgets.h"

// Everything the loop keeps between passes; it starts afresh whenever the
// loop (re)starts and is never saved with a game.
struct LoopState {
    ClickTracker click;
    int32_t in_chain;      // a capture chain goes on with the same piece
    int32_t piece_picked;  // human: a piece is picked; computer: its move is shown
    int32_t leave_code;    // result of the last menu opened from the board
    int32_t ai_phase;      // 0..3, progress of the computer's move
    int32_t notice;        // Notice (play/notice_codes.h)
    DrawBook draw_book;
    // The hint (H on a human's turn): HINT_NONE, asked and awaited, or shown
    // since the ticks `hint_since`, for the board whose digest it was asked on.
    int32_t hint;
    int32_t hint_from;
    int32_t hint_to;
    int32_t hint_since;
    uint32_t hint_board;
    int32_t key_h_held;
    int32_t hurry_held;  // the left button went down to hurry the computer
    // "mistr": the engine's whole turn, PLAN_NONE, asked as the turn begins
    // (on the board whose digest is `plan_board`), or ready and followed
    // jump by jump; a ready plan of length 0 hands the turn to the rule list.
    int32_t plan;
    uint32_t plan_board;
    int32_t plan_from;
    int32_t plan_length;
    int32_t plan_step;  // the landing square the next jump marks
    int32_t plan_path[ENGINE_MAX_PATH];
};

enum PlanStage : int32_t { PLAN_NONE = 0, PLAN_ASKED = 1, PLAN_READY = 2 };

enum HintStage : int32_t { HINT_NONE = 0, HINT_ASKED = 1, HINT_SHOWN = 2 };

// The hint stands this many ticks: the piece alone for the first half, then
// its destination marked too.
constexpr int32_t HINT_TICKS = NOTICE_TICKS;

// What the shell read at the top of the pass.
struct LoopInput {
    int32_t mouse_x;
    int32_t mouse_y;
    int32_t mouse_b;  // bit 0 left, bit 1 right
    int32_t key_x;    // X held
    int32_t key_esc;  // Esc held
    int32_t key_h;    // H held: a hint
    // The engine's hint has come: the piece and its first landing square
    // (-1 when the side cannot move).
    int32_t hint_arrived;
    int32_t hint_from;
    int32_t hint_to;
    // The engine's whole turn for "mistr" has come: failed when it could not
    // think, else the piece (-1 when the side cannot move) and every landing
    // square.
    int32_t turn_arrived;
    int32_t turn_failed;
    int32_t turn_from;
    int32_t turn_length;
    int32_t turn_path[ENGINE_MAX_PATH];
    int32_t key_backspace;  // Backspace pressed since the last pass: take back
    int32_t key_space;      // Space pressed since the last pass: hurry the computer
    // Once the game is decided: empties the keyboard buffer and answers
    // whether a key is waiting all the same. Null counts as no key.
    int32_t (*key_waiting)();
    int32_t ticks;
    int32_t clock_minutes;
    int32_t clock_seconds;
};

enum LoopMenu : int32_t {
    LOOP_MENU_NONE = 0,
    LOOP_MENU_GAME_OVER = 1,   // at once, no frame drawn; then restart with its result
    LOOP_MENU_FROM_BOARD = 2   // after the frame; the clock pauses meanwhile
};

// What the shell must do after the pass, in this order: leave, write the
// timers, play the sounds, open the menu at once or draw the frame (with
// the compose_frame arguments below) and then maybe open the menu.
struct LoopOutput {
    int32_t leave;  // return from the game loop
    int32_t ticks_reset;
    int32_t clock_set;  // clock_minutes and clock_seconds below are to be written
    int32_t clock_minutes;
    int32_t clock_seconds;
    int32_t pick_sound;
    int32_t move_sound;
    int32_t menu;  // LoopMenu
    int32_t hint_ask;   // start the engine on hint_question()
    int32_t hint_drop;  // stop it: its answer is no longer wanted
    int32_t turn_ask;   // start the engine on the computer's whole turn, hint_question()
    int32_t turn_drop;  // stop it: the turn is no longer the one asked about
    // compose_frame
    int32_t pointer_square;
    int32_t piece_picked;
    int32_t side_to_move;
    int32_t notice;
    int32_t seconds;
    int32_t minutes;
    int32_t hint_piece;   // drawn picked, -1 none
    int32_t hint_target;  // marked as a legal destination, -1 none
    // The destination marker under the pointer: 1 when a click there would
    // be accepted, the compulsory capture and the kings' precedence included.
    int32_t pointer_legal;
    uint8_t square_marks[SQUARE_COUNT];  // SquareMark bits
};

// What a square of the board is marked with besides its piece.
enum SquareMark : uint8_t {
    SQUARE_LAST_PATH = 1,     // the latest turn's piece left or reached it
    SQUARE_LAST_TAKEN = 2,    // a piece the latest turn took stood there
    SQUARE_MUST_CAPTURE = 4   // a refused move's notice stands: this piece must take
};

// Whether the side to move is the computer's.
int32_t computer_to_move();

// The loop-local part of a (re)start: fresh state, no marks, draw
// bookkeeping from the board. The shell redraws the empty board and sets the
// clock from the paused time; a new or loaded game also starts a new record
// (play/game_record.h), once the one before is kept.
void loop_start(LoopState& st);

LoopOutput loop_pass(LoopState& st, const LoopInput& in);

// The menu opened from the board has answered `result`. Answers 1 when play
// restarts on a new or loaded game (the state is already reset), 0 when the
// interrupted play goes on (or ends at the next pass on "Konec").
int32_t loop_after_menu(LoopState& st, int32_t result);
