// The window walk: per offset the match length, moved on with one comparison a position; one
// pass over the window's offsets (16 at a time where SSE2 is there) gives the candidates as
// bit masks, those way C could make pass over others, and the longest length. Most positions
// are settled from that pass; the others take each candidate the way the reference walk takes
// it, nearest first.
#include "window_walk.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// With GCC or Clang on x86 the walk is also built for AVX2 as a whole, its passes 32 offsets at
// a time: window_walk_wide.cpp includes this file with KT_WINDOW_WIDE set, and the build gives
// it -mavx2 (where it does, it sets KT_WINDOW_WIDE_FILE for both). Built as a whole, the pass
// is inlined into each step, where a call to a function built for AVX2 alone kept the step's
// values in memory across it. window_run takes that walk where the processor has AVX2; the
// rest of the program needs no more than SSE2.
#if defined(KT_WINDOW_WIDE)
#if !defined(__AVX2__) || !defined(__POPCNT__)
#error "window_walk_wide.cpp is built with -mavx2 -mpopcnt"
#endif
#include <immintrin.h>
#endif

#include "pair_lists.h"
#include "parse_steps.h"
#include "variant.h"

namespace {

// The passes move a length on with a signed saturating add, which holds it at 127.
static_assert(window_cap == 127);

void set_bit(uint64_t* m, int w) { m[w >> 6] |= uint64_t(1) << (w & 63); }
bool has_bit(const uint64_t* m, int w) { return m[w >> 6] >> (w & 63) & 1; }

// Clears the bits above w.
void keep_up_to(uint64_t* m, int w) {
    for (int k = 0; k < 4; ++k) {
        const int top = w - 64 * k; // bits 0..top of word k stay
        if (top < 0)
            m[k] = 0;
        else if (top < 63)
            m[k] &= (uint64_t(2) << top) - 1;
    }
}

// What the pass over the window gives at p, the offsets up to last.
struct window_scan {
    uint64_t cand[4];  // bit w: a candidate (at least 2 long), up to last
    int most = 0;      // the longest length
    int most_at = 0;   // the nearest offset of that length
    int excess = 0;    // the greatest excess of a stretch passed on (see stretch_excess)
    int excess_at = 0; // the nearest offset of that excess
    int count = 0;     // candidates
};

// Where the pass reads the stretches of the positions at offsets 0 up (the arrays back to front
// from p on, see note_window_stretch).
struct window_stretches {
    const uint8_t* period;
    const uint8_t* twice;
    const uint8_t* period_len;
};

// Per offset, the length above which way C could make it pass over others (w + 2), held at
// window_cap, which no length passes.
constexpr auto wide_above = [] {
    std::array<uint8_t, window_offsets> a{};
    for (int w = 0; w < window_offsets; ++w) a[size_t(w)] = uint8_t(std::min(w + 2, window_cap));
    return a;
}();

// Per offset, 255 - w: beside a length in a 16-bit key, so that the greatest key is the
// greatest length at its nearest offset.
constexpr auto nearness = [] {
    std::array<uint8_t, window_offsets> a{};
    for (int w = 0; w < window_offsets; ++w) a[size_t(w)] = uint8_t(window_offsets - 1 - w);
    return a;
}();

// A greatest key: its length and its offset.
void take_key(int key, int& value, int& at) {
    value = key >> 8;
    at = window_offsets - 1 - (key & 0xFF);
}

#if defined(__SSE2__)
// Those marked maybe_unused serve only the 16-offset passes, which the AVX2 build leaves out.
using vec = __m128i;
vec load(const uint8_t* a) { return _mm_loadu_si128(reinterpret_cast<const vec*>(a)); }
[[maybe_unused]] void store(uint8_t* a, vec v) { _mm_storeu_si128(reinterpret_cast<vec*>(a), v); }
[[maybe_unused]] vec first_lanes() {
    return _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
}
// The lanes whose offset (idx) is at most last.
[[maybe_unused]] vec up_to(vec idx, vec last) {
    return _mm_cmpeq_epi8(_mm_subs_epu8(idx, last), _mm_setzero_si128());
}
uint8_t greatest(vec v) {
    v = _mm_max_epu8(v, _mm_srli_si128(v, 8));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 4));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 2));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 1));
    return uint8_t(_mm_cvtsi128_si32(v));
}
// The greatest of eight 16-bit keys (below 0x8000, as lengths are below 128).
[[maybe_unused]] int greatest_key(vec v) {
    v = _mm_max_epi16(v, _mm_srli_si128(v, 8));
    v = _mm_max_epi16(v, _mm_srli_si128(v, 4));
    v = _mm_max_epi16(v, _mm_srli_si128(v, 2));
    return _mm_cvtsi128_si32(v) & 0xFFFF;
}
// The keys of lengths l beside their offsets' nearness, folded into keys.
[[maybe_unused]] vec fold_keys(vec keys, vec near, vec l) {
    return _mm_max_epi16(keys,
                         _mm_max_epi16(_mm_unpacklo_epi8(near, l), _mm_unpackhi_epi8(near, l)));
}
#endif

