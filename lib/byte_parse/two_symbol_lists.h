// Tables for the walk where the input is made of two byte values (two-symbol data): there every
// pair has a quarter to half of the earlier positions as candidates, most of them far, and the
// match lengths are short. Written as bits, a candidate's match with p is exactly l long when
// it ends the l bytes before p preceded by the other value, one string of l + 1 symbols; so
// the last position entered that ends it is the nearest candidate of exactly that length, and
// since a farther offset never costs less, the cheapest of those lengths is the best of all
// candidates from offset sym_near on up to sym_exact_max bytes. A stretch of period q
// passed on by a candidate whose last q bytes match p's is min(its length, p's own q-periodic
// length) long, so the nearest stretch of each period and length settles the inherited one.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "pack_tables.h"

// Whether in[0..n-1] is made of two byte values (looked at once per input, sym_bits filled).
bool two_symbols(pack_tables& t, const uint8_t* b, int n);

// Enters the positions from sym_filled up to last (inclusive), whose stretches are decided.
void enter_symbols(pack_tables& t, int last);

// Groups the positions by their 17 symbols (sym_long_pos) and makes the tables of the runs,
// once a walk needs them; from then on enter_symbols enters the runs too.
void build_sym_long_lists(pack_tables& t, int n);

// The index in sym_last of the l + 1 symbols ending at a position whose bits are word, where
// the first of them is the other value than that l before it (a match of exactly l bytes).
inline int sym_exact_index(uint32_t word, int l) {
    const uint32_t low = word & ((1u << l) - 1);
    const uint32_t other = (~word >> l & 1) << l;
    return int((2u << l) | other | low);
}

// The 17 symbols ending at a position whose bits are word (matches of more than sym_exact_max
// bytes), as sym_long_first groups them, and their index in sym_last.
inline uint32_t sym_long_key(uint32_t word) { return word & ((2u << sym_exact_max) - 1); }
inline int sym_long_index(uint32_t word) { return int((2u << sym_exact_max) | sym_long_key(word)); }

// An entry of sym_long_pos: the position in bits 0-15, its last 48 symbols (the latest in bit
// 16) above, so that the length of a match up to 47 bytes follows from the entry alone.
inline constexpr int sym_long_known = 48;
static_assert(sym_stretch_max == sym_long_known - 1);
inline uint64_t sym_long_entry(int j, uint64_t word) { return uint64_t(j) | word << 16; }
inline uint64_t sym_long_bits(uint64_t e) { return e >> 16; }
// A stretch as a match of under sym_long_known bytes sees it: the period in the low byte (255
// where it is none or too long for such a match to pass it on), the length up to 255 above.
inline uint16_t sym_long_stretch(stretch_rec s) {
    const int q = s.period != 0 && s.period < 128 ? s.period : 255;
    return uint16_t(q | std::min(int(s.period_len), 255) << 8);
}

// Whether a candidate of len < sym_long_known bytes whose stretch is s (sym_long_stretch)
// passes on one of more than excess bytes' excess, as passes_on_stretch decides.
inline bool sym_long_passes_on(uint16_t s, int len, int excess) {
    const int q = s & 0xFF, m = std::min(len, s >> 8);
    return m > 2 * q && m - q > excess;
}

// The last 48 symbols ending at position j >= 32, as an entry holds them.
inline uint64_t sym_long_word(const pack_tables& t, int j) {
    return (uint64_t(t.sym_bits[j - 32]) << 32 | t.sym_bits[j]) &
           ((uint64_t(1) << sym_long_known) - 1);
}

// The same for any position j >= 0: the symbols before the input's start count as zeros.
inline uint64_t sym_word_at(const pack_tables& t, int j) {
    return j >= 32 ? sym_long_word(t, j) : t.sym_bits[j];
}

// Whether no candidate of 17 to 47 bytes, as p's last 48 symbols (word48) allow, can change a
// kept stretch of excess e and period q (0: the inherited one, which only more excess
// replaces) with a stretch of period from_period or more (the stretch tables answer for the
// shorter ones). A stretch of period r passed on with m bytes makes p's last m symbols
// r-periodic, so m is at most p's own r-periodic length; at equal excess the same period means
// the same stretch.
inline bool long_stretch_settled(uint64_t word48, int e, int q, int from_period = 1) {
    for (int r = from_period; 2 * r + 1 < sym_long_known; ++r) {
        const uint64_t same = (word48 ^ word48 >> r) | uint64_t(1) << (sym_long_known - r);
        const int m = std::min(sym_long_known - 1, std::countr_zero(same) + r);
        if (m > 2 * r && (m - r > e || (m - r == e && q != 0 && r != q))) return false;
    }
    return true;
}

// Whether a candidate of l bytes at offset off costs no more than one of any length from
// sym_exact_max + 1 up to l - 1 at that offset, so that where it is the longest of candidates
// whose offsets all cost alike, it is the best of them (at equal cost the longer one is).
template <class V>
inline bool longest_is_cheapest(const int32_t* cost, int p, int l, int off) {
    const int seq = cost[p - l] + V::seq_cost(l, off);
    for (int k = sym_exact_max + 1; k < l; ++k)
        if (cost[p - k] + V::seq_cost(k, off) < seq) return false;
    return true;
}

// The index in sym_run_first of the positions of symbol sym whose run is r bytes long,
// sym_exact_max < r <= sym_exact_max + sym_run_lengths.
inline int sym_run_key(int sym, int r) { return sym * sym_run_lengths + r - sym_exact_max - 1; }
inline bool sym_run_listed(int r) {
    return r > sym_exact_max && r <= sym_exact_max + sym_run_lengths;
}
