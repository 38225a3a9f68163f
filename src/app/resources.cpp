// Application shell: storage of the Allegro-owned resources.
#include "app/resources.h"

#include <vector>

#include "app/datafile_check.h"

DATAFILE* datafile = nullptr;
BITMAP* frame_buffer = nullptr;
BITMAP* board_buffer = nullptr;
std::atomic<int> quit_requested{0};

namespace {

// Far above the real file's two megabytes, far below what would hurt: a
// small file of zeros can unpack to any size.
constexpr long MAX_UNPACKED_SIZE = 64L << 20;

// The file through the library's own unpacking (which is safe on any
// bytes); false when it cannot be opened or unpacks to more than the cap.
bool read_unpacked(const char* path, std::vector<unsigned char>& body) {
    PACKFILE* f = pack_fopen(path, F_READ_PACKED);
    if (f == nullptr) return false;
    constexpr long BLOCK = 1L << 16;
    long size = 0;
    for (;;) {
        body.resize(static_cast<size_t>(size + BLOCK));
        const long got = pack_fread(body.data() + size, BLOCK, f);
        size += got > 0 ? got : 0;
        if (got < BLOCK || size > MAX_UNPACKED_SIZE) break;
    }
    pack_fclose(f);
    body.resize(static_cast<size_t>(size));
    return size <= MAX_UNPACKED_SIZE;
}

}  // namespace

DATAFILE* load_checked_datafile(const char* path) {
    std::vector<unsigned char> body;
    if (!read_unpacked(path, body) || datafile_fault(body.data(), body.size()) != nullptr) return nullptr;
    return load_datafile(path);
}
