// What a token grammar reads before the offset: the token's kind and its count.
#pragma once

#include <cstdint>

enum class token_kind { end_mark, literal_run, sequence, repeat };

struct token_head {
    token_kind kind;
    uint32_t length;
};

// A decoded token as the listing loop takes it: length 0 is the end mark, offset 0 with a
// length is a literal run, anything else a sequence; repeat marks a sequence that reused the
// last offset (KTR) rather than coding one.
struct token {
    uint32_t length = 0;
    uint32_t offset = 0;
    bool repeat = false;
};
