// All packing phases in their order, over an input held in memory. Knows nothing of files
// or of the report's wording.
#pragma once

#include <cstdint>

#include "emit_tokens.h"
#include "pack_tables.h"

// Packs in[0..n-1], 1 <= n <= max_input, into out (max_output bytes) using the zeroed tables t.
// Gives 0, or the status of the phase that stopped after printing its message.
template <class V>
int pack_input(pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig);

// The same with the plain walk, for checking and measuring the fast one against it.
template <class V>
int pack_input_plain(pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig);
