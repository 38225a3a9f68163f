// Game play: drawing of the play screen. Each frame is composed in
// frame_buffer from board_buffer (background and empty board), then reaches
// the screen in one blit.
#pragma once

#include <allegro.h>

#include <cstdint>

void draw_board(BITMAP* target);
void draw_pieces(BITMAP* target);
void draw_hover(int32_t square, int32_t side, BITMAP* target);
void draw_target_marker(int32_t legal, int32_t square, BITMAP* target);
void draw_side_panel(int32_t piece_picked, int32_t side_to_move, BITMAP* target, int32_t seconds,
                     int32_t minutes);
void wall_clock(int32_t* hours, int32_t* minutes, int32_t* seconds);
void copy_bitmap(BITMAP* source, BITMAP* target);

// Composes the frame in frame_buffer; answers 1 when the mouse pointer
// belongs on it. A hint shows its piece as picked and its destination with
// the legal marker, as the computer's move does. The destination marker
// under the pointer shows `pointer_legal`; `square_marks` (the loop pass's
// SquareMark bits per square, null for none) adds the latest turn's squares
// and, under a refused move's notice, the pieces that must capture.
int32_t compose_frame(int32_t pointer_square, int32_t piece_picked, int32_t side_to_move, int32_t notice,
                      int32_t seconds, int32_t minutes, int32_t hint_piece = -1, int32_t hint_target = -1,
                      int32_t pointer_legal = 0, const uint8_t* square_marks = nullptr);

// The same into any bitmap pair, without touching the screen or the mouse
// pointer: what compose_frame does up to the final copy. Used by benchmarks
// and tests on memory bitmaps.
void compose_frame_into(BITMAP* frame, BITMAP* background, int32_t pointer_square, int32_t piece_picked,
                        int32_t side_to_move, int32_t notice, int32_t seconds, int32_t minutes,
                        int32_t hint_piece = -1, int32_t hint_target = -1, int32_t pointer_legal = 0,
                        const uint8_t* square_marks = nullptr);
