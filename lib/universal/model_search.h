// The search of -b over the search set of the format table (format_table.h: every type with
// every coding at the widths the table's search columns give, 1,596 models): the smallest
// stream over them. Each coding's offset costs are built once and serve all its types. KTR's
// repeats need a parse of their own, run for the repeat_parse_models KTR models that rank first
// without them; the sizes of the other KTR models leave repeats out, and packing one of them
// may give less.
#pragma once

#include <cstdint>

#include "format_table.h"
#include "universal_pack.h"

inline constexpr int repeat_parse_models = 4;

struct search_result {
    int32_t size[search_model_count]; // least stream size of each model, by search_model index
    int best = 0;                     // the first model of the least size
};

// Runs every model of the set on threads workers (at least 1), each with its own parse tables.
void search_models(const file_matches& fm, int threads, search_result& result);
