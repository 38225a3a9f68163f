// Audio: the music player and the choice of the next track.
#include "audio/music.h"

#include <new>
#include <vector>

#include "app/game_state.h"

MusicPlayer* music_stream = nullptr;
MusicBackend music_backend = {nullptr, nullptr, nullptr, nullptr};

MusicPlayer* music_open(const char* path) {
    const MusicBackend& b = music_backend;
    if (path == nullptr || b.open == nullptr || b.read == nullptr || b.close == nullptr || b.create == nullptr)
        return nullptr;
    MusicPlayer* player = new (std::nothrow) MusicPlayer{b.open(path), nullptr};
    if (player == nullptr) return nullptr;
    if (player->file != nullptr) {
        std::vector<uint8_t> block(MP3_BLOCK_SIZE);
        const int32_t n = b.read(player->file, block.data(), MP3_BLOCK_SIZE);
        // A block shorter than a full one holds the whole file.
        if (n >= 1) player->decoder = b.create(block.data(), n, n < MP3_BLOCK_SIZE ? -1 : 0);
        if (player->decoder != nullptr) return player;
        b.close(player->file);
    }
    delete player;
    return nullptr;
}

int32_t music_play(MusicPlayer* player, int32_t buffer_length, int32_t volume, int32_t pan) {
    if (player == nullptr) return -1;
    return mp3_stream_play(player->decoder, buffer_length, volume, pan);
}

void music_adjust(MusicPlayer* player, int32_t volume, int32_t pan, int32_t speed) {
    if (player != nullptr) mp3_stream_adjust(player->decoder, volume, pan, speed);
}

int32_t music_poll(MusicPlayer* player) {
    if (player == nullptr) return MP3_NOT_PLAYING;
    if (uint8_t* buffer = mp3_stream_get_buffer(player->decoder)) {
        const int32_t n = music_backend.read(player->file, buffer, MP3_BLOCK_SIZE);
        mp3_stream_free_buffer(player->decoder, n == MP3_BLOCK_SIZE ? -1 : (n > 0 ? n : 0));
    }
    return mp3_stream_poll(player->decoder);
}

void music_close(MusicPlayer* player) {
    if (player == nullptr) return;
    music_backend.close(player->file);
    mp3_stream_destroy(player->decoder);
    delete player;
}

const char* track_path(int32_t track) {
    if (track == TRACK_DREAM) return "Hudba/DreamOfYou.mp3";
    if (track == TRACK_SPRING) return "Hudba/Spring2003.mp3";
    return nullptr;
}

MusicPlayer* open_selected_track() {
    const int32_t track = settings.music_track == TRACK_ALTERNATE ? game.current_track : settings.music_track;
    const char* path = track_path(track);
    if (path == nullptr) return nullptr;
    // A track that is missing or cannot be decoded gives way to the other.
    MusicPlayer* player = music_open(path);
    return player != nullptr ? player : music_open(track_path(track == TRACK_DREAM ? TRACK_SPRING : TRACK_DREAM));
}

void music_restart() {
    music_stream = open_selected_track();
    if (music_stream != nullptr) music_play(music_stream, MUSIC_BUFFER_LENGTH, settings.music_volume, MUSIC_PAN);
}

void poll_music() {
    if (music_stream == nullptr) return;
    const int32_t status = music_poll(music_stream);
    // Playing, or an error the decoder reports once before the end follows.
    if (status != MP3_FINISHED && status != MP3_NOT_PLAYING) return;
    music_close(music_stream);
    music_stream = nullptr;
    if (settings.music_track == TRACK_ALTERNATE) game.current_track = game.current_track == 1 ? 2 : 1;
    music_restart();
}
