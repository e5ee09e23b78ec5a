// A run's candidates at p's phase are c_0, c_0 - q, ... Where A_c > A_p they all match A_p
// bytes, so only the first of each offset class and the first below fresh_c can matter; where
// A_c < A_p the lengths fall by q a candidate, and the cost minima rule out many at once.
#include "period_jump.h"

#include <algorithm>
#include <climits>

#include "candidate_jump.h"
#include "parse_steps.h"
#include "variant.h"

namespace {

// One run's candidates: i stands for c_0 - i q, periodic over r0 - i q + q bytes.
struct run_scan {
    const pack_tables* t;
    const uint8_t* b;
    const period_query* k;
    int c0;
    int r0; // period_run at c_0
    int a_p;
};

int cand(const run_scan& s, int i) { return s.c0 - i * s.k->q; }
int offset(const run_scan& s, int i) { return s.k->p - cand(s, i); }

// The exact match length of candidate i (see period_jump.h), capped as the walk caps it.
template <class V>
int match_len(const run_scan& s, int i) {
    const int c = cand(s, i), p = s.k->p;
    const int a_c = s.r0 - i * s.k->q + s.k->q;
    const int max_len = std::min(c + 1, V::max_seq_len);
    int len = std::min({a_c, s.a_p, max_len});
    return a_c == s.a_p ? extend_back<true>(s.b, c, p, len, max_len) : len;
}

// first_cheaper bounds a range's costs by the shortest length and the nearest offset: the
// cost rule must not fall as either grows.
template <class V>
constexpr bool seq_cost_rises() {
    for (int len = 2; len < V::max_seq_len; ++len)
        if (V::seq_cost(len + 1, 1) < V::seq_cost(len, 1) ||
            V::seq_cost(len + 1, V::max_offset) < V::seq_cost(len, V::max_offset))
            return false;
    for (int off = 1; off < V::max_offset; ++off)
        if (V::seq_cost(2, off + 1) < V::seq_cost(2, off) ||
            V::seq_cost(V::max_seq_len, off + 1) < V::seq_cost(V::max_seq_len, off))
            return false;
    return true;
}
static_assert(seq_cost_rises<ktb_variant>());
static_assert(seq_cost_rises<kta_variant>());

// Whether candidate i may change the walk's result or must be visited; its stretch is read
// only where the length allows a change (as settle passes one on).
template <class V>
bool wanted(const run_scan& s, int i, int len) {
    const period_query& k = *s.k;
    const int c = cand(s, i), off = k.p - c;
    if (c < k.fresh_c && len > off + 2) return true;
    if (len >= k.stretch_len && passes_on_stretch(s.t->stretch[c], len, k.excess)) return true;
    return key_of(s.t->cost[k.p - len] + V::seq_cost(len, off), len) < k.best_key;
}

// The first candidate in i0..i1 that may beat the best, or -1; -2 when the budget ran out.
// Lengths fall with i, so their cost positions p - len rise: the cost minima bound a range.
template <class V>
int first_cheaper(const run_scan& s, int i0, int i1, int& budget) {
    if (budget-- <= 0) return -2;
    const period_query& k = *s.k;
    const int len0 = match_len<V>(s, i0), len1 = match_len<V>(s, i1);
    const int least = least_cost(*s.t, k.p - len0, k.p - len1);
    if (key_of(least + V::seq_cost(len1, offset(s, i0)), len0) >= k.best_key) return -1;
    if (i0 == i1) return i0;
    const int mid = (i0 + i1) / 2;
    const int x = first_cheaper<V>(s, i0, mid, budget);
    return x != -1 ? x : first_cheaper<V>(s, mid + 1, i1, budget);
}

// The first candidate of i0..i1 (i0 <= i1) below fresh_c, or INT_MAX.
int first_fresh(const run_scan& s, int i0, int i1) {
    const int i = std::max(i0, (s.c0 - s.k->fresh_c) / s.k->q + 1);
    return i <= i1 ? i : INT_MAX;
}

// The first wanted candidate of the run's i0..i1 (i0 <= i1), or -1; -2 when the budget ran
// out. Where A_c > A_p (up to long_end) the length is the same, so only the first of each
// offset class and the first below fresh_c are tested; the rest rely on first_cheaper.
template <class V>
int first_wanted(const run_scan& s, int i0, int i1, int long_end, int& budget) {
    // The equal length part.
    if (i0 < long_end) {
        const int end = std::min(i1, long_end - 1);
        const int len = match_len<V>(s, i0);
        int best = INT_MAX;
        for (int i = i0; i <= end;) {
            if (budget-- <= 0) return -2;
            if (wanted<V>(s, i, len)) {
                best = i;
                break;
            }
            // Each candidate's own stretch decides.
            if (len >= s.k->stretch_len) {
                ++i;
                continue;
            }
            // The next offset class.
            const int cost_here = V::seq_cost(len, offset(s, i));
            int lo = i + 1, hi = end + 1;
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (V::seq_cost(len, offset(s, mid)) != cost_here)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            i = lo;
        }
        if (const int f = first_fresh(s, i0, end); f < best && wanted<V>(s, f, len)) best = f;
        if (best != INT_MAX) return best;
        i0 = end + 1;
        if (i0 > i1) return -1;
    }
    // Falling lengths: candidates long enough to change the stretch come first, each tested;
    // the fresh test holds from the first below fresh_c on.
    for (; i0 <= i1 && match_len<V>(s, i0) >= s.k->stretch_len; ++i0) {
        if (budget-- <= 0) return -2;
        if (wanted<V>(s, i0, match_len<V>(s, i0))) return i0;
    }
    if (i0 > i1) return -1;
    const int f = first_fresh(s, i0, i1);
    const bool f_wanted = f != INT_MAX && match_len<V>(s, f) > offset(s, f) + 2;
    const int x = first_cheaper<V>(s, i0, f_wanted ? f - 1 : i1, budget);
    if (x != -1 || !f_wanted) return x;
    return f;
}

} // namespace

