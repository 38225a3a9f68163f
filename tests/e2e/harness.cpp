// End-to-end harness: see harness.h.
#include "e2e/harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <thread>

namespace e2e {

namespace {

std::string shell_quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

bool parse_ppm(const std::string& data, Image& img) {
    // P6 <w> <h> <max>\n<bytes>; no comments from ImageMagick.
    int w = 0, h = 0, max = 0, header = 0;
    if (std::sscanf(data.c_str(), "P6 %d %d %d%n", &w, &h, &max, &header) != 3 || max != 255) return false;
    header += 1;  // the single whitespace after max
    if (data.size() < static_cast<size_t>(header) + static_cast<size_t>(w) * h * 3) return false;
    img.width = w;
    img.height = h;
    img.rgb.assign(data.begin() + header, data.begin() + header + static_cast<long>(w) * h * 3);
    return true;
}

}  // namespace

long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int square_x(int square) { return 275 + (square % 8) * 58 + 29; }
int square_y(int square) { return 56 + (square / 8) * 58 + 29; }

namespace {

int32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<int32_t>(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                uint32_t(b[at + 3]) << 24);
}

void put_le32(std::vector<unsigned char>& b, size_t at, int32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = static_cast<unsigned char>(uint32_t(v) >> (8 * i));
}

}  // namespace

SlotFields read_slot(const std::vector<unsigned char>& file, int slot) {
    SlotFields f;
    const size_t at = SLOT_BYTES * static_cast<size_t>(slot);
    for (int i = 0; i < 6; i++) f.head[i] = le32(file, at + 4 * i);
    for (int i = 0; i < 64; i++) f.pieces[i] = le32(file, at + 24 + 4 * i);
    f.used = le32(file, at + 280);
    return f;
}

void write_slot(std::vector<unsigned char>& file, int slot, const SlotFields& f) {
    const size_t at = SLOT_BYTES * static_cast<size_t>(slot);
    for (int i = 0; i < 6; i++) put_le32(file, at + 4 * i, f.head[i]);
    for (int i = 0; i < 64; i++) put_le32(file, at + 24 + 4 * i, f.pieces[i]);
    put_le32(file, at + 280, f.used);
}

Pixel Image::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

bool near(Pixel p, int r, int g, int b, int tolerance) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

int distance(Pixel a, Pixel b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

Pixel square_colour(const Image& img, int square, int half) {
    const int cx = square_x(square), cy = square_y(square);
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = cy - half; y <= cy + half; y++)
        for (int x = cx - half; x <= cx + half; x++) {
            Pixel p = img.at(x, y);
            r += p.r, g += p.g, b += p.b, n++;
        }
    return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)};
}

int marker_pixels(const Image& img, int square) {
    const int x0 = 275 + (square % 8) * 58, y0 = 56 + (square / 8) * 58;
    int n = 0;
    for (int y = y0; y < y0 + 58; y++)
        for (int x = x0; x < x0 + 58; x++) {
            const Pixel p = img.at(x, y);
            n += p.g > p.r + 50 && p.g > p.b + 30;
        }
    return n;
}

namespace {

int pixels_on(const Image& img, int square, bool blue) {
    const int cx = 275 + (square % 8) * 58 + 29, cy = 56 + (square / 8) * 58 + 29;
    int n = 0;
    for (int y = cy - 20; y <= cy + 20; y++)
        for (int x = cx - 20; x <= cx + 20; x++) {
            const Pixel p = img.at(x, y);
            n += blue ? p.b > p.r + 60 : p.r > p.b + 60 && p.r > p.g + 60;
        }
    return n;
}

int count_of(const Image& img, bool (*on)(const Image&, int)) {
    int n = 0;
    for (int sq = 0; sq < 64; sq++) n += (sq / 8 + sq % 8) % 2 == 1 && on(img, sq);
    return n;
}

}  // namespace

bool blue_piece_on(const Image& img, int square) { return pixels_on(img, square, true) > 600; }
bool red_piece_on(const Image& img, int square) { return pixels_on(img, square, false) > 600; }
int blue_pieces(const Image& img) { return count_of(img, blue_piece_on); }
int red_pieces(const Image& img) { return count_of(img, red_piece_on); }

