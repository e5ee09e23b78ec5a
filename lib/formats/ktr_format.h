// KTR (compression type 6): a first raw byte, then tokens of one flag bit each. Flag 1 is a
// sequence with a new offset: its length - 1 as an interlaced gamma, then the offset under the
// model's coding. Flag 0 is a literal run (its length as an interlaced gamma, then the bytes
// whole), except right after a literal run, where it is a repeat: a sequence of that many
// bytes at the last offset used (1 before any), with no offset coded. Two runs never follow
// each other. An overlong length, after either flag, ends the stream.
#pragma once

#include <cstdint>

#include "item_code.h"
#include "stream_cursor.h"
#include "token.h"

// Interlaced gamma: a 1 then a value bit for each bit after the leading 1, most significant
// first, and a 0 to stop; 1..65535, or 0 as soon as a 16th value bit is read (overlong, with
// no stop bit after it).
uint32_t read_interlaced_gamma(stream_cursor& cur);
bool code_interlaced_gamma(uint32_t value, item_code& code);

token_head read_ktr_token(stream_cursor& cur);

bool code_ktr_literal(uint32_t length, item_code& code);
bool code_ktr_sequence(uint32_t length, item_code& code);
bool code_ktr_repeat(uint32_t length, item_code& code);
bool code_ktr_end_mark(item_code& code);
