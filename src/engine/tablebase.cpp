// Endgame tables: the index of positions, probing, and the files.
//
// Index of a material: blue men ranked among the 28 dark squares a blue man
// can stand on (rows 1..7), red men among theirs (rows 0..6), blue and red
// kings among all 32, each set by the combinatorial number system; then
// ((blue men * R + red men) * BK + blue kings) * RK + red kings. Placements
// where two sets share a square have an index but no position (code 0).
#include "engine/tablebase.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

#include "app/atomic_file.h"
#include "engine/tables.h"

const Tablebase* engine_tablebase = nullptr;

namespace {

struct Binomials {
    uint64_t c[33][8] = {};
    constexpr Binomials() {
        for (int n = 0; n <= 32; n++) {
            c[n][0] = 1;
            for (int k = 1; k < 8; k++) c[n][k] = n == 0 ? 0 : c[n - 1][k - 1] + c[n - 1][k];
        }
    }
};
constexpr Binomials BINOMIALS;

constexpr uint64_t choose(int n, int k) { return k < 0 || n < 0 ? 0 : BINOMIALS.c[n][k]; }

// Dark square d (0..31, by board index) and back.
constexpr int square_of_dark(int d) { return (d / 4) * 8 + 2 * (d % 4) + ((d / 4) % 2 == 0 ? 1 : 0); }
constexpr int dark_of_square(int s) { return s / 2; }

// A 32-bit mask of dark squares from a board bitboard.
uint32_t dark_mask(uint64_t b) {
    uint32_t m = 0;
    for (; b; b &= b - 1) m |= 1u << dark_of_square(__builtin_ctzll(b));
    return m;
}

uint64_t board_of_dark(uint32_t m) {
    uint64_t b = 0;
    for (; m; m &= m - 1) b |= uint64_t{1} << square_of_dark(__builtin_ctz(m));
    return b;
}

// Rank of a set of local squares (bits of `m`).
uint64_t rank_set(uint32_t m) {
    uint64_t r = 0;
    int k = 1;
    for (; m; m &= m - 1) r += choose(__builtin_ctz(m), k++);
    return r;
}

// The set of `k` local squares among `n` with rank `r`.
uint32_t unrank_set(uint64_t r, int k, int n) {
    uint32_t m = 0;
    for (int j = k; j >= 1; j--) {
        int s = j - 1;
        while (s + 1 < n && choose(s + 1, j) <= r) s++;
        r -= choose(s, j);
        m |= 1u << s;
    }
    return m;
}

// Blue men stand on dark squares 4..31, red men on 0..27.
constexpr int BLUE_MEN_SHIFT = 4;

// The board turned half round takes square s to 63 - s, dark d to 31 - d.
uint32_t turned_dark_mask(uint64_t b) {
    uint32_t m = 0;
    for (; b; b &= b - 1) m |= 1u << (31 - dark_of_square(__builtin_ctzll(b)));
    return m;
}

}  // namespace

int table_material_id(const TableMaterial& m) {
    return ((m.blue_men * 8 + m.blue_kings) * 8 + m.red_men) * 8 + m.red_kings;
}

TableClass make_table_class(const TableMaterial& m) {
    TableClass c;
    c.material = m;
    c.red_men_count = choose(28, m.red_men);
    c.blue_king_count = choose(32, m.blue_kings);
    c.red_king_count = choose(32, m.red_kings);
    c.size = choose(28, m.blue_men) * c.red_men_count * c.blue_king_count * c.red_king_count;
    return c;
}

std::string table_file_name(const TableMaterial& m) {
    char name[32];
    std::snprintf(name, sizeof name, "tb_%d%d%d%d.tbl", m.blue_men, m.blue_kings, m.red_men, m.red_kings);
    return name;
}