int count_near(const Image& img, int x1, int y1, int x2, int y2, int r, int g, int b, int tolerance) {
    int n = 0;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) n += near(img.at(x, y), r, g, b, tolerance);
    return n;
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int run(const Session& s, const std::string& command, std::string* out) {
    // xdotool types UTF-8 text only in a UTF-8 locale, whatever the caller's.
    std::string full = "DISPLAY=" + s.display + " LC_ALL=C.UTF-8 " + command;
    FILE* p = popen(full.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    int status = pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool start_session(Session& s, std::string& error) {
    char tmpl[] = "/tmp/talvena-e2e-XXXXXX";
    if (!mkdtemp(tmpl)) {
        error = "mkdtemp failed";
        return false;
    }
    s.home = tmpl;
    s.workdir = s.home + "/run";
    s.shots = std::string(TALVENA_BUILD_DIR) + "/e2e-shots";
    mkdir(s.shots.c_str(), 0755);
    const std::string build = TALVENA_BUILD_DIR;
    std::string copy = "mkdir -p " + shell_quote(s.workdir) + " && cp -r " + shell_quote(build + "/Data") + " " +
                       shell_quote(build + "/Hudba") + " " + shell_quote(s.workdir) + "/";
    if (std::system(copy.c_str()) != 0) {
        error = "cannot copy Data/ and Hudba/ from " + build;
        return false;
    }
    // No sound card under test: ALSA's default device goes nowhere, into a
    // file (converted to one known format on the way), or to a card that
    // is not there.
    FILE* rc = std::fopen((s.home + "/.asoundrc").c_str(), "w");
    if (rc) {
        if (s.sound == SOUND_CAPTURE) {
            std::fprintf(rc,
                         "pcm.!default { type plug slave { pcm \"capture\" format S16_LE rate 44100 channels 2 } }\n"
                         "pcm.capture { type file slave.pcm \"null\" file \"%s/sound.raw\" format \"raw\" }\n",
                         s.home.c_str());
        } else if (s.sound == SOUND_NO_CARD) {
            std::fputs("pcm.!default { type hw card 9 }\n", rc);
        } else {
            std::fputs("pcm.!default { type null }\n", rc);
        }
        std::fputs("ctl.!default { type hw card 0 }\n", rc);
        std::fclose(rc);
    }

    int fds[2];
    if (pipe(fds) != 0) {
        error = "pipe failed";
        return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", s.screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    s.xvfb = pid;
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        error = "Xvfb did not start";
        stop_session(s);
        return false;
    }
    s.display = ":" + number;
    return true;
}

void stop_session(Session& s) {
    kill_game(s);
    if (s.xvfb > 0) {
        kill(s.xvfb, SIGTERM);
        waitpid(s.xvfb, nullptr, 0);
        s.xvfb = -1;
    }
    if (!s.home.empty() && s.home.rfind("/tmp/talvena-e2e-", 0) == 0)
        std::system(("rm -rf " + shell_quote(s.home)).c_str());
    s.home.clear();
}

std::string find_window(const Session& s, const std::string& args) {
    std::string out;
    if (run(s, "xdotool search " + args + " 2>/dev/null", &out) != 0) return "";
    size_t end = out.find('\n');
    return out.substr(0, end);
}

bool start_game(Session& s, std::string& error, int timeout_ms) {
    return start_program(s, std::string(TALVENA_BUILD_DIR) + "/talvena", s.home, error, timeout_ms);
}

bool start_program(Session& s, const std::string& program, const std::string& home, std::string& error,
                   int timeout_ms) {
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(s.workdir.c_str()) != 0) _exit(126);
        setenv("DISPLAY", s.display.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_DATA_HOME");  // never the tester's own folders
        std::string log = s.home + "/game.log";
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        execl(program.c_str(), "talvena", static_cast<char*>(nullptr));
        _exit(127);
    }
    s.game = pid;
    long deadline = now_ms() + timeout_ms;
    while (now_ms() < deadline) {
        s.window = find_window(s, "--onlyvisible --name '^Talvena$'");
        if (!s.window.empty()) {
            sleep_ms(300);  // let the first frames reach the window
            return true;
        }
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            s.game = -1;
            error = "the game exited before its window appeared";
            return false;
        }
        sleep_ms(100);
    }
    error = "no game window within the time limit";
    return false;
}

bool wait_game(Session& s, int timeout_ms, int& status) {
    long deadline = now_ms() + timeout_ms;
    while (s.game > 0) {
        int st;
        if (waitpid(s.game, &st, WNOHANG) == s.game) {
            s.game = -1;
            status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            return true;
        }
        if (now_ms() > deadline) return false;
        sleep_ms(50);
    }
    return false;
}

void kill_game(Session& s) {
    if (s.game > 0) {
        kill(s.game, SIGKILL);
        waitpid(s.game, nullptr, 0);
        s.game = -1;
    }
}

size_t captured_frames(const Session& s) {
    struct stat st;
    return stat((s.home + "/sound.raw").c_str(), &st) == 0 ? static_cast<size_t>(st.st_size) / 4 : 0;
}

