// The forward pass of the optimal parse: for every position the cheapest cost of the input up
// to it and the token ending there, in cost, step_len and step_off.
//
// At position p the walk visits the earlier positions c that end the same byte pair, nearest
// first. A candidate's match length (compared backwards from c and p) comes one of four ways:
//   A  c lies at the offset of the sequence ending at p - 1: that length + 1; the walk ends.
//   B  c - 1 was visited at p - 1 (its memo): that length + 1.
//   C  c and p - q both end stretches of period q: two periods compared, the rest vouched for
//      by the stretches, and candidates above the matched start are passed over.
//   D  otherwise: compared byte by byte.
// The walk stops at the first candidate below the best length found, out of the offset's
// reach, or once the best has the longest length the variant codes.
//
// Every way gives the exact match length, so a candidate changes the result only through the
// best, the inherited stretch, the stop at way A, or way C's skip_above. Once a walk is long,
// KTB's walk passes over the candidates too short to beat the best or the stretch in one step
// (candidate_jump.h), visiting only the longer ones, found through the list of the rarest byte
// pair before p, or where those bytes have a short period, through the runs of that period
// with their lengths (period_jump.h); at the next position way B for the ones passed over
// compares instead of reading a memo.
#pragma once

#include <cstdint>

#include "pack_status.h"
#include "pack_tables.h"

// Fills the tables of a zeroed pack_tables for in[0..n-1], 1 <= n <= max_input. Fails only on
// the length guard.
template <class V>
pack_status forward_pass(pack_tables& t, const uint8_t* in, int n);

// KtaPack's walk goes along the chain of each pair (forward_pass.cpp) until it has examined
// this many candidates per input position beyond the first of each walk, then builds the pair
// lists. The tests also walk with 0, the lists from the first walk that goes past way A.
inline constexpr int default_chain_budget = 2;
void set_chain_budget(int per_position);