#if defined(KT_WINDOW_WIDE)
using vec32 = __m256i;
vec32 load32(const uint8_t* a) { return _mm256_loadu_si256(reinterpret_cast<const vec32*>(a)); }
void store32(uint8_t* a, vec32 v) { _mm256_storeu_si256(reinterpret_cast<vec32*>(a), v); }
vec32 up_to32(vec32 idx, vec32 last) {
    return _mm256_cmpeq_epi8(_mm256_subs_epu8(idx, last), _mm256_setzero_si256());
}
vec32 first_lanes32() {
    return _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                            20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
}
uint8_t greatest32(vec32 v) {
    return greatest(_mm_max_epu8(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1)));
}
// The greatest key is the least of their complements, which one instruction finds.
int greatest_key32(vec32 v) {
    const vec m = _mm_max_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return ~_mm_cvtsi128_si32(_mm_minpos_epu16(_mm_xor_si128(m, _mm_set1_epi8(-1)))) & 0xFFFF;
}
vec32 fold_keys32(vec32 keys, vec32 near, vec32 l) {
    return _mm256_max_epi16(
        keys, _mm256_max_epi16(_mm256_unpacklo_epi8(near, l), _mm256_unpackhi_epi8(near, l)));
}

#endif

#if defined(KT_WINDOW_WIDE)
// advance_and_scan's pass 32 offsets at a time (the scan up to the 32 that hold last).
void advance_and_scan32(uint8_t* len, const uint8_t* h, const window_stretches& st, uint8_t x_byte,
                        int last, window_scan& s) {
    const vec32 x = _mm256_set1_epi8(char(x_byte));
    // Made from x, so that the compiler keeps it in a register instead of building the
    // constant again at each step of the unrolled loop.
    const vec32 one = _mm256_abs_epi8(_mm256_cmpeq_epi8(x, x));
    const vec32 last_v = _mm256_set1_epi8(char(last));
    // In locals, as the stores of the lengths could otherwise change them for the compiler.
    const uint8_t* period = st.period;
    const uint8_t* twice = st.twice;
    const uint8_t* period_len = st.period_len;
    vec32 most = _mm256_setzero_si256(), excess = _mm256_setzero_si256();
    uint64_t cand[4] = {0, 0, 0, 0};
    // Unrolled, so that the bits stay in registers.
#pragma GCC unroll 8
    for (int w = 0; w < window_offsets; w += 32) {
        const vec32 l = load32(len + w);
        const vec32 longer = _mm256_adds_epi8(l, one); // held at window_cap
        vec32 nl = _mm256_and_si256(_mm256_cmpeq_epi8(load32(h + w), x), longer);
        store32(len + w, nl);
        if (w > last) continue; // past way A's candidate: only moved on
        if (w + 31 > last)
            nl = _mm256_and_si256(
                nl, up_to32(_mm256_add_epi8(first_lanes32(), _mm256_set1_epi8(char(w))), last_v));
        cand[w >> 6] |= uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpgt_epi8(nl, one))))
                        << (w & 63);
        const vec32 near = load32(nearness.data() + w);
        most = fold_keys32(most, near, nl);
        const vec32 m = _mm256_min_epu8(nl, load32(period_len + w));
        const vec32 on = _mm256_cmpgt_epi8(m, load32(twice + w));
        excess =
            fold_keys32(excess, near, _mm256_and_si256(on, _mm256_sub_epi8(m, load32(period + w))));
    }
    // One store, which the copies of the bits then read whole.
    _mm256_storeu_si256(
        reinterpret_cast<vec32*>(s.cand),
        _mm256_set_epi64x(int64_t(cand[3]), int64_t(cand[2]), int64_t(cand[1]), int64_t(cand[0])));
    take_key(greatest_key32(most), s.most, s.most_at);
    take_key(greatest_key32(excess), s.excess, s.excess_at);
    s.count = 0;
    for (int k = 0; k < 4; ++k) s.count += std::popcount(cand[k]);
}
#endif

