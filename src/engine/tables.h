// Fixed tables of the board's geometry and the Zobrist keys, built at
// compile time. Directions: 0 up-left (-9), 1 up-right (-7), 2 down-left
// (+7), 3 down-right (+9); "up" is toward square 0, where blue crowns.
#pragma once

#include <cstdint>

#include "engine/engine.h"

constexpr uint64_t DARK = 0x55AA55AA55AA55AAull;
constexpr uint64_t COLUMN_0 = 0x0101010101010101ull;
constexpr uint64_t NOT_LEFT = ~COLUMN_0;
constexpr uint64_t NOT_RIGHT = ~(COLUMN_0 << 7);
constexpr uint64_t NOT_LEFT2 = ~(COLUMN_0 | COLUMN_0 << 1);
constexpr uint64_t NOT_RIGHT2 = ~(COLUMN_0 << 6 | COLUMN_0 << 7);
constexpr uint64_t CROWN_ROW[2] = {0xFFull, 0xFFull << 56};
constexpr int MAN_DIRECTIONS[2][2] = {{0, 1}, {2, 3}};

struct Ray {
    int length;
    uint8_t square[7];  // nearest first
};

struct Tables {
    Ray rays[4][64] = {};
    int step[4][64] = {};       // the next square, -1 off the board
    int jump_over[4][64] = {};  // -1 when no landing square lies beyond
    int jump_land[4][64] = {};

    constexpr Tables() {
        const int rows[4] = {-1, -1, 1, 1};
        const int cols[4] = {-1, 1, -1, 1};
        for (int d = 0; d < 4; d++) {
            for (int s = 0; s < 64; s++) {
                Ray& ray = rays[d][s];
                ray.length = 0;
                for (int r = s / 8 + rows[d], c = s % 8 + cols[d]; r >= 0 && r < 8 && c >= 0 && c < 8;
                     r += rows[d], c += cols[d])
                    ray.square[ray.length++] = static_cast<uint8_t>(r * 8 + c);
                step[d][s] = ray.length > 0 ? ray.square[0] : -1;
                jump_over[d][s] = ray.length > 1 ? ray.square[0] : -1;
                jump_land[d][s] = ray.length > 1 ? ray.square[1] : -1;
            }
        }
    }
};

constexpr Tables TABLES;

// Bits set. The portable build has no population-count instruction, and the
// library call the compiler falls back on costs more than these few steps.
inline int bit_count(uint64_t b) {
    b = b - ((b >> 1) & 0x5555555555555555ull);
    b = (b & 0x3333333333333333ull) + ((b >> 2) & 0x3333333333333333ull);
    b = (b + (b >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((b * 0x0101010101010101ull) >> 56);
}

constexpr uint64_t splitmix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// [0] blue man, [1] red man, [2] blue king, [3] red king.
struct PieceKeys {
    uint64_t key[4][64] = {};
    constexpr PieceKeys() {
        uint64_t state = 20261208;
        for (auto& piece : key)
            for (uint64_t& k : piece) k = splitmix(state);
    }
    constexpr const uint64_t* operator[](int piece) const { return key[piece]; }
};

constexpr PieceKeys PIECE_KEYS;
constexpr uint64_t SIDE_KEY = 0x6A09E667F3BCC909ull;

inline uint64_t position_key(const EnginePosition& p) {
    uint64_t key = p.side ? SIDE_KEY : 0;
    const uint64_t sets[4] = {p.men[0], p.men[1], p.kings[0], p.kings[1]};
    for (int piece = 0; piece < 4; piece++)
        for (uint64_t b = sets[piece]; b; b &= b - 1) key ^= PIECE_KEYS[piece][__builtin_ctzll(b)];
    return key;
}
