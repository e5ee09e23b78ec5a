// The KTA and KTB byte grammars (compression types 1 and 2): how their tokens are read and
// coded; their offsets are in offset_codings.h.
// The reader accepts every form the bytes can express: sequences of length 0 or 1 and
// two-byte forms of small values included. The coders give the writers' forms only.
#pragma once

#include <cstdint>

#include "item_code.h"
#include "stream_cursor.h"
#include "token.h"

token_head read_kta_token(stream_cursor& cur);
token_head read_ktb_token(stream_cursor& cur);

bool code_kta_literal(uint32_t length, item_code& code);
bool code_kta_sequence(uint32_t length, item_code& code);
bool code_ktb_literal(uint32_t length, item_code& code);
bool code_ktb_sequence(uint32_t length, item_code& code);
// Both end with a zero control byte.
bool code_byte_end_mark(item_code& code);
