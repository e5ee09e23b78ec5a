// One token of a packed stream under a pack model: the one place where the model picks a
// token grammar and an offset coding. Silent: a failure comes back as a status with the
// values its message needs, and the program that called words it.
#pragma once

#include <cstdint>

#include "pack_model.h"
#include "stream_cursor.h"
#include "token.h"

enum class decode_error : uint8_t {
    none,
    unknown_type,   // value: the compression type
    unknown_coding, // value: the offset coding
    zero_offset,    // value: the coding (1 or 2), length: the sequence's length
    past_end,       // the token needs a byte past the loaded data (a stream cut short)
};

struct decode_status {
    decode_error error = decode_error::none;
    int value = 0;
    uint32_t length = 0;
};

// Gives the token in out (cleared at the start of every call), or the failure. A token that
// took a byte past the loaded data fails with past_end before any other check of its values
// (a zero offset read there is this failure). On a zero offset the stream position has passed
// the offset bytes.
decode_status decode_token(stream_cursor& cur, const pack_model& model, token& out);
