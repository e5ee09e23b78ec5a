// The jump's search where the bytes before p have a short period q. Their rarest pair is
// common there, but every candidate at least l0 long lies in a run of period q (period_run)
// at p's phase, and its match length follows from the two runs: min(A_c, A_p), where A is the
// length of the q-periodic stretch ending at a position, compared on only where A_c = A_p.
// So the search walks the runs, not the candidates, and tests each run's candidates by group.
#pragma once

#include <algorithm>
#include <cstdint>

#include "pack_tables.h"

// The walk's order of sequences as one number: lower cost first, then the longer length.
inline uint64_t key_of(int seq, int len) { return uint64_t(seq) << 16 | uint64_t(0xFFFF - len); }

// The excess (its length less its period) of the stretch sc that a candidate len long passes
// on, or -1 where it passes on none.
inline int stretch_excess_of(stretch_rec sc, int len) {
    const int m = std::min(len, int(sc.period_len));
    return sc.period == 0 || m <= 2 * sc.period ? -1 : m - sc.period;
}

// Whether a candidate len long passes on its stretch sc where the inherited one's length less
// its period is excess.
inline bool passes_on_stretch(stretch_rec sc, int len, int excess) {
    const int e = stretch_excess_of(sc, len);
    return e >= 0 && e > excess;
}

// What the walk at p needs of a candidate before it must be visited.
struct period_query {
    int p = 0;
    int l0 = 0; // no candidate shorter can change the walk's result
    int q = 0;  // repeat_period(t, p, l0)
    int low_c = 0;
    int fresh_c = 0;       // below it, a candidate longer than its offset + 2 must be visited
    int stretch_len = 0;   // below this length no candidate changes the inherited stretch
    int excess = 0;        // the inherited stretch's length less its period
    uint64_t best_key = 0; // the walk's best: cost << 16 | (0xFFFF - length)
};

// The nearest candidate in low_c..hi_c that may change the walk's result or must be visited,
// with its match length in len, or 0 if there is none. Each run and each candidate tested
// costs one of the budget; hi_c becomes the highest position not cleared: below the one found,
// below low_c when none is left, or where the budget ran out. Cost minima filled below p.
template <class V>
int nearest_in_period(const pack_tables& t, const uint8_t* b, const period_query& k, int& hi_c,
                      int& budget, int& len);
