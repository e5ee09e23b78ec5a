// Tables for the walk where the input is made of two byte values (two-symbol data): there every
// pair has a quarter to half of the earlier positions as candidates, most of them far, and the
// match lengths are short. Written as bits, a candidate's match with p is exactly l long when
// it ends the l bytes before p preceded by the other value, one string of l + 1 symbols; so
// the last position entered that ends it is the nearest candidate of exactly that length, and
// since every offset from sym_near on costs the same at one length, the cheapest of those
// lengths is the best of all far candidates up to sym_exact_max bytes. A stretch of period q
// passed on by a candidate whose last q bytes match p's is min(its length, p's own q-periodic
// length) long, so the nearest stretch of each period and length settles the inherited one.
#pragma once

#include <cstdint>

#include "pack_tables.h"

// Whether in[0..n-1] is made of two byte values (looked at once per input, sym_bits filled).
bool two_symbols(pack_tables& t, const uint8_t* b, int n);

// Enters the positions from sym_filled up to last (inclusive), whose stretches are decided.
void enter_symbols(pack_tables& t, int last);

// The index in sym_last of the l + 1 symbols ending at a position whose bits are word, where
// the first of them is the other value than that l before it (a match of exactly l bytes).
inline int sym_exact_index(uint32_t word, int l) {
    const uint32_t low = word & ((1u << l) - 1);
    const uint32_t other = (~word >> l & 1) << l;
    return int((2u << l) | other | low);
}

// The 17 symbols ending at a position whose bits are word (matches of more than sym_exact_max
// bytes), as sym_count counts them, and their index in sym_last.
inline uint32_t sym_long_key(uint32_t word) { return word & ((2u << sym_exact_max) - 1); }
inline int sym_long_index(uint32_t word) { return int((2u << sym_exact_max) | sym_long_key(word)); }