#if !defined(KT_WINDOW_WIDE)
// advance_and_scan's pass 16 offsets at a time, or one at a time without SSE2.
void advance_and_scan16(uint8_t* len, const uint8_t* h, const window_stretches& st, uint8_t x_byte,
                        int last, window_scan& s) {
#if defined(__SSE2__)
    const vec x = _mm_set1_epi8(char(x_byte));
    const vec one = _mm_set1_epi8(1);
    const vec last_v = _mm_set1_epi8(char(last));
    const uint8_t* period = st.period;
    const uint8_t* twice = st.twice;
    const uint8_t* period_len = st.period_len;
    vec most = _mm_setzero_si128(), excess = _mm_setzero_si128(), count = _mm_setzero_si128();
    uint64_t cand[4] = {0, 0, 0, 0};
#pragma GCC unroll 16
    for (int w = 0; w < window_offsets; w += 16) {
        const vec l = load(len + w);
        const vec longer = _mm_adds_epi8(l, one); // held at window_cap
        vec nl = _mm_and_si128(_mm_cmpeq_epi8(load(h + w), x), longer);
        store(len + w, nl);
        if (w > last) continue; // past way A's candidate: only moved on
        if (w + 15 > last)
            nl = _mm_and_si128(nl,
                               up_to(_mm_add_epi8(first_lanes(), _mm_set1_epi8(char(w))), last_v));
        const vec in = _mm_cmpgt_epi8(nl, one);
        cand[w >> 6] |= uint64_t(uint32_t(_mm_movemask_epi8(in))) << (w & 63);
        count = _mm_sub_epi8(count, in); // 16 at most a lane
        const vec near = load(nearness.data() + w);
        most = fold_keys(most, near, nl);
        const vec m = _mm_min_epu8(nl, load(period_len + w));
        const vec on = _mm_cmpgt_epi8(m, load(twice + w));
        excess = fold_keys(excess, near, _mm_and_si128(on, _mm_sub_epi8(m, load(period + w))));
    }
    // Whole stores, which the copies of the bits then read whole.
    store(reinterpret_cast<uint8_t*>(s.cand), _mm_set_epi64x(int64_t(cand[1]), int64_t(cand[0])));
    store(reinterpret_cast<uint8_t*>(s.cand + 2),
          _mm_set_epi64x(int64_t(cand[3]), int64_t(cand[2])));
    take_key(greatest_key(most), s.most, s.most_at);
    take_key(greatest_key(excess), s.excess, s.excess_at);
    count = _mm_sad_epu8(count, _mm_setzero_si128());
    s.count = _mm_cvtsi128_si32(count) + _mm_cvtsi128_si32(_mm_srli_si128(count, 8));
#else
    std::fill(s.cand, s.cand + 4, uint64_t(0));
    s.count = 0;
    int most = 0, excess = 0;
    for (int w = 0; w < window_offsets; ++w) {
        const uint8_t l = len[w];
        len[w] = h[w] == x_byte ? uint8_t(l + (l < window_cap)) : uint8_t(0);
        if (w > last) continue;
        if (len[w] >= 2) {
            set_bit(s.cand, w);
            ++s.count;
        }
        const int near = window_offsets - 1 - w;
        most = std::max(most, len[w] << 8 | near);
        const int m = std::min(len[w], st.period_len[w]);
        excess = std::max(excess, (m > st.twice[w] ? m - st.period[w] : 0) << 8 | near);
    }
    take_key(most, s.most, s.most_at);
    take_key(excess, s.excess, s.excess_at);
#endif
}
#endif

