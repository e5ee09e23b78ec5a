#include "test_depack.h"

#include <gtest/gtest.h>

test_depack_result test_depack(const std::vector<uint8_t>& packed, const pack_model& model) {
    test_depack_result r;
    stream_cursor cur;
    reset_cursor(cur, packed.data(), static_cast<int32_t>(packed.size()));
    if (first_byte_flag(model.type) == 1 && !packed.empty()) {
        r.out.push_back(packed[0]);
        cur.pos = 1;
    }
    testing::internal::CaptureStdout();
    while (cur.pos < cur.size) {
        token t;
        if (decode_token(cur, model, "t.bin", t) != decode_ok) {
            r.failed = true;
            break;
        }
        if (t.length == 0) break;
        if (t.offset == 0) {
            if (uint64_t{t.length} + static_cast<uint64_t>(cur.pos) > packed.size()) {
                r.failed = true;
                break;
            }
            r.out.insert(r.out.end(), packed.begin() + cur.pos, packed.begin() + cur.pos + t.length);
            cur.pos += static_cast<int32_t>(t.length);
        } else {
            if (t.offset > r.out.size() || t.length > 200000) {
                r.failed = true;
                break;
            }
            for (uint32_t k = 0; k < t.length; ++k) r.out.push_back(r.out[r.out.size() - t.offset]);
        }
    }
    r.printed = testing::internal::GetCapturedStdout();
    r.pos = cur.pos;
    r.overhead_bits = cur.overhead_bits;
    return r;
}
