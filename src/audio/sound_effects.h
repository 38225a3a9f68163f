// Audio: the two sound effects of play, at the effects volume.
#pragma once

#include <cstdint>

// Datafile sample `index` (RES_SND_PICK when a piece is picked up).
void play_pick_sound(int32_t index);

// One of the three move samples at random, for every move and every jump.
void play_move_sound();
