// Steps of the forward pass that both walks share: the literal, the two byte-reading ways of
// getting a match length, and the decision with its stretch record.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "pack_status.h"
#include "pack_tables.h"

// The best sequence and the inherited stretch gathered by the walk at one position.
struct walk_result {
    int best_len = 0;
    int best_off = 0;
    int best_cost = 80000; // above any cost a 65536-byte input reaches
    int rep_period = 0;
    int rep_len = 0;
};

// Position 0 is a literal run of its own. Gives the run_count the walk at position 1 starts with.
inline int parse_start(pack_tables& t) {
    t.cost[0] = 2;
    t.step_len[0] = 0;
    t.stretch[0] = {0, 0};
    return 1;
}

// Sets position p to a literal and gives its cost; run_count follows the run it joins.
template <class V>
inline int literal_step(pack_tables& t, int p, int& run_count) {
    t.step_len[p] = 0;
    int lit_cost;
    if (run_count == 0 || run_count == V::max_literal_run) {
        lit_cost = t.cost[p - 1] + 2;
        run_count = 1;
    } else {
        lit_cost = t.cost[p - 1] + V::extend_cost(run_count);
        ++run_count;
    }
    t.cost[p] = lit_cost;
    return lit_cost;
}

// The match ending at c and p (c < p) known len bytes long: its length, up to max_len
// (at most c + 1). With words, eight bytes are compared at a time (the fast walk's way); the
// plain walk keeps the byte loop it was measured with.
template <bool words = false>
inline int extend_back(const uint8_t* b, int c, int p, int len, int max_len) {
    if constexpr (words) {
        // The word holds the lengths len .. len + 7, the nearest in its highest address.
        for (; len + 8 <= max_len; len += 8) {
            uint64_t x, y;
            std::memcpy(&x, b + c - len - 7, 8);
            std::memcpy(&y, b + p - len - 7, 8);
            if (const uint64_t d = x ^ y; d != 0) {
                if constexpr (std::endian::native == std::endian::little)
                    return len + (std::countl_zero(d) >> 3);
                else
                    return len + (std::countr_zero(d) >> 3);
            }
        }
    }
    while (len < max_len && b[c - len] == b[p - len]) ++len;
    return len;
}

// Match length by comparison, the pair at c and p being known equal.
template <bool words = false>
inline int compare_back(const uint8_t* b, int c, int p, int max_len) {
    if (max_len <= 2 || b[c - 2] != b[p - 2]) return 2;
    return extend_back<words>(b, c, p, 3, max_len);
}

// The repeat shortcut, for q = period of c with period[p - q] = q. Checks two periods byte by
// byte; when both agree the two stretches vouch for the rest, and skip_above is lowered.
template <class V, bool words = false>
inline int repeat_shortcut(const pack_tables& t, const uint8_t* b, int c, int p, int q, int max_len,
                           int& skip_above) {
    int k = q;
    if (q > 2) {
        k = 2;
        while (k < q && b[c - k] == b[p - k]) ++k;
    }
    if (k < q) return k;
    int lim = std::min(2 * q, V::max_seq_len);
    if (b[c - q] != b[p - q]) return q;
    int j = q + 1;
    while (j < lim && b[c - j] == b[p - j]) ++j;
    if (j < lim) return j;
    int len = std::min({max_len, int(t.stretch[c].period_len), q + t.stretch[p - q].period_len});
    skip_above = p - len + 1;
    return extend_back<words>(b, c, p, len, max_len);
}

// The inherited stretch: the sequence of length len copies c's stretch, if c has one.
inline void inherit_stretch(stretch_rec rc, int len, walk_result& r) {
    int q = rc.period;
    if (q == 0) return;
    int m = std::min(len, int(rc.period_len));
    if (m > 2 * q && m - q > r.rep_len - r.rep_period) {
        r.rep_period = q;
        r.rep_len = m;
    }
}

// A candidate of length len at offset off whose sequence costs s: the best when cheaper, or as
// cheap and longer (a nearer one, examined first, keeps a tie); then the stretch it may pass
// on, rc being the candidate's.
inline void take_candidate(walk_result& r, int s, int len, int off, stretch_rec rc) {
    if (s < r.best_cost || (s == r.best_cost && len > r.best_len)) {
        r.best_cost = s;
        r.best_len = len;
        r.best_off = off;
    }
    inherit_stretch(rc, len, r);
}

// After the walk at p: the length guard, the choice between literal and sequence, and the
// stretch record. Fails only on the length guard.
template <class V>
inline pack_status decide(pack_tables& t, int p, int lit_cost, const walk_result& r,
                          int& run_count) {
    if (r.best_len > V::max_seq_len) return {pack_fault::length_guard, p, r.best_len, 0, 0};
    if (lit_cost > r.best_cost) {
        t.step_off[p] = uint16_t(r.best_off);
        t.step_len[p] = uint16_t(r.best_len);
        t.cost[p] = r.best_cost;
        run_count = 0;
    }
    stretch_rec& v = t.stretch[p];
    if (r.best_len > r.best_off) {
        v = {uint16_t(r.best_off), uint16_t(r.best_len + r.best_off)};
        return {};
    }
    int m = std::min(r.rep_len, r.best_len);
    if (m > 2 * r.rep_period)
        v = {uint16_t(r.rep_period), uint16_t(m)};
    else
        v = {0, 0};
    return {};
}
