#include "universal_pack.h"

#include "format_table.h"
#include "packed_writer.h"

void prepare_file(const uint8_t* data, int32_t size, file_matches& fm) {
    fm.data = data;
    fm.size = size;
    build_suffix_index(data, size, fm.index);
    find_match_front(data, fm.index, fm.front);
}

bool plan_model(const pack_model& model, int32_t size, model_plan& plan) {
    return build_type_costs(model.type, size, plan.tc) && build_coding_costs(model, size, plan.cc);
}

namespace {
parse_input input_of(const file_matches& fm) { return {fm.data, fm.size, &fm.front, &fm.index}; }
int32_t bytes_of(uint32_t bits) { return static_cast<int32_t>((bits + 7) / 8); }

// Joins each literal run to the one before it, for the types that never have two in a row:
// one run codes in no more bits than two with the flag between them, so a least parse stays
// least. Gives the new count.
int32_t join_runs(token* tokens, int32_t count) {
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (kept > 0 && tokens[i].offset == 0 && tokens[kept - 1].offset == 0)
            tokens[kept - 1].length += tokens[i].length;
        else
            tokens[kept++] = tokens[i];
    }
    return kept;
}
} // namespace

int32_t least_stream_size(const file_matches& fm, const model_plan& plan, parse_space& space) {
    return bytes_of(parse_cost(input_of(fm), plan.tc, plan.cc, space));
}

int32_t repeat_parse_size(const file_matches& fm, const model_plan& plan, ktr_space& repeats) {
    return bytes_of(ktr_parse(input_of(fm), plan.tc, plan.cc, repeats));
}

universal_status pack_stream(const file_matches& fm, const pack_model& model, parse_space& space,
                             token* tokens, uint8_t* out, int32_t cap, pack_outcome& outcome) {
    model_plan plan;
    if (!plan_model(model, fm.size, plan)) return universal_status::bad_model;
    const parse_input in = input_of(fm);
    uint32_t bits = parse_cost(in, plan.tc, plan.cc, space);
    outcome.tokens = recover_parse(in, plan.tc, plan.cc, space, tokens);
    if (outcome.tokens < 0) return universal_status::internal_error;
    const compression_type_row& row = *find_type(model.type);
    if (row.joined_runs) outcome.tokens = join_runs(tokens, outcome.tokens);
    if (has_repeats(row)) {
        // The parse with repeats, where it gives less.
        ktr_space repeats;
        const uint32_t repeat_bits = ktr_parse(in, plan.tc, plan.cc, repeats);
        if (repeat_bits < bits) {
            bits = repeat_bits;
            outcome.tokens = ktr_recover(repeats, tokens);
            if (outcome.tokens < 0) return universal_status::internal_error;
        }
    }

    stream_writer w;
    start_stream(w, out, cap);
    int32_t pos = 0;
    if (plan.tc.first_bits > 0) put_first_byte(w, fm.data[pos++]);
    for (int32_t i = 0; i < outcome.tokens; ++i) {
        const token& t = tokens[i];
        const bool put = t.offset == 0 ? put_literal_run(w, model, fm.data + pos, t.length)
                         : t.repeat    ? put_repeat(w, model, t.length)
                                       : put_sequence(w, model, t.length, t.offset);
        if (!put || t.offset > static_cast<uint32_t>(pos)) return universal_status::internal_error;
        pos += static_cast<int32_t>(t.length);
    }
    if (!put_end_mark(w, model) || w.overflow || pos != fm.size || w.size != bytes_of(bits))
        return universal_status::internal_error;
    outcome.size = w.size;
    outcome.margin = in_place_margin(w);
    return universal_status::ok;
}
