// The forward pass with a cheap candidate visit. Each pair's positions lie in one contiguous
// list (pair_lists.h), walked backwards, and each entry carries the bytes that settle most
// visits without touching the tables. It makes exactly the choices of the reference walk that
// the tests keep; the comments give the reason each shortcut changes nothing.
#include <algorithm>
#include <bit>
#include <climits>

#include "candidate_jump.h"
#include "forward_pass.h"
#include "gram_lists.h"
#include "pair_lists.h"
#include "parse_steps.h"
#include "period_jump.h"
#include "two_symbol_lists.h"
#include "variant.h"
#include "window_walk.h"

namespace {

// Entries of the rarest pair's list a jump checks at most, and candidates the usual walk
// examines before the first try (the tries then come at doubling distances).
constexpr int jump_budget = 256;
// Pair list entries in range from which a string list may be shorter.
constexpr int gram_from = 64;
// Runs and candidates a jump through runs of a period tests at most (each test is cheap).
constexpr int period_jump_budget = 4096;
// The short window of KTA leaves too little to pass over.
template <class V>
constexpr bool jumps = V::max_offset >= 4096;
constexpr int jump_first = 48;
// Full visits after which the first try comes at once, where the pair has at least
// jump_early_left candidates and the last walk's tries each passed over some: where most
// candidates need the full visit (periodic data with noise), passing over them pays sooner,
// while where the entries' context settles most of them (text), the list is short or the jumps
// find the lists too long (two-symbol data), a try costs more than the visits it saves.
constexpr int jump_after_visits = 8;
constexpr int jump_early_left = 512;
// Under the same conditions, where one of the two pairs just before p's pair ends at most
// jump_rare_count positions, the jump finds the candidates long enough to matter through that
// short list (periodic data where noise lies just before p), so its first try comes after
// jump_rare_first candidates.
constexpr int jump_rare_count = 16;
constexpr int jump_rare_first = 8;
// Bytes compared per candidate passed over that the jumps may cost in all (a byte compared
// takes about a sixteenth of a candidate's visit).
constexpr int64_t jump_cost_limit = 16;

// The walk at one position: the range of candidates still to examine, the best so far and
// what decides which candidates need the full visit. These fields start afresh at each
// position; the short memos (walk_state) are written before they are read.
struct walk_fields {
    int p = 0;
    int skip_above = max_input;
    int bound = 0;
    // Candidates from bound to skip_above are examined: c - bound < span, taken unsigned,
    // tests both ends at once. Recomputed whenever either end moves (set_span).
    int span = 0;
    // The best so far as one number: lower cost first, then the longer length; a later
    // candidate replaces it only when strictly better, so at a tie the nearer one stays.
    uint64_t best_key = UINT64_MAX;
    int best_off = 0;
    int rep_period = 0;
    int rep_len = 0;
    // A stretch can be inherited only from a length above this (see inherit_stretch:
    // m > 2q >= 2 and m - q > rep_len - rep_period, with m <= len and q >= 1).
    int inherit_floor = 2;
    // The short loop takes lengths up to this: no stretch to pass on, no cap to meet.
    int run_len_limit = 0;
    // Way A can only apply to the candidate at the offset of the sequence ending at prev.
    int a_cand = -1;
    uint64_t context = 0;
    // Bit q set: period q (1 to 3) also ends at p - q, the other condition of way C.
    unsigned shortcut_periods = 0;
    // B[p+1], or 0x100 past the end (see the memo rule in forward_pass).
    uint64_t after = 0;
    // Per short period q (byte q, 0 = none), the length from which a candidate needs the full
    // visit: at offsets 1 and 2 (full_from) and from 3 on (full_far).
    uint32_t full_from = 0;
    uint32_t full_far = 0;
    // Offsets the walk at p - 1 examined without writing a memo (lo > hi: none).
    int prev_jump_lo = 1;
    int prev_jump_hi = 0;
    // A candidate was passed over (above skip_above); the offsets it leaves out are unknown.
    bool had_skip = false;
    // The offsets examined here without a memo.
    int jump_lo = 1;
    int jump_hi = 0;
    // What useful_for_stretch learnt at p for the excess stretch_x: offsets 1 to stretch_q
    // checked, and whether p matches itself over more than stretch_x bytes at stretch_q.
    int stretch_x = -1;
    int stretch_q = 0;
    bool stretch_found = false;
    // The jump tries here: 0 none, 1 all taken, 2 some passed over nothing.
    int tries = 0;
    // The index at which the walk ended: from the first candidate down to it, the entries it
    // went through; and how many of them took the full visit.
    int end_i = 0;
    int full_visits = 0;
};

// The memo words of lengths 2 to 5 (fill_short_memos) beside the fields: left out of the
// fields' reset at each position, which built the whole state in a temporary and copied it.
struct walk_state : walk_fields {
    uint64_t short_memos[16];
};

void set_span(walk_state& w) { w.span = std::max(w.skip_above, w.bound - 1) - w.bound + 1; }

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
        const int c = entry_pos(pair_pos[i]);
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

// A farther offset never costs less, on either side of the length's cost step (the jumps take
// the nearest offset left as the cheapest).
template <class V>
constexpr bool offset_cost_grows() {
    constexpr int step = len_cost_step<V>();
    for (int len : {2, step > 2 ? step - 1 : 2, step > 2 ? step : 2, V::max_seq_len})
        for (int off = 2; off <= V::max_offset; ++off)
            if (V::seq_cost(len, off) < V::seq_cost(len, off - 1)) return false;
    return true;
}
static_assert(offset_cost_grows<ktb_variant>());
static_assert(offset_cost_grows<kta_variant>());

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
// can't take, which the full visit then examines from scratch. w.full_from and w.full_far hold,
// per byte, the length from which a candidate of short period 0 to 3 needs the full visit, at
// offsets 1 and 2 and at offsets from 3 on.
template <class V>
int context_run(pack_tables& t, int i, int lo_run, const walk_state& w) {
    const int p = w.p;
    for (; i >= lo_run; --i) {
        const uint64_t e = t.pair_pos[i];
        const int c = entry_pos(e);
        if (unsigned(c - w.bound) >= unsigned(w.span)) break;
        const uint64_t diff = (e >> entry_context_shift) ^ w.context;
        if (diff == 0) break;
        const int len = std::min(2 + (std::countr_zero(diff) >> 3), c + 1);
        const int small_period = int(e >> entry_period_shift) & 3;
        const uint32_t full_from = p - c >= 3 ? w.full_far : w.full_from;
        if (len >= int(full_from >> (8 * small_period) & 0xFF)) break;
        constexpr int far = far_offset<V>();
        const uint64_t m = w.short_memos[len + (p - c >= far ? 8 : 0)];
        if (((m >> 16) ^ 0xFFFF) < w.best_key) break;
        put_memo_word(t.memo[memo_slot(e, c, w.after)], m);
    }
    return i;
}

// A candidate's sequence becomes the best when strictly better; the walk's bound follows.
template <class V>
void offer(walk_state& w, int seq, int len, int off) {
    const uint64_t key = key_of(seq, len);
    if (key < w.best_key) {
        w.best_key = key;
        w.best_off = off;
        w.bound = walk_bound<V>(w.p, len);
        set_span(w);
    }
}

// The settling condition of the full visit as a length per short period. Farther out, way C's
// skip_above comes to nothing: with the length L at most 5 known and the offset at least
// 3 >= L - 2, it sets skip_above = p - L' + 1 with L' <= L, which is c - 1 or more, so it
// passes over no candidate below c; nor did the bound it replaces, since c itself was
// examined. Only the inherited stretch is left, which needs a length above two periods and
// above inherit_floor.
template <class V>
void set_full_limits(walk_state& w) {
    w.run_len_limit = std::min(w.inherit_floor, V::max_seq_len);
    uint32_t near = 0xFF, far = 0xFF;
    for (int q = 1; q <= 3; ++q) {
        const int from = std::max(2 * q, (w.shortcut_periods >> q & 1) ? 0 : w.inherit_floor + 1);
        near |= uint32_t(std::min(from, 0xFF)) << (8 * q);
        far |= uint32_t(std::min(std::max(2 * q + 1, w.inherit_floor + 1), 0xFF)) << (8 * q);
    }
    w.full_from = near;
    w.full_far = far;
}

// Once p is parsed: where its stretch's period ends one period on, way C may apply.
void note_period_end(pack_tables& t, int p) {
    if (const int q = t.stretch[p].period; q != 0 && p + q < max_input) t.period_end[p + q] = 1;
}

// The walk's state at p before its first candidate.
template <class V>
void start_walk_at(walk_state& w, const pack_tables& t, const uint8_t* b, int p, int n) {
    static_cast<walk_fields&>(w) = walk_fields{};
    w.p = p;
    w.bound = walk_bound<V>(p, 0);
    set_span(w);
    const int prev = p - 1;
    w.a_cand = t.step_len[prev] != 0 ? p - t.step_off[prev] : -1;
    w.context = context_before(b, p);
    for (int q = 1; q <= 3 && q < p; ++q)
        w.shortcut_periods |= unsigned(t.stretch[p - q].period == q) << q;
    // memo[c] = p is read only at p + 1, by candidate c + 1, which exists only when
    // B[c+1] = B[p+1]. Other memos go to the spare entry: an unwritten memo keeps an older
    // position, which no later prev equals.
    w.after = p + 1 < n ? b[p + 1] : 0x100;
    w.prev_jump_lo = t.jump_lo[prev];
    w.prev_jump_hi = t.jump_hi[prev];
    set_full_limits<V>(w);
    fill_short_memos<V>(t.cost, p, w.short_memos);
}

// The nearest candidate at the offset of the sequence ending at prev, in reach: way A gives
// its length and ends the walk, so it is the only candidate examined, as in long runs and
// repeats. Its memo goes where the reference walk puts it. False when way A doesn't apply.
template <class V>
bool take_way_a(pack_tables& t, int p, int lo, int lit_cost, int& run_count, pack_status& status) {
    const int prev = p - 1;
    const int first = int(t.pair_slot[p]) - 1;
    if (first < lo || t.step_len[prev] == 0) return false;
    const int c = entry_pos(t.pair_pos[first]);
    const int w = p - c;
    if (w != t.step_off[prev] || w > V::max_offset) return false;
    walk_result r;
    r.best_len = std::min({t.step_len[prev] + 1, c + 1, V::max_seq_len});
    r.best_off = w;
    r.best_cost = t.cost[p - r.best_len] + V::seq_cost(r.best_len, w);
    put_memo(t.memo[c], p, r.best_len, r.best_cost);
    inherit_stretch(t.stretch[c], r.best_len, r);
    if constexpr (jumps<V>) t.walk_end[p] = uint16_t(w);
    status = decide<V>(t, p, lit_cost, r, run_count);
    if (!failed(status)) {
        note_short_period(t, p);
        if constexpr (jumps<V>) note_period_end(t, p);
    }
    return true;
}

// The stretch candidate c may pass on with a match of len bytes.
template <class V>
void take_stretch(const pack_tables& t, walk_state& w, int c, int len) {
    if (len <= w.inherit_floor) return;
    if (const stretch_rec sc = t.stretch[c]; passes_on_stretch(sc, len, w.rep_len - w.rep_period)) {
        w.rep_period = sc.period;
        w.rep_len = std::min(len, int(sc.period_len));
        w.inherit_floor = std::max(2, w.rep_len - w.rep_period + 1);
        set_full_limits<V>(w);
    }
}

// A candidate's length known: its memo, the best, and the stretch it may pass on.
template <class V>
void settle(pack_tables& t, walk_state& w, int c, int memo_at, int len, int seq, int off) {
    put_memo(t.memo[memo_at], w.p, len, seq);
    offer<V>(w, seq, len, off);
    take_stretch<V>(t, w, c, len);
}

// The full visit of candidate c (entry e) at p; gives true when the visit took its length
// from the memo of c - 1 (way B), after which a run of such visits is likely.
template <class V>
bool full_visit(pack_tables& t, const uint8_t* b, walk_state& w, uint64_t e) {
    const int p = w.p;
    const int prev = p - 1;
    const int c = entry_pos(e);
    const int off = p - c;
    const int memo_at = memo_slot(e, c, w.after);
    const uint64_t diff = (e >> entry_context_shift) ^ w.context;
    int len;
    if (diff != 0 && c != w.a_cand) {
        // The bytes before the pair differ within four: the match length is known. Ways B and
        // D give that length too, without side effects; way C does as long as the length is
        // under two periods, and then no stretch can be inherited. A length of at most 5 is
        // two periods only for periods 1 to 3. Nor does way C apply where p - q ends no
        // stretch of that period; then a length up to inherit_floor settles it too.
        len = std::min(2 + (std::countr_zero(diff) >> 3), c + 1);
        const int small_period = int(e >> entry_period_shift) & 3;
        if ((small_period == 0) | (2 * small_period > len) |
            ((((w.shortcut_periods >> small_period) & 1) == 0) & (len <= w.inherit_floor))) {
            const int seq = t.cost[p - len] + V::seq_cost(len, off);
            put_memo(t.memo[memo_at], p, len, seq);
            offer<V>(w, seq, len, off);
            return false;
        }
    }
    const int max_len = std::min(c + 1, V::max_seq_len);
    bool way_b = false;
    int q;
    int seq;
    if (const memo_rec m = t.memo[c - 1];
        m.memo_pos == prev && c != w.a_cand && m.memo_len < V::max_seq_len) {
        // Way B. The memo came from a visit of c - 1, at most c long, and carries that visit's
        // sequence cost: one byte longer, the sequence starts at the same place.
        len = m.memo_len + 1;
        seq = m.memo_cost + V::seq_cost(len, off) - V::seq_cost(len - 1, off);
        way_b = true;
    } else {
        if (c == w.a_cand) {
            len = std::min(t.step_len[prev] + 1, max_len);
        } else if (m.memo_pos == prev) {
            len = max_len; // way B at the longest length
        } else if (jumps<V> && off >= w.prev_jump_lo && off <= w.prev_jump_hi && c >= 2 &&
                   b[c - 2] == b[p - 2]) {
            // Way B for a candidate whose c - 1 the walk at p - 1 passed over in one step
            // (examined, but without a memo): the same length, compared.
            len = compare_back<true>(b, c, p, max_len);
            t.jump_cost += len;
        } else if ((q = t.stretch[c].period) != 0 && t.stretch[p - q].period == q) {
            len = repeat_shortcut<V, true>(t, b, c, p, q, max_len, w.skip_above);
            set_span(w);
        } else {
            len = compare_back<true>(b, c, p, max_len);
        }
        seq = t.cost[p - len] + V::seq_cost(len, off);
    }
    settle<V>(t, w, c, memo_at, len, seq, off);
    return way_b;
}

// A jump over the candidates from index i down: the outcome, and where the walk goes on.
struct jump_outcome {
    bool taken = false;
    bool done = false; // the walk ended inside the jump
    int end_c = 1;     // done: every candidate from end_c up was examined
    int next_i = 0;    // not done: the index of the first candidate left to the usual walk
};

// The smallest length l in lo..hi with cost[p - l] <= limit, or INT_MAX (cost minima filled
// below p - 1).
int first_cheap_length(const pack_tables& t, int p, int lo, int hi, int limit) {
    hi = std::min(hi, p);
    if (lo > hi) return INT_MAX;
    // Mostly lo itself (periods with noise: nearly every length found is the first), which one
    // cost tells without reading the minima.
    if (t.cost[p - lo] <= limit) return lo;
    if (least_cost(t, p - hi, p - lo) > limit) return INT_MAX;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (least_cost(t, p - mid, p - lo) <= limit)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// The smallest l in lo..hi that may give a sequence at offset off or farther cheaper than cost,
// or as cheap when equal_too; split where the length part of the cost steps up.
template <class V>
int first_useful_length(const pack_tables& t, int p, int lo, int hi, int off, int cost,
                        bool equal_too) {
    constexpr int step = len_cost_step<V>();
    const int slack = equal_too ? 0 : 1;
    if (step != 0 && lo < step && hi >= step) {
        const int below =
            first_cheap_length(t, p, lo, step - 1, cost - V::seq_cost(lo, off) - slack);
        if (below != INT_MAX) return below;
        return first_cheap_length(t, p, step, hi, cost - V::seq_cost(step, off) - slack);
    }
    return first_cheap_length(t, p, lo, hi, cost - V::seq_cost(lo, off) - slack);
}

// Offsets at which useful_for_stretch checks whether p matches itself: up to the longest
// period of the jump through runs, so that those periods get their own bound.
constexpr int stretch_offsets = max_jump_period;

// useful_for_stretch's bound where p matches itself over more than x bytes at none of them.
constexpr int stretch_bound_beyond(int x) {
    return std::max(2 * stretch_offsets + 3, x + stretch_offsets + 2);
}

// The shortest length from which a candidate can change the inherited stretch, or a length
// from enough on below which none can. A stretch of period q passed on with m bytes makes the
// m bytes before p q-periodic, so that p matches itself at offset q over m - q bytes; it
// replaces the excess x only if m > 2q and m - q > x, with m <= len. So a candidate needs
// len >= max(2q + 1, x + q + 1) for some q at which p matches itself over more than x bytes;
// both terms grow with q, so the first such q gives the bound, and where none up to
// stretch_offsets does, the next offset does. The offsets checked are kept in w, so that the
// jumps' later tries at p check each at most once.
int useful_for_stretch(const pack_tables& t, const uint8_t* b, walk_state& w, int x, int enough) {
    const int p = w.p;
    if (w.stretch_x != x) {
        w.stretch_x = x;
        w.stretch_q = 0;
        w.stretch_found = false;
    }
    if (w.stretch_found) return std::max(2 * w.stretch_q + 1, x + w.stretch_q + 1);
    for (int q = w.stretch_q + 1; q <= stretch_offsets; ++q) {
        const int len = std::max(2 * q + 1, x + q + 1);
        if (len >= enough) return len;
        w.stretch_q = q;
        if (matches_itself(t, b, p, q, x + 1)) {
            w.stretch_found = true;
            return len;
        }
    }
    return stretch_bound_beyond(x);
}

// The shortest length from which a candidate can change the best or the inherited stretch
// (at least 3), or 0 when that is 2. A shorter one has a cost that the cost minima show not
// to beat the best (the offset part taken at off, the nearest offset left, since a farther one
// never costs less). stretch_len becomes a length below which no candidate changes the
// stretch. The lengths that may change the best are sought up to the stretch rule's largest
// bound, and the stretch is checked only at offsets whose bound lies below them.
template <class V>
int useful_length(pack_tables& t, const uint8_t* b, walk_state& w, int off, int& stretch_len) {
    const int p = w.p;
    const int best_cost = int(w.best_key >> 16);
    const int best_len = int(0xFFFF - (w.best_key & 0xFFFF));
    const int x = w.rep_len - w.rep_period;
    const int most = stretch_bound_beyond(x);
    fill_cost_minima(t, p);
    const int first = std::min(
        first_useful_length<V>(t, p, 2, std::min(best_len, most - 1), off, best_cost, false),
        first_useful_length<V>(t, p, std::max(2, best_len + 1), most - 1, off, best_cost, true));
    if (first == 2) return 0;
    stretch_len = useful_for_stretch(t, b, w, x, first);
    return std::min(first, stretch_len);
}

// first_at_least over lo..hi of the list of the pair key, from the index that the last search
// with the same finger (one for each kind of search) found in it: from one position to the
// next such searches move little.
int pair_at_least(pack_tables& t, pair_finger finger, int key, int lo, int hi, int x) {
    uint16_t& f = t.pair_fingers[finger][key];
    const int base = int(t.pair_first[key]);
    const int k = first_at_least_from(t.pair_pos, lo, hi, x, base + f);
    f = uint16_t(k - base);
    return k;
}

// Whether candidate c, at least l0 long, changes nothing the walk keeps but its memo: not way
// A's, at most offset + 2 long (so way C passes over nothing), its sequence no better than
// the best and its stretch not passed on (as settle decides). The walk at p + 1 makes up for
// the memo (jump_lo, jump_hi). Where the best is l0 long or more, most candidates that match
// the bytes before p are such ties (periods of 11 to 16 with noise).
template <class V>
bool changes_nothing(const pack_tables& t, const uint8_t* b, const walk_state& w, int c, int l0,
                     int& len) {
    const int p = w.p, off = p - c;
    len = 0;
    if (c == w.a_cand) return false;
    const int max_len = std::min(c + 1, V::max_seq_len);
    const memo_rec m = t.memo[c - 1];
    len = m.memo_pos == p - 1 ? std::min(m.memo_len + 1, max_len)
                              : extend_back<true>(b, c, p, l0, max_len);
    if (len > off + 2) return false;
    const int seq = t.cost[p - len] + V::seq_cost(len, off);
    if (key_of(seq, len) < w.best_key) return false;
    return len <= w.inherit_floor ||
           !passes_on_stretch(t.stretch[c], len, w.rep_len - w.rep_period);
}

// The entries from to down to from of a list whose positions, moved on by d, end the l0 bytes
// before p wherever those bytes match: the nearest that matches and may change something, as
// nearest_long gives it.
template <class V, class E>
int scan_for_long(const pack_tables& t, const E* list, int from, int to, int d, const uint8_t* b,
                  const walk_state& w, int l0, int low_c, int& hi_c, int& budget, int& len) {
    const int p = w.p;
    const uint8_t* tail = b + p - l0 + 1;
    for (int k = to; k >= from; --k) {
        const int c = entry_pos(list[k]) + d;
        if (budget == 0) {
            hi_c = c;
            return 0;
        }
        --budget;
        if (!std::equal(tail, tail + l0, b + c - l0 + 1)) continue;
        if (!changes_nothing<V>(t, b, w, c, l0, len)) {
            hi_c = c - 1;
            return c;
        }
    }
    hi_c = low_c - 1;
    return 0;
}

// The position among a few spread over the last l0 - len + 1 at which the longest string list
// that fits in l0 bytes is shortest, with that list's level.
int rarest_gram_at(const pack_tables& t, const uint8_t* b, int p, int l0, int& level) {
    level = l0 >= gram_len[1] ? 1 : 0;
    const int spread = l0 - gram_len[level];
    const int step = std::max(1, spread / 3);
    int best_j = p;
    int best_count = gram_count(t, b, p, level);
    for (int j = p - step; j >= p - spread; j -= step)
        if (const int count = gram_count(t, b, j, level); count < best_count) {
            best_count = count;
            best_j = j;
        }
    return best_j;
}

// The nearest candidate in low_c..hi_c (positions) at least l0 long, or 0 if there is none.
// hi_c becomes the highest position the scan did not clear: below the one found, below low_c
// when the list ran out, or the entry at which the budget did (unchanged when the list is too
// long to scan). The list scanned is the rarest pair's of the l0 bytes before p or, where that
// holds many candidates, the rarest of a few of their 8- or 16-byte strings: either holds every
// candidate that matches the l0 bytes.
template <class V>
int nearest_long(pack_tables& t, const uint8_t* b, int n, const walk_state& w, int l0, int low_c,
                 int& hi_c, int& budget, int& len) {
    const int p = w.p;
    if (l0 > p) { // longer than any candidate can be
        hi_c = low_c - 1;
        return 0;
    }
    const int low = std::max(low_c, l0 - 1);
    const int j = rarest_pair_at(t, std::max(1, p - l0 + 2), p);
    const int d = p - j;
    const int key = pair_key(b, j);
    const int list_hi = int(t.pair_slot[j]) - 1;
    const int from =
        pair_at_least(t, finger_scan_from, key, int(t.pair_first[key]), list_hi, low - d);
    const int to = pair_at_least(t, finger_scan_to, key, from, list_hi, hi_c - d + 1) - 1;
    if (to - from >= gram_from && l0 >= gram_len[0]) {
        if (!t.gram_ready) build_gram_lists(t, b, n);
        int level = 0;
        const int gj = rarest_gram_at(t, b, p, l0, level);
        const int gd = p - gj;
        const uint16_t* list = t.gram_pos[level];
        const int gram_hi = int(t.gram_slot[level][gj]) - 1;
        const int gram_lo = int(t.gram_first[level][gram_key(b, gj, level)]);
        const int g_from = first_at_least(list, gram_lo, gram_hi, low - gd);
        const int g_to = first_at_least(list, g_from, gram_hi, hi_c - gd + 1) - 1;
        if (g_to - g_from < to - from) {
            if (g_to - g_from >= 4 * jump_budget) return 0;
            return scan_for_long<V>(t, list, g_from, g_to, gd, b, w, l0, low_c, hi_c, budget, len);
        }
    }
    // A list far longer than the budget: the bytes before p are common, no use scanning.
    if (to - from >= 4 * jump_budget) return 0;
    return scan_for_long<V>(t, t.pair_pos, from, to, d, b, w, l0, low_c, hi_c, budget, len);
}

// Passes over the candidates from index i down that can't change the walk's result: only
// those of at least the useful length (found through the rarest pair of the bytes before p)
// and way A's candidate are visited, in the walk's order, with its stops; the useful length
// is worked out again after each. The others count as examined: way B would have settled
// them at p + 1, so the walk there compares them instead (jump_lo, jump_hi).
//
// Where way C can apply at p (period_end), a candidate whose c - 1 the walk at p - 1 did not
// examine (below where it ended, or anywhere once it passed over some) takes way C, whose
// skip_above can pass over later candidates, but only when its length exceeds its offset + 2.
// Such candidates are passed over only while the useful length keeps them that short, and the
// jump stops at one it would visit, leaving it to the full visit.
// A jump taken, from candidate c_next at index i down to lo of p's pair list: what it saved
// the usual walk, and the offsets it settled. Where the walk ends at a candidate in that range
// (mostly a jump's last one), its own index is the first at that position, no search needed.
jump_outcome end_jump(pack_tables& t, const uint8_t* b, walk_state& w, int p, int lo, int i,
                      int c_next, jump_outcome out) {
    out.taken = true;
    const int key = pair_key(b, p);
    int end_i = out.next_i + 1;
    if (out.done)
        end_i = out.end_c <= c_next && pair_key(b, out.end_c) == key
                    ? int(t.pair_slot[out.end_c])
                    : pair_at_least(t, finger_walk_end, key, lo, i, out.end_c);
    t.jump_saved += i - end_i;
    if (w.jump_hi < w.jump_lo) w.jump_lo = p - c_next;
    w.jump_hi = p - out.end_c;
    return out;
}

template <class V>
jump_outcome try_jump(pack_tables& t, const uint8_t* b, int n, walk_state& w, int i, int lo) {
    jump_outcome out;
    const int p = w.p;
    if (w.best_key == UINT64_MAX) return out;
    const int c_next = entry_pos(t.pair_pos[i]);
    if (c_next > w.skip_above) return out;
    const int reach_c = std::max(1, p - V::max_offset);
    // Candidates from fresh_c up had c - 1 examined at p - 1.
    int fresh_c = reach_c;
    if (t.period_end[p]) fresh_c = t.walk_skip[p - 1] ? max_input : p - t.walk_end[p - 1];
    if (c_next < std::max(reach_c, w.bound)) return out;
    // One range of offsets records what the jumps at p passed over; it may span the usual
    // walk's visits between two jumps, but not a candidate passed over above skip_above.
    if (w.had_skip && w.jump_hi >= w.jump_lo) return out;
    // Where the walks after jumps compare more bytes of candidates left without a memo than
    // the jumps passed over candidates (long repeats whose jumps often stop short), jumps
    // stop for this input.
    if (t.jump_cost > jump_cost_limit * t.jump_saved + (int64_t(1) << 22)) return out;
    if (!t.jump_ready) prepare_jump_tables(t, b, n);
    const int a = w.a_cand;
    const bool a_in = a >= reach_c && a <= c_next && b[a - 1] == b[p - 1] && b[a] == b[p];
    int budget = jump_budget;
    int period_budget = period_jump_budget;
    int idle = 4;
    int hi_c = c_next; // every candidate above hi_c is settled
    bool cleared_all = false;
    for (;;) {
        if (hi_c < std::max(reach_c, w.bound)) {
            cleared_all = true;
            break;
        }
        int stretch_len = 0;
        const int l0 = useful_length<V>(t, b, w, p - hi_c, stretch_len);
        if (l0 == 0) break;
        // Below fresh_c, only where every candidate passed over is at most offset + 2 long.
        const int low_c = l0 <= p - hi_c + 3 ? reach_c : fresh_c;
        if (hi_c < low_c) break;
        int cleared = hi_c; // the scan clears the candidates above it
        int c = 0;
        int known_len = 0;
        const int q = l0 <= V::max_seq_len ? repeat_period(t, b, n, p, l0) : 0;
        if (q != 0) {
            const period_query k{p,
                                 l0,
                                 q,
                                 std::max(low_c, l0 - 1),
                                 fresh_c,
                                 stretch_len,
                                 w.rep_len - w.rep_period,
                                 w.best_key};
            c = nearest_in_period<V>(t, b, k, cleared, period_budget, known_len);
            if (cleared == k.low_c - 1) cleared = low_c - 1;
        } else if (l0 <= V::max_seq_len) {
            c = nearest_long<V>(t, b, n, w, l0, low_c, cleared, budget, known_len);
        } else {
            cleared = low_c - 1;
        }
        // Way A's candidate comes first when nearer; it ends the walk.
        const bool a_first = a_in && a <= hi_c && a > cleared;
        if (a_first) c = a;
        if (c == 0) {
            const bool to_low = cleared < low_c;
            hi_c = cleared;
            if (to_low) continue;
            break;
        }
        if (c < w.bound) {
            out.done = true;
            out.end_c = w.bound;
            break;
        }
        const int off = p - c;
        const int max_len = std::min(c + 1, V::max_seq_len);
        int len;
        bool fresh = false;
        if (const memo_rec m = t.memo[c - 1]; m.memo_pos == p - 1) {
            len = std::min(m.memo_len + 1, max_len); // way B
        } else if (a_first) {
            len = std::min(t.step_len[p - 1] + 1, max_len);
        } else {
            fresh = off < w.prev_jump_lo || off > w.prev_jump_hi;
            len = known_len;
            if (len == 0) {
                len = extend_back<true>(b, c, p, l0, max_len);
            }
        }
        if (fresh && len > off + 2 && t.stretch[c].period != 0 &&
            t.stretch[p - t.stretch[c].period].period == t.stretch[c].period) {
            hi_c = c; // way C may pass over later candidates: the full visit takes it
            break;
        }
        const int seq = t.cost[p - len] + V::seq_cost(len, off);
        const uint64_t key_before = w.best_key;
        const int rep_before = w.rep_len - w.rep_period;
        settle<V>(t, w, c, memo_slot(t.pair_pos[t.pair_slot[c]], c, w.after), len, seq, off);
        if (c == a || w.bound == INT_MAX) {
            out.done = true;
            out.end_c = c;
            break;
        }
        hi_c = c - 1;
        // A visit that changed nothing leaves the useful length as it was: where such
        // candidates are many (the bytes before p repeat), the usual walk is cheaper.
        if (q == 0 && w.best_key == key_before && w.rep_len - w.rep_period == rep_before &&
            --idle == 0)
            break;
    }
    if (!out.done) {
        if (cleared_all) {
            out.done = true;
            out.end_c = std::max(reach_c, w.bound);
        } else {
            if (hi_c == c_next) return out; // nothing passed over: the usual walk goes on from i
            // The usual walk takes over at the highest candidate the jump did not settle.
            out.end_c = hi_c + 1;
            out.next_i = pair_at_least(t, finger_walk_on, pair_key(b, p), lo, i, out.end_c) - 1;
        }
    }
    return end_jump(t, b, w, p, lo, i, c_next, out);
}

// Candidates of more than sym_exact_max bytes the two-symbol jump visits at most, and how many
// of them in the range (as their share of the input suggests) it finds through their chain
// rather than through the lists, which cost a pass over the input to build.
constexpr int sym_long_budget = 1024;

// The two-symbol jump takes every offset from far_offset on as costing alike at one length
// (the longest such candidate is the best of them where longest_is_cheapest holds), and the
// offsets from sym_near on as offsets of the range 2 to 5 bytes costs the same over, with
// sym_near far enough that a match known from the bits is no more than the offset + 2.
template <class V>
constexpr bool far_offsets_cost_alike() {
    constexpr int step = len_cost_step<V>();
    for (int len : {2, step > 2 ? step - 1 : 2, step > 2 ? step : 2, V::max_seq_len})
        for (int off = far_offset<V>(); off <= V::max_offset; ++off)
            if (V::seq_cost(len, off) != V::seq_cost(len, V::max_offset)) return false;
    return true;
}
static_assert(far_offsets_cost_alike<ktb_variant>());
static_assert(sym_near <= far_offset<ktb_variant>() && sym_long_known - 1 <= sym_near + 2);
constexpr int sym_chain_most = 16;

// Where the input is made of two byte values: settles every candidate from index i (the
// nearest at offset sym_near or more) down to way A's candidate, the walk's bound or position
// 64, whichever comes first, from the tables of two_symbol_lists.h. The best of the candidates
// up to sym_exact_max bytes is the cheapest exact length's nearest candidate (every offset there
// costs alike, and a nearer candidate of the walk keeps a tie); the longer ones are visited one
// by one, nearest first, through the list of their 17 symbols (whose entries give lengths up to
// 47 bytes); the inherited stretch is the nearest of the greatest excess, from the stretch
// tables for periods up to sym_period_max (a longer period needs more than sym_exact_max bytes).
// The exact lengths reach no offset or the range's positions; a longer candidate that does
// (more than its offset + 2 bytes, where way C's step could pass over others, or as far as the
// range) leaves the position to the usual walk, as do more than sym_long_budget long
// candidates: then nothing is changed.
// Kept out of the walk's loop, which the compiler then builds as it did without it.
template <class V>
[[gnu::noinline]] jump_outcome try_two_symbol_jump(pack_tables& t, const uint8_t* b, int n,
                                                   walk_state& w, int i, int lo) {
    jump_outcome out;
    const int p = w.p;
    const int c_next = entry_pos(t.pair_pos[i]);
    if (c_next > w.skip_above || (w.had_skip && w.jump_hi >= w.jump_lo)) return out;
    const int reach_c = std::max(1, p - V::max_offset);
    const int floor_c = std::max({reach_c, w.bound, 64});
    const int a = w.a_cand;
    const bool a_in = a >= floor_c && a <= c_next && b[a - 1] == b[p - 1] && b[a] == b[p];
    const int low = a_in ? a + 1 : floor_c;
    if (c_next < low || !two_symbols(t, b, n)) return out;
    const uint32_t word = t.sym_bits[p];
    enter_symbols(t, p - sym_near);
    // The candidates of more than sym_exact_max bytes, with their lengths: from the bits up to
    // 47 (a candidate's position is at least 64, so all 48 are the input's), and beyond by
    // comparison. Every position entered ends at least sym_near before p. Nothing is changed
    // until they are all through, as any of them may leave the position to the usual walk.
    const uint64_t word48 = sym_long_word(t, p);
    const auto length_at = [&](int c, uint64_t bits) {
        const int max_len = std::min(c + 1, V::max_seq_len);
        const uint64_t d = bits ^ word48;
        return d != 0 ? std::min(std::countr_zero(d), max_len)
                      : extend_back<true>(b, c, p, sym_long_known, max_len);
    };
    const int excess = w.rep_len - w.rep_period;
    // Their best (at one length every candidate costs the same, so the first offered of each
    // length below 64 is the only one that can be), and the stretch of the greatest excess
    // above the inherited one's, the nearest of it; those offered first are the nearer ones.
    int longs = 0;
    uint64_t offered = 0;
    uint64_t long_key = UINT64_MAX;
    int long_off = 0;
    int long_e = excess, long_rep_c = 0, long_rep_q = 0, long_rep_m = 0;
    const auto offer_long = [&](int c, int len) {
        ++longs;
        if (len < 64 && (offered >> len & 1) != 0) return;
        offered |= len < 64 ? uint64_t(1) << len : 0;
        if (const uint64_t key = key_of(t.cost[p - len] + V::seq_cost(len, p - c), len);
            key < long_key) {
            long_key = key;
            long_off = p - c;
        }
    };
    // Candidate c's stretch sc, passed on with len bytes.
    const auto stretch_long = [&](int c, int len, stretch_rec sc) {
        const int e = stretch_excess_of(sc, len);
        if (e > long_e || (e == long_e && long_rep_c != 0 && c > long_rep_c)) {
            long_e = e;
            long_rep_c = c;
            long_rep_q = int(sc.period);
            long_rep_m = e + long_rep_q;
        }
    };
    // A candidate so long that way C's step could pass over others (more than its offset + 2,
    // where its stretch's period q also ends a stretch at p - q: way C's condition) or, where
    // range is set, reaching the range's positions, leaves the position to the usual walk. Way B
    // comes before way C: a candidate whose c - 1 the walk at p - 1 examined (up to offset
    // examined_off there, none where it passed over some) has its memo from p - 1 and takes
    // way B, whose length is its match's, so it passes over nothing (the long runs of the
    // sparse mixes, where p's own run holds such candidates).
    const int examined_off = t.walk_skip[p - 1] ? 0 : t.walk_end[p - 1];
    const auto leaves = [&](int c, int len, bool range) {
        if (range && len >= low) return true;
        if (len <= p - c + 2 || p - c <= examined_off) return false;
        const int q = t.stretch[c].period;
        return q != 0 && t.stretch[p - q].period == q;
    };
    const auto take_long = [&](int c, int len, bool range) {
        if (leaves(c, len, range)) return false;
        offer_long(c, len);
        stretch_long(c, len, t.stretch[c]);
        return true;
    };
    // p's own q-periodic length for the periods the stretch tables keep, up to
    // sym_stretch_max: a stretch passed on is at most that long. One passed on over more bytes
    // comes from a candidate of more than sym_stretch_max bytes, seen below; the tables' entry
    // at sym_stretch_max, nearer or that candidate itself, has less excess, so it can't be the
    // one kept. So for these periods the tables settle every candidate under 48 bytes.
    int own[sym_period_max + 1];
    for (int q = 1; q <= sym_period_max; ++q) {
        const uint64_t d = (word48 ^ word48 >> q) | uint64_t(1) << (sym_stretch_max - q);
        own[q] = std::countr_zero(d) + q;
    }
    // The stretch: per period, the nearest candidate of the greatest length, above the excess.
    int rep_c = 0, rep_q = 0, rep_m = 0;
    for (int q = 1; q <= sym_period_max; ++q) {
        const uint32_t key = word & ((1u << q) - 1);
        for (int m = own[q]; m > 2 * q && m - q > excess; --m) {
            const int c = t.sym_stretch[q][m][key];
            if (c < low) continue;
            if (m - q > rep_m - rep_q || (m - q == rep_m - rep_q && c > rep_c)) {
                rep_c = c;
                rep_q = q;
                rep_m = m;
            }
            break;
        }
    }
    const uint32_t key = sym_long_key(word);
    const int nearest_long = t.sym_last[sym_long_index(word)];
    // Where they are more than the budget, p may end a run of one value longer than
    // sym_exact_max (so do they), and the runs settle them.
    const int run = t.sym_run[p];
    bool by_runs = false;
    int longer_c = 0, longer_e = -1;
    bool by_longest = false;
    if (int64_t(t.sym_count[key]) * (c_next - low + 1) <= int64_t(sym_chain_most) * n) {
        // Few in the range, likely: through the chain of their 17 symbols.
        for (int c = nearest_long; c >= low; c = t.sym_chain[c]) {
            if (longs == sym_long_budget) return out;
            if (!take_long(c, length_at(c, sym_long_word(t, c)), true)) return out;
        }
    } else if (nearest_long >= low) {
        // Many: through the list of their 17 symbols, whose entries hold their bits. Where
        // they are more than the budget and the runs can't settle them, the usual walk goes on
        // at once.
        if (!t.sym_lists_ready) build_sym_long_lists(t, n);
        const int list_lo = int(t.sym_long_first[key]);
        const int long_hi = int(t.sym_long_slot[nearest_long]);
        by_runs = long_hi - sym_long_budget >= list_lo &&
                  entry_pos(t.sym_long_pos[long_hi - sym_long_budget]) >= low;
        if (by_runs &&
            (run <= sym_exact_max || run > sym_exact_max + sym_run_lengths || run >= low))
            return out;
        // Where no match under 48 bytes can change the stretch kept and the longest of them is
        // the cheapest, only the longest at a far offset, the nearest of it, is looked for among
        // those (nearer ones are offered as they come); those of 48 bytes or more are taken one
        // by one.
        if (!by_runs && long_stretch_settled(word48, rep_c != 0 ? rep_m - rep_q : excess,
                                             rep_c != 0 ? rep_q : 0, sym_period_max + 1)) {
            constexpr int far = far_offset<V>();
            uint64_t top = 0;
            int top_k = -1;
            for (int k = long_hi; k >= list_lo; --k) {
                const uint64_t e = t.sym_long_pos[k];
                const int c = entry_pos(e);
                if (c < low) break;
                const uint64_t d = sym_long_bits(e) ^ word48;
                if (d != 0 && p - c < far) {
                    offer_long(c, std::countr_zero(d));
                    continue;
                }
                if (d != 0) {
                    // The lowest bit that differs: the greater, the longer the match.
                    if (const uint64_t v = d & (0 - d); v > top) {
                        top = v;
                        top_k = k;
                    }
                    // Where p ends a run of more than sym_exact_max bytes, so do the entries,
                    // and those of one run are the positions before c down to its
                    // (sym_exact_max + 1)th, one after another in the list. Below c (at run
                    // length u, under 48 here, or p's under 48) a position of the same run at
                    // length u' < u matches min(u', run) bytes where u' differs from p's run,
                    // more only where it is p's: no more than c does, and farther, except
                    // the one at p's run length where c's is longer. So the scan goes on there,
                    // or below c's run.
                    if (run > sym_exact_max) {
                        const int u = t.sym_run[c];
                        k -= u > run ? u - run - 1 : u - sym_exact_max - 1;
                    }
                    continue;
                }
                const int len = length_at(c, sym_long_bits(e));
                if (leaves(c, len, true)) return out;
                offer_long(c, len);
                stretch_long(c, len, t.stretch[c]);
            }
            if (top_k < 0) {
                by_longest = true;
            } else if (const int l = std::countr_zero(top);
                       longest_is_cheapest<V>(t.cost, p, l, far)) {
                offer_long(entry_pos(t.sym_long_pos[top_k]), l);
                by_longest = true;
            }
        }
        // Else all of them, nearest first; a stretch is looked at only where its entry's tells
        // it may pass on more than the greatest excess so far (below 48 bytes; a longer match
        // looks at its own).
        for (int k = by_runs || by_longest ? list_lo - 1 : long_hi; k >= list_lo; --k) {
            const uint64_t e = t.sym_long_pos[k];
            const int c = entry_pos(e);
            if (c < low) break;
            const uint64_t d = sym_long_bits(e) ^ word48;
            // Below 48 where d is not 0, as c >= 64.
            const int len = d != 0 ? std::countr_zero(d) : length_at(c, sym_long_bits(e));
            if (d == 0 && leaves(c, len, true)) return out;
            offer_long(c, len);
            if (d != 0 && !sym_long_passes_on(t.sym_long_stretch[k], len, long_e)) continue;
            stretch_long(c, len, t.stretch[c]);
        }
    }
    if (by_runs) {
        // A candidate ending a run of r bytes of p's value, r > sym_exact_max, matches over
        // min(r, run) bytes where r differs from p's run, and further where it doesn't. So of
        // those shorter than p's run only the nearest of each length can be the best (farther
        // ones cost the same), of those longer only the nearest (all match over run bytes),
        // and those as long as p's are visited one by one (their list, sym_run_pos).
        const int sym = int(word & 1);
        for (int r = sym_exact_max + 1; r < run; ++r)
            if (const int c = t.sym_run_last[sym][r]; c >= low && !take_long(c, r, false))
                return out;
        // The nearest longer run is the one that last reached run + 1 bytes; its candidates
        // from there to its end (or the last entered) match alike, so its last one in range is
        // the one, even where the run reached that length below the range.
        if (const int c = t.sym_run_last[sym][run + 1];
            c != 0 && std::min(int(t.sym_run_end[c]), t.sym_filled - 1) >= low) {
            longer_c = std::min(int(t.sym_run_end[c]), t.sym_filled - 1);
            if (!take_long(longer_c, run, false)) return out;
            longer_e = stretch_excess_of(t.stretch[longer_c], run);
        }
        // Through their list: they match p over its run and on as far as the symbols before
        // the two runs do.
        if (const int head = t.sym_run_last[sym][run]; head >= low) {
            const uint64_t before = sym_word_at(t, p - run);
            const int first = int(t.sym_run_first[sym_run_key(sym, run)]);
            for (int k = t.sym_run_slot[head]; k >= first; --k) {
                const uint64_t e = t.sym_run_pos[k];
                const int c = entry_pos(e);
                if (c < low) break;
                if (longs == sym_long_budget) return out;
                const int max_len = std::min(c + 1, V::max_seq_len);
                const uint64_t d = sym_long_bits(e) ^ before;
                const int len =
                    d != 0 ? std::min(run + std::countr_zero(d), max_len)
                           : extend_back<true>(b, c, p, std::min(run + sym_long_known, max_len),
                                               max_len);
                if (leaves(c, len, true)) return out;
                offer_long(c, len);
                stretch_long(c, len, t.sym_run_stretch[k]);
            }
        }
        // Those left out pass on a stretch of at most run - 2 bytes' excess, or run - 1 for
        // those longer than p's run (m is at most their length, q at least 1). The visits must
        // give more, or as much from a nearer candidate: the longer ones' nearest, or one kept
        // already.
        const int most = std::max(rep_c != 0 ? rep_m - rep_q : excess, long_e); // long_e >= excess
        if (most < run - 1 ||
            (most == run - 1 && most != excess && longer_c != 0 && longer_e != run - 1))
            return out;
    }
    // The best of the exact lengths: their keys differ, so the order doesn't matter. A length
    // whose sequence can't beat the best at offset sym_near, the cheapest here (a farther one
    // never costs less), is not looked up.
    for (int l = 2; l <= sym_exact_max; ++l) {
        if (key_of(t.cost[p - l] + V::seq_cost(l, sym_near), l) >= w.best_key) continue;
        const int c = t.sym_last[sym_exact_index(word, l)];
        if (c < low) continue;
        offer<V>(w, t.cost[p - l] + V::seq_cost(l, p - c), l, p - c);
    }
    // The long candidates' best, as settle takes it but without the memos (the walk at p + 1
    // compares them, as it does the exact lengths'); its length is none of those.
    if (long_key < w.best_key)
        offer<V>(w, int(long_key >> 16), int(0xFFFF - (long_key & 0xFFFF)), long_off);
    // The stretch of the greatest excess of both, the nearest of it.
    if (long_rep_c != 0 &&
        (long_e > rep_m - rep_q || (long_e == rep_m - rep_q && long_rep_c >= rep_c))) {
        rep_c = long_rep_c;
        rep_q = long_rep_q;
        rep_m = long_rep_m;
    }
    if (rep_c != 0 && rep_m - rep_q > excess) {
        w.rep_period = rep_q;
        w.rep_len = rep_m;
        w.inherit_floor = std::max(2, rep_m - rep_q + 1);
        set_full_limits<V>(w);
    }
    if (a_in) {
        out.end_c = a + 1;
        out.next_i = int(t.pair_slot[a]);
    } else if (floor_c > std::max(reach_c, w.bound)) {
        out.end_c = floor_c;
        out.next_i = pair_at_least(t, finger_walk_on, pair_key(b, p), lo, i, floor_c) - 1;
    } else {
        out.done = true;
        out.end_c = std::max(reach_c, w.bound);
    }
    return end_jump(t, b, w, p, lo, i, c_next, out);
}

// The candidates of p's pair from the nearest down, each settled by the cheapest loop that can;
// gives the position from which on every candidate was examined.
// With two, where the input may be made of two byte values, the two-symbol jump is tried at
// the nearest candidate at offset sym_near or more.
template <class V>
int walk_candidates(pack_tables& t, const uint8_t* b, int n, walk_state& w, int lo, bool early,
                    bool two) {
    const int p = w.p;
    // The context loop stops above way A's candidate, if it is in this list, and leaves it to
    // the full visit.
    int lo_run = lo;
    if (w.a_cand >= 1 && b[w.a_cand - 1] == b[p - 1] && b[w.a_cand] == b[p])
        lo_run = std::max(lo, int(t.pair_slot[w.a_cand]) + 1);
    bool in_run = false;
    int run_from = 0; // the candidate whose way B visit started the run
    const int start = int(t.pair_slot[p]) - 1;
    // A jump is tried at this index and, while it doesn't pay, at doubling distances. Where
    // the list is long and the last walk's tries paid, the first comes sooner: after
    // jump_rare_first candidates where a pair just before p's is rare, and otherwise each full
    // visit before it brings it nearer by a share of jump_first.
    const bool soon = jumps<V> && early && start - lo >= jump_early_left;
    int try_at = jumps<V> ? start - jump_first : -1;
    if (soon && p >= 4 &&
        std::min(pair_count(t, b, p - 2, n), pair_count(t, b, p - 3, n)) <= jump_rare_count)
        try_at = start - jump_rare_first;
    int distance = jump_first;
    int visit_step = soon ? jump_first / jump_after_visits : 0;
    // The nearest candidate at offset sym_near or more, where the two-symbol jump is tried.
    int far_i = -1;
    if (two && p > sym_near + 64 && start >= lo && entry_pos(t.pair_pos[lo]) <= p - sym_near)
        far_i = pair_at_least(t, finger_far, pair_key(b, p), lo, start, p - sym_near + 1) - 1;
    // The other jumps' tries wait for it, as their first would pass over it.
    if (two && far_i >= 0) try_at = std::min(try_at, far_i - 1);
    // The index down to which the short loops may go before a try is due.
    const auto stop_at = [&] { return two ? std::max(try_at, far_i) : try_at; };
    // The full visits, counted in a register and noted in w wherever the walk returns.
    struct visit_count {
        walk_state& w;
        int n = 0;
        ~visit_count() { w.full_visits = n; }
    } visits{w};
    for (int i = start; i >= lo; --i) {
        if (two && i <= far_i) {
            // Only from that candidate: the jump's tables hold every position up to it.
            const bool at_far = i == far_i;
            far_i = -1;
            const jump_outcome j =
                at_far ? try_two_symbol_jump<V>(t, b, n, w, i, lo) : jump_outcome{};
            if (j.taken) {
                if (j.done) return j.end_c;
                try_at = std::min(try_at, j.next_i - distance);
                in_run = false;
                i = j.next_i + 1;
                continue;
            }
        }
        if (i <= try_at) {
            visit_step = 0;
            const jump_outcome j = try_jump<V>(t, b, n, w, i, lo);
            w.tries = std::max(w.tries, j.taken ? 1 : 2);
            if (j.taken) {
                if (j.done) return j.end_c;
                distance *= 2;
                try_at = j.next_i - distance;
                in_run = false;
                i = j.next_i + 1;
                continue;
            }
            distance *= 2;
            try_at = i - distance;
        }
        // After a way B visit, a run of more such visits is likely (long repeats, sparse
        // data); the short loop takes them, stopping at the first it can't settle alone.
        if (in_run) {
            const int floor = std::max(w.bound, w.a_cand < run_from ? w.a_cand + 1 : 0);
            const int run_lo = std::max(lo, stop_at() + 1);
            i = memo_run<V>(t.pair_pos, i, run_lo, t.memo, p, floor, w.run_len_limit, w.best_key);
            in_run = false;
            if (i < lo) break;
            if (i < run_lo) {
                ++i; // the next try is due
                continue;
            }
        }
        const int context_lo = std::max(lo_run, stop_at() + 1);
        i = context_run<V>(t, i, context_lo, w);
        if (i < lo) break;
        if (i < context_lo && i <= stop_at()) {
            ++i;
            continue;
        }
        const uint64_t e = t.pair_pos[i];
        const int c = entry_pos(e);
        if (unsigned(c - w.bound) >= unsigned(w.span)) {
            if (c < w.bound) {
                w.end_i = i;
                return c + 1;
            }
            w.had_skip = true;
            continue; // above skip_above: passed over
        }
        ++visits.n;
        if (full_visit<V>(t, b, w, e)) {
            in_run = true;
            run_from = c;
        }
        try_at += visit_step;
        if (two && far_i >= 0) try_at = std::min(try_at, far_i - 1);
        if (c == w.a_cand) {
            w.end_i = i;
            return c;
        }
    }
    w.end_i = lo - 1;
    return 1;
}

// KtaPack's window walk starts at position 1 of a long input that starts crowded, as if it
// had just taken over, so that where it walks the whole input (short periods with dense noise,
// two-symbol data) the pair lists are never built; elsewhere it hands back once the crowd
// ends. from becomes the first position left to the usual walk (n where none is).
template <class V>
pack_status start_in_window(pack_tables& t, const uint8_t* b, int n, int& from, int& run_count,
                            int& load) {
    if (!window_starts(b, n)) return {};
    int last = 0;
    load = window_start_load << window_decay;
    const pack_status s =
        window_run<V>(t, b, n, last, run_count, load, window_costly << window_decay, false,
                      window_start_patience);
    from = last + 1;
    return s;
}

// KtaPack's walk before the pair lists are built. Where the sequence before p goes on at p's
// first candidate, as in calm data nearly everywhere, the walk ends there and the lists (some
// 250 us per 64 KiB to build) save nothing; elsewhere they pay only where many candidates are
// visited. So the reference walk's own steps run along a chain of the positions that end the
// same pair, way A at the first candidate in a step of its own, until the walks have examined
// chain_budget candidates per input position beyond the first of each walk; where they grow
// crowded the window walk takes over, as from the usual walk, and hands back to the chain
// after chain_patience calm positions in a row (from chain_window_enter candidates a walk on
// average: a visit here costs more than the usual walk's). The chain lies in the lists' own
// tables, which their build overwrites: pair_first holds each pair's latest position,
// pair_slot the one before each position (0 = none).
constexpr int chain_window_enter = 6;
constexpr int chain_patience = 16;
int chain_budget = default_chain_budget;

// Enters positions from .. to - 1 into the chain.
void chain_positions(pack_tables& t, const uint8_t* b, int from, int to) {
    for (int p = std::max(from, 1); p < to; ++p) {
        const int key = pair_key(b, p);
        t.pair_slot[p] = uint16_t(t.pair_first[key]);
        t.pair_first[key] = uint32_t(p);
    }
}

// The walk from p = from on, as the reference walk's, each memo with its sequence's cost as the
// usual walk writes it. from becomes the first position left to the usual walk (n where none
// is); load is the moving sum of the candidates examined, as the usual walk keeps it.
template <class V>
pack_status chain_walk(pack_tables& t, const uint8_t* b, int n, int& from, int& run_count,
                       int& load) {
    chain_positions(t, b, 1, from);
    int64_t budget = int64_t(n) * chain_budget;
    for (int p = from; p < n; ++p) {
        const int prev = p - 1;
        const int lit_cost = literal_step<V>(t, p, run_count);
        const int key = pair_key(b, p);
        int c = int(t.pair_first[key]);
        t.pair_slot[p] = uint16_t(c);
        t.pair_first[key] = uint32_t(p);
        if (c == 0 || p - c > V::max_offset) continue;
        // Way A at the first candidate, the usual case in calm data: the whole walk.
        if (t.step_len[prev] != 0 && t.step_off[prev] == p - c) {
            walk_result r;
            r.best_len = std::min({t.step_len[prev] + 1, c + 1, V::max_seq_len});
            r.best_off = p - c;
            r.best_cost = t.cost[p - r.best_len] + V::seq_cost(r.best_len, r.best_off);
            put_memo(t.memo[c], p, r.best_len, r.best_cost);
            inherit_stretch(t.stretch[c], r.best_len, r);
            if (pack_status s = decide<V>(t, p, lit_cost, r, run_count); failed(s)) return s;
            continue;
        }
        walk_result r;
        int skip_above = max_input;
        int examined = 0;
        for (;;) {
            const int w = p - c;
            bool way_a = false;
            if (c <= skip_above) {
                const int max_len = std::min(c + 1, V::max_seq_len);
                int len;
                int q;
                ++examined;
                if (t.step_len[prev] != 0 && t.step_off[prev] == w) {
                    len = std::min(t.step_len[prev] + 1, max_len);
                    way_a = true;
                } else if (t.memo[c - 1].memo_pos == prev) {
                    len = std::min(t.memo[c - 1].memo_len + 1, max_len);
                } else if ((q = t.stretch[c].period) != 0 && t.stretch[p - q].period == q) {
                    len = repeat_shortcut<V, true>(t, b, c, p, q, max_len, skip_above);
                } else {
                    len = compare_back<true>(b, c, p, max_len);
                }
                const int seq = t.cost[p - len] + V::seq_cost(len, w);
                put_memo(t.memo[c], p, len, seq);
                take_candidate(r, seq, len, w, t.stretch[c]);
                if (r.best_len >= V::max_seq_len) break;
            }
            c = t.pair_slot[c];
            if (c == 0 || way_a || c < r.best_len || p - c > V::max_offset) break;
        }
        if (pack_status s = decide<V>(t, p, lit_cost, r, run_count); failed(s)) return s;
        load += examined - (load >> window_decay);
        budget -= examined - 1;
        if (budget < 0) {
            from = p + 1;
            return {};
        }
        if (load >= chain_window_enter << window_decay && p + 1 < n) {
            const int at = p + 1;
            if (pack_status s =
                    window_run<V>(t, b, n, p, run_count, load, load, false, chain_patience);
                failed(s))
                return s;
            chain_positions(t, b, at, p + 1);
        }
    }
    from = n;
    return {};
}

} // namespace

void set_chain_budget(int per_position) { chain_budget = per_position; }

template <class V>
pack_status forward_pass(pack_tables& t, const uint8_t* b, int n) {
    int run_count = parse_start(t);
    if (n == 1) return {};
    walk_state w;
    // Whether the last walk that tried a jump had each try pass over some candidates: then the
    // next walk's first try may come early.
    bool early = false;
    // The moving sums of the candidates the walks go through and of those they took the full
    // visit for (window_walk.h).
    int load = 0, full_load = 0;
    int from = 1;
    if constexpr (!jumps<V>) {
        const pack_status s = start_in_window<V>(t, b, n, from, run_count, load);
        if (failed(s) || from >= n) return s;
        const pack_status c = chain_walk<V>(t, b, n, from, run_count, load);
        if (failed(c) || from >= n) return c;
    }
    build_pair_lists(t, b, n);
    for (int p = 1; p < from; ++p) note_short_period(t, p);
    for (int p = from; p < n; ++p) {
        const int lit_cost = literal_step<V>(t, p, run_count);
        pack_status status;
        const int lo = int(t.pair_first[pair_key(b, p)]);
        if (take_way_a<V>(t, p, lo, lit_cost, run_count, status)) {
            if (failed(status)) return status;
            continue;
        }
        // No candidate, or the nearest one out of reach: p keeps the literal, and its stretch
        // record stays 0 from the zeroed start, as in the reference walk.
        if (const int first = int(t.pair_slot[p]) - 1;
            first < lo || p - entry_pos(t.pair_pos[first]) > V::max_offset)
            continue;
        start_walk_at<V>(w, t, b, p, n);
        // Until the first try finds the input made of other than two byte values.
        const bool two = jumps<V> && t.sym_state != 2;
        const int end_c = walk_candidates<V>(t, b, n, w, lo, early, two);
        if constexpr (!jumps<V>) {
            load += int(t.pair_slot[p]) - 1 - w.end_i - (load >> window_decay);
            full_load += w.full_visits - (full_load >> window_decay);
        }
        if (w.tries != 0) early = w.tries == 1;
        if constexpr (jumps<V>) {
            t.walk_end[p] = uint16_t(p - end_c);
            t.walk_skip[p] = uint8_t(w.had_skip);
            t.jump_lo[p] = uint16_t(w.jump_lo);
            t.jump_hi[p] = uint16_t(w.jump_hi);
        }
        if (w.best_key == UINT64_MAX) continue; // no candidate in reach
        walk_result r;
        r.best_cost = int(w.best_key >> 16);
        r.best_len = int(0xFFFF - (w.best_key & 0xFFFF));
        r.best_off = w.best_off;
        r.rep_period = w.rep_period;
        r.rep_len = w.rep_len;
        status = decide<V>(t, p, lit_cost, r, run_count);
        if (failed(status)) return status;
        note_short_period(t, p);
        if constexpr (jumps<V>) note_period_end(t, p);
        if constexpr (!jumps<V>) {
            // Crowded, or costly to walk: the window walk takes the positions after p for as
            // long as they are.
            const bool crowded = load >= window_enter << window_decay;
            const bool costly = full_load >= window_costly << window_decay;
            if ((crowded || costly) && p + 1 < n) {
                status = window_run<V>(t, b, n, p, run_count, load, full_load, true, 1);
                if (failed(status)) return status;
            }
        }
    }
    return {};
}

template pack_status forward_pass<ktb_variant>(pack_tables&, const uint8_t*, int);
template pack_status forward_pass<kta_variant>(pack_tables&, const uint8_t*, int);
