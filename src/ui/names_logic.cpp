// Menus and screens: the names editor's rules.
#include "ui/names_logic.h"

#include <cstring>

#include "app/font_codes.h"

namespace {

const char* const NAMES_TEXTS[NAMES_LINE_COUNT] = {"<> První jméno", "<> Druhé jméno", "<> Opustit"};

NamesEditor& editor(const Screen& s) { return *static_cast<NamesEditor*>(s.data); }

}  // namespace

void names_begin(NamesEditor& e, const Settings& s) {
    std::memcpy(e.edit, s.player_name, sizeof e.edit);
    std::memcpy(e.backup, s.player_name, sizeof e.backup);
    e.editing = 0;
    e.length = 0;
}

void names_setup(Screen& s, NamesEditor& e) {
    s.left = 400;
    s.right = 700;
    s.top = 50;
    s.bottom = 170;
    s.count = NAMES_LINE_COUNT;
    for (int32_t i = 0; i < NAMES_LINE_COUNT; i++) s.texts[i] = NAMES_TEXTS[i];
    s.data = &e;
    s.data_bytes = sizeof e;  // the names as typed
    s.hit = nullptr;
    s.act = names_act;
    s.look = names_look;
    s.update = names_update;
}

void names_act(Screen& s, int32_t index) {
    NamesEditor& e = editor(s);
    if (e.editing != 0) return;  // "<> Opustit" included
    if (index == NAMES_LEAVE) {
        s.done = 1;
        return;
    }
    if (index != NAMES_FIRST && index != NAMES_SECOND) return;
    e.editing = index + 1;
    std::memset(e.edit[index], 0, sizeof e.edit[index]);
    e.length = 0;
    if (e.clear_keys != nullptr) e.clear_keys();
}

void names_key(NamesEditor& e, int32_t key) {
    if (e.editing == 0) return;
    int32_t* name = e.edit[e.editing - 1];
    int32_t* backup = e.backup[e.editing - 1];
    if (e.length < NAME_MAX_TYPED && name_code_printable(key) && font_has_code(key)) {
        name[e.length++] = key;
    } else if (key == KEY_CODE_ENTER && e.length > 0) {
        for (int32_t i = e.length; i < NAME_LEN; i++) name[i] = 0;
        std::memcpy(backup, name, sizeof(int32_t) * NAME_LEN);
        e.length = 0;
        e.editing = 0;
    } else if (key == KEY_CODE_BACKSPACE && e.length > 0) {
        name[--e.length] = 0;
    } else if (key == KEY_CODE_ESC) {
        std::memcpy(name, backup, sizeof(int32_t) * NAME_LEN);
        e.length = 0;
        e.editing = 0;
    }
}

void names_update(Screen& s) {
    NamesEditor& e = editor(s);
    if (e.editing == 0 || e.read_key == nullptr) return;
    names_key(e, e.read_key());
}

int32_t names_look(const Screen& s, int32_t index) {
    const NamesEditor& e = editor(s);
    if (e.editing == 0) return LOOK_NORMAL;
    return index == e.editing - 1 ? LOOK_HIGHLIGHT : LOOK_DISABLED;
}

void names_finish(NamesEditor& e, Settings& s) {
    names_key(e, KEY_CODE_ESC);
    std::memcpy(s.player_name, e.edit, sizeof s.player_name);
}