// Moves the lengths on from p - 1 to p (one longer where B[p - w] = B[p], else 0; held at
// window_cap, below the sign bit of the signed byte compares) and scans them up to last: the
// candidates, the longest and the greatest stretch excess, each at its nearest offset.
void advance_and_scan(pack_tables& t, const uint8_t* b, int n, int p, int last, window_scan& s) {
    uint8_t* len = t.window_len;
    const int from = n - 1 - p;
    const uint8_t* h = t.window_rev + from; // h[w] = B[p - w] for w <= p
    const window_stretches st{t.window_period_rev + from, t.window_twice_rev + from,
                              t.window_period_len_rev + from};
    if (p < window_offsets) len[p] = 0; // offset p had no position at p - 1
#if defined(KT_WINDOW_WIDE)
    advance_and_scan32(len, h, st, b[p], last, s);
#else
    advance_and_scan16(len, h, st, b[p], last, s);
#endif
    // Offset 0 (p itself) and offsets p and above come out at most 1 long: no candidate, no
    // longest, no stretch.
    if (p < window_offsets) std::fill(len + p + 1, len + window_offsets, uint8_t(0));
    len[0] = 0;
}

// The candidates way C could make pass over others (at least w + 3 long), up to last, other
// than way A's and those the walk at p - 1 examined; most is the longest length up to last.
bool wide_unseen(const uint8_t* len, int last, int most, int way_a, const uint64_t* seen_before) {
#if defined(__SSE2__)
    // No length passes most, so only offsets below most - 2 can hold one: where those are
    // among the first 16, one comparison does.
    if (const int top = std::min(last, most - 3); top < 16) {
        if (top < 1) return false;
        uint64_t x =
            uint32_t(_mm_movemask_epi8(_mm_cmpgt_epi8(load(len), load(wide_above.data()))));
        x &= ~seen_before[0] & ((uint64_t(2) << top) - 2);
        if (way_a < 16) x &= ~(uint64_t(1) << way_a);
        return x != 0;
    }
#endif
    uint64_t risk[4];
    for (int k = 0; k < 4; ++k) {
        uint64_t x = 0;
#if defined(__SSE2__)
        for (int j = 0; j < 64; j += 16)
            x |= uint64_t(uint32_t(_mm_movemask_epi8(
                     _mm_cmpgt_epi8(load(len + 64 * k + j), load(wide_above.data() + 64 * k + j)))))
                 << j;
#else
        for (int j = 0; j < 64; ++j)
            x |= uint64_t(len[64 * k + j] > wide_above[size_t(64 * k + j)]) << j;
#endif
        risk[k] = x & ~seen_before[k];
    }
    risk[0] &= ~uint64_t(1);
    keep_up_to(risk, last);
    if (way_a != 0) risk[way_a >> 6] &= ~(uint64_t(1) << (way_a & 63));
    return (risk[0] | risk[1] | risk[2] | risk[3]) != 0;
}

// Every candidate, bit w of four words (where the scan stopped at last).
void all_candidates(const uint8_t* len, uint64_t* m) {
    for (int k = 0; k < 4; ++k) {
        uint64_t x = 0;
#if defined(__SSE2__)
        for (int j = 0; j < 64; j += 16)
            x |= uint64_t(uint32_t(
                     _mm_movemask_epi8(_mm_cmpgt_epi8(load(len + 64 * k + j), _mm_set1_epi8(1)))))
                 << j;
#else
        for (int j = 0; j < 64; ++j) x |= uint64_t(len[64 * k + j] >= 2) << j;
#endif
        m[k] = x;
    }
}

