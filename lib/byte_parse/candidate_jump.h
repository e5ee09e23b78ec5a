// What lets the fast walk pass over a stretch of candidates in one step: range minima of the
// cost table (filled as the parse moves on), the rarest byte pair of any range of positions,
// and per position what its walk examined. A candidate of length l can change the walk's
// result only if l can beat the best (cost[p - l] low enough) or the inherited stretch
// (l above its excess); every candidate of at least l0 bytes ends with the l0-byte string
// before p, so it lies in the list of that string's rarest pair, shifted.
#pragma once

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>

#include "pack_tables.h"

// Builds the rarest-pair table for in[0..n-1] (after build_pair_lists) and marks the jump
// tables ready; the cost minima are filled later, as far as the parse has gone.
void prepare_jump_tables(pack_tables& t, const uint8_t* b, int n);

// The shortest period q, at most max_jump_period and l0 / 2, of the l0 bytes ending at p, or 0
// if they have none or are fewer than min_period_len (too short for runs to beat the rarest
// pair). Builds that period's runs in period_run when first asked for it.
inline constexpr int min_period_len = 24;
int repeat_period(pack_tables& t, const uint8_t* b, int n, int p, int l0);

// Builds the runs of period q (1 <= q <= max_jump_period) in period_run and marks them ready.
void build_period_run(pack_tables& t, const uint8_t* b, int n, int q);

// Extends the cost minima to cover positions 0..upto-1.
void fill_cost_minima(pack_tables& t, int upto);

// The least cost in positions a..z, a <= z, both filled.
inline int least_cost(const pack_tables& t, int a, int z) {
    int k = std::bit_width(unsigned(z - a + 1)) - 1;
    if (k == 0) return t.cost[a];
    int least = INT_MAX;
    if (k > cost_levels) {
        // The top level's ranges from z down, until two of them cover what is left.
        k = cost_levels;
        for (; z - a + 1 > 2 << cost_levels; z -= 1 << cost_levels)
            least = std::min(least, t.cost_min[z][cost_levels - 1]);
    }
    const int x = t.cost_min[a + (1 << k) - 1][k - 1], y = t.cost_min[z][k - 1];
    return std::min({least, x, y});
}

// How many positions of the input end the pair that ends at j (1 <= j < n).
inline int pair_count(const pack_tables& t, const uint8_t* b, int j, int n) {
    const int key = b[j - 1] << 8 | b[j];
    const int end = key + 1 < max_input ? int(t.pair_first[key + 1]) : n - 1;
    return end - int(t.pair_first[key]);
}

// The position in a..z (1 <= a <= z) whose pair is the rarest (after prepare_jump_tables).
inline int rarest_pair_at(const pack_tables& t, int a, int z) {
    // The least entry: the least count, and the lowest position at that count.
    int k = std::bit_width(unsigned(z - a + 1)) - 1;
    uint32_t least = UINT32_MAX;
    if (k >= pair_levels) {
        k = pair_levels - 1;
        for (; z - a + 1 > 2 << k; a += 1 << k) least = std::min(least, t.rare_pair[k][a]);
    }
    const uint32_t x = t.rare_pair[k][a], y = t.rare_pair[k][z - (1 << k) + 1];
    return int(std::min({least, x, y}) & 0xFFFF);
}

// Whether the m bytes ending at p equal those q before them, which must lie in the input (true
// for m <= 0 where they would). Where the runs of period q are built, they hold the answer.
inline bool matches_itself(const pack_tables& t, const uint8_t* b, int p, int q, int m) {
    if (p - q - m + 1 < 0) return false;
    if (m <= 0) return true;
    if (t.period_ready >> q & 1) return t.period_run[q - 1][p] >= m;
    return b[p] == b[p - q] && std::equal(b + p - m + 1 - q, b + p - q + 1, b + p - m + 1);
}
