// All packing phases in their order, over an input held in memory. Knows nothing of files
// or of the report's wording.
#pragma once

#include <cstdint>

#include "pack_status.h"
#include "pack_tables.h"
#include "write_path.h"

// Packs in[0..n-1], 1 <= n <= max_input, into out (max_output bytes) using the zeroed tables t,
// or gives the failure of the phase that stopped.
template <class V>
pack_status pack_input(pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig);

// The phases after the forward pass, for tables whose forward pass ran elsewhere (the tests'
// reference walk).
template <class V>
pack_status pack_after_forward_pass(pack_tables& t, const uint8_t* in, int n, uint8_t* out,
                                    emit_figures& fig);
