// Audio: sound effects. Without a sound card play_sample does nothing.
#include "audio/sound_effects.h"

#include <cstdlib>

#include "app/game_state.h"
#include "app/resources.h"

namespace {

constexpr int EFFECT_PAN = 128;
constexpr int EFFECT_FREQUENCY = 1000;  // the sample's own

}  // namespace

void play_pick_sound(int32_t index) {
    play_sample(res_sample(index), settings.sound_volume, EFFECT_PAN, EFFECT_FREQUENCY, 0);
}

void play_move_sound() {
    const int i = std::rand() % 3;
    play_sample(res_sample(RES_SND_MOVE + i), settings.sound_volume, EFFECT_PAN, EFFECT_FREQUENCY, 0);
}
