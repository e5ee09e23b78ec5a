// The exact optimal parse of one input under one pack model. A stream's size is its whole
// bytes plus the bit bytes holding its bits, that is ceil(T / 8) for T = 8 * whole bytes +
// bits, so the parse minimises T position by position, from the end back to the start.
#pragma once

#include <cstdint>
#include <vector>

#include "cost_tables.h"
#include "match_front.h"
#include "token.h"
#include "window_matches.h"

// The per-run tables of the parse, sized once per input and reused for every model: the cost
// from each position to the end, and its range minima by powers of two.
struct parse_space {
    int32_t stride = 0;
    // Level k, position x: the least cost to the end from x..x+2^k-1 (slot 0), and the least of
    // that cost + 8x (slot 1, for literal runs), side by side: a sequence and a literal run
    // ending near one position then share a cache line.
    std::vector<uint32_t> mins;
    std::vector<uint16_t> win_len; // window matches for the coding's window, if it has one
    std::vector<uint16_t> win_off;
    int32_t win_lo = 0; // the window win_len holds; 0: none
    int32_t win_hi = 0;
    uint64_t win_serial = 0; // of the suffix index it was found in
};

struct parse_input {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    const match_front* front = nullptr;
    const suffix_index* index = nullptr; // needed only by codings with an offset window
};

// True when the coding's cheapest offsets lie away from offset 1, so that the parse needs the
// suffix index for its window matches.
bool needs_window(const coding_costs& cc);

void size_parse_space(int32_t size, parse_space& space);

// The least T over every parse.
uint32_t parse_cost(const parse_input& in, const type_costs& tc, const coding_costs& cc,
                    parse_space& space);

// After parse_cost with the same arguments: the tokens of one least parse, first raw byte
// excluded (token.h: offset 0 for a literal run). Gives the count; tokens has room for size.
// -1 only if the tables were not filled by parse_cost for these arguments.
int32_t recover_parse(const parse_input& in, const type_costs& tc, const coding_costs& cc,
                      const parse_space& space, token* tokens);