std::vector<TableMaterial> table_materials(int pieces) {
    std::vector<TableMaterial> out;
    for (int bm = 0; bm <= pieces; bm++)
        for (int bk = 0; bm + bk <= pieces; bk++)
            for (int rm = 0; bm + bk + rm <= pieces; rm++) {
                const int rk = pieces - bm - bk - rm;
                if (bm + bk > 0 && rm + rk > 0) out.push_back({bm, bk, rm, rk});
            }
    return out;
}

TableSlot table_slot(const EnginePosition& p) {
    uint32_t bm, bk, rm, rk;
    if (p.side == 0) {
        bm = dark_mask(p.men[0]);
        bk = dark_mask(p.kings[0]);
        rm = dark_mask(p.men[1]);
        rk = dark_mask(p.kings[1]);
    } else {
        bm = turned_dark_mask(p.men[1]);
        bk = turned_dark_mask(p.kings[1]);
        rm = turned_dark_mask(p.men[0]);
        rk = turned_dark_mask(p.kings[0]);
    }
    TableSlot slot;
    slot.material = {__builtin_popcount(bm), __builtin_popcount(bk), __builtin_popcount(rm), __builtin_popcount(rk)};
    const TableMaterial& m = slot.material;
    const uint64_t rmc = choose(28, m.red_men), bkc = choose(32, m.blue_kings), rkc = choose(32, m.red_kings);
    slot.index = ((rank_set(bm >> BLUE_MEN_SHIFT) * rmc + rank_set(rm)) * bkc + rank_set(bk)) * rkc + rank_set(rk);
    return slot;
}

bool table_position(const TableClass& c, uint64_t index, EnginePosition& p) {
    const TableMaterial& m = c.material;
    const uint64_t rk = index % c.red_king_count;
    index /= c.red_king_count;
    const uint64_t bk = index % c.blue_king_count;
    index /= c.blue_king_count;
    const uint64_t rm = index % c.red_men_count;
    const uint64_t bm = index / c.red_men_count;
    const uint32_t sets[4] = {unrank_set(bm, m.blue_men, 28) << BLUE_MEN_SHIFT, unrank_set(rm, m.red_men, 28),
                              unrank_set(bk, m.blue_kings, 32), unrank_set(rk, m.red_kings, 32)};
    if ((sets[0] & sets[1]) | (sets[0] & sets[2]) | (sets[0] & sets[3]) | (sets[1] & sets[2]) |
        (sets[1] & sets[3]) | (sets[2] & sets[3]))
        return false;
    p.men[0] = board_of_dark(sets[0]);
    p.men[1] = board_of_dark(sets[1]);
    p.kings[0] = board_of_dark(sets[2]);
    p.kings[1] = board_of_dark(sets[3]);
    p.side = 0;
    p.quiet = 0;
    p.key = position_key(p);
    return true;
}

namespace {

// Decompressed blocks, per thread: the search of the hint and a match's
// engines may probe at once.
struct BlockCache {
    static constexpr int WAYS = 512;
    struct Line {
        uint64_t serial = 0;
        const TableClass* table = nullptr;
        uint64_t block = UINT64_MAX;
        uint8_t codes[TABLE_BLOCK];
    };
    std::vector<Line> lines{WAYS};
};

bool inflate_block(const TableClass& c, uint64_t block, uint8_t* out, uint64_t length) {
    const uint64_t begin = c.offsets[block], end = c.offsets[block + 1];
    uLongf got = static_cast<uLongf>(length);
    return uncompress(out, &got, c.packed.data() + begin, static_cast<uLong>(end - begin)) == Z_OK && got == length;
}

uint64_t block_length(const TableClass& c, uint64_t block) {
    return std::min<uint64_t>(TABLE_BLOCK, c.size - block * TABLE_BLOCK);
}

uint8_t code_of_class(const TableClass& c, uint64_t index, uint64_t serial) {
    if (!c.codes.empty()) return c.codes[index];
    thread_local BlockCache cache;
    const uint64_t block = index / TABLE_BLOCK;
    const uint64_t h = (block * 0x9E3779B97F4A7C15ull + reinterpret_cast<uintptr_t>(&c)) >> 20;
    BlockCache::Line& line = cache.lines[h % BlockCache::WAYS];
    if (line.table != &c || line.block != block || line.serial != serial) {
        // Blocks were checked when the file was loaded; a failure here is
        // memory gone bad, answered as a draw rather than a wrong win.
        if (!inflate_block(c, block, line.codes, block_length(c, block))) {
            line.table = nullptr;
            return 0;
        }
        line.table = &c;
        line.block = block;
        line.serial = serial;
    }
    return line.codes[index % TABLE_BLOCK];
}

}  // namespace

