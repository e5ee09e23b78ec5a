#include "test_depack.h"

#include <gtest/gtest.h>

#include "token_loop.h"

test_depack_result test_depack(const std::vector<uint8_t>& packed, const pack_model& model) {
    test_depack_result r;
    stream_job job;
    job.name = "t.bin";
    job.model = model;
    job.mode = run_mode::depack;
    testing::internal::CaptureStdout();
    stream_result s = list_or_depack(packed.data(), static_cast<int32_t>(packed.size()), job);
    r.printed = testing::internal::GetCapturedStdout();
    r.failed = !s.ok;
    if (s.ok) r.out.assign(out_buf, out_buf + s.stats.unpacked);
    r.pos = s.stats.packed_pos;
    r.overhead_bits = s.stats.overhead_bits;
    return r;
}
