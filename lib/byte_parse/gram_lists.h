// Lists of the positions that end each string of 8 and of 16 bytes (hashed to 16 bits), for the
// jumps where the bytes before p are made of a few common pairs (two-symbol data): there the
// rarest pair's list holds most candidates, while a longer string's list holds few.
#pragma once

#include <cstdint>
#include <cstring>

#include "pack_tables.h"

inline constexpr int gram_len[gram_levels] = {8, 16};

inline int entry_pos(uint16_t e) { return e; }

// The key of the gram_len[level] bytes ending at j (j >= gram_len[level] - 1). Strings that
// differ may share a key; the lists' users compare the bytes.
inline int gram_key(const uint8_t* b, int j, int level) {
    uint64_t x, y;
    std::memcpy(&x, b + j - 7, 8);
    if (level == 1) {
        std::memcpy(&y, b + j - 15, 8);
        x ^= y * 0xD6E8FEB86659FD93u;
    }
    return int((x * 0x9E3779B97F4A7C15u) >> 48);
}

// How many positions end a string with the key of the one ending at j.
inline int gram_count(const pack_tables& t, const uint8_t* b, int j, int level) {
    const int key = gram_key(b, j, level);
    return int(t.gram_first[level][key + 1] - t.gram_first[level][key]);
}

// Groups the positions gram_len - 1 .. n - 1 by key, ascending within a key, for each level:
// gram_first[level][key] is the index of the key's first entry, gram_slot[level][j] that of j.
// Sets gram_ready.
void build_gram_lists(pack_tables& t, const uint8_t* b, int n);
