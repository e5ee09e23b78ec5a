// The window's sources are kept as a set of suffix ranks; the longest match of p in the set is
// with one of the two members next to p's rank, so each position costs a set update and two
// neighbour look-ups.
#include "window_matches.h"

#include <bit>

namespace {

// A set of ranks 0..65535 as a bitmap with a summary word per 64 words.
struct rank_set {
    uint64_t word[1024] = {};
    uint64_t summary[16] = {};
};

void set_add(rank_set& s, int32_t r) {
    s.word[r >> 6] |= uint64_t{1} << (r & 63);
    s.summary[r >> 12] |= uint64_t{1} << ((r >> 6) & 63);
}

void set_remove(rank_set& s, int32_t r) {
    s.word[r >> 6] &= ~(uint64_t{1} << (r & 63));
    if (s.word[r >> 6] == 0) s.summary[r >> 12] &= ~(uint64_t{1} << ((r >> 6) & 63));
}

// The largest member below r, or -1.
int32_t set_below(const rank_set& s, int32_t r) {
    int32_t w = r >> 6;
    uint64_t bits = s.word[w] & ((uint64_t{1} << (r & 63)) - 1);
    if (bits) return (w << 6) | (63 - std::countl_zero(bits));
    int32_t g = w >> 6;
    uint64_t sum = s.summary[g] & ((uint64_t{1} << (w & 63)) - 1);
    while (sum == 0) {
        if (--g < 0) return -1;
        sum = s.summary[g];
    }
    w = (g << 6) | (63 - std::countl_zero(sum));
    return (w << 6) | (63 - std::countl_zero(s.word[w]));
}

// The smallest member above r, or -1.
int32_t set_above(const rank_set& s, int32_t r) {
    int32_t w = r >> 6;
    uint64_t bits = (r & 63) == 63 ? 0 : s.word[w] & ~((uint64_t{2} << (r & 63)) - 1);
    if (bits) return (w << 6) | std::countr_zero(bits);
    int32_t g = w >> 6;
    uint64_t sum = (w & 63) == 63 ? 0 : s.summary[g] & ~((uint64_t{2} << (w & 63)) - 1);
    while (sum == 0) {
        if (++g >= 16) return -1;
        sum = s.summary[g];
    }
    w = (g << 6) | std::countr_zero(sum);
    return (w << 6) | std::countr_zero(s.word[w]);
}

} // namespace

void find_window_matches(const suffix_index& ix, int32_t lo, int32_t hi, uint16_t* len,
                         uint16_t* off) {
    static thread_local rank_set set;
    set = rank_set{};
    for (int32_t p = 0; p < ix.size; ++p) {
        if (p - lo >= 0) set_add(set, ix.rank[static_cast<size_t>(p - lo)]);
        if (p - hi - 1 >= 0) set_remove(set, ix.rank[static_cast<size_t>(p - hi - 1)]);
        const int32_t r = ix.rank[static_cast<size_t>(p)];
        int32_t best = 0;
        int32_t source = -1;
        const int32_t below = set_below(set, r);
        if (below >= 0) {
            best = lcp_of_ranks(ix, below, r);
            source = ix.sa[static_cast<size_t>(below)];
        }
        const int32_t above = set_above(set, r);
        if (above >= 0) {
            const int32_t l = lcp_of_ranks(ix, r, above);
            if (l > best) {
                best = l;
                source = ix.sa[static_cast<size_t>(above)];
            }
        }
        len[p] = static_cast<uint16_t>(best);
        off[p] = static_cast<uint16_t>(best > 0 ? p - source : 0);
    }
}
