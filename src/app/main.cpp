// Application shell: start-up, the run and shutdown, in that order. The
// program reads no command line; it expects Data/ and Hudba/ in its working
// directory.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/atomic_file.h"
#include "app/game_folder.h"
#include "app/game_state.h"
#include "app/resources.h"
#include "app/settings_file.h"
#include "audio/music.h"
#include "engine/tablebase.h"
#include "play/game_loop.h"
#include "play/game_record.h"
#include "ui/main_menu.h"
#include "ui/saved_games.h"
#include "ui/toolkit.h"
#include "ui/window.h"

namespace {

// Start-up failures exit non-zero so whoever started the game can tell.
constexpr int EXIT_GRAPHICS_FAILED = 1;
constexpr int EXIT_DATAFILE_FAILED = 2;
constexpr int EXIT_NO_SYSTEM = 3;

void on_close_button() { quit_requested = 1; }

void test_for_saved_games() {
    FILE* f = std::fopen(SAVED_GAMES_PATH, "rb");
    game.saved_games_exist = f != nullptr ? 1 : 0;
    if (f) std::fclose(f);
}

}  // namespace

int main() {
    // Without a display and a console Allegro cannot start, and every later
    // call would crash; say so in plain ASCII and stop.
    if (allegro_init() != 0) {
        std::fprintf(stderr, "Talvena: cannot initialise Allegro (no display?): %s\n", allegro_error);
        return EXIT_NO_SYSTEM;
    }
#ifdef ALLEGRO_WINDOWS
    // No launcher there: the game finds its own folder (game_folder.h).
    std::string folder_error;
    if (!enter_game_folder(folder_error)) {
        allegro_message("Nelze pripravit slozku hry: %s", folder_error.c_str());
        return EXIT_DATAFILE_FAILED;
    }
#endif
    set_config_file("Data/allegro.cfg");
    // The engine's endgame tables: Data/tables, or the folder allegro.cfg
    // names under [talvena] as "tables = DIR". None found, the engine searches.
    tablebase_use(get_config_string("talvena", "tables", "Data/tables"));
    install_keyboard();
    install_timer();
    install_mouse();

    set_window_title("Talvena");
    set_color_depth(16);
    if (open_game_window() != 0) {
        allegro_exit();
        std::printf("Potize s nastavenim grafiky.");
        return EXIT_GRAPHICS_FAILED;
    }
    set_close_button_callback(on_close_button);
    latch_mouse_input();

    set_volume_per_voice(0);
    install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr);

    datafile = load_checked_datafile("Data/talvena.dat");
    if (datafile == nullptr) {
        allegro_message("Nelze nahrat soubor talvena.dat z adresare Data.");
        return EXIT_DATAFILE_FAILED;
    }

    install_int_ex(fast_tick, BPS_TO_TIMER(250));
    install_int_ex(clock_tick, SECS_TO_TIMER(1));

    frame_buffer = create_bitmap(800, 600);
    board_buffer = create_bitmap(800, 600);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    text_mode(-1);
#pragma GCC diagnostic pop
    set_mouse_sprite(res_bitmap(RES_POINTER));

    // Writes a crash cut short leave their temporary files behind.
    remove_stale_temporaries(SETTINGS_PATH);
    remove_stale_temporaries(SAVED_GAMES_PATH);
    remove_stale_temporaries(KEPT_GAMES_PATH);
    test_for_saved_games();
    load_settings();
    reset_board();
    start_music();

    // Returns on "Konec" or the window's close button; either way the
    // settings are written below.
    game_loop(main_menu());

    save_settings();
    music_close(music_stream);
    music_stream = nullptr;
    destroy_bitmap(frame_buffer);
    destroy_bitmap(board_buffer);
    allegro_exit();
    return 0;
}
END_OF_MAIN()
