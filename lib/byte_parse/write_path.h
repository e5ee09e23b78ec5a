// Emission: writes the path that path recovery leaves into a KTA or KTB stream with its end
// mark, through the formats' one writer (packed_writer.h), and counts the report's figures.
#pragma once

#include <cstdint>

#include "pack_status.h"
#include "pack_tables.h"

// Enough for any path over max_input bytes: no token takes more than two bytes per input
// byte it covers, plus the end mark, plus slack for a sequence cut short by the input's end.
inline constexpr int max_output = 2 * max_input + 8;

struct emit_figures {
    int packed_len = 0; // stream bytes, end mark included
    int data_count = 0; // literal bytes
    int overhead_count = 0;
};

// Writes the stream for in[0..n-1], 1 <= n <= max_input, into out (max_output bytes) under the
// variant's model, or gives the failure: a position without a token, or a token the format has
// no form for.
template <class V>
pack_status write_path(const pack_tables& t, const uint8_t* in, int n, uint8_t* out,
                       emit_figures& fig);
