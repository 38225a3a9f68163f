// PLACEHOLDER until the sound options screen lands: opens nothing.
#include "audio/sound_options_screen.h"

void sound_options_screen(BITMAP*) {}
