// Packing one input under one pack model: the optimal parse, its tokens written as a stream,
// and the in-place margin. The matches of the input are found once and serve every model.
#pragma once

#include <cstdint>

#include "ktr_parse.h"
#include "optimal_parse.h"
#include "pack_model.h"

struct file_matches {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    suffix_index index;
    match_front front;
};

// data must stay in place while fm is used; 1 <= size <= 65536.
void prepare_file(const uint8_t* data, int32_t size, file_matches& fm);
struct model_plan {
    type_costs tc;
    coding_costs cc;
};

// False for a model outside the formats (see model_is_packable).
bool plan_model(const pack_model& model, int32_t size, model_plan& plan);

// The stream size of the least parse, in bytes, without writing it. For KTR the parse leaves
// out repeats: an upper bound of what packing gives.
int32_t least_stream_size(const file_matches& fm, const model_plan& plan, parse_space& space);
// KTR's size by the parse with repeats; packing writes the smaller of this and the size
// without them.
int32_t repeat_parse_size(const file_matches& fm, const model_plan& plan, ktr_space& repeats);

enum class universal_status { ok, bad_model, internal_error };

struct pack_outcome {
    int32_t size = 0;   // stream bytes
    int32_t margin = 0; // in-place margin
    int32_t tokens = 0;
};

// The stream of the least parse into out[0..cap); tokens needs room for fm.size entries.
// internal_error when the written stream's size differs from the parse's cost or out is too
// small (cap = 2 * size + 64 always suffices).
universal_status pack_stream(const file_matches& fm, const pack_model& model, parse_space& space,
                             token* tokens, uint8_t* out, int32_t cap, pack_outcome& outcome);
