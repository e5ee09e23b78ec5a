// Token emission: writes the path that path recovery leaves into a KTA or KTB stream with its
// end mark, and counts the figures of the report.
#pragma once

#include <cstdint>

#include "pack_tables.h"

inline constexpr int status_no_token = 4;
inline constexpr int status_ktb_range = 4;
inline constexpr int status_kta_range = 5;

// Enough for any path over max_input bytes: no token takes more than two bytes per input
// byte it covers, plus the end mark, plus slack for a sequence cut short by the input's end.
inline constexpr int max_output = 2 * max_input + 8;

struct emit_figures {
    int packed_len = 0; // stream bytes, end mark included
    int data_count = 0; // literal bytes
    int overhead_count = 0;
};

// Writes the stream for in[0..n-1] into out (max_output bytes). Gives 0, or a status after
// printing its message.
template <class V>
int emit_tokens(const pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig);
