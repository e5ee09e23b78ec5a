// A pack model's costs in the shape the parse uses them: steps of lengths with one cost each,
// and offsets grouped by cost. Built by reading every value's cost off the stream items'
// codes, so that the parse and the writer cannot disagree.
#pragma once

#include <cstdint>

#include "pack_model.h"

// Values lo..hi, all with the same cost in bits.
struct cost_step {
    int32_t lo = 0;
    int32_t hi = 0;
    int32_t bits = 0;
};

// Room for the most steps any grammar has: one per gamma class and a few single values.
inline constexpr int max_cost_steps = 24;

struct type_costs {
    int type = 0;
    int32_t first_bits = 0; // the first raw byte, when the type has one
    int32_t end_bits = 0;
    cost_step literal[max_cost_steps]; // literal-run heads by run length, bytes not counted
    int literal_count = 0;
    cost_step length[max_cost_steps]; // sequence heads by length, offset not counted
    int length_count = 0;
};

// The offsets of cost at most bits form the interval lo..hi: a prefix (lo 1) that the nearest
// matches serve, or a window further back (the two-offset coding with a short long part).
struct offset_reach {
    int32_t lo = 0;
    int32_t hi = 0;
    int32_t bits = 0;
};

struct coding_costs {
    pack_model model;
    offset_reach reach[max_cost_steps]; // by increasing cost, each set holding the one before
    int reach_count = 0;
};

// Groups the values from..to into steps of one cost each, as the parse reads them; a value
// whose cost is cost_no_form has no form and is left out. The step count, or -1 where they
// need more than max_cost_steps.
inline constexpr int32_t cost_no_form = -1;
template <typename cost_fn>
int group_cost_steps(int32_t from, int32_t to, cost_fn cost, cost_step* steps) {
    int count = 0;
    for (int32_t v = from; v <= to; ++v) {
        const int32_t bits = cost(v);
        if (bits == cost_no_form) continue;
        if (count > 0 && steps[count - 1].hi == v - 1 && steps[count - 1].bits == bits) {
            steps[count - 1].hi = v;
            continue;
        }
        if (count == max_cost_steps) return -1;
        steps[count++] = {v, v, bits};
    }
    return count;
}

// Costs of the values up to limit (lengths and runs up to limit, offsets below it): the input
// size bounds every one of them. False for a type without a grammar.
bool build_type_costs(int type, int32_t limit, type_costs& out);
// False for a coding without a form, or offsets whose cost sets are not intervals.
bool build_coding_costs(const pack_model& model, int32_t limit, coding_costs& out);
