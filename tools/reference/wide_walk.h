// The forward pass as first written down, for measuring against: nine separate tables of
// 65536 signed 32-bit entries, one look-up after another along pair_chain. The packers' own
// walks must fill cost, step_len and step_off exactly as this one does.
#pragma once

#include <cstdint>

struct wide_tables {
    int32_t cost[65536];
    int32_t step_len[65536];
    int32_t step_off[65536];
    int32_t pair_head[65536];
    int32_t pair_chain[65536];
    int32_t memo_pos[65536];
    int32_t memo_len[65536];
    int32_t period[65536];
    int32_t period_len[65536];
};

// Fills the zeroed tables for in[0..n-1], 1 <= n <= 65536. ktb selects the variant.
void forward_pass_wide(wide_tables& t, const uint8_t* in, int n, bool ktb);
