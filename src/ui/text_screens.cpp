// PLACEHOLDER until the help and credits screens land: open nothing.
#include "ui/text_screens.h"

void help_screen(BITMAP*) {}
void credits_screen(BITMAP*) {}