int table_code(const Tablebase& tb, const EnginePosition& p) {
    const uint64_t mover = p.men[p.side] | p.kings[p.side];
    if (mover == 0) return TABLE_CODE_LOSS;
    // The index ranks sets of at most TABLEBASE_MAX_PIECES squares.
    if (bit_count(mover | p.men[1 - p.side] | p.kings[1 - p.side]) > TABLEBASE_MAX_PIECES) return -1;
    const TableSlot slot = table_slot(p);
    const int id = table_material_id(slot.material);
    if (id >= static_cast<int>(tb.classes.size())) return -1;
    const TableClass* c = tb.classes[static_cast<size_t>(id)].get();
    if (c == nullptr) return -1;
    return code_of_class(*c, slot.index, tb.serial);
}

bool table_probe(const Tablebase& tb, const EnginePosition& p, TableProbe& out) {
    const int code = table_code(tb, p);
    if (code < 0) return false;
    out = TableProbe{};
    if (code == 0) return true;
    const bool win = code < TABLE_CODE_LOSS;
    const int d = win ? code : code - TABLE_CODE_LOSS;
    out.turns = d;
    // A side without a turn has lost whatever the count.
    if (d == 0 || p.quiet + d <= TABLEBASE_QUIET_LIMIT) out.value = win ? TABLE_WIN : TABLE_LOSS;
    return true;
}

bool table_turn_zeroes(const EnginePosition& p, const EngineMove& m) {
    if (m.taken != 0) return true;
    return ((p.men[p.side] >> m.from) & 1) != 0 && !m.crowns;
}

bool table_best_turn(const Tablebase& tb, const EnginePosition& p, EngineMove& best, TableProbe& value) {
    if (!table_probe(tb, p, value)) return false;
    EngineMove moves[ENGINE_MAX_MOVES];
    const int n = generate_turns(p, moves);
    if (n == 0) return false;
    int best_rank = INT_MIN;
    for (int i = 0; i < n; i++) {
        const EnginePosition child = after_turn(p, moves[i]);
        TableProbe reply;
        if (!table_probe(tb, child, reply)) return false;
        if (-reply.value != value.value) continue;
        // Winning: the fewest turns to convert, a zeroing turn counting one.
        // Losing: the most. Drawing: the evaluation's choice.
        int rank = 0;
        const int turns = table_turn_zeroes(p, moves[i]) || reply.turns == 0 ? 1 : reply.turns + 1;
        if (value.value == TABLE_WIN) rank = -turns;
        else if (value.value == TABLE_LOSS) rank = turns;
        else rank = -evaluate(child);
        if (rank > best_rank) {
            best_rank = rank;
            best = moves[i];
        }
    }
    return best_rank != INT_MIN;
}

bool is_table_score(int score) {
    const int a = score < 0 ? -score : score;
    return a > TABLE_WIN_SCORE - 2 * TABLEBASE_QUIET_LIMIT - 2 && a <= TABLE_WIN_SCORE;
}

namespace {

int score_of(const TableProbe& v) {
    if (v.value == TABLE_DRAW) return 0;
    return v.value == TABLE_WIN ? TABLE_WIN_SCORE - v.turns : -(TABLE_WIN_SCORE - v.turns);
}

}  // namespace

