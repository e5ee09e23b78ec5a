// The fast walk's candidate lists: positions grouped by the byte pair ending there, one
// contiguous list per pair, ascending. Each entry carries the bytes around its position and,
// once parsed, its short period, so that a visit settles most candidates from the entry alone.
#pragma once

#include <algorithm>
#include <cstdint>

#include "pack_tables.h"

// An entry of pair_pos: c in bits 0-15, B[c+1] in 16-23, the period of c's stretch if it is 1,
// 2 or 3 in 24-25 (set once c has been parsed), then B[c-2] .. B[c-5] nearest first in 32-63.
inline constexpr int entry_after_shift = 16;
inline constexpr int entry_period_shift = 24;
inline constexpr int entry_context_shift = 32;

inline int entry_pos(uint64_t e) { return int(e & 0xFFFF); }

// B[p-2] .. B[p-5], nearest in the low byte; bytes before position 0 count as 0.
inline uint64_t context_before(const uint8_t* b, int p) {
    if (p >= 5)
        return uint64_t(b[p - 2]) | uint64_t(b[p - 3]) << 8 | uint64_t(b[p - 4]) << 16 |
               uint64_t(b[p - 5]) << 24;
    uint64_t x = 0;
    for (int k = 5; k >= 2; --k) x = x << 8 | (p - k >= 0 ? b[p - k] : 0u);
    return x;
}

// Groups positions 1..n-1 by the pair ending there, ascending within a pair, in pair_pos;
// pair_first[key] becomes the index of the pair's first entry, pair_slot[p] that of p.
void build_pair_lists(pack_tables& t, const uint8_t* b, int n);

// Once p is parsed, its entry carries the period of its stretch if that is 1, 2 or 3.
inline void note_short_period(pack_tables& t, int p) {
    if (const int q = t.stretch[p].period; q >= 1 && q <= 3)
        t.pair_pos[t.pair_slot[p]] |= uint64_t(q) << entry_period_shift;
}

// Where the memo of candidate c (entry e) goes at p: c, or the spare entry when B[c+1] differs
// from B[p+1] (see forward_pass.cpp). Chosen without a branch: on some data both are as likely.
inline int memo_slot(uint64_t e, int c, uint64_t after) {
    const int unread = int(((e >> entry_after_shift) & 0xFF) != after);
    return c + unread * (max_input - c);
}

// The key of the pair that ends at p, as the lists group them.
inline int pair_key(const uint8_t* b, int p) { return b[p - 1] << 8 | b[p]; }

// The first index in lo..hi (positions ascending) whose position is at least x, or hi + 1.
template <class E>
inline int first_at_least(const E* list, int lo, int hi, int x) {
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (entry_pos(list[mid]) < x)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return lo;
}

// The same, galloping from index finger (any value gives the answer): where it lies within
// some 16 entries of the answer, a few steps; elsewhere a few more than the search of the
// range, whose part beyond the gallop it searches then.
template <class E>
inline int first_at_least_from(const E* list, int lo, int hi, int x, int finger) {
    if (lo > hi) return lo;
    const int f = std::clamp(finger, lo, hi + 1);
    // Every index up to below lies under x, and above is hi + 1 or at least x.
    int below = f - 1, above = f;
    if (f <= hi && entry_pos(list[f]) < x) {
        below = f;
        above = hi + 1;
        for (int step = 1; step <= 8 && below + step <= hi; step *= 2) {
            if (entry_pos(list[below + step]) >= x) {
                above = below + step;
                break;
            }
            below += step;
        }
    } else {
        below = lo - 1;
        for (int step = 1; step <= 8 && above - step >= lo; step *= 2) {
            if (entry_pos(list[above - step]) < x) {
                below = above - step;
                break;
            }
            above -= step;
        }
    }
    return first_at_least(list, below + 1, above - 1, x);
}
