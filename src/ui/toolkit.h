// Menus and screens: the drawing side of the screen toolkit: labels in the
// menu font, the translucent framed panel, the main menu's backdrop, and the
// frame loop every screen runs, the game's included.
#pragma once

#include <allegro.h>

#include <cstdint>

#include "ui/frame_logic.h"
#include "ui/widgets.h"

// Line colours.
struct LineColour {
    int r, g, b;
};
constexpr LineColour COLOUR_HIGHLIGHT = {255, 180, 0};  // under the mouse, or being edited
constexpr LineColour COLOUR_NORMAL = {200, 200, 200};
constexpr LineColour COLOUR_DISABLED = {100, 100, 100};
constexpr LineColour COLOUR_FRAME = {250, 250, 250};
constexpr int PANEL_SHADE_ALPHA = 200;

// makecol of the colour a line of that look is drawn in.
int line_colour(int32_t look);

// A new label at (x, y) measured with the menu font; the caller deletes it.
Label* label_new(const char* text, int32_t x, int32_t y);

// The label's own text in the menu font, "%s" so a '%' in it prints as is.
void draw_label(BITMAP* bmp, const Label& label, int colour);

// Darkens the box to about a fifth of its brightness and frames it with a
// one-pixel light line; the right and bottom edges are part of the frame.
// Arguments: left, right, top, bottom.
void draw_panel(int32_t x1, int32_t x2, int32_t y1, int32_t y2, BITMAP* bmp);

// The main menu's picture with its panel on top.
void draw_menu_backdrop(int32_t x1, int32_t x2, int32_t y1, int32_t y2, BITMAP* bmp);

// Puts the frame on the screen at the window's scale, with the pointer drawn
// into it (in picture coordinates) if asked; the frame is left without it.
void present_frame(BITMAP* frame, bool with_pointer = true);

// From now on the mouse reaches the screens through the frame loop's latch:
// every press and release once, in order, where it happened. Called once,
// after the mouse and the graphics mode are set up.
void latch_mouse_input();

// One screen as the frame loop runs it. `data` is handed to every callback.
struct FrameScreen {
    void* data;
    // The pass over this pass's input: FrameStep.
    int32_t (*pass)(void* data, const FrameInput& in);
    // The key of everything the picture is drawn from but the pointer
    // (picture_key). Null: drawn every pass.
    uint64_t (*picture)(const void* data);
    // Draws the picture and answers the frame to present; `with_pointer`
    // is 1 unless the pointer is to stay off it.
    BITMAP* (*draw)(void* data, int32_t& with_pointer);
    // After the frame is on the screen (a screen opened on top of it). May
    // be null.
    void (*after)(void* data);
};

// Each pass: poll the keyboard, take the mouse from the latch, the screen's pass, the frame
// (drawn and presented only when its picture or the pointer moved, or when
// another screen was on the screen meanwhile), the music's upkeep, `after`,
// and a sleep until the next pass is due. Ends on FRAME_LEAVE or when the
// window is closed.
void run_frames(const FrameScreen& s);

// Runs a sub-screen over `backdrop` (the frame the main menu last showed)
// until its `done` is set or the window is closed. The panel stays drawn on
// the backdrop afterwards.
void run_screen(Screen& s, BITMAP* backdrop);

// Labels made with label_new at each place; delete_labels frees them.
void delete_labels(Label** labels, int32_t count);