std::vector<int16_t> captured_sound(const Session& s, size_t from) {
    std::vector<int16_t> pcm;
    FILE* f = std::fopen((s.home + "/sound.raw").c_str(), "rb");
    if (!f) return pcm;
    if (std::fseek(f, static_cast<long>(from * 4), SEEK_SET) == 0) {
        int16_t buf[8192];
        size_t n;
        while ((n = std::fread(buf, sizeof buf[0], 8192, f)) > 0) pcm.insert(pcm.end(), buf, buf + n);
    }
    std::fclose(f);
    pcm.resize(pcm.size() / 2 * 2);
    return pcm;
}

void move_mouse(const Session& s, int x, int y) {
    run(s, "xdotool mousemove --window " + s.window + " " + std::to_string(x) + " " + std::to_string(y));
}

bool wait_changed(const Session& s, const Image& before, int timeout_ms, int x, int y, int half) {
    const long deadline = now_ms() + timeout_ms;
    for (;;) {
        const Image now = grab(s);
        if (now.width == before.width && now.height == before.height && now.width > 0) {
            for (int yy = std::max(0, y - half); yy <= std::min(now.height - 1, y + half); yy++)
                for (int xx = std::max(0, x - half); xx <= std::min(now.width - 1, x + half); xx++)
                    if (distance(now.at(xx, yy), before.at(xx, yy)) != 0) return true;
        }
        if (now_ms() >= deadline) return false;
        sleep_ms(2);
    }
}

namespace {

// Does one input step and waits until a frame shows that a pass read it.
// The game draws a frame only when its picture changed, so the pointer
// drawn at the nudged place shows a pass that polled after the step, which
// X delivered first. Only the pointer's surroundings count: the clocks
// change on their own.
constexpr int POINTER_BOX = 24;  // half the side of the box watched around the pointer

void step_seen(const Session& s, const std::string& step, int nudge_x, int nudge_y) {
    const Image before = grab(s);
    if (!step.empty()) run(s, step);
    move_mouse(s, nudge_x, nudge_y);
    wait_changed(s, before, STEP_WAIT_MS, nudge_x, nudge_y, POINTER_BOX);
}

}  // namespace

void click(const Session& s, int x, int y, int button) {
    const std::string b = std::to_string(button);
    step_seen(s, "", x, y + 1);
    step_seen(s, "xdotool mousedown " + b, x, y);
    step_seen(s, "xdotool mouseup " + b, x + 1, y);
}

void click_square(const Session& s, int square) { click(s, square_x(square), square_y(square)); }

void press_key(const Session& s, const std::string& key) {
    const Image before = grab(s);
    run(s, "xdotool keydown " + key);
    // Right of the side panel, whose clocks change on their own.
    wait_changed(s, before, STEP_WAIT_MS, 485, 300, 300);
    run(s, "xdotool keyup " + key);
}

void hold_key(const Session& s, const std::string& key, int ms) {
    run(s, "xdotool keydown " + key);
    sleep_ms(ms);
    run(s, "xdotool keyup " + key);
}

Image screenshot(const Session& s, const std::string& name) {
    Image img;
    std::string png = s.shots + "/" + name + ".png";
    if (run(s, "import -window " + s.window + " " + shell_quote(png) + " 2>/dev/null") != 0) return img;
    std::string data;
    run(s, "convert " + shell_quote(png) + " -depth 8 ppm:-", &data);
    parse_ppm(data, img);
    return img;
}

bool wait_for_screen_impl(const Session& s, const std::string& name, int timeout_ms,
                          bool (*pred)(const Image&, void*), void* ctx, Image& out) {
    long deadline = now_ms() + timeout_ms;
    do {
        out = screenshot(s, name);
        if (out.width > 0 && pred(out, ctx)) return true;
        sleep_ms(100);
    } while (now_ms() < deadline);
    return false;
}

namespace {

int ignore_x_error(Display*, XErrorEvent*) { return 0; }

}  // namespace

Image grab(const Session& s) {
    Image img;
    Display* d = XOpenDisplay(s.display.c_str());
    if (!d) return img;
    XErrorHandler previous = XSetErrorHandler(ignore_x_error);
    const Window w = static_cast<Window>(std::strtoul(s.window.c_str(), nullptr, 10));
    XWindowAttributes a;
    XImage* x = XGetWindowAttributes(d, w, &a) ? XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap)
                                               : nullptr;
    XSync(d, False);
    XSetErrorHandler(previous);
    if (x) {
        img.width = x->width;
        img.height = x->height;
        img.rgb.resize(static_cast<size_t>(img.width) * img.height * 3);
        // Any visual: each channel found by its mask.
        auto channel = [](unsigned long pixel, unsigned long mask) {
            if (mask == 0) return 0;
            int shift = 0;
            while (!(mask & 1)) mask >>= 1, shift++;
            return static_cast<int>(((pixel >> shift) & mask) * 255 / mask);
        };
        unsigned char* p = img.rgb.data();
        for (int y = 0; y < img.height; y++)
            for (int xx = 0; xx < img.width; xx++) {
                const unsigned long pixel = XGetPixel(x, xx, y);
                *p++ = static_cast<unsigned char>(channel(pixel, x->red_mask));
                *p++ = static_cast<unsigned char>(channel(pixel, x->green_mask));
                *p++ = static_cast<unsigned char>(channel(pixel, x->blue_mask));
            }
        XDestroyImage(x);
    }
    XCloseDisplay(d);
    return img;
}

