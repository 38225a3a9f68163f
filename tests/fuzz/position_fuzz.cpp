// Any text as a position: parsing never crashes, and a position it accepts
// prints back as text that parses to the same board.
#include <cstdlib>
#include <string>

#include "app/game_state.h"
#include "notation/position.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    int32_t side = 0;
    std::string error;
    if (!parse_position(text, side, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (side != BLUE && side != RED) std::abort();
    const std::string shown = format_position(side);
    int32_t side2 = 0;
    if (!parse_position(shown, side2, error) || side2 != side) std::abort();
    if (format_position(side2) != shown) std::abort();
    for (int i = 0; i < SQUARE_COUNT; i++)
        if (board[i].piece < 0 || board[i].piece > 4) std::abort();
    return 0;
}