// The first offset whose byte is v, or window_offsets.
int first_equal(const uint8_t* a, uint8_t v) {
#if defined(__SSE2__)
    for (int w = 0; w < window_offsets; w += 16)
        if (const int m = _mm_movemask_epi8(_mm_cmpeq_epi8(load(a + w), _mm_set1_epi8(char(v))));
            m != 0)
            return w + std::countr_zero(unsigned(m));
    return window_offsets;
#else
    return int(std::find(a, a + window_offsets, v) - a);
#endif
}

// Per offset up to last (a candidate of length len[w]), how much the stretch it would pass on
// exceeds its period, as inherit_stretch weighs it (0 where it passes none on); gives the
// greatest. twice holds twice the periods (window_cap where none can be passed on). Only the
// 16 offsets that hold last and those below are written: where the greatest is above 0 it
// lies there, so a search for it from offset 0 stops before the rest.
#if defined(KT_WINDOW_WIDE)
uint8_t stretch_excess32(const uint8_t* len, const uint8_t* period, const uint8_t* twice,
                         const uint8_t* period_len, int last, uint8_t* excess) {
    const vec32 step = _mm256_set1_epi8(32);
    const vec32 last_v = _mm256_set1_epi8(char(last));
    vec32 idx = first_lanes32();
    vec32 top = _mm256_setzero_si256();
    for (int w = 0; w <= last; w += 32) {
        const vec32 m = _mm256_min_epu8(load32(len + w), load32(period_len + w));
        const vec32 on =
            _mm256_and_si256(_mm256_cmpgt_epi8(m, load32(twice + w)), up_to32(idx, last_v));
        idx = _mm256_add_epi8(idx, step);
        const vec32 x = _mm256_and_si256(on, _mm256_sub_epi8(m, load32(period + w)));
        store32(excess + w, x);
        top = _mm256_max_epu8(top, x);
    }
    return greatest32(top);
}
#endif

uint8_t stretch_excess(const uint8_t* len, const uint8_t* period, const uint8_t* twice,
                       const uint8_t* period_len, int last, uint8_t* excess) {
#if defined(KT_WINDOW_WIDE)
    return stretch_excess32(len, period, twice, period_len, last, excess);
#elif defined(__SSE2__)
    const vec sixteen = _mm_set1_epi8(16);
    const vec last_v = _mm_set1_epi8(char(last));
    vec idx = first_lanes();
    vec top = _mm_setzero_si128();
    for (int w = 0; w <= last; w += 16) {
        const vec m = _mm_min_epu8(load(len + w), load(period_len + w));
        const vec on = _mm_and_si128(_mm_cmpgt_epi8(m, load(twice + w)), up_to(idx, last_v));
        idx = _mm_add_epi8(idx, sixteen);
        const vec x = _mm_and_si128(on, _mm_sub_epi8(m, load(period + w)));
        store(excess + w, x);
        top = _mm_max_epu8(top, x);
    }
    return greatest(top);
#else
    uint8_t top = 0;
    for (int w = 0; w <= last; ++w) {
        const uint8_t m = std::min(len[w], period_len[w]);
        excess[w] = uint8_t(m > twice[w] ? m - period[w] : 0);
        top = std::max(top, excess[w]);
    }
    return top;
#endif
}