bool wait_for_grab_impl(const Session& s, const std::string& name, int timeout_ms,
                        bool (*pred)(const Image&, void*), void* ctx, Image& out) {
    long deadline = now_ms() + timeout_ms;
    bool held;
    do {
        out = grab(s);
        held = out.width > 0 && pred(out, ctx);
        if (!held) sleep_ms(30);
    } while (!held && now_ms() < deadline);
    if (!held) screenshot(s, name);
    return held;
}

bool send_close_request(const Session& s, const std::string& window) {
    Display* d = XOpenDisplay(s.display.c_str());
    if (!d) return false;
    Window w = static_cast<Window>(std::strtoul(window.c_str(), nullptr, 10));
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    Status ok = XSendEvent(d, w, False, NoEventMask, &ev);
    XSync(d, False);
    XCloseDisplay(d);
    return ok != 0;
}

long peak_memory_kb(const Session& s) {
    if (s.game <= 0) return -1;
    FILE* f = std::fopen(("/proc/" + std::to_string(s.game) + "/status").c_str(), "r");
    if (!f) return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(f);
    return kb;
}

bool frame_drawn(const Image& img, int left, int right, int top, int bottom) {
    const int w = right - left, h = bottom - top;
    const int top_edge = count_near(img, left, top, right, top, 250, 250, 250, 10);
    const int bottom_edge = count_near(img, left, bottom, right, bottom, 250, 250, 250, 10);
    const int left_edge = count_near(img, left, top, left, bottom, 250, 250, 250, 10);
    const int right_edge = count_near(img, right, top, right, bottom, 250, 250, 250, 10);
    return top_edge > w * 9 / 10 && bottom_edge > w * 9 / 10 && left_edge > h * 9 / 10 && right_edge > h * 9 / 10;
}

bool main_menu_shown(const Image& img) { return frame_drawn(img, 50, 310, 50, 410); }

void click_menu_item(const Session& s, int item) { click(s, 100, 70 + 30 * item + 10); }

void click_screen_line(const Session& s, int top, int line, int leave_line) {
    click(s, 450, top + 20 + MENU_FONT_HEIGHT * line + (line == leave_line ? 20 : 0) + 10);
}

bool wait_for_menu(const Session& s, const std::string& name, int timeout_ms) {
    Image img;
    return wait_for_screen(s, name, timeout_ms, [](const Image& i) { return main_menu_shown(i); }, img);
}

bool start_new_game(const Session& s, bool two_players, std::string& error) {
    if (!wait_for_menu(s, "menu_before_new_game")) {
        error = "no main menu";
        return false;
    }
    Image img;
    if (two_players) {
        click_menu_item(s, 3);
        if (!wait_for_screen(s, "settings_for_two", 10000,
                             [](const Image& i) { return frame_drawn(i, 400, 700, 50, 210); }, img)) {
            error = "no settings screen";
            return false;
        }
        click_screen_line(s, 50, 0, 4);  // "Soupeř": počítač -> hráč
        click_screen_line(s, 50, 4, 4);  // "Opustit"
        if (!wait_for_screen(s, "settings_left", 10000,
                             [](const Image& i) { return !frame_drawn(i, 400, 700, 50, 210); }, img)) {
            error = "the settings screen did not close";
            return false;
        }
    }
    click_menu_item(s, 0);
    move_mouse(s, 780, 590);
    if (!wait_for_screen(s, "new_game_board", 10000, [](const Image& i) { return !main_menu_shown(i); }, img)) {
        error = "\"Nová hra\" did not leave the menu";
        return false;
    }
    return true;
}

bool quit_through_menu(Session& s, std::string& error) {
    press_key(s, "Escape");
    if (!wait_for_menu(s, "menu_to_quit")) {
        error = "Esc did not open the menu";
        return false;
    }
    click_menu_item(s, 10);
    int status = -1;
    if (!wait_game(s, 10000, status)) {
        error = "the program did not end on \"Konec\"";
        return false;
    }
    if (status != 0) {
        error = "exit status " + std::to_string(status);
        return false;
    }
    return true;
}

}  // namespace e2e
