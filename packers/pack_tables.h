// Everything the packing phases keep per input position, in one zeroed struct: a program holds
// one static instance, a test makes its own. Fields are as narrow as their values allow.
#pragma once

#include <cstdint>

inline constexpr int max_input = 65536;

// What one candidate visit of the walk reads and writes about position c, kept together.
struct visit_rec {
    uint16_t memo_pos;   // position at which c was last compared; 0 = never
    uint16_t memo_len;   // match length found then
    uint16_t period;     // period of a repeating stretch ending at c; 0 = none
    uint16_t period_len; // its length, more than twice period; at most 16383 + 16382
};

struct pack_tables {
    // Cheapest cost found of positions 0..p, in output bytes; reaches about 2 * 65536.
    int32_t cost[max_input];
    // Forward pass: 0 = literal, else length of the sequence ending at p. After path recovery:
    // 1 = literal, or the length at a sequence's first and last position, 0 inside it.
    uint16_t step_len[max_input];
    uint16_t step_off[max_input];
    visit_rec visit[max_input];

    // Candidate chains of the plain walk: latest position of each byte pair, and for each
    // position the one before it with the same pair; 0 = none.
    uint16_t pair_head[max_input];
    uint16_t pair_chain[max_input];

    // Candidate lists of the fast walk: positions 1..N-1 grouped by pair, ascending within a
    // pair. Each entry is c | B[c-2] << 16 | B[c+1] << 24, so that a visit settles most
    // candidates from the entry alone (B[c-2] is taken as 0 for c = 1).
    uint32_t pair_pos[max_input];
    uint16_t pair_slot[max_input];     // index of p in pair_pos
    uint32_t pair_first[max_input + 1]; // index of the first entry of each pair
};
