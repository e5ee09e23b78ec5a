// Offset codings 1, 2 and 4 to 7: how a sequence's offset follows its token, read and coded.
// Codings 4 to 6 take bit widths from the pack model. Widths the formats never use (negative,
// or too wide for 31 bits) read what the bits say; an offset that does not fit 32 bits is held
// at 0xFFFFFFFF, which no output position reaches, and a negative width reads no bits and adds
// nothing. Every reader and coder takes the model, so that the format table holds them alike.
#pragma once

#include <cstdint>

#include "item_code.h"
#include "pack_model.h"
#include "stream_cursor.h"

uint32_t read_offset_1byte(stream_cursor& cur, const pack_model& model);
// One byte, or two when its top bit is set: 15 bits.
uint32_t read_offset_2bytes(stream_cursor& cur, const pack_model& model);
// Class n in 2 bits, then (n + 1) * offset1 value bits above the class's base.
uint32_t read_offset_classes(stream_cursor& cur, const pack_model& model);
// offset1 bits + 1.
uint32_t read_offset_fixed(stream_cursor& cur, const pack_model& model);
// Flag 1: offset1 bits + 1; flag 0: offset2 bits + (1 << offset1) + 1.
uint32_t read_offset_two(stream_cursor& cur, const pack_model& model);
// A gamma code; 0 for an overlong one.
uint32_t read_offset_gamma(stream_cursor& cur, const pack_model& model);

// The writers' forms of offsets from 1 up on a packable model (code_offset checks both);
// each gives false for an offset with no form.
bool code_offset_1byte(const pack_model& model, uint32_t offset, item_code& code);
bool code_offset_2bytes(const pack_model& model, uint32_t offset, item_code& code);
bool code_offset_classes(const pack_model& model, uint32_t offset, item_code& code);
bool code_offset_fixed(const pack_model& model, uint32_t offset, item_code& code);
bool code_offset_two(const pack_model& model, uint32_t offset, item_code& code);
bool code_offset_gamma(const pack_model& model, uint32_t offset, item_code& code);

// Base of class n under coding 4: the sum of 1 << (k * width) for k = 0..n, held as above.
uint64_t offset_class_base(int n, int width);
