// Asset generator: the sound effects, synthesised.
#pragma once

#include <cstdint>
#include <vector>

const int SAMPLE_RATE = 44100;

// A piece lifted off the board: a light, short tick.
std::vector<int16_t> make_pick_sound();
// A piece set down: a wooden clack; variant 0..2 shifts the pitch and the
// body a little so repeated moves do not sound mechanical.
std::vector<int16_t> make_move_sound(int variant);
