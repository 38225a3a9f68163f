// Any bytes as a PDN file: the reader never hangs or crashes, every game it
// refuses says why, and every game it replays is written back by the writer
// and read again to the same positions.
#include <cstdlib>
#include <string>
#include <vector>

#include "notation/pdn.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const PdnSourceGame& g : pdn_read_games(text)) {
        PdnReplay r;
        std::string why;
        if (!pdn_replay(g, r, why)) {
            if (why.empty()) std::abort();
            continue;
        }
        if (r.fens.size() != r.turns.size() + 1) std::abort();
        PdnGame back;
        back.result = "*";
        // The writer leaves out the opening's FEN; any other start is kept.
        back.fen = g.tag("FEN").empty() || g.tag("SetUp") == "0" ? "" : r.fens[0];
        back.turns = r.turns;
        const std::vector<PdnSourceGame> again = pdn_read_games(pdn_text(back));
        if (again.size() != 1) std::abort();
        PdnReplay r2;
        if (!pdn_replay(again[0], r2, why) || r2.fens != r.fens) std::abort();
    }
    return 0;
}
