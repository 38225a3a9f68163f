// End-to-end harness: a private Xvfb server, the real game binary started in
// a working directory of its own, xdotool for the mouse and the keyboard, and
// ImageMagick `import` screenshots decoded into pixels (or, where speed
// counts, the window read straight from the X server).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Pixel {
    int r, g, b;
};

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // width*height*3
    Pixel at(int x, int y) const;
};

// Colours pass through 16-bit colour on the way: compare with a tolerance.
bool near(Pixel p, int r, int g, int b, int tolerance = 12);

// Where ALSA's default device sends the game's sound.
enum SoundSink {
    SOUND_NOWHERE,  // a null device: sound works and is thrown away
    SOUND_CAPTURE,  // a file, 44.1 kHz stereo signed 16-bit: see captured_sound
    SOUND_NO_CARD   // a card that is not there: the game's sound fails to start
};

struct Session {
    SoundSink sound = SOUND_NOWHERE;  // set before start_session
    std::string screen = "800x600x24";  // Xvfb's screen, set before start_session
    std::string display;  // ":N"
    pid_t xvfb = -1;
    std::string home;     // temporary HOME (holds the ALSA set-up), removed at stop
    std::string workdir;  // the game's working directory (holds Data/, Hudba/)
    pid_t game = -1;
    std::string window;   // X window id of the game, as xdotool prints it
    std::string shots;    // where screenshots are kept for people to look at
};

// Starts Xvfb on a free display and prepares a working directory that is a
// copy of the build's Data/ and Hudba/ folders. Returns false with a message.
bool start_session(Session& s, std::string& error);
void stop_session(Session& s);

// The sound captured so far (SOUND_CAPTURE), interleaved stereo frames from
// frame `from` on. ALSA's null device takes sound faster than it plays, so
// the capture runs ahead of the clock: mark positions with captured_frames.
std::vector<int16_t> captured_sound(const Session& s, size_t from = 0);
size_t captured_frames(const Session& s);

// Starts build/talvena in the session's working directory and waits for its
// window to be mapped.
bool start_game(Session& s, std::string& error, int timeout_ms = 15000);
// The same for another program that opens the game's window, with HOME set
// to `home` (and XDG_DATA_HOME unset): the installed launcher, which picks
// its own working directory.
bool start_program(Session& s, const std::string& program, const std::string& home, std::string& error,
                   int timeout_ms = 15000);
// Waits for the game to exit; false on timeout. status is the exit code, or
// 128 + signal when it was killed by one.
bool wait_game(Session& s, int timeout_ms, int& status);
void kill_game(Session& s);

// Runs a command with the session's DISPLAY; returns its exit status and
// fills out with its standard output.
int run(const Session& s, const std::string& command, std::string* out = nullptr);

// The input below waits for the game to show that it read each step (a
// frame that changed: the pointer drawn at its new place, the key's
// effect) rather than sleeping for a guess at a pass's length. Where the
// game draws no pointer (the computer's move, a notice) a step waits
// STEP_WAIT_MS, which also holds the button that long.
constexpr int STEP_WAIT_MS = 2000;

void move_mouse(const Session& s, int x, int y);
// Moves to (x, y) and clicks; answers once a pass has seen the release.
// The pointer is nudged a pixel between the steps and rests at (x + 1, y).
void click(const Session& s, int x, int y, int button = 1);
void click_square(const Session& s, int square);
// Holds the key until the game shows a change (at most STEP_WAIT_MS).
void press_key(const Session& s, const std::string& key);
void hold_key(const Session& s, const std::string& key, int ms);

// Grabs the window until it differs from `before` within `half` pixels of
// (x, y) or the time runs out; answers whether it changed.
bool wait_changed(const Session& s, const Image& before, int timeout_ms, int x, int y, int half);

// Window-relative screenshot of the game, saved as shots/<name>.png too.
Image screenshot(const Session& s, const std::string& name);

// The window's pixels read straight from the X server: a few milliseconds
// where `screenshot` takes two programs and a file, for tight polling
// loops; nothing is saved. An empty image when the window cannot be read.
Image grab(const Session& s);

