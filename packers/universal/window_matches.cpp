// The window's sources are kept as a set of suffix ranks; the longest match of p in the set is
// with one of the two members next to p's rank, so each position costs a set update and two
// neighbour look-ups.
#include "window_matches.h"

#include <algorithm>
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

// The longest common prefix of the suffixes of ranks a < b.
int32_t lcp_of_ranks(const suffix_index& ix, int32_t a, int32_t b) {
    const int32_t lo = a + 1;
    const int k = std::bit_width(static_cast<uint32_t>(b - lo + 1)) - 1;
    const auto& row = ix.lcp_min[static_cast<size_t>(k)];
    return std::min(row[static_cast<size_t>(lo)], row[static_cast<size_t>(b - (1 << k) + 1)]);
}

} // namespace

void build_suffix_index(const uint8_t* data, int32_t size, suffix_index& ix) {
    const size_t n = static_cast<size_t>(size);
    ix.size = size;
    ix.sa.resize(n);
    ix.rank.resize(n);
    std::vector<int32_t> next(n);
    for (size_t i = 0; i < n; ++i) {
        ix.sa[i] = static_cast<int32_t>(i);
        ix.rank[i] = data[i];
    }
    // Prefix doubling: sorted by the first 2k bytes from the ranks of the first k.
    for (int32_t k = 1;; k <<= 1) {
        auto key2 = [&](int32_t i) { return i + k < size ? ix.rank[static_cast<size_t>(i + k)] : -1; };
        auto before = [&](int32_t a, int32_t b) {
            if (ix.rank[static_cast<size_t>(a)] != ix.rank[static_cast<size_t>(b)])
                return ix.rank[static_cast<size_t>(a)] < ix.rank[static_cast<size_t>(b)];
            return key2(a) < key2(b);
        };
        std::sort(ix.sa.begin(), ix.sa.end(), before);
        next[static_cast<size_t>(ix.sa[0])] = 0;
        for (size_t i = 1; i < n; ++i)
            next[static_cast<size_t>(ix.sa[i])] =
                next[static_cast<size_t>(ix.sa[i - 1])] + (before(ix.sa[i - 1], ix.sa[i]) ? 1 : 0);
        ix.rank.swap(next);
        if (ix.rank[static_cast<size_t>(ix.sa[n - 1])] == size - 1 || k >= size) break;
    }
    // Kasai: lcp[r] between the suffixes of ranks r - 1 and r.
    std::vector<uint16_t> lcp(n, 0);
    int32_t h = 0;
    for (int32_t i = 0; i < size; ++i) {
        const int32_t r = ix.rank[static_cast<size_t>(i)];
        if (r == 0) {
            h = 0;
            continue;
        }
        const int32_t j = ix.sa[static_cast<size_t>(r - 1)];
        while (i + h < size && j + h < size && data[i + h] == data[j + h]) ++h;
        lcp[static_cast<size_t>(r)] = static_cast<uint16_t>(h);
        if (h > 0) --h;
    }
    ix.lcp_min.clear();
    ix.lcp_min.push_back(std::move(lcp));
    for (int32_t span = 2; span <= size; span <<= 1) {
        const auto& prev = ix.lcp_min.back();
        std::vector<uint16_t> row(n);
        for (size_t i = 0; i + static_cast<size_t>(span) <= n; ++i)
            row[i] = std::min(prev[i], prev[i + static_cast<size_t>(span / 2)]);
        ix.lcp_min.push_back(std::move(row));
    }
}

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
