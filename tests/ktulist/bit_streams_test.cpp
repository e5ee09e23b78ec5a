// ZX7, BLK and TS1 streams laid out bit by bit and depacked by the listing loop: outputs,
// stream positions and overhead counts, and the open cases the grammars leave.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bit_strings.h"
#include "decode_token.h"
#include "test_depack.h"

namespace {

struct stream_case {
    const char* what;
    pack_model model;
    std::vector<uint8_t> packed;
    std::vector<uint8_t> out;
    int32_t pos;
    uint32_t overhead_bits;
};

TEST(bit_formats, streams) {
    const stream_case cases[] = {
        {"zx7 with a gamma end mark across three bit bytes",
         {3, 1, 0, 0},
         {0x41, 0x28, 0x01, 0x42, 0x00, 0x02},
         {0x41, 0x41, 0x41, 0x41, 0x42},
         6,
         31},
        {"ts1 loses the token left in the last bit byte",
         {5, 5, 2, 0},
         {0x41, 0x88},
         {0x41, 0x41, 0x41},
         2,
         4},
        {"ts1 long literal run",
         {5, 7, 0, 0},
         {0x61, 0xF8, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xF0, 0x00, 0x40},
         {0x61, 1, 2, 3, 4, 5, 6, 7, 8},
         13,
         8 + 18},
    };
    for (const stream_case& c : cases) {
        test_depack_result r = test_depack(c.packed, c.model);
        EXPECT_FALSE(r.failed) << c.what << r.printed;
        EXPECT_EQ(r.out, c.out) << c.what;
        EXPECT_EQ(r.pos, c.pos) << c.what;
        EXPECT_EQ(r.overhead_bits, c.overhead_bits) << c.what;
    }
}

TEST(bit_formats, blk_shortest_tokens) {
    // gamma 1, bit 1: literal run of 1 (byte 5A follows); gamma 1, bit 0: sequence of length 2
    // at offset 1 (coding 5, width 1, bit 0); then the overlong gamma end mark, whose first
    // three zeros fill the first bit byte and whose rest lies after the literal byte.
    const std::vector<uint8_t> packed = {0xE0, 0x5A, 0x00, 0x04};
    test_depack_result r = test_depack(packed, {4, 5, 1, 0});
    EXPECT_FALSE(r.failed) << r.printed;
    EXPECT_EQ(r.out, (std::vector<uint8_t>{0x5A, 0x5A, 0x5A}));
    EXPECT_EQ(r.pos, 4);
    EXPECT_EQ(r.overhead_bits, 5u + 17);
}

TEST(bit_formats, ts1_overlong_length_still_reads_its_offset) {
    // First byte, then 1110 and an overlong gamma (extra 2: 14 zeros and a 1): length 0. The
    // offset byte, read after the last bit byte, is 0 under coding 1, which fails; a non-zero
    // one gives a token of length 0, which ends the stream.
    std::vector<uint8_t> packed = {0x41};
    std::vector<uint8_t> bits = bits_to_bytes("1110" + zeros(14) + "1");
    packed.insert(packed.end(), bits.begin(), bits.end());
    std::vector<uint8_t> with_zero_offset = packed;
    with_zero_offset.push_back(0x00);
    test_depack_result r = test_depack(with_zero_offset, {5, 1, 0, 0});
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.printed, "\nError in t.bin: Zero KTA offset. Index=5 Length=0\n");
    std::vector<uint8_t> with_offset = packed;
    with_offset.push_back(0x07);
    r = test_depack(with_offset, {5, 1, 0, 0});
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.out, std::vector<uint8_t>{0x41});
    EXPECT_EQ(r.pos, 5);
    EXPECT_EQ(r.overhead_bits, 19u + 8);
}

TEST(bit_formats, gamma_offset_overlong_comes_out_as_literal_run) {
    // KTA sequence of length 2 with an overlong gamma offset: offset 0, so the token reaches
    // the loop as a literal run of 2 bytes, which stand after the bits.
    std::vector<uint8_t> packed = {0x05};
    std::vector<uint8_t> bits = bits_to_bytes(zeros(16) + "1");
    packed.insert(packed.end(), bits.begin(), bits.end());
    packed.push_back(0xAA);
    packed.push_back(0xBB);
    stream_cursor cur;
    reset_cursor(cur, packed.data(), static_cast<int32_t>(packed.size()));
    token t;
    EXPECT_EQ(decode_token(cur, {1, 7, 0, 0}, t).error, decode_error::none);
    EXPECT_EQ(t.length, 2u);
    EXPECT_EQ(t.offset, 0u);
    EXPECT_EQ(cur.pos, 4);
}

} // namespace
