// The two packer variants side by side: the model each writes, its limits (the formats' own),
// how emission words a token the format refuses, and the byte costs the parse and the optimize
// passes charge. The stream itself is written by the formats' writer; the costs here are the
// parse's own constants, kept as plain arithmetic because the forward pass evaluates them at
// every candidate and checks their shape at compile time. The tests hold them to the writer's
// item codes at every length and at the offsets where a cost changes.
#pragma once

#include "kt_limits.h"
#include "pack_model.h"
#include "pack_status.h"

struct ktb_variant {
    static constexpr pack_model model{type_ktb, coding_two_bytes, 0, 0};
    static constexpr int max_offset = ktb_max_offset;
    static constexpr int max_seq_len = ktb_max_seq_len;
    static constexpr int max_literal_run = ktb_max_literal_run;
    // Literal counters of the optimize passes wrap here instead of reaching it.
    static constexpr int run_modulus = ktb_max_literal_run + 1;
    // Optimize pass 2 reviews positions down to this one.
    static constexpr int pass_2_lowest = 0;

    // Emission's failures: the position, the count and the offset, one message for both.
    static constexpr pack_status literal_fault(int p, int run, int off) {
        return {pack_fault::ktb_range, p, run, off, 0};
    }
    static constexpr pack_status sequence_fault(int p, int len, int off) {
        return {pack_fault::ktb_range, p, len, off, 0};
    }

    // A literal that extends a run of run_count literals; the 64th needs the two-byte header.
    static constexpr int extend_cost(int run_count) {
        return run_count == ktb_short_count_max ? 2 : 1;
    }
    static constexpr int seq_cost(int len, int off) {
        return (len <= ktb_short_count_max ? 1 : 2) + (off <= ktb_short_offset_max ? 1 : 2);
    }
    // Whether a sequence of length n at offset o turns into literals next to a run of r.
    static constexpr bool merge_pays(int n, int o, int r) {
        int keep = (n > ktb_short_count_max ? 2 : 1) + (o > ktb_short_offset_max ? 2 : 1) +
                   (r == 0                    ? 0
                    : r > ktb_short_count_max ? 2
                                              : 1);
        int merge =
            n + (n + r > ktb_short_count_max ? 2 : 1) + (n + r >= ktb_max_literal_run ? 1 : 0);
        return merge <= keep;
    }
};

struct kta_variant {
    static constexpr pack_model model{type_kta, coding_one_byte, 0, 0};
    static constexpr int max_offset = kta_max_offset;
    static constexpr int max_seq_len = kta_max_seq_len;
    static constexpr int max_literal_run = kta_max_literal_run;
    static constexpr int run_modulus = kta_max_literal_run + 1;
    // Positions 0 and 1 can't be the last of a sequence, so pass 2 stops above them.
    static constexpr int pass_2_lowest = 2;

    // Emission's failures: KtaPack's messages name the count, and the offset of a sequence.
    static constexpr pack_status literal_fault(int, int run, int) {
        return {pack_fault::kta_literal_range, 0, run, 0, 0};
    }
    static constexpr pack_status sequence_fault(int, int len, int off) {
        return {pack_fault::kta_sequence_range, 0, len, off, 0};
    }

    static constexpr int extend_cost(int) { return 1; }
    static constexpr int seq_cost(int, int) { return 2; }
    // Every sequence costs two bytes, so only a pair that fits into the run beside it
    // (still at most 127 literals) is worth turning into literals.
    static constexpr bool merge_pays(int n, int, int r) {
        return n == 2 && r >= 1 && r <= kta_max_literal_run - 2;
    }
};
