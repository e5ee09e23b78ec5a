// Offset codings 1, 2 and 4 to 7: how a sequence's offset follows its token. Codings 4 to 6
// take bit widths from the pack model. Widths the formats never use (negative, or too wide for
// 31 bits) read what the bits say; an offset that does not fit 32 bits is held at 0xFFFFFFFF,
// which no output position reaches, and a negative width reads no bits and adds nothing.
#pragma once

#include <cstdint>

#include "stream_cursor.h"

uint32_t read_offset_1byte(stream_cursor& cur);
uint32_t read_offset_2bytes(stream_cursor& cur);
// Class n in 2 bits, then (n + 1) * width value bits above the class's base.
uint32_t read_offset_classes(stream_cursor& cur, int width);
// width bits + 1.
uint32_t read_offset_fixed(stream_cursor& cur, int width);
// Flag 1: short_width bits + 1; flag 0: long_width bits + (1 << short_width) + 1.
uint32_t read_offset_two(stream_cursor& cur, int short_width, int long_width);
// A gamma code; 0 for an overlong one.
uint32_t read_offset_gamma(stream_cursor& cur);

// Base of class n under coding 4: the sum of 1 << (k * width) for k = 0..n, held as above.
uint64_t offset_class_base(int n, int width);
