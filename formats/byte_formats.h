// The KTA and KTB byte grammars (compression types 1 and 2) and offset codings 1 and 2.
// The reader accepts every form the bytes can express: sequences of length 0 or 1 and
// two-byte forms of small values included.
#pragma once

#include "stream_cursor.h"
#include "token.h"

token_head read_kta_token(stream_cursor& cur);
token_head read_ktb_token(stream_cursor& cur);

// Offsets as read; 0 is the caller's error to report.
uint32_t read_offset_1byte(stream_cursor& cur);
uint32_t read_offset_2bytes(stream_cursor& cur);
