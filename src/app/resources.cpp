// Application shell: storage of the Allegro-owned resources.
#include "app/resources.h"

DATAFILE* datafile = nullptr;
BITMAP* frame_buffer = nullptr;
BITMAP* board_buffer = nullptr;
std::atomic<int> quit_requested{0};
