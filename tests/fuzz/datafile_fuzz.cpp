// Any bytes as Data/talvena.dat: the start-up check refuses them, or
// Allegro's loader reads them whole, with the game's objects where the game
// looks for them. The loader runs on the very bytes the check passed.
#include <allegro.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "app/datafile_check.h"
#include "app/resource_ids.h"

namespace {

// The kinds the game indexes, as the loader names them.
int kind_of(int index) {
    if (index == RES_POINTER) return DAT_BITMAP;
    if (index <= RES_FONT_MENU) return DAT_FONT;
    if (index < RES_SND_PICK) return DAT_BITMAP;
    return DAT_SAMPLE;
}

// The loader only takes a path: one memory file, reopened by name.
int memory_file() {
    static const int fd = [] {
        if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) std::abort();
        set_color_depth(16);
        return memfd_create("talvena.dat", 0);
    }();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (datafile_fault(data, size) != nullptr) return 0;
    const int fd = memory_file();
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    DATAFILE* d = load_datafile(path.c_str());
    if (d == nullptr) std::abort();  // passed the check, yet not loaded
    int count = 0;
    while (d[count].type != DAT_END) {
        if (count < RES_COUNT && (d[count].type != kind_of(count) || d[count].dat == nullptr)) std::abort();
        count++;
    }
    if (count < RES_COUNT) std::abort();
    unload_datafile(d);
    return 0;
}