// The walk at p settled from the scan, where the reference walk's choice follows from the
// lengths alone: no way C candidate long enough to pass over others, and no cost lower than
// the longest candidate's at a shorter length (costs rise from p - longest on), so that the
// longest, the nearest of them, is the best, and the walk ends at it if it has the longest
// length a sequence takes. The stretch passed on is the first of the greatest excess. range
// (the candidates up to last) becomes those examined. The walk at p - 1 examined every
// candidate up to seen_to: a candidate long enough for way C at p was one there, so only
// offsets above seen_to can hold one it didn't examine. Gives false where that doesn't hold.
template <class V>
bool walk_at_once(pack_tables& t, int n, int p, const window_scan& s, int last, int seen_to,
                  const uint64_t* seen_before, int way_a, uint64_t* range, walk_result& r) {
    // From here on no candidate lies below the best length, nor is any cut short by p.
    if (p < window_offsets + V::max_seq_len) return false;
    const int most = s.most;
    if (last > seen_to && wide_unseen(t.window_len, last, most, way_a, seen_before)) return false;
    if (t.window_drop > p - most) return false;
    const int off = s.most_at;
    r.best_len = most;
    r.best_off = off;
    r.best_cost = t.cost[p - most] + V::seq_cost(most, off);
    const int scanned = last;
    if (most >= V::max_seq_len && off < last) {
        last = off;
        keep_up_to(range, last);
    }
    if (most > off) return true; // the stretch is the best's own
    const int from = n - 1 - p;
    if (last == scanned) {
        if (s.excess == 0) return true;
        r.rep_period = t.window_period_rev[from + s.excess_at];
        r.rep_len = s.excess + r.rep_period;
        return true;
    }
    // The walk ends at the longest: the stretches up to it only.
    uint8_t excess[window_offsets];
    const uint8_t top =
        stretch_excess(t.window_len, t.window_period_rev + from, t.window_twice_rev + from,
                       t.window_period_len_rev + from, last, excess);
    if (top == 0) return true;
    r.rep_period = t.window_period_rev[from + first_equal(excess, top)];
    r.rep_len = top + r.rep_period;
    return true;
}

// The reference walk over the candidates, nearest first, with the lengths from the window.
// Gives the candidates it examined, and marks them in t.window_seen.
template <class V>
int walk_each(pack_tables& t, const uint8_t* b, int p, const uint64_t* cand,
              const uint64_t* seen_before, int way_a, walk_result& r) {
    int skip_above = max_input;
    int count = 0;
    for (int k = 0; k < 4; ++k)
        for (uint64_t m = cand[k]; m != 0; m &= m - 1) {
            const int w = 64 * k + std::countr_zero(m);
            const int c = p - w;
            if (c < r.best_len) return count;
            if (c > skip_above) continue;
            const int max_len = std::min(c + 1, V::max_seq_len);
            int len = std::min(int(t.window_len[w]), max_len);
            int q;
            if (w != way_a && !has_bit(seen_before, w) && (q = t.stretch[c].period) != 0 &&
                t.stretch[p - q].period == q) {
                // Way C: the same length, but it may pass over the candidates after it.
                len = repeat_shortcut<V>(t, b, c, p, q, max_len, skip_above);
            }
            set_bit(t.window_seen, w);
            ++count;
            take_candidate(r, t.cost[p - len] + V::seq_cost(len, w), len, w, t.stretch[c]);
            if (r.best_len >= V::max_seq_len || w == way_a) return count;
        }
    return count;
}

// Keeps x's stretch where walk_at_once reads it: a period whose stretch a length up to
// window_cap can pass on, and the stretch's length up to window_cap.
void note_window_stretch(pack_tables& t, int n, int x) {
    const stretch_rec s = t.stretch[x];
    const bool passes = s.period != 0 && 2 * s.period < window_cap;
    t.window_period_rev[n - 1 - x] = uint8_t(passes ? s.period : 0);
    t.window_twice_rev[n - 1 - x] = uint8_t(passes ? 2 * s.period : window_cap);
    t.window_period_len_rev[n - 1 - x] = uint8_t(std::min(int(s.period_len), window_cap));
}

// What the walk at p leaves for the next: the last position whose cost fell, and its stretch.
void note_window_position(pack_tables& t, int n, int p) {
    if (t.cost[p] < t.cost[p - 1]) t.window_drop = p;
    note_window_stretch(t, n, p);
}

// Fills t.window_rev with the input back to front, so that the bytes at offsets 1 .. 255
// before any position lie in ascending order: the positions from t.window_ready up to p and
// window_chunk more, so that a walk that hands back soon doesn't reverse the whole input.
constexpr int window_chunk = 1024;

void prepare_window(pack_tables& t, const uint8_t* b, int n, int p) {
    const int to = std::min(n, p + window_chunk);
    for (int k = t.window_ready; k < to; ++k) t.window_rev[n - 1 - k] = b[k];
    t.window_ready = to;
}

