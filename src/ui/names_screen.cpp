// PLACEHOLDER until the names editor lands: opens nothing.
#include "ui/names_screen.h"

void names_screen(BITMAP*) {}

int32_t read_name_key() { return -1; }