bool table_search_score(const Tablebase& tb, const EnginePosition& p, int& score) {
    // Most positions of a search have far more pieces: one count decides.
    if (bit_count(p.men[0] | p.men[1] | p.kings[0] | p.kings[1]) > tb.pieces) return false;
    TableProbe v;
    if (!table_probe(tb, p, v)) return false;
    score = score_of(v);
    return true;
}

bool table_root_result(const Tablebase& tb, const EnginePosition& root, SearchResult& result) {
    if (bit_count(root.men[0] | root.men[1] | root.kings[0] | root.kings[1]) > tb.pieces) return false;
    EngineMove best{};
    TableProbe v;
    if (!table_best_turn(tb, root, best, v)) return false;
    result = SearchResult{};
    result.has_move = true;
    result.best = best;
    result.score = score_of(v);
    result.depth = 1;
    result.nodes = 1;
    result.pv = {best};
    return true;
}

// --- files ------------------------------------------------------------------
//
// "TLVTB1\n\0", four material bytes, the placement count (u64), the block
// count (u64), the CRC-32 of the whole table (u32), then block count + 1
// offsets (u64) into the deflated blocks that follow; little-endian.

namespace {

constexpr char MAGIC[8] = {'T', 'L', 'V', 'T', 'B', '1', '\n', '\0'};
constexpr size_t HEADER = 8 + 4 + 8 + 8 + 4;

void put_u64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; i++) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put_u32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; i++) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
uint64_t get_u64(const std::string& in, size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; i--) v = v << 8 | static_cast<uint8_t>(in[at + static_cast<size_t>(i)]);
    return v;
}
uint32_t get_u32(const std::string& in, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; i--) v = v << 8 | static_cast<uint8_t>(in[at + static_cast<size_t>(i)]);
    return v;
}

uint32_t crc_of(const std::vector<uint8_t>& codes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    for (size_t at = 0; at < codes.size(); at += size_t{1} << 30) {
        const size_t n = std::min(codes.size() - at, size_t{1} << 30);
        crc = crc32(crc, codes.data() + at, static_cast<uInt>(n));
    }
    return static_cast<uint32_t>(crc);
}

}  // namespace

