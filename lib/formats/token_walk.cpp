// Bounds are compared in 64-bit or unsigned arithmetic: a decoded length or offset may be any
// 32-bit value, and no sum of it with a position may wrap past a check.
#include "token_walk.h"

#include <cstring>

bool start_walk(token_walk& w, const uint8_t* data, int32_t size, const pack_model& model,
                uint8_t* out, uint32_t out_cap) {
    reset_cursor(w.cur, data, size);
    w.model = model;
    w.out = out;
    w.out_cap = out_cap;
    w.out_pos = 0;
    if (first_byte_flag(model.type) != 1 || size <= 0) return false;
    out[0] = data[0];
    w.cur.pos = 1;
    w.out_pos = 1;
    return true;
}

walk_step walk_token(token_walk& w) {
    walk_step s;
    s.pack = w.cur.pos;
    s.unpack = w.out_pos;
    if (w.cur.pos >= w.cur.size) return s;
    s.decode = decode_token(w.cur, w.model, s.tok);
    if (s.decode.error != decode_error::none) {
        s.status = walk_status::decode_failed;
        return s;
    }
    const token& t = s.tok;
    if (t.length == 0) {
        s.status = walk_status::end_mark;
        return s;
    }
    if (uint64_t(uint32_t(w.out_pos)) + t.length > uint64_t{w.out_cap}) {
        s.status = walk_status::past_buffer;
        return s;
    }
    if (t.offset != 0) {
        if (t.offset > uint32_t(w.out_pos)) {
            s.status = walk_status::offset_before_start;
            return s;
        }
        // Byte by byte, front to back: an offset below the length repeats the last bytes.
        uint8_t* dst = w.out + w.out_pos;
        const uint8_t* src = dst - t.offset;
        for (uint32_t k = 0; k < t.length; ++k) dst[k] = src[k];
    } else {
        if (uint64_t(uint32_t(w.cur.pos)) + t.length > uint64_t(uint32_t(w.cur.size))) {
            s.status = walk_status::past_data;
            return s;
        }
        memcpy(w.out + w.out_pos, w.cur.data + w.cur.pos, t.length);
        w.cur.pos += int32_t(t.length);
    }
    w.out_pos += int32_t(t.length);
    s.status = walk_status::token_taken;
    return s;
}

depack_outcome depack_stream(const uint8_t* data, int32_t size, const pack_model& model,
                             uint8_t* out, uint32_t out_cap) {
    token_walk w;
    start_walk(w, data, size, model, out, out_cap);
    walk_step s;
    do s = walk_token(w);
    while (s.status == walk_status::token_taken);
    return {s.status, w.out_pos, w.cur.pos};
}
