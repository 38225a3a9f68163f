// Composes and renders one of the game's two music tracks as a 16-bit
// stereo WAV at 44.1 kHz, ready for the MP3 encoder.
//
// Usage: talvena_music dream|spring OUT.wav
//   prints the track's length, peak and RMS level
#include <cstdio>
#include <cstring>

#include "score.h"

int main(int argc, char **argv) {
    if (argc != 3 || (std::strcmp(argv[1], "dream") != 0 && std::strcmp(argv[1], "spring") != 0)) {
        std::fprintf(stderr, "usage: talvena_music dream|spring OUT.wav\n");
        return 2;
    }
    const bool dream = std::strcmp(argv[1], "dream") == 0;
    Track track = dream ? compose_dream() : compose_spring();
    Stereo mix = render(track.notes, track.seconds, track.room, dream ? 0x0d4ea3 : 0x5b2003);
    // The tails of the last bar are already quiet; the fades only make sure
    // both ends of the loop meet at zero.
    master(mix, track.rms_db, -1.5f, 0.01, dream ? 3.0 : 2.0);
    if (!write_wav(argv[2], to_pcm16(mix))) {
        std::fprintf(stderr, "talvena_music: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s: %.1f s, %zu notes, peak %.1f dBFS, RMS %.1f dBFS\n", argv[2], track.seconds, track.notes.size(),
                peak_db(mix), rms_db(mix));
    return 0;
}
