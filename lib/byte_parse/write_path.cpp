// A stretch of literals is cut into runs each filled to the longest run before the next
// begins. The tokens' bytes are the writer's; the variant only names its model and words
// its failures.
#include "write_path.h"

#include <algorithm>

#include "packed_writer.h"
#include "variant.h"

template <class V>
pack_status write_path(const pack_tables& t, const uint8_t* in, int n, uint8_t* out,
                       emit_figures& fig) {
    stream_writer w;
    start_stream(w, out, max_output);
    int p = 0;
    int data = 0;
    while (p < n) {
        const int len = t.step_len[p];
        const int off = t.step_off[p];
        if (len == 0) return {pack_fault::no_token, p, 0, off, 0};
        if (len == 1) {
            const int limit = std::min(p + V::max_literal_run, n);
            int end = p + 1;
            while (end < limit && t.step_len[end] == 1) ++end;
            const int run = end - p;
            if (!put_literal_run(w, V::model, in + p, uint32_t(run)))
                return V::literal_fault(p, run, off);
            data += run;
            p = end;
        } else {
            if (!put_sequence(w, V::model, uint32_t(len), uint32_t(off)))
                return V::sequence_fault(p, len, off);
            p += len;
        }
    }
    // Both formats end with one byte, and max_output holds every path (see there): the writer
    // cannot run out of room.
    put_end_mark(w, V::model);
    fig.packed_len = w.size;
    fig.data_count = data;
    fig.overhead_count = w.size - data;
    return {};
}

template pack_status write_path<ktb_variant>(const pack_tables&, const uint8_t*, int, uint8_t*,
                                             emit_figures&);
template pack_status write_path<kta_variant>(const pack_tables&, const uint8_t*, int, uint8_t*,
                                             emit_figures&);
