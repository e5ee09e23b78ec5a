// The forward pass of the optimal parse: for every position the cheapest cost of the input up
// to it and the token ending there, in cost, step_len and step_off.
#pragma once

#include <cstdint>

#include "pack_tables.h"

inline constexpr int status_length_guard = 5;

// Fills the tables of a zeroed pack_tables for in[0..n-1], 1 <= n <= max_input. Gives 0, or
// status_length_guard after printing its message.
template <class V>
int forward_pass(pack_tables& t, const uint8_t* in, int n);

// The walk as first written, one candidate after another along pair_chain. It gives the same
// tables as forward_pass and is kept to check it against.
template <class V>
int forward_pass_plain(pack_tables& t, const uint8_t* in, int n);
