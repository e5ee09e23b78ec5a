// The forward pass with a cheap candidate visit. Each pair's positions lie in one contiguous
// list, walked backwards, and each entry carries the bytes that settle most visits without
// touching the tables. It makes exactly the choices of the plain walk (forward_pass_plain.cpp);
// the comments give the reason each shortcut changes nothing.
#include <algorithm>
#include <bit>
#include <climits>

#include "forward_pass.h"
#include "parse_steps.h"
#include "variant.h"

namespace {

// An entry of pair_pos: c, then B[c+1], then the period of c's stretch if it is 1, 2 or 3
// (set once c has been parsed), then B[c-2] .. B[c-5] nearest first.
constexpr int entry_after_shift = 16;
constexpr int entry_period_shift = 24;
constexpr int entry_context_shift = 32;

// B[p-2] .. B[p-5], nearest in the low byte; bytes before position 0 count as 0.
uint64_t context_before(const uint8_t* b, int p) {
    if (p >= 5)
        return uint64_t(b[p - 2]) | uint64_t(b[p - 3]) << 8 | uint64_t(b[p - 4]) << 16 |
               uint64_t(b[p - 5]) << 24;
    uint64_t x = 0;
    for (int k = 5; k >= 2; --k) x = x << 8 | (p - k >= 0 ? b[p - k] : 0u);
    return x;
}

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
    uint64_t context = context_before(b, n - 1);
    for (int p = n - 1; p >= 1; --p) {
        const uint32_t slot = --t.pair_first[b[p - 1] << 8 | b[p]];
        const uint64_t after = p + 1 < n ? b[p + 1] : 0;
        t.pair_pos[slot] = uint64_t(p) | after << entry_after_shift | context << entry_context_shift;
        t.pair_slot[p] = uint16_t(slot);
        context = context >> 8 | uint64_t(p >= 6 ? b[p - 6] : 0u) << 24;
    }
}

// Once p is parsed, its entry carries the period of its stretch if that is 1, 2 or 3.
void note_short_period(pack_tables& t, int p) {
    if (const int q = t.stretch[p].period; q >= 1 && q <= 3)
        t.pair_pos[t.pair_slot[p]] |= uint64_t(q) << entry_period_shift;
}

// The bound below which the walk at p ends: c < best_len can't give a longer match,
// p - c beyond the largest offset is out of reach, and a best of the largest length ends it.
template <class V>
int walk_bound(int p, int best_len) {
    if (best_len >= V::max_seq_len) return INT_MAX;
    return std::max({1, best_len, p - V::max_offset});
}

// The one length at which a sequence costs one more than a byte shorter one, or 0 if there
// is none; checked against the variant's cost rule at every length.
template <class V>
constexpr int len_cost_step() {
    int step = 0;
    for (int len = 3; len <= V::max_seq_len; ++len)
        if (V::seq_cost(len, 1) != V::seq_cost(len - 1, 1)) step = len;
    return step;
}

template <class V>
constexpr bool len_cost_step_holds() {
    constexpr int step = len_cost_step<V>();
    for (int len = 3; len <= V::max_seq_len; ++len)
        for (int off : {1, V::max_offset})
            if (V::seq_cost(len, off) - V::seq_cost(len - 1, off) != int(len == step)) return false;
    return true;
}
static_assert(len_cost_step_holds<ktb_variant>());
static_assert(len_cost_step_holds<kta_variant>());

// The short loop over candidates from index i down: it takes each candidate that way B settles
// with nothing to do but write the memo (at or above floor, memo from prev, no stretch to
// inherit, not better than the best), and gives the index of the first one it can't take,
// which the full visit then examines from scratch. floor keeps it at or above the walk's
// bound and above way A's candidate; no candidate of the run lies above skip_above, since the
// run starts below an examined one and nothing in it moves skip_above.
template <class V>
int memo_run(const uint64_t* pair_pos, int i, int lo, memo_rec* memo, int p, int floor,
             int len_limit, uint64_t best_key) {
    for (; i >= lo; --i) {
        const int c = int(pair_pos[i] & 0xFFFF);
        if (c < floor) break;
        // The memo of c - 1 moved on: position + 1, length + 1 (see memo_word).
        uint64_t v = memo_word(memo[c - 1]) + 0x10001;
        // Position field p and length at most len_limit in one test: after subtracting p a
        // wrong position leaves low bits, which the rotation puts above any length.
        if (std::rotr(uint32_t(v) - uint32_t(p), 16) > uint32_t(len_limit)) break;
        // One byte longer, the same start: the offset part of the cost stays, the length part
        // grows by one at one length at most.
        // Named constants, so that every compiler folds them rather than run the loops per visit.
        constexpr int step = len_cost_step<V>();
        if constexpr (step != 0) v += uint64_t((v >> 16 & 0xFFFF) == uint64_t(step)) << 32;
        // The key of the best, cost then length (see forward_pass), from the same word.
        if (((v >> 16) ^ 0xFFFF) < best_key) break;
        put_memo_word(memo[c], v);
    }
    return i;
}

