// Menus and screens: what every menu screen shares that needs no display:
// the clickable text line, its hit test, the left-button click tracker and
// the input half of a sub-screen's frame loop. The drawing half lives in
// ui/toolkit.h.
#pragma once

#include <cstddef>
#include <cstdint>

struct BITMAP;  // Allegro's; only the drawing callbacks of Screen see it

// One clickable line of a screen. `text` is not owned.
struct Label {
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
    const char* text;
};

// First index whose box holds the point, -1 for none. The box is half open:
// the left and top edges lie outside it, the right and bottom edges inside.
int32_t label_hit(int32_t mx, int32_t my, Label* const* labels, int32_t count);

// Left-button tracker, one per screen. Clicked lasts one pass on the menu
// screens; the game loop keeps it until a human's turn takes it.
enum ClickTracker : int32_t { CLICK_IDLE = 0, CLICK_PRESSED = 1, CLICK_CLICKED = 2 };

// The menu screens' order: Clicked is forgotten first, then the button is
// read, so a click is seen in the first pass after the release.
void track_click(ClickTracker& click, int32_t mouse_b);

// How a line is drawn.
enum LineLook : int32_t { LOOK_NORMAL = 0, LOOK_HIGHLIGHT = 1, LOOK_DISABLED = 2 };

constexpr int32_t SCREEN_MAX_LINES = 16;

// One menu sub-screen (settings, saved games, names, sound options). A
// screen fills this record with its panel, its lines and a few callbacks;
// run_screen (ui/toolkit.h) does the rest. Callbacks left null take the
// default named beside them.
struct Screen {
    int32_t left, right, top, bottom;  // the panel's edges
    const char* texts[SCREEN_MAX_LINES];
    int32_t count;  // the last line is the one that leaves ("<> Opustit")
    void* data;     // the screen's own state
    size_t data_bytes;  // how much of it the values drawn depend on (a plain record), 0 for none

    // Line under the point, -1 for none. Default: label_hit over all lines.
    int32_t (*hit)(const Screen& s, int32_t mx, int32_t my);
    // A click on line `index` (never -1). Sets `done` to leave.
    void (*act)(Screen& s, int32_t index);
    // Default: every line LOOK_NORMAL. LOOK_HIGHLIGHT marks a line that is
    // being edited; a hovered normal line is highlighted by the loop.
    int32_t (*look)(const Screen& s, int32_t index);
    // Called once a pass after the click was acted on (e.g. typed keys).
    void (*update)(Screen& s);
    // The text drawn in line `index`'s place; the line's box keeps the size
    // of its creation text. Default: the creation text.
    const char* (*text)(const Screen& s, int32_t index);
    // Draws the value beside line `index`, right-aligned to x (may be null).
    void (*draw_value)(const Screen& s, int32_t index, BITMAP* frame, int32_t x, int32_t y, int32_t colour);

    // Filled and kept by the frame loop.
    Label* labels[SCREEN_MAX_LINES];
    int32_t hover;
    ClickTracker click;
    int32_t done;
};

// The input half of one pass: tracker, hover line, and the click's action,
// all before the frame is drawn so the pass that sees a click shows its
// effect.
void screen_pass(Screen& s, int32_t mx, int32_t my, int32_t mouse_b);

// The look of line `index` in this pass.
int32_t screen_line_look(const Screen& s, int32_t index);

// The key of the screen's picture: its lines' looks and texts, the bytes of
// its data and the settings its values show.
uint64_t screen_picture_key(const Screen& s);

// y of line `index`: panel top + 20 + index * pitch, the last line 20 px lower.
int32_t screen_line_y(const Screen& s, int32_t index, int32_t pitch);
