// Longest matches whose offset lies in a window [lo, hi] that does not start at 1. Only the
// two-offset coding with a long part narrower than its short part needs them: there a far
// offset costs less than a near one, so the nearest-offset front does not serve.
#pragma once

#include <cstdint>
#include <vector>

#include "suffix_index.h"

// For every position p: len[p] the longest match with a source p - d, lo <= d <= hi, and
// off[p] that d (len 0, off 0 when no source in the window shares a byte).
void find_window_matches(const suffix_index& ix, int32_t lo, int32_t hi, uint16_t* len,
                         uint16_t* off);
