// Bits on the stream cursor. A bit byte is taken from the stream position only when a bit is
// asked for and the current one is used up, so whole bytes read in between lie behind it.
#pragma once

#include <cstdint>

#include "stream_cursor.h"

// The next bit, 0 or 1, from bit 7 of each bit byte down to bit 0.
int read_bit(stream_cursor& cur);

// The largest value read_bits gives: a number of more bits is held at this ceiling, so widths
// beyond the formats neither wrap nor overflow.
inline constexpr uint64_t bits_ceiling = 0xFFFFFFFF;

// The next n bits as a number, first bit most significant, held at bits_ceiling; 0 without
// reading for n <= 0.
uint64_t read_bits(stream_cursor& cur, int64_t n);

// An Elias gamma value with at least extra value bits after the leading 1: 1..65535, or 0 for
// an overlong code (16 or more value bits).
uint32_t read_gamma(stream_cursor& cur, int extra);