// Where the memo of candidate c (entry e) goes at p: c, or the spare entry when B[c+1] differs
// from B[p+1] (see forward_pass). Chosen without a branch: on some data both are as likely.
int memo_slot(uint64_t e, int c, uint64_t after) {
    const int unread = int(((e >> entry_after_shift) & 0xFF) != after);
    return c + unread * (max_input - c);
}

// The offset from which a sequence of 2 to 5 bytes costs more than a nearer one, checked
// against the variant's cost rule (one past the largest offset if it never does).
template <class V>
constexpr int far_offset() {
    int w = 1;
    while (w <= V::max_offset && V::seq_cost(2, w) == V::seq_cost(2, 1)) ++w;
    return w;
}

template <class V>
constexpr bool far_offset_holds() {
    constexpr int far = far_offset<V>();
    for (int len = 2; len <= 5; ++len) {
        const int near_cost = V::seq_cost(len, 1), far_cost = V::seq_cost(len, V::max_offset);
        for (int w = 1; w <= V::max_offset; ++w)
            if (V::seq_cost(len, w) != (w < far ? near_cost : far_cost)) return false;
    }
    return true;
}
static_assert(far_offset_holds<ktb_variant>());
static_assert(far_offset_holds<kta_variant>());

// The memo words at p for lengths 2 to 5 (index len), and at the far offsets (index len + 8).
template <class V>
void fill_short_memos(const int32_t* cost, int p, uint64_t* short_memos) {
    for (int len = 2; len <= 5 && len <= p; ++len)
        for (int far = 0; far <= 1; ++far) {
            const int seq = cost[p - len] + V::seq_cost(len, far ? V::max_offset : 1);
            short_memos[len + 8 * far] =
                uint64_t(p) | uint64_t(len) << 16 | uint64_t(uint32_t(seq)) << 32;
        }
}