// Starts the window at p: the lengths of the matches ending at p - 1, and the offsets the walk
// at p - 1 examined, read from its memos (not known to be all its candidates up to any offset).
void enter_window(pack_tables& t, const uint8_t* b, int n, int p) {
    const int prev = p - 1;
    std::fill(t.window_len, t.window_len + window_offsets, uint8_t(0));
    std::fill(t.window_seen, t.window_seen + 4, uint64_t(0));
    for (int w = 1; w < window_offsets && w <= prev; ++w) {
        t.window_len[w] =
            uint8_t(extend_back<true>(b, prev - w, prev, 0, std::min(prev - w + 1, window_cap)));
        if (prev - w >= 1 && t.memo[prev - w].memo_pos == prev) set_bit(t.window_seen, w);
        note_window_stretch(t, n, prev - w + 1);
    }
    t.window_drop = 0;
    for (int x = prev; x >= 1 && x > prev - window_offsets; --x)
        if (t.cost[x] < t.cost[x - 1]) {
            t.window_drop = x;
            break;
        }
}

// The walk at p from the window; the literal of p is already in place. Gives how many
// candidates its walk examined; seen_to becomes the offset up to which those are all its
// candidates (0 where not known).
template <class V>
int window_step(pack_tables& t, const uint8_t* b, int n, int p, int lit_cost, int& run_count,
                int& seen_to, pack_status& status) {
    static_assert(V::max_offset < window_offsets && V::max_seq_len <= window_cap);
    const int prev = p - 1;
    const int way_a = t.step_len[prev] != 0 ? t.step_off[prev] : 0;
    // Way A's candidate ends the walk: a candidate if it matches one byte more.
    // (The sequence at p - 1 matched: way_a is at most p - 1 and its length there at least 1.)
    const bool a_in = way_a != 0 && b[p - way_a] == b[p];
    const int last = a_in ? way_a : window_offsets - 1;
    window_scan s;
    advance_and_scan(t, b, n, p, last, s);
    // Its candidates are examined without memos, as a jump passes over them (leave_window
    // writes those of the last position).
    t.jump_lo[p] = 1;
    t.jump_hi[p] = uint16_t(V::max_offset);
    uint64_t seen_before[4];
    // Copies of a constant size, which the compiler does in place.
    std::memcpy(seen_before, t.window_seen, sizeof seen_before);
    std::memset(t.window_seen, 0, sizeof t.window_seen);
    status = {};
    const int seen_before_to = seen_to;
    if (s.count == 0) {
        seen_to = last;
        note_window_position(t, n, p);
        return 0;
    }
    walk_result r;
    int count = s.count;
    uint64_t range[4];
    std::memcpy(range, s.cand, sizeof range);
    if (walk_at_once<V>(t, n, p, s, last, seen_before_to, seen_before, way_a, range, r)) {
        std::memcpy(t.window_seen, range, sizeof range);
        seen_to = r.best_len >= V::max_seq_len ? r.best_off : last;
    } else {
        // Way C may pass over way A's candidate, and the walk go on past it.
        if (last < window_offsets - 1) all_candidates(t.window_len, s.cand);
        count = walk_each<V>(t, b, p, s.cand, seen_before, way_a, r);
        seen_to = 0;
    }
    status = decide<V>(t, p, lit_cost, r, run_count);
    note_window_position(t, n, p);
    return count;
}

// Leaves the window after p: the memos of the candidates the walk at p examined, as the usual
// walk at p + 1 reads them.
template <class V>
void leave_window(pack_tables& t, int p) {
    for (int k = 0; k < 4; ++k)
        for (uint64_t m = t.window_seen[k]; m != 0; m &= m - 1) {
            const int w = 64 * k + std::countr_zero(m);
            const int len = std::min(int(t.window_len[w]), std::min(p - w + 1, V::max_seq_len));
            put_memo(t.memo[p - w], p, len, t.cost[p - len] + V::seq_cost(len, w));
        }
}

