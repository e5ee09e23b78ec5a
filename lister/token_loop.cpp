// Bounds are compared in 64-bit or unsigned arithmetic: a decoded length or offset may be
// any 32-bit value, and no sum of it with a position may wrap past a check.
#include "token_loop.h"

#include <cstdio>
#include <cstring>

#include "decode_token.h"

uint8_t out_buf[kt_buf_size];

namespace {

struct loop_state {
    stream_cursor cur;
    int32_t out_pos = 0;
    pending_line pending;
    file_stats stats;
};

// Sequence: prints its line, checks its offset, copies. False after an error message.
bool take_sequence(loop_state& s, const stream_job& job, int32_t p0, int32_t u0, const token& t) {
    const bool list = job.mode == run_mode::list;
    if (list) {
        print_pending_line(s.pending, out_buf);
        print_sequence_line(p0, u0, t.length, t.offset);
    }
    if (t.offset > static_cast<uint32_t>(s.out_pos)) {
        printf("\nError in %s at +%u: Unpack %u - offset %u < 0\n", job.name,
               static_cast<unsigned>(s.cur.pos), static_cast<unsigned>(s.out_pos), t.offset);
        return false;
    }
    if (!list) {
        // Byte by byte, front to back: an offset below the length repeats the last bytes.
        uint8_t* dst = out_buf + s.out_pos;
        const uint8_t* src = dst - t.offset;
        for (uint32_t k = 0; k < t.length; ++k) dst[k] = src[k];
    }
    s.out_pos += static_cast<int32_t>(t.length);
    s.stats.packed += t.length;
    ++s.stats.num_sek;
    s.pending.length = 0;
    return true;
}

// Literal run: checks it against the data, copies it. False after an error message.
bool take_literal_run(loop_state& s, const stream_job& job, int32_t p0, int32_t u0,
                      const token& t) {
    if (s.pending.length == 0) {
        s.pending.pack = p0;
        s.pending.unpack = u0;
    }
    if (uint64_t(uint32_t(s.cur.pos)) + t.length > uint64_t(uint32_t(s.cur.size))) {
        printf("\nError in %s at +%u: Source index + length %u > size %u\n", job.name,
               static_cast<unsigned>(s.cur.pos), t.length, static_cast<unsigned>(s.cur.size));
        return false;
    }
    // The listing shows at most 16 bytes of a pending line; later runs need no copy there.
    if (job.mode != run_mode::list || s.pending.length <= 15)
        memcpy(out_buf + s.out_pos, s.cur.data + s.cur.pos, t.length);
    s.out_pos += static_cast<int32_t>(t.length);
    s.cur.pos += static_cast<int32_t>(t.length);
    s.stats.no_pack += t.length;
    s.pending.length += t.length;
    return true;
}

// Token loop up to the end mark or the end of the data. False after an error message.
bool run_tokens(loop_state& s, const stream_job& job, bool& end_mark) {
    const bool list = job.mode == run_mode::list;
    while (s.cur.pos < s.cur.size) {
        const int32_t p0 = s.cur.pos;
        const int32_t u0 = s.out_pos;
        token t;
        if (decode_token(s.cur, job.model, job.name, t) != decode_ok) return false;
        if (t.length == 0) {
            if (list) {
                print_pending_line(s.pending, out_buf);
                print_end_mark_line(p0, u0);
            }
            end_mark = true;
            return true;
        }
        if (uint64_t(uint32_t(s.out_pos)) + t.length > uint64_t{kt_buf_size}) {
            printf("\nError in %s at +%u: Unpack %u + length %u > buffer %u\n", job.name,
                   static_cast<unsigned>(s.cur.pos), static_cast<unsigned>(s.out_pos), t.length,
                   static_cast<unsigned>(kt_buf_size));
            return false;
        }
        const bool good = t.offset != 0 ? take_sequence(s, job, p0, u0, t)
                                        : take_literal_run(s, job, p0, u0, t);
        if (!good) return false;
    }
    return true;
}

} // namespace

stream_result list_or_depack(const uint8_t* data, int32_t size, const stream_job& job) {
    const bool list = job.mode == run_mode::list;
    stream_result result;
    if (list) print_header(job.name, size, job.model);

    loop_state s;
    reset_cursor(s.cur, data, size);
    // An empty file has no first raw byte to take; it ends like any empty file.
    if (job.first_byte && size > 0) {
        if (list) print_first_byte_line(data[0]);
        out_buf[0] = data[0];
        s.cur.pos = 1;
        s.out_pos = 1;
    }
    if (!run_tokens(s, job, result.end_mark)) return result;

    s.stats.packed_pos = s.cur.pos;
    s.stats.unpacked = s.out_pos;
    s.stats.overhead_bits = s.cur.overhead_bits;
    result.stats = s.stats;
    if (list) {
        print_pending_line(s.pending, out_buf);
        printf("\n");
        print_stats_line(job.name, s.stats);
        printf("\n");
        result.ok = true;
        return result;
    }
    // The rest of a longer file was never read: writing would cut the data silently.
    if (job.input_cut && !result.end_mark) {
        printf("\nError in %s: No end mark in the first %u bytes of the file\n", job.name,
               static_cast<unsigned>(kt_buf_size));
        return result;
    }
    print_stats_line(job.name, s.stats);
    result.ok = true;
    result.write_output = true;
    return result;
}
