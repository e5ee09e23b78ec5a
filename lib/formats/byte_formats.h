// The KTA and KTB byte grammars (compression types 1 and 2); their offsets are in
// offset_codings.h.
// The reader accepts every form the bytes can express: sequences of length 0 or 1 and
// two-byte forms of small values included.
#pragma once

#include "stream_cursor.h"
#include "token.h"

token_head read_kta_token(stream_cursor& cur);
token_head read_ktb_token(stream_cursor& cur);
