// Menus and screens: the slots screen's rules.
#include "ui/slots_logic.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

// Every slot's box has the width of this text, whatever number it shows.
const char* const SLOT_CREATION_TEXT = "<> Pozice 5";

void act(Screen& s, int32_t line) {
    SlotsScreen& d = *static_cast<SlotsScreen*>(s.data);
    if (d.loading && line < SAVE_SLOT_COUNT && !slot_is_saved(d.games.slots[line])) return;
    d.chosen = line;
    s.done = 1;
}

const char* text(const Screen& s, int32_t line) {
    const SlotsScreen& d = *static_cast<const SlotsScreen*>(s.data);
    return line < SAVE_SLOT_COUNT ? d.lines[line] : s.texts[line];
}

}  // namespace

int32_t slots_read(SlotsScreen& d, const char* path) {
    d.read_ok = read_saved_games(path, d.games) ? 1 : 0;
    return d.read_ok;
}

void slots_screen_setup(Screen& s, SlotsScreen& d, int32_t loading) {
    d.loading = loading;
    d.chosen = -1;
    d.save_failed = 0;
    s = Screen{};
    s.left = 400;
    s.right = 700;
    s.top = 50;
    s.bottom = 225;
    s.count = SAVE_SLOT_COUNT + 1;
    for (int32_t i = 0; i < SAVE_SLOT_COUNT; i++) {
        s.texts[i] = SLOT_CREATION_TEXT;
        std::snprintf(d.lines[i], sizeof d.lines[i], "<> %d pozice", i + 1);
    }
    s.texts[SLOTS_LEAVE] = "<> Opustit";
    s.data = &d;
    s.act = act;
    s.text = text;
}

const char* slot_value_text(const SlotsScreen& d, int32_t line) {
    if (line >= SAVE_SLOT_COUNT) return "";
    return slot_is_saved(d.games.slots[line]) ? "uložená hra" : "volné místo";
}

int32_t slots_any_saved(const SavedGames& g) {
    for (const SaveSlot& slot : g.slots)
        if (slot_is_saved(slot)) return 1;
    return 0;
}

int32_t slots_save_chosen(SlotsScreen& d, const char* path) {
    if (d.chosen < 0 || d.chosen >= SAVE_SLOT_COUNT) return 0;
    d.save_failed = 1;
    struct stat st;
    if (!d.read_ok && ::stat(path, &st) == 0) return 0;
    slot_from_game(d.games.slots[d.chosen]);
    if (!write_saved_games(path, d.games)) return 0;
    d.save_failed = 0;
    game.saved_games_exist = 1;
    return 1;
}

int32_t slots_load_chosen(const SlotsScreen& d) {
    if (d.chosen < 0 || d.chosen >= SAVE_SLOT_COUNT || !slot_is_saved(d.games.slots[d.chosen])) return 0;
    game_from_slot(d.games.slots[d.chosen]);
    return 1;
}
