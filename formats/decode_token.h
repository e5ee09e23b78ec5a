// One token of a packed stream under a pack model: the one place where the model picks a
// token grammar and an offset coding. Prints its own message on failure.
#pragma once

#include "pack_model.h"
#include "stream_cursor.h"
#include "token.h"

inline constexpr int decode_ok = 0;
inline constexpr int decode_failed = 1;

// Gives decode_ok with the token in out, or decode_failed after printing the message for
// the file named name. out is cleared at the start of every call.
int decode_token(stream_cursor& cur, const pack_model& model, const char* name, token& out);
