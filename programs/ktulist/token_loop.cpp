// The listing and the depacking of one file run the same token walk as every other reader of
// the streams; this loop adds the lines, the statistics and the wording of each failure.
#include "token_loop.h"

#include <cstdio>

#include "token_walk.h"

uint8_t out_buf[kt_buf_size];

namespace {

struct loop_state {
    token_walk walk;
    pending_line pending;
    file_stats stats;
};

// S is the loaded size, as the literal run's message shows it; P the token's start.
void print_decode_error(const char* name, const stream_cursor& cur, const walk_step& step) {
    const decode_status& d = step.decode;
    switch (d.error) {
    case decode_error::unknown_type:
        printf("\nError in %s: Unknown compression type %u\n", name,
               static_cast<unsigned>(d.value));
        break;
    case decode_error::unknown_coding:
        printf("\nError in %s: Unknown offset coding %u\n", name, static_cast<unsigned>(d.value));
        break;
    case decode_error::zero_offset:
        printf("\nError in %s: Zero %s offset. Index=%u Length=%u\n", name,
               d.value == 1 ? "KTA" : "KTB", static_cast<unsigned>(cur.pos), d.length);
        break;
    case decode_error::past_end:
        printf("\nError in %s at +%u: Token reads past the end, size %u\n", name,
               static_cast<unsigned>(step.pack), static_cast<unsigned>(cur.size));
        break;
    case decode_error::none: break;
    }
}

// The message of a step that failed, after whatever lines the listing shows before it.
void print_walk_error(const loop_state& s, const stream_job& job, const walk_step& step) {
    const unsigned pos = static_cast<unsigned>(s.walk.cur.pos);
    const unsigned out_pos = static_cast<unsigned>(s.walk.out_pos);
    switch (step.status) {
    case walk_status::decode_failed: print_decode_error(job.name, s.walk.cur, step); break;
    case walk_status::past_buffer:
        printf("\nError in %s at +%u: Unpack %u + length %u > buffer %u\n", job.name, pos, out_pos,
               step.tok.length, static_cast<unsigned>(kt_buf_size));
        break;
    case walk_status::offset_before_start:
        printf("\nError in %s at +%u: Unpack %u - offset %u < 0\n", job.name, pos, out_pos,
               step.tok.offset);
        break;
    case walk_status::past_data:
        printf("\nError in %s at +%u: Source index + length %u > size %u\n", job.name, pos,
               step.tok.length, static_cast<unsigned>(s.walk.cur.size));
        break;
    default: break;
    }
}

// The lines and counts of one step; false when the step ended the file with an error.
bool take_step(loop_state& s, const stream_job& job, const walk_step& step) {
    const bool list = job.mode == run_mode::list;
    const token& t = step.tok;
    const bool reached_token = step.status == walk_status::token_taken ||
                               step.status == walk_status::offset_before_start ||
                               step.status == walk_status::past_data;
    if (reached_token && t.offset != 0) {
        // A sequence's line stands before the check of its offset.
        if (list) {
            print_pending_line(s.pending, out_buf);
            print_sequence_line(step.pack, step.unpack, t.length, t.offset, t.repeat);
        }
        if (step.status != walk_status::token_taken) return false;
        s.stats.packed += t.length;
        ++s.stats.num_sek;
        s.pending.length = 0;
        return true;
    }
    if (step.status != walk_status::token_taken) return false;
    if (s.pending.length == 0) {
        s.pending.pack = step.pack;
        s.pending.unpack = step.unpack;
    }
    s.stats.no_pack += t.length;
    s.pending.length += t.length;
    return true;
}

// Token loop up to the end mark or the end of the data. False after an error message.
bool run_tokens(loop_state& s, const stream_job& job, bool& end_mark) {
    for (;;) {
        const walk_step step = walk_token(s.walk);
        if (step.status == walk_status::end_of_data) return true;
        if (step.status == walk_status::end_mark) {
            if (job.mode == run_mode::list) {
                print_pending_line(s.pending, out_buf);
                print_end_mark_line(step.pack, step.unpack);
            }
            end_mark = true;
            return true;
        }
        if (!take_step(s, job, step)) {
            print_walk_error(s, job, step);
            return false;
        }
    }
}

} // namespace

stream_result list_or_depack(const uint8_t* data, int32_t size, const stream_job& job) {
    const bool list = job.mode == run_mode::list;
    stream_result result;
    if (list) print_header(job.name, size, job.model);

    loop_state s;
    if (start_walk(s.walk, data, size, job.model, out_buf, kt_buf_size) && list)
        print_first_byte_line(data[0]);
    if (!run_tokens(s, job, result.end_mark)) return result;

    s.stats.packed_pos = s.walk.cur.pos;
    s.stats.unpacked = s.walk.out_pos;
    s.stats.overhead_bits = s.walk.cur.overhead_bits;
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