// window_run's walk.
template <class V>
pack_status run_window(pack_tables& t, const uint8_t* b, int n, int& p, int& run_count, int& load,
                       int full_load, bool lists, int patience) {
    enter_window(t, b, n, p + 1);
    int seen_to = 0;
    // The credit of the crowded positions (window_walk.h), and whether the current burst
    // started near the last.
    const bool costly = full_load >= window_costly << window_decay;
    int credit = 0;
    int calm = 0; // positions in a row where the window would hand back
    bool near_burst = false;
    while (++p < n) {
        if (p >= t.window_ready) prepare_window(t, b, n, p);
        const int lit_cost = literal_step<V>(t, p, run_count);
        pack_status status;
        const int count = window_step<V>(t, b, n, p, lit_cost, run_count, seen_to, status);
        if (failed(status)) return status;
        if (count != 0 && lists) note_short_period(t, p);
        load += count - (load >> window_decay);
        if (costly) {
            const bool crowded = count >= window_crowd_lo && count <= window_crowd_hi;
            if (crowded) {
                if (const int gap = p - t.window_crowded_at; gap >= window_burst_apart)
                    near_burst = gap <= window_burst_gap;
                t.window_crowded_at = p;
            }
            credit = std::min(credit + (crowded && near_burst ? count : 0) -
                                  (count == 0 ? window_empty_cost : window_calm_cost),
                              window_credit_cap);
        }
        // Where handing back costs more than the window's walk (building the pair lists),
        // only after patience calm positions in a row.
        if (load < window_leave << window_decay && credit <= 0) {
            if (++calm >= patience) {
                leave_window<V>(t, p);
                return {};
            }
        } else
            calm = 0;
    }
    --p;
    return {};
}

} // namespace

#if defined(KT_WINDOW_WIDE)
namespace window_wide {

template <class V>
pack_status window_run(pack_tables& t, const uint8_t* b, int n, int& p, int& run_count, int& load,
                       int full_load, bool lists, int patience) {
    return run_window<V>(t, b, n, p, run_count, load, full_load, lists, patience);
}

template pack_status window_run<kta_variant>(pack_tables&, const uint8_t*, int, int&, int&, int&,
                                             int, bool, int);

} // namespace window_wide
#else
#if defined(KT_WINDOW_WIDE_FILE)
namespace window_wide {
// The walk of window_walk_wide.cpp.
template <class V>
pack_status window_run(pack_tables& t, const uint8_t* b, int n, int& p, int& run_count, int& load,
                       int full_load, bool lists, int patience);
} // namespace window_wide

namespace {
bool wide_passes_allowed = true;

bool wide_passes() {
    // Every processor with AVX2 also counts bits in one instruction.
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0;
    }();
    return avx2 && wide_passes_allowed;
}
} // namespace

void allow_wide_window_passes(bool on) { wide_passes_allowed = on; }
#else
void allow_wide_window_passes(bool) {}
#endif

bool window_starts(const uint8_t* b, int n) {
    if (n < window_start_length) return false;
    // Positions window_start_near + 1 to end - 1 are probed.
    constexpr int end = window_start_near + window_start_probe + 1;
    int crowd = 0;
    for (int p = window_start_near + 1; p < end; ++p) {
        bool near = false;
        for (int w = 1; w <= window_start_near; ++w)
            near |= b[p - w] == b[p] && b[p - 1 - w] == b[p - 1];
        crowd += near;
    }
    if (crowd < window_start_crowd) return false;
    // A start that repeats a period exactly is way A's, the usual walk's cheapest.
    for (int q = 1; q <= window_start_near; ++q) {
        int p = q;
        while (p < end && b[p] == b[p - q]) ++p;
        if (p == end) return false;
    }
    return true;
}

template <class V>
pack_status window_run(pack_tables& t, const uint8_t* b, int n, int& p, int& run_count, int& load,
                       int full_load, bool lists, int patience) {
#if defined(KT_WINDOW_WIDE_FILE)
    if (wide_passes())
        return window_wide::window_run<V>(t, b, n, p, run_count, load, full_load, lists, patience);
#endif
    return run_window<V>(t, b, n, p, run_count, load, full_load, lists, patience);
}

template pack_status window_run<kta_variant>(pack_tables&, const uint8_t*, int, int&, int&, int&,
                                             int, bool, int);
#endif // KT_WINDOW_WIDE
