// Sparse tables: level k holds the answer for 2^k positions. The rarest pairs are built at once,
// by the range's first position; the cost minima grow with the parse, so they are kept by the
// range's last position, one row of levels per position, which filling writes in one place.
#include "candidate_jump.h"

#include <algorithm>

void prepare_jump_tables(pack_tables& t, const uint8_t* b, int n) {
    // An entry holds the count above the position, so that the lesser entry is the rarer pair
    // and, at equal counts, the lower position, as the reading of a range wants.
    for (int j = 1; j < n; ++j) t.rare_pair[0][j] = uint32_t(pair_count(t, b, j, n)) << 16 | j;
    for (int k = 1; k < pair_levels && (1 << k) < n; ++k) {
        const int half = 1 << (k - 1);
        const uint32_t* lower = t.rare_pair[k - 1];
        uint32_t* level = t.rare_pair[k];
        for (int j = 1; j + (1 << k) <= n; ++j) level[j] = std::min(lower[j], lower[j + half]);
    }
    t.jump_ready = 1;
}

void fill_cost_minima(pack_tables& t, int upto) {
    for (int j = t.cost_filled; j < upto; ++j) {
        int32_t* row = t.cost_min[j];
        int m = t.cost[j];
        for (int k = 1; k <= cost_levels && (1 << k) <= j + 1; ++k) {
            const int h = j - (1 << (k - 1));
            const int y = k == 1 ? t.cost[h] : t.cost_min[h][k - 2];
            if (y < m) m = y;
            row[k - 1] = m;
        }
    }
    if (upto > t.cost_filled) t.cost_filled = upto;
}

int repeat_period(pack_tables& t, const uint8_t* b, int n, int p, int l0) {
    if (l0 < min_period_len || l0 > p + 1) return 0;
    for (int q = 1; q <= max_jump_period && 2 * q <= l0; ++q) {
        // The l0 bytes ending at p equal those q before them from the (q + 1)th on.
        if (!matches_itself(t, b, p, q, l0 - q)) continue;
        if (!(t.period_ready >> q & 1)) build_period_run(t, b, n, q);
        return q;
    }
    return 0;
}

void build_period_run(pack_tables& t, const uint8_t* b, int n, int q) {
    uint16_t* run = t.period_run[q - 1];
    for (int j = 0; j < n; ++j) run[j] = j >= q && b[j] == b[j - q] ? uint16_t(run[j - 1] + 1) : 0;
    t.period_ready |= 1u << q;
}
