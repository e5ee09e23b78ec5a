// The bit-oriented grammars: ZX7, BLK and TS1 (compression types 3, 4 and 5), read and coded.
// Token kinds and lengths are bits; literal bytes and the first raw byte stay whole bytes in
// the same stream.
#pragma once

#include <cstdint>

#include "item_code.h"
#include "stream_cursor.h"
#include "token.h"

token_head read_zx7_token(stream_cursor& cur);
token_head read_blk_token(stream_cursor& cur);
// After the prefix 1110 an overlong gamma gives a sequence of length 0: its offset is still
// read, and the token then ends the stream.
token_head read_ts1_token(stream_cursor& cur);

bool code_zx7_literal(uint32_t length, item_code& code);
bool code_zx7_sequence(uint32_t length, item_code& code);
bool code_zx7_end_mark(item_code& code);
bool code_blk_literal(uint32_t length, item_code& code);
bool code_blk_sequence(uint32_t length, item_code& code);
bool code_blk_end_mark(item_code& code);
bool code_ts1_literal(uint32_t length, item_code& code);
bool code_ts1_sequence(uint32_t length, item_code& code);
bool code_ts1_end_mark(item_code& code);
