#include "cost_tables.h"

#include <algorithm>

#include "item_code.h"

bool build_type_costs(int type, int32_t limit, type_costs& out) {
    out = type_costs{};
    out.type = type;
    const int first = first_byte_flag(type);
    if (first < 0) return false;
    out.first_bits = first == 1 ? 8 : 0;
    item_code end;
    if (!code_end_mark(type, end)) return false;
    out.end_bits = item_bits(end);
    out.literal_count = group_cost_steps(
        1, limit,
        [type](int32_t v) {
            item_code c;
            return code_literal_head(type, static_cast<uint32_t>(v), c) ? item_bits(c)
                                                                        : cost_no_form;
        },
        out.literal);
    out.length_count = group_cost_steps(
        1, limit,
        [type](int32_t v) {
            item_code c;
            return code_sequence_head(type, static_cast<uint32_t>(v), c) ? item_bits(c)
                                                                         : cost_no_form;
        },
        out.length);
    return out.literal_count > 0 && out.length_count >= 0;
}

bool build_coding_costs(const pack_model& model, int32_t limit, coding_costs& out) {
    out = coding_costs{};
    out.model = model;
    if (!model_is_packable(model)) return false;
    cost_step runs[max_cost_steps];
    const int count = group_cost_steps(
        1, limit - 1,
        [&model](int32_t v) {
            item_code c;
            return code_offset(model, static_cast<uint32_t>(v), c) ? item_bits(c) : cost_no_form;
        },
        runs);
    if (count < 0) return false;
    std::stable_sort(runs, runs + count,
                     [](const cost_step& a, const cost_step& b) { return a.bits < b.bits; });
    // Grow the set of offsets cost by cost; each set must stay one interval.
    int32_t lo = 0;
    int32_t hi = -1;
    for (int i = 0; i < count; ++i) {
        const cost_step& r = runs[i];
        if (hi < lo) {
            lo = r.lo;
            hi = r.hi;
        } else if (r.lo == hi + 1) {
            hi = r.hi;
        } else if (r.hi == lo - 1) {
            lo = r.lo;
        } else {
            return false;
        }
        if (i + 1 < count && runs[i + 1].bits == r.bits) continue;
        // Only the cheapest set may lie away from offset 1: the parse keeps one window.
        if (lo > 1 && out.reach_count > 0) return false;
        out.reach[out.reach_count++] = {lo, hi, r.bits};
    }
    return true;
}
