// Menus and screens: the game's window.
#include "ui/window.h"

#include <allegro.h>

#include <atomic>
#include <initializer_list>

#include "ui/frame_logic.h"

#ifdef ALLEGRO_WITH_XWINDOWS
#include <xalleg.h>
#endif

namespace {

// Read on Allegro's input thread to map the mouse back to the picture.
std::atomic<int32_t> scale_now{1};

// WM_CLASS, which a taskbar matches with the launcher's StartupWMClass:
// set on the window the graphics mode made, and kept for any made later.
void name_window_class() {
#ifdef ALLEGRO_WITH_XWINDOWS
    static char name[] = "talvena";
    static char res_class[] = "Talvena";
    xwin_set_window_name(name, res_class);
    XLOCK();
    if (_xwin.display != nullptr) {
        XClassHint hint;
        hint.res_name = name;
        hint.res_class = res_class;
        // The managed top-level window; a full-screen mode has its own.
        for (const Window w : {_xwin.wm_window, _xwin.fs_window, _xwin.window})
            if (w != None) XSetClassHint(_xwin.display, w, &hint);
        XFlush(_xwin.display);
    }
    XUNLOCK();
#endif
}

// Linux's autodetection opens a window; Windows' takes the whole screen.
#ifdef ALLEGRO_WINDOWS
constexpr int GFX_WINDOW = GFX_AUTODETECT_WINDOWED;
#else
constexpr int GFX_WINDOW = GFX_AUTODETECT;
#endif

}  // namespace

int32_t window_scale_now() { return scale_now.load(std::memory_order_relaxed); }

int open_game_window() {
    int desktop_w = 0, desktop_h = 0;
    if (get_desktop_resolution(&desktop_w, &desktop_h) != 0) desktop_w = desktop_h = 0;
    const int32_t scale = window_scale(get_config_int("talvena", "scale", 0), desktop_w, desktop_h);
    int failed = set_gfx_mode(GFX_WINDOW, PICTURE_W * scale, PICTURE_H * scale, 0, 0);
    if (failed != 0 && scale > 1) {
        failed = set_gfx_mode(GFX_WINDOW, PICTURE_W, PICTURE_H, 0, 0);
        if (failed == 0) scale_now = 1;
    } else if (failed == 0) {
        scale_now = scale;
    }
    if (failed == 0) name_window_class();
    return failed;
}
