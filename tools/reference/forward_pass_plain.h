// The reference walk of the packers' forward pass: the candidate walk as first written. It
// fills the same tables as forward_pass (cost, step_len, step_off, memo, stretch).
#pragma once

#include <cstdint>

#include "pack_status.h"
#include "pack_tables.h"
#include "write_path.h"

template <class V>
pack_status forward_pass_plain(pack_tables& t, const uint8_t* in, int n);

// All packing phases with the reference walk in place of the fast one.
template <class V>
pack_status pack_input_plain(pack_tables& t, const uint8_t* in, int n, uint8_t* out,
                             emit_figures& fig);
