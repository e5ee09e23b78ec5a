// Emission for both formats. A stretch of literals is cut into runs each filled to the longest
// run before the next begins; every token is checked against the format's limits first.
#include "emit_tokens.h"

#include <cstring>

#include "variant.h"

namespace {

// Writes the control byte or bytes of a token; gives the number written.
int ktb_count(uint8_t* o, int count, uint8_t flag) {
    if (count <= ktb_short_count_max) {
        o[0] = uint8_t(flag | count);
        return 1;
    }
    o[0] = uint8_t(ktb_long_count_flag | flag | count >> 8);
    o[1] = uint8_t(count & 0xFF);
    return 2;
}

int ktb_offset(uint8_t* o, int off) {
    if (off <= ktb_short_offset_max) {
        o[0] = uint8_t(off);
        return 1;
    }
    o[0] = uint8_t(ktb_long_offset_flag | off >> 8);
    o[1] = uint8_t(off & 0xFF);
    return 2;
}

// Each gives the bytes written, or -1 with the range failure in fault.
int literal_header(ktb_variant, uint8_t* o, int p, int run, int off, pack_status& fault) {
    if (run > ktb_max_literal_run) {
        fault = {pack_fault::ktb_range, p, run, off, 0};
        return -1;
    }
    return ktb_count(o, run, 0);
}

int literal_header(kta_variant, uint8_t* o, int, int run, int, pack_status& fault) {
    if (run > kta_max_literal_run) {
        fault = {pack_fault::kta_literal_range, 0, run, 0, 0};
        return -1;
    }
    o[0] = uint8_t(run << 1);
    return 1;
}

int sequence_bytes(ktb_variant, uint8_t* o, int p, int len, int off, pack_status& fault) {
    if (len > ktb_max_seq_len || off > ktb_max_offset) {
        fault = {pack_fault::ktb_range, p, len, off, 0};
        return -1;
    }
    int k = ktb_count(o, len, ktb_sequence_flag);
    return k + ktb_offset(o + k, off);
}

int sequence_bytes(kta_variant, uint8_t* o, int, int len, int off, pack_status& fault) {
    if (len > kta_max_seq_len || off > kta_max_offset) {
        fault = {pack_fault::kta_sequence_range, 0, len, off, 0};
        return -1;
    }
    o[0] = uint8_t(len << 1 | 1);
    o[1] = uint8_t(off);
    return 2;
}

} // namespace

template <class V>
pack_status emit_tokens(const pack_tables& t, const uint8_t* in, int n, uint8_t* out,
                        emit_figures& fig) {
    pack_status fault;
    int p = 0;
    int o = 0;
    int data = 0;
    while (p < n) {
        const int len = t.step_len[p];
        if (len == 0) return {pack_fault::no_token, p, 0, t.step_off[p], 0};
        if (len == 1) {
            const int limit = p + V::max_literal_run < n ? p + V::max_literal_run : n;
            int end = p + 1;
            while (end < limit && t.step_len[end] == 1) ++end;
            const int run = end - p;
            const int k = literal_header(V{}, out + o, p, run, t.step_off[p], fault);
            if (k < 0) return fault;
            o += k;
            memcpy(out + o, in + p, size_t(run));
            o += run;
            data += run;
            p = end;
        } else {
            const int k = sequence_bytes(V{}, out + o, p, len, t.step_off[p], fault);
            if (k < 0) return fault;
            o += k;
            p += len;
        }
    }
    out[o++] = kt_end_mark;
    fig.packed_len = o;
    fig.data_count = data;
    fig.overhead_count = o - data;
    return {};
}

template pack_status emit_tokens<ktb_variant>(const pack_tables&, const uint8_t*, int, uint8_t*,
                                             emit_figures&);
template pack_status emit_tokens<kta_variant>(const pack_tables&, const uint8_t*, int, uint8_t*,
                                             emit_figures&);