// The loop over candidates that the bytes before the pair settle alone (see the full visit):
// from index i down to lo_run, it takes each whose length the entry gives and whose only
// effect is its memo, as long as none becomes the best, and gives the index of the first it
// can't take, which the full visit then examines from scratch. full_near and full_far hold,
// per byte, the length from which a candidate of short period 0 to 3 needs the full visit, at
// offsets 1 and 2 and at offsets from 3 on.
template <class V>
int context_run(pack_tables& t, int i, int lo_run, int p, int bound, int span, uint64_t context,
                uint64_t after, uint32_t full_near, uint32_t full_far, const uint64_t* short_memos,
                uint64_t best_key) {
    for (; i >= lo_run; --i) {
        const uint64_t e = t.pair_pos[i];
        const int c = int(e & 0xFFFF);
        if (unsigned(c - bound) >= unsigned(span)) break;
        const uint64_t diff = (e >> entry_context_shift) ^ context;
        if (diff == 0) break;
        const int len = std::min(2 + (std::countr_zero(diff) >> 3), c + 1);
        const int small_period = int(e >> entry_period_shift) & 3;
        const uint32_t full_from = p - c >= 3 ? full_far : full_near;
        if (len >= int(full_from >> (8 * small_period) & 0xFF)) break;
        constexpr int far = far_offset<V>();
        const uint64_t m = short_memos[len + (p - c >= far ? 8 : 0)];
        if (((m >> 16) ^ 0xFFFF) < best_key) break;
        put_memo_word(t.memo[memo_slot(e, c, after)], m);
    }
    return i;
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

        // The nearest candidate at the offset of the sequence ending at prev, in reach: way A
        // gives its length and ends the walk, so it is the only candidate examined, as in long
        // runs and repeats. Its memo goes where the plain walk puts it.
        if (const int first = int(t.pair_slot[p]) - 1; first >= lo && t.step_len[prev] != 0) {
            const int c = int(t.pair_pos[first] & 0xFFFF);
            const int w = p - c;
            if (w == t.step_off[prev] && w <= V::max_offset) {
                walk_result r;
                r.best_len = std::min({t.step_len[prev] + 1, c + 1, V::max_seq_len});
                r.best_off = w;
                r.best_cost = t.cost[p - r.best_len] + V::seq_cost(r.best_len, w);
                put_memo(t.memo[c], p, r.best_len, r.best_cost);
                inherit_stretch(t.stretch[c], r.best_len, r);
                if (int status = decide<V>(t, p, lit_cost, r, run_count)) return status;
                note_short_period(t, p);
                continue;
            }
        }

        // No candidate, or the nearest one out of reach: p keeps the literal, and its stretch
        // record stays 0 from the zeroed start, as in the plain walk.
        if (const int first = int(t.pair_slot[p]) - 1;
            first < lo || p - int(t.pair_pos[first] & 0xFFFF) > V::max_offset)
            continue;

        int skip_above = max_input;
        int bound = walk_bound<V>(p, 0);
        // Candidates from bound to skip_above are examined: c - bound < span, taken unsigned,
        // tests both ends at once. Recomputed whenever either end moves.
        auto span_of = [&] { return std::max(skip_above, bound - 1) - bound + 1; };
        int span = span_of();
        // The best so far as one number: lower cost first, then the longer length; a later
        // candidate replaces it only when strictly better, so at a tie the nearer one stays.
        uint64_t best_key = UINT64_MAX;
        int best_off = 0;
        // A candidate's sequence becomes the best when strictly better; the walk's bound follows.
        auto offer = [&](int seq, int len, int w) {
            const uint64_t key = uint64_t(seq) << 16 | uint64_t(0xFFFF - len);
            if (key < best_key) {
                best_key = key;
                best_off = w;
                bound = walk_bound<V>(p, len);
                span = span_of();
            }
        };
        int rep_period = 0;
        int rep_len = 0;
        // A stretch can be inherited only from a length above this (see inherit_stretch:
        // m > 2q >= 2 and m - q > rep_len - rep_period, with m <= len and q >= 1).
        int inherit_floor = 2;
        // The short loop takes lengths up to this: no stretch to pass on, no cap to meet.
        int run_len_limit = std::min(inherit_floor, V::max_seq_len);
        // Way A can only apply to the candidate at the offset of the sequence ending at prev.
        const int a_cand = t.step_len[prev] != 0 ? p - t.step_off[prev] : -1;
        const uint64_t context = context_before(b, p);
        // Bit q set: period q (1 to 3) also ends at p - q, the other condition of way C.
        unsigned shortcut_periods = 0;
        for (int q = 1; q <= 3 && q < p; ++q)
            shortcut_periods |= unsigned(t.stretch[p - q].period == q) << q;
        // memo[c] = p is read only at p + 1, by candidate c + 1, which exists only when
        // B[c+1] = B[p+1]. Other memos go to the spare entry: an unwritten memo keeps an older
        // position, which no later prev equals.
        const uint64_t after = p + 1 < n ? b[p + 1] : 0x100;
        const int32_t* const cost = t.cost;
        memo_rec* const memo = t.memo;
        // The settling condition of the full visit below as a length per short period: a
        // candidate of short period q (0 = none) needs the full visit from this length on.
        auto full_from_of = [&] {
            uint32_t x = 0xFF;
            for (int q = 1; q <= 3; ++q) {
                const int from =
                    std::max(2 * q, (shortcut_periods >> q & 1) ? 0 : inherit_floor + 1);
                x |= uint32_t(std::min(from, 0xFF)) << (8 * q);
            }
            return x;
        };
        uint32_t full_from = full_from_of();
        // Farther out, way C's skip_above comes to nothing: with the length L at most 5 known
        // and the offset w at least 3 >= L - 2, it sets skip_above = p - L' + 1 with L' <= L,
        // which is c - 1 or more, so it passes over no candidate below c; nor did the bound it
        // replaces, since c itself was examined. Only the inherited stretch is left, which
        // needs a length above two periods and above inherit_floor.
        auto full_far_of = [&] {
            uint32_t x = 0xFF;
            for (int q = 1; q <= 3; ++q)
                x |= uint32_t(std::min(std::max(2 * q + 1, inherit_floor + 1), 0xFF)) << (8 * q);
            return x;
        };
        uint32_t full_far = full_far_of();
        uint64_t short_memos[16] = {};
        fill_short_memos<V>(t.cost, p, short_memos);
        // The context loop stops above way A's candidate, if it is in this list, and leaves
        // it to the full visit.
        int lo_run = lo;
        if (a_cand >= 1 && b[a_cand - 1] == b[prev] && b[a_cand] == b[p])
            lo_run = std::max(lo, int(t.pair_slot[a_cand]) + 1);

        bool in_run = false;
        int run_from = 0; // the candidate whose way B visit started the run
        for (int i = int(t.pair_slot[p]) - 1; i >= lo; --i) {
            // After a way B visit, a run of more such visits is likely (long repeats, sparse
            // data); the short loop takes them, stopping at the first it can't settle alone.
            if (in_run) {
                const int floor = std::max(bound, a_cand < run_from ? a_cand + 1 : 0);
                i = memo_run<V>(t.pair_pos, i, lo, memo, p, floor, run_len_limit, best_key);
                in_run = false;
                if (i < lo) break;
            }
            i = context_run<V>(t, i, lo_run, p, bound, span, context, after, full_from, full_far,
                               short_memos, best_key);
            if (i < lo) break;
            const uint64_t e = t.pair_pos[i];
            const int c = int(e & 0xFFFF);
            if (unsigned(c - bound) >= unsigned(span)) {
                if (c < bound) break;
                continue; // above skip_above: passed over
            }
            const int w = p - c;
            const int memo_at = memo_slot(e, c, after);
            const uint64_t diff = (e >> entry_context_shift) ^ context;
            int len;
            if (diff != 0 && c != a_cand) {
                // The bytes before the pair differ within four: the match length is known.
                // Ways B and D give that length too, without side effects; way C does as long
                // as the length is under two periods, and then no stretch can be inherited.
                // A length of at most 5 is two periods only for periods 1 to 3. Nor does way C
                // apply where p - q ends no stretch of that period; then a length up to
                // inherit_floor settles it too.
                len = std::min(2 + (std::countr_zero(diff) >> 3), c + 1);
                const int small_period = int(e >> entry_period_shift) & 3;
                if ((small_period == 0) | (2 * small_period > len) |
                    ((((shortcut_periods >> small_period) & 1) == 0) & (len <= inherit_floor))) {
                    const int seq = cost[p - len] + V::seq_cost(len, w);
                    put_memo(memo[memo_at], p, len, seq);
                    offer(seq, len, w);
                    continue;
                }
            }
            const int max_len = std::min(c + 1, V::max_seq_len);
            int q;
            int seq;
            if (const memo_rec m = memo[c - 1]; m.memo_pos == prev && c != a_cand &&
                                                m.memo_len < V::max_seq_len) {
                // Way B. The memo came from a visit of c - 1, at most c long, and carries that
                // visit's sequence cost: one byte longer, the sequence starts at the same place.
                len = m.memo_len + 1;
                seq = m.memo_cost + V::seq_cost(len, w) - V::seq_cost(len - 1, w);
                in_run = true;
                run_from = c;
            } else {
                if (c == a_cand) {
                    len = std::min(t.step_len[prev] + 1, max_len);
                } else if (m.memo_pos == prev) {
                    len = max_len; // way B at the longest length
                } else if ((q = t.stretch[c].period) != 0 && t.stretch[p - q].period == q) {
                    len = repeat_shortcut<V>(t, b, c, p, q, max_len, skip_above);
                    span = span_of();
                } else {
                    len = compare_back(b, c, p, max_len);
                }
                seq = cost[p - len] + V::seq_cost(len, w);
            }
            put_memo(memo[memo_at], p, len, seq);
            offer(seq, len, w);
            if (len > inherit_floor) {
                const stretch_rec sc = t.stretch[c];
                if (sc.period != 0) {
                    const int m = std::min(len, int(sc.period_len));
                    if (m > 2 * sc.period && m - sc.period > rep_len - rep_period) {
                        rep_period = sc.period;
                        rep_len = m;
                        inherit_floor = std::max(2, rep_len - rep_period + 1);
                        run_len_limit = std::min(inherit_floor, V::max_seq_len);
                        full_from = full_from_of();
                        full_far = full_far_of();
                    }
                }
            }
            if (c == a_cand) break;
        }
        if (best_key == UINT64_MAX) continue; // no candidate in reach
        walk_result r;
        r.best_cost = int(best_key >> 16);
        r.best_len = int(0xFFFF - (best_key & 0xFFFF));
        r.best_off = best_off;
        r.rep_period = rep_period;
        r.rep_len = rep_len;
        if (int status = decide<V>(t, p, lit_cost, r, run_count)) return status;
        note_short_period(t, p);
    }
    return 0;
}

template int forward_pass<ktb_variant>(pack_tables&, const uint8_t*, int);
template int forward_pass<kta_variant>(pack_tables&, const uint8_t*, int);
