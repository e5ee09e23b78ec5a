// The search set of -b: every type 1 to 5 with codings 1, 2, 7, coding 4 with width 1 to 7,
// coding 5 with width 1 to 16, coding 6 with widths 1 to 15 and 1 to 16 (1,330 models), and
// the search for the smallest stream over them. Each coding's offset costs are built once and
// serve its five types.
#pragma once

#include <cstdint>

#include "universal_pack.h"

inline constexpr int search_coding_count = 266;
inline constexpr int search_model_count = 5 * search_coding_count;

// Model i of the set: five types in a row per coding, codings in the order above.
pack_model search_model(int index);

struct search_result {
    int32_t size[search_model_count]; // least stream size of each model
    int best = 0;                     // the first model of the least size
};

// Runs every model of the set on threads workers (at least 1), each with its own parse tables.
void search_models(const file_matches& fm, int threads, search_result& result);