// Polls grabs until pred holds or the time runs out (the last image in out);
// on a time-out the window is saved as shots/<name>.png for people to see.
bool wait_for_grab_impl(const Session& s, const std::string& name, int timeout_ms,
                        bool (*pred)(const Image&, void*), void* ctx, Image& out);
// The two waits below take any callable through this one trampoline.
template <class Pred>
bool call_pred(const Image& i, void* pred) {
    return (*static_cast<Pred*>(pred))(i);
}
template <class Pred>
bool wait_for_grab(const Session& s, const std::string& name, int timeout_ms, Pred pred, Image& out) {
    return wait_for_grab_impl(s, name, timeout_ms, &call_pred<Pred>, &pred, out);
}

// Polls screenshots until pred holds or the time runs out; the last image is
// left in out.
bool wait_for_screen_impl(const Session& s, const std::string& name, int timeout_ms,
                          bool (*pred)(const Image&, void*), void* ctx, Image& out);
template <class Pred>
bool wait_for_screen(const Session& s, const std::string& name, int timeout_ms, Pred pred, Image& out) {
    return wait_for_screen_impl(s, name, timeout_ms, &call_pred<Pred>, &pred, out);
}

// Sends WM_DELETE_WINDOW to a window, as a window manager's close button does.
bool send_close_request(const Session& s, const std::string& window);

// Window id of the first window whose name matches (xdotool search), or "".
std::string find_window(const Session& s, const std::string& args);

long now_ms();  // a steady clock

// Centre of board square `square` (0..63, row by row from the top left).
int square_x(int square);
int square_y(int square);

// The saved-games file's layout, independent of the game's code: five
// 284-byte slots of little-endian 32-bit integers: opponent, level, the
// computer's side, side to move, minutes, seconds, 64 pieces, used.
constexpr size_t SLOT_BYTES = 284;
struct SlotFields {
    int32_t head[6];
    int32_t pieces[64];
    int32_t used;
    int32_t clock() const { return head[4] * 60 + head[5]; }
};
SlotFields read_slot(const std::vector<unsigned char>& file, int slot);
void write_slot(std::vector<unsigned char>& file, int slot, const SlotFields& f);

// Sum of the channel differences.
int distance(Pixel a, Pixel b);

// Average colour of the box of half-width `half` around a board square's centre.
Pixel square_colour(const Image& img, int square, int half);

// Green pixels of the legal-destination marker on a board square.
int marker_pixels(const Image& img, int square);

// Counts pixels in a rectangle within the tolerance of a colour.
int count_near(const Image& img, int x1, int y1, int x2, int y2, int r, int g, int b, int tolerance = 12);

// A piece on a board square: it covers most of its square, and a king's
// crown and the disc's rim are too small to hide it. The counts run over
// the dark squares, where pieces stand.
bool blue_piece_on(const Image& img, int square);
bool red_piece_on(const Image& img, int square);
int blue_pieces(const Image& img);
int red_pieces(const Image& img);

void sleep_ms(int ms);

// The game's peak resident memory so far (VmHWM), in kB; -1 when unknown.
long peak_memory_kb(const Session& s);

// --- the menus ---------------------------------------------------------------

// The menu font's text_height: the line pitch of the sub-screens.
constexpr int MENU_FONT_HEIGHT = 19;

// A panel's light one-pixel frame, edges included (menus and notices).
bool frame_drawn(const Image& img, int left, int right, int top, int bottom);
bool main_menu_shown(const Image& img);

// Clicks the main menu's item (0 "Nová hra" ... 10 "Konec"), or line `line`
// of a sub-screen whose panel starts at `top` (the last line given as
// `leave_line` sits 20 px lower).
void click_menu_item(const Session& s, int item);
void click_screen_line(const Session& s, int top, int line, int leave_line);

// Waits for the main menu to be on screen.
bool wait_for_menu(const Session& s, const std::string& name, int timeout_ms = 15000);

// From the main menu: with `two_players` the opponent becomes "hráč" in the
// settings screen first; then "Nová hra", waiting for the board.
bool start_new_game(const Session& s, bool two_players, std::string& error);

// Esc on the board, then "Konec": the game must end with status 0.
bool quit_through_menu(Session& s, std::string& error);

}  // namespace e2e