bool table_save(const TableClass& c, const std::string& dir, std::string& error) {
    const uint64_t blocks = (c.size + TABLE_BLOCK - 1) / TABLE_BLOCK;
    std::string body;
    std::vector<uint64_t> offsets{0};
    std::vector<uint8_t> buffer(compressBound(TABLE_BLOCK));
    for (uint64_t b = 0; b < blocks; b++) {
        uLongf length = static_cast<uLongf>(buffer.size());
        if (compress2(buffer.data(), &length, c.codes.data() + b * TABLE_BLOCK,
                      static_cast<uLong>(block_length(c, b)), 9) != Z_OK) {
            error = "cannot compress " + table_file_name(c.material);
            return false;
        }
        body.append(reinterpret_cast<const char*>(buffer.data()), length);
        offsets.push_back(body.size());
    }
    std::string file(MAGIC, sizeof MAGIC);
    const TableMaterial& m = c.material;
    for (int v : {m.blue_men, m.blue_kings, m.red_men, m.red_kings}) file.push_back(static_cast<char>(v));
    put_u64(file, c.size);
    put_u64(file, blocks);
    put_u32(file, crc_of(c.codes));
    for (uint64_t o : offsets) put_u64(file, o);
    file += body;
    const std::string path = dir + "/" + table_file_name(m);
    if (!write_file_atomically(path.c_str(), reinterpret_cast<const unsigned char*>(file.data()), file.size())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool table_load(const TableMaterial& m, const std::string& dir, bool unpack, TableClass& c, std::string& error) {
    const std::string path = dir + "/" + table_file_name(m);
    std::string file;
    const int read = read_whole_file(path.c_str(), file);
    if (read == READ_MISSING) {
        error = path + ": no such file";
        return false;
    }
    c = make_table_class(m);
    const uint64_t blocks = (c.size + TABLE_BLOCK - 1) / TABLE_BLOCK;
    auto bad = [&](const char* why) {
        error = path + ": " + why;
        return false;
    };
    if (read != READ_DONE) return bad("cannot be read");
    if (file.size() < HEADER || std::memcmp(file.data(), MAGIC, sizeof MAGIC) != 0) return bad("not a table");
    const int stored[4] = {file[8], file[9], file[10], file[11]};
    if (stored[0] != m.blue_men || stored[1] != m.blue_kings || stored[2] != m.red_men || stored[3] != m.red_kings ||
        get_u64(file, 12) != c.size || get_u64(file, 20) != blocks)
        return bad("of another material");
    c.crc = get_u32(file, 28);
    const size_t body = HEADER + 8 * (blocks + 1);
    if (file.size() < body) return bad("cut short");
    c.offsets.resize(blocks + 1);
    for (uint64_t b = 0; b <= blocks; b++) c.offsets[b] = get_u64(file, HEADER + 8 * b);
    if (c.offsets[0] != 0 || c.offsets[blocks] != file.size() - body) return bad("cut short or too long");
    for (uint64_t b = 0; b < blocks; b++)
        if (c.offsets[b] >= c.offsets[b + 1]) return bad("has a damaged block list");
    c.packed.assign(file.begin() + static_cast<std::ptrdiff_t>(body), file.end());
    // Each block is inflated once here, so a damaged one is found at load and
    // never probed.
    c.codes.resize(c.size);
    for (uint64_t b = 0; b < blocks; b++)
        if (!inflate_block(c, b, c.codes.data() + b * TABLE_BLOCK, block_length(c, b))) return bad("has a damaged block");
    if (crc_of(c.codes) != c.crc) return bad("fails its checksum");
    for (uint8_t v : c.codes)
        if (!(v <= TABLEBASE_QUIET_LIMIT || (v >= TABLE_CODE_LOSS && v <= TABLE_CODE_LOSS + TABLEBASE_QUIET_LIMIT)))
            return bad("holds a code no position has");
    if (unpack) {
        c.packed.clear();
        c.packed.shrink_to_fit();
        c.offsets.clear();
    } else {
        c.codes.clear();
        c.codes.shrink_to_fit();
    }
    return true;
}

Tablebase tablebase_load(const std::string& dir, bool unpack, std::vector<std::string>& errors) {
    static std::mutex serial_lock;
    static uint64_t next_serial = 0;
    Tablebase tb;
    tb.classes.resize(8 * 8 * 8 * 8);
    {
        std::lock_guard<std::mutex> hold(serial_lock);
        tb.serial = ++next_serial;
    }
    int whole = 1;
    for (int n = 2; n <= TABLEBASE_MAX_PIECES; n++) {
        bool complete = true;
        for (const TableMaterial& m : table_materials(n)) {
            const std::string path = dir + "/" + table_file_name(m);
            unsigned char byte = 0;
            size_t got = 0;
            if (read_file_prefix(path.c_str(), &byte, 1, got) == READ_MISSING) {
                complete = false;
                continue;
            }
            auto c = std::make_unique<TableClass>();
            std::string error;
            if (!table_load(m, dir, unpack, *c, error)) {
                errors.push_back(error);
                complete = false;
                continue;
            }
            tb.classes[static_cast<size_t>(table_material_id(m))] = std::move(c);
        }
        if (complete && whole == n - 1) whole = n;
    }
    tb.pieces = whole >= 2 ? whole : 0;
    return tb;
}

int tablebase_use(const std::string& dir) {
    static Tablebase loaded;
    std::vector<std::string> errors;
    engine_tablebase = nullptr;
    loaded = tablebase_load(dir, false, errors);
    if (loaded.pieces > 0) engine_tablebase = &loaded;
    return loaded.pieces;
}