template <class V>
int nearest_in_period(const pack_tables& t, const uint8_t* b, const period_query& k, int& hi_c,
                      int& budget, int& len) {
    const int q = k.q, p = k.p;
    const uint16_t* run = t.period_run[q - 1];
    const int need = k.l0 - q;
    run_scan s{&t, b, &k, 0, 0, run[p] + q};
    int j = hi_c;
    while (j >= k.low_c) {
        if (budget-- <= 0) {
            hi_c = j;
            return 0;
        }
        const int r = run[j];
        // Positions from j - r + need on end an l0-byte q-periodic string; p's is the one
        // whose last q bytes are p's, every q positions.
        const int lowest = std::max(k.low_c, j - r + need);
        for (int c = j; c >= lowest && c > j - q; --c) {
            if (b[c] != b[p] || !std::equal(b + c - q + 1, b + c, b + p - q + 1)) continue;
            s.c0 = c;
            s.r0 = r - (j - c);
            // Candidates before long_end match more than A_p bytes periodically.
            const int long_end = std::max(0, (s.r0 + q - s.a_p + q - 1) / q);
            const int x = first_wanted<V>(s, 0, (c - lowest) / q, long_end, budget);
            if (x == -2) {
                hi_c = j;
                return 0;
            }
            if (x >= 0) {
                const int found = cand(s, x);
                len = match_len<V>(s, x);
                hi_c = found - 1;
                return found;
            }
            break;
        }
        j -= r + 1;
    }
    hi_c = k.low_c - 1;
    return 0;
}

template int nearest_in_period<ktb_variant>(const pack_tables&, const uint8_t*, const period_query&,
                                            int&, int&, int&);
template int nearest_in_period<kta_variant>(const pack_tables&, const uint8_t*, const period_query&,
                                            int&, int&, int&);
