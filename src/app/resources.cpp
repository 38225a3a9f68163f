// Application shell: storage of the Allegro-owned resources.
#include "app/resources.h"

#include <cstdio>
#include <vector>

#include "app/datafile_check.h"

DATAFILE* datafile = nullptr;
BITMAP* frame_buffer = nullptr;
BITMAP* board_buffer = nullptr;
std::atomic<int> quit_requested{0};

namespace {

// The file as it lies on disk; false when it cannot be read or is larger
// than anything it could unpack to.
bool read_whole(const char* path, std::vector<unsigned char>& bytes) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    constexpr size_t BLOCK = 1u << 16;
    size_t size = 0;
    bool ok = true;
    for (;;) {
        bytes.resize(size + BLOCK);
        const size_t got = std::fread(bytes.data() + size, 1, BLOCK, f);
        size += got;
        if (got < BLOCK) {
            ok = std::ferror(f) == 0;
            break;
        }
        if (size > MAX_DATAFILE_UNPACKED) {
            ok = false;
            break;
        }
    }
    std::fclose(f);
    bytes.resize(size);
    return ok;
}

}  // namespace

DATAFILE* load_checked_datafile(const char* path) {
    std::vector<unsigned char> file;
    if (!read_whole(path, file) || datafile_fault(file.data(), file.size()) != nullptr) return nullptr;
    return load_datafile(path);
}
