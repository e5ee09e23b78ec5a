// The forward pass with a cheap candidate visit. Each pair's positions lie in one contiguous
// list, walked backwards, and each entry carries the two bytes that settle most visits.
// It makes exactly the choices of the plain walk (forward_pass_plain.cpp); the comments give
// the reason each shortcut changes no table.
#include <algorithm>
#include <climits>

#include "forward_pass.h"
#include "parse_steps.h"
#include "variant.h"

namespace {

// Groups positions 1..n-1 by the pair ending there, ascending within a pair, in pair_pos;
// pair_first[key] becomes the index of the pair's first entry, pair_slot[p] that of p.
void build_pair_lists(pack_tables& t, const uint8_t* b, int n) {
    std::fill(t.pair_first, t.pair_first + max_input + 1, 0u);
    for (int p = 1; p < n; ++p) ++t.pair_first[b[p - 1] << 8 | b[p]];
    uint32_t end = 0;
    for (int k = 0; k < max_input; ++k) {
        end += t.pair_first[k];
        t.pair_first[k] = end;
    }
    for (int p = n - 1; p >= 1; --p) {
        const uint32_t slot = --t.pair_first[b[p - 1] << 8 | b[p]];
        const uint32_t before = p >= 2 ? b[p - 2] : 0;
        const uint32_t after = p + 1 < n ? b[p + 1] : 0;
        t.pair_pos[slot] = uint32_t(p) | before << 16 | after << 24;
        t.pair_slot[p] = uint16_t(slot);
    }
}

// The bound below which the walk at p ends: c < best_len can't give a longer match,
// p - c beyond the largest offset is out of reach, and a best of the largest length ends it.
template <class V>
int walk_bound(int p, int best_len) {
    if (best_len >= V::max_seq_len) return INT_MAX;
    return std::max({1, best_len, p - V::max_offset});
}

} // namespace

template <class V>
int forward_pass(pack_tables& t, const uint8_t* b, int n) {
    int run_count = parse_start(t);
    if (n == 1) return 0;
    build_pair_lists(t, b, n);
    for (int p = 1; p < n; ++p) {
        const int prev = p - 1;
        const int lit_cost = literal_step<V>(t, p, run_count);
        const int lo = int(t.pair_first[b[prev] << 8 | b[p]]);

        walk_result r;
        int skip_above = max_input;
        int bound = walk_bound<V>(p, 0);
        // Way A can only apply to the candidate at the offset of the sequence ending at prev.
        const int a_cand = t.step_len[prev] != 0 ? p - t.step_off[prev] : -1;
        // Where B[c-2] differs from B[p-2], c-1 was not a candidate of prev (no memo), a
        // sequence ending at prev can't have offset p - c (no way A), and a true stretch at c
        // and at p - q can't have period 1, so a repeat shortcut stops at length 2 without
        // touching skip_above: every way gives length 2 and no inherited stretch.
        const uint32_t before = p >= 2 ? b[p - 2] : 0x100;
        // memo_pos[c] = p is read only at p + 1, by candidate c + 1, which exists only when
        // B[c+1] = B[p+1]. An unwritten memo keeps an older position, which no later prev equals.
        const uint32_t after = p + 1 < n ? b[p + 1] : 0x100;
        const int cost_2 = p >= 2 ? t.cost[p - 2] : 0;

        for (int i = int(t.pair_slot[p]) - 1; i >= lo; --i) {
            const uint32_t e = t.pair_pos[i];
            const int c = int(e & 0xFFFF);
            if (c < bound) break;
            if (c > skip_above) continue;
            const int w = p - c;
            if (((e >> 16) & 0xFF) != before) {
                if ((e >> 24) == after) {
                    t.visit[c].memo_pos = uint16_t(p);
                    t.visit[c].memo_len = 2;
                }
                const int s = cost_2 + V::seq_cost(2, w);
                if (s < r.best_cost) {
                    r.best_cost = s;
                    r.best_len = 2;
                    r.best_off = w;
                    bound = walk_bound<V>(p, 2);
                }
                continue;
            }
            const int max_len = std::min(c + 1, V::max_seq_len);
            int len;
            int q;
            if (c == a_cand) {
                len = std::min(t.step_len[prev] + 1, max_len);
            } else if (t.visit[c - 1].memo_pos == prev) {
                len = std::min(t.visit[c - 1].memo_len + 1, max_len);
            } else if ((q = t.visit[c].period) != 0 && t.visit[p - q].period == q) {
                len = repeat_shortcut<V>(t, b, c, p, q, max_len, skip_above);
            } else {
                len = compare_back(b, c, p, max_len);
            }
            if ((e >> 24) == after) {
                t.visit[c].memo_pos = uint16_t(p);
                t.visit[c].memo_len = uint16_t(len);
            }
            const int s = t.cost[p - len] + V::seq_cost(len, w);
            if (s < r.best_cost || (s == r.best_cost && len > r.best_len)) {
                r.best_cost = s;
                r.best_len = len;
                r.best_off = w;
                bound = walk_bound<V>(p, len);
            }
            inherit_stretch(t.visit[c], len, r);
            if (c == a_cand) break;
        }
        if (r.best_len == 0) continue; // no candidate in reach
        if (int status = decide<V>(t, p, lit_cost, r, run_count)) return status;
    }
    return 0;
}

template int forward_pass<ktb_variant>(pack_tables&, const uint8_t*, int);
template int forward_pass<kta_variant>(pack_tables&, const uint8_t*, int);
